#pragma once
// Soldier movement helpers that need no soldier record: the ballistic flight plan shared by the
// jump and the lobbed throw, the jump-jet gauge, and the small distance and unit-type tests.
#include <cstdint>

#include "engine/math/vecmath.h"

// Horizontal speed of every planned flight, metres per second.
constexpr float VNTERUNIT_FLIGHT_SPEED = 30.0f;
constexpr float VNTERUNIT_GRAVITY = -9.8f;
// Flights longer than this fall at -9.8 / (0.4 T); shorter ones at the fixed steep value below.
constexpr float VNTERUNIT_FLIGHT_LONG = 2.0f;
constexpr float VNTERUNIT_FLIGHT_SHORT_GRAVITY = -39.2f;

// A parabola from start to target: launch velocity, vertical acceleration and flight time.
struct VNTERUNIT_FLIGHT {
  SPW_VECTOR velocity;
  float gravity;
  float time;
};

// Plans the flight at 30 m/s over the ground. 0, and a zeroed plan, when the target lies straight
// above or below the start: no flight time, no flight.
int32_t vnTERUNIT_PlanFlight(const SPW_VECTOR& start, const SPW_VECTOR& target,
                             VNTERUNIT_FLIGHT* out);
// The point of the flight t seconds after the start.
SPW_VECTOR vnTERUNIT_FlightPoint(const SPW_VECTOR& start, const VNTERUNIT_FLIGHT& flight, float t);

// Jump-jet gauge by suit tier (VNTERUNIT_TIER_*): full at VNTERUNIT_JUMP_ENERGY_TIER0 for the
// basic suits, VNTERUNIT_JUMP_ENERGY_TIER1 for the advanced ones.
constexpr float VNTERUNIT_JUMP_NONE = -1.0f;  // no jump pack
constexpr float VNTERUNIT_JUMP_DRAIN = 30.0f;  // per second of flight
// Fills the gauge by the frame time: 41.666668/s (basic) or 12.5/s (advanced), capped full.
void vnTERUNIT_RechargeJump(float* energy, int32_t tier);
// Drains 30/s of the frame time for both suit tiers, floored at 0.
void vnTERUNIT_DrainJump(float* energy, int32_t tier);
// The gauge as a fraction of full; -1.0 for soldiers without a jump pack.
float vnTERUNIT_JumpFraction(float energy, int32_t tier);
// The full gauge a unit type starts with (-1.0 without a jump pack).
float vnTERUNIT_JumpEnergyOf(int32_t type);
// Unit types that wear jump jets (the suits of the basic and advanced tiers).
int32_t vnTERUNIT_HasJumpJets(int32_t type);
// Unit types whose suit has a dome charge (the command suits of both tiers).
int32_t vnTERUNIT_HasDome(int32_t type);
// 1 when the type may jump to the point: it wears jump jets and the path-network region there is
// not marked closed to jumps.
int32_t vnTERUNIT_CanJumpTo(int32_t type, const SPW_VECTOR* point);

float vnTERUNIT_KmhToMs(float kmh);
// Stealth soldiers engage only inside 7.5 m.
constexpr float VNTERUNIT_ENGAGE_RANGE = 7.5f;
int32_t vnTERUNIT_IsWithinEngageRange(const SPW_VECTOR& a, const SPW_VECTOR& b);
float vnTERUNIT_Distance2D(const SPW_VECTOR& a, const SPW_VECTOR& b);
