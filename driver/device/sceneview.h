#pragma once
// What the driver reads of the engine's virtual display and scene records, read in one place:
// the view a node draws, its scene's sun and terrain, and its depth span.
#include <cstdint>

#include "engine/driver/sppd.h"

struct SGE_DLLNODE;
struct SPW_TERRAIN;
struct SPW_VDISPLAY;

// The virtual display a node draws (its render target, recognised by the record's size),
// none for any other node.
const SPW_VDISPLAY* SPPD_ViewOfNode(const SPW_DISPLAYNODE* node);
// 1 / (far - near) of the view.
float SPPD_ViewInvDepth(const SPW_VDISPLAY* view);
// The direction the sun's light comes from, in world space; false when the view has no scene.
bool SPPD_ViewSunward(const SPW_VDISPLAY* view, float out[3]);
// The sun's colour (r, g, b, 0 to 255 a channel); false, and black, without a scene.
bool SPPD_ViewSunColour(const SPW_VDISPLAY* view, float out[3]);

// What the terrain set-up takes from a view's scene.
struct SPPD_VIEWTERRAIN {
  SPW_TERRAIN* pTerrain;  // none when the scene has none
  SGE_DLLNODE* pLights;   // the scene's SPW_LIGHT records
  float fTanHalfY;        // the view's projection scale
};
// False when the view has no scene.
bool SPPD_ViewTerrain(SPW_VDISPLAY* view, SPPD_VIEWTERRAIN* out);
