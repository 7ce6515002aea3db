// Terrain exports. The game refuses a driver without the two per-frame entry points; here they
// draw nothing, and only the ambient colour a host sets is kept.
#include "driver/core/block.h"

namespace {
// White until a host says otherwise: vertices carry it as their diffuse colour.
uint32_t g_ambient = 0xFFFFFFFFu;
}

int32_t SPPD_InitTerrain(SPW_DISPLAY*, SPW_TERRAIN*) {
  g_ambient = 0xFFFFFFFFu;
  return SPPD_OK;
}

uint32_t SPPD_SetTerrainAmbientColour(uint32_t colour) {
  uint32_t previous = g_ambient;
  g_ambient = colour;
  return previous;
}

int32_t SPPD_TERRAIN_RenderTerrainDataSetup(SPW_VDISPLAY*, SPW_DISPLAY*) { return SPPD_OK; }
int32_t SPPD_TERRAIN_RenderTerrainData() { return SPPD_OK; }
