#pragma once
// Route planning over the regions of a path network, and the questions movers, weapons and
// mission scripts ask of it: which region holds a point, which gate to aim for, what a ray or
// a segment meets, nodes by name and kind, and run-time nodes.
#include <cstdint>

#include "world/bstar/bstar.h"

struct BSTAR_SEARCHRECORD {
  BSTAR_Link* pVia;  // none for the start
  BSTAR_Node* pRegion;
  BSTAR_SEARCHRECORD* pParent;
  float g, h, f;
  // Open-list order: ascending f, then this sequence number. Records placed behind their
  // equals take rising numbers, records placed before them falling ones, which orders them
  // exactly as a list kept by those two rules would.
  int32_t nSeq;
  int32_t nHeap;  // position in the open heap, -1 when closed
};

// A cell of a path: one region. Paths run from the start region to the goal region.
struct BSTAR_PATHCELL {
  SGE_DLLNODE link;
  BSTAR_Node* pRegion;
};

struct BSTAR_SearchSpace {
  BSTAR_Network* pNetwork;
  SGE_MEMBLOCK* pBlock;
  BSTAR_SEARCHRECORD* pRecords;  // taken front to back by a search, all returned at its end
  int32_t nRecordsUsed;
  BSTAR_SEARCHRECORD** ppOpen;   // binary heap, nRecords entries
  int32_t nOpen;
  SGE_DLLNODE lFreeCells;
  BSTAR_PATHCELL* pCells;
  uint32_t dwLowStamp;  // a region stamped below it is unvisited in the current search
  uint32_t dwStamp;     // open; dwStamp - 1 closed
  int32_t nRecords, nCells, nReserve, nSpare;
  int32_t nSeqBack, nSeqFront;
  float fOpenMax;  // the greatest f among the open records
  int32_t nOpenMaxCount;
  BSTAR_Node* pGoal;
  BSTAR_Node* pClosest;
  float fClosestH;
};

// The workspace with its four counts (the network's own: 800, 2000, 10000, 10). Records that
// cannot all be had are retried 20 fewer at a time while more than 200 remain.
BSTAR_SearchSpace* BSTAR_CreateSearchSpace(SGE_MEMBLOCK* block, BSTAR_Network* network,
                                           int32_t records, int32_t cells, int32_t reserve,
                                           int32_t spare);
void BSTAR_DestroySearchSpace(BSTAR_SearchSpace* space);

// A* over regions from start to goal. 1 and the path (in front of what `path` held) when the
// goal is reached; else 0 and `path` untouched. Points default to the regions' centres.
int32_t BSTAR_FindPath(BSTAR_SearchSpace* space, BSTAR_Node* start, BSTAR_Node* goal,
                       SGE_DLLNODE* path, uint32_t allowedType, const SPW_VECTOR* startPoint,
                       const SPW_VECTOR* goalPoint, float unitRadius);
// The region of the smallest heuristic met by the last search.
BSTAR_Node* BSTAR_GetClosestNode(BSTAR_SearchSpace* space);
void BSTAR_FreePath(BSTAR_SearchSpace* space, SGE_DLLNODE* path);
BSTAR_PATHCELL* BSTAR_PathFirst(const SGE_DLLNODE* path);
BSTAR_PATHCELL* BSTAR_PathLast(const SGE_DLLNODE* path);
BSTAR_PATHCELL* BSTAR_PathNext(const SGE_DLLNODE* path, const BSTAR_PATHCELL* cell);

// Bounding-sphere trees over the outlined regions and over the obstacle spheres.
struct BSTAR_SPHERE {
  SGE_DLLNODE lWork;  // the builder's work list
  float x, y, z, r;
  BSTAR_SPHERE* pChild[2];
  BSTAR_Node* pNode;  // leaves only
};
int32_t BSTAR_BuildHierarchyKind0(BSTAR_Network* network);
int32_t BSTAR_BuildHierarchyKind2(BSTAR_Network* network);
// Regions whose bounds meet the disc, at most `max`, nearest in height first; their count.
int32_t BSTAR_FindCandidateRegions(BSTAR_Network* network, const SPW_VECTOR* point, float radius,
                                   BSTAR_Node** out, int32_t max);
// Obstacle spheres near the disc, at most `max`, in tree order; their count.
int32_t BSTAR_FindCandidateObstacles(BSTAR_Network* network, const SPW_VECTOR* point,
                                     float radius, BSTAR_Node** out, int32_t max);
// The nearest obstacle entered within *length along the unit direction: 1, the node, the
// shortened length and the hit point; else 0.
int32_t BSTAR_RayObstacle(BSTAR_Network* network, const SPW_VECTOR* start, const SPW_VECTOR* dir,
                          float* length, BSTAR_Node** outNode, SPW_VECTOR* outPoint);

BSTAR_Node* BSTAR_FindNodeAtPoint(BSTAR_Network* network, const SPW_VECTOR* point);
int32_t BSTAR_NodeContainsPoint(BSTAR_Network* network, const BSTAR_Node* region,
                                const SPW_VECTOR* point);
// The region holding the point, looked for first among the regions reachable from `region`
// (at most 30, breadth first). None when that walk ran out of regions below 30; the point
// query when it filled its 30 or no region was given.
BSTAR_Node* BSTAR_FindNodeNear(BSTAR_Network* network, BSTAR_Node* region,
                               const SPW_VECTOR* point);

BSTAR_Node* BSTAR_FindNodeByName(BSTAR_Network* network, const char* name);
void BSTAR_ForEachNamedNode(BSTAR_Network* network, const char* name, BSTAR_NODEFN fn,
                            void* user);
void BSTAR_ForEachNodeNamePrefix(BSTAR_Network* network, const char* text, BSTAR_NODEFN fn,
                                 void* user, int32_t n);
BSTAR_Node* BSTAR_FindNodeByTag(BSTAR_Network* network, uint32_t kind);
BSTAR_Node* BSTAR_NextNodeByTag(BSTAR_Network* network, BSTAR_Node* node);
void BSTAR_SetNodeMark(BSTAR_Node* node, int32_t flag);

// The junction bits that close a gate to the gate queries (walls and disabled gates at
// start); the previous mask.
uint32_t BSTAR_SetGateMask(uint32_t mask);
uint32_t BSTAR_GetGateMask();
// The point to aim for to pass from region into neighbour: 1, the point (z 0) and its squared
// ground distance from the position; 0 when no gate edge is wide enough.
int32_t BSTAR_GateCrossingPoint(BSTAR_Network* network, const BSTAR_Node* region,
                                const BSTAR_Node* neighbour, const SPW_VECTOR* position,
                                float radius, SPW_VECTOR* outPoint, float* outDistSq);
// The last gate of a path: where the straight line from the position to the target crosses a
// usable gate edge, else as BSTAR_GateCrossingPoint.
int32_t BSTAR_GateCrossingPointTo(BSTAR_Network* network, const BSTAR_Node* region,
                                  const BSTAR_Node* neighbour, const SPW_VECTOR* position,
                                  const SPW_VECTOR* target, float radius, SPW_VECTOR* outPoint,
                                  float* outDistSq);
// The gate link whose edge the ground segment a-b crosses nearest a (links with the gate
// search's scratch bit skipped); the crossing point. None when it crosses no gate.
BSTAR_Link* BSTAR_FindCrossedGate(BSTAR_Network* network, const SPW_VECTOR* a,
                                  const SPW_VECTOR* b, SPW_VECTOR* outPoint);

// Run-time nodes for objects: made pending, linked by BSTAR_ConnectDynamicNodes.
BSTAR_Node* BSTAR_AddDynamicNode(BSTAR_Network* network, const SPW_VECTOR* position,
                                 float radius, const char* name);
int32_t BSTAR_RemoveDynamicNode(BSTAR_Network* network, BSTAR_Node* node);
int32_t BSTAR_ConnectDynamicNodes(BSTAR_Network* network);

int32_t BSTAR_NodeHasJunctions(const BSTAR_Node* region);
int32_t BSTAR_IsNodeReferenced(BSTAR_Network* network, const BSTAR_Node* node);
