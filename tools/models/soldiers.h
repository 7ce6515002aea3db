#pragma once
// Generated soldier models: a body of the node names the soldier code selects by, the locators
// its weapons and lights hang at, and named animations.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/pow_writer.h"

// The soldier's node 12: the right hand's locator "h1", where a medic's treatment glow shows.
constexpr int32_t VNMODELS_SOLDIER_HAND_NODE = 12;

// A soldier named so: nodes "pelvis", "neck+torso+shoulderR+shoulderL", "head", the arms
// ("bisepL", "forearmL", "handL" and the right ones), the legs ("thighL", "calfL", "footL" and
// the right ones) and the locators "e" (head), "g" and "h1" (right hand) and "p" (back); one
// animation of the given length per name, in order, each swinging the pelvis.
vnMODEL vnMODELS_Soldier(const std::string& name, const std::vector<std::string>& anims,
                         uint32_t ticks);
// A gun: a barrel along -y with the muzzle locator "g" at its end.
vnMODEL vnMODELS_Gun(const std::string& name);
