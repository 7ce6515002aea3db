#pragma once
// Generated models of the world's placed objects, in POW file units (100 units = 1 engine unit).
#include <cstdint>
#include <string>

#include "tools/writers/pow_writer.h"

// The ammunition dump's crate "ammo_drop": a box with a lid hinged along its back edge;
// animation 0 "open" swings the lid up, 1 "close" brings it down, each VNMODELS_LID_TICKS long.
constexpr uint32_t VNMODELS_LID_TICKS = 3600;
vnMODEL vnMODELS_AmmoDrop();
// A block 2 engine units wide and 1 high that sinks out of sight: the one animation
// ("collapse") moves it down by its height over `ticks`.
vnMODEL vnMODELS_Collapse(const std::string& name, uint32_t ticks);
