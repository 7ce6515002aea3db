// The turret order: the soldier walks to the turret's seat, takes it and stays there manning
// the gun until the order is marked done.
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "world/fobj/twingun.h"
#include "world/mover/mover.h"

namespace {

// A soldier this near the order's point takes the seat.
constexpr float kSeatReach = 3.0f;
// Unit flag of a soldier in the player's formation, cleared with the selection when a scripted
// gunner takes the seat.
constexpr uint32_t kInFormation = 0x400000;

void Unlock(VNTERUNIT* s) { s->upperLocked = s->lowerLocked = 0; }

void Both(VNTERUNIT* s, int32_t state) {
  s->lowerState = state;
  s->upperState = state;
}

// The seat: the turret's mount point, facing from it toward the gun.
void TakeSeat(VNTERUNIT* s, VNUNIT* turret) {
  SPW_VECTOR seat = s->unit->vPos;
  if (!vnTERUNIT_SendUnit(turret, SGM_TWINGUN_MOUNT_POINT, SGE_PtrParam(&seat))) return;
  SPW_VECTOR facing{turret->vPos.x - seat.x, turret->vPos.y - seat.y, 0.0f};
  const float length = std::hypot(facing.x, facing.y);
  if (length > 0.0f) {
    facing = {facing.x / length, facing.y / length, 0.0f};
    vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&facing));
  }
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_POSITION, SGE_PtrParam(&seat));
}

}  // namespace

int32_t vnTERUNIT_RunTurret(SGE_TASK*, VNTERUNIT* s, VNORDER* order) {
  if (vnTERUNIT_OrderIsDone(order)) {
    vnORDER_Pop(s->unit);
    return 1;
  }
  const bool scripted = order->anWord[VNTERUNIT_ORDER_WORD_STARTED] != 0;
  if (s->stateFlags & VNTERUNIT_SF_TURRET) {
    if (scripted) return 0;
    s->phaseTimer += SGE_GetFrameTime();
    Both(s, VN_TERUNIT_LOWER_TURRETFIRE);
    Unlock(s);
    vnTERUNIT_AimTurret(s, order);
    return 0;
  }
  const SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
  const SPW_VECTOR here = s->model ? s->model->t.vPos : s->unit->vPos;
  if (SPW_VecDistSq(&here, &point) > kSeatReach * kSeatReach) {
    Unlock(s);
    SPW_VECTOR reached;
    vnTERUNIT_MoveToOrNearest(s->unit, &point, &reached);
    vnTERUNIT_EngageTarget(s, order);
    return 0;
  }
  Both(s, VN_TERUNIT_LOWER_IDLE);
  VNUNIT* turret = vnUNITMAN_GetUnit(static_cast<uint32_t>(order->anWord[VNTERUNIT_ORDER_WORD_TARGET]));
  if (turret) TakeSeat(s, turret);
  if (scripted) {
    vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_VISIBLE, 0, 0);
    s->unit->dwFlags &= ~(VNUNIT_F_SELECTED | kInFormation);
  }
  s->subState = 0;
  s->stateFlags |= VNTERUNIT_SF_TURRET;
  s->phaseTimer = 0.0f;
  return 0;
}
