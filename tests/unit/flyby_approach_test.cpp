// flyby_approach_test.cpp - written next
