// The jump-jet ground effect.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/kernel/frametime.h"
#include "engine/memory/memblock.h"
#include "engine/sprite/sprite.h"
#include "missions/control/effecttexture.h"
#include "missions/control/misscont.h"
#include "platform/random.h"
#include "shell/sound/sound.h"
#include "terran/unitfx.h"
#include "world/unitman/unitman.h"

namespace {

constexpr const char* kGlowTexture = "sprites/effects/Effects.ppm";
constexpr const char* kPuffTexture = "sprites/effects/fx_01.ppm";
constexpr float kSetFrames = 2.0f;
constexpr SPW_UV kGlowGrid[4] = {{0.75f, 0.25f}, {1.0f, 0.5f}, {0.25f, 0.25f}, {0.25f, 0.25f}};
constexpr SPW_UV kPuffGrid[4] = {{0.0f, 0.0f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}};
constexpr uint32_t kGlowCorners[4] = {0xffff00ffu, 0xff00ffffu, 0xffffffffu, 0xffffff00u};
constexpr uint8_t kPuffColour[4] = {96, 96, 255, 255};
constexpr float kPuffHalfSize = 0.1f;  // 0.2 across
constexpr float kPuffTurn = 2.0f;      // radians a second
constexpr float kPuffClimb = 5.0f;     // metres a second
constexpr float kGlowSwing = 2.0f;
constexpr float kGlowLargest = 0.8f;
constexpr float kGlowSmallest = 0.2f;
constexpr float kDegrees = SPW_PI / 180.0f;

SPW_SPRITESET* SharedSet(uint32_t id, const char* texture, const SPW_UV* grid) {
  if (SPW_SPRITESET* set = SPW_FindSpriteSet(id)) return set;
  return SPW_CreateSpriteSet(vnMISSCONT_GetEffectTextureID(texture), id, &grid[0], &grid[1],
                             &grid[2], &grid[3], kSetFrames);
}

uint32_t Argb(const uint8_t c[4]) {
  return (uint32_t{c[3]} << 24) | (uint32_t{c[0]} << 16) | (uint32_t{c[1]} << 8) | c[2];
}

int32_t FollowPuff(SPW_SPRITE* sprite, void* user) {
  const auto* puff = static_cast<const VNFX_JETPUFF*>(user);
  sprite->place.x = puff->position.x;
  sprite->place.y = puff->position.y;
  sprite->place.z = puff->position.z;
  const uint32_t colour = Argb(puff->colour);
  for (uint32_t& corner : sprite->adwColour) corner = colour;
  return 1;
}

int32_t FollowGlow(SPW_SPRITE* sprite, void* user) {
  const auto* jet = static_cast<const VNFX_JET*>(user);
  sprite->place.x = jet->glowPosition.x;
  sprite->place.y = jet->glowPosition.y;
  sprite->place.z = jet->glowPosition.z;
  sprite->fHalfWidth = sprite->fHalfHeight = 0.5f * jet->glowSize;
  return 1;
}

void DestroySprite(SPW_SPRITE*& sprite) {
  if (sprite) SPW_DestroySprite(sprite);
  sprite = nullptr;
}

void EmptyPuffs(VNFX_JET* jet) {
  if (!jet->puffs) return;
  for (int32_t i = 0; i < VNFX_JET_PUFFS; ++i) DestroySprite(jet->puffs[i].sprite);
  std::memset(jet->puffs, 0, sizeof(VNFX_JETPUFF) * VNFX_JET_PUFFS);
}

void Quit(VNFX_JET* jet) {
  DestroySprite(jet->glow);
  EmptyPuffs(jet);
  jet->active = 0;
}

void MovePuff(VNFX_JETPUFF& p, const VNUNIT* unit, float dt) {
  p.angle += kPuffTurn * dt;
  p.rise += kPuffClimb * dt;
  const float r = vnUNIT_AttrFloat(unit, VN_ATTR_RADIUS);
  p.position = {unit->vPos.x + std::cos(p.angle) * r, unit->vPos.y + std::sin(p.angle) * r,
                unit->vPos.z + p.rise};
  if (p.rise > VNFX_JET_PUFF_TOP) p.live = 0;
  const int32_t fade = static_cast<int32_t>(255.0f * dt);
  for (uint8_t& c : p.colour)
    if (c > fade) c = static_cast<uint8_t>(c - fade);
}

void SpawnPuff(VNFX_JET* jet, VNFX_JETPUFF& p, const VNUNIT* unit) {
  p = {};
  p.live = 1;
  p.angle = static_cast<float>(PLAT_Rand() % 360) * kDegrees;
  std::memcpy(p.colour, kPuffColour, sizeof p.colour);
  p.position = unit->vPos;
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || !jet->puffSet) return;
  const SPW_SPRITEPLACE place{p.position.x, p.position.y, p.position.z, 0.0f, {0.0f, 0.0f}, 1.0f};
  p.sprite = SPW_CreateSprite(scene, jet->puffSet, &place, kPuffHalfSize, kPuffHalfSize, 1.0f,
                              nullptr, SPW_SPRITE_COLOURED);
  if (p.sprite) SPW_SetSpriteUserData(p.sprite, FollowPuff, &p);
}

void SwingGlow(VNFX_JET* jet, float dt) {
  if (jet->glowGrowing) {
    jet->glowSize += kGlowSwing * dt;
    if (jet->glowSize >= kGlowLargest) jet->glowGrowing = 0;
  } else {
    jet->glowSize -= kGlowSwing * dt;
    if (jet->glowSize <= kGlowSmallest) jet->glowGrowing = 1;
  }
}

void ShowGlow(VNFX_JET* jet) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (jet->glow || !scene || !jet->glowSet) return;
  const SPW_VECTOR& at = jet->glowPosition;
  const SPW_SPRITEPLACE place{at.x, at.y, at.z, 0.0f, {0.0f, 0.0f}, 1.0f};
  const float half = 0.5f * jet->glowSize;
  jet->glow = SPW_CreateSprite(scene, jet->glowSet, &place, half, half, 1.0f, kGlowCorners,
                               SPW_SPRITE_COLOURED | SPW_SPRITE_FOUR_COLOURS);
  if (jet->glow) SPW_SetSpriteUserData(jet->glow, FollowGlow, jet);
}

}  // namespace

int32_t vnFX_JetCreate(VNFX_JET* jet) {
  *jet = {};
  jet->glowSize = 1.0f;
  jet->glowGrowing = 1;
  jet->glowSet = SharedSet(VNFX_JET_GLOW_SET, kGlowTexture, kGlowGrid);
  jet->puffSet = SharedSet(VNFX_JET_PUFF_SET, kPuffTexture, kPuffGrid);
  return jet->glowSet && jet->puffSet ? 1 : 0;
}

int32_t vnFX_JetStart(VNFX_JET* jet, uint32_t unitId, int32_t word) {
  if (jet->active) return 0;
  jet->unitId = unitId;
  jet->word = word;
  jet->spawnTimer = 0.0f;
  jet->glowSize = 1.0f;
  jet->glowGrowing = 1;
  jet->stopping = 0;
  if (!jet->puffs) {
    jet->puffs = static_cast<VNFX_JETPUFF*>(
        SGE_MemCalloc(SGE_GameMem, sizeof(VNFX_JETPUFF) * VNFX_JET_PUFFS));
    if (!jet->puffs) return 0;
  }
  EmptyPuffs(jet);
  jet->active = 1;
  return 1;
}

int32_t vnFX_JetUpdate(VNFX_JET* jet) {
  if (!jet->active) {
    Quit(jet);
    return 0;
  }
  const float dt = SGE_GetFrameTime();
  vnSOUND_PlayEffect(VNFX_JET_SOUND, &jet->glowPosition.x);
  const VNUNIT* unit = vnUNITMAN_GetUnit(jet->unitId);
  if (!unit || !jet->puffs) {
    Quit(jet);
    return 0;
  }
  jet->spawnTimer += dt;
  bool spawned = false;
  bool anyLive = false;
  for (int32_t i = 0; i < VNFX_JET_PUFFS; ++i) {
    VNFX_JETPUFF& p = jet->puffs[i];
    if (p.live) MovePuff(p, unit, dt);
    if (!p.live) {
      DestroySprite(p.sprite);
      if (!jet->stopping && !spawned && jet->spawnTimer > VNFX_JET_SPAWN_TIME) {
        SpawnPuff(jet, p, unit);
        jet->spawnTimer = 0.0f;
        spawned = true;
      }
    }
    anyLive = anyLive || p.live;
  }
  if (!jet->stopping) {
    ShowGlow(jet);
    SwingGlow(jet, dt);
  } else if (!anyLive) {
    Quit(jet);
  }
  return 1;
}

void vnFX_JetStop(VNFX_JET* jet) {
  DestroySprite(jet->glow);
  jet->stopping = 1;
}

void vnFX_JetFree(VNFX_JET* jet) {
  DestroySprite(jet->glow);
  EmptyPuffs(jet);
  SGE_MemFree(jet->puffs);
  jet->puffs = nullptr;
  jet->active = 0;
  jet->glowSize = 1.0f;
  jet->glowGrowing = 1;
}

int32_t vnFX_JetIsIdle(const VNFX_JET* jet) { return jet->active ? 0 : 1; }
