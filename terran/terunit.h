#pragma once
// What the world framework asks of the Terran unit classes: the suit tier of a unit type, and
// the world's messages to units, which their controllers answer.
#include <cstdint>

#include "world/unitman/unitmsg.h"

// Suit tiers: the tier-0 suits and the combat engineer, the tier-1 suits, everyone else.
constexpr int32_t VNTERUNIT_TIER_BASIC = 1;
constexpr int32_t VNTERUNIT_TIER_ADVANCED = 2;
constexpr int32_t VNTERUNIT_TIER_OTHER = 3;

// The suit tier of a unit type; every type has one.
int32_t vnTERUNIT_GetSuitTier(int32_t type);
