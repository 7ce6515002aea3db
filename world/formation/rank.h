#pragma once
// Rank programs: the player's units move as ranks that keep a shape and a heading. "Prog_0" is
// the rank the player commands, "Prog_1" to "Prog_6" the platoon's squads and specialists; a
// move sends every unit to its own slot of the shape placed at the target point and shows the
// formation nodes there. Every operation takes the unit manager task (ctx).
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"

struct VNPLATOON;

inline constexpr const char* VNRANK_PLAYER_RANK = "Prog_0";

// Order kinds a leader may answer SGM_UNIT_GET_ORDER with.
constexpr int32_t VNRANK_ORDER_WALK = 3;
constexpr int32_t VNRANK_ORDER_WALK_TO = 5;
constexpr int32_t VNRANK_ORDER_JUMP = 12;

// What SGM_UNIT_GET_ORDER fills in.
struct VNRANK_ORDER {
  int32_t nKind;
  SPW_VECTOR vPoint;
};

VNRANK_PROGRAM* vnRANK_Find(SGE_TASK* ctx, const char* name);
// Resolves each slot's unit from its id: null when the unit is gone or dead, or with `clear`.
void vnRANK_Refresh(SGE_TASK* ctx, VNRANK_PROGRAM* program, int32_t clear);
// Drops the slots without a unit, keeping the order of the rest.
void vnRANK_Compact(VNRANK_PROGRAM* program);
void vnRANK_CopySlots(VNRANK_PROGRAM* dst, const VNRANK_PROGRAM* src);
// The first unit of the slots in leader order (the HUD's selected unit, then the lower rank
// value) and its slot index; null when no slot has a unit.
VNUNIT* vnRANK_GetLeader(VNRANK_PROGRAM* program, int32_t* outIndex);
// Rebuilds the program from the units as they stand (at most its capacity). 0, with the
// program unchanged, when the leader has no heading.
int32_t vnRANK_Build(SGE_TASK* ctx, VNRANK_PROGRAM* program, VNUNIT* const* units, int32_t n);
// "Prog_0" from the selected units; its source is cleared.
int32_t vnRANK_Reset(SGE_TASK* ctx);
// Selects exactly the units of "Prog_0".
int32_t vnRANK_SelectRank(SGE_TASK* ctx);
// Copies "Prog_0" into the named formation with its direction and scale.
int32_t vnRANK_Store(SGE_TASK* ctx, const char* name);
void vnRANK_Link(VNRANK_PROGRAM* dst, VNRANK_PROGRAM* src);
void vnRANK_Unlink(VNRANK_PROGRAM* program, VNRANK_PROGRAM* newSource);
// Places the program at its leader's position.
int32_t vnRANK_Align(SGE_TASK* ctx, VNRANK_PROGRAM* program, int32_t msg, float scale,
                     int32_t send);
// Gives "Prog_0" the shape of the named formation and re-issues the leader's current order.
int32_t vnRANK_ApplyFormation(SGE_TASK* ctx, const char* name);
// Switches "Prog_0" to the named formation.
int32_t vnRANK_ChangeFormation(SGE_TASK* ctx, const char* name);
// Moves "Prog_0" to the point; a null direction or scale takes the stored or default one.
int32_t vnRANK_MoveTo(SGE_TASK* ctx, int32_t msg, const SPW_VECTOR* point,
                      const SPW_VECTOR* direction, const float* scale, int32_t send, int32_t trail);
// The placement: every slot's unit sent to its spot of the shape at the point, facing the
// direction, and a node shown there. msg is SGM_UNIT_GOTO_POINT or SGM_UNIT_BOUNCE_TO_POINT.
int32_t vnRANK_Move(SGE_TASK* ctx, VNRANK_PROGRAM* program, int32_t msg, const SPW_VECTOR* point,
                    const SPW_VECTOR* direction, float scale, int32_t send);
// "Prog_0" to "Prog_6" from the platoon's fielded units.
int32_t vnRANK_SelectProgram(SGE_TASK* ctx, const VNPLATOON* platoon);

// The point the rank was last sent to (its leader's destination).
SPW_VECTOR vnRANK_GetMarkedPoint();
// Ends the rank's smoke trail when one runs.
void vnRANK_EndTrail();
