#pragma once
// The demo tree's mission terrain: the first mission's terrain folder "Export/Terrain/C1M1A"
// (the mission name names the folder) with its terrain file, colour samples and textures.
#include <string>

bool vnMKCONTENT_Terrain(const std::string& root);
