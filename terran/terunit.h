#pragma once
// The soldier record that every Terran unit class keeps at the front of its instance, the two
// body-half animation states built on it, the unit-type groups the soldier code tests, and what
// the world framework asks of the Terran classes (the suit tier of a unit type).
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "world/unitman/unitmsg.h"

struct SGE_TASK;
struct SPW_DOBJECT;
struct SPW_NODESELECTION;
struct VNUNIT;
struct VNMOVER_REQUEST;
struct VNFX_ATTACHNODE;
struct VNSHOCKWAVE_ENTRY;
struct VNMARKER;

// Suit tiers: the tier-0 suits and the combat engineer, the tier-1 suits, everyone else.
constexpr int32_t VNTERUNIT_TIER_BASIC = 1;
constexpr int32_t VNTERUNIT_TIER_ADVANCED = 2;
constexpr int32_t VNTERUNIT_TIER_OTHER = 3;

// The suit tier of a unit type; every type has one.
int32_t vnTERUNIT_GetSuitTier(int32_t type);

// Unit-type groups.
int32_t vnTERUNIT_IsTier0Suit(int32_t type);       // the _0 suits and the combat engineer
int32_t vnTERUNIT_IsTier1Suit(int32_t type);       // the _1 suits
int32_t vnTERUNIT_IsTier2SuitOnly(int32_t type);   // the _2 suits
int32_t vnTERUNIT_IsSuitTier2(int32_t type);       // the _2 suits and the kinds sharing their idles
int32_t vnTERUNIT_IsCivilianKind(int32_t type);    // civilians, cameraman, scientists, child
int32_t vnTERUNIT_CanManTurret(int32_t type);      // ZR infantry and active zombies
int32_t vnTERUNIT_IsEngineer(int32_t type);

// Body-half states: one numbering for the lower body (0-25) and the upper body (0-29).
enum VNTERUNIT_ANIMSTATE : int32_t {
  VN_TERUNIT_LOWER_NULL = 0,
  VN_TERUNIT_LOWER_IDLE = 1,
  VN_TERUNIT_LOWER_PASSIVE = 2,
  VN_TERUNIT_LOWER_STEALTHWALK = 3,
  VN_TERUNIT_LOWER_STEALTHWALKBACKWARDS = 4,
  VN_TERUNIT_LOWER_RUNNING = 5,
  VN_TERUNIT_LOWER_TAKINGDAMAGE = 6,
  VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE = 7,
  VN_TERUNIT_LOWER_DEATH = 8,
  VN_TERUNIT_LOWER_DEAD = 9,
  VN_TERUNIT_LOWER_BOUNCELAUNCH = 10,
  VN_TERUNIT_LOWER_BOUNCETRAVEL = 11,
  VN_TERUNIT_LOWER_BOUNCELAND = 12,
  VN_TERUNIT_LOWER_BOUNCEDAMAGE = 13,
  VN_TERUNIT_LOWER_BOUNCESPLAT = 14,
  VN_TERUNIT_LOWER_POSSESSED = 15,
  VN_TERUNIT_LOWER_STANDGROUND = 16,
  VN_TERUNIT_LOWER_CELEBRATE = 17,
  VN_TERUNIT_LOWER_REPAIR = 18,
  VN_TERUNIT_LOWER_HEAL = 19,
  VN_TERUNIT_LOWER_AIRSHOOT = 20,
  VN_TERUNIT_LOWER_COMMUNICATE = 21,
  VN_TERUNIT_LOWER_KNIFETHRUST = 22,
  VN_TERUNIT_LOWER_SALUTE = 23,
  VN_TERUNIT_LOWER_TURRETFIRE = 24,
  VN_TERUNIT_LOWER_PULLROPE = 25,

  VN_TERUNIT_UPPER_NULL = 0,
  VN_TERUNIT_UPPER_IDLE = 1,
  VN_TERUNIT_UPPER_PASSIVE = 2,
  VN_TERUNIT_UPPER_STEALTHWALK = 3,
  VN_TERUNIT_UPPER_STEALTHWALKBACKWARDS = 4,
  VN_TERUNIT_UPPER_RUNNING = 5,
  VN_TERUNIT_UPPER_TAKINGDAMAGE = 6,
  VN_TERUNIT_UPPER_TAKINGMAJORDAMAGE = 7,
  VN_TERUNIT_UPPER_DEATH = 8,
  VN_TERUNIT_UPPER_DEAD = 9,
  VN_TERUNIT_UPPER_BOUNCELAUNCH = 10,
  VN_TERUNIT_UPPER_BOUNCETRAVEL = 11,
  VN_TERUNIT_UPPER_BOUNCELAND = 12,
  VN_TERUNIT_UPPER_BOUNCEDAMAGE = 13,
  VN_TERUNIT_UPPER_BOUNCESPLAT = 14,
  VN_TERUNIT_UPPER_POSSESSED = 15,
  VN_TERUNIT_UPPER_STANDGROUND = 16,
  VN_TERUNIT_UPPER_CELEBRATE = 17,
  VN_TERUNIT_UPPER_REPAIR = 18,
  VN_TERUNIT_UPPER_HEAL = 19,
  VN_TERUNIT_UPPER_AIRSHOOT = 20,
  VN_TERUNIT_UPPER_COMMUNICATE = 21,
  VN_TERUNIT_UPPER_KNIFETHRUST = 22,
  VN_TERUNIT_UPPER_SALUTE = 23,
  VN_TERUNIT_UPPER_TURRETFIRE = 24,
  VN_TERUNIT_UPPER_PULLROPE = 25,
  VN_TERUNIT_UPPER_RELOAD = 26,
  VN_TERUNIT_UPPER_CHANGEWEAPON = 27,
  VN_TERUNIT_UPPER_FIRING = 28,
  VN_TERUNIT_UPPER_HANDSIGNAL = 29,
};
constexpr int32_t VNTERUNIT_LOWER_STATES = 26;
constexpr int32_t VNTERUNIT_UPPER_STATES = 30;

// The state whose name matches (any case), -1 when none. Scripts name poses this way.
int32_t vnTERUNIT_StateIndexA(const char* name);  // lower body
int32_t vnTERUNIT_StateIndexB(const char* name);  // upper body

// Animation slots: positions within one of the three hold sets of the animation name table.
enum VNTERUNIT_ANIMSLOT : int32_t {
  VNTERUNIT_SLOT_IDLE_LKAROUND = 0,
  VNTERUNIT_SLOT_IDLE_BREATH = 1,
  VNTERUNIT_SLOT_IDLE_LKRIGHT = 2,
  VNTERUNIT_SLOT_IDLE_LKLEFT = 3,
  VNTERUNIT_SLOT_FIRE1 = 4,
  VNTERUNIT_SLOT_FIRE2 = 5,
  VNTERUNIT_SLOT_BODYHITF = 6,
  VNTERUNIT_SLOT_BODYHITB = 7,
  VNTERUNIT_SLOT_KNOCKEDOVERB = 8,
  VNTERUNIT_SLOT_KNOCKEDOVERF = 9,
  VNTERUNIT_SLOT_DEATH1 = 10,
  VNTERUNIT_SLOT_DEATH1TWITCH = 11,
  VNTERUNIT_SLOT_CARRIEDBYHOPPER = 12,
  VNTERUNIT_SLOT_DEATH2 = 13,
  VNTERUNIT_SLOT_DEATH2TWITCH = 14,
  VNTERUNIT_SLOT_DEATH3 = 15,
  VNTERUNIT_SLOT_DEATH3TWITCH = 16,
  VNTERUNIT_SLOT_RUN = 17,
  VNTERUNIT_SLOT_CHANGEWEAPON = 18,
  VNTERUNIT_SLOT_STEALTHWALK = 19,
  VNTERUNIT_SLOT_WALKBACK = 20,
  VNTERUNIT_SLOT_STEALTHLKRIGHT = 21,
  VNTERUNIT_SLOT_STEALTHLKLEFT = 22,
  VNTERUNIT_SLOT_STEALTHLKAROUND = 23,
  VNTERUNIT_SLOT_GOTORELAXED = 24,
  VNTERUNIT_SLOT_RELAXEDBREATH = 25,
  VNTERUNIT_SLOT_RELAXEDLKARND = 26,
  VNTERUNIT_SLOT_RELAXEDSCRATCH = 27,
  VNTERUNIT_SLOT_RELAXEDRELOAD = 28,
  VNTERUNIT_SLOT_RELAXEDARSE = 29,
  VNTERUNIT_SLOT_RELAXEDLKLEFT = 30,
  VNTERUNIT_SLOT_RELAXEDLKRIGHT = 31,
  VNTERUNIT_SLOT_GOTOIDLE = 32,
  VNTERUNIT_SLOT_CELEBRATE = 33,
  VNTERUNIT_SLOT_AIRSHOOT = 34,
  VNTERUNIT_SLOT_POINTATBUGS = 35,
  VNTERUNIT_SLOT_COMMUNICATE = 36,
  VNTERUNIT_SLOT_MEDICHEAL = 37,
  VNTERUNIT_SLOT_GOTOPOSSESSED = 38,
  VNTERUNIT_SLOT_POSSESSED = 39,
  VNTERUNIT_SLOT_OUTOFPOSSESSED = 40,
  VNTERUNIT_SLOT_EXECUTION = 41,
  VNTERUNIT_SLOT_FIREREVOLVER = 42,
  VNTERUNIT_SLOT_KNIFETHRUST = 43,
  VNTERUNIT_SLOT_SIGNAL_FIRST = 44,  // halt; the twelve hand signals run to 55 (circle)
  VNTERUNIT_SLOT_SIGNAL_LAST = 55,
  VNTERUNIT_SLOT_RELAXEDFIXTSUIT = 56,
  VNTERUNIT_SLOT_RELAXEDFLEXSUIT = 57,
  VNTERUNIT_SLOT_BOUNCE_TAKEOFF = 58,
  VNTERUNIT_SLOT_BOUNCE_FLY = 59,
  VNTERUNIT_SLOT_BOUNCE_FLYHIT = 60,
  VNTERUNIT_SLOT_BOUNCE_FLYBIGHIT = 61,
  VNTERUNIT_SLOT_BOUNCE_FALLING = 62,
  VNTERUNIT_SLOT_BOUNCE_HITGROUND = 63,
  VNTERUNIT_SLOT_BOUNCE_LAND = 64,
  VNTERUNIT_SLOT_SHUFFLE = 65,
  VNTERUNIT_SLOT_SHUFFLEL = 66,
  VNTERUNIT_SLOT_SHUFFLER = 67,
  VNTERUNIT_SLOT_SALUTE = 68,
  VNTERUNIT_SLOT_TURRETHOLD = 69,
};
// Three hold sets ("H1_", "H2_", "H3_") of the same 70 names.
constexpr int32_t VNTERUNIT_SET_SLOTS = 70;
constexpr int32_t VNTERUNIT_HOLD_SETS = 3;
constexpr int32_t VNTERUNIT_ANIM_NAMES = VNTERUNIT_SET_SLOTS * VNTERUNIT_HOLD_SETS;  // 210

// The VNTERUNIT_ANIM_NAMES animation names in table order ("H1_idle_lkaround" first,
// "H3_turrethold" last).
const char* const* vnTERUNIT_GetAnimNames();

// Engagement modes (bits 0-1 of engagementMode).
constexpr uint32_t VNTERUNIT_ENGAGE_STEALTH = 0;
constexpr uint32_t VNTERUNIT_ENGAGE_NORMAL = 1;
constexpr uint32_t VNTERUNIT_ENGAGE_FAST = 2;
constexpr uint32_t VNTERUNIT_ENGAGE_CHARGE = 3;
constexpr uint32_t VNTERUNIT_ENGAGE_MASK = 3;

// stateFlags bits.
constexpr uint32_t VNTERUNIT_SF_AIRBORNE = 0x1;        // falling after a bounce hit, or thrown
constexpr uint32_t VNTERUNIT_SF_GOAL_BY_FIRE = 0x2;    // the current order's goal was reached by firing
constexpr uint32_t VNTERUNIT_SF_HELD = 0x10;           // most orders refused
constexpr uint32_t VNTERUNIT_SF_VICTIM_MODEL = 0x20;
constexpr uint32_t VNTERUNIT_SF_GRABBED = 0x40;        // held by a creature (targetId)
constexpr uint32_t VNTERUNIT_SF_BREATH_PUFFS = 0x100;
constexpr uint32_t VNTERUNIT_SF_MICRO_ROCKETS = 0x200;  // micro-rocket attack requested
constexpr uint32_t VNTERUNIT_SF_ATTACKERS = 0x400;
constexpr uint32_t VNTERUNIT_SF_AURA = 0x800;          // concealment aura on
constexpr uint32_t VNTERUNIT_SF_FADING = 0x1000;
constexpr uint32_t VNTERUNIT_SF_HIDDEN = 0x4000;
constexpr uint32_t VNTERUNIT_SF_SNIPER_VIEW = 0x8000;  // the firing pose stays up
constexpr uint32_t VNTERUNIT_SF_ZOMBIE = 0x20000;
constexpr uint32_t VNTERUNIT_SF_NOT_PLATOON = 0x40000;
constexpr uint32_t VNTERUNIT_SF_REPORT_WAKING = 0x80000;
constexpr uint32_t VNTERUNIT_SF_PATROL_NO_REVERSE = 0x100000;
constexpr uint32_t VNTERUNIT_SF_TURRET = 0x800000;     // manning a turret
constexpr uint32_t VNTERUNIT_SF_IN_RANGE = 0x1000000;  // the target is within weapon range
constexpr uint32_t VNTERUNIT_SF_CAMERA_OUT = 0x2000000;
constexpr uint32_t VNTERUNIT_SF_CLOAKED = 0x4000000;

// modeFlags bits.
constexpr uint32_t VNTERUNIT_MF_FIRED_AT_TARGET = 0x1;  // this frame
constexpr uint32_t VNTERUNIT_MF_FIRED_AT_POINT = 0x2;   // this frame
constexpr uint32_t VNTERUNIT_MF_DOME = 0x4;
constexpr uint32_t VNTERUNIT_MF_SUIT_AMMO = 0x8;        // carries rounds as a suit does
constexpr uint32_t VNTERUNIT_MF_EXTERNAL = 0x10;        // set and cleared for its sender's use
constexpr uint32_t VNTERUNIT_MF_WOUNDED = 0x20;         // the wounded model is in use
constexpr uint32_t VNTERUNIT_MF_WOUNDED_ANIM = 0x40;    // its "wounded" animation runs
constexpr uint32_t VNTERUNIT_MF_ATTACK_UNIT = 0x80;
constexpr uint32_t VNTERUNIT_MF_WEAPON_STOWED = 0x100;  // readyItemId holds the heavy weapon
constexpr uint32_t VNTERUNIT_MF_KEEP_HEIGHT = 0x200;    // scripted placement keeps its height
constexpr uint32_t VNTERUNIT_MF_LOW_ARMOUR_SAID = 0x800;
constexpr uint32_t VNTERUNIT_MF_HEAVY_ATTACK = 0x1000;
constexpr uint32_t VNTERUNIT_MF_ALT_FIRE = 0x4000;
constexpr uint32_t VNTERUNIT_MF_SUIT_DESTROYED = 0x8000;
constexpr uint32_t VNTERUNIT_MF_IMMUNE = 0x10000;

// bodyFlags bits.
constexpr uint32_t VNTERUNIT_BF_DEAD = 0x40;

// Attack list and route sizes.
constexpr int32_t VNTERUNIT_MAX_ATTACKERS = 3;
constexpr int32_t VNTERUNIT_MAX_WAYPOINTS = 8;
constexpr int32_t VNTERUNIT_MAX_IDS = 8;
constexpr int32_t VNTERUNIT_BASE_ATTRIBUTES = 7;
constexpr int32_t VNTERUNIT_TOTALS = 8;
constexpr int32_t VNTERUNIT_WOUNDED_ANIMS = 4;  // "wounded", "helpMe", "getup", "pullrope"

// Aim and jump limits.
constexpr float VNTERUNIT_AIM_LIMIT = 1.0471976f;  // pi/3
constexpr float VNTERUNIT_JUMP_ENERGY_TIER0 = 250.0f;
constexpr float VNTERUNIT_JUMP_ENERGY_TIER1 = 150.0f;
// Seconds after a shot during which the firing pose is held.
constexpr float VNTERUNIT_FIRE_POSE_TIME = 0.2f;

// The aim target: node indices of the target (-1 none) and the last aim point.
struct VNTERUNIT_AIMCACHE {
  int32_t nodes[2];
  SPW_VECTOR point;
};

// The soldier record at the front of every soldier class instance; a class appends its own
// fields behind it. A record of the running game only: nothing stores it.
struct VNTERUNIT {
  VNUNIT* unit;
  int32_t targetId;        // aimed at; while a creature holds the soldier, that creature
  int32_t engagedId;       // what the order runner went for last
  VNTERUNIT_AIMCACHE aimCache;
  int32_t doubleWeaponId;  // the primary weapon (a double weapon's wrapper), -1 none
  int32_t readyItemId;     // the heavy weapon put away after a hit, -1 none
  uint32_t stateFlags;     // VNTERUNIT_SF_*
  uint32_t modeFlags;      // VNTERUNIT_MF_*
  uint32_t voiceEvents;    // one bit per voice event already said
  int32_t deathModel;      // object type slot of the death model
  int32_t upperState;      // VNTERUNIT_ANIMSTATE
  int32_t lowerState;
  int32_t prevUpperState;
  int32_t prevLowerState;
  float idleTime;          // seconds with both halves idle
  int32_t trackPrevStates;
  int32_t idlePeriods;     // completed 5-second idle periods
  int16_t hitSide;         // 1: the last hit came from the front
  SPW_VECTOR hitDirection;
  uint32_t engagementMode;  // VNTERUNIT_ENGAGE_* in bits 0-1
  float visibility;         // factor on the distance at which enemies notice the soldier
  int32_t wasHit;
  float phaseTimer;
  int32_t subState;         // phase of a multi-phase state
  float savedAnimSpeed;     // -1.0 none
  int32_t scripted;         // a sequence drives the states, or the soldier is dormant
  float sinceShot;          // seconds since the last shot
  float retargetTimer;      // -1.0 no target
  VNMOVER_REQUEST* moveRequest;     // kept while turning in place
  VNMOVER_REQUEST* airMoveRequest;  // of the airborne motion
  SPW_VECTOR faceDirection;         // also the knock-back direction
  int32_t* animMap;                 // VNTERUNIT_ANIM_NAMES model animation indices, -1 missing
  int32_t animSet;                  // hold set in use: 0, 70 or 140
  int32_t upperAnim;
  int32_t lowerAnim;
  SPW_NODESELECTION* upperBones;
  SPW_NODESELECTION* lowerBones;
  int32_t torsoNode;
  float aimPitchLimit;
  float aimYawLimit;
  int32_t upperLocked;  // a one-shot animation owns the half
  int32_t lowerLocked;
  float stopTimer;      // grace before a slowed runner falls back to idle
  float settleTimer;    // since a shuffle animation was chosen
  float stepTimer;      // since the last footstep
  int32_t stepSide;     // 0/1, flips at each footstep
  int32_t flightSound;  // channel of the jump flight sound, -1 none
  int32_t voice;        // channel of the voice line now playing, -1 none
  float exertion;       // seconds of charge run (0-20), then rest time left
  int32_t exhausted;
  SPW_VECTOR* wanderPoint;  // handed out by the mover while charging without an order
  uint32_t waypointCount;   // at most VNTERUNIT_MAX_WAYPOINTS
  uint32_t waypointIndex;
  int32_t waypointsBackwards;
  SPW_VECTOR waypoints[VNTERUNIT_MAX_WAYPOINTS];
  SPW_VECTOR circlePoint;  // on the circle walked around a guarded unit
  float circleTimer;
  int32_t circleSide;
  float circleWait;        // -1.0 idle
  int32_t bounceStarted;
  float bounceTime;
  float bounceHalfTime;    // -1.0 no flight
  float bounceGravity;
  SPW_VECTOR bounceVelocity;
  SPW_VECTOR bounceStart;
  SPW_VECTOR bouncePosition;
  float jumpEnergy;        // by tier; -1.0 without a jump pack
  float domeCharge;        // 0-1 for command suits, else -1.0
  VNFX_ATTACHNODE* exertionFx;
  VNSHOCKWAVE_ENTRY* shockwavePool;
  float fadeLevel;
  float fadeTarget;
  int32_t treating;        // a heal or repair step runs
  // The common handler's words.
  SPW_VECTOR stepPosition;  // the result of the position step
  SPW_VECTOR breathDrift;   // of the breath puffs
  int32_t lineChannel;      // channel of the event line now playing, -1 none
  int32_t attackerCount;
  int32_t attackerIds[VNTERUNIT_MAX_ATTACKERS];
  int32_t turretId;         // -1 none
  SGE_DLLNODE patients;     // unit ids under treatment
  int32_t* woundedAnims;    // VNTERUNIT_WOUNDED_ANIMS indices of the wounded model
  int32_t nameWords[2];     // placement Name
  int32_t profileId;        // placement ProfileID
  int32_t tag;
  int32_t attackers;        // creatures attacking the soldier
  float breathTimer;
  SPW_VECTOR puffDrift;     // of the state puff
  SPW_VECTOR ballisticVelocity;
  void* dormantActivity;    // while set a dormant soldier does not wake by proximity
  int32_t idList[VNTERUNIT_MAX_IDS];  // units that do not wake a dormant soldier
  int32_t idCount;
  int32_t baseAttributes[VNTERUNIT_BASE_ATTRIBUTES];
  VNUNIT* unitRef;
  SPW_DOBJECT* model;
  uint32_t bodyFlags;       // VNTERUNIT_BF_*
  VNMARKER* marker;
  // The soldier's statistics (SGM_WEAPON_CREDIT_KILL adds to them word by word): [2] bug holes,
  // [4] kills, [5] points, [6] hits, [7] misses.
  int32_t totals[VNTERUNIT_TOTALS];
};

// baseAttributes positions.
constexpr int32_t VNTERUNIT_BASE_IMPULSE = 0;
constexpr int32_t VNTERUNIT_BASE_RANGE = 2;
constexpr int32_t VNTERUNIT_BASE_HEALTH = 3;
constexpr int32_t VNTERUNIT_BASE_SPEED = 4;
constexpr int32_t VNTERUNIT_BASE_ARMOUR = 6;

// Animation slots and the state switch.
// The model animation of the slot in the hold set in use; missing: slot 0 of the set, then
// slot 26, then -1.
int32_t vnTERUNIT_Anim(const VNTERUNIT* record, int32_t slot);
// Whether the hold set in use has the slot (0 outside 0-69).
int32_t vnTERUNIT_HasAnim(const VNTERUNIT* record, int32_t slot);
// The body-half node selections and the torso node of the model, by unit type.
int32_t vnTERUNIT_MakeBoneSets(VNTERUNIT* record, int32_t type, SPW_DOBJECT* model);
int32_t vnTERUNIT_FindTorsoNode(VNTERUNIT* record, int32_t type, SPW_DOBJECT* model);
// End callbacks on every animation of the map (and bounce_takeoff's 12-second mark).
void vnTERUNIT_BindAnimationEvents(VNTERUNIT* record, SPW_DOBJECT* model);
// The set-up at creation: shared animation map, node selections, torso node, idle animations at
// speed 1.0 and the end callbacks. 0 when the map cannot be had.
int32_t vnTERUNIT_SetUpAnimation(VNTERUNIT* record, SPW_DOBJECT* model);
// The hold set of the current weapon (its answer to SGM_WEAPON_GET_HOLD_KIND).
void vnTERUNIT_SelectHoldSet(VNTERUNIT* record);
// Turns the states into animations on the model.
void vnTERUNIT_ApplyAnimation(SGE_TASK* task, SPW_DOBJECT* model, VNTERUNIT* record);
// Moves the states on when the animation of the table entry ends.
void vnTERUNIT_AnimationEnded(VNTERUNIT* record, int32_t nameIndex);
// The model at the unit's position, turned to the unit's heading.
void vnTERUNIT_PlaceModel(VNTERUNIT* record, SPW_DOBJECT* model);
// Both halves idle and unlocked, the mover stopped.
void vnTERUNIT_SetIdle(VNTERUNIT* record);
void vnTERUNIT_StopMover(VNTERUNIT* record, int32_t kind);
// Footstep and flight sounds of the lower state (mode 0).
void vnTERUNIT_PlaySteps(VNTERUNIT* record, int32_t mode);
// The footstep effect id of a soldier type in a lower state on a surface kind, side 0/1.
int32_t vnTERUNIT_StepSound(int32_t type, int32_t lowerState, int32_t surface, int32_t side);
