#pragma once
// Players' order queues, keyed unit groups and the formation programs read from
// "formations.txt". The current order of a unit is the one at the tail of its queue.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "world/unitman/unitman.h"

constexpr int32_t VNRANK_NAME_SIZE = 64;
constexpr int32_t VNRANK_MAX_SLOTS = 40;
constexpr int32_t VNRANK_PROGRAMS = 10;  // "Prog_0" to "Prog_9"
constexpr int32_t VNRANK_KIND_PROGRAM = 0;
constexpr int32_t VNRANK_KIND_FORMATION = 1;
constexpr int32_t VNRANK_KIND_RANK = 2;  // "Prog_0", the rank the player commands

struct VNRANK_SLOT {
  SPW_VECTOR vFacing;
  SPW_VECTOR vOffset;  // relative to slot 0
  int32_t nUnitId;     // -1 at load
  VNUNIT* pUnit;       // resolved from the id before each use
};

// A named formation or a rank program.
struct VNRANK_PROGRAM {
  SGE_DLLNODE link;  // in the manager's formation list
  char szName[VNRANK_NAME_SIZE];
  VNRANK_SLOT* pSlots;
  int32_t nKind;
  SPW_VECTOR vDir;  // opposite of the rank's heading; (0, -1, 0) by default
  float fScale;
  int32_t bDirSet;
  VNRANK_PROGRAM* pSource;
  int32_t nCount;
  int32_t nCapacity;
};

// Order queues. Nodes come from the order pool of the running manager (vnUNITMAN_GetTask()),
// reached through its SGM_UNITMAN_TAKE_ORDER, SGM_UNITMAN_RETURN_ORDER (unlink and give back) and
// SGM_UNITMAN_DEFAULT_ORDER.
// Append, Push and InsertAt return null when the pool is empty; InsertAt also returns null, and
// gives the node back, when n is negative or at or past the queue's length.
constexpr int32_t VNORDER_WORD_KIND = 0;
constexpr int32_t VNORDER_WORD_FLAGS = 11;
VNORDER* vnORDER_Current(VNUNIT* unit);
VNORDER_NODE* vnORDER_Append(VNUNIT* unit, const VNORDER* order);
VNORDER_NODE* vnORDER_Push(VNUNIT* unit, const VNORDER* order);
VNORDER_NODE* vnORDER_InsertAt(VNUNIT* unit, const VNORDER* order, int32_t n);
int32_t vnORDER_RemoveById(VNUNIT* unit, int32_t kind);
VNORDER* vnORDER_FindById(VNUNIT* unit, int32_t kind);
VNORDER* vnORDER_Pop(VNUNIT* unit);
VNORDER* vnORDER_Clear(VNUNIT* unit);
VNORDER* vnORDER_KeepFirst(VNUNIT* unit);
int32_t vnORDER_MarkDone(VNORDER* order);

// Keyed groups.
int32_t vnUNITMAN_GroupAddUnit(VNUNITMAN* manager, VNUNIT* unit, int32_t key);
int32_t vnUNITMAN_GroupRemoveUnit(VNUNITMAN* manager, VNUNIT* unit, int32_t key);
int32_t vnUNITMAN_GroupSend(VNUNITMAN* manager, int32_t key, int32_t msg, SGE_PARAM a,
                            SGE_PARAM b, const VNUNIT* excluded);
void vnUNITMAN_FreeGroups(VNUNITMAN* manager);

// The formation file (SGM_UNITMAN_LOAD_FORMATIONS) and the ten rank programs after it; 1 when the
// file was read.
int32_t vnUNITMAN_LoadFormations(VNUNITMAN* manager, const char* path);
// SGM_UNITMAN_FIND_FORMATION (303): the program of that name in any letter case, or null.
VNRANK_PROGRAM* vnUNITMAN_FindFormation(VNUNITMAN* manager, const char* name);
void vnUNITMAN_FreeFormations(VNUNITMAN* manager);
