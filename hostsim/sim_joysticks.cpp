// sim_joysticks.cpp - written next
