// The driver's reads of the engine's virtual display and scene records.
#include "driver/device/sceneview.h"

#include "engine/scene/scene.h"
#include "engine/vdisplay/vdisplay.h"

const SPW_VDISPLAY* SPPD_ViewOfNode(const SPW_DISPLAYNODE* node) {
  const SGE_DATAREF* target = node ? node->pTarget : nullptr;
  if (!target || target->nSize != SPW_VDISPLAY_RECORD_SIZE) return nullptr;
  return static_cast<const SPW_VDISPLAY*>(target->pData);
}

float SPPD_ViewInvDepth(const SPW_VDISPLAY* view) { return view->fInvDepth; }

bool SPPD_ViewSunward(const SPW_VDISPLAY* view, float out[3]) {
  const SPW_SCENE* scene = view ? view->pScene : nullptr;
  if (!scene) return false;
  out[0] = -scene->vSunDirection.x;
  out[1] = -scene->vSunDirection.y;
  out[2] = -scene->vSunDirection.z;
  return true;
}

bool SPPD_ViewSunColour(const SPW_VDISPLAY* view, float out[3]) {
  const SPW_SCENE* scene = view ? view->pScene : nullptr;
  out[0] = scene ? scene->sunColour.r : 0.0f;
  out[1] = scene ? scene->sunColour.g : 0.0f;
  out[2] = scene ? scene->sunColour.b : 0.0f;
  return scene != nullptr;
}

bool SPPD_ViewTerrain(SPW_VDISPLAY* view, SPPD_VIEWTERRAIN* out) {
  SPW_SCENE* scene = view ? view->pScene : nullptr;
  if (!scene) return false;
  *out = {scene->pTerrain, &scene->lights, view->fTanHalfY};
  return true;
}
