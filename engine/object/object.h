#pragma once
// Dynamic object types: the 700-slot type table, the node tree of each level of detail, the
// animations with their keys, and the loaders that fill them from POW or packed object files.
// In-memory records only; the file layouts are read field by field in the loaders.
#include <cstdint>

#include "engine/math/vecmath.h"

struct SPW_DISPLAY;
struct SPW_PACKDOBJ;

constexpr int32_t SPW_MAX_OBJECT_TYPES = 700;
constexpr int32_t SPW_NO_OBJECT_TYPE = 700;  // the slot reported when none is found
constexpr int32_t SPW_CAMERA_TYPE = 699;
constexpr int32_t SPW_DLIGHT_TYPE = 698;
constexpr uint32_t SPW_CAMERA_TYPE_FLAGS = 0x647;
constexpr uint32_t SPW_DLIGHT_TYPE_FLAGS = 0x3c7;
constexpr uint32_t SPW_OBJTYPE_IN_USE = 0x1;

constexpr int32_t SPW_OBJECT_NAME_SIZE = 20;
constexpr int32_t SPW_NODE_NAME_SIZE = 20;
constexpr int32_t SPW_ANIM_NAME_SIZE = 20;
constexpr int32_t SPW_MAX_FACE_VERTICES = 4;

// Animation time runs in ticks of 1/4800 second; one 1/30-second frame is 160 ticks.
constexpr float SPW_TICKS_PER_SECOND = 4800.0f;
// File units to engine units, before the caller's own scale.
constexpr float SPW_POW_UNIT_SCALE = 0.01f;

// Node kinds. A node that is not animated keeps its default transform; a locator is a named
// attachment point, and like every fixed point it carries no animation of its own.
constexpr uint32_t SPW_NODEKIND_NOT_ANIMATED = 0x2;
constexpr uint32_t SPW_NODEKIND_LOCATOR = 2;
// Render flag: never culled or faded for nearness to the eye, only fogged.
constexpr uint32_t SPW_NODERENDER_KEEP_NEAR = 0x4;

// 36 bytes: position (scaled), unit normal, a value the engine copies, one texture pair.
struct SPW_DOBJVERTEX {
  SPW_VECTOR vPos;
  SPW_VECTOR vNormal;
  uint32_t dwValue;
  float fU, fV;
};
static_assert(sizeof(SPW_DOBJVERTEX) == 36);

// 36 bytes: the driver texture id, four values the engine copies, up to four vertex indices.
struct SPW_DOBJFACE {
  int32_t nTexture;
  uint32_t adwValue[4];
  uint32_t adwIndex[SPW_MAX_FACE_VERTICES];
};
static_assert(sizeof(SPW_DOBJFACE) == 36);

// One node of a level of detail. A level's node array is in depth-first order from the root;
// a node's id equals its array position and its channel index in every animation.
struct tag_spw_dobjnode {
  uint32_t dwNumChildren;
  int32_t nIndex;
  int32_t nId;
  char szName[SPW_NODE_NAME_SIZE];  // all 20 characters; no terminator when full
  tag_spw_dobjnode* pFirstChild;  // set only when dwNumChildren is not 0
  tag_spw_dobjnode* pParent;      // none for the root
  uint32_t dwKind;                // SPW_NODEKIND_*
  uint32_t dwRenderFlags;         // SPW_NODERENDER_*
  int32_t nParentId;              // -1 for the root
  uint32_t dwNumVertices;
  uint32_t dwNumFaces;
  uint32_t dwVertsPerFace;  // at most SPW_MAX_FACE_VERTICES
  uint32_t dwNumTexSets;    // the vertex keeps the first pair
  SPW_TRANSFORM tDefault;   // position scaled
  SPW_DOBJVERTEX* pVertexSet;
  SPW_DOBJFACE* pFaceSet;
  SPW_VECTOR vCentre;  // middle of the box of the vertices
  float fRadius;       // half the largest edge of that box
};
using SPW_DOBJNODE = tag_spw_dobjnode;

// One level of detail: every level of a type has the type's node count.
struct SPW_DOBJLOD {
  uint32_t dwNumNodes;
  uint32_t dwNumTextures;  // distinct texture ids over all faces of the level
  uint32_t dwReserved;
  SPW_DOBJNODE* pNodes;
};

// A key as POW files give it (36 bytes): position already scaled, rotation, time in ticks
// and the inverse of the time to the next key (0 for the last key and for equal times).
struct SPW_POWKEY {
  SPW_VECTOR vPos;
  SPW_QUAT qRot;
  float fTime;
  float fInvSpan;
};
static_assert(sizeof(SPW_POWKEY) == 36);

// A packed key is one word: high 16 bits index the position table, low 16 the rotation table.
using SPW_PACKEDKEY = uint32_t;
constexpr uint32_t SPW_PackedKeyPosition(SPW_PACKEDKEY key) { return key >> 16; }
constexpr uint32_t SPW_PackedKeyRotation(SPW_PACKEDKEY key) { return key & 0xffffu; }

// Entries of the global tables "tset.dat" (12 bytes) and "qtset.dat" (24 bytes).
struct SPW_POSITIONENTRY {
  SPW_VECTOR vPos;
};
static_assert(sizeof(SPW_POSITIONENTRY) == 12);
struct SPW_ROTATIONENTRY {
  SPW_QUAT qRot;
  float fTime;
  float fInvSpan;
};
static_assert(sizeof(SPW_ROTATIONENTRY) == 24);

// One node's keys within one animation. The form follows the type: packed keys when the type
// came from a packed object file (SPW_DOBJTYPE::pPacked set), POW keys otherwise.
struct SPW_ANIMCHANNEL {
  uint32_t dwNumKeys;
  union {
    SPW_POWKEY* pPowKeys;
    const SPW_PACKEDKEY* pPackedKeys;
    void* pKeys;
  };
};

struct SPW_ANIMATION {
  char szName[SPW_ANIM_NAME_SIZE];  // all 20 characters; no terminator when full
  int32_t nIndex;
  uint32_t dwValue;
  uint32_t dwLength;            // ticks
  SPW_ANIMCHANNEL* pChannels;   // one per node of LOD 0, in node-array order
};

// 44 bytes: {4, 0, centre x, y, z, radius, then zeros}.
struct SPW_DOBJBOUND {
  uint32_t dwKind;
  uint32_t dwReserved;
  SPW_VECTOR vCentre;
  float fRadius;
  uint32_t adwZero[5];
};
static_assert(sizeof(SPW_DOBJBOUND) == 44);
constexpr uint32_t SPW_BOUND_SPHERE = 4;

struct SPW_DOBJTYPE {
  uint32_t dwObjectId;
  int32_t nIndex;  // from the file; the built-ins hold their slot
  char szName[SPW_OBJECT_NAME_SIZE];  // all 20 characters; no terminator when full
  uint32_t dwNumAnims;
  uint32_t dwNumLods;
  uint32_t dwNumNodes;  // per level of detail
  SPW_DOBJLOD* pLods;
  SPW_ANIMATION* pAnims;
  SPW_PACKDOBJ* pPacked;  // set for a type from a packed object file
  float fFactor;
  uint32_t dwFlags;        // bit 0 in use; copied into each new instance
  uint32_t dwLegacy;       // 1 for POW types
  SPW_DOBJBOUND* pBound;
  float fRadius;
  SPW_VECTOR vCentre;
  uint32_t dwNumInstances;
  float fKeyPosScale;      // applied to animated positions by the default node procedure
  void* pPackedData;       // released with the packed record
};

// The table itself, SPW_MAX_OBJECT_TYPES entries in SPW_ObjsMem; none before the reset.
extern SPW_DOBJTYPE* SPW_ObjectTypes;

// Re-creates the table empty but for the built-ins Camera (699) and DLight (698). 1 or 0.
int32_t SPW_ResetObjectTypes();
// Frees the table (engine shutdown); every type must have been released first.
void SPW_ReleaseObjectTypes();
// The type of a slot, none outside the table or before the reset.
SPW_DOBJTYPE* SPW_GetObjectType(int32_t slot);

// 1 and the slot when an in-use type has the name (20 characters, any case); else 0 and 700.
int32_t SPW_FindObjectType(const char* name, int32_t* outSlot);
// With a display through the packed loader, else SPW_LoadObjectByPath. 1 or 0.
int32_t SPW_LoadObject(const char* fileName, SPW_DISPLAY* display, int32_t* outSlot, float scale);
// Loads a companion animation file first when it names another file (its slot is dropped).
int32_t SPW_LoadObjectByPath(const char* fileName, const char* companion, SPW_DISPLAY* display,
                             int32_t* outSlot, float scale);
// Releases every type without instances except the built-ins.
void SPW_FreeAllObjectTypes();
// Releases one type's data and marks its slot free (no check for instances).
void SPW_FreeObjectType(int32_t slot);

// The POW loader. flag asks for animation sharing from an old-layout file (only traced).
int32_t SPW_LoadObjectFile(const char* fileName, SPW_DISPLAY* display, int32_t* outSlot,
                           float scale, int32_t flag);
// 1 when some "DOBF" block of the file has an "LDOB" chunk (the current layout).
int32_t SPW_FindNewObjectLodHunk(const char* path);

// Faces of types loaded without a display get their texture id from this hook (file name to
// id); with no hook they get texture 0.
using SPW_TEXTUREHOOK = int32_t (*)(const char* fileName);
extern SPW_TEXTUREHOOK SPW_TextureHook;

// Packed object files (".pdo"): an image of a loaded type, read in one piece, whose offsets are
// made references after loading. The image stays loaded as long as its type.
struct SPW_PACKDOBJ {
  uint8_t* pImage;
  uint32_t dwSize;
};

// Loads the ".pdo" beside the named file (same drive, folder and name); 1 on success or when the
// type is already loaded, 0 on failure with nothing left allocated.
int32_t SPW_PACKDOBJ_LoadObjectFile(const char* fileName, SPW_DISPLAY* display,
                                    int32_t* outSlot, float scale);
// Makes packed objects load their textures in the driver's low-resolution mode; returns the
// previous value.
int32_t SPW_SetPackedLowRes(int32_t flag);
// When the slot holds a packed image: frees it and marks the slot free.
void SPW_FreePackedObject(int32_t slot);
