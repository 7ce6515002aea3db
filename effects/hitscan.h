#pragma once
// Hit-scan guns: the chain cannon, the light rifle, the revolver and the smart rifle. A shot is
// decided by the fire check and hits at once through the damage model; no projectile flies.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "world/unitman/unitclass.h"

struct VNUNIT;
struct SPW_DOBJECT;
struct VNHITSCAN_CLASS;

struct VNHITSCAN {
  VNUNIT* pUnit;
  SPW_DOBJECT* pObject;  // the model, null when it did not load
  const VNHITSCAN_CLASS* pClass;
  float fSinceShot;   // seconds; starts at one shot interval so that the first shot is ready
  int32_t nRoundType; // of the loaded round as the fire check saw it, VNWEAPON_NO_ROUND: none
  int32_t nLocator;   // on the current target, -1 none
};

SGE_RESULT vnHITSCAN_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);

// The classes' rows of the unit class table.
inline constexpr VNUNIT_CLASSROW VNHITSCAN_CHAINCANNON_CLASSROW{
    VNTT_WEAPON_CHAINCANNON, vnHITSCAN_Handler, sizeof(VNHITSCAN)};
inline constexpr VNUNIT_CLASSROW VNHITSCAN_LIGHTRIFLE_CLASSROW{
    VNTT_WEAPON_LIGHTRIFLE, vnHITSCAN_Handler, sizeof(VNHITSCAN)};
inline constexpr VNUNIT_CLASSROW VNHITSCAN_REVOLVER_CLASSROW{
    VNTT_WEAPON_REVOLVER, vnHITSCAN_Handler, sizeof(VNHITSCAN)};
inline constexpr VNUNIT_CLASSROW VNHITSCAN_SMARTRIFLE_CLASSROW{
    VNTT_WEAPON_SMARTRIFLE, vnHITSCAN_Handler, sizeof(VNHITSCAN)};
