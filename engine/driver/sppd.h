#pragma once
// The boundary between the game and the render driver library (libgfxdrv.so).
// The game never links the library: it binds the table slots below by name at run time, so
// every record here is all the two sides share. Records that hold pointers are pointer-wide;
// nothing here is ever written to a file.
#include <cstddef>
#include <cstdint>

#include "platform/guid.h"

// Visibility only, so that the C++ node renderers can carry it too; the C exports take their
// linkage from the extern "C" declarations below, which their definitions inherit.
#undef SPPD_EXPORT
#define SPPD_EXPORT __attribute__((visibility("default")))

// Records owned by the engine and the platform; the driver sees them through pointers only.
struct PLAT_Window;
struct SGE_DATAREF;
struct SPW_DISPLAY;      // engine/display/display.h
struct SPW_DISPLAYNODE;  // engine/display/display.h
struct SPW_VDISPLAY;
struct SPW_TERRAIN;
struct SPW_LIGHT;
struct SPW_B2DSET;
struct tag_spw_dobjnode;

// Records owned by the driver; the game only passes their pointers back.
struct SPPD_DRIVERDATA;  // the per-display block: SPPD_DRIVERTABLE, then the driver's state
struct SPPD_DEBUGINFO;   // statistics of the last completed frame
struct SPPD_VIDEOFRAME;
struct SPPD_MATERIALTABLE;

// Driver results: 1 success, -1 failure (not 0).
constexpr int32_t SPPD_OK = 1;
constexpr int32_t SPPD_FAIL = -1;

constexpr int SPPD_NUM_SLOTS = 60;
constexpr int SPPD_NUM_EXPORTS = 74;  // 73 functions and SPPD_GUID
constexpr int SPPD_TABLE_HEADER_WORDS = 6;
constexpr int SPPD_DESCRIPTION_SIZE = 256;  // the buffer hosts hand to SPPD_DriverInfo
constexpr int SPPD_LAST_ERROR_SIZE = 512;
constexpr int SPPD_NUM_LAYERS = 13;
constexpr int SPPD_MAX_CLIP_PLANES = 32;
constexpr int SPPD_SYSTEMRENDERSTATE_WORDS = 512;

// The settings key under which the driver keeps its preferences ({SPPD_GUID}\Preferences) and
// Setup records the chosen driver (General).
constexpr const char SPPD_DISPLAY_KEY[] = "software\\KOR\\SPPD\\v1.00.000\\Display";

struct SPPD_MODE {
  int32_t Width;
  int32_t Height;
  int32_t BPP;   // display bits per pixel
  int32_t TBPP;  // texture bits per pixel
  int32_t FullScreen;
};
static_assert(sizeof(SPPD_MODE) == 20);

// SPPD_Modify mask bits.
constexpr uint32_t SPPD_MODIFY_WIDTH = 0x1;
constexpr uint32_t SPPD_MODIFY_HEIGHT = 0x2;
constexpr uint32_t SPPD_MODIFY_BPP = 0x4;
constexpr uint32_t SPPD_MODIFY_TBPP = 0x8;
constexpr uint32_t SPPD_MODIFY_FULLSCREEN = 0x10;
constexpr uint32_t SPPD_MODIFY_NO_RECREATE = 0x20;    // store only, keep the device
constexpr uint32_t SPPD_MODIFY_STORED_MODE = 0x40;    // a null mode means the stored one
constexpr uint32_t SPPD_MODIFY_RESTORE_PREFS = 0x80;  // run in the new mode, keep the old prefs
constexpr uint32_t SPPD_MODIFY_NO_SAVE = 0x100;

// Mask bits of the render-state record: which words apply (bits 0 to 13) and the modes. Bits 0
// to 14 stay set in the state word once given.
constexpr uint32_t SPPD_RS_NEAR = 0x1;
constexpr uint32_t SPPD_RS_FAR = 0x2;
constexpr uint32_t SPPD_RS_MIN_DEPTH = 0x4;
constexpr uint32_t SPPD_RS_MAX_DEPTH = 0x8;
constexpr uint32_t SPPD_RS_SCALE_X = 0x10;
constexpr uint32_t SPPD_RS_SCALE_Y = 0x20;
constexpr uint32_t SPPD_RS_CENTRE_X = 0x40;
constexpr uint32_t SPPD_RS_CENTRE_Y = 0x80;
constexpr uint32_t SPPD_RS_MATRICES = 0x100;
constexpr uint32_t SPPD_RS_PLANES = 0x200;
constexpr uint32_t SPPD_RS_USER19 = 0x400;
constexpr uint32_t SPPD_RS_COLOUR_RGB = 0x800;
constexpr uint32_t SPPD_RS_COLOUR_ALPHA = 0x1000;
constexpr uint32_t SPPD_RS_FACTOR = 0x2000;
constexpr uint32_t SPPD_RS_CONST_RGB_KEPT = 0x4000;  // also: no fog colour from the record
constexpr uint32_t SPPD_RS_CONST_ALPHA_KEPT = 0x8000;
constexpr uint32_t SPPD_RS_CONST_RGB_WHITE = 0x10000;
constexpr uint32_t SPPD_RS_CONST_ALPHA_FULL = 0x20000;
constexpr uint32_t SPPD_RS_WIREFRAME = 0x40000;
constexpr uint32_t SPPD_RS_ALT = 0x80000;
constexpr uint32_t SPPD_RS_FACTOR_ZERO = 0x100000;
constexpr uint32_t SPPD_RS_FACTOR_ONE = 0x200000;
constexpr uint32_t SPPD_RS_FACTOR_DEFAULT = 0x400000;
constexpr uint32_t SPPD_RS_LOW_BITS = 0x7FFF;  // bits 0-14, kept once set
constexpr float SPPD_RS_DEFAULT_FACTOR = 0.72f;
// The depth mapping (near, far and the depth range) and the projection (scales and centres).
constexpr uint32_t SPPD_RS_DEPTH_MAPPING =
    SPPD_RS_NEAR | SPPD_RS_FAR | SPPD_RS_MIN_DEPTH | SPPD_RS_MAX_DEPTH;
constexpr uint32_t SPPD_RS_PROJECTION =
    SPPD_RS_SCALE_X | SPPD_RS_SCALE_Y | SPPD_RS_CENTRE_X | SPPD_RS_CENTRE_Y;
constexpr uint32_t SPPD_RS_COLOUR = SPPD_RS_COLOUR_RGB | SPPD_RS_COLOUR_ALPHA;
// Every word a view or layer sets: the depth mapping, the projection, both matrices, the
// planes, word 19 and the colour.
constexpr uint32_t SPPD_RS_VIEW_WORDS = SPPD_RS_DEPTH_MAPPING | SPPD_RS_PROJECTION |
                                        SPPD_RS_MATRICES | SPPD_RS_PLANES | SPPD_RS_USER19 |
                                        SPPD_RS_COLOUR;

// The render-state record: 24 words, the first a mask of the fields that apply.
struct SPPD_RENDERSTATE {
  uint32_t dwMask;  // in SPPD_GetRenderState: the driver's state word
  float fNear;
  float fFar;
  float fMinDepth;
  float fMaxDepth;
  float fScaleX;
  float fScaleY;
  float fCentreX;
  float fCentreY;
  float* pMatrix;      // 4x4, row vectors, translation in the last row
  float* pViewMatrix;  // the second matrix
  uint32_t dwNumPlanes;
  float* pPlaneNormals;  // 3 floats a plane
  float* pPlanePoints;   // 3 floats a plane
  uint32_t dwPlaneMask;
  uint32_t dwUser[4];  // words 15 to 18, stored unchanged on every call
  uint32_t dwUser19;
  uint32_t dwColour;  // ARGB
  float fFactor;
  uint32_t dwFogColour;
  SPW_DISPLAYNODE* pNode;  // in SPPD_GetRenderState: the node last set
};

// The render-state record as the state area holds it: the same 24 words, each 32 bits wide in
// any process. An address does not fit a word, so the words that point (the matrices, the
// planes, the node) are 0 here; the area's own copies of the matrices and planes follow it, and
// SPPD_GetRenderState gives the node.
struct SPPD_RENDERSTATEWORDS {
  uint32_t dwMask;  // the driver's state word
  float fNear;
  float fFar;
  float fMinDepth;
  float fMaxDepth;
  float fScaleX;
  float fScaleY;
  float fCentreX;
  float fCentreY;
  uint32_t dwMatrixWord;        // 0
  uint32_t dwViewMatrixWord;    // 0
  uint32_t dwNumPlanes;
  uint32_t dwPlaneNormalsWord;  // 0
  uint32_t dwPlanePointsWord;   // 0
  uint32_t dwPlaneMask;
  uint32_t dwUser[4];
  uint32_t dwUser19;
  uint32_t dwColour;
  float fFactor;
  uint32_t dwFogColour;
  uint32_t dwNodeWord;  // 0
};
static_assert(sizeof(SPPD_RENDERSTATEWORDS) == 24 * 4);

// A record's words as the state area holds them.
inline SPPD_RENDERSTATEWORDS SPPD_RenderStateWords(const SPPD_RENDERSTATE& rs) {
  SPPD_RENDERSTATEWORDS w{};
  w.dwMask = rs.dwMask;
  w.fNear = rs.fNear;
  w.fFar = rs.fFar;
  w.fMinDepth = rs.fMinDepth;
  w.fMaxDepth = rs.fMaxDepth;
  w.fScaleX = rs.fScaleX;
  w.fScaleY = rs.fScaleY;
  w.fCentreX = rs.fCentreX;
  w.fCentreY = rs.fCentreY;
  w.dwNumPlanes = rs.dwNumPlanes;
  w.dwPlaneMask = rs.dwPlaneMask;
  for (int i = 0; i < 4; ++i) w.dwUser[i] = rs.dwUser[i];
  w.dwUser19 = rs.dwUser19;
  w.dwColour = rs.dwColour;
  w.fFactor = rs.fFactor;
  w.dwFogColour = rs.dwFogColour;
  return w;
}

// The driver's render-state area handed out by SPPD_GetSystemRenderState: the caller's buffer
// is SPPD_SYSTEMRENDERSTATE_WORDS words.
struct SPPD_SYSTEMRENDERSTATE {
  SPPD_RENDERSTATEWORDS rs;
  float fDepthScale;
  float fDepthOffset;
  float fDepthFactor;
  float fPlaneNormalsXf[SPPD_MAX_CLIP_PLANES][3];
  float fPlaneNormals[SPPD_MAX_CLIP_PLANES][3];
  float fPlanePoints[SPPD_MAX_CLIP_PLANES][3];
  float fPlanePointsXf[SPPD_MAX_CLIP_PLANES][3];
  float fPlaneConstXf[SPPD_MAX_CLIP_PLANES];
  float fPlaneConst[SPPD_MAX_CLIP_PLANES];
  float fMatrix[16];
  float fViewMatrix[16];
  uint32_t dwConstRGB;
  uint32_t dwConstAlpha;
  float fEye[3];
};
static_assert(sizeof(SPPD_SYSTEMRENDERSTATE) == SPPD_SYSTEMRENDERSTATE_WORDS * 4);

// The viewport record that SPPD_VPGet fills and the render pass copies to node callbacks.
struct SPPD_VIEWPORT {
  float fWidth;
  float fHeight;
  uint32_t dwUnused;
  float fX;  // left + offset x
  float fY;  // top + offset y
  float fOffsetX;
  float fOffsetY;
  float fLeft;
  float fTop;
  float fRight;
  float fBottom;
  uint32_t dwFlags;  // bit 0: the node's callbacks run
  SPPD_DRIVERDATA* pDriverData;
};
constexpr uint32_t SPPD_VIEWPORT_RUN_CALLBACKS = 0x1;

// Screen-space vertex of the batches, vertex format 0x1c4.
struct SPPD_TLVERTEX {
  float sx, sy, sz, rhw;
  uint32_t dwDiffuse;
  uint32_t dwSpecular;  // alpha byte: fog factor, 255 no fog
  float tu, tv;
};
static_assert(sizeof(SPPD_TLVERTEX) == 32);

// View-space input vertex of the polygon calls with one texture pair; callers with p pairs
// use a stride of 20 + 8 p bytes.
struct SPPD_VERTEX {
  uint32_t dwFirst;  // not read by the driver
  uint32_t dwColour;
  float x, y, z;
  float u, v;
};
static_assert(sizeof(SPPD_VERTEX) == 28);

constexpr uint32_t SPPD_VERTEX_NOFOG = 0x80000000u;  // in the vertex count argument

// Node callbacks share one shape so the driver's can be installed on display nodes as they are.
using SPPD_NODECALLBACK = int32_t (*)(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);

extern "C" {

SPPD_EXPORT extern const PLAT_GUID SPPD_GUID;

// Identity and configuration.
SPPD_EXPORT int32_t SPPD_DriverInfo(char* buffer, int32_t size);
SPPD_EXPORT const char* SPPD_GetLastErrorString();
SPPD_EXPORT int32_t SPPD_Configure(PLAT_Window* window, void* options);
SPPD_EXPORT int32_t SPPD_GetRequirements();

// Device, modes and frame.
SPPD_EXPORT int32_t SPPD_GetDefaultMode(SPPD_MODE* mode);
SPPD_EXPORT int32_t SPPD_Create(SPW_DISPLAY* display, PLAT_Window* window);
SPPD_EXPORT int32_t SPPD_Modify(SPW_DISPLAY* display, SPPD_MODE* mode, PLAT_Window* window,
                                uint32_t mask);
SPPD_EXPORT int32_t SPPD_Destroy(SPW_DISPLAY* display);
SPPD_EXPORT int32_t* SPPD_GetDisplayMode(SPW_DISPLAY* display, int32_t index, int32_t* out,
                                         int32_t usableOnly);
SPPD_EXPORT int32_t SPPD_DoesSupport32BitTextures(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_BeginScene(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_EndScene(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_ClearScreen(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
SPPD_EXPORT SPPD_VIEWPORT* SPPD_VPGet(SPPD_VIEWPORT* vp, SPW_DISPLAYNODE* node, const float* rect,
                                      const float* offset);
SPPD_EXPORT int32_t SPPD_VPSet(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp);
SPPD_EXPORT int32_t SPPD_PreRender(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
SPPD_EXPORT int32_t SPPD_PostRender(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
SPPD_EXPORT int32_t SPPD_SetRenderState(SPW_DISPLAYNODE* node, SPPD_RENDERSTATE* rs);
SPPD_EXPORT int32_t SPPD_GetRenderState(SPPD_RENDERSTATE* rs);
SPPD_EXPORT int32_t SPPD_GetSystemRenderState(SPPD_SYSTEMRENDERSTATE* out);
SPPD_EXPORT SPPD_DEBUGINFO* SPPD_GetDebugInfo();
SPPD_EXPORT int32_t SPPD_Flush(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_FlushNoHud(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_FlushAlpha(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_FlushHUD(SPW_DISPLAY* display);
SPPD_EXPORT void SPPD_EnableLayer(SPW_DISPLAY* display, int32_t layer, uint32_t enable);
SPPD_EXPORT int32_t SPPD_SetBackground(SPW_DISPLAY* display, uint32_t colour);
SPPD_EXPORT int32_t SPPD_DrawIndexedPrimitive(SPW_DISPLAY* display);

// Textures.
SPPD_EXPORT int32_t SPPD_TextureGetID(SPW_DISPLAY* display, const char* name, int32_t* outId,
                                      int32_t create);
SPPD_EXPORT void SPPD_SetTextureComparisonExtension(const char* text);
SPPD_EXPORT void SPPD_SetTextureReplaceExtension(const char* text);
SPPD_EXPORT int32_t SPPD_EnableTexturePreLoad(int32_t enable);
SPPD_EXPORT void SPPD_SetL4Path(SPW_DISPLAY* display, const char* path);
SPPD_EXPORT int32_t SPPD_ForceTextureL2(SPW_DISPLAY* display, int32_t textureId);
SPPD_EXPORT int32_t SPPD_SetLowResTextureState(SPW_DISPLAY* display, int32_t flag);
SPPD_EXPORT int32_t SPPD_SetLowResEffectTextureState(SPW_DISPLAY* display, int32_t flag);
SPPD_EXPORT int32_t SPPD_PurgeTextures(SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_PreCacheTextures(SPW_DISPLAY* display, const char* folder, int32_t unused);
SPPD_EXPORT int32_t SPPD_PreCacheCount(SPW_DISPLAY* display, const char* folder);

// Materials.
SPPD_EXPORT void* SPPD_MaterialGet(SPW_DISPLAY* display, const char* name, int32_t* created,
                                   uint32_t size);
SPPD_EXPORT void SPPD_MaterialDestroy(SPW_DISPLAY* display, void* block);
SPPD_EXPORT void SPPD_MaterialDestroyByName(SPW_DISPLAY* display, const char* name);
SPPD_EXPORT void SPPD_GFXDRV_DestroyAllMaterials(SPPD_MATERIALTABLE* table);
SPPD_EXPORT int32_t SPPD_MaterialTouch(SPW_DISPLAY* display, void* block);
SPPD_EXPORT int32_t SPPD_MaterialUntouch(SPW_DISPLAY* display, void* block);

// Drawing. vertices: count in bits 0-30, SPPD_VERTEX_NOFOG in bit 31.
SPPD_EXPORT int32_t SPPD_RenderFVFPolygon(SPW_DISPLAY* display, const SPPD_VERTEX* v,
                                          uint32_t count, int32_t pairs, int32_t textureId,
                                          int32_t unused, uint32_t clipMask);
SPPD_EXPORT int32_t SPPD_RenderFVFPolygonAlpha(SPW_DISPLAY* display, const SPPD_VERTEX* v,
                                               uint32_t count, int32_t pairs, int32_t textureId,
                                               int32_t unused, uint32_t clipMask);
SPPD_EXPORT int32_t SPPD_RenderFVFPolygonLayer(SPW_DISPLAY* display, int32_t layer,
                                               const SPPD_VERTEX* v, uint32_t count, int32_t pairs,
                                               int32_t textureId, int32_t unused,
                                               uint32_t clipMask);
SPPD_EXPORT int32_t SPPD_RenderFVFPolygonNearBlend(SPW_DISPLAY* display, const SPPD_VERTEX* v,
                                                   uint32_t count, int32_t pairs,
                                                   int32_t textureId, int32_t unused,
                                                   uint32_t clipMask, float nearDistance,
                                                   float fade);
SPPD_EXPORT int32_t SPPD_RenderFVFPolygonPhysical(SPW_DISPLAY* display, const SPPD_VERTEX* v,
                                                  uint32_t count, int32_t pairs,
                                                  int32_t textureId);
SPPD_EXPORT int32_t SPPD_RenderFVFPolygonAdditive(SPW_DISPLAY* display, const SPPD_VERTEX* v,
                                                  uint32_t count, int32_t pairs,
                                                  int32_t textureId, int32_t unused,
                                                  uint32_t clipMask);
// Points are 3 floats; colours are ARGB words, colourB may be null.
SPPD_EXPORT int32_t SPPD_RenderLine(SPW_DISPLAY* display, const float* a, const float* b,
                                    const uint32_t* colourA, const uint32_t* colourB);
SPPD_EXPORT int32_t SPPD_RenderLineV(SPW_DISPLAY* display, const float* a, const float* b,
                                     const uint32_t* colourA, const uint32_t* colourB);
SPPD_EXPORT void SPPD_RenderNode(SPW_DISPLAY* display, tag_spw_dobjnode* node, const float* matrix,
                                 float* colour, uint32_t clipMask, int32_t unused,
                                 SPW_LIGHT** lights, int32_t numLights);
SPPD_EXPORT void SPPD_RenderFeatureNode(SPW_DISPLAY* display, tag_spw_dobjnode* node);

// Terrain.
SPPD_EXPORT int32_t SPPD_InitTerrain(SPW_DISPLAY* display, SPW_TERRAIN* terrain);
SPPD_EXPORT void SPPD_UninitTerrain(SPW_DISPLAY* display, SPW_TERRAIN* terrain);
SPPD_EXPORT uint32_t SPPD_SetTerrainAmbientColour(uint32_t colour);
SPPD_EXPORT int32_t SPPD_TERRAIN_RenderTerrainDataSetup(SPW_VDISPLAY* view, SPW_DISPLAY* display);
SPPD_EXPORT int32_t SPPD_TERRAIN_RenderTerrainData();

// Video frames.
SPPD_EXPORT SPPD_VIDEOFRAME* SPPD_CreateVideoFrame(SPW_DISPLAY* display, SPW_B2DSET* target,
                                                   const char* fileName, uint32_t flags);
SPPD_EXPORT void SPPD_UpdateVideoFrame(SPPD_VIDEOFRAME* frame);
SPPD_EXPORT void SPPD_DestroyVideoFrame(SPPD_VIDEOFRAME* frame);
SPPD_EXPORT int32_t SPPD_StreamSurfacePlay(SPPD_VIDEOFRAME* frame, int32_t loop);
SPPD_EXPORT int32_t SPPD_StreamSurfaceStop(SPPD_VIDEOFRAME* frame);
SPPD_EXPORT int32_t SPPD_StreamSurfacePause(SPPD_VIDEOFRAME* frame, int32_t pause);
SPPD_EXPORT int32_t SPPD_StreamSurfaceRestore(SPPD_VIDEOFRAME* frame);

}  // extern "C"

// The six node renderers keep C++ linkage; they draw with the state SPPD_RenderNode set up.
SPPD_EXPORT void SPPD_RenderNodeNonClipped(tag_spw_dobjnode* node, float* colour);
SPPD_EXPORT void SPPD_RenderNodeClipped(tag_spw_dobjnode* node, float* colour, uint32_t clipMask);
SPPD_EXPORT void SPPD_RenderNodeNonClippedAlwaysAlpha(tag_spw_dobjnode* node, float* colour);
SPPD_EXPORT void SPPD_RenderNodeClippedAlwaysAlpha(tag_spw_dobjnode* node, float* colour,
                                                   uint32_t clipMask);
SPPD_EXPORT void SPPD_RenderNodeNonClippedNCVB(tag_spw_dobjnode* node, float* colour);
SPPD_EXPORT void SPPD_RenderNodeClippedNCVB(tag_spw_dobjnode* node, float* colour,
                                            uint32_t clipMask);

// The game's driver table, slot order fixed: every caller uses the slot index.
// X(slot, Name) names the export SPPD_<Name>, its pointer type SPPD_PFN_<Name> and its member.
#define SPPD_TABLE_SLOTS(X)                                                                       \
  X(0, Create) X(1, Modify) X(2, Destroy) X(3, SetBackground) X(4, MaterialTouch)                 \
  X(5, MaterialUntouch) X(6, EnableLayer) X(7, DrawIndexedPrimitive) X(8, BeginScene)             \
  X(9, EndScene) X(10, Flush) X(11, FlushNoHud) X(12, FlushAlpha) X(13, FlushHUD)                 \
  X(14, PreRender) X(15, PostRender) X(16, ClearScreen) X(17, DriverInfo)                         \
  X(18, GetLastErrorString) X(19, VPGet) X(20, VPSet) X(21, GetRequirements)                      \
  X(22, GetDefaultMode) X(23, SetRenderState) X(24, GetRenderState) X(25, TextureGetID)           \
  X(26, SetTextureComparisonExtension) X(27, SetTextureReplaceExtension)                          \
  X(28, EnableTexturePreLoad) X(29, GetSystemRenderState) X(30, PreCacheTextures)                 \
  X(31, PreCacheCount) X(32, SetLowResEffectTextureState) X(33, SetLowResTextureState)            \
  X(34, SetL4Path) X(35, UpdateVideoFrame) X(36, CreateVideoFrame) X(37, DestroyVideoFrame)       \
  X(38, StreamSurfacePlay) X(39, StreamSurfaceStop) X(40, StreamSurfaceRestore)                   \
  X(41, StreamSurfacePause) X(42, ForceTextureL2) X(43, PurgeTextures) X(44, InitTerrain)         \
  X(45, UninitTerrain) X(46, SetTerrainAmbientColour) X(47, RenderFVFPolygon)                     \
  X(48, RenderFVFPolygonAlpha) X(49, RenderFVFPolygonLayer) X(50, RenderFVFPolygonNearBlend)      \
  X(51, RenderLine) X(52, RenderLineV) X(53, RenderFVFPolygonPhysical)                            \
  X(54, RenderFVFPolygonAdditive) X(55, RenderNode) X(56, RenderFeatureNode) X(57, GetDebugInfo)  \
  X(58, GetDisplayMode) X(59, DoesSupport32BitTextures)

#define SPPD_DECLARE_PFN(slot, Name) using SPPD_PFN_##Name = decltype(&SPPD_##Name);
SPPD_TABLE_SLOTS(SPPD_DECLARE_PFN)
#undef SPPD_DECLARE_PFN

// Terrain entry points, bound apart from the table.
using SPPD_PFN_TERRAIN_RenderTerrainData = decltype(&SPPD_TERRAIN_RenderTerrainData);
using SPPD_PFN_TERRAIN_RenderTerrainDataSetup = decltype(&SPPD_TERRAIN_RenderTerrainDataSetup);

struct SPPD_DRIVERTABLE {
  uint32_t dwHeader[SPPD_TABLE_HEADER_WORDS];  // always 0
#define SPPD_DECLARE_SLOT(slot, Name) SPPD_PFN_##Name SPPD_##Name;
  SPPD_TABLE_SLOTS(SPPD_DECLARE_SLOT)
#undef SPPD_DECLARE_SLOT
};

#define SPPD_CHECK_SLOT(slot, Name)                                                           \
  static_assert(offsetof(SPPD_DRIVERTABLE, SPPD_##Name) ==                                    \
                    SPPD_TABLE_HEADER_WORDS * sizeof(uint32_t) + (slot) * sizeof(void*),      \
                "slot order");
SPPD_TABLE_SLOTS(SPPD_CHECK_SLOT)
#undef SPPD_CHECK_SLOT
static_assert(sizeof(SPPD_DRIVERTABLE) ==
              SPPD_TABLE_HEADER_WORDS * sizeof(uint32_t) + SPPD_NUM_SLOTS * sizeof(void*));

// The exported name of each slot, in slot order.
inline constexpr const char* SPPD_SlotNames[SPPD_NUM_SLOTS] = {
#define SPPD_SLOT_NAME(slot, Name) "SPPD_" #Name,
    SPPD_TABLE_SLOTS(SPPD_SLOT_NAME)
#undef SPPD_SLOT_NAME
};
