// The running mission's world record.
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "missions/control/misscont.h"
#include "world/mission/context.h"

void vnMISSCONT_SetWorld(const VNMISSION_WORLD* world) {
  const VNMISSION_WORLD w = world ? *world : VNMISSION_WORLD{};
  VNMISSION_CONTEXT& c = vnMISSION_Context();
  c.pController = w.pController;
  c.pScene = w.pScene;
  c.pPlatoon = w.pPlatoon;
}

SGE_TASK* vnMISSCONT_GetTask() { return vnMISSION_Context().pController; }

VNPLATOON* vnMISSCONT_GetPlatoon() { return vnMISSION_Context().pPlatoon; }

SPW_SCENE* vnMISSCONT_GetScene() { return vnMISSION_Context().pScene; }

int32_t vnMISSCONT_GetTerrainBounds(SPW_VECTOR* min, SPW_VECTOR* max) {
  const SPW_SCENE* scene = vnMISSCONT_GetScene();
  const SPW_TERRAIN* terrain = scene ? scene->pTerrain : nullptr;
  if (!terrain || !terrain->pRoot || !min || !max) return 0;
  // The terrain starts at the origin; the root node's box holds every height.
  const SPW_TERRAINNODE* root = terrain->pRoot;
  *min = {0.0f, 0.0f, root->fMinHeight};
  *max = {static_cast<float>(terrain->dwVertsX - 1) * terrain->fCellSize,
          static_cast<float>(terrain->dwVertsY - 1) * terrain->fCellSize,
          root->fMaxHeight + VNMISSCONT_BOUNDS_HEADROOM};
  return 1;
}

int32_t vnMISSCONT_GetPlayState() { return vnMISSION_Context().bInPlay; }

void vnMISSCONT_SetPlayState(int32_t inPlay) { vnMISSION_Context().bInPlay = inPlay ? 1 : 0; }

float vnMISSCONT_GetGravity() { return VNMISSCONT_GRAVITY; }
