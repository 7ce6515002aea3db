// The infantry's models: creation, the death model and the victim pose.
#include <cstdio>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "platform/trace.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry.h"
#include "terran/infantry_internal.h"
#include "terran/update.h"
#include "world/shadow/shadow.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kRaise = 0.45f;  // the model stands this far above the creation point
constexpr float kCreateScale = 0.8f;
constexpr int32_t kShadowKind = 6;
constexpr uint32_t kShadowAtCreation = 0x4F7;
constexpr float kShadowSize = 0.6f;

}  // namespace

SPW_DOBJECT* vnINFANTRY_MakeModel(VNINFANTRY* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(unit->nType);
  VNINFANTRY_MODEL model{};
  vnINFANTRY_ModelFor(unit->nType, row ? row->dwFlags : 0, &model);
  self->frame = model.zombie ? vnTERUNIT_RunOrders : vnTERUNIT_Update;
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (!SPW_LoadObjectByPath(model.path, model.set, nullptr, &slot, 1.0f)) {
    PLAT_Trace("INFANTRY: cannot load the model %s of unit type %d\n", model.path, unit->nType);
    return nullptr;
  }
  SPW_VECTOR at = create ? create->vPos : unit->vPos;
  at.z += kRaise;
  const SPW_TRANSFORM t{at, {0.0f, 0.0f, 1.0f, 0.0f}, kCreateScale};
  SPW_DOBJECT* object = SPW_CreateDynamicObjectEx(vnMISSCONT_GetScene(), slot, nullptr, 0, &t, 0, 0);
  if (!object) return nullptr;
  // An object outside the unit's list is never destroyed with the unit.
  if (!vnUNIT_AddObject(unit, object)) {
    PLAT_Trace("INFANTRY: no list node for the model of unit %u: model destroyed\n",
               unit->dwId);
    SPW_DestroyDynamicObject(object);
    return nullptr;
  }
  self->shadow = vnShadow_Add(kShadowKind, object, kShadowAtCreation, kShadowSize, 1.0f, 0.0f,
                              0.0f, 0.0f, 0.0f, &VNSHADOW_NO_ROTATION);
  return object;
}

int32_t vnINFANTRY_LoadDeathModel(VNTERUNIT* soldier) {
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (!SPW_LoadObject(VNINFANTRY_VICTIM_MODEL, nullptr, &slot, 1.0f)) {
    PLAT_Trace("INFANTRY: cannot load the death model %s\n", VNINFANTRY_VICTIM_MODEL);
    slot = SPW_NO_OBJECT_TYPE;
  }
  soldier->deathModel = slot;
  return slot;
}

// The victim object is made first: when it cannot be, the soldier keeps its model.
int32_t vnINFANTRY_ShowVictim(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  if (s->stateFlags & VNTERUNIT_SF_VICTIM_MODEL) return 0;
  VNUNIT* unit = s->unit;
  SPW_VECTOR at = unit->vPos;
  at.z += kRaise;
  const SPW_TRANSFORM t{at, {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
  SPW_DOBJECT* victim = s->deathModel == SPW_NO_OBJECT_TYPE
                            ? nullptr
                            : SPW_CreateDynamicObject(vnMISSCONT_GetScene(), s->deathModel,
                                                      nullptr, 0, &t, 0);
  if (!victim) return 0;
  VNUNIT_LINKNODE* first = SGE_ListFirstRecord<VNUNIT_LINKNODE>(&unit->list);
  if (first) {
    SPW_DOBJECT* old = static_cast<SPW_DOBJECT*>(first->pData);
    vnUNITMAN_ReturnLinkNode(vnUNITMAN_Get(), first);
    SPW_DestroyDynamicObject(old);
  }
  if (!vnUNIT_AddObject(unit, victim)) {
    SPW_DestroyDynamicObject(victim);
    s->model = nullptr;
    return 0;
  }
  for (int32_t i = 0; i < VNINFANTRY_VICTIM_ANIMS; ++i) {
    const int32_t anim = SPW_LookupAnimationByName(victim, VNINFANTRY_VICTIM_NAMES[i]);
    self->victimAnims[i] = anim < 0 ? 0 : anim;
  }
  s->model = victim;
  SPW_PlayAnimation(victim, 0, -1, SPW_DefaultNodeProc, 0, SPW_ANIM_LOOP_FLAGS, 0.0f);
  s->lowerState = VN_TERUNIT_LOWER_DEAD;
  s->upperState = VN_TERUNIT_UPPER_DEAD;
  s->lowerLocked = s->upperLocked = 1;
  s->stateFlags |= VNTERUNIT_SF_VICTIM_MODEL;
  return 1;
}

int32_t vnINFANTRY_PlayVictim(VNINFANTRY* self, SGE_PARAM index, SGE_PARAM looping) {
  VNTERUNIT* s = &self->soldier;
  if (!(s->stateFlags & VNTERUNIT_SF_VICTIM_MODEL) || !s->model) return 0;
  if (index < 0 || index >= VNINFANTRY_VICTIM_ANIMS) return 0;
  const int32_t anim = self->victimAnims[index];
  SPW_SetAnimationTime(s->model, anim, 0.0f);
  SPW_PlayAnimation(s->model, anim, -1, SPW_DefaultNodeProc, 0,
                    looping == 1 ? SPW_ANIM_LOOP_FLAGS : SPW_ANIM_ONCE_FLAGS, 1.0f);
  return 1;
}

SPW_DOBJECT* vnTERUNIT_GetModel(const VNUNIT* unit) { return unit ? vnUNIT_FirstObject(unit) : nullptr; }
