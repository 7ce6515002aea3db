#pragma once
// The formation file "formations.txt": a line, a column and a wedge of twelve slots each.
#include <string>

bool vnMKCONTENT_Formations(const std::string& root);
