// Scatter: a shot or a throw turned off its line at random, stopped by the path network's walls.
#include <cmath>
#include <cstdint>

#include "platform/random.h"
#include "world/bstar/bstar.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"

namespace {

// rand() over its range scaled to 0..1.
constexpr float kRandUnit = 0.00003051851f;
// Every gate type lets the disc through; only the junction mask stops it.
constexpr uint32_t kAnyLinkType = 0xFFFFFFFFu;

}  // namespace

BSTAR_Node* vnCOMBAT_ScatterDirection(const SPW_VECTOR* origin, const SPW_VECTOR* dir,
                                      float distance, float spread, uint32_t junctionMask,
                                      float radius, BSTAR_Node* region, SPW_VECTOR* out) {
  if (!origin || !dir || !region || !out || !BSTAR_CurrentNetwork) return nullptr;
  const float angle = (2.0f * static_cast<float>(PLAT_Rand()) * kRandUnit - 1.0f) * spread;
  const float c = std::cos(angle), s = std::sin(angle);
  const SPW_VECTOR turned{dir->x * c - dir->y * s, dir->x * s + dir->y * c, 0.0f};
  const SPW_VECTOR end{origin->x + turned.x * distance, origin->y + turned.y * distance,
                       origin->z};
  const SPW_VECTOR vel{turned.x * distance, turned.y * distance, 0.0f};
  SPW_VECTOR outVel;
  int32_t blocked = 0;
  return vnMOVER_SweepDisc(BSTAR_CurrentNetwork, region, radius, kAnyLinkType, origin, &end, &vel,
                           out, &outVel, &blocked, junctionMask);
}
