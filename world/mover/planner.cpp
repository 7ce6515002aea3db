// The mission's path planner: the pools of movement records and requests, the listeners that
// hear about trigger regions, and the kind-32 points that movers pick random targets from.
#include <cstring>

#include "platform/trace.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/mission/context.h"
#include "world/mover/internal.h"

namespace {

struct ListenerCell {
  SGE_DLLNODE link;
  SGE_TASK* pTask;
};

template <typename T>
T* PopAs(SGE_DLLNODE* head) {
  return SGE_ListRecord<T>(SGE_ListPopHead(head));
}

// A zeroed record from the free list, else from the planner's block.
template <typename T>
T* Take(VNMOVER_PLANNER* planner, SGE_DLLNODE* freeList, const char* what) {
  T* item = PopAs<T>(freeList);
  if (!item) item = static_cast<T*>(SGE_MemAlloc(planner->pBlock, sizeof(T)));
  if (!item) {
    PLAT_Trace("VNMOVER: no movement %s left\n", what);
    return nullptr;
  }
  std::memset(item, 0, sizeof(*item));
  SGE_ListInit(&item->link);
  return item;
}

void FreeAll(SGE_DLLNODE* head) {
  while (SGE_DLLNODE* n = SGE_ListPopHead(head)) SGE_MemFree(n);
}

int32_t CountPoint(BSTAR_Network*, BSTAR_Node* node, void* user) {
  if (BSTAR_NodeKind(node) == BSTAR_KIND_PLANNER) ++*static_cast<int32_t*>(user);
  return 1;
}

void CollectPoints(VNMOVER_PLANNER* planner) {
  int32_t count = 0;
  BSTAR_ForEachNode(planner->pNetwork, CountPoint, &count);
  if (count == 0) return;
  planner->pPoints = static_cast<float*>(
      SGE_MemAlloc(planner->pBlock, static_cast<uint32_t>(count) * 3 * sizeof(float)));
  if (!planner->pPoints) {
    PLAT_Trace("vnMOVER_CreatePathPlanner: no room for %d planner points\n", count);
    return;
  }
  for (BSTAR_Node* n = BSTAR_FindNodeByTag(planner->pNetwork, BSTAR_KIND_PLANNER); n;
       n = BSTAR_NextNodeByTag(planner->pNetwork, n)) {
    float* p = planner->pPoints + 3 * planner->nPoints++;
    p[0] = n->vCentre.x;
    p[1] = n->vCentre.y;
    p[2] = n->vCentre.z;
  }
}

ListenerCell* FindListener(VNMOVER_PLANNER* planner, SGE_TASK* task) {
  for (ListenerCell* cell : SGE_ListRecords<ListenerCell>(&planner->listeners))
    if (cell->pTask == task) return cell;
  return nullptr;
}

// Every listener until one answers 0.
void TellListeners(VNMOVER_PLANNER* planner, int32_t msg, BSTAR_Node* region,
                   VNMOVER_RECORD* record) {
  // A listener may remove itself while it answers.
  for (ListenerCell* cell : SGE_ListRecords<ListenerCell>(&planner->listeners))
    if (!SGE_Send(cell->pTask, msg, SGE_PtrParam(region), SGE_PtrParam(record)))
      return;
}

bool IsTrigger(const BSTAR_Node* region) {
  return region && (region->dwFlags & VNMOVER_REGION_TRIGGER);
}

}  // namespace

VNMOVER_PLANNER* vnMOVER_CreatePathPlanner(SGE_MEMBLOCK* block, SPW_SCENE* scene,
                                           BSTAR_Network* network, float scale) {
  if (!block) {
    PLAT_Trace("vnMOVER_CreatePathPlanner: no memory block\n");
    return nullptr;
  }
  auto* planner = static_cast<VNMOVER_PLANNER*>(SGE_MemCalloc(block, sizeof(VNMOVER_PLANNER)));
  if (!planner) {
    PLAT_Trace("vnMOVER_CreatePathPlanner: no room for the planner\n");
    return nullptr;
  }
  planner->pBlock = block;
  SGE_ListInit(&planner->listeners);
  SGE_ListInit(&planner->freeRecords);
  SGE_ListInit(&planner->freeRequests);
  SGE_ListInit(&planner->records);
  planner->fScale = scale;
  planner->fInvScale = scale != 0.0f ? 1.0f / scale : 0.0f;
  planner->pScene = scene;
  planner->pNetwork = network;
  planner->pSearch = network ? network->pSearch : nullptr;
  if (network) CollectPoints(planner);
  vnMISSION_Context().pPlanner = planner;
  return planner;
}

void vnMOVER_DestroyPathPlanner(VNMOVER_PLANNER* planner) {
  if (!planner) return;
  while (VNMOVER_RECORD* record = SGE_ListFirstRecord<VNMOVER_RECORD>(&planner->records)) {
    vnMOVER_DropRequests(record);
    SGE_ListUnlink(&record->link);
    SGE_MemFree(record);
  }
  FreeAll(&planner->freeRecords);
  FreeAll(&planner->freeRequests);
  FreeAll(&planner->listeners);
  SGE_MemFree(planner->pPoints);
  if (vnMISSION_Context().pPlanner == planner) vnMISSION_Context().pPlanner = nullptr;
  SGE_MemFree(planner);
}

VNMOVER_PLANNER* vnMOVER_GetPathPlanner() { return vnMISSION_Context().pPlanner; }

int32_t vnMOVER_AddListener(VNMOVER_PLANNER* planner, SGE_TASK* task) {
  if (!planner || !task || FindListener(planner, task)) return 0;
  auto* cell = static_cast<ListenerCell*>(SGE_MemAlloc(planner->pBlock, sizeof(ListenerCell)));
  if (!cell) {
    PLAT_Trace("vnMOVER_AddListener: no room for a listener\n");
    return 0;
  }
  cell->pTask = task;
  SGE_ListAddTail(&planner->listeners, &cell->link);
  SGE_Send(task, SGM_MOVER_LISTENER_ADDED, SGE_PtrParam(planner), 0);
  return 1;
}

int32_t vnMOVER_RemoveListener(VNMOVER_PLANNER* planner, SGE_TASK* task) {
  ListenerCell* cell = planner ? FindListener(planner, task) : nullptr;
  if (!cell) return 0;
  SGE_ListUnlink(&cell->link);
  SGE_MemFree(cell);
  SGE_Send(task, SGM_MOVER_LISTENER_REMOVED, SGE_PtrParam(planner), 0);
  return 1;
}

VNMOVER_RECORD* vnMOVER_TakeRecord(VNMOVER_PLANNER* planner) {
  auto* record = planner ? Take<VNMOVER_RECORD>(planner, &planner->freeRecords, "record") : nullptr;
  if (!record) return nullptr;
  record->pPlanner = planner;
  SGE_ListInit(&record->requests);
  SGE_ListAddTail(&planner->records, &record->link);
  return record;
}

void vnMOVER_ReturnRecord(VNMOVER_RECORD* record) {
  if (!record || !record->pPlanner) return;
  vnMOVER_DropRequests(record);
  SGE_ListUnlink(&record->link);
  record->pOwner = nullptr;
  SGE_ListAddHead(&record->pPlanner->freeRecords, &record->link);
}

VNMOVER_REQUEST* vnMOVER_TakeRequest(VNMOVER_PLANNER* planner) {
  return planner ? Take<VNMOVER_REQUEST>(planner, &planner->freeRequests, "request") : nullptr;
}

void vnMOVER_ReturnRequest(VNMOVER_PLANNER* planner, VNMOVER_REQUEST* request) {
  if (!planner || !request) return;
  SGE_ListUnlink(&request->link);
  request->pRecord = nullptr;
  SGE_ListAddHead(&planner->freeRequests, &request->link);
}

void vnMOVER_ChangeRegion(VNMOVER_RECORD* record, BSTAR_Node* region) {
  BSTAR_Node* old = record->pRegion;
  if (old == region) return;
  record->pRegion = region;
  VNMOVER_PLANNER* planner = record->pPlanner;
  if (old) {
    vnMOVER_Notify(record, SGM_MOVER_LEFT_REGION, SGE_PtrParam(record),
                   SGE_PtrParam(old));
    if (IsTrigger(old) && planner) TellListeners(planner, SGM_MOVER_TRIGGER_LEFT, old, record);
  }
  if (region) {
    vnMOVER_Notify(record, SGM_MOVER_ENTERED_REGION, SGE_PtrParam(record),
                   SGE_PtrParam(region));
    if (IsTrigger(region) && planner)
      TellListeners(planner, SGM_MOVER_TRIGGER_ENTERED, region, record);
  }
}

BSTAR_Network* vnMOVER_Network(const VNMOVER_RECORD* record) {
  return record && record->pPlanner ? record->pPlanner->pNetwork : nullptr;
}
