// Puffs that rise from a soldier: its breath every two seconds or so while the breath shows,
// and a puff at some upper-body state changes. A puff's sprite carries everything its step reads
// (its drift in the sprite's spare words, the soldier's unit id in its user word), so a puff
// that outlives its soldier drifts on and fades out on its own.
#include <cmath>
#include <cstdint>

#include "effects/effectclass.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/sprite/sprite.h"
#include "missions/control/misscont.h"
#include "platform/random.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/unitfx.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

constexpr int32_t kBreathClass = 11;
constexpr int32_t kStateClass = 14;
constexpr float kBreathSize = 0.1f, kStateSize = 0.05f;
constexpr float kBreathHeight = 1.9f, kStateHeight = 0.2f;
// A new breath comes 2 to 4 seconds after the last; twice as often while running.
constexpr float kBreathPause = 2.0f, kBreathPauseStep = 0.02f;
constexpr int32_t kBreathPauseSteps = 100;
constexpr float kBreathDrift = 0.05f;
constexpr float kBreathGrowth = 0.02f;  // a frame
// A runner's breath stays with him: this many drifts ahead, this high.
constexpr float kRunnerLead = 8.0f, kRunnerHeight = 2.0f;
constexpr float kStateRise = 0.3f;
// Unsuited soldiers' state puffs stay small.
constexpr float kSmallTop = 0.3f, kSmallGrowth = 0.6f;
constexpr float kLargeTop = 1.0f, kLargeGrowth = 1.25f;

void* AsUser(uint32_t word) { return reinterpret_cast<void*>(static_cast<uintptr_t>(word)); }
uint32_t FromUser(void* user) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(user)); }

void Tint(SPW_SPRITE* sprite, float alpha) {
  const auto a = static_cast<uint32_t>(std::fmax(0.0f, std::fmin(255.0f, alpha)));
  for (uint32_t& corner : sprite->adwColour) corner = (a << 24) | 0x00ffffffu;
}

bool Running(const VNUNIT* unit) {
  const auto* s = unit && unit->pController
                      ? SGE_Ask<VNTERUNIT>(unit->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0)
                      : nullptr;
  return s && s->lowerState == VN_TERUNIT_LOWER_RUNNING;
}

// A breath puff: fades with its age, drifts, grows; a runner's stays ahead of him.
int32_t BreathStep(SPW_SPRITE* sprite, void* user) {
  const float frames = vnEFFECT_GetClassValue(kBreathClass);
  Tint(sprite, frames > 0.0f ? 255.0f - 255.0f / frames * sprite->fFrame : 255.0f);
  const float dx = sprite->place.fSpare[0], dy = sprite->place.fSpare[1];
  const VNUNIT* unit = vnUNITMAN_GetUnit(FromUser(user));
  if (Running(unit)) {
    sprite->place.x = unit->vPos.x + kRunnerLead * dx;
    sprite->place.y = unit->vPos.y + kRunnerLead * dy;
    sprite->place.z = unit->vPos.z + kRunnerHeight;
  } else {
    sprite->place.x += dx;
    sprite->place.y += dy;
  }
  sprite->fHalfWidth += 0.5f * kBreathGrowth;
  sprite->fHalfHeight += 0.5f * kBreathGrowth;
  return 1;
}

// A state puff rises (the user word 1) or sinks, and grows to its top size (in fScale).
int32_t StateStep(SPW_SPRITE* sprite, void* user) {
  const float dt = SGE_GetFrameTime();
  const float rise = FromUser(user) ? kStateRise : -kStateRise;
  sprite->place.x += sprite->place.fSpare[0] * dt;
  sprite->place.y += sprite->place.fSpare[1] * dt;
  sprite->place.z += rise * dt;
  const float top = sprite->place.fScale;
  const float growth = top <= kSmallTop ? kSmallGrowth : kLargeGrowth;
  const float half = std::fmin(sprite->fHalfWidth + 0.5f * growth * dt, 0.5f * top);
  sprite->fHalfWidth = sprite->fHalfHeight = half;
  return 1;
}

SPW_SPRITE* MakePuff(int32_t effectClass, const SPW_SPRITEPLACE& place, float size) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  SPW_SPRITESET* set = vnEFFECT_GetClass(effectClass);
  if (!scene || !set) return nullptr;
  return SPW_CreateSprite(scene, set, &place, 0.5f * size, 0.5f * size, 1.0f, nullptr,
                          SPW_SPRITE_COLOURED | SPW_SPRITE_DESTROY_AT_END | SPW_SPRITE_ALPHA);
}

SPW_VECTOR Facing(const VNTERUNIT* s) {
  const VNMOVER_RECORD* move = s->unit->pMove;
  return move ? move->vHeading : SPW_VECTOR{0.0f, 1.0f, 0.0f};
}

}  // namespace

float vnFX_BreathPause(int32_t running) {
  const float pause = kBreathPause + static_cast<float>(PLAT_Rand() % kBreathPauseSteps) * kBreathPauseStep;
  return running ? 0.5f * pause : pause;
}

void vnFX_BreathPuff(VNTERUNIT* s) {
  s->breathTimer -= SGE_GetFrameTime();
  if (s->breathTimer > 0.0f) return;
  s->breathTimer = vnFX_BreathPause(s->lowerState == VN_TERUNIT_LOWER_RUNNING);
  const SPW_VECTOR facing = Facing(s);
  s->breathDrift = {kBreathDrift * facing.x, kBreathDrift * facing.y, kBreathDrift * facing.z};
  const SPW_VECTOR at = s->unit->vPos;
  const SPW_SPRITEPLACE place{at.x, at.y, at.z + kBreathHeight, 0.0f,
                              {s->breathDrift.x, s->breathDrift.y}, 1.0f};
  if (SPW_SPRITE* puff = MakePuff(kBreathClass, place, kBreathSize))
    SPW_SetSpriteUserData(puff, BreathStep, AsUser(s->unit->dwId));
}

void vnFX_StatePuff(VNTERUNIT* s) {
  const SPW_VECTOR facing = Facing(s);
  // The second direction of the soldier: its right hand.
  const SPW_VECTOR side{facing.y, -facing.x, 0.0f};
  const float sign = s->stepSide ? 1.0f : -1.0f;
  s->puffDrift = {sign * side.x, sign * side.y, sign * kStateRise};
  const bool small = vnTERUNIT_GetSuitTier(s->unit->nType) == VNTERUNIT_TIER_OTHER;
  const SPW_VECTOR at = s->unit->vPos;
  const SPW_SPRITEPLACE place{at.x, at.y, at.z + kStateHeight, 0.0f,
                              {s->puffDrift.x, s->puffDrift.y}, small ? kSmallTop : kLargeTop};
  if (SPW_SPRITE* puff = MakePuff(kStateClass, place, kStateSize))
    SPW_SetSpriteUserData(puff, StateStep, AsUser(s->stepSide ? 1 : 0));
}
