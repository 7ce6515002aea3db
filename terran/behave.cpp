// Soldier behaviour routines shared by the class handlers, the common handler and the per-frame
// update: state tests, the position step, attackers and fade, patients, carried items.
#include "terran/behave.h"

#include <algorithm>
#include <bit>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"
#include "terran/handler.h"
#include "world/mover/mover.h"
#include "world/unitman/orders.h"
#include "world/unittype/attributes.h"

namespace {

constexpr float kGravity = 9.8f;
// While attacked the soldier is hard to see and its model fades toward 0.4; an attacker 10 m
// away or farther no longer counts.
constexpr float kAttackedVisibility = 0.01f, kAttackedFade = 0.4f, kAttackerReach = 10.0f;
constexpr float kStealthVisibility = 0.5f;

bool InState(int32_t state, int32_t first, int32_t last) { return state >= first && state <= last; }

}  // namespace

int32_t vnTERUNIT_IsBouncing(const VNTERUNIT* record) {
  return InState(record->lowerState, VN_TERUNIT_LOWER_BOUNCELAUNCH, VN_TERUNIT_LOWER_BOUNCESPLAT);
}

int32_t vnTERUNIT_IsLaunching(const VNTERUNIT* record) {
  return InState(record->lowerState, VN_TERUNIT_LOWER_BOUNCELAUNCH, VN_TERUNIT_LOWER_BOUNCELAND);
}

int32_t vnTERUNIT_IsDying(const VNTERUNIT* record) {
  return record->lowerState == VN_TERUNIT_LOWER_DEATH || record->lowerState == VN_TERUNIT_LOWER_DEAD;
}

int32_t vnTERUNIT_RefusesOrders(const VNTERUNIT* record) {
  return vnTERUNIT_IsDying(record) || record->lowerState == VN_TERUNIT_LOWER_POSSESSED ||
                 (record->stateFlags & VNTERUNIT_SF_HELD)
             ? 1
             : 0;
}

int32_t vnTERUNIT_HitReaction(const VNTERUNIT* record) {
  switch (record->lowerState) {
    case VN_TERUNIT_LOWER_TAKINGDAMAGE: return 1;
    case VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE:
    case VN_TERUNIT_LOWER_BOUNCEDAMAGE: return 2;
    default: return 0;
  }
}

SGE_RESULT vnTERUNIT_SendMover(const VNTERUNIT* record, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  SGE_TASK* mover = record->unit ? record->unit->pMover : nullptr;
  return mover ? SGE_Send(mover, msg, a, b) : 0;
}

SGE_RESULT vnTERUNIT_SendSelf(const VNTERUNIT* record, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  return vnTERUNIT_SendUnit(record->unit, msg, a, b);
}

SGE_RESULT vnTERUNIT_SendUnit(const VNUNIT* unit, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  return unit && unit->pController ? SGE_Send(unit->pController, msg, a, b) : 0;
}

void vnTERUNIT_RestoreAnimSpeed(VNTERUNIT* record) {
  if (!(record->savedAnimSpeed > 0.0f)) return;
  if (record->unit && record->unit->pMove) record->unit->pMove->fMaxSpeed = record->savedAnimSpeed;
  record->savedAnimSpeed = -1.0f;
}

namespace {

// Held by a creature: the soldier hangs at its mouth and takes the carrier's motion as its own
// velocity, which it keeps when dropped.
void StepHeld(VNTERUNIT* s) {
  VNUNIT* unit = s->unit;
  VNUNIT* carrier = vnUNITMAN_GetUnit(static_cast<uint32_t>(s->targetId));
  if (!carrier) {
    s->stateFlags &= ~VNTERUNIT_SF_GRABBED;
    s->stepPosition = unit->vPos;
    return;
  }
  SPW_VECTOR mouth{};
  if (vnTERUNIT_SendUnit(carrier, SGM_BUG_GET_MOUTH, SGE_PtrParam(&mouth)) != 1) {
    PLAT_Trace("Error: Failed to get FATALITY position\n");
    s->stepPosition = unit->vPos;
    return;
  }
  const SPW_VECTOR old = unit->vPos;
  if (s->model) s->model->t.vPos = mouth;
  unit->vPos = mouth;
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_POSITION, SGE_PtrParam(&mouth));
  // Velocity is distance over time: the frame's motion divided by its length.
  const float dt = SGE_GetFrameTime();
  s->ballisticVelocity = dt > 0.0f ? SPW_VECTOR{(mouth.x - old.x) / dt, (mouth.y - old.y) / dt,
                                                (mouth.z - old.z) / dt}
                                   : SPW_VECTOR{};
  s->stateFlags |= VNTERUNIT_SF_AIRBORNE;
  s->stepPosition = unit->vPos;
}

SPW_VECTOR ModelPosition(const VNTERUNIT* s) { return s->model ? s->model->t.vPos : s->unit->vPos; }

void Land(VNTERUNIT* s, float ground) {
  s->stepPosition.z = ground;
  s->ballisticVelocity = {};
  if (s->airMoveRequest) vnMOVER_MarkRequest(s->airMoveRequest);
  s->airMoveRequest = nullptr;
  s->stateFlags &= ~VNTERUNIT_SF_AIRBORNE;
  vnUNIT_SetObjectFlag08(s->unit, 1);
}

}  // namespace

const SPW_VECTOR* vnTERUNIT_StepPosition(VNTERUNIT* s) {
  SPW_VECTOR& p = s->stepPosition;
  if (vnTERUNIT_IsLaunching(s)) {
    const SPW_VECTOR model = ModelPosition(s);
    p.x = model.x;
    p.y = model.y;
    return &p;
  }
  if (s->stateFlags & VNTERUNIT_SF_GRABBED) {
    StepHeld(s);
    return &p;
  }
  // The step carries the model; where it stands afterwards is where the soldier is.
  vnTERUNIT_SendMover(s, SGM_MOVER_STEP);
  const SPW_VECTOR model = ModelPosition(s);
  const float dt = SGE_GetFrameTime();
  const bool airborne = (s->stateFlags & VNTERUNIT_SF_AIRBORNE) != 0;
  if (airborne) {
    SPW_VECTOR& v = s->ballisticVelocity;
    v.z -= dt * kGravity;
    p.x += dt * v.x;
    p.y += dt * v.y;
    p.z += dt * v.z;
  }
  // The mover steers x and y; only the height follows the fall.
  p.x = model.x;
  p.y = model.y;
  if (!airborne)
    p.z = model.z;
  else if (model.z > p.z)
    Land(s, model.z);
  return &p;
}

int32_t vnTERUNIT_AddAttacker(VNTERUNIT* s, int32_t attackerId) {
  if (s->attackerCount >= VNTERUNIT_MAX_ATTACKERS) return 0;
  for (int32_t i = 0; i < s->attackerCount; ++i)
    if (s->attackerIds[i] == attackerId) return 0;
  const bool first = s->attackerCount == 0;
  s->attackerIds[s->attackerCount++] = attackerId;
  s->stateFlags |= VNTERUNIT_SF_ATTACKERS;
  if (first && !(s->stateFlags & VNTERUNIT_SF_HIDDEN)) {
    s->visibility = kAttackedVisibility;
    s->stateFlags |= VNTERUNIT_SF_FADING | VNTERUNIT_SF_ATTACKERS;
    s->fadeTarget = kAttackedFade;
    if (s->model) s->model->fFlags |= SPW_DOBJ_OWN_COLOUR;
  }
  return 1;
}

namespace {

// An attacker keeps its hold while it exists, keeps its aura on (asked through its own soldier
// record; a unit without one has no aura) and stays within reach.
bool StillAttacks(const VNTERUNIT* s, int32_t attackerId) {
  VNUNIT* attacker = vnUNITMAN_GetUnit(static_cast<uint32_t>(attackerId));
  if (!attacker) return false;
  const VNTERUNIT* other =
      attacker->pController
          ? SGE_Ask<VNTERUNIT>(attacker->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0)
          : nullptr;
  if (!other || !(other->stateFlags & VNTERUNIT_SF_AURA)) return false;
  return SPW_VecDistSq(&attacker->vPos, &s->unit->vPos) < kAttackerReach * kAttackerReach;
}

}  // namespace

void vnTERUNIT_PruneAttackers(VNTERUNIT* s) {
  int32_t kept = 0;
  for (int32_t i = 0; i < s->attackerCount; ++i)
    if (StillAttacks(s, s->attackerIds[i])) s->attackerIds[kept++] = s->attackerIds[i];
  for (int32_t i = kept; i < s->attackerCount; ++i) s->attackerIds[i] = 0;
  s->attackerCount = kept;
  if (kept) return;
  s->stateFlags &= ~VNTERUNIT_SF_ATTACKERS;
  if (!(s->stateFlags & VNTERUNIT_SF_HIDDEN)) {
    s->fadeTarget = 1.0f;
    s->stateFlags |= VNTERUNIT_SF_FADING;
    if (s->model) s->model->fFlags |= SPW_DOBJ_OWN_COLOUR;
  }
  s->visibility = (s->engagementMode & VNTERUNIT_ENGAGE_MASK) == VNTERUNIT_ENGAGE_STEALTH
                      ? kStealthVisibility
                      : 1.0f;
}

void vnTERUNIT_FadeIn(VNTERUNIT* s) {
  s->fadeTarget = 1.0f;
  s->stateFlags |= VNTERUNIT_SF_FADING;
}

namespace {

// A patient of the list.
struct PATIENT {
  SGE_DLLNODE link;
  int32_t unitId;
};

SGE_MEMBLOCK* PatientBlock() {
  VNUNITMAN* manager = vnUNITMAN_Get();
  return manager ? manager->pBlock : nullptr;
}

PATIENT* FindPatient(const VNTERUNIT* s, int32_t unitId) {
  for (PATIENT* p : SGE_ListRecords<PATIENT>(&s->patients))
    if (p->unitId == unitId) return p;
  return nullptr;
}

}  // namespace

int32_t vnTERUNIT_AddPatient(VNTERUNIT* s, int32_t unitId, int32_t byHealth) {
  if (FindPatient(s, unitId)) return 0;
  VNUNIT* unit = vnUNITMAN_GetUnit(static_cast<uint32_t>(unitId));
  if (!unit) return 0;
  const auto* base =
      unit->pController
          ? SGE_Ask<const int32_t>(unit->pController, SGM_TERUNIT_GET_BASE_ATTRIBUTES, 0, 0)
          : nullptr;
  if (!base) return 0;
  const int32_t index = byHealth ? VNTERUNIT_BASE_HEALTH : VNTERUNIT_BASE_ARMOUR;
  const float now = vnUNIT_AttrFloat(unit, byHealth ? VN_ATTR_HEALTH : VN_ATTR_ARMOUR);
  if (!(now < std::bit_cast<float>(base[index]))) return 0;
  SGE_MEMBLOCK* block = PatientBlock();
  auto* p = block ? static_cast<PATIENT*>(SGE_MemCalloc(block, sizeof(PATIENT))) : nullptr;
  if (!p) {
    PLAT_Trace("[TERUNIT] no memory for patient %d\n", unitId);
    return 0;
  }
  p->unitId = unitId;
  SGE_ListAddTail(&s->patients, &p->link);
  return 1;
}

void vnTERUNIT_AddPatients(VNTERUNIT* s, int32_t count, const int32_t* unitIds, int32_t byHealth) {
  for (int32_t i = 0; unitIds && i < count; ++i) vnTERUNIT_AddPatient(s, unitIds[i], byHealth);
}

int32_t vnTERUNIT_IsPatient(const VNTERUNIT* s, int32_t unitId) {
  return FindPatient(s, unitId) ? 1 : 0;
}

int32_t vnTERUNIT_FirstPatient(const VNTERUNIT* s) {
  const PATIENT* p = SGE_ListFirstRecord<PATIENT>(&s->patients);
  return p ? p->unitId : 0;
}

int32_t vnTERUNIT_RemovePatient(VNTERUNIT* s, int32_t unitId) {
  PATIENT* p = FindPatient(s, unitId);
  if (!p) return 0;
  SGE_ListUnlink(&p->link);
  SGE_MemFree(p);
  return 1;
}

void vnTERUNIT_ClearPatients(VNTERUNIT* s) {
  // The walk survives unlinking the record it stands on.
  for (PATIENT* p : SGE_ListRecords<PATIENT>(&s->patients)) {
    SGE_ListUnlink(&p->link);
    SGE_MemFree(p);
  }
}

void vnTERUNIT_SendIfIdle(VNTERUNIT* s, int32_t msg) {
  if (SGE_ListIsEmpty(&s->patients) || !SGE_ListIsEmpty(&s->unit->orders)) return;
  vnTERUNIT_SendSelf(s, msg);
}

VNUNIT* vnTERUNIT_CurrentItem(const VNUNIT* unit) {
  return SGE_ListFirstRecord<VNUNIT>(&unit->aChildren[VNTERUNIT_WEAPON_LIST]);
}

int32_t vnTERUNIT_CurrentItemId(const VNUNIT* unit) {
  const VNUNIT* item = vnTERUNIT_CurrentItem(unit);
  return item ? static_cast<int32_t>(item->dwId) : -1;
}

VNUNIT* vnTERUNIT_FindItem(const VNUNIT* unit, int32_t key, int32_t mode) {
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(&unit->aChildren[VNTERUNIT_WEAPON_LIST])) {
    const int32_t value = mode == 0 ? static_cast<int32_t>(item->dwId) : item->nType;
    if (value == key) return item;
  }
  return nullptr;
}

float vnTERUNIT_BaseValue(const VNTERUNIT* s, int32_t index) {
  return std::bit_cast<float>(s->baseAttributes[index]);
}
