// A* over the regions. Nothing is allocated during a search: records come from the workspace,
// visited state lives in the regions' stamps, so a search never clears the network.
#include <cmath>
#include <cstdint>

#include "platform/trace.h"
#include "world/bstar/internal.h"
#include "world/bstar/search.h"

namespace {

constexpr int32_t kRecordRetryStep = 20;
constexpr int32_t kRecordFloor = 200;
constexpr uint32_t kStampLimit = 0xFFFFFFFEu;

float Heuristic(const BSTAR_Node* region, const BSTAR_Node* goal) {
  return std::fabs(region->vCentre.x - goal->vCentre.x) +
         std::fabs(region->vCentre.y - goal->vCentre.y) +
         std::fabs(region->vCentre.z - goal->vCentre.z);
}

// Every heuristic evaluated feeds the fallback: the first region of the smallest one.
float Evaluate(BSTAR_SearchSpace* s, BSTAR_Node* region) {
  const float h = Heuristic(region, s->pGoal);
  if (!s->pClosest || h < s->fClosestH) {
    s->pClosest = region;
    s->fClosestH = h;
  }
  return h;
}

bool Before(const BSTAR_SEARCHRECORD* a, const BSTAR_SEARCHRECORD* b) {
  return a->f < b->f || (a->f == b->f && a->nSeq < b->nSeq);
}

void SiftUp(BSTAR_SearchSpace* s, int32_t i) {
  BSTAR_SEARCHRECORD** heap = s->ppOpen;
  BSTAR_SEARCHRECORD* r = heap[i];
  while (i > 0) {
    const int32_t parent = (i - 1) / 2;
    if (!Before(r, heap[parent])) break;
    heap[i] = heap[parent];
    heap[i]->nHeap = i;
    i = parent;
  }
  heap[i] = r;
  r->nHeap = i;
}

void SiftDown(BSTAR_SearchSpace* s, int32_t i) {
  BSTAR_SEARCHRECORD** heap = s->ppOpen;
  BSTAR_SEARCHRECORD* r = heap[i];
  for (;;) {
    int32_t child = 2 * i + 1;
    if (child >= s->nOpen) break;
    if (child + 1 < s->nOpen && Before(heap[child + 1], heap[child])) ++child;
    if (!Before(heap[child], r)) break;
    heap[i] = heap[child];
    heap[i]->nHeap = i;
    i = child;
  }
  heap[i] = r;
  r->nHeap = i;
}

// The greatest f of the open records and how many hold it: the last record of the list that
// the heap stands for.
void MaxAdd(BSTAR_SearchSpace* s, float f) {
  if (s->nOpenMaxCount == 0 || f > s->fOpenMax) {
    s->fOpenMax = f;
    s->nOpenMaxCount = 1;
  } else if (f == s->fOpenMax) {
    ++s->nOpenMaxCount;
  }
}

// An open record's f fell from oldF to its present value.
void MaxLowered(BSTAR_SearchSpace* s, float oldF, float newF) {
  if (oldF == s->fOpenMax && s->nOpenMaxCount == 1) {
    // Rare: the only record of the greatest f got a smaller one. Count afresh.
    s->nOpenMaxCount = 0;
    for (int32_t i = 0; i < s->nOpen; ++i) MaxAdd(s, s->ppOpen[i]->f);
    return;
  }
  if (oldF == s->fOpenMax) --s->nOpenMaxCount;
  MaxAdd(s, newF);
}

// Placed as a list kept in ascending f would place it: behind everything when the last f is
// not greater, else in front of its equals.
void OpenInsert(BSTAR_SearchSpace* s, BSTAR_SEARCHRECORD* r) {
  const bool behind = s->nOpen == 0 || !(s->fOpenMax > r->f);
  r->nSeq = behind ? ++s->nSeqBack : --s->nSeqFront;
  MaxAdd(s, r->f);
  s->ppOpen[s->nOpen] = r;
  SiftUp(s, s->nOpen++);
}

BSTAR_SEARCHRECORD* OpenPop(BSTAR_SearchSpace* s) {
  BSTAR_SEARCHRECORD* top = s->ppOpen[0];
  s->ppOpen[0] = s->ppOpen[--s->nOpen];
  if (s->nOpen > 0) SiftDown(s, 0);
  top->nHeap = -1;
  // The smallest f is the greatest only when every record holds it.
  if (top->f == s->fOpenMax) --s->nOpenMaxCount;
  return top;
}

void AdvanceStamps(BSTAR_SearchSpace* s) {
  s->nRecordsUsed = 0;
  s->nOpen = 0;
  s->nOpenMaxCount = 0;
  if (s->dwStamp + 2 > kStampLimit || s->dwStamp + 2 < s->dwStamp) {
    s->dwLowStamp = 2;
    s->dwStamp = 3;
    for (BSTAR_Node* node : BSTAR_NetworkNodes(&s->pNetwork->lNodes)) node->dwSearchStamp = 0;
    return;
  }
  s->dwLowStamp += 2;
  s->dwStamp += 2;
}

// Whether the region was reached by the search under way. The stamp says so for the workspace
// that stamped it; a network may serve several workspaces, so the record must be this one's
// too, and taken in this search.
bool Visited(const BSTAR_SearchSpace* s, const BSTAR_Node* region) {
  if (region->dwSearchStamp < s->dwLowStamp) return false;
  const auto r = reinterpret_cast<uintptr_t>(region->pSearch);
  const auto first = reinterpret_cast<uintptr_t>(s->pRecords);
  return r >= first && r < first + s->nRecordsUsed * sizeof(BSTAR_SEARCHRECORD) &&
         region->pSearch->pRegion == region;
}

BSTAR_SEARCHRECORD* TakeRecord(BSTAR_SearchSpace* s) {
  return s->nRecordsUsed < s->nRecords ? &s->pRecords[s->nRecordsUsed++] : nullptr;
}

// The path from the goal record back to the start, each region put at the head so that the
// list runs start to goal. A path that does not fit the free cells is no path.
bool BuildPath(BSTAR_SearchSpace* s, const BSTAR_SEARCHRECORD* goal, SGE_DLLNODE* path) {
  SGE_DLLNODE built;
  SGE_ListInit(&built);
  for (const BSTAR_SEARCHRECORD* r = goal; r; r = r->pParent) {
    SGE_DLLNODE* cell = SGE_ListPopHead(&s->lFreeCells);
    if (!cell) {
      PLAT_Trace("BSTAR_FindPath: path cells ran out; no path\n");
      SGE_ListAppendList(&s->lFreeCells, &built);
      return false;
    }
    reinterpret_cast<BSTAR_PATHCELL*>(cell)->pRegion = r->pRegion;
    SGE_ListAddHead(&built, cell);
  }
  SGE_ListAppendList(&built, path);
  SGE_ListAppendList(path, &built);
  return true;
}

int32_t Search(BSTAR_SearchSpace* s, BSTAR_Node* start, BSTAR_Node* goal, SGE_DLLNODE* path,
               uint32_t allowedType, const SPW_VECTOR& startPoint, const SPW_VECTOR& goalPoint,
               float unitRadius) {
  BSTAR_SEARCHRECORD* first = TakeRecord(s);
  if (!first) return 0;
  *first = {nullptr, start, nullptr, 0.0f, Evaluate(s, start), 0.0f, 0, -1};
  first->f = first->h;
  start->pSearch = first;
  start->dwSearchStamp = s->dwStamp;
  if (start == goal) return BuildPath(s, first, path) ? 1 : 0;
  OpenInsert(s, first);

  const uint32_t open = s->dwStamp, closed = s->dwStamp - 1;
  while (s->nOpen > 0) {
    BSTAR_SEARCHRECORD* q = OpenPop(s);
    BSTAR_Node* r = q->pRegion;
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&r->lLinks)) {
      BSTAR_Link* link = cell->pLink;
      BSTAR_Node* p = BSTAR_LinkOther(link, r);
      if (link == q->pVia || link->dwType > allowedType || (link->dwFlags & BSTAR_LINK_DISABLED) ||
          BSTAR_NodeKind(p) != BSTAR_KIND_REGION || p->fRadius < unitRadius)
        continue;
      float e;
      if (r == start)
        e = BSTAR_Distance2D(startPoint, p->vCentre);
      else if (p == goal)
        e = BSTAR_Distance2D(goalPoint, r->vCentre);
      else
        e = BSTAR_LinkWeightFrom(link, r);
      const float g = q->g + e;
      if (!Visited(s, p)) {
        BSTAR_SEARCHRECORD* n = TakeRecord(s);
        if (!n) {
          PLAT_Trace("BSTAR_FindPath: search records ran out\n");
          return 0;
        }
        *n = {link, p, q, g, 0.0f, 0.0f, 0, -1};
        // The goal is taken on first reaching it.
        if (p == goal) return BuildPath(s, n, path) ? 1 : 0;
        n->h = Evaluate(s, p);
        n->f = g + n->h;
        p->pSearch = n;
        p->dwSearchStamp = open;
        OpenInsert(s, n);
        continue;
      }
      BSTAR_SEARCHRECORD* n = p->pSearch;
      if (!(n->g > g)) continue;
      const bool inOpen = n->nHeap >= 0;
      const float oldF = n->f;
      n->g = g;
      n->h = Evaluate(s, p);
      n->pParent = q;
      n->pVia = link;
      n->f = g + n->h;
      if (inOpen) {
        // Forward past the records of greater or equal f: in front of its equals.
        n->nSeq = --s->nSeqFront;
        SiftUp(s, n->nHeap);
        MaxLowered(s, oldF, n->f);
      } else {
        OpenInsert(s, n);
      }
      p->dwSearchStamp = open;
    }
    r->dwSearchStamp = closed;
  }
  return 0;
}

}  // namespace

BSTAR_SearchSpace* BSTAR_CreateSearchSpace(SGE_MEMBLOCK* block, BSTAR_Network* network,
                                           int32_t records, int32_t cells, int32_t reserve,
                                           int32_t spare) {
  if (!block || records <= 0 || cells < 0 || reserve < cells) {
    PLAT_Trace("BSTAR_CreateSearchSpace: bad counts %d, %d, %d\n", records, cells, reserve);
    return nullptr;
  }
  auto* s = static_cast<BSTAR_SearchSpace*>(SGE_MemCalloc(block, sizeof(BSTAR_SearchSpace)));
  if (!s) return nullptr;
  s->pNetwork = network;
  s->pBlock = block;
  for (;;) {
    s->pRecords = static_cast<BSTAR_SEARCHRECORD*>(
        SGE_MemAlloc(block, static_cast<uint32_t>(records * sizeof(BSTAR_SEARCHRECORD))));
    s->ppOpen = s->pRecords ? static_cast<BSTAR_SEARCHRECORD**>(SGE_MemAlloc(
                                  block, static_cast<uint32_t>(records * sizeof(BSTAR_SEARCHRECORD*))))
                            : nullptr;
    if (s->ppOpen) break;
    if (s->pRecords) SGE_MemFree(s->pRecords);
    s->pRecords = nullptr;
    records -= kRecordRetryStep;
    if (records <= kRecordFloor) {
      PLAT_Trace("BSTAR_CreateSearchSpace: no memory for search records\n");
      SGE_MemFree(s);
      return nullptr;
    }
  }
  SGE_ListInit(&s->lFreeCells);
  if (reserve > 0) {
    s->pCells = static_cast<BSTAR_PATHCELL*>(
        SGE_MemAlloc(block, static_cast<uint32_t>(reserve * sizeof(BSTAR_PATHCELL))));
    if (!s->pCells) {
      PLAT_Trace("BSTAR_CreateSearchSpace: no memory for %d path cells\n", reserve);
      BSTAR_DestroySearchSpace(s);
      return nullptr;
    }
    for (int32_t i = 0; i < cells; ++i) SGE_ListAddTail(&s->lFreeCells, &s->pCells[i].link);
  }
  s->nRecords = records;
  s->nCells = cells;
  s->nReserve = reserve;
  s->nSpare = spare;
  s->dwLowStamp = 2;
  s->dwStamp = 3;
  // Stamps of a network met before start above the new low stamp would read as visited.
  if (network)
    for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) node->dwSearchStamp = 0;
  return s;
}

void BSTAR_DestroySearchSpace(BSTAR_SearchSpace* space) {
  if (!space) return;
  if (space->pCells) SGE_MemFree(space->pCells);
  if (space->ppOpen) SGE_MemFree(space->ppOpen);
  if (space->pRecords) SGE_MemFree(space->pRecords);
  SGE_MemFree(space);
}

int32_t BSTAR_FindPath(BSTAR_SearchSpace* space, BSTAR_Node* start, BSTAR_Node* goal,
                       SGE_DLLNODE* path, uint32_t allowedType, const SPW_VECTOR* startPoint,
                       const SPW_VECTOR* goalPoint, float unitRadius) {
  if (!space || !start || !goal || !path) return 0;
  space->pGoal = goal;
  space->pClosest = nullptr;
  space->nSeqBack = space->nSeqFront = 0;
  const int32_t found = Search(space, start, goal, path, allowedType,
                               startPoint ? *startPoint : start->vCentre,
                               goalPoint ? *goalPoint : goal->vCentre, unitRadius);
  AdvanceStamps(space);
  return found;
}

BSTAR_Node* BSTAR_GetClosestNode(BSTAR_SearchSpace* space) {
  return space ? space->pClosest : nullptr;
}

void BSTAR_FreePath(BSTAR_SearchSpace* space, SGE_DLLNODE* path) {
  if (space && path) SGE_ListAppendList(&space->lFreeCells, path);
}

BSTAR_PATHCELL* BSTAR_PathFirst(const SGE_DLLNODE* path) {
  return SGE_ListFirstRecord<BSTAR_PATHCELL>(path);
}

BSTAR_PATHCELL* BSTAR_PathLast(const SGE_DLLNODE* path) {
  return SGE_ListLastRecord<BSTAR_PATHCELL>(path);
}

BSTAR_PATHCELL* BSTAR_PathNext(const SGE_DLLNODE* path, const BSTAR_PATHCELL* cell) {
  return SGE_ListNextRecord(path, cell);
}
