#pragma once
// The demo mission's static scenery: rocks around the landing area, barrels on it (each with its
// wreck inside), a bridge and the sky, added as feature objects to the first mission's terrain
// with their textures.
#include <string>

#include "tools/writers/terrain_writer.h"

// Adds the scenery to the terrain before it is written, and writes the scenery's textures under
// the mission's folder (which must exist).
bool vnMKCONTENT_Features(const std::string& root, vnTERRAIN& terrain);
