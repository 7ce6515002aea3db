// Manning the twin guns: ZR infantry and active zombies get on, fire from them and get off.
#include <cstring>

#include "terran/anim_internal.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry_internal.h"
#include "world/fobj/twingun.h"
#include "world/mover/mover.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kTurretOrder = 19;
constexpr float kTurretReach = 20.0f;
constexpr float kFarAway = 1.0e17f;

bool IsTurret(const VNUNIT* unit) {
  return unit->nType == VN_UNIT_TYPE_WEAPON_TWIN50 || unit->nType == VN_UNIT_TYPE_WEAPON_TWIN80;
}

bool Free(VNUNIT* turret) {
  return turret->pController && SGE_Send(turret->pController, SGM_TWINGUN_GUNNER, 0, 0) == 0;
}

void Occupy(VNUNIT* turret, const VNUNIT* soldier) {
  SGE_Send(turret->pController, SGM_TWINGUN_OCCUPY, 1, static_cast<SGE_PARAM>(soldier->dwId));
}

struct SEARCH {
  const VNUNIT* soldier;
  VNUNIT* best;
  float bestDistance2;
};

int32_t ConsiderTurret(VNUNIT* unit, SGE_PARAM user) {
  auto* s = SGE_ParamPtr<SEARCH>(user);
  if (!IsTurret(unit)) return 1;
  const float dx = unit->vPos.x - s->soldier->vPos.x, dy = unit->vPos.y - s->soldier->vPos.y,
              dz = unit->vPos.z - s->soldier->vPos.z;
  const float d2 = dx * dx + dy * dy + dz * dz;
  if (d2 < kTurretReach * kTurretReach && d2 < s->bestDistance2 && Free(unit)) {
    s->best = unit;
    s->bestDistance2 = d2;
  }
  return 1;
}

// The nearest free twin gun within 20 (the first found on a tie), which is told it is manned.
VNUNIT* FindFreeTurret(const VNUNIT* soldier) {
  SEARCH search{soldier, nullptr, kFarAway};
  SGE_Send(vnUNITMAN_GetTask(), SGM_UNITMAN_FOR_EACH, SGE_PtrParam(ConsiderTurret),
           SGE_PtrParam(&search));
  if (search.best) Occupy(search.best, soldier);
  return search.best;
}

void PushOrder(VNUNIT* unit, const VNORDER& order) {
  if (VNORDER* first = vnORDER_KeepFirst(unit)) vnORDER_MarkDone(first);
  vnORDER_Push(unit, &order);
}

VNORDER TurretOrder(int32_t turretId, int32_t fromTurret, const SPW_VECTOR& point) {
  VNORDER order{};
  order.anWord[0] = kTurretOrder;
  order.anWord[1] = turretId;
  order.anWord[3] = fromTurret;
  std::memcpy(&order.anWord[4], &point, sizeof point);
  return order;
}

void ReadyToMount(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  vnTERUNIT_SendSelf(s, SGM_INFANTRY_SHADOW, 0);
  if (s->stateFlags & VNTERUNIT_SF_BREATH_PUFFS) {
    self->restoreBreath = 1;
    vnTERUNIT_SendSelf(s, SGM_INFANTRY_BREATH, 0);
  }
}

void Mounted(VNINFANTRY* self, int32_t turretId) {
  VNTERUNIT* s = &self->soldier;
  s->turretId = turretId;
  self->stowedItem = vnTERUNIT_CurrentItemId(s->unit);
  s->wanderPoint = nullptr;
  s->treating = 0;
}

void Dismounted(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  vnTERUNIT_MarkBody(s, VNMOVER_F_LIFTED, false);
  s->turretId = -1;
  self->stowedItem = 0;
}

}  // namespace

void vnINFANTRY_LeaveTurret(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  if (!s->unit || !vnORDER_FindById(s->unit, kTurretOrder) || s->turretId <= 0) return;
  VNUNIT* turret = vnUNITMAN_GetUnit(static_cast<uint32_t>(s->turretId));
  if (!turret) return;
  if (turret->pController) SGE_Send(turret->pController, SGM_TWINGUN_OCCUPY, 0, 0);
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
    vnINFANTRY_LeaveTurret(self);
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
    turret = FindFreeTurret(unit);
  }
  if (!turret) return;
  s->stateFlags &= ~VNTERUNIT_SF_TURRET;
  vnTERUNIT_RestoreAnimSpeed(s);
  SPW_VECTOR mount = turret->vPos;
  SGE_Send(turret->pController, SGM_TWINGUN_MOUNT_POINT, SGE_PtrParam(&mount), 0);
  PushOrder(unit, TurretOrder(static_cast<int32_t>(turret->dwId), 0, mount));
  ReadyToMount(self);
  Mounted(self, static_cast<int32_t>(turret->dwId));
}

void vnINFANTRY_GetOffTurret(VNINFANTRY* self, const SPW_VECTOR* exit) {
  VNTERUNIT* s = &self->soldier;
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_VISIBLE, 1);
  if (exit) vnTERUNIT_SendSelf(s, SGM_UNIT_SET_POSITION_FACING, SGE_PtrParam(exit));
  s->unit->dwFlags |= VNUNIT_F_OBSERVABLE;
  vnTERUNIT_SendSelf(s, SGM_INFANTRY_SHADOW, 1);
  if (self->restoreBreath) {
    vnTERUNIT_SendSelf(s, SGM_INFANTRY_BREATH, 1);
    self->restoreBreath = 0;
  }
  Dismounted(self);
}

void vnINFANTRY_GetOnTurret(VNINFANTRY* self, const SPW_VECTOR* mount, int32_t turretId) {
  VNTERUNIT* s = &self->soldier;
  const SPW_VECTOR point = mount ? *mount : s->unit->vPos;
  PushOrder(s->unit, TurretOrder(turretId, 1, point));
  Mounted(self, turretId);
  ReadyToMount(self);
}
