// The unit manager task: its handler, its registration and the walks over unit lists.
#include "world/unitman/unitman.h"

#include "world/formation/formnode.h"
#include "world/mission/context.h"
#include "world/unitman/internal.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitmsg.h"

namespace {

int32_t ShowFormation(SGE_TASK* task, VNUNITMAN* m, const char* name, const VNFORMNODE_ORDER* order) {
  vnFORMNODE_Reset(m, task);
  if (!order) return 0;
  return vnFORMNODE_ShowFormation(m, task, name, order->nKey, &order->vPoint, &order->vDir);
}

int32_t PlaceFormation(SGE_TASK* task, VNUNITMAN* m, const char* name, const VNFORMNODE_ORDER* order) {
  if (!order) return 0;
  return vnFORMNODE_PlaceFormation(m, task, name, order->nKey, &order->vPoint, &order->vDir);
}

SGE_RESULT Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  auto* m = SGE_TaskData<VNUNITMAN>(task);
  switch (msg) {
    case SGM_TASK_CREATE:
      vnUNITMAN_StartUp(task, m, SGE_ParamPtr<const VNUNITMAN_CREATE>(p1));
      return 1;
    case SGM_TASK_DESTROY:
      vnUNITMAN_ShutDown(task, m);
      break;
    case SGM_TASK_TIMER:
      if (vnFORMNODE_OnTimer(m, task, SGE_ParamPtr<SGE_TIMER>(p1))) return 1;
      break;
    case SGM_TASK_FRAME:
      vnUNITMAN_RunFrame(m);
      return 1;
    case SGM_UNITMAN_REGION_ENTERED:
    case SGM_UNITMAN_REGION_LEFT:
      return vnUNITMAN_RegionEvent(msg, p1, SGE_ParamPtr<const VNMOVER_RECORD>(p2));
    case SGM_UNITMAN_CREATE_UNIT:
      return SGE_PtrResult(
          vnUNITMAN_NewUnit(task, m, SGE_ParamPtr<const VNUNIT_CREATE>(p1), SGE_ParamPtr<const VNPLACE_COMMANDBLOCK>(p2)));
    case SGM_UNITMAN_DESTROY_UNIT:
      vnUNITMAN_FreeUnit(m, SGE_ParamPtr<VNUNIT>(p1));
      return 1;
    case SGM_UNITMAN_DESTROY_ALL:
      vnUNITMAN_FreeAllUnits(m);
      return 1;
    case SGM_UNITMAN_FIND_UNIT:
      return SGE_PtrResult(vnUNITMAN_FindUnit(m, static_cast<uint32_t>(p1), static_cast<uint32_t>(p2)));
    case SGM_UNITMAN_HUMAN_PLAYER:
      return SGE_PtrResult(vnUNITMAN_HumanPlayer(m));
    case SGM_UNITMAN_CLEAR_SELECTION:
      vnUNITMAN_ClearSelection(m);
      return 1;
    case SGM_UNITMAN_SELECT:
      return vnUNITMAN_Select(SGE_ParamPtr<VNUNIT>(p1));
    case SGM_UNITMAN_DESELECT:
      return vnUNITMAN_Deselect(SGE_ParamPtr<VNUNIT>(p1));
    case SGM_UNITMAN_PICK:
      return SGE_PtrResult(vnUNITMAN_Pick(m, SGE_ParamPtr<VNUNITMAN_PICK>(p1)));
    case SGM_UNITMAN_STATE:
      return SGE_PtrResult(m);
    case SGM_UNITMAN_PLAYER_BY_ID:
      return SGE_PtrResult(vnUNITMAN_FindPlayer(m, static_cast<uint32_t>(p1)));
    case SGM_UNITMAN_PLAYER_BY_NAME:
      return SGE_PtrResult(vnUNITMAN_FindPlayerByName(m, SGE_ParamPtr<const char>(p1)));
    case SGM_UNITMAN_SEND_SELECTED:
      return vnUNITMAN_SendToSelected(m, SGE_ParamPtr<const VNUNITMAN_MSG>(p1), static_cast<uint32_t>(p2));
    case SGM_UNITMAN_SEND_PLAYER:
      return vnUNITMAN_SendToPlayer(m, SGE_ParamPtr<const VNUNITMAN_MSG>(p1), static_cast<uint32_t>(p2));
    case SGM_UNITMAN_SEND_PLAYER_TYPE:
      return vnUNITMAN_SendToType(m, SGE_ParamPtr<const VNUNITMAN_MSG>(p1), SGE_ParamPtr<const VNUNITMAN_PLAYERTYPE>(p2));
    case SGM_UNITMAN_TAKE_ORDER:
      return SGE_PtrResult(SGE_ListPopHead(&m->freeOrders));
    case SGM_UNITMAN_RETURN_ORDER:
      if (!p1) return 0;
      SGE_ListUnlink(SGE_ParamPtr<SGE_DLLNODE>(p1));
      SGE_ListAddHead(&m->freeOrders, SGE_ParamPtr<SGE_DLLNODE>(p1));
      return 1;
    case SGM_UNITMAN_DEFAULT_ORDER:
      return SGE_PtrResult(&m->defaultOrder);
    case SGM_UNITMAN_FOR_EACH:
      return vnUNITMAN_ForEach(m, reinterpret_cast<VNUNIT_FUNC>(p1), p2);
    case SGM_UNITMAN_LOAD_FORMATIONS:
      return vnUNITMAN_LoadFormations(m, SGE_ParamPtr<const char>(p1));
    case SGM_UNITMAN_SHOW_FORMATION:
      return ShowFormation(task, m, SGE_ParamPtr<const char>(p1), SGE_ParamPtr<const VNFORMNODE_ORDER>(p2));
    case SGM_UNITMAN_MOVE_GROUP:
    case SGM_UNITMAN_BOUNCE_GROUP:
      vnFORMNODE_Reset(m, task);
      return vnFORMNODE_MoveGroup(m, task, SGE_ParamPtr<const SPW_VECTOR>(p1), SGE_ParamPtr<const VNUNIT>(p2),
                                  msg == SGM_UNITMAN_MOVE_GROUP ? SGM_UNIT_GOTO_POINT : SGM_UNIT_BOUNCE_TO_POINT);
    case SGM_UNITMAN_PLACE_FORMATION:
      return PlaceFormation(task, m, SGE_ParamPtr<const char>(p1), SGE_ParamPtr<const VNFORMNODE_ORDER>(p2));
    case SGM_UNITMAN_FIND_FORMATION:
      return SGE_PtrResult(vnUNITMAN_FindFormation(m, SGE_ParamPtr<const char>(p1)));
    case SGM_UNITMAN_LIST_SELECTED:
      return vnUNITMAN_ListSelected(m, SGE_ParamPtr<VNUNIT*>(p1), static_cast<int32_t>(p2));
    case SGM_UNITMAN_COUNT_BUGHOLES:
      return vnUNITMAN_CountType(m, VN_UNIT_TYPE_PE_BUGHOLE, 0);
    case SGM_UNITMAN_COUNT_TYPE:
      return vnUNITMAN_CountType(m, static_cast<int32_t>(p1), static_cast<int32_t>(p2));
    case SGM_UNITMAN_NEAREST_BUGHOLE:
      return static_cast<int32_t>(vnUNITMAN_NearestBugHole(m, SGE_ParamPtr<const VNUNIT>(p1)));
    case SGM_UNITMAN_SET_RUN: {
      const int32_t old = static_cast<int32_t>(m->dwMode & VNUNITMAN_MODE_RUN);
      m->dwMode = p1 == 1 ? (m->dwMode | VNUNITMAN_MODE_RUN) : (m->dwMode & ~VNUNITMAN_MODE_RUN);
      return old;
    }
    case SGM_UNITMAN_TOP_RANK:
      return static_cast<int32_t>(vnUNITMAN_TopRank(m));
    case SGM_UNITMAN_AREA_NOTIFY:
      vnUNITMAN_NotifyArea(m, SGE_ParamPtr<const VNUNITMAN_AREA>(p1));
      return 1;
    case SGM_UNITMAN_ANIM_INDEX:
      return SGE_PtrResult(vnUNITMAN_AnimIndex(m, SGE_ParamPtr<const VNUNITMAN_ANIMREQUEST>(p1)));
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

}  // namespace

int32_t vnUNITMAN_Register() {
  return SGE_RegisterTaskType(VNTT_UNITMAN, Handler, SGE_TTF_ALLOC_DATA, sizeof(VNUNITMAN), "");
}

SGE_TASK* vnUNITMAN_GetTask() { return vnMISSION_Context().pUnitManager; }

void vnUNITMAN_SetTask(SGE_TASK* task) { vnMISSION_Context().pUnitManager = task; }

void vnUNITMAN_BeginWalk(VNUNITMAN* m, VNUNITMAN_CURSOR* c, const SGE_DLLNODE* head) {
  c->pHead = head;
  c->pNext = SGE_ListFirst(head);
  c->pOuter = m->pCursors;
  m->pCursors = c;
}

VNUNIT* vnUNITMAN_WalkNext(VNUNITMAN_CURSOR* c) {
  SGE_DLLNODE* node = c->pNext;
  if (!node) return nullptr;
  // Taken before the caller runs anything that may destroy this unit or the next.
  c->pNext = SGE_ListNext(c->pHead, node);
  return SGE_ListRecord<VNUNIT>(node);
}

void vnUNITMAN_EndWalk(VNUNITMAN* m, VNUNITMAN_CURSOR* c) {
  for (VNUNITMAN_CURSOR** at = &m->pCursors; *at; at = &(*at)->pOuter) {
    if (*at == c) {
      *at = c->pOuter;
      return;
    }
  }
}

void vnUNITMAN_StepWalksOff(VNUNITMAN* m, VNUNIT* unit) {
  for (VNUNITMAN_CURSOR* c = m->pCursors; c; c = c->pOuter)
    if (c->pNext == &unit->link) c->pNext = SGE_ListNext(c->pHead, &unit->link);
}
