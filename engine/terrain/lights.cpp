// The lights that reach a sphere, found through the patches they light, and the fading of an
// object's colour toward the ground's.
#include <algorithm>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"

namespace {

// Below this radius the patches' light links are searched instead of every light.
constexpr float kWideRadius = 20.0f;
constexpr float kOffsetGrey = 120.0f;
constexpr float kOffsetPull = 0.627451f;

bool Reaches(const SPW_LIGHT* l, const SPW_VECTOR* p, float r) {
  const float dx = p->x - l->vPos.x, dy = p->y - l->vPos.y, dz = p->z - l->vPos.z;
  return l->fRadius * (l->fRadius + 2.0f * r) + r * r > dx * dx + dy * dy + dz * dz;
}

uint32_t PatchIndex(float v, float inv, uint32_t n) {
  const float f = std::floor(v * inv);
  return f <= 0 ? 0 : f >= static_cast<float>(n - 1) ? n - 1 : static_cast<uint32_t>(f);
}

}  // namespace

int32_t SPW_CollectLights(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                          SPW_LIGHT** out, int32_t* count) {
  if (!scene || !centre || !out || !count) return 0;
  const SPW_TERRAIN* t = scene->pTerrain;
  if (radius >= kWideRadius || !t || !t->pPatches) return SPW_CollectSceneLights(scene, centre, radius, out, count);
  const int32_t limit = std::max(*count, 0);
  int32_t found = 0;
  const uint32_t x0 = PatchIndex(centre->x - radius, t->fInvPatchSize, t->dwPatchesX);
  const uint32_t x1 = PatchIndex(centre->x + radius, t->fInvPatchSize, t->dwPatchesX);
  const uint32_t y0 = PatchIndex(centre->y - radius, t->fInvPatchSize, t->dwPatchesY);
  const uint32_t y1 = PatchIndex(centre->y + radius, t->fInvPatchSize, t->dwPatchesY);
  for (uint32_t y = y0; y <= y1 && found < limit; ++y) {
    for (uint32_t x = x0; x <= x1 && found < limit; ++x) {
      const SGE_DLLNODE* head = &t->pPatches[x + y * t->dwPatchesX].lights;
      for (const SPW_TERRAINLIGHTLINK* link : SPW_TileLightLinks(head)) {
        if (found >= limit) break;
        SPW_LIGHT* l = link->pLight;
        if (std::find(out, out + found, l) != out + found || !Reaches(l, centre, radius)) continue;
        out[found++] = l;
      }
    }
  }
  // The lights found go to the end of the scene's list.
  for (int32_t i = 0; i < found; ++i) {
    SGE_ListUnlink(&out[i]->link);
    SGE_ListAddTail(&scene->lights, &out[i]->link);
  }
  *count = found;
  return 1;
}

void SPW_FadeObjectColour(SPW_DOBJECT* object, float step, int32_t useParent,
                          const SPW_COLOUR* colour, const SPW_COLOUR* offset) {
  if (!object) return;
  if (useParent && object->pParent) {
    object->colourB = object->pParent->colourB;
    return;
  }
  SPW_COLOUR target{};
  if (colour) {
    target = *colour;
    if (offset) {
      float* c = &target.r;
      const float* o = &offset->r;
      for (int i = 0; i < 4; ++i)
        c[i] = (std::clamp(c[i] + o[i], 0.0f, 255.0f) - kOffsetGrey) * kOffsetPull + kOffsetGrey;
    }
  } else if (object->pScene) {
    target = object->pScene->ambient;
  } else {
    return;
  }
  float* now = &object->colourB.r;
  const float* goal = &target.r;
  if (step == 0.0f) {
    object->colourB = target;
    return;
  }
  float d[4], largest = 0.0f;
  for (int i = 0; i < 4; ++i) {
    d[i] = goal[i] - now[i];
    largest = std::max(largest, std::fabs(d[i]));
  }
  const float scale = largest > step ? step / largest : 1.0f;
  for (int i = 0; i < 4; ++i) now[i] = std::clamp(now[i] + d[i] * scale, 0.0f, 255.0f);
}
