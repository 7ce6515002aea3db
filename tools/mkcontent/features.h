#pragma once
// The demo mission's static scenery: rocks around the landing area, barrels on it, a bridge and
// the sky, added as feature objects to the first mission's terrain file with their textures.
#include <string>

bool vnMKCONTENT_Features(const std::string& root);
