#pragma once
// The status marker service: one task of the running mission keeps the records of every small
// status marker shown in the 3D view (most often a bar filled to a unit's health) and draws
// the visible ones through its node on the mission's effect draw list. Owners add a record
// with a position and then set its level, look and place by messages. Main thread only.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"

struct VNFX_ATTACHNODE;
struct VNUNIT;


// Messages to the marker task; p1 is the record for all but SGM_MARK_ADD.
// p1 position (3 floats), p2 flags; answers the added record, or 0.
constexpr int32_t SGM_MARK_ADD = 2579;
constexpr int32_t SGM_MARK_REMOVE = 2580;
constexpr int32_t SGM_MARK_LEVEL = 2581;      // p2 pointer to a float, held in [0, 1]
constexpr int32_t SGM_MARK_PAIR_A = 2582;     // p2 pointer to two floats
constexpr int32_t SGM_MARK_PAIR_B = 2583;
constexpr int32_t SGM_MARK_PAIR_C = 2584;
constexpr int32_t SGM_MARK_POSITION = 2585;   // p2 pointer to three floats
constexpr int32_t SGM_MARK_WORD = 2586;       // p2 the int32 word itself
constexpr int32_t SGM_MARK_WORDS = 2587;      // p2 pointer to four int32
constexpr int32_t SGM_MARK_LOOK5 = 2588;      // p2 pointer to an int32: appearance word 5
constexpr int32_t SGM_MARK_LOOK4 = 2589;      // ... word 4
constexpr int32_t SGM_MARK_LOOK2 = 2590;      // ... word 2
constexpr int32_t SGM_MARK_LOOK3 = 2591;      // ... word 3

constexpr int32_t VNMARKER_LOOK_WORDS = 5;
constexpr int32_t VNMARKER_PAIRS = 3;
constexpr int32_t VNMARKER_INT_WORDS = 4;
enum VNMARKER_PAIR : int32_t { VNMARKER_PAIR_A, VNMARKER_PAIR_B, VNMARKER_PAIR_C };

// Record flags.
constexpr uint32_t VNMARKER_HIDDEN = 0x1;  // set by the owner; kept in the list, not drawn

// What vnMARK_SetDefaults gives every pair, and what an added record starts with.
constexpr float VNMARKER_DEFAULT_PAIR[2] = {11.0f, 0.7f};

// A record's fields from the appearance words on: the marker renderer gives them their look.
struct VNMARKER_DATA {
  uint32_t adwLook[VNMARKER_LOOK_WORDS];  // appearance words 1 to 5
  SPW_VECTOR vPos;
  float afPair[VNMARKER_PAIRS][2];  // pairs A, B and C
  uint32_t dwFlags;                 // VNMARKER_HIDDEN
  float fLevel;                     // 0 to 1
  int32_t nWord;                    // 0 when added
  int32_t anWords[VNMARKER_INT_WORDS];
};

struct VNMARKER {
  SGE_DLLNODE link;  // in the active or the free list
  VNMARKER_DATA data;
};

// The creation record of the task (p1 of its creation): the block records are taken from and
// the defaults of a new record.
struct VNMARKER_DEFAULTS {
  SGE_MEMBLOCK* pBlock;
  VNMARKER_DATA data;
};

// The task's instance.
struct VNMARKERS {
  VNMARKER_DEFAULTS defaults;
  SGE_DLLNODE active;  // drawn in this order
  SGE_DLLNODE free;
  VNFX_ATTACHNODE* pNode;  // on the mission's effect draw list
};

// The task's handler, and its registration (flags 4, no name) for the root task.
SGE_RESULT vnMARK_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);
int32_t vnMARK_Register();

// Wrappers that reach the running mission's marker task; without it they do nothing and the
// ones with a result answer null.
// A new record at the position with the flags, or null.
VNMARKER* vnMARK_Send2579(const SPW_VECTOR* position, uint32_t flags);
void vnMARK_Send2580(VNMARKER* record);
void vnMARK_Send2581(VNMARKER* record, float level);
void vnMARK_Send2585(VNMARKER* record, const SPW_VECTOR* position);
// Every pair to VNMARKER_DEFAULT_PAIR.
void vnMARK_SetDefaults(VNMARKER* record);
void vnMARK_Send2586(VNMARKER* record, int32_t value);

// A bar's level from a value and its maximum: 0 when the maximum is not above 0 (a type whose
// health or supply row is 0, a corrupt value), else value / maximum held in [0, 1].
float vnMARK_BarLevel(float value, float maximum);
// The level of one of the unit's attribute values (health 14, supply 9) against a maximum.
float vnMARK_UnitLevel(const VNUNIT* unit, int32_t attribute, float maximum);
