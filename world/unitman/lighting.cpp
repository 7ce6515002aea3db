// Ground lighting: a unit's model takes the colour of the ground under it and is lit by the
// scene's lights near it; segments are tested against the ground and the scenery.
#include <algorithm>
#include <cmath>

#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"
#include "world/unitman/unitman.h"

namespace {

// Own colour, lit by the scene's lights, nearest lights first: the renderer relights every
// object of a tree that carries them.
constexpr uint32_t kRelight = SPW_DOBJ_OWN_COLOUR | SPW_DOBJ_LIT | SPW_DOBJ_SORT_LIGHTS;
static_assert(kRelight == 0x62000000);

int32_t g_globalLighting = 0;

float Channel(uint32_t argb, int32_t shift) { return static_cast<float>((argb >> shift) & 0xFF); }

void MarkTree(SPW_DOBJECT* object) {
  object->fFlags |= kRelight;
  for (SPW_DOBJECT* r : SGE_ListRecords<SPW_DOBJECT>(&object->children))
    MarkTree(r);
}

void Relight(SPW_DOBJECT* object) {
  vnUNIT_SampleGroundLight(object);
  MarkTree(object);
}

}  // namespace

void vnUNIT_SampleGroundLight(SPW_DOBJECT* object) {
  if (!object || !object->pScene) return;
  const SPW_VECTOR at{object->t.vPos.x + object->vOffset.x, object->t.vPos.y + object->vOffset.y,
                      object->t.vPos.z + object->vOffset.z};
  uint32_t argb = 0;
  const SPW_TERRAIN* terrain = object->pScene->pTerrain;
  const bool onGround = terrain && SPW_TerrainColourAt(terrain, at.x, at.y, &argb);
  if (!onGround) argb = SPW_GetTerrainColour(object->pScene, at.x, at.y);
  const SPW_COLOUR& ambient = object->pScene->ambient;
  const float add = onGround ? 1.0f : 0.0f;
  object->colourA.r = std::clamp(Channel(argb, 16) + add * ambient.r, 0.0f, 255.0f);
  object->colourA.g = std::clamp(Channel(argb, 8) + add * ambient.g, 0.0f, 255.0f);
  object->colourA.b = std::clamp(Channel(argb, 0) + add * ambient.b, 0.0f, 255.0f);
}

void vnUNIT_UpdateGroundLighting(VNUNIT* unit, int32_t withExtra) {
  if (!unit || !unit->pController) return;
  if (auto* object = SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0))
    Relight(object);
  if (!withExtra || g_globalLighting) return;
  if (auto* extra = SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_EXTRA_OBJECT, 0, 0))
    Relight(extra);
}

int32_t vnUNIT_SetGlobalLighting(int32_t on) {
  const int32_t old = g_globalLighting;
  g_globalLighting = on;
  return old;
}

int32_t vnUNIT_IsSegmentBlocked(const SPW_VECTOR* start, const SPW_VECTOR* direction, float length) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || !start || !direction) return 0;
  const float dirSq = direction->x * direction->x + direction->y * direction->y + direction->z * direction->z;
  if (dirSq <= 0.0f) return 0;
  // Hits are measured in squared direction lengths.
  float best = length * length / dirSq;
  if (SPW_CollideTerrain(scene, start, direction, length, nullptr, &best)) return 1;
  best = length * length / dirSq;
  return SPW_CollideQuery(scene, start, direction, length, nullptr, &best) ? 1 : 0;
}
