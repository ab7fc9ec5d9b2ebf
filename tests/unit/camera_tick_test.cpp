// camera_tick_test.cpp - written next
