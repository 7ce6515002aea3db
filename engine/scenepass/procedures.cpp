// Procedures and events of the scenes, and the scene hooks these passes own.
#include "engine/memory/memblock.h"
#include "engine/scenepass/scenepass.h"

namespace {

void RunProcedure(SPW_PROCEDURE* p) {
  if (p->pfnFrame) p->pfnFrame(p);
  if (p->pfnMember) {
    // A member function may free its member: the next one is taken first.
    for (SGE_DLLNODE* m : SGE_ListNodes(&p->members)) p->pfnMember(p, m);
  }
  if (SGE_ListIsEmpty(&p->members))
    SPW_DestroyProcedure(p);
  else if (p->pfnAfterMembers)
    p->pfnAfterMembers(p);
}

// Delivers the scene's events, those that callbacks add included.
void DeliverEvents(SPW_SCENE* scene) {
  while (auto* e = SGE_ListRecord<SPW_BREAKPOINT>(SGE_ListPopHead(&scene->events))) {
    void* user = e->pUser;
    SPW_EVENTFN callback = e->pfnCallback;
    uint32_t values[2] = {e->adwUser[0], e->adwUser[1]};
    SGE_MemFree(e);
    if (callback) callback(user, values);
  }
}

int32_t DestroyAnimObjectHook(void* object) {
  return SPW_DestroyAnimObject(static_cast<SPW_ANIMOBJECT*>(object));
}

}  // namespace

void SPW_InitScenePasses() {
  SPW_TimeScale = 1.0f;
  // Scenes live in the engine's blocks: after a restart the list must not lead into the old ones.
  SGE_ListInit(&SPW_SceneList);
  SPW_SceneHooks.pfnDestroyProcedures = SPW_DestroyAllProcedures;
  SPW_SceneHooks.pfnDestroyAnimObject = DestroyAnimObjectHook;
}

int32_t SPW_DestroyProcedure(SPW_PROCEDURE* procedure) {
  if (!procedure) return 0;
  if (procedure->pfnDestroy) procedure->pfnDestroy(procedure);
  SGE_ListFreeAll(&procedure->members);
  if (procedure->pData) SGE_ReleaseDataRef(procedure->pData);
  procedure->pData = nullptr;
  return SGE_ListRemove(&procedure->link);
}

int32_t SPW_DestroyAllProcedures(SPW_SCENE* scene) {
  if (!scene) return 0;
  int32_t ok = 1;
  while (SPW_PROCEDURE* p = SGE_ListFirstRecord<SPW_PROCEDURE>(&scene->procedures))
    if (!SPW_DestroyProcedure(p)) {
      // A record that cannot be freed is taken out all the same, so the loop ends.
      SGE_ListUnlink(&p->link);
      ok = 0;
    }
  return ok;
}

void SPW_ProcedurePass() {
  SPW_ForEachScene([](SPW_SCENE* scene) {
    for (SPW_PROCEDURE* p : SGE_ListRecords<SPW_PROCEDURE>(&scene->procedures)) RunProcedure(p);
  });
}

void SPW_EventPass() { SPW_ForEachScene(DeliverEvents); }
