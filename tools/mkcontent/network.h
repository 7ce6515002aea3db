#pragma once
// The demo mission's path network "missions/C1M1A/bstarnetwork.txt": a grid of regions over the
// landing area and the ground around it, following the terrain's heights.
#include <string>

bool vnMKCONTENT_Network(const std::string& root);
