#pragma once
// The soldier message protocol: what every soldier class's controller answers through the common
// handler, which ends every class handler. A message the table does not answer, and every message
// it acts on without answering, still goes on to the kernel's default handler.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitman.h"
#include "world/unitman/unitmsg.h"

struct SPW_DOBJECT;
struct VNTERUNIT;

// Queries.
constexpr int32_t SGM_TERUNIT_IS_OFF_GROUND = 541;    // 1 bouncing or thrown
constexpr int32_t SGM_TERUNIT_GET_ATTACKERS = 553;
constexpr int32_t SGM_TERUNIT_ADD_ATTACKER = 554;     // the new count
constexpr int32_t SGM_TERUNIT_REMOVE_ATTACKER = 555;  // the new count, never below 0
constexpr int32_t SGM_TERUNIT_GET_BASE_ATTRIBUTES = 564;  // record answer: 7 words
constexpr int32_t SGM_TERUNIT_GET_TOTALS = 566;       // record answer: 8 ints of statistics
constexpr int32_t SGM_TERUNIT_GET_MODE_BITS = 567;
constexpr int32_t SGM_TERUNIT_IN_REACH = 569;         // p1 point or unit id, p2 VNTERUNIT_REACH_*
constexpr int32_t SGM_TERUNIT_QUERY_AMMO = 583;       // record answer: the shared query record
constexpr int32_t SGM_TERUNIT_GET_LOADOUT = 584;      // p1 4 ints out
constexpr int32_t SGM_TERUNIT_GET_ATTACK_TARGET = 588;
constexpr int32_t SGM_TERUNIT_CAN_JUMP_TO = SGM_UNIT_BOUNCE_CHECK;  // p1 float distance
constexpr int32_t SGM_TERUNIT_GET_INSTANCE = 1043;    // record answer: the soldier record
constexpr int32_t SGM_TERUNIT_IS_POSSESSED = 1045;
constexpr int32_t SGM_TERUNIT_GET_FLAG20 = 1048;
constexpr int32_t SGM_TERUNIT_GET_ORDER = SGM_UNIT_GET_ORDER;     // p1 12 ints out
constexpr int32_t SGM_TERUNIT_GET_WOUNDED_OBJECT = 1058;         // record answer

// Placement and set-up.
constexpr int32_t SGM_TERUNIT_SET_PROFILE_ID = SGM_UNIT_SET_PROFILE;
constexpr int32_t SGM_TERUNIT_SET_NAME = SGM_UNIT_SET_NAME;       // p1, p2 the two name words
constexpr int32_t SGM_TERUNIT_SET_TAG = 548;
constexpr int32_t SGM_TERUNIT_SET_DORMANT = SGM_UNIT_SET_DORMANT;  // p1 0/1
constexpr int32_t SGM_TERUNIT_SET_DORMANT_ACTIVITY = SGM_UNIT_SET_DORMANT_ACTIVITY;
constexpr int32_t SGM_TERUNIT_SET_ID_LIST = 551;                  // p1 int array, p2 count
constexpr int32_t SGM_TERUNIT_SET_VISIBLE = SGM_UNIT_SET_VISIBLE;  // p1 0/1
// p1 7 words (impulse, value 11, range, health, speed km/h, value 16, armour); the unit manager
// sends the type's stat block at creation.
constexpr int32_t SGM_TERUNIT_SET_BASE_ATTRIBUTES = SGM_UNIT_SOLDIER_PROFILE;

// Orders.
constexpr int32_t SGM_TERUNIT_ORDER_ATTACK_UNIT = 560;  // p1 unit id
constexpr int32_t SGM_TERUNIT_PULL_ROPE = 562;          // p1 0, p2 direction (start) or null (end)
constexpr int32_t SGM_TERUNIT_ORDER_WAIT = 608;         // p1 flag, p2 seconds
constexpr int32_t SGM_TERUNIT_ORDER_ATTACK_POINT = 613;  // p1 point, p2 VNTERUNIT_ATTACKPOINT_*
constexpr int32_t SGM_TERUNIT_CALL_AIRSTRIKE = 630;
constexpr int32_t SGM_TERUNIT_RELAX = 1060;

// Bookkeeping.
constexpr int32_t SGM_TERUNIT_USE_AMMO = 574;        // p1 ammunition type, p2 1: empty them all
constexpr int32_t SGM_TERUNIT_SET_FLAG8 = 575;
constexpr int32_t SGM_TERUNIT_ADD_EQUIPMENT = SGM_UNIT_REFILL_ITEM;  // p1 unit type
constexpr int32_t SGM_TERUNIT_SET_FLAG10 = 581;
constexpr int32_t SGM_TERUNIT_SET_ANIM_SPEED = 593;  // p1 float
constexpr int32_t SGM_TERUNIT_RESUPPLY = 611;
constexpr int32_t SGM_TERUNIT_VOICE_EVENT = 643;     // p1 bits to set, p2 bits to clear
constexpr int32_t SGM_TERUNIT_PUSH = 1044;           // p1 3 floats, p2 0: flat
constexpr int32_t SGM_TERUNIT_GRABBED = 1046;        // p1 the carrier's unit id
constexpr int32_t SGM_TERUNIT_RELEASED = 1047;
constexpr int32_t SGM_TERUNIT_REMOVE_ICON = 1049;
constexpr int32_t SGM_TERUNIT_JOIN_PLATOON = 1051;
constexpr int32_t SGM_TERUNIT_SET_FLAGS = 1052;      // p1 state bits to set
constexpr int32_t SGM_TERUNIT_SET_FLAGS_IF = 1053;   // p1 state bits, set when p2 is not 0
constexpr int32_t SGM_TERUNIT_SHOW_WOUNDED = 1054;   // p1 0/1
constexpr int32_t SGM_TERUNIT_SET_FADE = 1057;       // p1 float level, p2 1: the wounded model too
constexpr int32_t SGM_TERUNIT_SET_FLAG10000 = 1059;  // p1 1 sets, anything else clears

// Messages the class handlers answer, sent by the soldier to itself.
constexpr int32_t SGM_TERUNIT_ALERT = 542;         // p1 1: leave stealth
constexpr int32_t SGM_TERUNIT_REFRESH_KIT = 610;   // p1 1
constexpr int32_t SGM_TERUNIT_TAKE_ITEM = 572;     // p1 the unit type of a tech item to carry
constexpr int32_t SGM_TERUNIT_ADD_ATTACKER_ID = 1050;  // p1 the attacker's unit id

// SGM_TERUNIT_IN_REACH flags.
constexpr SGE_PARAM VNTERUNIT_REACH_ROCKETS = 0x1;  // the micro-rocket reach, not the weapon's
constexpr SGE_PARAM VNTERUNIT_REACH_POINT = 0x100;  // p1 is 3 floats, not a unit id

// SGM_TERUNIT_ORDER_ATTACK_POINT flags.
constexpr SGE_PARAM VNTERUNIT_ATTACKPOINT_ROCKETS = 0x1;
constexpr SGE_PARAM VNTERUNIT_ATTACKPOINT_ALTERNATE = 0x10;

// Creation-time set-up, from the class's create message once the unit's model exists; 1.
int32_t vnTERUNIT_InitInstance(VNTERUNIT* record, VNUNIT* unit, SPW_DOBJECT* model);
// Back to the creation state: orders, flags, states and timers.
void vnTERUNIT_Reset(VNTERUNIT* record);

// The wounded pose (SGM_TERUNIT_SHOW_WOUNDED): the second model lies in the main one's place, and
// gets up when hidden; 0 when it cannot be loaded.
int32_t vnTERUNIT_ShowWounded(VNTERUNIT* record, int32_t show);
// The wounded model's object (the unit's second), or null.
SPW_DOBJECT* vnTERUNIT_GetWoundedObject(const VNTERUNIT* record);
// End of the wounded model's get-up: the main model comes back.
void vnTERUNIT_WakeEvent(VNTERUNIT* record, int32_t why);
// Rope mode (SGM_TERUNIT_PULL_ROPE): a direction starts it, null ends it; 0 when the wounded
// model that pulls cannot be loaded.
int32_t vnTERUNIT_PullRope(VNTERUNIT* record, const SPW_VECTOR* direction);
// Ends rope mode once the queued rope order's second word is 0.
void vnTERUNIT_CheckRopeDone(VNTERUNIT* record);
// The relaxed pose (SGM_TERUNIT_RELAX).
void vnTERUNIT_Relax(VNTERUNIT* record);

// The soldier's handler after its class's: answers the protocol above and hands everything else
// to the kernel's default handler.
SGE_RESULT vnTERUNIT_CommonHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM a,
                                   SGE_PARAM b);
