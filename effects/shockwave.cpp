// The shockwave pool.
#include "effects/shockwave.h"

#include <algorithm>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "platform/trace.h"

namespace {

constexpr float kAlphaFull = 255.0f;

SPW_DOBJECT* MakeObject(const char* file) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (!scene || !SPW_LoadObject(file, nullptr, &slot, 1.0f)) {
    PLAT_Trace("SHOCKWAVE: model %s not loaded\n", file);
    return nullptr;
  }
  const SPW_TRANSFORM at{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f};
  SPW_DOBJECT* o = SPW_CreateDynamicObject(scene, slot, nullptr, 0, &at, 0);
  if (o) o->fFlags |= SPW_DOBJ_HIDDEN | SPW_DOBJ_OWN_COLOUR;
  return o;
}

void Show(SPW_DOBJECT* o, bool shown) {
  if (!o) return;
  if (shown)
    o->fFlags &= ~SPW_DOBJ_HIDDEN;
  else
    o->fFlags |= SPW_DOBJ_HIDDEN;
}

void Place(SPW_DOBJECT* o, const SPW_VECTOR& at, float scale, float alpha) {
  if (!o) return;
  o->t.vPos = at;
  o->t.fScale = scale;
  const float a = std::clamp(alpha, 0.0f, kAlphaFull);
  o->colourA = {kAlphaFull, kAlphaFull, kAlphaFull, a};
}

void Stop(VNSHOCKWAVE_ENTRY& e) {
  e.bActive = 0;
  Show(e.pSphere, false);
  Show(e.pRing, false);
}

void Advance(VNSHOCKWAVE_ENTRY& e, float dt) {
  if (e.nDelay > 0) {
    --e.nDelay;
    return;
  }
  const VNSHOCKWAVE& w = e.wave;
  e.fElapsed += dt;
  const float end = std::max(w.fGrowSeconds, w.fFadeSeconds);
  if (e.fElapsed >= end) {
    Stop(e);
    return;
  }
  const float grown = w.fGrowSeconds > 0.0f ? std::min(e.fElapsed / w.fGrowSeconds, 1.0f) : 1.0f;
  const float fading = std::max(0.0f, e.fElapsed - w.fGrowSeconds);
  const float alpha = kAlphaFull - w.fFadeRate * fading;
  Place(e.pSphere, w.vPos, w.fStartScale + (w.fEndScale - w.fStartScale) * grown, alpha);
  Place(e.pRing, w.vPos, w.fRadius * grown, alpha);
}

}  // namespace

int32_t vnShockwave_CreatePool(VNSHOCKWAVE_ENTRY** pool, int32_t count) {
  if (!pool || *pool || count <= 0) return 0;
  auto* entries = static_cast<VNSHOCKWAVE_ENTRY*>(
      SGE_MemCalloc(SGE_GameMem, static_cast<uint32_t>(sizeof(VNSHOCKWAVE_ENTRY)) * count));
  if (!entries) {
    PLAT_Trace("SHOCKWAVE: no memory for %d entries\n", count);
    return 0;
  }
  for (int32_t i = 0; i < count; ++i) {
    entries[i].pSphere = MakeObject(VNSHOCKWAVE_SPHERE_FILE);
    entries[i].pRing = MakeObject(VNSHOCKWAVE_RING_FILE);
  }
  *pool = entries;
  return 1;
}

int32_t vnShockwave_Start(VNSHOCKWAVE_ENTRY* pool, const VNSHOCKWAVE* wave, int32_t count) {
  if (!pool) return 0;
  if (!wave) return 1;
  for (int32_t i = 0; i < count; ++i) {
    VNSHOCKWAVE_ENTRY& e = pool[i];
    if (e.bActive) continue;
    e.wave = *wave;
    e.fElapsed = 0.0f;
    e.nDelay = wave->nDelayFrames;
    e.bActive = 1;
    Place(e.pSphere, wave->vPos, wave->fStartScale, kAlphaFull);
    Place(e.pRing, wave->vPos, 0.0f, kAlphaFull);
    break;
  }
  return 1;
}

int32_t vnShockwave_UpdatePool(VNSHOCKWAVE_ENTRY* pool, int32_t count) {
  if (!pool) return 0;
  const float dt = SGE_GetFrameTime();
  for (int32_t i = 0; i < count; ++i)
    if (pool[i].bActive) Advance(pool[i], dt);
  return 1;
}

int32_t vnShockwave_DrawPool(VNSHOCKWAVE_ENTRY* pool, int32_t count) {
  if (!pool) return 0;
  for (int32_t i = 0; i < count; ++i) {
    const bool shown = pool[i].bActive && pool[i].nDelay <= 0;
    Show(pool[i].pSphere, shown);
    Show(pool[i].pRing, shown);
  }
  return 1;
}

int32_t vnShockwave_FreePool(VNSHOCKWAVE_ENTRY** pool, int32_t count) {
  if (!pool || !*pool) return 0;
  for (int32_t i = 0; i < count; ++i) {
    SPW_DestroyDynamicObject((*pool)[i].pSphere);
    SPW_DestroyDynamicObject((*pool)[i].pRing);
  }
  SGE_MemFree(*pool);
  *pool = nullptr;
  return 1;
}
