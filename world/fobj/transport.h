#pragma once
// The troop transport: a ground vehicle driven through its mover, whose model follows the
// movement record and plays "go" or a turn as its heading swings; when destroyed it leaves a
// burning wreck and a shockwave.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNFX_ATTACHNODE;
struct VNSHOCKWAVE_ENTRY;
struct VNUNIT;

constexpr int32_t VNTRANSPORT_SHOCKWAVES = 3;
// How often the animation is chosen again and the heading sampled, in seconds.
constexpr float VNTRANSPORT_STEP_SECONDS = 0.05f;
constexpr float VNTRANSPORT_SAMPLE_SECONDS = 0.2f;

enum VNTRANSPORT_TURN : int32_t { VNTRANSPORT_GO, VNTRANSPORT_TURN_LEFT, VNTRANSPORT_TURN_RIGHT };

struct VNTRANSPORT {
  VNUNIT* pUnit;
  SPW_DOBJECT* pModel;
  int32_t nDeathType;  // the death model's type slot
  int32_t anAnims[3];  // by VNTRANSPORT_TURN
  int32_t nTurn;       // VNTRANSPORT_TURN
  float fStepTimer;
  float fSampleTimer;
  SPW_VECTOR vSampled;  // the heading at the last sample
  int32_t bDead;
  VNSHOCKWAVE_ENTRY* pShockwaves;
  float fScale;
  VNFX_ATTACHNODE* pNode;  // on the mission's effect draw list once a wave runs
};

// The transport's node on the effect draw list: SGM_TASK_DRAW draws its shockwaves.
constexpr int32_t VNTRANSPORT_NODE_VALUE = 1;

// The turn that the heading and the heading sampled before call for: the animation to play, or
// -1 when the heading lies between the two axes and the current one goes on.
int32_t vnTRANSPORT_ChooseTurn(const SPW_VECTOR& heading, const SPW_VECTOR& sampled);

SGE_RESULT vnTRANSPORT_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNTRANSPORT_CLASSROW{
    VNTT_VEHICLE_TRANSPORT, vnTRANSPORT_Handler, sizeof(VNTRANSPORT)};
