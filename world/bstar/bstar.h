#pragma once
// The mission's path network: walkable regions joined by gates, the outline vertices that bound
// the regions, and obstacle spheres, all in the network's own memory block. Ground units plan
// their routes over the regions with BSTAR_FindPath and follow them through the gates.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"
#include "world/bstar/features.h"

// Node flag bits. The kind sits in bits 16-23.
constexpr uint32_t BSTAR_NODE_SEARCHMARK = 0x1;    // queued by a region walk
constexpr uint32_t BSTAR_NODE_PLACEHOLDER = 0x2;   // made by a link before its own N line
constexpr uint32_t BSTAR_NODE_RUNTIME = 0x20000;   // added while the mission runs
constexpr uint32_t BSTAR_NODE_USERMARK = 0x80000000u;
// Run-time bits (0 and 2-8) that a loaded node never keeps.
constexpr uint32_t BSTAR_NODE_LOAD_CLEAR = 0x1FD;
constexpr int32_t BSTAR_KIND_SHIFT = 16;
constexpr uint32_t BSTAR_KIND_MASK = 0xFF;
constexpr uint32_t BSTAR_KIND_REGION = 0;
constexpr uint32_t BSTAR_KIND_VERTEX = 1;
constexpr uint32_t BSTAR_KIND_OBSTACLE = 2;
constexpr uint32_t BSTAR_KIND_PLANNER = 32;

// Link flag bits. Bits 0 and 1 are relative to the link's own X and Y ends.
constexpr uint32_t BSTAR_LINK_WAIT_Y = 0x1;  // the Y-side weight is still to come
constexpr uint32_t BSTAR_LINK_WAIT_X = 0x2;  // the X-side weight is still to come
constexpr uint32_t BSTAR_LINK_DISABLED = 0x4;
constexpr uint32_t BSTAR_LINK_FILE_BITS = 0x7;  // what an L line may set
constexpr uint32_t BSTAR_LINK_GATESCRATCH = 0x40;
constexpr uint32_t BSTAR_LINK_VISITED = 0x80;
constexpr uint32_t BSTAR_LINK_HASGATE = 0x100;
constexpr float BSTAR_DEFAULT_WEIGHT = 1000.0f;

// Junction word of an outline edge.
constexpr uint32_t BSTAR_JUNC_WALL = 0x1;
constexpr uint32_t BSTAR_JUNC_DISABLED = 0x2;
constexpr int32_t BSTAR_JUNC_NEIGHBOUR_SHIFT = 2;
constexpr uint32_t BSTAR_JUNC_NEIGHBOUR_MASK = 0xFFFFF;  // 20 bits of the neighbour's id
constexpr int32_t BSTAR_JUNC_TYPE_SHIFT = 22;
constexpr uint32_t BSTAR_JUNC_TYPE_MASK = 0xF;

constexpr int32_t BSTAR_NAME_SIZE = 8;            // up to 7 characters and a terminator
constexpr int32_t BSTAR_MAX_OUTLINE = 39;         // vertices of one region's outline
constexpr int32_t BSTAR_MAX_OUTLINE_WALK = 5000;  // steps before an outline walk gives up
constexpr int32_t BSTAR_MAX_ERRORS = 60;
constexpr int32_t BSTAR_ERROR_SIZE = 256;
constexpr int32_t BSTAR_MAX_NODE_LINKS = 3000;    // link lines of one node in the file
constexpr int32_t BSTAR_MAX_NODE_FEATURES = 1000; // feature lines of one node in the file
constexpr uint32_t BSTAR_CONSTRUCT_SIZE = 1500000;

struct BSTAR_Link;
struct BSTAR_SEARCHRECORD;
struct BSTAR_SearchSpace;
struct BSTAR_SPHERE;

// A cell of a node's link list.
struct BSTAR_LINKCELL {
  SGE_DLLNODE link;
  BSTAR_Link* pLink;
};

// A feature object bound to a node: its name as the file gives it, and the scene's object of
// that name (none when the network has no scene or the scene has no such object).
struct BSTAR_FEATUREBINDING {
  void* pFeature;
  char szName[BSTAR_FEATURE_NAME_SIZE];
};

struct BSTAR_FEATURELIST {
  int32_t nCount;
  BSTAR_FEATUREBINDING aBinding[1];  // nCount entries
};

struct BSTAR_Node {
  SGE_DLLNODE lNetwork;  // in the network's node list
  SGE_DLLNODE lLinks;    // BSTAR_LINKCELL
  uint32_t dwId;
  uint32_t dwFlags;
  SPW_VECTOR vCentre;
  float fRadius;  // the largest unit radius the region admits
  uint32_t dwSearchStamp;
  BSTAR_SEARCHRECORD* pSearch;
  BSTAR_FEATURELIST* pFeatures;
  int32_t nOutlineCount;  // 0: no outline
  int32_t nOutlineFirst;  // into the network's vertex and junction tables
  float fZMax;
  float fZMin;
  uint32_t dwBValue;  // a region's first outline edge: one vertex id << 16 | the other
  char szName[BSTAR_NAME_SIZE];
  float fMinX, fMinY, fMaxX, fMaxY;  // of the outline
};
// `for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))`, and a node's link cells.
using BSTAR_NetworkNodes = SGE_ListRecords<BSTAR_Node, offsetof(BSTAR_Node, lNetwork)>;
using BSTAR_LinkCells = SGE_ListRecords<BSTAR_LINKCELL>;

struct BSTAR_Link {
  float fWeightX;  // leaving X
  float fWeightY;  // leaving Y
  uint32_t dwType;
  BSTAR_Node* pX;
  BSTAR_Node* pY;
  uint32_t dwFlags;
  uint32_t dwExtra;
};

// What one L line of a node says.
struct BSTAR_LINKDESC {
  uint32_t dwOtherId;
  uint32_t dwThisId;
  uint32_t dwFlags;
  float fWeight;
  uint32_t dwType;
  uint32_t dwExtra;
};

struct BSTAR_Network {
  SPW_SCENE* pFeatureScene;  // whose feature objects F lines bind
  SGE_MEMBLOCK* pBlock;      // "BSTAR_NetMB"
  SGE_DLLNODE lNodes;
  int32_t nVertices;
  BSTAR_Node** ppVertices;  // per outlined region a run of its outline's vertices
  uint32_t* pJunctions;     // one word per vertex table entry
  SGE_DLLNODE lPendingDynamic;  // run-time nodes still to connect
  char aszErrors[BSTAR_MAX_ERRORS][BSTAR_ERROR_SIZE];
  int32_t nErrors;
  BSTAR_SearchSpace* pSearch;
  SPW_SCENE* pScene;
  int32_t bDirty;
  uint32_t dwNextId;  // the next free node id
  // Nodes by id: open addressing over a power-of-two table, for the loader's and the editor's
  // lookups, which would otherwise walk the whole list per link.
  BSTAR_Node** ppIdTable;
  uint32_t dwIdTableSize;
  uint32_t dwIdCount;
  BSTAR_SPHERE* pRegionTree;
  BSTAR_SPHERE* pObstacleTree;
  int32_t aSearchParams[4];
  SGE_MEMBLOCK* pConstructBlock;  // "BSTAR_NetConstructorMB"
  void* pConstructChunk;          // its range in the mission block
};

// The network of the running mission; none when its construction failed.
extern BSTAR_Network* BSTAR_CurrentNetwork;

inline uint32_t BSTAR_NodeKind(const BSTAR_Node* node) {
  return (node->dwFlags >> BSTAR_KIND_SHIFT) & BSTAR_KIND_MASK;
}
inline BSTAR_Node* BSTAR_LinkOther(const BSTAR_Link* link, const BSTAR_Node* node) {
  return link->pX == node ? link->pY : link->pX;
}
// The weight of leaving `node` over the link.
inline float BSTAR_LinkWeightFrom(const BSTAR_Link* link, const BSTAR_Node* node) {
  return link->pX == node ? link->fWeightX : link->fWeightY;
}

// Construction for a mission: a block of `size` bytes from the mission block, the network file
// "missions/<mission>/bstarnetwork.txt", the search workspace, outlines, gates and bounds.
// None when the memory cannot be had. A missing file gives an empty network.
BSTAR_Network* BSTAR_NetworkConstruct(SGE_MEMBLOCK* missionBlock, uint32_t size, SPW_SCENE* scene,
                                      const char* mission);
void BSTAR_NetworkDestroy(BSTAR_Network* network);
// Empties the network's block and starts a fresh empty network in it (same record address).
int32_t BSTAR_NetworkClear(BSTAR_Network* network);

// Reads a network file into the network. 1 when every line was taken; 0, with a trace per
// refused line, when the file is missing or something in it was refused (what was read stays).
int32_t BSTAR_NetworkLoadFile(SPW_SCENE* scene, BSTAR_Network* network, const char* path);
// 1 when the whole file was written; 0 after an error message box.
int32_t BSTAR_NetworkSaveFile(SPW_SCENE* scene, BSTAR_Network* network, const char* path);

// Adds a node with its links (merging into a node of the same id); the node, or none when it
// cannot be made. Links that cannot be made are skipped.
BSTAR_Node* BSTAR_NetworkAddNode(BSTAR_Network* network, const BSTAR_Node* record,
                                 const BSTAR_LINKDESC* links, int32_t count);
BSTAR_Node* BSTAR_FindNodeById(BSTAR_Network* network, uint32_t id);
BSTAR_Link* BSTAR_FindLink(const BSTAR_Node* a, const BSTAR_Node* b);
// The a-b link, made from the description (a is X) when there is none.
BSTAR_Link* BSTAR_FindOrCreateLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b,
                                   const BSTAR_LINKDESC* desc);
int32_t BSTAR_RemoveLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b);
int32_t BSTAR_RemoveNode(BSTAR_Network* network, BSTAR_Node* node);
// Replaces a-b by a-c and b-c weighted by the distances between the centres.
int32_t BSTAR_SplitLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b, BSTAR_Node* c,
                        uint32_t type);
int32_t BSTAR_CopyNodeLinks(BSTAR_Network* network, BSTAR_Node* target, BSTAR_Node* source);
// Binds a feature by name (resolved in the network's scene when it has one).
int32_t BSTAR_BindFeature(BSTAR_Network* network, BSTAR_Node* node, const char* name);

// Renumbers nodes by kind and derives outlines, gates and bounds again.
int32_t BSTAR_NetworkRegenerate(BSTAR_Network* network);
// Outlines of the regions and the junction words of their edges.
int32_t BSTAR_DeriveOutlines(BSTAR_Network* network);
// Logs the feature objects bound to the node that block nothing under the pointer.
void BSTAR_CheckFeatureBindings(BSTAR_Network* network, BSTAR_Node* node);

// Iteration. A function result of 0 stops the first two.
using BSTAR_NODEFN = int32_t (*)(BSTAR_Network* network, BSTAR_Node* node, void* user);
using BSTAR_NODELINKFN = int32_t (*)(BSTAR_Network* network, BSTAR_Node* other, BSTAR_Link* link,
                                     void* user);
using BSTAR_LINKFN = int32_t (*)(BSTAR_Network* network, BSTAR_Link* link, void* user);
void BSTAR_ForEachNode(BSTAR_Network* network, BSTAR_NODEFN fn, void* user);
void BSTAR_ForEachNodeLink(BSTAR_Network* network, BSTAR_Node* node, BSTAR_NODELINKFN fn,
                           void* user);
// Once per link, whatever the function returns.
void BSTAR_ForEachLink(BSTAR_Network* network, BSTAR_LINKFN fn, void* user);
// The nodes at the other ends of the node's links, at most n; their count.
int32_t BSTAR_GetNeighbours(BSTAR_Network* network, BSTAR_Node* node, BSTAR_Node** out, int32_t n);

// Gates: link bit 2 and the junction words of both end regions. Enabling returns the previous
// state (1 enabled), typing the previous type.
int32_t BSTAR_SetLinkEnabled(BSTAR_Network* network, BSTAR_Link* link, int32_t enable);
uint32_t BSTAR_SetLinkType(BSTAR_Network* network, BSTAR_Link* link, uint32_t type);
// Every link of the node; the node's user mark becomes the opposite of `enable`.
void BSTAR_SetNodeLinksEnabled(BSTAR_Network* network, BSTAR_Node* node, int32_t enable);
