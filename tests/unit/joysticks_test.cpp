// joysticks_test.cpp - written next
