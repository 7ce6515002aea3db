#pragma once
// Generated models of the feature objects in play, in POW file units (100 units = 1 engine
// unit): doors, the door explosion, the transport and its wreck, pop-up targets, the twin guns
// and the shockwave's sphere and ring.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/pow_writer.h"

// A door leaf that slides up out of its frame: "open" then "close", each `ticks` long.
vnMODEL vnMODELS_Door(const std::string& name, uint32_t ticks);
// A block with one animation of that name and length that shrinks it into the ground.
vnMODEL vnMODELS_OneShot(const std::string& name, const std::string& anim, uint32_t ticks);
// The transport "ZrTransport": a hull with "go", "turnLeft" and "turnRight", each
// VNMODELS_TRANSPORT_TICKS long.
constexpr uint32_t VNMODELS_TRANSPORT_TICKS = 14400;
vnMODEL vnMODELS_Transport();
// A target board on a hinge: "up" raises it, "down" lays it flat, each `ticks` long.
vnMODEL vnMODELS_PopTarget(const std::string& name, uint32_t ticks);
// The Twin50: a base, the node "swivel" with the barrels, the locators "hold" and "g".
vnMODEL vnMODELS_Twin50();
// The Twin80's canopy with the gun locators "PL" and "PR" and the muzzle flash locators "gL" and
// "gR", and one of its guns with the muzzle "ga".
vnMODEL vnMODELS_Twin80Canopy();
vnMODEL vnMODELS_Twin80Gun(const std::string& name);
// A flat ring for the shockwave.
vnMODEL vnMODELS_ShockwaveRing();

// Every model above under the file names the game loads (without the folder).
std::vector<std::pair<std::string, vnMODEL>> vnMODELS_PlayObjects();
