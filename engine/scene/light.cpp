// Light records, the lights that reach an object and the ones the renderer passes for it.
#include <algorithm>
#include <cstring>

#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "platform/trace.h"

uint32_t SPW_LightDefault = 0;

namespace {

float Channel(uint32_t colour, int byte) { return static_cast<float>((colour >> (8 * byte)) & 0xFFu); }

}  // namespace

SPW_LIGHT* SPW_CreateLight(SPW_SCENE* scene, const SPW_VECTOR* position, float radius,
                           uint32_t colour, uint32_t value, uint32_t flags) {
  if (!scene || !position) return nullptr;
  SPW_LIGHT* l = SGE_ListRecord<SPW_LIGHT>(SGE_ListPopHead(&scene->freeLights));
  if (l) {
    std::memset(static_cast<void*>(l), 0, sizeof *l);
  } else {
    l = static_cast<SPW_LIGHT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_LIGHT)));
  }
  if (!l) {
    PLAT_Trace("SPW_CreateLight: no memory for a light\n");
    return nullptr;
  }
  SGE_ListInit(&l->link);
  SGE_ListInit(&l->terrainLinks);
  l->pScene = scene;
  l->fFlags = flags;
  l->dwDefault = SPW_LightDefault;
  l->vPos = *position;
  SPW_SetLightRadius(l, radius);
  l->fGlowSize = radius;
  l->dwValue = value;
  l->dwKind = SPW_LIGHT_POINT;
  l->dwColour = colour;
  l->colour = {Channel(colour, 2), Channel(colour, 1), Channel(colour, 0), Channel(colour, 3)};
  SGE_ListAddTail(&scene->lights, &l->link);
  return l;
}

void SPW_SetLightColour(SPW_LIGHT* l, uint32_t colour) {
  if (!l) return;
  l->dwColour = colour;
  l->colour = {Channel(colour, 0), Channel(colour, 1), Channel(colour, 2), Channel(colour, 3)};
}

void SPW_SetLightPosition(SPW_LIGHT* l, const SPW_VECTOR* position) {
  if (l && position) l->vPos = *position;
}

void SPW_SetLightRadius(SPW_LIGHT* l, float radius) {
  if (!l) return;
  l->fRadius = radius;
  l->fRadiusSq = radius * radius;
  // A light without reach has no inverse: it lights nothing either way.
  l->fInvRadius = radius > 0.0f ? 1.0f / radius : 0.0f;
  l->fInvRadiusSq = l->fInvRadius * l->fInvRadius;
}

void SPW_SetLightCallback(SPW_LIGHT* l, float glowSize, SPW_GLOWFN callback) {
  if (!l) return;
  l->fGlowSize = glowSize;
  l->pfnOcclusion = callback;
}

void SPW_FreeLight(SPW_LIGHT* l) {
  if (!l || !l->pScene) return;
  SGE_ListUnlink(&l->link);
  if (SPW_SceneHooks.pfnFreeLightLinks) SPW_SceneHooks.pfnFreeLightLinks(l);
  for (SGE_DLLNODE* n : SGE_ListNodes(&l->terrainLinks)) SGE_ListUnlink(n);
  SGE_ListAddTail(&l->pScene->freeLights, &l->link);
}

int32_t SPW_CollectSceneLights(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                               SPW_LIGHT** out, int32_t* count) {
  const int32_t limit = *count;
  *count = 0;
  if (!scene) return 0;
  for (SPW_LIGHT* l : SGE_ListRecords<SPW_LIGHT>(&scene->lights)) {
    if (*count >= limit) break;
    if (l->fRadius * (l->fRadius + 2.0f * radius) + radius * radius > SPW_VecDistSq(&l->vPos, centre))
      out[(*count)++] = l;
  }
  return 1;
}

int32_t SPW_SelectObjectLights(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                               uint32_t objectFlags, const SPW_MATRIX* view, SPW_LIGHT** out) {
  if (!scene || !(objectFlags & SPW_DOBJ_LIT)) return 0;
  SPW_LIGHT* found[SPW_MAX_OBJECT_LIGHTS];
  int32_t n = SPW_MAX_OBJECT_LIGHTS;
  if (SPW_SceneHooks.pfnCollectLights)
    SPW_SceneHooks.pfnCollectLights(scene, centre, radius, found, &n);
  else
    SPW_CollectSceneLights(scene, centre, radius, found, &n);
  n = std::clamp(n, 0, SPW_MAX_OBJECT_LIGHTS);
  const bool sort = objectFlags & SPW_DOBJ_SORT_LIGHTS;
  for (int32_t i = 0; i < n; ++i) {
    SPW_LIGHT* l = found[i];
    l->vToObject = {centre->x - l->vPos.x, centre->y - l->vPos.y, centre->z - l->vPos.z};
    if (sort) l->fDistSq = SPW_VecDistSq(&l->vPos, centre);
  }
  if (sort && n > SPW_MAX_DRIVER_LIGHTS)
    std::stable_sort(found, found + n, [](const SPW_LIGHT* a, const SPW_LIGHT* b) {
      return a->fDistSq < b->fDistSq;
    });
  int32_t kept = 0;
  for (int32_t i = 0; i < n && kept < SPW_MAX_DRIVER_LIGHTS; ++i) {
    SPW_LIGHT* l = found[i];
    SPW_VECTOR unit = l->vToObject;
    const float e = SPW_VecNormalise(&unit);
    float intensity = 1.0f;
    if (e >= radius) {
      // A light no larger than the object would divide by zero or flip the sign.
      const float span = l->fRadius > radius ? l->fRadius - radius : 1.0f;
      intensity = 1.0f - (e - radius) / span;
    }
    if (!(intensity > 0.0f)) continue;
    if (l->dwKind == SPW_LIGHT_CONE) {
      const float dot = l->vDirection.x * unit.x + l->vDirection.y * unit.y + l->vDirection.z * unit.z;
      if (!(dot > l->fConeCos)) continue;
      intensity *= (dot - l->fConeCos) * l->fConeFactor;
    }
    if (view) SPW_MatRotateVector(view, &unit, &l->vViewDir);
    else l->vViewDir = unit;
    l->fIntensity = intensity;
    out[kept++] = l;
  }
  return kept;
}
