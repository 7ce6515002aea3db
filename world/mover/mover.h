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
constexpr uint32_t VNMOVER_F_ATTR24 = 0x04; // the unit's attribute value 24 is above 0
constexpr uint32_t VNMOVER_F_BIT08 = 0x08;  // from unit flag bit 29
constexpr uint32_t VNMOVER_F_BIT10 = 0x10;  // from unit flag bit 30
constexpr uint32_t VNMOVER_F_NOPUSH = 0x20; // others' avoidance questions do not spare it

// Sweep junction masks.
constexpr uint32_t VNMOVER_SWEEP_WALLS = 1;
constexpr uint32_t VNMOVER_SWEEP_WALLS_AND_GATES = 3;

// The movement record of a unit's mover, from the planner's pool.
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
  float afLimits[2];  // the gate reach distance first
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

// What the unit manager gives a new mover (message 24).
struct VNMOVER_CREATE {
  VNMOVER_PLANNER* pPlanner;
  SPW_VECTOR vPos;
  float fRadius;
  uint32_t dwUnitId;
  float fAttr21;
  float fSpeed;  // attribute value 17 in m/s
  float fAttr26, fAttr27, fAttr24, fAttr25, fAttr29, fAttr20;
  int32_t anZero[2];
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
