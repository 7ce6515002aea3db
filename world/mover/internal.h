#pragma once
// Shared inside the movers' files only.
#include "world/mover/mover.h"

struct BSTAR_Network;

// Frame time is eaten in sub-steps of at most a thirtieth of a second.
constexpr float VNMOVER_SUBSTEP = 0.033333335f;
constexpr float VNMOVER_SUBSTEP_SPLIT = 0.043333333f;  // below it a longer rest is halved
constexpr float VNMOVER_SUBSTEP_MIN = 0.0001f;
// The next sub-step out of `left` seconds; 0 ends the frame.
float vnMOVER_NextSubStep(float left);

// Planner pools.
VNMOVER_RECORD* vnMOVER_TakeRecord(VNMOVER_PLANNER* planner);
void vnMOVER_ReturnRecord(VNMOVER_RECORD* record);
VNMOVER_REQUEST* vnMOVER_TakeRequest(VNMOVER_PLANNER* planner);
void vnMOVER_ReturnRequest(VNMOVER_PLANNER* planner, VNMOVER_REQUEST* request);

// A new mover's record from the planner, filled from the creation record and kept in `slot`;
// none when the slot is taken, nothing was given or the pool is empty.
VNMOVER_RECORD* vnMOVER_Start(SGE_TASK* task, VNMOVER_RECORD** slot, const VNMOVER_CREATE* create);
// The movement record of a ground or flight mover task, or none.
VNMOVER_RECORD* vnMOVER_RecordOf(SGE_TASK* mover);
// Fills a movement record from the creation record.
void vnMOVER_FillRecord(VNMOVER_RECORD* record, SGE_TASK* owner, const VNMOVER_CREATE* create);
// Messages 19 and 20 (move): the position (the old one kept as previous when moving) and
// the basis along the direction when one is given. 0 without a position.
int32_t vnMOVER_Place(VNMOVER_RECORD* record, const SPW_VECTOR* pos, const SPW_VECTOR* dir,
                      bool move);
// Sends to the owner's parent (the unit's controller); 0 without one.
int32_t vnMOVER_Notify(const VNMOVER_RECORD* record, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
// Makes `region` current, telling the parent (49 for the old one first, then 50) and the
// planner's listeners (43, 42) about trigger regions.
void vnMOVER_ChangeRegion(VNMOVER_RECORD* record, BSTAR_Node* region);
BSTAR_Network* vnMOVER_Network(const VNMOVER_RECORD* record);

// Basis and steering.
// Heading along `dir` (kept when dir has no length), up as near world up as it allows.
void vnMOVER_BuildBasis(VNMOVER_RECORD* record, const SPW_VECTOR* dir);
// Turns the heading towards a unit direction by at most `angle`, then rebuilds the basis.
void vnMOVER_TurnHeading(VNMOVER_RECORD* record, const SPW_VECTOR* dir, float angle);
void vnMOVER_SteerTo(VNMOVER_RECORD* record, const SPW_VECTOR* point, float dt);
void vnMOVER_SteerToSlowing(VNMOVER_RECORD* record, const SPW_VECTOR* point, float slowing,
                            float dt);
void vnMOVER_Brake(VNMOVER_RECORD* record, float dt);
// The push away from overlapping units and obstacles, added to `push`.
void vnMOVER_Avoid(VNMOVER_RECORD* record, SPW_VECTOR* push);
float vnMOVER_Length(const SPW_VECTOR& v);

// Runs the record's requests for a sub-step; the effect bits applied (VNMOVER_REQ_OFFSET,
// _VELOCITY, _TURN).
uint32_t vnMOVER_RunRequests(VNMOVER_RECORD* record, float dt);
// Returns every request of the record to the planner.
void vnMOVER_DropRequests(VNMOVER_RECORD* record);

// Handlers.
SGE_RESULT vnMOVER_GroundHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2);
SGE_RESULT vnMOVER_FlightHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2);
