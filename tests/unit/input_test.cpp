// input_test.cpp - written next
