#pragma once
// Generated models of the scenery classes (props, statues, the fort wall's placeholder, the
// splitting rock, the teleporter's effect), each with the file name it is loaded by.
#include <string>
#include <utility>
#include <vector>

#include "tools/writers/pow_writer.h"

// The splitting rock's animation, and the statues' and teleporter effect's one animation.
constexpr char VNMODELS_SPLIT_ANIM[] = "split";
constexpr uint32_t VNMODELS_SCENERY_ANIM_TICKS = 4800;

// (file name under Export/Pows, model) for every POW model the scenery classes load.
std::vector<std::pair<std::string, vnMODEL>> vnMODELS_SceneryObjects();
