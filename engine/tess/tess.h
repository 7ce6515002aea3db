#pragma once
// Tessellations: flat polygons laid onto the world (scorch marks, shadows, ground markers),
// linked to the terrain patches and the collision items under them so that the renderers can
// draw the pieces on whatever lies beneath. They come from per-scene pools. Also the push of the
// transform stack the object renderer walks node trees with. Main thread only.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/math/tqs.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"
#include "engine/terrain/terrain.h"

struct SPW_SCENE;
struct SPW_DOBJECT;
struct SPW_TESS;

// Pushes a transform: rotation = top rotation x the transform's; position = the top matrix's
// rotation applied to the transform's position plus the top position; scale = top x transform.
// On a full stack "TQS stack overflow!\n" is traced and the top entry is reused. The new top.
SPW_TQSENTRY* SPW_TQSPush(SPW_TQSSTACK* stack, const SPW_TRANSFORM* transform);

// Flags (SPW_TESS::fFlags).
constexpr uint32_t SPW_TESS_NO_ITEMS = 0x10;     // no links to collision items
constexpr uint32_t SPW_TESS_NO_TERRAIN = 0x20;   // no links to terrain patches
constexpr uint32_t SPW_TESS_WORLD_POS = 0x40;    // a world position (vector) is given
constexpr uint32_t SPW_TESS_SCROLL = 0x80;       // scroll the texture
constexpr uint32_t SPW_TESS_FADE = 0x100;        // fade the colour
// A patch that carries tessellations (in the terrain's patch flags).
constexpr uint32_t SPW_PATCH_HAS_TESS = SPW_TPATCH_OVERLAYS;
// The decal layers of the drawing kinds: 1 and 3 on the opaque decal layer, 2 translucent.
constexpr int32_t SPW_TESS_KIND_OPAQUE = 1;
constexpr int32_t SPW_TESS_KIND_TRANSLUCENT = 2;
constexpr int32_t SPW_TESS_KIND_OPAQUE_B = 3;
constexpr int32_t SPW_TESS_LAYER_OPAQUE = 8;
constexpr int32_t SPW_TESS_LAYER_TRANSLUCENT = 11;
// The layer a kind is drawn on; -1 for the kinds that draw nothing.
int32_t SPW_TessLayer(int32_t kind);

constexpr int32_t SPW_TESS_BOUNDARY_POINTS = 4;
constexpr int32_t SPW_TESS_MAX_EDGES = 10;     // edges of a boundary a polygon is clipped to
constexpr int32_t SPW_TESS_CLIP_MAX_POINTS = 64;  // points of a polygon the clip takes
constexpr int32_t SPW_POLYBUFFER_VERTICES = 128;

// A polygon buffer: vertices in triangles of three.
struct SPW_POLYBUFFER {
  SGE_DLLNODE link;
  uint32_t dwCount;
  SPPD_VERTEX aVertex[SPW_POLYBUFFER_VERTICES];
};

// A link record on the tessellation's patch or item list; it names the record on the other side.
struct SPW_TESSLINK {
  SGE_DLLNODE link;
  struct SPW_TESSSIDE* pSide;
};

// The record on a patch's or an item's list (the decal record the scenery renderer reads).
constexpr uint32_t SPW_TESSSIDE_REBUILD = 0x1;  // rebuild the pieces before drawing
struct SPW_TESSSIDE {
  SGE_DLLNODE link;      // in the patch's or item's list
  SPW_TESS* pTess;
  uint32_t fFlags;       // SPW_TESSSIDE_REBUILD
  SGE_DLLNODE buffers;   // SPW_POLYBUFFER
  void* pOwner;          // the patch or the item
  uint32_t dwPatch;      // the patch index (patch side)
  SPW_TERRAINOVERLAY overlay;  // patch side: what the driver draws on the patch
};

struct SPW_TESS {
  SGE_DLLNODE link;       // in the scene's live or free list
  SPW_DOBJECT* pObject;   // the object it follows, none for a free-standing one
  uint32_t fFlags;        // SPW_TESS_*
  uint32_t dwCollideMask; // only items whose class mask meets it are linked
  int32_t nKind;          // the drawing kind
  // The boundary: SPW_TESS_BOUNDARY_POINTS points here, or more in pPoints' own chunk.
  SPPD_VERTEX aBoundary[SPW_TESS_BOUNDARY_POINTS];
  SPPD_VERTEX* pPoints;
  SGE_DLLNODE patchLinks;  // SPW_TESSLINK
  SGE_DLLNODE itemLinks;   // SPW_TESSLINK
  SPW_SCENE* pScene;
  uint32_t dwNumPoints;
  int32_t nTexture;       // driver texture id
  SPW_VECTOR vCentre;
  float fRadius;          // the largest distance from the centre to a point
  float fClip[2];         // clip parameters
  float fHeightTolerance;
  uint32_t dwItemLimit;   // 0 with SPW_TESS_NO_ITEMS
  SPW_VECTOR vWorld;      // with SPW_TESS_WORLD_POS
  uint32_t adwZero[2];
  float fTexU, fTexV;     // texture offset
  float fFade;
};

// Hooks into the spatial tree, set by its owner; unset, no item is linked. pfnForItems calls
// fn(item, data) for every item met by the sphere whose class mask meets the mask, until fn
// returns 0; pfnItemList gives an item's list of SPW_TESSSIDE records.
struct SPW_TESSHOOKS {
  void (*pfnForItems)(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius, uint32_t mask,
                      int32_t (*fn)(void* item, void* data), void* data);
  SGE_DLLNODE* (*pfnItemList)(void* item);
};
extern SPW_TESSHOOKS SPW_TessHooks;

// Sets up a scene's pools over the block; 1.
int32_t SPW_InitTessellations(SPW_SCENE* scene, SGE_MEMBLOCK* block);

// A tessellation over the points (SPPD_VERTEX layout, x, y, z the world position), linked and
// live; none when no record can be had.
SPW_TESS* SPW_CreateTessellation(SPW_SCENE* scene, const SPPD_VERTEX* points, uint32_t count,
                                 int32_t kind, int32_t texture, uint32_t flags, float clip0,
                                 float clip1, const SPW_VECTOR* world, float heightTolerance,
                                 uint32_t itemLimit, uint32_t collideMask, float texU, float texV);
// A square of four points around the object, turned by its angle about z and sized by its two
// half-sizes (sizeX, sizeY), coloured and textured as the corners give.
SPW_TESS* SPW_CreateObjectTessellation(SPW_DOBJECT* object, float sizeX, float sizeY,
                                       int32_t kind, int32_t texture, uint32_t flags, float clip0,
                                       float clip1, const SPW_VECTOR* world,
                                       float heightTolerance, uint32_t itemLimit,
                                       uint32_t collideMask, float texU, float texV);
// Re-links after its points moved. 1, or 0 for none.
int32_t SPW_RelinkTessellation(SPW_TESS* tess);
// Releases its links and returns it to the scene's free list; 0 for none.
int32_t SPW_ReleaseTessellation(SPW_TESS* tess);
// Every live one, then the pools; the scene forgets the block. 1.
int32_t SPW_ReleaseAllTessellations(SPW_SCENE* scene);

// A buffer with count 0 appended to the list, none when no memory.
SPW_POLYBUFFER* SPW_TakePolygonBuffer(SPW_SCENE* scene, SGE_DLLNODE* list);
void SPW_ReturnPolygonBuffer(SPW_SCENE* scene, SPW_POLYBUFFER* buffer);

// The tessellations laid on a terrain patch (SPW_TESSSIDE records), none when there are none.
SGE_DLLNODE* SPW_TessPatchList(SPW_SCENE* scene, uint32_t patch);

// Clips a polygon (x, y of SPPD_VERTEX; every field interpolated) to the inside of a convex
// boundary of `edges` points in the xy plane, either winding. The vertex count written to out
// (room for maxOut); 0 when fewer than 3 points remain, and when the boundary has more than
// SPW_TESS_MAX_EDGES edges or the polygon more than SPW_TESS_CLIP_MAX_POINTS points (traced).
int32_t SPW_TessClipPolygon(const SPPD_VERTEX* in, int32_t count, const SPW_VECTOR* boundary,
                            int32_t edges, SPPD_VERTEX* out, int32_t maxOut);

// The smallest integer not below x (x >= 0).
int32_t SPW_CeilToInt(float x);
// Bilinear mix of four 0xAARRGGBB colours (c00, c10, c01, c11) per colour channel, alpha 0xFF.
uint32_t SPW_BlendColour4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, float fx,
                          float fy);
