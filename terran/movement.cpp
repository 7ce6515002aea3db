// Soldier movement helpers: flight plans, the jump-jet gauge and small tests by unit type.
#include "terran/movement.h"

#include <algorithm>
#include <cmath>

#include "engine/kernel/frametime.h"
#include "terran/terunit.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/mover/mover.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kRechargeBasic = 41.666668f;    // a basic suit's empty gauge fills in 6 s
constexpr float kRechargeAdvanced = 12.5f;      // an advanced suit's in 12 s
constexpr float kFractionBasic = 0.004f;        // 1 / 250
constexpr float kFractionAdvanced = 0.006666667f;  // 1 / 150
constexpr float kKmhToMs = 0.2777778f;

}  // namespace

int32_t vnTERUNIT_PlanFlight(const SPW_VECTOR& start, const SPW_VECTOR& target,
                             VNTERUNIT_FLIGHT* out) {
  *out = {};
  const float t = vnTERUNIT_Distance2D(start, target) / VNTERUNIT_FLIGHT_SPEED;
  // A target straight above or below gives no flight time to divide by.
  if (!(t > 0.0f)) return 0;
  const float g = t > VNTERUNIT_FLIGHT_LONG ? VNTERUNIT_GRAVITY / (t * 0.4f)
                                            : VNTERUNIT_FLIGHT_SHORT_GRAVITY;
  out->velocity = {(target.x - start.x) / t, (target.y - start.y) / t,
                   (target.z - start.z) / t - t * g * 0.5f};
  out->gravity = g;
  out->time = t;
  return 1;
}

SPW_VECTOR vnTERUNIT_FlightPoint(const SPW_VECTOR& start, const VNTERUNIT_FLIGHT& flight, float t) {
  return {start.x + flight.velocity.x * t, start.y + flight.velocity.y * t,
          start.z + t * (flight.velocity.z + t * flight.gravity * 0.5f)};
}

void vnTERUNIT_RechargeJump(float* energy, int32_t tier) {
  float rate;
  float full;
  if (tier == VNTERUNIT_TIER_BASIC) {
    rate = kRechargeBasic;
    full = VNTERUNIT_JUMP_ENERGY_TIER0;
  } else if (tier == VNTERUNIT_TIER_ADVANCED) {
    rate = kRechargeAdvanced;
    full = VNTERUNIT_JUMP_ENERGY_TIER1;
  } else {
    return;
  }
  if (*energy >= full) return;
  *energy = std::min(*energy + rate * SGE_GetFrameTime(), full);
}

void vnTERUNIT_DrainJump(float* energy, int32_t tier) {
  if (tier != VNTERUNIT_TIER_BASIC && tier != VNTERUNIT_TIER_ADVANCED) return;
  *energy = std::max(*energy - VNTERUNIT_JUMP_DRAIN * SGE_GetFrameTime(), 0.0f);
}

float vnTERUNIT_JumpFraction(float energy, int32_t tier) {
  if (tier == VNTERUNIT_TIER_BASIC) return energy * kFractionBasic;
  if (tier == VNTERUNIT_TIER_ADVANCED) return energy * kFractionAdvanced;
  return -1.0f;
}

float vnTERUNIT_JumpEnergyOf(int32_t type) {
  // The engineer counts with the basic suits for the gauge, but has no jets to jump with.
  switch (vnTERUNIT_GetSuitTier(type)) {
    case VNTERUNIT_TIER_BASIC: return VNTERUNIT_JUMP_ENERGY_TIER0;
    case VNTERUNIT_TIER_ADVANCED: return VNTERUNIT_JUMP_ENERGY_TIER1;
    default: return VNTERUNIT_JUMP_NONE;
  }
}

int32_t vnTERUNIT_HasJumpJets(int32_t type) {
  return vnTERUNIT_GetSuitTier(type) != VNTERUNIT_TIER_OTHER && !vnTERUNIT_IsEngineer(type) ? 1 : 0;
}

int32_t vnTERUNIT_HasDome(int32_t type) {
  return type >= VN_UNIT_TYPE_SUIT_COMMAND_0 && type <= VN_UNIT_TYPE_SUIT_COMMAND_1_FEM ? 1 : 0;
}

int32_t vnTERUNIT_CanJumpTo(int32_t type, const SPW_VECTOR* point) {
  if (!vnTERUNIT_HasJumpJets(type)) return 0;
  if (!point) return 1;
  VNMOVER_PLANNER* planner = vnMOVER_GetPathPlanner();
  BSTAR_Node* region = planner ? BSTAR_FindNodeAtPoint(planner->pNetwork, point) : nullptr;
  return region && (region->dwFlags & BSTAR_NODE_USERMARK) ? 0 : 1;
}

float vnTERUNIT_KmhToMs(float kmh) { return kmh * kKmhToMs; }

int32_t vnTERUNIT_IsWithinEngageRange(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return SPW_VecDistSq(&a, &b) < VNTERUNIT_ENGAGE_RANGE * VNTERUNIT_ENGAGE_RANGE ? 1 : 0;
}

float vnTERUNIT_Distance2D(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return std::hypot(b.x - a.x, b.y - a.y);
}
