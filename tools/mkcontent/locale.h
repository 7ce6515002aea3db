#pragma once
#include <string>

// Writes the four languages' locale tables of the demo tree.
bool vnMKCONTENT_Locale(const std::string& root);
