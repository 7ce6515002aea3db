// The soldier's frame while a sequence drives it or it lies dormant: a dormant soldier wakes when
// one of the player's units comes near, a scripted walk runs to its point, and a rope is pulled.
#include "engine/dobject/dobject.h"
#include "frontend/platman.h"
#include "interface/hud/refresh.h"
#include "missions/control/missionevents.h"
#include "missions/control/misscont.h"
#include "missions/control/striketeam.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "world/formation/rank.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"

namespace {

// A unit this near wakes a dormant soldier (squared metres).
constexpr float kWakeReach2 = 100.0f;
// A scripted walk ends this near its point.
constexpr float kScriptedArrival = 3.0f;
// Platoon soldier flag: joined in the field.
constexpr uint32_t kJoinedInField = 0x4;

SPW_VECTOR ModelPosition(const VNTERUNIT* s) { return s->model ? s->model->t.vPos : s->unit->vPos; }

bool InIdList(const VNTERUNIT* s, uint32_t id) {
  for (int32_t i = 0; i < s->idCount && i < VNTERUNIT_MAX_IDS; ++i)
    if (static_cast<uint32_t>(s->idList[i]) == id) return true;
  return false;
}

// The first of the player's units in sight that may wake the soldier.
bool SomeoneNear(const VNTERUNIT* s, const VNPLAYER* player) {
  const VNUNIT* unit = s->unit;
  for (int32_t i = 0; i < unit->nSighted; ++i) {
    const VNUNIT* other = unit->ppSighted[i];
    if (!other || other == unit || other->dwPlayer != player->dwId || InIdList(s, other->dwId))
      continue;
    if (SPW_VecDistSq(&unit->vPos, &other->vPos) <= kWakeReach2) return true;
  }
  return false;
}

// A wounded soldier gets up first and joins when it is up (vnTERUNIT_WakeEvent).
void Wake(VNTERUNIT* s) {
  const bool wounded = (s->modeFlags & VNTERUNIT_MF_WOUNDED) != 0;
  if (wounded) vnTERUNIT_SendSelf(s, SGM_TERUNIT_SHOW_WOUNDED, 0);
  vnTERUNIT_Awaken(s, !wounded);
}

void ScriptedWalk(VNTERUNIT* s, VNORDER* order) {
  s->upperLocked = s->lowerLocked = 0;
  s->idlePeriods = 0;
  if (vnTERUNIT_OrderIsDone(order)) {
    vnORDER_Pop(s->unit);
    return;
  }
  const SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
  const SPW_VECTOR here = ModelPosition(s);
  if (SPW_VecDistSq(&here, &point) > kScriptedArrival * kScriptedArrival) {
    SPW_VECTOR reached;
    vnTERUNIT_MoveToOrNearest(s->unit, &point, &reached);
    vnTERUNIT_EngageTarget(s, order);
    return;
  }
  s->lowerState = VN_TERUNIT_LOWER_IDLE;
  if (s->upperState != VN_TERUNIT_UPPER_FIRING) s->upperState = VN_TERUNIT_UPPER_IDLE;
  vnORDER_Pop(s->unit);
  vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  vnTERUNIT_RestoreAnimSpeed(s);
}

// 1 when the rope was already pulled.
int32_t PullRope(VNTERUNIT* s, VNORDER* order) {
  if (vnTERUNIT_OrderIsDone(order)) {
    vnORDER_Pop(s->unit);
    return 1;
  }
  if (order->anWord[VNTERUNIT_ORDER_WORD_SECOND]) return 0;
  vnTERUNIT_TurnInPlace(s, vnTERUNIT_OrderPoint(order), VNMOVER_REQ_OFFSET);
  s->lowerState = VN_TERUNIT_LOWER_PULLROPE;
  s->upperState = VN_TERUNIT_UPPER_PULLROPE;
  if (SPW_DOBJECT* rope = vnTERUNIT_GetWoundedObject(s)) vnTERUNIT_PlaceModel(s, rope);
  return 0;
}

}  // namespace

void vnTERUNIT_Awaken(VNTERUNIT* s, bool join) {
  const bool platoon = !(s->stateFlags & VNTERUNIT_SF_NOT_PLATOON);
  if (join && platoon) vnTERUNIT_JoinPlatoon(s);
  if ((s->stateFlags & VNTERUNIT_SF_REPORT_WAKING) && vnMISSCONT_GetTask())
    SGE_Send(vnMISSCONT_GetTask(), SGM_VN_MISSCONT_EVENT_TERRAN_AWAKE,
             static_cast<SGE_PARAM>(s->unit->dwId), 0);
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_SET_DORMANT, 0, 0);
  if (!platoon) return;
  if (SGE_TASK* manager = vnUNITMAN_GetTask()) {
    SGE_Send(manager, SGM_UNITMAN_SELECT, SGE_PtrParam(s->unit), 0);
    vnRANK_Reset(manager);
  }
  vnHUD_Refresh();
}

void vnTERUNIT_JoinPlatoon(VNTERUNIT* s) {
  VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  if (!platoon) return;
  VNPLATOON_UNIT* soldier = vnPLATMAN_CreateUnit(s->unit->nType, vnUNIT_AttrInt(s->unit, VN_ATTR_RANK),
                                                 s->profileId, nullptr);
  if (!soldier) return;
  vnPLATMAN_ValidateEquipment(platoon, soldier);
  soldier->dwFlags |= kJoinedInField;
  soldier->nRosterId = static_cast<int32_t>(s->unit->dwId);
  // A full strike team keeps no stranger.
  if (vnMISSCONT_AddUnitToStrikeTeam(soldier) < 0) vnPLATMAN_FreeUnit(soldier);
}

int32_t vnTERUNIT_ScriptedUpdate(SGE_PARAM, const VNPLAYER* player, SGE_TASK*, VNTERUNIT* s) {
  if ((s->unit->dwFlags & VNUNIT_F_NEVER_SIGHTED) && !s->dormantActivity && player &&
      vnMISSCONT_GetPlayState() == 1 && SomeoneNear(s, player))
    Wake(s);
  s->modeFlags &= ~(VNTERUNIT_MF_FIRED_AT_TARGET | VNTERUNIT_MF_FIRED_AT_POINT);
  VNORDER* order = vnORDER_Current(s->unit);
  switch (vnTERUNIT_OrderKind(order)) {
    case VNTERUNIT_ORDER_MOVE: ScriptedWalk(s, order); return 0;
    case VNTERUNIT_ORDER_ROPE: return PullRope(s, order);
    default: return 0;
  }
}
