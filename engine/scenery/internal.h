#pragma once
// What the instance drawing hands the decal drawing.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/math/vecmath.h"

struct SPW_SCENE;
struct SPW_FEATUREINST;

struct SPW_SCENERYFRAME {
  SPW_DISPLAY* display;
  SPPD_DRIVERTABLE* drv;
  const SPW_MATRIX* view;  // world to view space
};

// Rebuilds the instance's decals that ask for it, then draws every decal's pieces.
void SPW_DrawDecals(const SPW_SCENERYFRAME& frame, SPW_SCENE* scene, SPW_FEATUREINST* item,
                    uint32_t clipMask);
