#pragma once
// The soldier's behaviour for one frame: timers, exhaustion, target choice and the current order
// of its queue, carried out by moving, turning, firing and setting the body states. Every soldier
// class runs it from its update message while the soldier lives and no sequence drives it.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "terran/terunit.h"
#include "world/unitman/unitman.h"

// Charge mode runs 20 s, then the soldier rests 16 s.
constexpr float VNTERUNIT_CHARGE_SECONDS = 20.0f;
constexpr float VNTERUNIT_REST_SECONDS = 16.0f;
// A jump flight shorter than this is not flown.
constexpr float VNTERUNIT_SHORTEST_FLIGHT = 0.2f;

// 1 when it popped an order this frame.
int32_t vnTERUNIT_Update(SGE_PARAM a, SGE_PARAM b, SGE_TASK* task, VNTERUNIT* record);

// An unsuited soldier's dead body: every 10 seconds its locks are cleared and its animations
// applied again. The classes run it while the lower state is DEAD.
void vnTERUNIT_DeadBodyStep(SGE_TASK* task, SPW_DOBJECT* model, VNTERUNIT* record);

// The frame of a soldier a sequence drives or that lies dormant: the player's units wake it,
// scripted walks and rope pulls run. 1 when the rope was already pulled.
int32_t vnTERUNIT_ScriptedUpdate(SGE_PARAM a, const VNPLAYER* player, SGE_TASK* task,
                                 VNTERUNIT* record);
// A dormant soldier wakes: it joins the platoon (when join is set and it is a platoon soldier),
// the mission hears of it when it asked to, it leaves dormancy and a platoon soldier is
// selected for its player.
void vnTERUNIT_Awaken(VNTERUNIT* record, bool join);
// The soldier joins the mission's platoon as a new platoon soldier in the strike team.
void vnTERUNIT_JoinPlatoon(VNTERUNIT* record);

// Patrol route.
void vnTERUNIT_ClearRoute(VNTERUNIT* record);
// 0 past the route's end; else the current waypoint in *out.
int32_t vnTERUNIT_CurrentWaypoint(const VNTERUNIT* record, SPW_VECTOR* out);
// Steps along the route, turning at its ends (a turn ends a route that may not reverse);
// whether there is a waypoint to go to.
int32_t vnTERUNIT_NextWaypoint(VNTERUNIT* record);

// Distances to another unit.
int32_t vnTERUNIT_IsNear(const VNTERUNIT* record, const VNUNIT* unit);                 // 3D, 20 m
int32_t vnTERUNIT_IsWithin(const VNTERUNIT* record, const VNUNIT* unit, float radius);  // 2D
// Close enough to back away from: 14 m, both have models, not a bug that is harmless up close.
int32_t vnTERUNIT_IsClose(const VNTERUNIT* record, const VNUNIT* unit);
// Stops and turns to the direction where it stands, keeping one move request for the turn.
void vnTERUNIT_TurnInPlace(VNTERUNIT* record, const SPW_VECTOR& direction, uint32_t requestFlags);
// Backs away from the point, facing it; 1.
int32_t vnTERUNIT_FaceAway(VNTERUNIT* record, const SPW_VECTOR* point);

// Treating a patient: health grows 10 a second, armour 5, up to the maximum.
void vnTERUNIT_HealStep(VNTERUNIT* record, VNUNIT* patient, float maximum);
void vnTERUNIT_RepairStep(VNTERUNIT* record, VNUNIT* patient, float maximum);

// Whether the point lies in a region of the mission's path network.
int32_t vnTERUNIT_InPathNetwork(const SPW_VECTOR* point);

// The jump: plans the flight to the point (bounceHalfTime -1.0 when it cannot be flown) and
// advances it; BounceStep answers 1 when the flight is over.
void vnTERUNIT_PlanBounce(VNTERUNIT* record, const SPW_VECTOR* target);
int32_t vnTERUNIT_BounceStep(VNTERUNIT* record);
// 1 when the planned parabola meets neither terrain nor scenery.
int32_t vnTERUNIT_BouncePathClear(const VNTERUNIT* record, float flightTime);

// Fighting.
// The nearest enemy in sight that the current weapon may hit (the current target while sticking
// to it); its squared distance and whether it is in weapon range. Null when none.
VNUNIT* vnTERUNIT_ChooseTarget(VNTERUNIT* record, float* outDistance2, int32_t* outInRange);
// Whether the target's aim point (or the point) is within the current weapon's range, with a
// margin of 2 m or without; flat ignores height. Keeps VNTERUNIT_SF_IN_RANGE.
int32_t vnTERUNIT_InWeaponRange(VNTERUNIT* record, const SPW_VECTOR* point, VNUNIT* target,
                                int32_t margin, VNTERUNIT_AIMCACHE* aim, int32_t flat);
// Whether the body faces the point within the aiming cone; AimAt also turns toward it.
int32_t vnTERUNIT_AimTest(VNTERUNIT* record, const SPW_VECTOR* point);
int32_t vnTERUNIT_AimAt(VNTERUNIT* record, const SPW_VECTOR* point);
// Fires the current weapon at the unit. 1 fired, 0 not, 2 out of rounds, 3 blocked, 4 too close.
int32_t vnTERUNIT_AttackUnit(SGE_TASK* task, VNTERUNIT* record, VNUNIT* target,
                             VNTERUNIT_AIMCACHE* aim, int32_t fire);
// Fires the current weapon at the point (its second mode with alternate). 1 fired, 0 not,
// 3 blocked, 4 too close, 5 beyond range.
int32_t vnTERUNIT_FirePoint(SGE_TASK* task, VNTERUNIT* record, const SPW_VECTOR* point,
                            int32_t fire, int32_t alternate);
// A micro-rocket salvo: what the rocket unit is told when it is launched (SGM_ROCKETS_LAUNCH).
constexpr int32_t SGM_ROCKETS_LAUNCH = 571;  // p1 VNTERUNIT_SALVO
struct VNTERUNIT_SALVO {
  int32_t launcherId;
  int32_t pods;               // launch points used, 1 or 2
  SPW_VECTOR points[2];
  SPW_VECTOR direction;       // from the first launch point to the aim point
};
// Aims the torso at the target's aim point (or the point) and launches a salvo from the suit's
// launch nodes. 1 launched, or nothing to launch from; 0 when the soldier cannot aim yet (it
// turns toward the point).
int32_t vnTERUNIT_LaunchRockets(SGE_TASK* task, VNTERUNIT* record, VNUNIT* target,
                                const SPW_VECTOR* point);
// Whether the point is within the micro-rockets' reach (the missile launcher's range).
int32_t vnTERUNIT_InRocketReach(const VNTERUNIT* record, const SPW_VECTOR& point);
// Sends the mover to the point, or to the nearest point it can reach on the way.
void vnTERUNIT_MoveToOrNearest(VNUNIT* unit, const SPW_VECTOR* point, SPW_VECTOR* out);
// Running soldiers fight as their engagement mode says.
void vnTERUNIT_EngageTarget(VNTERUNIT* record, const VNORDER* order);
// Tells the units in sight that the soldier is there.
void vnTERUNIT_TellNearbyUnits(VNUNIT* unit);

// The order kinds run in their own files; 1 when they popped the order.
int32_t vnTERUNIT_RunAttackUnit(SGE_TASK* task, VNTERUNIT* record, VNORDER* order);
int32_t vnTERUNIT_RunAttackPoint(SGE_TASK* task, VNTERUNIT* record, VNORDER* order);
int32_t vnTERUNIT_RunFirePoint(SGE_TASK* task, VNTERUNIT* record, VNORDER* order);
int32_t vnTERUNIT_RunJump(SGE_TASK* task, VNTERUNIT* record, VNORDER* order);
// Carries a tech item to its target or point and uses it there.
int32_t vnTERUNIT_RunTechItem(SGE_TASK* task, VNTERUNIT* record, VNORDER* order);
// Walks to the turret's seat (the order's point), takes it and mans the gun.
int32_t vnTERUNIT_RunTurret(SGE_TASK* task, VNTERUNIT* record, VNORDER* order);

// The suit-destroyed sequence, once: the suit's model goes and a pilot takes its place, dead at
// once unless sparePilot is set. 1.
int32_t vnTERUNIT_SuitDestroyed(VNTERUNIT* record, int32_t sparePilot);
// A ZR soldier (a woman with female set) for the human player; null when it cannot be made.
VNUNIT* vnTERUNIT_SpawnRecruit(int32_t female);
