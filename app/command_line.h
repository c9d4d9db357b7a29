#pragma once
// The one switch the program reads from its command line.

// True when the whole command line (program path included) holds a space directly followed by
// "/au" anywhere: case-sensitive, whatever follows the "u" (so "/auto" counts too) and whatever
// the quotation marks.
bool HasAutoModeSwitch(const char* commandLine);
