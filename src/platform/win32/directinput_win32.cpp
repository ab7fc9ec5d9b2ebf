// directinput_win32.cpp - written next
