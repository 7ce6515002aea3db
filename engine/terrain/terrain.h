#pragma once
// The mission's terrain: a regular height grid cut into square patches of 4 by 4 cells, tinted
// per vertex, with a quadtree of patches over it. The engine builds one record from the
// terrain file and hands it to the driver, which draws it (and writes its per-frame fields);
// game code asks it for heights, normals and colours. Main thread only.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

struct SPW_BIFF_FILE;
struct SPW_DISPLAY;
struct SPW_SCENE;
struct SPW_LIGHT;
struct SPW_DOBJECT;

constexpr uint32_t SPW_TERRAIN_PATCH_CELLS = 4;  // cells along a patch side
constexpr uint32_t SPW_TERRAIN_PATCH_SHIFT = 2;  // the header's power of two for it
constexpr uint32_t SPW_TERRAIN_PATCH_SIDE = 5;   // vertices along a patch side
constexpr uint32_t SPW_TERRAIN_TEMPLATE_SIZE = 25;
constexpr uint32_t SPW_TERRAIN_ORIENTATIONS = 8;
constexpr uint32_t SPW_TERRAIN_MESH_INDICES = 96;  // 32 triangles: a tile at full detail
constexpr float SPW_TERRAIN_FILE_SCALE = 0.01f;  // file units to engine units
// The vertex colour without a colour sample, and the first outside colour of a fresh scene.
constexpr uint32_t SPW_TERRAIN_DEFAULT_COLOUR = 0xFF6D6F65u;
// Patch grids larger than this along a side are refused as damaged.
constexpr uint32_t SPW_TERRAIN_MAX_PATCHES = 1024;
// The memory block the mission loader opens the terrain file in.
constexpr uint32_t SPW_TERRAIN_LOAD_HEAP = 6000000;
// Surface words: the material's (then the texture's) id below, the orientation above.
constexpr uint32_t SPW_TERRAIN_SURFACE_ID_MASK = 0x1FFFFFFFu;
constexpr uint32_t SPW_TERRAIN_SURFACE_ORIENT_SHIFT = 29;

// What SPW_LoadTerrainData fills for the caller.
struct SPW_TERRAINHEADER {
  int32_t nCellShift;  // cells per patch side as a power of two
  int32_t nPatchesX;
  int32_t nPatchesY;
  int32_t nCellSize;  // file units
  int32_t anValues[3];
  int32_t* pHeights;  // in SPW_FObjsMem, row by row, (4 PX + 1) x (4 PY + 1)
  uint32_t dwNumHeights;
  uint32_t* pSurfaces;  // in SPW_FObjsMem, one a patch: texture id | orientation << 29
  uint32_t dwNumSurfaces;
  uint32_t dwNumMaterials;
};

// One entry of the patch vertex template: row r, column c.
struct SPW_TERRAINTEMPLATE {
  float u, v;    // c / 32 and -r / 32: a patch spans an eighth of its source texture
  float dx, dy;  // (c - 2) C and (r - 2) C from the patch centre
  uint32_t dwZero;
  uint32_t dwGridOffset;  // r VX + c from the patch's first vertex
  uint32_t dwMask;        // (1 << c) + (1 << (r + 5))
};

struct SPW_TERRAINUV {
  float u, v;
};

// Vertex flags: the driver switches the vertices whose flags hold none of the permanent bits.
constexpr uint8_t SPW_TVERT_ACTIVE = 0x80;
constexpr uint8_t SPW_TVERT_WANTED = 0x10;
constexpr uint8_t SPW_TVERT_PERMANENT = 0x2F;
// Patch corners and centres: always in the mesh.
constexpr uint8_t SPW_TVERT_FIXED = 160;

struct SPW_TERRAINVERTEX {
  float fHeight;
  float fError;  // how far the vertex lies from the edge it bisects
  uint8_t bFlags;
  uint8_t bShade;  // edge blend: 255 on the border, fading inwards over 10 cells
  uint16_t wPad;
  uint32_t dwColour;  // ARGB
};
static_assert(sizeof(SPW_TERRAINVERTEX) == 16);

// The two triangle normals of a cell.
struct SPW_TERRAINNORMALS {
  SPW_VECTOR n[2];
};

constexpr int32_t SPW_TERRAIN_NONE = -1;
// What vertex switching walks for one grid vertex: the patches that share it, the two vertices
// it needs in the mesh (the right-angle corners of the two triangles whose common edge it
// bisects) and the vertices that need it.
struct SPW_TERRAINDEPS {
  int32_t anPatches[4];
  int32_t anParents[2];
  int32_t anChildren[4];
};

// Patch flags.
constexpr uint32_t SPW_TPATCH_LAST_ROW = 0x2;     // owns the vertices of its far row
constexpr uint32_t SPW_TPATCH_LAST_COLUMN = 0x4;  // owns its far column; last of its row
constexpr uint32_t SPW_TPATCH_EDGE_MASK = 0xF;
constexpr uint32_t SPW_TPATCH_VISIBLE = 0x10;
constexpr uint32_t SPW_TPATCH_LIT = 0x40;
constexpr uint32_t SPW_TPATCH_OVERLAYS = 0x80;
constexpr uint32_t SPW_TPATCH_REBUILD = 0x100;

// A flat polygon laid on a patch (a decal or a shadow), drawn by the driver with the patch. The
// driver cuts it to the patch's current triangles, on their heights, when SPW_TOVERLAY_REBUILD is
// set (and whenever the patch's mesh changes) and keeps the cuts in its pieces; whoever links it
// sets SPW_TPATCH_OVERLAYS on the patch, and unlinking gives the pieces to the terrain's
// freePieces.
constexpr uint32_t SPW_TOVERLAY_REBUILD = 0x1;
constexpr int32_t SPW_TOVERLAY_OWN_COLOURS = -1;  // colour mode: the points' colours as they are
constexpr uint32_t SPW_TOVERLAY_PIECE_VERTICES = 128;
struct SPW_TERRAINPIECE {
  SGE_DLLNODE link;  // in SPW_TERRAINOVERLAY::pieces or SPW_TERRAIN::freePieces
  uint32_t dwCount;  // world-space triangles of three
  SPPD_VERTEX aVertex[SPW_TOVERLAY_PIECE_VERTICES];
};
struct SPW_TERRAINOVERLAY {
  SGE_DLLNODE link;  // in SPW_TERRAINPATCH::overlays
  uint32_t fFlags;   // SPW_TOVERLAY_REBUILD
  const SPPD_VERTEX* pPoints;  // the convex polygon: x, y in world space, colour, u, v
  uint32_t dwNumPoints;
  int32_t nTexture;     // driver texture id
  int32_t nLayer;       // the batch layer its pieces are queued on
  int32_t nColourMode;  // SPW_TOVERLAY_OWN_COLOURS, else dwColour multiplies the points' colours
  uint32_t dwColour;
  SGE_DLLNODE pieces;  // SPW_TERRAINPIECE
};

// A patch: a leaf of the quadtree and the driver's tile record.
struct SPW_TERRAINPATCH {
  float fCentreX, fCentreY;
  float fMinHeight, fMaxHeight;
  float afViewOrigin[3];  // the centre in view space, written each frame
  uint32_t dwFlags;
  uint32_t dwClipMask;  // planes still cutting the patch this frame
  float fNear, fFar;    // level-of-detail bounds of this frame
  float fLastNear, fLastFar;
  float fDetail;    // the largest error value of the vertices it owns
  float fMinError;  // the smallest
  float fSwitchDetail;  // the largest of the 5 by 5 vertices it may switch, shared ones too
  uint32_t dwNearFar;
  SGE_DLLNODE lights;  // SPW_TERRAINLIGHTLINK by tileLink
  int32_t nTextureId;  // of the patch's source texture
  uint32_t dwSecondPass;
  uint32_t dwSurface;  // texture id | orientation << 29
  float fU, fV;        // where the patch lies in its source texture
  uint32_t dwX, dwY;
  uint32_t dwFirstVertex;  // y 4 VX + x 4
  // The driver's mesh of the tile, rebuilt when SPW_TPATCH_REBUILD is set or none was built:
  // its triangles as vertex numbers 0-24, the vertices they use and the triangles again as
  // positions in that list.
  uint8_t abMesh[SPW_TERRAIN_MESH_INDICES];
  uint8_t abMeshVertices[SPW_TERRAIN_TEMPLATE_SIZE];
  uint8_t abMeshIndices[SPW_TERRAIN_MESH_INDICES];
  uint8_t bMeshVertices;
  uint8_t bMeshIndices;
  SGE_DLLNODE overlays;  // SPW_TERRAINOVERLAY by link
};

// A quadtree node: a box over its children. The last level has a negative x extent and holds
// patches; the others hold nodes. Missing children are none.
struct SPW_TERRAINNODE {
  float fMinHeight, fMaxHeight;
  float fExtentX, fExtentY;  // half sizes
  float fCentreX, fCentreY;
  void* apChildren[4];
};

// Ties a light to a patch it lights: in the light's list and the patch's list at once.
struct SPW_TERRAINLIGHTLINK {
  SGE_DLLNODE lightLink;  // in SPW_LIGHT::terrainLinks
  SGE_DLLNODE tileLink;   // in SPW_TERRAINPATCH::lights
  SPW_LIGHT* pLight;
  SPW_TERRAINPATCH* pPatch;
};
// Where a light link sits in each of its lists (the terrain's free list uses the light's).
constexpr size_t SPW_LIGHTLINK_IN_LIGHT = offsetof(SPW_TERRAINLIGHTLINK, lightLink);
constexpr size_t SPW_LIGHTLINK_IN_TILE = offsetof(SPW_TERRAINLIGHTLINK, tileLink);
// A patch's light links.
using SPW_TileLightLinks = SGE_ListRecords<SPW_TERRAINLIGHTLINK, SPW_LIGHTLINK_IN_TILE>;

// Light flags the terrain adds to the scene's: the glow lies only on the side the light
// faces; the light reached the terrain this frame.
constexpr uint32_t SPW_LIGHT_ONE_SIDED = 0x1;
constexpr uint32_t SPW_LIGHT_ON_TERRAIN = 0x8;

// The driver's lists, rebuilt by every frame's set-up.
enum SPW_TERRAINLIST : uint32_t {
  SPW_TLIST_VISIBLE,
  SPW_TLIST_CLIPPED,
  SPW_TLIST_NEAR,  // unclipped, with switched vertices
  SPW_TLIST_FAR,   // unclipped, at their coarsest
  SPW_TLIST_COUNT
};

struct SPW_TERRAIN {
  SPW_TERRAINTEMPLATE aTemplate[SPW_TERRAIN_TEMPLATE_SIZE];
  SPW_TERRAINUV aTexCoords[SPW_TERRAIN_ORIENTATIONS][SPW_TERRAIN_TEMPLATE_SIZE];
  SPW_DISPLAY* pDisplay;
  float fHalfWidth, fHalfHeight;
  uint32_t dwPatchesX, dwPatchesY;
  uint32_t dwVertsX, dwVertsY;
  float fCellSize, fInvCellSize;
  float fPatchSize, fInvPatchSize, fHalfPatchSize;
  float afValues[3];
  uint32_t* pSurfaces;  // a copy, one a patch
  SPW_TERRAINVERTEX* pVertices;
  SPW_TERRAINNORMALS* pNormals;  // one a cell, (VX - 1) x (VY - 1)
  float fInv256;
  SPW_TERRAINPATCH* pPatches;
  SPW_TERRAINNODE* pRoot;
  SGE_DLLNODE freeLinks;  // SPW_TERRAINLIGHTLINK by lightLink
  SGE_DLLNODE freePieces;  // SPW_TERRAINPIECE, the driver's records given back
  // Built with the record for the driver.
  SPW_TERRAINDEPS* pDeps;
  SPW_TERRAINNODE* pNodes;
  uint32_t dwNumNodes;
  SPW_TERRAINPATCH** apLists[SPW_TLIST_COUNT];  // each room for every patch
  uint32_t adwListCount[SPW_TLIST_COUNT];
  // Written by the driver's set-up each frame.
  float fLODFactor;
  SPW_VECTOR vStepX, vStepY, vStepDiagonal, vUp;  // one patch and up, in view space
};

// The engine's terrain record (one at a time).
extern SPW_TERRAIN SPW_Terrain;

// Reads "TERI", "TZFD" and "TSUR" of the first "TERR" block with a header, then the materials,
// and turns each surface's material index into its texture's driver id. 1; 0 when no block
// has a header, a count disagrees with the header or its chunk, or memory fails (traced). A
// null reader reads nothing and gives 1.
int32_t SPW_LoadTerrainData(SPW_BIFF_FILE* file, const char* path, SPW_TERRAINHEADER* out,
                            SPW_DISPLAY* display);
// Frees the header's tables.
void SPW_FreeTerrainData(SPW_TERRAINHEADER* header);

// Reads the colour sample file: " %d %d " then RGB triples, at most maxSamples of them. The
// triples (in SPW_FObjsMem, free with SGE_MemFree), their width and height and how many were
// read; none when the file is missing or its header unreadable.
uint8_t* SPW_LoadTerrainSamples(const char* path, uint32_t maxSamples, uint32_t* outWidth,
                                uint32_t* outHeight, uint32_t* outCount);

// Builds SPW_Terrain from the header: vertices, colours from the samples (width x height
// triples of which count were read; none: the default colour), normals, patches, quadtree,
// error values and the driver's tables. The record, or none when memory fails or the header is
// unusable (traced).
SPW_TERRAIN* SPW_InitTerrain(const SPW_TERRAINHEADER* header, SPW_DISPLAY* display,
                             const char* path, const uint8_t* samples, uint32_t width,
                             uint32_t height, uint32_t count);
// Frees the record's light links and arrays; safe to repeat.
void SPW_FreeTerrain(SPW_TERRAIN* terrain);

// The queries on a terrain record. Outside (x or y below 0, or past the far edge) they
// return 0; a point on the far edge lies in the last cell.
int32_t SPW_TerrainHeightAt(const SPW_TERRAIN* terrain, float x, float y, float* outZ);
int32_t SPW_TerrainNormalAt(const SPW_TERRAIN* terrain, float x, float y, SPW_VECTOR* out);
// The colour bilinear between the four vertex colours of the cell, alpha 255; false outside
// (x or y below 0 or at or past the far edge).
bool SPW_TerrainColourAt(const SPW_TERRAIN* terrain, float x, float y, uint32_t* out);

// The scene forms: on the scene's terrain.
int32_t SPW_GetTerrainHeight(SPW_SCENE* scene, SPW_VECTOR* point);
int32_t SPW_GetTerrainHeightNormal(SPW_SCENE* scene, SPW_VECTOR* point, SPW_VECTOR* outNormal);
// Outside the terrain, or without one: the scene's ambient colour, alpha 255.
uint32_t SPW_GetTerrainColour(SPW_SCENE* scene, float x, float y);

// The lights of the scene (at most *count) that reach the sphere; *count becomes the number
// found. Small spheres search the lights linked to the patches under them and move those found
// to the end of the scene's list; large ones, or a scene without terrain, test every light.
int32_t SPW_CollectLights(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                          SPW_LIGHT** out, int32_t* count);
// Moves the object's colour B toward a target by at most step a channel (the largest change
// sets the pace; 0: at once): the parent's colour B when asked and there is a parent, else the
// colour (with the offset added, held in 0..255 and pulled toward grey), else the scene's
// ambient colour.
void SPW_FadeObjectColour(SPW_DOBJECT* object, float step, int32_t useParent,
                          const SPW_COLOUR* colour, const SPW_COLOUR* offset);
