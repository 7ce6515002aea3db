// Sprite sets and sprites: creation, lookup, destruction and the per-frame animation step.
#include "engine/sprite/sprite.h"

#include <cmath>

#include "engine/kernel/frametime.h"
#include "engine/memory/memblock.h"
#include "engine/scenepass/scenepass.h"
#include "platform/trace.h"

namespace {

SGE_DLLNODE g_sets = {&g_sets, &g_sets};

// The whole frame index of a frame value, held inside the int range.
int32_t WholeFrame(float f) {
  if (!(f > 0.0f)) return 0;
  return f >= 2.0e9f ? 2000000000 : static_cast<int32_t>(f);
}

// The origin one frame on: along the row, then to the start of the next row, then back to the
// first row.
void StepOrigin(SPW_SPRITE* s) {
  const SPW_SPRITESET* set = s->pSet;
  s->origin.u += set->step.u;
  if (s->origin.u + set->size.u > set->end.u) {
    s->origin.u = set->start.u;
    s->origin.v += set->step.v;
    if (s->origin.v + set->size.v > set->end.v) s->origin.v = set->start.v;
  }
}

// Steps the sprite's frame; false when it was destroyed.
bool Animate(SPW_SPRITE* s) {
  const float count = s->pSet->fFrames;
  const bool loop = (s->fFlags & SPW_SPRITE_LOOP) != 0;
  // A looping set without frames has nowhere to wrap to: the sprite keeps its frame.
  if (loop && !(count > 0.0f)) return true;
  const float step = (s->fFlags & SPW_SPRITE_REAL_TIME) ? SGE_GetFrameTime() * s->fSpeed * 30.0f
                                                        : s->fSpeed;
  const int32_t old = WholeFrame(s->fFrame);
  s->fFrame += step;
  int32_t n = WholeFrame(s->fFrame);
  for (int32_t i = old + 1; i <= n; ++i) {
    if (static_cast<float>(i) >= count) {
      if (!loop) {
        s->fFrame = count;
        if (s->fFlags & SPW_SPRITE_DESTROY_AT_END) {
          SPW_DestroySprite(s);
          return false;
        }
        break;
      }
      s->fFrame = std::fmod(s->fFrame, count);
      s->origin = s->pSet->start;
      n = WholeFrame(s->fFrame);
      i = 0;
      continue;
    }
    StepOrigin(s);
  }
  return true;
}

void SpriteStep(SPW_SPRITE* s) {
  if (!Animate(s)) return;
  if (s->pfnCallback && !s->pfnCallback(s, s->pUser)) SPW_DestroySprite(s);
}

int32_t DestroySpritesOfSet(SPW_SCENE* scene, uint32_t id) {
  int32_t ok = 1;
  for (SPW_SPRITE* sprite : SGE_ListRecords<SPW_SPRITE>(&scene->sprites))
    if (sprite->pSet->dwId == id && !SPW_DestroySprite(sprite)) ok = 0;
  return ok;
}

}  // namespace

void SPW_InitSprites() {
  SGE_ListInit(&g_sets);
  SPW_SceneHooks.pfnDestroySprites = SPW_DestroyAllSprites;
}

SPW_SPRITESET* SPW_CreateSpriteSet(int32_t texture, uint32_t id, const SPW_UV* start,
                                   const SPW_UV* end, const SPW_UV* step, const SPW_UV* size,
                                   float frames) {
  auto* set = static_cast<SPW_SPRITESET*>(SGE_MemCalloc(SPW_SpritesMem, sizeof(SPW_SPRITESET)));
  if (!set) {
    PLAT_Trace("SPW_CreateSpriteSet: no room in SPW_SpritesMem for set %u\n", id);
    return nullptr;
  }
  set->nTexture = texture;
  set->dwId = id;
  set->start = start ? *start : SPW_UV{0.0f, 0.0f};
  set->end = end ? *end : SPW_UV{1.0f, 1.0f};
  set->step = step ? *step : SPW_UV{0.0f, 0.0f};
  set->size = size ? *size : SPW_UV{1.0f, 1.0f};
  set->fFrames = frames;
  SGE_ListAddHead(&g_sets, &set->link);
  return set;
}

SPW_SPRITESET* SPW_FindSpriteSet(uint32_t id) {
  for (SPW_SPRITESET* r : SGE_ListRecords<SPW_SPRITESET>(&g_sets))
    if (r->dwId == id) return r;
  return nullptr;
}

int32_t SPW_DestroySpriteSet(uint32_t id) {
  SPW_SPRITESET* set = SPW_FindSpriteSet(id);
  if (!set) return 0;
  SPW_ForEachScene([id](SPW_SCENE* scene) { DestroySpritesOfSet(scene, id); });
  return SGE_ListRemove(&set->link);
}

int32_t SPW_DestroyAllSpriteSets() {
  while (const SPW_SPRITESET* set = SGE_ListFirstRecord<SPW_SPRITESET>(&g_sets))
    if (!SPW_DestroySpriteSet(set->dwId)) return 0;
  return 1;
}

SPW_SPRITE* SPW_CreateSprite(SPW_SCENE* scene, SPW_SPRITESET* set, const SPW_SPRITEPLACE* place,
                             float halfWidth, float halfHeight, float speed,
                             const uint32_t* colours, uint32_t flags) {
  if (!scene || !set) return nullptr;
  auto* s = static_cast<SPW_SPRITE*>(SGE_MemCalloc(SPW_SpritesMem, sizeof(SPW_SPRITE)));
  if (!s) {
    PLAT_Trace("SPW_CreateSprite: no room in SPW_SpritesMem\n");
    return nullptr;
  }
  s->pSet = set;
  s->pScene = scene;
  s->fFlags = flags;
  if (place) s->place = *place;
  s->origin = set->start;
  s->fFrame = 0.0f;
  s->fSpeed = speed;
  s->fHalfWidth = halfWidth;
  s->fHalfHeight = halfHeight;
  for (int i = 0; i < 4; ++i)
    s->adwColour[i] = !colours ? SPW_SPRITE_WHITE
                               : colours[(flags & SPW_SPRITE_FOUR_COLOURS) ? i : 0];
  SGE_ListAddHead(&scene->sprites, &s->link);
  return s;
}

int32_t SPW_DestroySprite(SPW_SPRITE* sprite) {
  if (!sprite) return 0;
  return SGE_ListRemove(&sprite->link);
}

int32_t SPW_DestroyAllSprites(SPW_SCENE* scene) {
  if (!scene) return 0;
  int32_t ok = 1;
  while (SPW_SPRITE* sprite = SGE_ListFirstRecord<SPW_SPRITE>(&scene->sprites))
    if (!SPW_DestroySprite(sprite)) {
      SGE_ListUnlink(&sprite->link);
      ok = 0;
    }
  return ok;
}

void SPW_SetSpriteUserData(SPW_SPRITE* sprite, SPW_SPRITEFN callback, void* user) {
  if (!sprite) return;
  sprite->pfnCallback = callback;
  sprite->pUser = user;
}

void SPW_SpritePass() {
  SPW_ForEachScene([](SPW_SCENE* scene) {
    // A callback may destroy its own sprite: the next one is taken first.
    for (SPW_SPRITE* sprite : SGE_ListRecords<SPW_SPRITE>(&scene->sprites))
      if (sprite->fFlags & SPW_SPRITE_ANIMATED) SpriteStep(sprite);
  });
}
