// Footsteps and the jump's flight sounds.
#include "engine/kernel/frametime.h"
#include "shell/sound/sound.h"
#include "terran/terunit.h"
#include "terran/unitfx.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

constexpr float kWalkInterval = 1.0f;
constexpr float kRunInterval = 0.5f;
constexpr float kSuitRunInterval = 0.75f;
constexpr int32_t kLaunchSound = 398;
constexpr int32_t kLandSound = 397;
constexpr int32_t kDustKind = 2;  // the ground whose steps raise a puff

// The first sound of each soldier group's bank.
constexpr int32_t kSuit0Steps = 439;
constexpr int32_t kSuit1Steps = 453;
constexpr int32_t kSuit2Steps = 463;
constexpr int32_t kFootSteps = 415;

bool Walking(int32_t lowerState) {
  return lowerState == VN_TERUNIT_LOWER_STEALTHWALK ||
         lowerState == VN_TERUNIT_LOWER_STEALTHWALKBACKWARDS;
}

int32_t Surface(const VNTERUNIT* r) {
  const VNMOVER_RECORD* move = r->unit->pMove;
  return vnCOMBAT_StructureKind(move ? move->pRegion : nullptr);
}

}  // namespace

int32_t vnTERUNIT_StepSound(int32_t type, int32_t lowerState, int32_t surface, int32_t side) {
  // Kinds 2-7 have sounds of their own; every other kind sounds as kind 0.
  const int32_t g = surface >= 2 && surface <= 7 ? surface - 1 : 0;
  const int32_t walk = Walking(lowerState) ? 2 : 0;
  if (vnTERUNIT_IsTier0Suit(type)) return kSuit0Steps + 2 * g + side;
  if (vnTERUNIT_IsTier1Suit(type)) {
    if (surface < 4 || surface > 7) return kSuit1Steps + side;
    return kSuit1Steps + 2 * (surface - 3) + side;
  }
  if (vnTERUNIT_IsTier2SuitOnly(type)) return kSuit2Steps + 4 * g + walk + side;
  // Unsuited feet share kind 5's sounds on kind 6, and use kind 6's on kind 7.
  const int32_t g2 = surface == 6 ? 4 : surface == 7 ? 5 : g;
  return kFootSteps + 4 * g2 + walk + side;
}

void vnTERUNIT_PlaySteps(VNTERUNIT* r, int32_t /*mode*/) {
  if (!r || !r->unit) return;
  const float* at = &r->unit->vPos.x;
  r->stepTimer += SGE_GetFrameTime();
  float interval;
  switch (r->lowerState) {
    case VN_TERUNIT_LOWER_STEALTHWALK:
    case VN_TERUNIT_LOWER_STEALTHWALKBACKWARDS:
      interval = kWalkInterval;
      break;
    case VN_TERUNIT_LOWER_RUNNING:
      interval = vnTERUNIT_IsTier0Suit(r->unit->nType) ? kSuitRunInterval : kRunInterval;
      break;
    case VN_TERUNIT_LOWER_BOUNCELAUNCH:
      vnSOUND_PlayEffect(kLaunchSound, at);
      return;
    case VN_TERUNIT_LOWER_BOUNCELAND:
      vnSOUND_PlayEffect(kLandSound, at);
      return;
    case VN_TERUNIT_LOWER_BOUNCETRAVEL:
      if (r->flightSound != -1) vnSOUND_SetChannelPosition(r->flightSound, at);
      return;
    default:
      return;
  }
  if (r->stepTimer <= interval) return;
  r->stepTimer = 0.0f;
  const int32_t side = r->stepSide;
  r->stepSide ^= 1;
  const int32_t surface = Surface(r);
  if (surface == kDustKind) vnFX_StatePuff(r);
  vnSOUND_PlayEffect(vnTERUNIT_StepSound(r->unit->nType, r->lowerState, surface, side), at);
}
