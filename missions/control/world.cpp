// The running mission's world record.
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"

namespace {
VNMISSION_WORLD g_world{};
}  // namespace

void vnMISSCONT_SetWorld(const VNMISSION_WORLD* world) { g_world = world ? *world : VNMISSION_WORLD{}; }

SGE_TASK* vnMISSCONT_GetTask() { return g_world.pController; }

VNPLATOON* vnMISSCONT_GetPlatoon() { return g_world.pPlatoon; }

SPW_SCENE* vnMISSCONT_GetScene() { return g_world.pScene; }

int32_t vnMISSCONT_GetTerrainBounds(SPW_VECTOR* min, SPW_VECTOR* max) {
  const SPW_TERRAIN* terrain = g_world.pScene ? g_world.pScene->pTerrain : nullptr;
  if (!terrain || !terrain->pRoot || !min || !max) return 0;
  // The terrain starts at the origin; the root node's box holds every height.
  const SPW_TERRAINNODE* root = terrain->pRoot;
  *min = {0.0f, 0.0f, root->fMinHeight};
  *max = {static_cast<float>(terrain->dwVertsX - 1) * terrain->fCellSize,
          static_cast<float>(terrain->dwVertsY - 1) * terrain->fCellSize,
          root->fMaxHeight + VNMISSCONT_BOUNDS_HEADROOM};
  return 1;
}
