#pragma once
// The effect classes of a mission: 43 sprite sets cut from the effect textures, each with the
// number of animation frames its texture holds. One task (VNTT_SPRITEDEFS) makes the sets when
// the mission starts and destroys them with the mission; effects ask for a class by its index.
#include <cstdint>

#include "engine/kernel/kernel.h"

struct SPW_SPRITESET;

constexpr int32_t VNEFFECT_CLASSES = 43;
// The class of the explosion flash.
constexpr int32_t VNEFFECT_CLASS_FLASH = 31;

struct VNEFFECT_TABLE {
  float afFrames[VNEFFECT_CLASSES];
  SPW_SPRITESET* apClasses[VNEFFECT_CLASSES];
};

int32_t vnSPRITEDEFS_Register();
SGE_RESULT vnSPRITEDEFS_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                SGE_PARAM p2);

// The class of the index, null outside 0-42 or while no table lives.
SPW_SPRITESET* vnEFFECT_GetClass(int32_t index);
// Its frame count, 0.0 outside 0-42 or while no table lives.
float vnEFFECT_GetClassValue(int32_t index);
