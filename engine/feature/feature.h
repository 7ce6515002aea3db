#pragma once
// Feature objects: the static scenery of a mission (rocks, buildings, walls, the sky) read from
// the "FOBF" blocks of the terrain file. A class holds one mesh per level of detail; an instance
// places a class with a matrix and carries its own baked vertex colours. Classes live in the
// 500-entry feature table and, while in use, in their scene's feature list; everything is in
// SPW_FObjsMem. Main thread only.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

struct SPW_BIFF_FILE;
struct SPW_BIFF_CHUNK;
struct SPW_DISPLAY;
struct SPW_SCENE;

constexpr int32_t SPW_MAX_FEATURE_OBJECTS = 500;
constexpr int32_t SPW_NO_FEATURE_OBJECT = 500;  // the index reported when none is free
constexpr int32_t SPW_FEATURE_NAME_SIZE = 20;
constexpr int32_t SPW_FEATURE_MAX_FACE_VERTICES = 4;
constexpr int32_t SPW_FEATURE_MIN_FACE_VERTICES = 3;
constexpr float SPW_FEATURE_UNIT_SCALE = 0.01f;  // file units to engine units

// The class's in-use word.
constexpr uint32_t SPW_FEATURE_IN_USE = 0x1;
// The class's attribute word: its collision mask, and drawing flags.
constexpr uint32_t SPW_FEATURE_NEAR_FADE = 0x20;
// Face flags.
constexpr uint32_t SPW_FEATUREFACE_TWO_SIDED = 0x80000000u;
// Instance flags.
constexpr uint32_t SPW_FINST_MARK_A = 0x1;
constexpr uint32_t SPW_FINST_MARK_B = 0x2;
constexpr uint32_t SPW_FINST_IGNORED = 0x4;  // not hit by the queries, not drawn
constexpr uint32_t SPW_FINST_HIDDEN = 0x8;   // not drawn

// The class name of the sky object, compared without regard to case.
constexpr const char SPW_SKY_CLASS[] = "Sky";

struct SPW_FEATUREVERTEX {
  SPW_VECTOR vPos;  // scaled
  float fU, fV;
};
static_assert(sizeof(SPW_FEATUREVERTEX) == 20);

struct SPW_FEATUREFACE {
  int32_t nTexture;  // the material index until the textures are resolved
  SPW_VECTOR vNormal;
  uint32_t dwFlags;  // SPW_FEATUREFACE_TWO_SIDED
  uint32_t adwIndex[SPW_FEATURE_MAX_FACE_VERTICES];
};
static_assert(sizeof(SPW_FEATUREFACE) == 36);

// A node of the mesh's sphere tree; the root is the last node. Loading checks that the nodes
// under the root form a tree and that every index lies inside its array.
struct SPW_FEATURENODE {
  uint32_t dwValue;
  int32_t nFace;  // -1 for an inner node
  SPW_VECTOR vCentre;
  float fRadius;
  uint32_t dwValue2;
  int32_t nLeft, nRight;  // -1 for none
};
static_assert(sizeof(SPW_FEATURENODE) == 36);

// One level of detail.
struct SPW_FEATUREMESH {
  uint32_t dwIndex;
  uint32_t dwNumVertices;
  uint32_t dwNumFaces;
  uint32_t dwVertsPerFace;  // 3 or 4; the renderer and the queries use the first three
  uint32_t dwNumPairs;      // texture pairs per vertex in the file; the first is kept
  SPW_VECTOR vCentre;
  float fRadius;
  uint32_t dwNumNodes;
  uint32_t dwDepth;  // the levels of the node tree under the root, 0 without nodes
  SPW_FEATUREVERTEX* pVertices;
  SPW_FEATUREFACE* pFaces;
  uint8_t* pPerVertex;  // 12 bytes a vertex, as the file gives them
  SPW_FEATURENODE* pNodes;
};

struct SPW_FEATUREOBJ {
  SGE_DLLNODE link;  // in the scene's feature list
  char szFirstName[SPW_FEATURE_NAME_SIZE];
  char szClassName[SPW_FEATURE_NAME_SIZE];
  uint32_t dwValueA;
  uint32_t dwNumMeshes;
  uint32_t dwValueB;
  uint32_t dwInUse;       // SPW_FEATURE_IN_USE
  uint32_t dwAttributes;  // collision mask and drawing flags; 0 as loaded, set by the mission
  uint8_t abKept[16];
  SPW_VECTOR vCentre;  // scaled
  float fRadius;
  SPW_FEATUREMESH* pMeshes;
  SGE_DLLNODE instances;  // SPW_FEATUREINST
};

struct SPW_FEATUREINST {
  SGE_DLLNODE link;  // in the class's instance list
  char szName[SPW_FEATURE_NAME_SIZE];
  int32_t nId;
  uint32_t dwFlags;  // SPW_FINST_*
  uint32_t dwMarkA, dwMarkB;
  uint32_t dwInactive;  // skipped by the searches among active items
  uint32_t adwZero[2];
  SPW_MATRIX mObjectToWorld;  // translation scaled
  SPW_MATRIX mWorldToObject;
  float fScale, fInvScale;
  SPW_FEATUREOBJ* pClass;
  int32_t nLod;          // written by the renderer
  SGE_DLLNODE decals;    // SPW_TESSSIDE records of the tessellations laid on it
  uint32_t** ppColours;  // one array per mesh of the class: its vertices' ARGB colours
  uint32_t dwNumColours; // arrays held (the class's mesh count)
  uint32_t adwZero2[2];
};

// The table, SPW_MAX_FEATURE_OBJECTS entries in SPW_FObjsMem; none before the first reset.
extern SPW_FEATUREOBJ* SPW_FeatureObjects;

// Re-creates the feature block and a zeroed table in it: every class, instance and tree node
// made before is gone. 1 or 0.
int32_t SPW_ResetFeatureObjects();
// The head of the scene's feature list.
SGE_DLLNODE* SPW_SceneFeatureList(SPW_SCENE* scene);

// Reads every "FOBF" block of the file into the table and the scene's feature list, then
// resolves the faces' materials to the display's driver textures. 1, or 0 after a trace; a
// failed load takes back every class, mesh and instance it read, so that nothing half-read
// (faces still holding material indices) is drawn or hit, while what the block held before
// (earlier classes, the terrain's tables) stays.
int32_t SPW_LoadFeatureObject(SPW_BIFF_FILE* file, SPW_SCENE* scene, SPW_DISPLAY* display);
// 1 and the index of the in-use class of the scene whose two names equal the chunk's (exactly,
// over 20 characters each); else 0 and the first free index (SPW_NO_FEATURE_OBJECT when none).
int32_t SPW_FindFeatureClass(SPW_SCENE* scene, const uint8_t* chunk, int32_t* outIndex);
