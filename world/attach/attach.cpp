// The attachment pool, the nodes and the draw lists they hang on.
#include "world/attach/attach.h"

#include <cstring>

#include "engine/tess/viewstack.h"
#include "engine/vdisplay/vdisplay.h"
#include "platform/trace.h"

namespace {

struct Pool {
  VNFX_ATTACHNODE* pNodes;
  SGE_DLLNODE freeNodes;
  int32_t nFree;
  int32_t nTotal;
  SGE_MEMBLOCK* pBlock;
};
Pool g_pool;

VNFX_ATTACHNODE* First(VNFX_ATTACHLIST* list) {
  return SGE_ListFirstRecord<VNFX_ATTACHNODE>(&list->nodes);
}
VNFX_ATTACHNODE* Next(VNFX_ATTACHLIST* list, VNFX_ATTACHNODE* node) {
  return SGE_ListNextRecord(&list->nodes, node);
}

void ResetViewStacks() {
  SPW_MatStackReset(&SPW_ViewStack);
  SPW_MatStackReset(&SPW_CameraStack);
}

void Visit(VNFX_ATTACHNODE* node) {
  if (node->fFlags & VNFX_ATTACH_TASK) {
    SGE_SendMessage(node->pTask, node->pRecord, SGM_TASK_DRAW, SGE_PtrParam(node),
                    0);
  } else if ((node->fFlags & VNFX_ATTACH_FUNCTION) && node->pfnDraw) {
    if (node->pfnDraw(node, node->user) != VNFX_ATTACH_KEEP) vnFX_AttachNodeRelease(node);
  }
}

// A handler may release any node of the list, the one after the current included, or destroy
// the list: the cursor lives in the list so that a release can move it on.
void VisitNodes(VNFX_ATTACHLIST* list) {
  list->pCursor = First(list);
  while (VNFX_ATTACHNODE* node = list->pCursor) {
    list->pCursor = Next(list, node);
    Visit(node);
  }
}

}  // namespace

int32_t vnFX_AttachPoolInit(SGE_MEMBLOCK* block, int32_t count) {
  if (g_pool.pNodes) vnFX_AttachPoolFree();
  ResetViewStacks();
  g_pool = Pool{};
  SGE_ListInit(&g_pool.freeNodes);
  if (!block || count <= 0) return 0;
  const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(VNFX_ATTACHNODE);
  void* nodes = bytes <= UINT32_MAX ? SGE_MemCalloc(block, static_cast<uint32_t>(bytes)) : nullptr;
  if (!nodes) {
    PLAT_Trace("vnFX_AttachPoolInit: no room for %d nodes\n", count);
    return 0;
  }
  g_pool.pNodes = static_cast<VNFX_ATTACHNODE*>(nodes);
  g_pool.pBlock = block;
  g_pool.nTotal = count;
  g_pool.nFree = count;
  for (int32_t i = 0; i < count; ++i) SGE_ListAddTail(&g_pool.freeNodes, &g_pool.pNodes[i].link);
  return 1;
}

void vnFX_AttachPoolFree() {
  // Nodes still on a list leave it first, so that no list keeps links into the freed block.
  for (int32_t i = 0; i < g_pool.nTotal; ++i) vnFX_AttachNodeRelease(&g_pool.pNodes[i]);
  SGE_ListInit(&g_pool.freeNodes);
  SPW_MatStackPop(&SPW_ViewStack);
  SPW_MatStackPop(&SPW_CameraStack);
  if (g_pool.pNodes) SGE_MemFree(g_pool.pNodes);
  g_pool = Pool{};
  SGE_ListInit(&g_pool.freeNodes);
}

int32_t vnFX_AttachPoolFreeCount() { return g_pool.nFree; }

VNFX_ATTACHNODE* vnFX_AttachNodeAcquire(VNFX_ATTACHLIST* list, void* data, SGE_PARAM extra,
                                        int32_t value, int32_t flags) {
  if (!list || g_pool.nFree <= 0) return nullptr;
  auto* node = SGE_ListRecord<VNFX_ATTACHNODE>(SGE_ListPopHead(&g_pool.freeNodes));
  if (!node) return nullptr;
  --g_pool.nFree;
  node->pOwner = list;
  node->fFlags = flags;
  node->nValue = value;
  node->pTask = static_cast<SGE_TASK*>(data);
  node->user = extra;
  if ((flags & VNFX_ATTACH_TASK) && node->pRecord) SGE_RetainDataRef(node->pRecord);
  SGE_ListAddTail(&list->nodes, &node->link);
  ++list->nCount;
  return node;
}

VNFX_ATTACHNODE* vnFX_AttachTask(VNFX_ATTACHLIST* list, SGE_TASK* task, SGE_DATAREF* record,
                                 int32_t value) {
  return vnFX_AttachNodeAcquire(list, task, SGE_PtrParam(record), value,
                                VNFX_ATTACH_TASK);
}

VNFX_ATTACHNODE* vnFX_AttachFunction(VNFX_ATTACHLIST* list, VNFX_ATTACHFN fn, SGE_PARAM user,
                                     int32_t value) {
  VNFX_ATTACHNODE* node = vnFX_AttachNodeAcquire(list, nullptr, user, value, VNFX_ATTACH_FUNCTION);
  if (node) node->pfnDraw = fn;
  return node;
}

int32_t vnFX_AttachNodeRelease(VNFX_ATTACHNODE* node) {
  // A free node has no owner: a second release must not put it on the free list twice.
  if (!node || !node->pOwner) return 0;
  VNFX_ATTACHLIST* list = node->pOwner;
  if (list->pCursor == node) list->pCursor = Next(list, node);
  SGE_ListUnlink(&node->link);
  --list->nCount;
  SGE_DATAREF* record = (node->fFlags & VNFX_ATTACH_TASK) ? node->pRecord : nullptr;
  std::memset(static_cast<void*>(node), 0, sizeof *node);
  SGE_ListAddTail(&g_pool.freeNodes, &node->link);
  ++g_pool.nFree;
  if (record) SGE_ReleaseDataRef(record);
  return 1;
}

VNFX_ATTACHLIST* vnFX_AttachListCreate(SPW_DISPLAYNODE* node, uint32_t priority) {
  if (!node) return nullptr;
  SGE_DATAREF* ref = SGE_CreateDataRef(nullptr, sizeof(VNFX_ATTACHLIST));
  if (!ref) {
    PLAT_Trace("vnFX_AttachListCreate: no memory for a draw list\n");
    return nullptr;
  }
  auto* list = static_cast<VNFX_ATTACHLIST*>(ref->pData);
  std::memset(static_cast<void*>(list), 0, sizeof *list);
  SGE_ListInit(&list->nodes);
  list->pNode = node;
  list->pCallback = SPW_AddDisplayNode(node, vnFX_AttachListDraw, priority, ref);
  // The callback holds its own count: ours goes either way, and with it the list on failure.
  SGE_ReleaseDataRef(ref);
  if (!list->pCallback) {
    PLAT_Trace("vnFX_AttachListCreate: the render callback could not be added\n");
    return nullptr;
  }
  return list;
}

void vnFX_AttachListDestroy(VNFX_ATTACHLIST* list) {
  if (!list) return;
  while (VNFX_ATTACHNODE* node = First(list)) vnFX_AttachNodeRelease(node);
  SPW_DISPLAYCB* cb = list->pCallback;
  list->pCallback = nullptr;
  list->pNode = nullptr;
  // Frees the list with the callback's count, unless a draw under way still holds one.
  SPW_FreeDisplayCallback(cb);
}

SPW_DISPLAYNODE* vnFX_AttachNodeGetDrawRecord(const VNFX_ATTACHNODE* node) {
  return (node && node->pOwner) ? node->pOwner->pNode : nullptr;
}

int32_t vnFX_AttachListDraw(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF* data) {
  auto* list = data ? static_cast<VNFX_ATTACHLIST*>(data->pData) : nullptr;
  const SPW_VDISPLAY* view = node ? SPW_GetVDisplay(node) : nullptr;
  if (!node || !node->pDisplay || !view || !list) return -1;
  // A handler that destroys the list must not free it under the loop.
  SGE_RetainDataRef(data);
  SPW_MatStackPush(&SPW_ViewStack, &view->mView);
  SPW_MatStackPush(&SPW_CameraStack, &view->mCamera);
  VisitNodes(list);
  SPW_MatStackPop(&SPW_ViewStack);
  SPW_MatStackPop(&SPW_CameraStack);
  SGE_ReleaseDataRef(data);
  return 1;
}
