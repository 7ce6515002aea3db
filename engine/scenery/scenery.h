#pragma once
// The scenery renderer: each frame it walks the scene's spatial tree against the view's clip
// planes, narrows the scene's terrain lights down the tree, and draws every visible feature
// instance at its level of detail through the driver's polygon calls, lit per vertex, faded
// when close to the eye; then the sky object, centred on the camera. Main thread only; the
// work tables are engine-wide, so the callback is not re-entrant.
#include <cstdint>

#include "engine/display/display.h"
#include "engine/tess/tess.h"

constexpr uint32_t SPW_SCENERY_PRIORITY = 460;  // under a virtual display
// View-space z at which instances start to fade (10 units in front of the eye).
constexpr float SPW_NEAR_FADE_Z = -10.0f;
// Driver layers of the decals by the tessellation's drawing kind.
constexpr int32_t SPW_DECAL_LAYER = SPW_TESS_LAYER_OPAQUE;            // kinds 1 and 3
constexpr int32_t SPW_DECAL_LAYER_KIND2 = SPW_TESS_LAYER_TRANSLUCENT;  // kind 2

// The display callback; -1 always. Does nothing for a node that is no virtual display, a view
// without a scene, a scene without a tree or a display without a driver.
int32_t SPW_SceneryRenderTask(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
// Instances drawn by the last frame's walk.
uint32_t SPW_GetSceneryDrawCount();
