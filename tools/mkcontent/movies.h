#pragma once
#include <string>

// Writes the three start-up movies under "FMV": short generated pictures with a tone.
bool vnMKCONTENT_Movies(const std::string& root);
