// Scene records: creation with their pools, destruction in order.
#include "engine/scene/scene.h"

#include <initializer_list>

#include "engine/memory/memblock.h"
#include "engine/tess/tess.h"
#include "platform/trace.h"

SGE_DLLNODE SPW_SceneList = {&SPW_SceneList, &SPW_SceneList};
SPW_SCENEHOOKS SPW_SceneHooks{};

namespace {

constexpr float kFull = 255.0f;

void InitLists(SPW_SCENE* s) {
  for (SGE_DLLNODE* head : {&s->general, &s->objects, &s->dobjects, &s->further, &s->events,
                            &s->other, &s->legacy, &s->procedures, &s->sprites,
                            &s->furtherLists[0], &s->furtherLists[1], &s->lights, &s->freeLights})
    SGE_ListInit(head);
}

// Step result of a hook that is not set: nothing of that kind to release.
int32_t RunHook(int32_t (*hook)(SPW_SCENE*), SPW_SCENE* scene) { return hook ? hook(scene) : 1; }

int32_t DestroyAnimObjects(SPW_SCENE* s) {
  int32_t ok = 1;
  while (SGE_DLLNODE* n = SGE_ListFirst(&s->objects)) {
    if (!SPW_SceneHooks.pfnDestroyAnimObject) {
      // Nobody owns the records: take them off so the scene record can go.
      SGE_ListUnlink(n);
      ok = 0;
      continue;
    }
    if (!SPW_SceneHooks.pfnDestroyAnimObject(n)) {
      SGE_ListUnlink(n);
      ok = 0;
    }
  }
  return ok;
}

int32_t DestroyDynamicObjects(SPW_SCENE* s) {
  int32_t ok = 1;
  while (SPW_DOBJECT* o = SGE_ListFirstRecord<SPW_DOBJECT>(&s->dobjects))
    if (!SPW_DestroyDynamicObject(o)) {
      SGE_ListUnlink(SGE_ListLink(o));
      ok = 0;
    }
  return ok;
}

}  // namespace

SPW_SCENE* SPW_CreateScene(uint32_t flags, float speed, uint32_t priority, uint32_t value) {
  auto* s = static_cast<SPW_SCENE*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_SCENE)));
  if (!s) {
    PLAT_Trace("SPW_CreateScene: no memory for the scene record\n");
    return nullptr;
  }
  SGE_ListInit(&s->link.link);
  SGE_ListSetKey(&s->link, priority);
  s->pSelf = s;
  InitLists(s);
  s->fSpeed = speed;
  s->fFlags = flags;
  s->dwValue = value;
  s->ambient = {SPW_SCENE_AMBIENT, SPW_SCENE_AMBIENT, SPW_SCENE_AMBIENT, kFull};
  s->sunColour = {kFull, kFull, kFull, kFull};
  s->vSunDirection = {-1.0f, 0.0f, 0.0f};
  SGE_ListInsertSorted(&SPW_SceneList, &s->link);
  SPW_InitTessellations(s, SPW_ObjsMem);
  return s;
}

int32_t SPW_DestroyScene(SPW_SCENE* s) {
  if (!s || (s->fFlags & SPW_SCENE_PERMANENT)) return 1;
  int32_t ok = 1;
  ok &= SPW_ReleaseAllTessellations(s);
  ok &= RunHook(SPW_SceneHooks.pfnDestroyProcedures, s);
  ok &= DestroyAnimObjects(s);
  ok &= DestroyDynamicObjects(s);
  ok &= RunHook(SPW_SceneHooks.pfnDestroySprites, s);
  if (s->pTerrain) ok &= RunHook(SPW_SceneHooks.pfnReleaseTerrain, s);
  if (s->pTree) ok &= RunHook(SPW_SceneHooks.pfnFreeTree, s);
  while (SPW_LIGHT* l = SGE_ListFirstRecord<SPW_LIGHT>(&s->lights)) SPW_FreeLight(l);
  ok &= SGE_ListFreeAll(&s->freeLights);
  // Events not yet delivered go with the scene.
  ok &= SGE_ListFreeAll(&s->events);
  SGE_ListUnlink(&s->link.link);
  s->pSelf = nullptr;
  ok &= SGE_MemFree(s);
  return ok ? 1 : 0;
}
