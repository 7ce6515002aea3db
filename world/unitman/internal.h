#pragma once
// Shared by the unit manager's own files.
#include "world/unitman/unitman.h"

// A walk over one unit list that survives units being destroyed under it: destruction moves
// every cursor that points at the dying unit on to the unit after it.
struct VNUNITMAN_CURSOR {
  const SGE_DLLNODE* pHead;
  SGE_DLLNODE* pNext;  // null at the end
  VNUNITMAN_CURSOR* pOuter;
};

void vnUNITMAN_BeginWalk(VNUNITMAN* m, VNUNITMAN_CURSOR* c, const SGE_DLLNODE* head);
// The next unit of the walk, or null at its end.
VNUNIT* vnUNITMAN_WalkNext(VNUNITMAN_CURSOR* c);
void vnUNITMAN_EndWalk(VNUNITMAN* m, VNUNITMAN_CURSOR* c);

// A walk that closes itself however its scope is left.
class VNUNITMAN_WALK {
 public:
  VNUNITMAN_WALK(VNUNITMAN* m, const SGE_DLLNODE* head) : m_(m) { vnUNITMAN_BeginWalk(m, &c_, head); }
  ~VNUNITMAN_WALK() { vnUNITMAN_EndWalk(m_, &c_); }
  VNUNITMAN_WALK(const VNUNITMAN_WALK&) = delete;
  VNUNITMAN_WALK& operator=(const VNUNITMAN_WALK&) = delete;
  VNUNIT* Next() { return vnUNITMAN_WalkNext(&c_); }

 private:
  VNUNITMAN* m_;
  VNUNITMAN_CURSOR c_;
};
// Moves the walks off a unit that is leaving its list.
void vnUNITMAN_StepWalksOff(VNUNITMAN* m, VNUNIT* unit);
// True while the record holds the live unit of that id.
inline bool vnUNITMAN_IsLive(const VNUNIT* unit, uint32_t id) {
  return unit->nType != VN_UNIT_TYPE_FREE && unit->dwId == id;
}

// Start-up and destruction of the manager (SGM_TASK_CREATE, SGM_TASK_DESTROY).
void vnUNITMAN_StartUp(SGE_TASK* task, VNUNITMAN* m, const VNUNITMAN_CREATE* create);
void vnUNITMAN_ShutDown(SGE_TASK* task, VNUNITMAN* m);

// Units (SGM_UNITMAN_CREATE_UNIT, SGM_UNITMAN_DESTROY_UNIT, SGM_UNITMAN_DESTROY_ALL).
VNUNIT* vnUNITMAN_NewUnit(SGE_TASK* task, VNUNITMAN* m, const VNUNIT_CREATE* create,
                          const VNPLACE_COMMANDBLOCK* block);
void vnUNITMAN_FreeUnit(VNUNITMAN* m, VNUNIT* unit);
void vnUNITMAN_FreeAllUnits(VNUNITMAN* m);

// The per-frame pass (SGM_TASK_FRAME).
void vnUNITMAN_RunFrame(VNUNITMAN* m);

// Players and queries (SGM_UNITMAN_FIND_UNIT to SGM_UNITMAN_ANIM_INDEX).
VNPLAYER* vnUNITMAN_FindPlayer(VNUNITMAN* m, uint32_t id);
VNPLAYER* vnUNITMAN_FindPlayerByName(VNUNITMAN* m, const char* name);
VNPLAYER* vnUNITMAN_HumanPlayer(VNUNITMAN* m);
VNUNIT* vnUNITMAN_FindUnit(VNUNITMAN* m, uint32_t id, uint32_t player);
void vnUNITMAN_ClearSelection(VNUNITMAN* m);
int32_t vnUNITMAN_Select(VNUNIT* unit);
int32_t vnUNITMAN_Deselect(VNUNIT* unit);
VNUNIT* vnUNITMAN_Pick(VNUNITMAN* m, VNUNITMAN_PICK* ray);
int32_t vnUNITMAN_SendToSelected(VNUNITMAN* m, const VNUNITMAN_MSG* msg, uint32_t player);
int32_t vnUNITMAN_SendToPlayer(VNUNITMAN* m, const VNUNITMAN_MSG* msg, uint32_t player);
int32_t vnUNITMAN_SendToType(VNUNITMAN* m, const VNUNITMAN_MSG* msg, const VNUNITMAN_PLAYERTYPE* which);
int32_t vnUNITMAN_ForEach(VNUNITMAN* m, VNUNIT_FUNC fn, SGE_PARAM user);
int32_t vnUNITMAN_ListSelected(VNUNITMAN* m, VNUNIT** out, int32_t capacity);
int32_t vnUNITMAN_CountType(VNUNITMAN* m, int32_t type, int32_t liveOnly);
uint32_t vnUNITMAN_NearestBugHole(VNUNITMAN* m, const VNUNIT* unit);
uint32_t vnUNITMAN_TopRank(VNUNITMAN* m);
void vnUNITMAN_NotifyArea(VNUNITMAN* m, const VNUNITMAN_AREA* area);
VNUNITMAN_ANIMINDEX* vnUNITMAN_AnimIndex(VNUNITMAN* m, const VNUNITMAN_ANIMREQUEST* request);
void vnUNITMAN_FreeAnimIndices(VNUNITMAN* m);
int32_t vnUNITMAN_RegionEvent(int32_t msg, SGE_PARAM region, const VNMOVER_RECORD* record);

// The manager task of the running mission; set by start-up, cleared by destruction.
void vnUNITMAN_SetTask(SGE_TASK* task);
