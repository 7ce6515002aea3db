// Manning the twin guns: ZR infantry and active zombies get on, fire from them and get off. A
// Twin80 is climbed from a step behind it, which must lie on the path network.
#include <cstring>

#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry_internal.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "world/fobj/twingun.h"
#include "world/mover/mover.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kTurretReach = 20.0f;
constexpr float kFarAway = 1.0e17f;

bool IsTurret(const VNUNIT* unit) {
  return unit->nType == VN_UNIT_TYPE_WEAPON_TWIN50 || unit->nType == VN_UNIT_TYPE_WEAPON_TWIN80;
}

bool IsTwin80(const VNUNIT* unit) { return unit->nType == VN_UNIT_TYPE_WEAPON_TWIN80; }

bool Free(VNUNIT* turret) {
  return turret->pController && SGE_Send(turret->pController, SGM_TWINGUN_GUNNER, 0, 0) == 0;
}

void Occupy(VNUNIT* turret, const VNUNIT* soldier) {
  SGE_Send(turret->pController, SGM_TWINGUN_OCCUPY, 1, static_cast<SGE_PARAM>(soldier->dwId));
}

// A Twin80's step point for the soldier (7200 on, 7205 off); null when it gives none.
const SPW_VECTOR* StepPoint(VNUNIT* turret, const VNUNIT* soldier, int32_t msg) {
  return SGE_ParamPtr<const SPW_VECTOR>(
      vnTERUNIT_SendUnit(turret, msg, static_cast<SGE_PARAM>(soldier->dwId)));
}

struct SEARCH {
  const VNUNIT* soldier;
  VNUNIT* best;
  float bestDistance2;
};

int32_t ConsiderTurret(VNUNIT* unit, SGE_PARAM user) {
  auto* s = SGE_ParamPtr<SEARCH>(user);
  if (!IsTurret(unit)) return 1;
  const float d2 = SPW_VecDistSq(&unit->vPos, &s->soldier->vPos);
  if (d2 < kTurretReach * kTurretReach && d2 < s->bestDistance2 && Free(unit)) {
    s->best = unit;
    s->bestDistance2 = d2;
  }
  return 1;
}

void PushOrder(VNUNIT* unit, const VNORDER& order) {
  if (VNORDER* first = vnORDER_KeepFirst(unit)) vnORDER_MarkDone(first);
  vnORDER_Push(unit, &order);
}

VNORDER TurretOrder(int32_t turretId, int32_t fromTurret, const SPW_VECTOR& point) {
  VNORDER order{};
  order.anWord[0] = VNTERUNIT_ORDER_TURRET;
  order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = turretId;
  order.anWord[VNTERUNIT_ORDER_WORD_STARTED] = fromTurret;
  std::memcpy(&order.anWord[VNTERUNIT_ORDER_WORD_POINT], &point, sizeof point);
  return order;
}

// The current item is put away for the gun and comes back when the soldier gets off.
void Mounted(VNINFANTRY* self, int32_t turretId) {
  VNTERUNIT* s = &self->soldier;
  s->turretId = turretId;
  self->stowedItem = vnTERUNIT_CurrentItemId(s->unit);
  vnTERUNIT_ShowItem(s->unit, self->stowedItem, 1);
  s->wanderPoint = nullptr;
  s->treating = 0;
}

// Back on foot: in the formation, with its shadow and its breath.
void Alight(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  s->unit->dwFlags |= VNUNIT_F_OBSERVABLE;
  vnTERUNIT_SendSelf(s, SGM_INFANTRY_SHADOW, 1);
  if (self->restoreBreath) {
    vnTERUNIT_SendSelf(s, SGM_INFANTRY_BREATH, 1);
    self->restoreBreath = 0;
  }
}

void Dismounted(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  vnTERUNIT_ShowItem(s->unit, self->stowedItem, 0);
  vnUNIT_SetObjectFlag08(s->unit, 1);
  s->turretId = -1;
  self->stowedItem = 0;
}

}  // namespace

VNUNIT* vnTERUNIT_FindFreeTurret(const VNUNIT* soldier) {
  SEARCH search{soldier, nullptr, kFarAway};
  SGE_Send(vnUNITMAN_GetTask(), SGM_UNITMAN_FOR_EACH, SGE_PtrParam(ConsiderTurret),
           SGE_PtrParam(&search));
  if (search.best) Occupy(search.best, soldier);
  return search.best;
}

void vnTERUNIT_ReadyToMount(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  vnTERUNIT_SendSelf(s, SGM_INFANTRY_SHADOW, 0);
  if (s->stateFlags & VNTERUNIT_SF_BREATH_PUFFS) {
    self->restoreBreath = 1;
    vnTERUNIT_SendSelf(s, SGM_INFANTRY_BREATH, 0);
  }
}

void vnTERUNIT_LeaveTurret(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  if (!s->unit || !vnORDER_FindById(s->unit, VNTERUNIT_ORDER_TURRET) || s->turretId <= 0) return;
  VNUNIT* turret = vnUNITMAN_GetUnit(static_cast<uint32_t>(s->turretId));
  if (!turret) return;
  vnTERUNIT_SendUnit(turret, SGM_TWINGUN_OCCUPY, 0, 0);
  if (IsTwin80(turret)) {
    if (const SPW_VECTOR* exit = StepPoint(turret, s->unit, SGM_TWINGUN_TWIN80_EXIT)) {
      // Off the network the soldier could not walk away: he stays on the gun.
      if (!vnTERUNIT_InPathNetwork(exit)) return;
      vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_VISIBLE, 1);
      if (s->stateFlags & VNTERUNIT_SF_TURRET) {
        const SPW_VECTOR at = *exit;
        vnTERUNIT_SendSelf(s, SGM_UNIT_SET_POSITION_FACING, SGE_PtrParam(&at));
        s->stateFlags &= ~VNTERUNIT_SF_TURRET;
      }
      Alight(self);
    }
  }
  Dismounted(self);
}

void vnINFANTRY_ManTurret(VNINFANTRY* self, uint32_t flags, int32_t turretId) {
  VNTERUNIT* s = &self->soldier;
  VNUNIT* unit = s->unit;
  const bool mounted = s->turretId >= 1;
  const bool wanted = (flags & VNINFANTRY_TURRET_TOGGLE) ? !mounted
                                                           : (flags & VNINFANTRY_TURRET_WANTED) != 0;
  // The turret is left while its order still names it; the order goes after.
  if (mounted && !wanted) {
    vnTERUNIT_LeaveTurret(self);
    if (vnORDER_KeepFirst(unit)) vnORDER_Pop(unit);
    return;
  }
  if (mounted || !wanted) return;
  VNUNIT* turret = nullptr;
  if (flags & VNINFANTRY_TURRET_GIVEN) {
    turret = vnUNITMAN_GetUnit(static_cast<uint32_t>(turretId));
    if (!turret || !IsTurret(turret) || !Free(turret)) return;
    Occupy(turret, unit);
  } else {
    turret = vnTERUNIT_FindFreeTurret(unit);
  }
  if (!turret) return;
  s->stateFlags &= ~VNTERUNIT_SF_TURRET;
  vnTERUNIT_RestoreAnimSpeed(s);
  const int32_t id = static_cast<int32_t>(turret->dwId);
  if (IsTwin80(turret)) {
    const SPW_VECTOR* step = StepPoint(turret, unit, SGM_TWINGUN_TWIN80_MOUNT);
    const SPW_VECTOR at = step ? *step : turret->vPos;
    PushOrder(unit, TurretOrder(id, 1, at));
    // A step off the network cannot be walked to: the soldier does not get ready, but keeps
    // the gun so that leaving frees it.
    if (vnTERUNIT_InPathNetwork(&at)) vnTERUNIT_ReadyToMount(self);
  } else {
    SPW_VECTOR mount = turret->vPos;
    SGE_Send(turret->pController, SGM_TWINGUN_MOUNT_POINT, SGE_PtrParam(&mount), 0);
    PushOrder(unit, TurretOrder(id, 0, mount));
    vnTERUNIT_ReadyToMount(self);
  }
  Mounted(self, id);
}

void vnINFANTRY_GetOffTurret(VNINFANTRY* self, const SPW_VECTOR* exit) {
  VNTERUNIT* s = &self->soldier;
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_VISIBLE, 1);
  if (exit) vnTERUNIT_SendSelf(s, SGM_UNIT_SET_POSITION_FACING, SGE_PtrParam(exit));
  Alight(self);
  Dismounted(self);
}

void vnINFANTRY_GetOnTurret(VNINFANTRY* self, const SPW_VECTOR* mount, int32_t turretId) {
  VNTERUNIT* s = &self->soldier;
  const SPW_VECTOR point = mount ? *mount : s->unit->vPos;
  PushOrder(s->unit, TurretOrder(turretId, 1, point));
  Mounted(self, turretId);
  vnTERUNIT_ReadyToMount(self);
}
