#pragma once
#include <string>

// Writes "sound/sounddef.txt" for every effect, a synthetic sound for every effect and the
// music streams of the demo tree.
bool vnMKCONTENT_Sounds(const std::string& root);
