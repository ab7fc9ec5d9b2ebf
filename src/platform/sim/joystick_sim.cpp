// joystick_sim.cpp - written next
