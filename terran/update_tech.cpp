// The tech-item order: the soldier carries nerve gas to a bug hole and lets it go within reach,
// or carries a nova bomb to its point and sets it there.
#include "interface/hud/hudtask.h"
#include "missions/control/missionevents.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "world/mover/mover.h"
#include "world/unittype/unittype.h"

namespace {

int32_t Pop(VNTERUNIT* s) {
  vnORDER_Pop(s->unit);
  return 1;
}

void TellUsed(SGE_TASK* task, const VNTERUNIT* s, int32_t type) {
  if (task) SGE_Send(task, SGM_VN_HUD_TECH_USED, static_cast<SGE_PARAM>(s->unit->dwId), type);
}

int32_t RunTo(VNTERUNIT* s, const VNORDER* order, const SPW_VECTOR& goal) {
  s->upperLocked = s->lowerLocked = 0;
  SPW_VECTOR reached;
  vnTERUNIT_MoveToOrNearest(s->unit, &goal, &reached);
  vnTERUNIT_EngageTarget(s, order);
  return 0;
}

// Nerve gas goes off at the bug hole of word 2 once the soldier is within the order's radius.
int32_t NerveGas(VNTERUNIT* s, VNORDER* order, float radius) {
  VNUNIT* item = vnTERUNIT_FindTechItem(s->unit, VN_UNIT_TYPE_TECH_NERVEGAS);
  VNUNIT* target =
      vnUNITMAN_GetUnit(static_cast<uint32_t>(order->anWord[VNTERUNIT_ORDER_WORD_SECOND]));
  if (!item || !target) return Pop(s);
  if (!vnTERUNIT_IsWithin(s, target, radius)) return RunTo(s, order, target->vPos);
  SPW_VECTOR at = target->vPos;
  vnTERUNIT_SendUnit(item, SGM_TECHITEM_USE, SGE_PtrParam(&at));
  TellUsed(vnHUD_GetObject(), s, VN_UNIT_TYPE_TECH_NERVEGAS);
  if (SGE_TASK* mission = vnMISSCONT_GetTask())
    SGE_Send(mission, SGM_VN_MISSCONT_EVENT_TECH_USED, VN_UNIT_TYPE_TECH_NERVEGAS, 0);
  vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  return Pop(s);
}

// The nova bomb is set once (word 2 becomes 1) at the order's point.
int32_t NovaBomb(VNTERUNIT* s, VNORDER* order, float radius) {
  const SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
  const bool there = vnTERUNIT_Distance2D(s->unit->vPos, point) < radius;
  int32_t& set = order->anWord[VNTERUNIT_ORDER_WORD_SECOND];
  if (set) return there ? Pop(s) : RunTo(s, order, point);
  VNUNIT* item = vnTERUNIT_FindTechItem(s->unit, VN_UNIT_TYPE_TECH_NOVABOMB);
  if (!item) return Pop(s);
  if (!there) return RunTo(s, order, point);
  set = 1;
  TellUsed(vnMISSCONT_GetMissionTask(), s, VN_UNIT_TYPE_TECH_NOVABOMB);
  vnTERUNIT_SendUnit(item, SGM_TECHITEM_USE);
  TellUsed(vnHUD_GetObject(), s, VN_UNIT_TYPE_TECH_NOVABOMB);
  return 0;
}

}  // namespace

int32_t vnTERUNIT_RunTechItem(SGE_TASK*, VNTERUNIT* s, VNORDER* order) {
  if (vnTERUNIT_OrderIsDone(order)) return Pop(s);
  const float radius = vnTERUNIT_OrderFloat(order, VNTERUNIT_ORDER_WORD_VALUE);
  switch (order->anWord[VNTERUNIT_ORDER_WORD_TARGET]) {
    case VN_UNIT_TYPE_TECH_NERVEGAS: return NerveGas(s, order, radius);
    case VN_UNIT_TYPE_TECH_NOVABOMB: return NovaBomb(s, order, radius);
    default: return Pop(s);
  }
}
