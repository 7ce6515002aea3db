// The wrappers through which the rest of the program reaches the running manager: each sends
// one or two of its messages.
#include "world/unitman/unitman.h"

namespace {

constexpr const char* kComputerName = "Computer";

template <typename T>
T* Ask(int32_t msg, SGE_PARAM p1 = 0, SGE_PARAM p2 = 0) {
  SGE_TASK* task = vnUNITMAN_GetTask();
  return task ? SGE_Ask<T>(task, msg, p1, p2) : nullptr;
}

int32_t Send(int32_t msg, SGE_PARAM p1 = 0, SGE_PARAM p2 = 0) {
  SGE_TASK* task = vnUNITMAN_GetTask();
  return task ? SGE_Send(task, msg, p1, p2) : 0;
}

}  // namespace

VNUNITMAN* vnUNITMAN_Get() { return Ask<VNUNITMAN>(SGM_UNITMAN_STATE); }

SGE_TASK* vnUNITMAN_GetBugGibs() {
  VNUNITMAN* m = vnUNITMAN_Get();
  return m ? m->pBugGibs : nullptr;
}

SGE_TASK* vnUNITMAN_GetBugPath() {
  VNUNITMAN* m = vnUNITMAN_Get();
  return m ? m->pBugPath : nullptr;
}

int32_t vnUNITMAN_OrderSelected(int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  VNPLAYER* human = vnUNITMAN_GetHumanPlayer();
  return human ? vnUNITMAN_OrderPlayerSelected(human->dwId, msg, a, b) : 0;
}

int32_t vnUNITMAN_OrderPlayerSelected(uint32_t player, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  VNUNITMAN_MSG record{msg, a, b};
  return Send(SGM_UNITMAN_SEND_SELECTED, SGE_PtrParam(&record), static_cast<SGE_PARAM>(player));
}

int32_t vnUNITMAN_SendToHumanUnits(int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  VNPLAYER* human = vnUNITMAN_GetHumanPlayer();
  if (!human) return 0;
  VNUNITMAN_MSG record{msg, a, b};
  return Send(SGM_UNITMAN_SEND_PLAYER, SGE_PtrParam(&record), static_cast<SGE_PARAM>(human->dwId));
}

int32_t vnUNITMAN_SendToComputerUnits(int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  auto* computer = Ask<VNPLAYER>(SGM_UNITMAN_PLAYER_BY_NAME, SGE_PtrParam(kComputerName));
  if (!computer) return 0;
  VNUNITMAN_MSG record{msg, a, b};
  return Send(SGM_UNITMAN_SEND_PLAYER, SGE_PtrParam(&record), static_cast<SGE_PARAM>(computer->dwId));
}

int32_t vnUNITMAN_SendToUnit(uint32_t id, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  VNUNIT* unit = vnUNITMAN_GetUnit(id);
  if (!unit || !unit->pController) return 0;
  return SGE_Send(unit->pController, msg, a, b);
}

int32_t vnUNITMAN_SendToPlayerType(uint32_t player, int32_t type, int32_t msg, SGE_PARAM a,
                                   SGE_PARAM b) {
  VNUNITMAN_MSG record{msg, a, b};
  VNUNITMAN_PLAYERTYPE which{player, type};
  return Send(SGM_UNITMAN_SEND_PLAYER_TYPE, SGE_PtrParam(&record), SGE_PtrParam(&which));
}

VNUNIT* vnUNITMAN_GetUnit(uint32_t id) {
  return Ask<VNUNIT>(SGM_UNITMAN_FIND_UNIT, static_cast<SGE_PARAM>(id), 0);
}

int32_t vnUNIT_IsDead(uint32_t id) {
  const VNUNIT* unit = vnUNITMAN_GetUnit(id);
  return !unit || vnUNIT_IsDeadUnit(unit);
}

int32_t vnUNIT_IsDeadUnit(const VNUNIT* unit) {
  if (!unit->pController) return 1;
  return SGE_Send(unit->pController, SGM_UNIT_IS_DEAD, 0, 0) != 0;
}

VNPLAYER* vnUNITMAN_GetHumanPlayer() { return Ask<VNPLAYER>(SGM_UNITMAN_HUMAN_PLAYER); }

VNUNIT* vnUNITMAN_CreateUnit(const VNUNIT_CREATE* create, const VNPLACE_COMMANDBLOCK* placement) {
  return Ask<VNUNIT>(SGM_UNITMAN_CREATE_UNIT, SGE_PtrParam(create), SGE_PtrParam(placement));
}

void vnUNITMAN_DestroyUnit(VNUNIT* unit) { Send(SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(unit)); }

int32_t vnUNITMAN_SetFlagBit0(int32_t value) {
  return Send(SGM_UNITMAN_SET_RUN, static_cast<SGE_PARAM>(value));
}

int32_t vnUNITMAN_ApplyFormation(const char* name, const VNFORMNODE_ORDER* order) {
  return Send(SGM_UNITMAN_PLACE_FORMATION, SGE_PtrParam(name), SGE_PtrParam(order));
}

int32_t vnUNITMAN_QueryRecord(const VNUNITMAN_ANIMREQUEST* request, int32_t** out) {
  auto* record = Ask<VNUNITMAN_ANIMINDEX>(SGM_UNITMAN_ANIM_INDEX, SGE_PtrParam(request));
  if (!record) return 0;
  if (out) *out = record->pIndices;
  return 1;
}
