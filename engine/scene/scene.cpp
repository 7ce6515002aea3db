// Scene records, their creation and destruction.
#include "engine/scene/scene.h"

SGE_DLLNODE SPW_SceneList = {&SPW_SceneList, &SPW_SceneList};
uint32_t SPW_LightDefault = 0;
int32_t SPW_DrawObjectNodes = 1;
SPW_SCENEHOOKS SPW_SceneHooks{};

SPW_SCENE* SPW_CreateScene(uint32_t, float, uint32_t, uint32_t) { return nullptr; }
int32_t SPW_DestroyScene(SPW_SCENE*) { return 1; }
SPW_LIGHT* SPW_CreateLight(SPW_SCENE*, const SPW_VECTOR*, float, uint32_t, uint32_t, uint32_t) {
  return nullptr;
}
void SPW_SetLightColour(SPW_LIGHT*, uint32_t) {}
void SPW_SetLightPosition(SPW_LIGHT*, const SPW_VECTOR*) {}
void SPW_SetLightRadius(SPW_LIGHT*, float) {}
void SPW_SetLightCallback(SPW_LIGHT*, float, SPW_GLOWFN) {}
void SPW_FreeLight(SPW_LIGHT*) {}
int32_t SPW_CollectSceneLights(SPW_SCENE*, const SPW_VECTOR*, float, SPW_LIGHT**, int32_t* count) {
  *count = 0;
  return 0;
}
int32_t SPW_SelectObjectLights(SPW_SCENE*, const SPW_VECTOR*, float, uint32_t, const SPW_MATRIX*,
                               SPW_LIGHT**) { return 0; }
int32_t SPW_DObjectRenderTask(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF*) { return -1; }
int32_t SPW_DrawLightGlows(SPW_DISPLAYNODE*) { return 0; }
float SPW_SetFadeDistance(float) { return 0.0f; }
float SPW_SetFadeValue(float) { return 0.0f; }
