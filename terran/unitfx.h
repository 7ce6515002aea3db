#pragma once
// Small effects a soldier carries: the jump-jet glow and its ring of puffs, the shield dome of
// command suits and psychics, and the puffs that rise from a soldier. Each is a plain record in
// the soldier's class instance; its owner frees it, and with it every sprite it made.
#include <cstdint>

#include "engine/math/vecmath.h"

struct SPW_SPRITE;
struct SPW_SPRITESET;
struct VNUNIT;
struct VNTERUNIT;
struct BSTAR_Node;

// The jump-jet ground effect: a swinging glow and a ring of puffs that rise around the unit.
constexpr int32_t VNFX_JET_PUFFS = 16;
constexpr float VNFX_JET_SPAWN_TIME = 0.1f;  // seconds between new puffs, one a frame at most
constexpr float VNFX_JET_PUFF_TOP = 3.0f;    // a puff dies above this rise
constexpr int32_t VNFX_JET_SOUND = 403;
// The two sets of every jet share one id; each set is made once and found by its id after.
constexpr uint32_t VNFX_JET_GLOW_SET = 1638;
constexpr uint32_t VNFX_JET_PUFF_SET = 1639;

struct VNFX_JETPUFF {
  int32_t live;
  SPW_SPRITE* sprite;
  uint8_t colour[4];  // r, g, b, a
  SPW_VECTOR position;
  float angle;  // radians around the unit
  float rise;
};

struct VNFX_JET {
  int32_t active;
  int32_t stopping;  // the puffs finish, no new ones
  uint32_t unitId;
  SPW_SPRITE* glow;
  SPW_SPRITESET* glowSet;
  SPW_SPRITESET* puffSet;
  float glowSize;
  int32_t glowGrowing;
  SPW_VECTOR glowPosition;  // kept up to date by the owner
  int32_t word;             // the owner's, given at start
  float spawnTimer;
  VNFX_JETPUFF* puffs;      // VNFX_JET_PUFFS, made at the first start
};

// Clears the record and finds or makes the two sprite sets; 0 when a set cannot be made.
int32_t vnFX_JetCreate(VNFX_JET* jet);
// Refused (0) while active; else starts over for the unit: glow 1.0 and growing, no puffs.
int32_t vnFX_JetStart(VNFX_JET* jet, uint32_t unitId, int32_t word);
// The frame's step; 1 while active, 0 when it was not (or its unit is gone: every sprite goes).
int32_t vnFX_JetUpdate(VNFX_JET* jet);
// The glow goes at once; the live puffs finish before the record becomes idle.
void vnFX_JetStop(VNFX_JET* jet);
// Destroys the glow and every live puff and frees the puff block.
void vnFX_JetFree(VNFX_JET* jet);
int32_t vnFX_JetIsIdle(const VNFX_JET* jet);

// SGM_TERUNIT_HOLD (578) to a soldier: held (p1 3) or released (p1 4).
constexpr int32_t SGM_TERUNIT_HOLD = 578;
constexpr int32_t VNTERUNIT_HOLD = 3;
constexpr int32_t VNTERUNIT_RELEASE = 4;

// The shield dome of command suits (types 92-95) and psychics (126, 127, 132): a dome unit of
// the computer player that the soldier raises and lowers, holding the friends around it while
// it stands, and a run-time path-network node that keeps walkers off it.
constexpr float VNFX_DOME_RADIUS = 600.0f;
constexpr float VNFX_DOME_REACH = 5.5f;       // friends held within this distance
constexpr float VNFX_DOME_NODE_RADIUS = 6.5f;

// The dome unit, or null.
VNUNIT* vnFX_DomeCreate();
// Raises the dome over the soldier unless it stands already or the soldier's type has no dome;
// *node gets the path-network node it added. 1 when raised now.
int32_t vnFX_DomeRaise(VNUNIT* dome, VNUNIT* soldier, VNTERUNIT* record, BSTAR_Node** node);
// Lowers it and removes the node: 1 when down (or down already), 0 for a type without a dome.
int32_t vnFX_DomeLower(VNUNIT* dome, VNUNIT* soldier, BSTAR_Node** node);
// Whether the dome stands (its answer to SGM_DOME_IS_RAISED); 0 without a dome.
int32_t vnFX_DomeState(VNUNIT* dome);

// Puffs that rise from a soldier. A breath puff comes each time the soldier's breath timer runs
// out (call it every frame while VNTERUNIT_SF_BREATH_PUFFS is set); a state puff drifts to the side
// of the soldier's step. Neither sprite reads the soldier after it is made.
void vnFX_BreathPuff(VNTERUNIT* record);
void vnFX_StatePuff(VNTERUNIT* record);
// Seconds to the next breath: 2 to 4, half that while running.
float vnFX_BreathPause(int32_t running);
