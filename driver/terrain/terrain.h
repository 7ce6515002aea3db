#pragma once
// driver/terrain: culling, level of detail and drawing of the engine's terrain record. One
// terrain is drawn at a time; the state below is driver-wide (main thread only).
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/math/vecmath.h"
#include "engine/terrain/terrain.h"

struct SGE_DLLNODE;
struct SPPD_DRIVERSTATE;

constexpr const char SPPD_TERRAIN_GLOW_TEXTURE[] = "sprites/effects/sphere_256c_2.ppm";
constexpr float SPPD_TERRAIN_LOD_SCALE = 2.7474775f;  // 1 / tan 20 degrees
constexpr float SPPD_TERRAIN_MAX_BOUND = 20.0f;
// Batch slots the terrain fills: the tiles, their second pass, and the glows of dynamic lights.
constexpr int SPPD_TERRAIN_LAYER_TILES = 0;
constexpr int SPPD_TERRAIN_LAYER_GLOW_ADD = 1;
constexpr int SPPD_TERRAIN_LAYER_SECOND_PASS = 2;
constexpr int SPPD_TERRAIN_LAYER_GLOW_BLEND = 3;
// Buffers the terrain asks for, and the room one tile needs in them.
constexpr uint32_t SPPD_TERRAIN_BUFFER_VERTICES = 256;
constexpr uint32_t SPPD_TERRAIN_BUFFER_INDICES = 768;
constexpr uint32_t SPPD_TERRAIN_TILE_INDICES = SPW_TERRAIN_MESH_INDICES;

struct SPPD_TERRAINSTATE {
  SPW_TERRAIN* pTerrain;
  SPW_DISPLAY* pDisplay;
  uint32_t dwAmbient;    // every vertex's diffuse colour
  int32_t nGlowTexture;  // 0 until first needed
  SPW_VECTOR vEye;       // world space
  SPW_VECTOR vRight, vUp;  // the camera's axes in view space, for the glow
  SPW_VECTOR aOffsets[SPW_TERRAIN_TEMPLATE_SIZE];  // the template's offsets in view space
  bool bSetUp;  // a set-up has run since the terrain was made current
  // The render state's projection, taken once a frame.
  float fScaleX, fScaleY, fCentreX, fCentreY, fDepthOffset, fDepthFactor;
};

SPPD_TERRAINSTATE* SPPD_TerrainState();
// SPPD_PurgeTextures: the glow texture is registered again when next needed.
void SPPD_TerrainForgetGlowTexture();

// The frame's set-up for a terrain: culling against the current render state, the lights of
// the list (SPW_LIGHT records) linked to the tiles they reach, and vertex switching with the
// level-of-detail factor of the render state and the view's projection scale (tan of half its
// vertical field of view).
void SPPD_TerrainSetupFrame(SPW_DISPLAY* display, SPW_TERRAIN* terrain, SGE_DLLNODE* lights,
                            float projectionScale);
// The level-of-detail factor for a terrain detail value and a projection scale.
float SPPD_TerrainLODFactor(float detail, float projectionScale);
// A tile's near and far bounds seen from eye with factor k.
void SPPD_TerrainTileBounds(const SPW_TERRAIN* terrain, const SPW_TERRAINPATCH* tile,
                            const SPW_VECTOR& eye, float k, float* outNear, float* outFar);

// The leaf triangles of a tile as vertex numbers 0-24 (three a triangle), at most 96.
uint32_t SPPD_TerrainTileTriangles(const SPW_TERRAIN* terrain, const SPW_TERRAINPATCH* tile,
                                   uint8_t* out);
// Queues the overlays of a tile after it, cut again to its triangles (vertex numbers 0-24, three
// a triangle) where asked or, for all of them, when the tile's mesh changed.
void SPPD_TerrainDrawOverlays(SPW_TERRAIN* terrain, SPW_TERRAINPATCH* tile, const uint8_t* tri,
                              uint32_t numIndices, bool meshChanged);
// Draws what the last set-up prepared.
void SPPD_TerrainDrawFrame();
