#pragma once
// Movers: the tasks that carry a moving unit. A ground mover (VNTT_VEHICLE_MOVER) plans over
// the path network's regions and follows the route gate by gate; a flight mover
// (VNTT_FLIGHT_MOVER) steers straight at its target. Each owns a movement record from the
// mission's path planner; the mover's parent (the unit's controller) gets its notifications.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"

struct BSTAR_Network;
struct BSTAR_Node;
struct BSTAR_SearchSpace;
struct SPW_SCENE;
struct VNMOVER_PLANNER;

// Messages to both movers.
constexpr int32_t SGM_MOVER_SET_POSITION = 19;
constexpr int32_t SGM_MOVER_MOVE_TO = 20;
constexpr int32_t SGM_MOVER_GOTO = 21;
constexpr int32_t SGM_MOVER_STOP = 23;
constexpr int32_t SGM_MOVER_GET_RECORD = 24;
constexpr int32_t SGM_MOVER_GET_SPEEDS = 25;
constexpr int32_t SGM_MOVER_GET_STATE_RECORD = 26;
constexpr int32_t SGM_MOVER_STEP = 27;
constexpr int32_t SGM_MOVER_GROUND_HEIGHT = 28;
constexpr int32_t SGM_MOVER_RANDOM_POINT = 29;
constexpr int32_t SGM_MOVER_CLEAR_FACING = 30;
constexpr int32_t SGM_MOVER_SET_FACING = 31;
constexpr int32_t SGM_MOVER_SET_LINK_TYPE = 32;
constexpr int32_t SGM_MOVER_GET_LINK_TYPE = 33;
constexpr int32_t SGM_MOVER_SET_LOOKAHEAD = 34;
constexpr int32_t SGM_MOVER_GET_LOOKAHEAD = 35;
constexpr int32_t SGM_MOVER_SET_COUNT = 36;
constexpr int32_t SGM_MOVER_GET_COUNT = 37;
constexpr int32_t SGM_MOVER_REGION_COLOUR = 38;
constexpr int32_t SGM_MOVER_REGION_RECORD = 39;
// Planner listeners.
constexpr int32_t SGM_MOVER_LISTENER_ADDED = 40;
constexpr int32_t SGM_MOVER_LISTENER_REMOVED = 41;
constexpr int32_t SGM_MOVER_TRIGGER_ENTERED = 42;
constexpr int32_t SGM_MOVER_TRIGGER_LEFT = 43;
// Notifications to the mover's parent.
constexpr int32_t SGM_MOVER_ARRIVED = 44;
constexpr int32_t SGM_MOVER_GATE = 45;
constexpr int32_t SGM_MOVER_REQUEST_DONE = 46;
constexpr int32_t SGM_MOVER_IGNORE_MOVER = 47;
constexpr int32_t SGM_MOVER_IGNORE_OBSTACLE = 48;
constexpr int32_t SGM_MOVER_LEFT_REGION = 49;
constexpr int32_t SGM_MOVER_ENTERED_REGION = 50;
constexpr int32_t SGM_MOVER_REQUEST_QUEUED = 51;
constexpr int32_t SGM_MOVER_RUN_REQUEST = 53;

// Movement record flag bits.
constexpr uint32_t VNMOVER_F_FLAT = 0x01;   // steering keeps the vertical component at 0
constexpr uint32_t VNMOVER_F_TURNS = 0x04;  // the unit has a turn rate above 0
// The unit's controller marks its body with these two: lifted while off its ground path (in the
// air, leaping, on a turret), both while hidden or dead. A type may start with either set
// (VNUNIT_F_STARTS_LIFTED, VNUNIT_F_STARTS_WITHDRAWN).
constexpr uint32_t VNMOVER_F_LIFTED = 0x08;
constexpr uint32_t VNMOVER_F_WITHDRAWN = 0x10;
constexpr uint32_t VNMOVER_F_NOPUSH = 0x20; // others' avoidance questions do not spare it

// Region flag bit that makes the planner's listeners hear of movement records entering and
// leaving the region.
constexpr uint32_t VNMOVER_REGION_TRIGGER = 0x2000000;

// Sweep junction masks.
constexpr uint32_t VNMOVER_SWEEP_WALLS = 1;
constexpr uint32_t VNMOVER_SWEEP_WALLS_AND_GATES = 3;

// The movement record of a unit's mover, from the planner's pool. The limits come from the
// creation record; the speed parameter is the planner's scale.
struct VNMOVER_RECORD {
  SGE_DLLNODE link;
  SGE_TASK* pOwner;  // the mover task; its parent gets the notifications
  VNMOVER_PLANNER* pPlanner;
  float fRadius;
  float fSpeedParam;
  float fInvSpeedParam;
  SPW_VECTOR vPrevPos;
  SPW_VECTOR vPos;
  SPW_VECTOR vWork;
  SPW_VECTOR vVel;
  float fAccel;
  float fMaxSpeed;
  float fGateReach;  // a path's gates nearer than this are passed by, not aimed at
  float fStopValue;
  float fArrival;     // arrival radius
  SPW_VECTOR vHeading;
  SPW_VECTOR vUp;
  SPW_VECTOR vSide;  // heading x up
  void (*pfnBasis)(VNMOVER_RECORD* record);
  uint32_t dwFlags;  // byte 1: request-pass flags
  int32_t nSteps;
  float fTurnRate;
  float fExtra;
  BSTAR_Node* pRegion;  // null outside the network
  SGE_DLLNODE requests;  // VNMOVER_REQUEST
  uint32_t dwUnitId;
};

// What the unit manager gives a new mover: p1 of its creation (SGM_TASK_CREATE), or p1 of
// SGM_MOVER_GET_RECORD to a mover created without one. No planner: the running mission's.
struct VNMOVER_CREATE {
  VNMOVER_PLANNER* pPlanner;
  SPW_VECTOR vPos;
  float fRadius;
  uint32_t dwUnitId;
  float fAccel;
  float fSpeed;  // m/s
  float fGateReach, fArrival, fTurnRate, fExtra, fStopValue, fStunResistance;
  int32_t anReserved[2];  // 0, as in the unit manager's records
  SPW_VECTOR vDir;
};

// Movement request flag bits.
constexpr uint32_t VNMOVER_REQ_OFFSET = 0x01;
constexpr uint32_t VNMOVER_REQ_VELOCITY = 0x02;
constexpr uint32_t VNMOVER_REQ_TURN = 0x04;
constexpr uint32_t VNMOVER_REQ_TIMED = 0x08;
constexpr uint32_t VNMOVER_REQ_SKIP = 0x10;
constexpr uint32_t VNMOVER_REQ_FINISHED = 0x20;

struct VNMOVER_REQUEST {
  SGE_DLLNODE link;
  uint32_t dwFlags;
  VNMOVER_RECORD* pRecord;
  SPW_VECTOR vOffset;
  SPW_VECTOR vDir;
  float fSpeed;
  float fTime;
  float fElapsed;
};

// The ground mover's instance.
struct VNMOVER_GROUND {
  VNMOVER_RECORD* pRecord;  // none: the mover is inert
  int32_t bActive;          // following a path
  SPW_VECTOR vTarget;
  SGE_DLLNODE path;  // BSTAR_PATHCELL
  int32_t bPlanned;
  uint32_t dwLinkType;  // the highest link type its paths may use
  SPW_VECTOR vFacing;
  int32_t bFacing;
  int32_t nLookAhead;
  int32_t nCount;
  SPW_VECTOR vSurface;  // SGM_MOVER_GET_STATE_RECORD: the terrain normal under the unit
};

// The flight mover's instance.
struct VNMOVER_FLIGHT {
  VNMOVER_RECORD* pRecord;
  SPW_VECTOR vTarget;
  int32_t bMoving;
};

// The mission's path planner.
struct VNMOVER_PLANNER {
  SGE_MEMBLOCK* pBlock;
  SGE_DLLNODE listeners;
  SGE_DLLNODE freeRecords;
  SGE_DLLNODE freeRequests;
  float fScale;
  float fInvScale;
  SPW_SCENE* pScene;
  BSTAR_Network* pNetwork;
  BSTAR_SearchSpace* pSearch;
  float* pPoints;  // x, y, z of each kind-32 node
  int32_t nPoints;
  SGE_DLLNODE records;  // movement records in use
};

// The mission's path planner: made after the network, before the unit manager.
VNMOVER_PLANNER* vnMOVER_CreatePathPlanner(SGE_MEMBLOCK* block, SPW_SCENE* scene,
                                           BSTAR_Network* network, float scale);
void vnMOVER_DestroyPathPlanner(VNMOVER_PLANNER* planner);
// The planner of the running mission, or null.
VNMOVER_PLANNER* vnMOVER_GetPathPlanner();
int32_t vnMOVER_AddListener(VNMOVER_PLANNER* planner, SGE_TASK* task);
int32_t vnMOVER_RemoveListener(VNMOVER_PLANNER* planner, SGE_TASK* task);

// Registers the ground (135) and flight (136) mover task types.
int32_t vnMOVER_Register();

int32_t vnMOVER_Destroy(SGE_TASK* mover);
// Copies the mover's movement record; 1, or 0 for a mover without one.
int32_t vnMOVER_GetMovementState(SGE_TASK* mover, VNMOVER_RECORD* out);
// The position and the current region's box (min x, min y, max x, max y; zeros outside the
// network); a ground mover following a path steps first. The path-active flag.
int32_t vnMOVER_GetCurrentNode(SGE_TASK* mover, SPW_VECTOR* outPos, float* outExtents);
// Takes a request, fills it (offset and direction from `target`, speed and time from `value`;
// the caller may change them), appends it to the mover's record and tells the mover's parent
// (51). None when no request can be had.
VNMOVER_REQUEST* vnMOVER_QueueRequest(SGE_TASK* mover, uint32_t flags, const SPW_VECTOR* target,
                                      float value);
void vnMOVER_MarkRequest(VNMOVER_REQUEST* request);

// Sweeps a disc in the ground plane from `start` towards `end` through the network, sliding
// along blocking edges (at most four contacts). The region holding the final point, or the
// last region visited.
BSTAR_Node* vnMOVER_SweepDisc(BSTAR_Network* network, BSTAR_Node* startRegion, float radius,
                              uint32_t linkType, const SPW_VECTOR* start, const SPW_VECTOR* end,
                              const SPW_VECTOR* vel, SPW_VECTOR* outPoint, SPW_VECTOR* outVel,
                              int32_t* outBlocked, uint32_t junctionMask);
// The same for a segment (radius 0) from a point along a delta.
BSTAR_Node* vnMOVER_SweepSegment(BSTAR_Network* network, BSTAR_Node* startRegion,
                                 uint32_t linkType, const SPW_VECTOR* start,
                                 const SPW_VECTOR* delta, SPW_VECTOR* outPoint,
                                 int32_t* outBlocked, uint32_t junctionMask);
