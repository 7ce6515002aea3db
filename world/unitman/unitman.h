#pragma once
// The unit manager: every unit of a mission is a VNUNIT record held here plus a controller task
// of the unit's class. One task of type VNTT_UNITMAN owns the players, the unit, order, link-node
// and data-block pools, the keyed groups, the formation programs, the spatial grid and the
// attribute rows, and runs the per-frame sighting and update passes.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"
#include "world/unittype/attributes.h"

struct SPW_DOBJECT;
struct SPW_OBJECTTYPE;
struct SPW_DOBJTYPE;
struct VNGRID;
struct VNGRID_LINK;
struct VNPLACE_COMMANDBLOCK;
struct VNFORMNODE_ORDER;
struct VNMOVER_RECORD;
struct VNRANK_PROGRAM;


// Unit flag bits.
constexpr uint32_t VNUNIT_F_WEAPON = 0x08;
constexpr uint32_t VNUNIT_F_ITEM = 0x40;
constexpr uint32_t VNUNIT_F_PROJECTILE = 0x80;
constexpr uint32_t VNUNIT_F_NODAMAGE_STAMP = 0x100;  // deltas neither divided nor frame-scaled
constexpr uint32_t VNUNIT_F_IMPULSE_PAIR = 0x400;
// A hit between two units that both have one of these burns, smokes or throws gibs.
constexpr uint32_t VNUNIT_F_HIT_BURNS = 0x800;
constexpr uint32_t VNUNIT_F_HIT_SMOKES = 0x1000;
constexpr uint32_t VNUNIT_F_HIT_GIBS = 0x2000;
constexpr uint32_t VNUNIT_F_OUT_OF_PLAY = 0x4000;  // a fallen wall: searches and supplies pass it by
constexpr uint32_t VNUNIT_F_SOLDIER = 0x10000;  // also immunity class 1
constexpr uint32_t VNUNIT_F_IMMUNE2 = 0x20000;
constexpr uint32_t VNUNIT_F_MOVER = 0x80000;
constexpr uint32_t VNUNIT_F_FLIGHT = 0x100000;
constexpr uint32_t VNUNIT_F_OBSERVER = 0x200000;
constexpr uint32_t VNUNIT_F_OBSERVABLE = 0x400000;
constexpr uint32_t VNUNIT_F_SELECTED = 0x800000;
constexpr uint32_t VNUNIT_F_NEVER_SIGHTED = 0x1000000;
constexpr uint32_t VNUNIT_F_UPDATE = 0x2000000;      // SGM_UNIT_UPDATE each frame
constexpr uint32_t VNUNIT_F_POSITION = 0x4000000;    // SGM_UNIT_FRAME_POSITION each frame
constexpr uint32_t VNUNIT_F_FRAME_EXTRA = 0x8000000; // SGM_UNIT_FRAME_EXTRA each frame
constexpr uint32_t VNUNIT_F_SELECTABLE = 0x10000000;
constexpr uint32_t VNUNIT_F_STARTS_LIFTED = 0x20000000;     // its movement record too
constexpr uint32_t VNUNIT_F_STARTS_WITHDRAWN = 0x40000000;  // its movement record too

// Object flag that the world's own scene objects carry (unit models, parts and wrecks).
constexpr uint32_t VNUNIT_WORLD_OBJECT = 0x8000000;

// Mode word bits of the manager.
constexpr uint32_t VNUNITMAN_MODE_RUN = 0x1;
constexpr uint32_t VNUNITMAN_MODE_IMMUNE1 = 0x40;  // units with VNUNIT_F_SOLDIER take no damage
constexpr uint32_t VNUNITMAN_MODE_IMMUNE2 = 0x80;  // units with VNUNIT_F_IMMUNE2 take no damage

constexpr int32_t VNUNIT_LABEL_SIZE = 64;
constexpr int32_t VNPLAYER_NAME_SIZE = 32;
constexpr int32_t VNORDER_WORDS = 12;
constexpr uint32_t VNORDER_DONE = 0x08;  // in word 11
constexpr int32_t VNUNIT_GROUP_MAX = 15;
constexpr int32_t VNUNIT_DATABLOCK_WORDS = 30;
constexpr int32_t VNUNITMAN_SIGHT_PER_UNIT = 100;
constexpr int32_t VNUNITMAN_ORDERS_PER_UNIT = 6;
constexpr int32_t VNUNITMAN_GRID_LINKS_PER_UNIT = 4;
constexpr float VNUNITMAN_GRID_CELL = 10.0f;
constexpr int32_t VNUNITMAN_MAX_SELECTED = 24;
constexpr int32_t VNUNITMAN_BUG_GOAL_CLASSES = 15;
constexpr int32_t VNUNITMAN_FORMATION_MARKERS = 4;
// The most units a manager holds: the kernel's task memory has room for the tasks of each, and
// a larger capacity asked at creation is cut to it.
constexpr int32_t VNUNITMAN_MAX_UNITS = 2000;
// What the mission controller asks for.
constexpr int32_t VNUNITMAN_MISSION_UNITS = VNUNITMAN_MAX_UNITS;
constexpr int32_t VNUNITMAN_MISSION_DATABLOCKS = 600;
constexpr int32_t VNUNITMAN_MISSION_LINKNODES = 650;
constexpr int32_t VNUNITMAN_MISSION_PLAYERS = 2;

// Messages of the manager task.
constexpr int32_t SGM_UNITMAN_REGION_ENTERED = 42;
constexpr int32_t SGM_UNITMAN_REGION_LEFT = 43;
constexpr int32_t SGM_UNITMAN_CREATE_UNIT = 275;
constexpr int32_t SGM_UNITMAN_DESTROY_UNIT = 276;
constexpr int32_t SGM_UNITMAN_DESTROY_ALL = 277;
constexpr int32_t SGM_UNITMAN_FIND_UNIT = 282;
constexpr int32_t SGM_UNITMAN_HUMAN_PLAYER = 283;
constexpr int32_t SGM_UNITMAN_CLEAR_SELECTION = 286;
constexpr int32_t SGM_UNITMAN_SELECT = 287;
constexpr int32_t SGM_UNITMAN_DESELECT = 288;
constexpr int32_t SGM_UNITMAN_PICK = 289;
constexpr int32_t SGM_UNITMAN_STATE = 290;
constexpr int32_t SGM_UNITMAN_PLAYER_BY_ID = 291;
constexpr int32_t SGM_UNITMAN_PLAYER_BY_NAME = 292;
constexpr int32_t SGM_UNITMAN_SEND_SELECTED = 293;
constexpr int32_t SGM_UNITMAN_SEND_PLAYER = 294;
constexpr int32_t SGM_UNITMAN_SEND_PLAYER_TYPE = 295;
constexpr int32_t SGM_UNITMAN_TAKE_ORDER = 296;
constexpr int32_t SGM_UNITMAN_RETURN_ORDER = 297;
constexpr int32_t SGM_UNITMAN_DEFAULT_ORDER = 298;
constexpr int32_t SGM_UNITMAN_FOR_EACH = 299;
constexpr int32_t SGM_UNITMAN_LOAD_FORMATIONS = 301;
constexpr int32_t SGM_UNITMAN_SHOW_FORMATION = 302;
constexpr int32_t SGM_UNITMAN_FIND_FORMATION = 303;
constexpr int32_t SGM_UNITMAN_MOVE_GROUP = 304;
constexpr int32_t SGM_UNITMAN_BOUNCE_GROUP = 305;
constexpr int32_t SGM_UNITMAN_LIST_SELECTED = 306;
constexpr int32_t SGM_UNITMAN_PLACE_FORMATION = 307;
constexpr int32_t SGM_UNITMAN_COUNT_BUGHOLES = 308;
constexpr int32_t SGM_UNITMAN_COUNT_TYPE = 309;
constexpr int32_t SGM_UNITMAN_NEAREST_BUGHOLE = 310;
constexpr int32_t SGM_UNITMAN_SET_RUN = 311;
constexpr int32_t SGM_UNITMAN_TOP_RANK = 312;
constexpr int32_t SGM_UNITMAN_AREA_NOTIFY = 314;
constexpr int32_t SGM_UNITMAN_ANIM_INDEX = 316;

// Messages the manager sends to a unit's controller.
constexpr int32_t SGM_UNIT_GET_UNIT = 280;
constexpr int32_t SGM_UNIT_PLACEMENT = 300;
constexpr int32_t SGM_UNIT_UPDATE = 531;
constexpr int32_t SGM_UNIT_FRAME_POSITION = 532;
constexpr int32_t SGM_UNIT_FRAME_EXTRA = 533;
constexpr int32_t SGM_UNIT_GET_OBJECT = 534;
constexpr int32_t SGM_UNIT_PARENT_DESTROYED = 535;
constexpr int32_t SGM_UNIT_DAMAGED = 537;
constexpr int32_t SGM_UNIT_IS_INVULNERABLE = 538;
constexpr int32_t SGM_UNIT_IS_DEAD = 540;
constexpr int32_t SGM_UNIT_SOLDIER_PROFILE = 563;
constexpr int32_t SGM_UNIT_FRAME_FIRST = 568;
constexpr int32_t SGM_UNIT_ADD_AMMO = 573;
constexpr int32_t SGM_UNIT_AREA_NOTIFY = 644;
// Messages of the common unit-controller protocol that the world's own classes answer.
constexpr int32_t SGM_UNIT_GET_FACING = 536;   // p1 out: the facing direction
constexpr int32_t SGM_UNIT_GET_LOCATOR = 589;  // p1 out: the locator position; 1
constexpr int32_t SGM_UNIT_GET_CLASS = 591;    // the class query, 0 for most
constexpr int32_t SGM_UNIT_GET_SCALE = 592;    // the scale, as a record answer
// Mission events the manager raises for trigger regions.
constexpr int32_t SGM_VN_MISSCONT_EVENT_AREA_ENTERED = 2323;
constexpr int32_t SGM_VN_MISSCONT_EVENT_AREA_LEFT = 2324;

struct VNPLAYER {
  SGE_DLLNODE link;  // in the manager's player list
  uint32_t dwId;     // 1 << k for the k-th player
  SGE_DLLNODE units;  // top-level units
  uint32_t dwAllyMask;
  uint32_t dwEnemyMask;
  int32_t bControl;  // 1 for the human player
  char szName[VNPLAYER_NAME_SIZE];
};

struct VNORDER {
  int32_t anWord[VNORDER_WORDS];  // word 0 the kind, 11 the flags
};

// A pool node of the order queues.
struct VNORDER_NODE {
  SGE_DLLNODE link;
  VNORDER order;
};

struct VNUNIT_GROUP {
  SGE_DLLNODE link;
  int32_t nKey;
  int32_t nCount;
  struct VNUNIT* apMembers[VNUNIT_GROUP_MAX];
};

// A block of thirty words a unit may hold in its block list.
struct VNUNIT_DATABLOCK {
  SGE_DLLNODE link;
  uint32_t adwWords[VNUNIT_DATABLOCK_WORDS];
};

// The unit's four child lists, in their record order.
enum VNUNIT_CHILDLIST : int32_t {
  VNUNIT_CHILD_WEAPONS,
  VNUNIT_CHILD_LIST1,
  VNUNIT_CHILD_ITEMS,
  VNUNIT_CHILD_LIST3,
  VNUNIT_CHILD_LISTS,
};
// The order in which update and destruction visit them.
constexpr VNUNIT_CHILDLIST VNUNIT_CHILD_VISIT_ORDER[VNUNIT_CHILD_LISTS] = {
    VNUNIT_CHILD_LIST1, VNUNIT_CHILD_WEAPONS, VNUNIT_CHILD_LIST3, VNUNIT_CHILD_ITEMS};

struct VNUNIT {
  SGE_DLLNODE link;    // free list, a player's unit list, a target list or a parent's child list
  SGE_DLLNODE orders;  // VNORDER_NODE; the current order is at the tail
  uint32_t dwId;       // from 1, never reused in a run
  uint32_t dwPlayer;   // the owning player's ID bit
  uint32_t dwFlags;
  int32_t nType;  // VN_UNIT_TYPE_FREE while in the pool
  SPW_VECTOR vPos;
  float fRadius;  // attribute value 22
  SGE_DLLNODE list;  // empty at creation
  uint32_t dwIncludeMask;
  uint32_t dwExcludeMask;
  uint32_t dwSeenBy;  // player bits of the observers that saw the unit this frame
  SGE_DLLNODE blocks;  // VNUNIT_DATABLOCK
  uint32_t adwAttr[VN_ATTR_VALUES];  // the type's attribute values, ints or floats
  VNMOVER_RECORD* pMove;
  SGE_TASK* pMover;
  SGE_TASK* pController;
  SGE_DLLNODE aChildren[VNUNIT_CHILD_LISTS];
  VNUNIT** ppSighted;  // this frame's stretch of the sighting array
  int32_t nSighted;
  VNUNIT* pParent;
  char szLabel[VNUNIT_LABEL_SIZE];
  // Spatial grid fields.
  VNGRID_LINK* pGridLinks;
  int32_t nGridFirst;
  int32_t nGridCols;
  int32_t nGridRows;
  uint32_t dwGridStamp;
  float fHitPointScale;
  int32_t nTotal;
  int32_t nState;  // 1: the controller gets SGM_UNIT_FRAME_FIRST first in each update
};

// The function of SGM_UNITMAN_FOR_EACH, called with each unit and the user value; 0 stops the walk.
using VNUNIT_FUNC = int32_t (*)(VNUNIT* unit, SGE_PARAM user);

// The reserved words of the records here and of the mover's creation record are 0: they keep the
// field order that every creating class writes, and nothing reads them.
struct VNUNIT_CREATE {
  int32_t nType;
  uint32_t dwPlayer;
  SPW_VECTOR vPos;
  int32_t anReserved[3];
  SGE_DLLNODE* pTargetList;  // null: the unit list of the player with the ID
  VNUNIT* pParent;
  int32_t nBinding;  // 1 from every caller; 0 only logs
  SPW_VECTOR vDir;   // for units with a mover
  int32_t nVariant;  // the class's own: a door's kind, or what made a bug
  int32_t nReserved;
};

// The creation record of the manager task.
struct VNUNITMAN_CREATE {
  int32_t nUnits;
  int32_t nDataBlocks;
  int32_t nLinkNodes;
  int32_t nPlayers;
  SGE_MEMBLOCK* pBlock;
};

// One of the bug goal tables: three lists of goal-trigger rows.
struct VNBUG_GOALTABLE {
  SGE_DLLNODE aLists[3];
};

// The animation-index record of SGM_UNITMAN_ANIM_INDEX.
struct VNUNITMAN_ANIMINDEX {
  SGE_DLLNODE link;
  int32_t nKey;
  int32_t nCount;
  int32_t* pIndices;
};

// The request of SGM_UNITMAN_ANIM_INDEX.
struct VNUNITMAN_ANIMREQUEST {
  int32_t nKey;
  int32_t nCount;
  const SPW_DOBJTYPE* pType;
  const char* const* ppNames;
};

// The message record of SGM_UNITMAN_SEND_SELECTED, _SEND_PLAYER and _SEND_PLAYER_TYPE: what goes to
// each unit's controller.
struct VNUNITMAN_MSG {
  int32_t nMsg;
  SGE_PARAM a;
  SGE_PARAM b;
};

// The second argument of SGM_UNITMAN_SEND_PLAYER_TYPE.
struct VNUNITMAN_PLAYERTYPE {
  uint32_t dwPlayer;
  int32_t nType;
};

// The ray record of SGM_UNITMAN_PICK: the ray test's arguments, then the unit hit last.
struct VNUNITMAN_PICK {
  const SPW_VECTOR* pStart;
  const SPW_VECTOR* pDirection;
  float* pBest;  // squared distance in direction lengths, improved by each hit
  SPW_VECTOR* pHit;
  VNUNIT* pUnit;
};

// The point record of SGM_UNITMAN_AREA_NOTIFY.
struct VNUNITMAN_AREA {
  SPW_VECTOR vPoint;
  float fRadius;
};

// The instance data of the manager task.
struct VNUNITMAN {
  SGE_MEMBLOCK* pBlock;
  SGE_DLLNODE freeUnits;
  SGE_DLLNODE players;
  SGE_DLLNODE freeLinkNodes;
  SGE_DLLNODE freeDataBlocks;
  SGE_DLLNODE freeOrders;
  SGE_DLLNODE groups;
  VNUNIT** ppSightings;
  int32_t nSightCapacity;
  int32_t nSightPerUnit;
  SGE_TIMER* pFrameTimer;
  VNORDER_NODE defaultOrder;
  uint32_t dwMode;
  int32_t anReserved[2];
  int32_t nTypes;
  int32_t nUnits;
  int32_t nLinkNodes;
  int32_t nDataBlocks;
  int32_t nOrders;
  VNUNIT_ATTR* pAttrs;  // VN_UNIT_TYPE_COUNT rows
  VNUNIT* pUnitPool;
  VNUNIT_LINKNODE* pLinkNodePool;
  VNUNIT_DATABLOCK* pDataBlockPool;
  VNORDER_NODE* pOrderPool;
  VNBUG_GOALTABLE defaultGoals;
  VNBUG_GOALTABLE aClassGoals[VNUNITMAN_BUG_GOAL_CLASSES];
  int32_t nSightCount;
  SGE_DLLNODE formations;  // VNRANK_PROGRAM
  const SPW_DOBJTYPE* apFormationTypes[VNUNITMAN_FORMATION_MARKERS];  // reached, stopped; twice
  SGE_DLLNODE formNodes;  // formation-node service
  SGE_TIMER* pFormNodeTimer;
  VNGRID* pGrid;
  SGE_TASK* pBugGibs;
  SGE_TASK* pBugPath;
  SGE_DLLNODE animIndices;  // VNUNITMAN_ANIMINDEX
  SGE_TASK* pTask;
  struct VNUNITMAN_CURSOR* pCursors;  // the unit-list walks under way, innermost first
};

// A message whose answer is a record (a unit, a player, a movement record) answers with the
// record's address through the kernel (SGE_PtrResult in the handler, SGE_Ask at the sender); 0
// when there is none.

// Attribute value access on a unit's copy.
inline int32_t vnUNIT_AttrInt(const VNUNIT* unit, int32_t value) {
  return static_cast<int32_t>(unit->adwAttr[value]);
}
float vnUNIT_AttrFloat(const VNUNIT* unit, int32_t value);
void vnUNIT_SetAttrInt(VNUNIT* unit, int32_t value, int32_t v);
void vnUNIT_SetAttrFloat(VNUNIT* unit, int32_t value, float v);

// Task types and classes.
// Registers the manager (137); the root task's registration calls it.
int32_t vnUNITMAN_Register();
// Registers the unit classes that exist in the program as task types.
int32_t vnUNITMAN_RegisterUnitClasses();

// The manager task of the running mission (the system slot every wrapper reaches it through),
// or null.
SGE_TASK* vnUNITMAN_GetTask();

// Wrappers: each sends one manager message.
VNUNITMAN* vnUNITMAN_Get();
SGE_TASK* vnUNITMAN_GetBugGibs();
SGE_TASK* vnUNITMAN_GetBugPath();
int32_t vnUNITMAN_OrderSelected(int32_t msg, SGE_PARAM a, SGE_PARAM b);
int32_t vnUNITMAN_OrderPlayerSelected(uint32_t player, int32_t msg, SGE_PARAM a, SGE_PARAM b);
int32_t vnUNITMAN_SendToHumanUnits(int32_t msg, SGE_PARAM a, SGE_PARAM b);
int32_t vnUNITMAN_SendToComputerUnits(int32_t msg, SGE_PARAM a, SGE_PARAM b);
// The controller's answer; 0 when there is no such unit.
int32_t vnUNITMAN_SendToUnit(uint32_t id, int32_t msg, SGE_PARAM a, SGE_PARAM b);
int32_t vnUNITMAN_SendToPlayerType(uint32_t player, int32_t type, int32_t msg, SGE_PARAM a,
                                   SGE_PARAM b);
VNUNIT* vnUNITMAN_GetUnit(uint32_t id);
// 1 when there is no such unit or its controller says it is dead.
int32_t vnUNIT_IsDead(uint32_t id);
// The same for a unit in hand (a search's candidate), without looking its id up.
int32_t vnUNIT_IsDeadUnit(const VNUNIT* unit);
VNPLAYER* vnUNITMAN_GetHumanPlayer();
VNUNIT* vnUNITMAN_CreateUnit(const VNUNIT_CREATE* create, const VNPLACE_COMMANDBLOCK* placement);
void vnUNITMAN_DestroyUnit(VNUNIT* unit);
int32_t vnUNITMAN_SetFlagBit0(int32_t value);
// SGM_UNITMAN_PLACE_FORMATION (307): the group of the order's key placed in the named formation at
// its point.
int32_t vnUNITMAN_ApplyFormation(const char* name, const VNFORMNODE_ORDER* order);
int32_t vnUNITMAN_QueryRecord(const VNUNITMAN_ANIMREQUEST* request, int32_t** out);

// Direct operations.
void vnUNITMAN_SetUnitPosition(SGE_TASK* manager, VNUNIT* unit, const SPW_VECTOR* pos);
void vnUNITMAN_SetUnitPositionDirection(SGE_TASK* manager, VNUNIT* unit, const SPW_VECTOR* pos,
                                        const SPW_VECTOR* dir);
VNUNIT_LINKNODE* vnUNITMAN_TakeLinkNode(VNUNITMAN* manager);
int32_t vnUNITMAN_ReturnLinkNode(VNUNITMAN* manager, VNUNIT_LINKNODE* node);
// Sighting suppression: units stop seeing enemy units; returns the old setting.
int32_t vnUNITMAN_SetSightingSuppressed(int32_t on);
// The unit the per-frame pass is updating, or null.
VNUNIT* vnUNITMAN_GetCurrentUnit();
// The computer player's ID.
uint32_t vnUNITMAN_GetComputerPlayerId();
void* vnUNIT_GetObjectUserValue(const VNUNIT* unit);
int32_t vnUNIT_SetLabel(VNUNIT* unit, const char* text);
int32_t vnUNIT_AddToTotal(VNUNIT* unit, int32_t amount);
int32_t vnUNITMAN_GetLinkedType(int32_t type);
int32_t vnUNIT_AddAmmo(SGE_TASK* weapon, int32_t type, int32_t count);

// The unit's object list (VNUNIT::list): the scene objects its controller made, each held by a
// link node of the manager. 0 when there is no object or no node is left (the caller keeps it).
int32_t vnUNIT_AddObject(VNUNIT* unit, SPW_DOBJECT* object);
// The first object of the list, or null.
SPW_DOBJECT* vnUNIT_FirstObject(const VNUNIT* unit);
// Destroys every object of the list and gives its nodes back.
void vnUNIT_DestroyObjects(VNUNIT* unit);
// The marks on the unit's body (its movement record): bit 0x08 (VNMOVER_F_LIFTED) and bit 0x10
// (VNMOVER_F_WITHDRAWN). clear 0 sets the bit, 1 clears it; a unit without a body is left alone.
void vnUNIT_SetObjectFlag08(VNUNIT* unit, int32_t clear);
void vnUNIT_SetObjectFlag10(VNUNIT* unit, int32_t clear);
// Loads the model file at the scale, makes its object in the mission's scene with the transform
// and adds it to the unit's list; null when the model, the object or a list node is missing.
SPW_DOBJECT* vnUNIT_CreateObject(VNUNIT* unit, const char* file, float scale,
                                 const SPW_TRANSFORM* at);

// The handler of a unit-controller class whose instance is T: Answer(self, task, msg, p1, p2)
// gives the answer (0 without an instance), and the kernel's default handling follows every
// message.
template <typename T, SGE_RESULT (*Answer)(T*, SGE_TASK*, int32_t, SGE_PARAM, SGE_PARAM)>
SGE_RESULT vnUNIT_ControllerHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                    SGE_PARAM p2) {
  T* self = SGE_TaskData<T>(task);
  const SGE_RESULT answer = self ? Answer(self, task, msg, p1, p2) : 0;
  SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  return answer;
}

// The answers every class whose instance T keeps its unit (pUnit) gives alike: SGM_TASK_CREATE
// makes the instance with Create, SGM_TASK_DESTROY ends it with End, SGM_UNIT_GET_UNIT answers
// the unit. Answer gives every other answer.
template <typename T, void (*Create)(T*, VNUNIT*, const VNUNIT_CREATE*), void (*End)(T*),
          SGE_RESULT (*Answer)(T*, SGE_TASK*, int32_t, SGE_PARAM, SGE_PARAM)>
SGE_RESULT vnUNIT_CommonAnswer(T* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_CREATE:
      Create(self, SGE_ParamPtr<VNUNIT>(p1), SGE_ParamPtr<const VNUNIT_CREATE>(p2));
      return 1;
    case SGM_TASK_DESTROY: End(self); return 0;
    case SGM_UNIT_GET_UNIT: return SGE_PtrResult(self->pUnit);
    default: return Answer(self, task, msg, p1, p2);
  }
}

// The handler of such a class: the common answers, then the class's own.
template <typename T, void (*Create)(T*, VNUNIT*, const VNUNIT_CREATE*), void (*End)(T*),
          SGE_RESULT (*Answer)(T*, SGE_TASK*, int32_t, SGE_PARAM, SGE_PARAM)>
SGE_RESULT vnUNIT_ClassHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<T, vnUNIT_CommonAnswer<T, Create, End, Answer>>(task, data, msg,
                                                                                  p1, p2);
}

// Counts the fielded soldiers of the mission's platoon whose unit exists, has a flag of the
// include mask and none of the exclude mask, and is not dead.
int32_t vnUNITMAN_CountLivePlatoonUnits(uint32_t exclude, uint32_t include);

// The bug holes of the computer player by wave.
constexpr int32_t VNUNITMAN_BUGHOLE_WAVES = 9;
constexpr int32_t VNUNITMAN_MAX_BUGHOLES = 32;
constexpr int32_t SGM_BUGHOLE_TRIGGER_B = 834;
constexpr int32_t SGM_BUGHOLE_TRIGGER_A = 836;
constexpr int32_t SGM_BUGHOLE_GET_WAVE = 846;
struct VNUNITMAN_BUGHOLE {
  uint32_t dwId;
  int32_t nWave;
  int32_t nZero;
};
struct VNUNITMAN_BUGHOLES {
  int32_t nCount;
  int32_t anPerWave[VNUNITMAN_BUGHOLE_WAVES];
  VNUNITMAN_BUGHOLE aHoles[VNUNITMAN_MAX_BUGHOLES];
};
void vnUNITMAN_CollectBugHoles(VNUNITMAN_BUGHOLES* record);
void vnUNITMAN_TriggerBugHoleWave(const VNUNITMAN_BUGHOLES* record, int32_t wave);

// Ground lighting of a unit's model from the terrain under it.
constexpr int32_t SGM_UNIT_GET_EXTRA_OBJECT = 38;
// The model's colour from the ground under its position and offset, plus the scene's ambient
// colour on the terrain.
void vnUNIT_SampleGroundLight(SPW_DOBJECT* object);
// Samples the ground under the unit's model (and its extra model unless withExtra is 0 or the
// global switch is set) and has the renderer relight every object of their trees.
void vnUNIT_UpdateGroundLighting(VNUNIT* unit, int32_t withExtra);
// While set, units relight their own model only; the old setting.
int32_t vnUNIT_SetGlobalLighting(int32_t on);
// A light's per-point test: 1 when the ray from start along direction meets the mission's
// terrain or scenery within length.
int32_t vnUNIT_IsSegmentBlocked(const SPW_VECTOR* start, const SPW_VECTOR* direction, float length);

// The bytes of the mission block that a manager of that size carves for itself: its pools,
// players and the links of its grid (not the grid's cells, which follow the terrain).
uint32_t vnUNITMAN_BlockBytes(const VNUNITMAN_CREATE* create);
