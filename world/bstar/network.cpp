// The network's nodes and links in its own memory block: adding, merging, linking, unlinking,
// iterating; and the block's life from construction to destruction.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/trace.h"
#include "world/bstar/internal.h"
#include "world/bstar/search.h"

BSTAR_Network* BSTAR_CurrentNetwork = nullptr;

namespace {

// The network's own search workspace.
constexpr int32_t kSearchParams[4] = {800, 2000, 10000, 10};
constexpr uint32_t kFirstIdTable = 256;

uint32_t HashId(uint32_t id) { return id * 2654435761u; }

bool GrowIndex(BSTAR_Network* network, uint32_t size) {
  auto* table = static_cast<BSTAR_Node**>(SGE_MemCalloc(network->pBlock, size * sizeof(BSTAR_Node*)));
  if (!table) {
    PLAT_Trace("BSTAR: no memory for a node index of %u entries\n", size);
    return false;
  }
  BSTAR_Node** old = network->ppIdTable;
  const uint32_t oldSize = network->dwIdTableSize;
  network->ppIdTable = table;
  network->dwIdTableSize = size;
  network->dwIdCount = 0;
  for (uint32_t i = 0; i < oldSize; ++i)
    if (old[i]) BSTAR_IndexNode(network, old[i]);
  if (old) SGE_MemFree(old);
  return true;
}

BSTAR_LINKCELL* AddCell(BSTAR_Network* network, BSTAR_Node* node, BSTAR_Link* link) {
  auto* cell = static_cast<BSTAR_LINKCELL*>(SGE_MemAlloc(network->pBlock, sizeof(BSTAR_LINKCELL)));
  if (!cell) return nullptr;
  cell->pLink = link;
  SGE_ListAddTail(&node->lLinks, &cell->link);
  return cell;
}

BSTAR_LINKCELL* FindCell(BSTAR_Node* node, const BSTAR_Link* link) {
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks))
    if (cell->pLink == link) return cell;
  return nullptr;
}

// This node's link to a node of the given id.
BSTAR_Link* LinkToId(BSTAR_Node* node, uint32_t id) {
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks))
    if (BSTAR_LinkOther(cell->pLink, node)->dwId == id) return cell->pLink;
  return nullptr;
}

// The weight a side still waits for arrives with the line of that side's node.
void CompleteLink(BSTAR_Link* link, const BSTAR_Node* node, float weight) {
  if (link->pX == node && (link->dwFlags & BSTAR_LINK_WAIT_X)) {
    link->dwFlags &= ~BSTAR_LINK_WAIT_X;
    link->fWeightX = weight;
  } else if (link->pY == node && (link->dwFlags & BSTAR_LINK_WAIT_Y)) {
    link->dwFlags &= ~BSTAR_LINK_WAIT_Y;
    link->fWeightY = weight;
  }
}

// A new link from node a (X) to node b (Y), in both lists.
BSTAR_Link* MakeLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b,
                     const BSTAR_LINKDESC* desc) {
  auto* link = static_cast<BSTAR_Link*>(SGE_MemAlloc(network->pBlock, sizeof(BSTAR_Link)));
  if (!link) return nullptr;
  link->dwFlags = desc->dwFlags;
  link->fWeightX = (desc->dwFlags & BSTAR_LINK_WAIT_X) ? BSTAR_DEFAULT_WEIGHT : desc->fWeight;
  link->fWeightY = (desc->dwFlags & BSTAR_LINK_WAIT_Y) ? BSTAR_DEFAULT_WEIGHT : desc->fWeight;
  link->dwType = desc->dwType;
  link->dwExtra = desc->dwExtra;
  link->pX = a;
  link->pY = b;
  BSTAR_LINKCELL* inB = AddCell(network, b, link);
  if (!inB || !AddCell(network, a, link)) {
    if (inB) {
      SGE_ListUnlink(&inB->link);
      SGE_MemFree(inB);
    }
    SGE_MemFree(link);
    return nullptr;
  }
  return link;
}

void UnlinkFrom(BSTAR_Node* node, const BSTAR_Link* link) {
  while (BSTAR_LINKCELL* cell = FindCell(node, link)) {
    SGE_ListUnlink(&cell->link);
    SGE_MemFree(cell);
  }
}

void FreeLink(BSTAR_Link* link) {
  UnlinkFrom(link->pX, link);
  UnlinkFrom(link->pY, link);
  SGE_MemFree(link);
}

// Regions whose outline runs through a vertex that is going away lose their outline until the
// outlines are derived again.
void DropOutlinesThrough(BSTAR_Network* network, const BSTAR_Node* vertex) {
  for (BSTAR_Node* region : BSTAR_NetworkNodes(&network->lNodes))
    for (int32_t i = 0; i < region->nOutlineCount; ++i)
      if (network->ppVertices[region->nOutlineFirst + i] == vertex) {
        region->nOutlineCount = 0;
        break;
      }
}

BSTAR_Network* MakeRecord(SGE_MEMBLOCK* block, SPW_SCENE* scene) {
  auto* network = static_cast<BSTAR_Network*>(SGE_MemCalloc(block, sizeof(BSTAR_Network)));
  if (!network) return nullptr;
  network->pBlock = block;
  network->pFeatureScene = scene;
  network->pScene = scene;
  SGE_ListInit(&network->lNodes);
  SGE_ListInit(&network->lPendingDynamic);
  if (!GrowIndex(network, kFirstIdTable)) return nullptr;
  return network;
}

BSTAR_SearchSpace* MakeSearch(BSTAR_Network* network, const int32_t params[4]) {
  for (int i = 0; i < 4; ++i) network->aSearchParams[i] = params[i];
  network->pSearch = BSTAR_CreateSearchSpace(network->pBlock, network, params[0], params[1],
                                             params[2], params[3]);
  return network->pSearch;
}

}  // namespace

bool BSTAR_IndexNode(BSTAR_Network* network, BSTAR_Node* node) {
  if ((network->dwIdCount + 1) * 2 > network->dwIdTableSize &&
      !GrowIndex(network, network->dwIdTableSize * 2))
    return false;
  const uint32_t mask = network->dwIdTableSize - 1;
  for (uint32_t i = HashId(node->dwId) & mask;; i = (i + 1) & mask) {
    if (!network->ppIdTable[i]) {
      network->ppIdTable[i] = node;
      ++network->dwIdCount;
      return true;
    }
    // Two nodes of one id: the first keeps the slot, as the list finds it first.
    if (network->ppIdTable[i]->dwId == node->dwId) return true;
  }
}

void BSTAR_UnindexNode(BSTAR_Network* network, const BSTAR_Node* node) {
  const uint32_t mask = network->dwIdTableSize - 1;
  uint32_t i = HashId(node->dwId) & mask;
  while (network->ppIdTable[i] && network->ppIdTable[i] != node) i = (i + 1) & mask;
  if (!network->ppIdTable[i]) return;
  network->ppIdTable[i] = nullptr;
  --network->dwIdCount;
  // Re-seat the run after the hole so that probes still reach every entry.
  for (uint32_t j = (i + 1) & mask; network->ppIdTable[j]; j = (j + 1) & mask) {
    BSTAR_Node* moved = network->ppIdTable[j];
    network->ppIdTable[j] = nullptr;
    --network->dwIdCount;
    BSTAR_IndexNode(network, moved);
  }
  // Another node of the same id becomes findable again.
  for (BSTAR_Node* other : BSTAR_NetworkNodes(&network->lNodes))
    if (other != node && other->dwId == node->dwId) {
      BSTAR_IndexNode(network, other);
      break;
    }
}

bool BSTAR_RebuildIndex(BSTAR_Network* network) {
  std::memset(network->ppIdTable, 0, network->dwIdTableSize * sizeof(BSTAR_Node*));
  network->dwIdCount = 0;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    if (!BSTAR_IndexNode(network, node)) return false;
  return true;
}

BSTAR_Node* BSTAR_FindNodeById(BSTAR_Network* network, uint32_t id) {
  if (!network) return nullptr;
  const uint32_t mask = network->dwIdTableSize - 1;
  for (uint32_t i = HashId(id) & mask; network->ppIdTable[i]; i = (i + 1) & mask)
    if (network->ppIdTable[i]->dwId == id) return network->ppIdTable[i];
  return nullptr;
}

void BSTAR_AddErrorLabel(BSTAR_Network* network, const char* fmt, ...) {
  if (network->nErrors >= BSTAR_MAX_ERRORS) return;
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(network->aszErrors[network->nErrors++], BSTAR_ERROR_SIZE, fmt, args);
  va_end(args);
}

float BSTAR_Distance2D(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

float BSTAR_Distance3D(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                   (a.z - b.z) * (a.z - b.z));
}

BSTAR_Node* BSTAR_MakeNode(BSTAR_Network* network, const BSTAR_Node* record) {
  auto* node = static_cast<BSTAR_Node*>(SGE_MemAlloc(network->pBlock, sizeof(BSTAR_Node)));
  if (!node) return nullptr;
  *node = *record;
  node->pSearch = nullptr;
  node->dwSearchStamp = 0;
  node->pFeatures = nullptr;
  node->szName[BSTAR_NAME_SIZE - 1] = '\0';
  SGE_ListInit(&node->lLinks);
  SGE_ListAddTail(&network->lNodes, &node->lNetwork);
  if (!BSTAR_IndexNode(network, node)) {
    SGE_ListUnlink(&node->lNetwork);
    SGE_MemFree(node);
    return nullptr;
  }
  return node;
}

BSTAR_Network* BSTAR_NetworkConstruct(SGE_MEMBLOCK* missionBlock, uint32_t size, SPW_SCENE* scene,
                                      const char* mission) {
  BSTAR_CurrentNetwork = nullptr;
  void* chunk = SGE_MemAlloc(missionBlock, size);
  if (!chunk) {
    PLAT_Trace("BSTAR: no %u bytes for the network of %s\n", size, mission ? mission : "?");
    return nullptr;
  }
  SGE_MEMBLOCK* outer = SGE_FormatMemBlock(chunk, size, "BSTAR_NetConstructorMB");
  SGE_MEMSTATS stats{};
  if (outer) SGE_GetMemBlockStats(&stats, outer);
  void* inner = outer ? SGE_MemAlloc(outer, stats.dwLargestFree) : nullptr;
  SGE_MEMBLOCK* block = inner ? SGE_FormatMemBlock(inner, stats.dwLargestFree, "BSTAR_NetMB") : nullptr;
  BSTAR_Network* network = block ? MakeRecord(block, scene) : nullptr;
  if (!network) {
    PLAT_Trace("BSTAR: cannot lay out the network's blocks in %u bytes\n", size);
    if (outer) SGE_ReleaseMemBlock(outer);
    SGE_MemFree(chunk);
    return nullptr;
  }
  network->pConstructBlock = outer;
  network->pConstructChunk = chunk;

  char path[512];
  std::snprintf(path, sizeof path, "missions/%s/bstarnetwork.txt", mission ? mission : "");
  if (!BSTAR_NetworkLoadFile(scene, network, path))
    PLAT_Trace("BSTAR: the network of %s holds what %s gave\n", mission ? mission : "?", path);
  if (!MakeSearch(network, kSearchParams)) {
    PLAT_Trace("BSTAR: no search workspace for the network of %s\n", mission ? mission : "?");
    BSTAR_NetworkDestroy(network);
    return nullptr;
  }
  BSTAR_DeriveOutlines(network);
  BSTAR_BuildHierarchyKind0(network);
  BSTAR_BuildHierarchyKind2(network);
  BSTAR_CurrentNetwork = network;
  return network;
}

void BSTAR_NetworkDestroy(BSTAR_Network* network) {
  if (!network) return;
  if (BSTAR_CurrentNetwork == network) BSTAR_CurrentNetwork = nullptr;
  SGE_MEMBLOCK* outer = network->pConstructBlock;
  void* chunk = network->pConstructChunk;
  SGE_ReleaseMemBlock(outer);
  SGE_MemFree(chunk);
}

int32_t BSTAR_NetworkClear(BSTAR_Network* network) {
  if (!network) return 0;
  SGE_MEMBLOCK* block = network->pBlock;
  SPW_SCENE* scene = network->pScene;
  SGE_MEMBLOCK* outer = network->pConstructBlock;
  void* chunk = network->pConstructChunk;
  int32_t params[4];
  std::memcpy(params, network->aSearchParams, sizeof params);
  const uint32_t size = block->dwTotalSize;
  // The record was the block's first allocation, so a fresh block gives it the same address.
  block = SGE_FormatMemBlock(block, size, "BSTAR_NetMB");
  BSTAR_Network* fresh = block ? MakeRecord(block, scene) : nullptr;
  if (fresh != network) {
    PLAT_Trace("BSTAR_NetworkClear: the network record moved\n");
    return 0;
  }
  network->pConstructBlock = outer;
  network->pConstructChunk = chunk;
  return MakeSearch(network, params) ? 1 : 0;
}

BSTAR_Link* BSTAR_FindLink(const BSTAR_Node* a, const BSTAR_Node* b) {
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&a->lLinks))
    if (BSTAR_LinkOther(cell->pLink, a) == b) return cell->pLink;
  return nullptr;
}

BSTAR_Node* BSTAR_NetworkAddNode(BSTAR_Network* network, const BSTAR_Node* record,
                                 const BSTAR_LINKDESC* links, int32_t count) {
  BSTAR_Node* node = BSTAR_FindNodeById(network, record->dwId);
  if (node) {
    if ((node->dwFlags & BSTAR_NODE_PLACEHOLDER) && !(record->dwFlags & BSTAR_NODE_PLACEHOLDER)) {
      SGE_DLLNODE inList = node->lNetwork, linkList = node->lLinks;
      BSTAR_FEATURELIST* features = node->pFeatures;
      *node = *record;
      node->lNetwork = inList;
      node->lLinks = linkList;
      node->pFeatures = features;
      node->pSearch = nullptr;
      node->dwSearchStamp = 0;
      node->szName[BSTAR_NAME_SIZE - 1] = '\0';
    }
  } else {
    node = BSTAR_MakeNode(network, record);
    if (!node) {
      PLAT_Trace("BSTAR: no memory for node %u\n", record->dwId);
      return nullptr;
    }
  }
  if (record->dwId >= network->dwNextId) network->dwNextId = record->dwId + 1;

  for (int32_t i = 0; i < count; ++i) {
    const BSTAR_LINKDESC& d = links[i];
    if (d.dwOtherId == node->dwId) {
      PLAT_Trace("BSTAR: node %u links to itself; link skipped\n", node->dwId);
      continue;
    }
    if (BSTAR_Link* link = LinkToId(node, d.dwOtherId)) {
      CompleteLink(link, node, d.fWeight);
      continue;
    }
    BSTAR_Node* other = BSTAR_FindNodeById(network, d.dwOtherId);
    if (!other) {
      BSTAR_Node placeholder{};
      placeholder.dwId = d.dwOtherId;
      placeholder.dwFlags = BSTAR_NODE_PLACEHOLDER;
      other = BSTAR_MakeNode(network, &placeholder);
      if (!other) {
        PLAT_Trace("BSTAR: no memory for node %u; link skipped\n", d.dwOtherId);
        continue;
      }
      if (d.dwOtherId >= network->dwNextId) network->dwNextId = d.dwOtherId + 1;
    }
    if (BSTAR_Link* link = BSTAR_FindLink(other, node)) {
      CompleteLink(link, node, d.fWeight);
      if (!AddCell(network, node, link)) PLAT_Trace("BSTAR: no memory for a link of %u\n", node->dwId);
      continue;
    }
    if (!MakeLink(network, node, other, &d))
      PLAT_Trace("BSTAR: no memory for link %u-%u; skipped\n", node->dwId, d.dwOtherId);
  }
  return node;
}

BSTAR_Link* BSTAR_FindOrCreateLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b,
                                   const BSTAR_LINKDESC* desc) {
  if (!network || !a || !b || a == b) return nullptr;
  if (BSTAR_Link* link = BSTAR_FindLink(a, b)) return link;
  return MakeLink(network, a, b, desc);
}

int32_t BSTAR_RemoveLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b) {
  if (!network || !a || !b) return 0;
  BSTAR_Link* link = BSTAR_FindLink(a, b);
  if (!link) return 0;
  FreeLink(link);
  network->bDirty = 1;
  return 1;
}

int32_t BSTAR_RemoveNode(BSTAR_Network* network, BSTAR_Node* node) {
  if (!network || !node) return 0;
  while (BSTAR_LINKCELL* cell = SGE_ListFirstRecord<BSTAR_LINKCELL>(&node->lLinks))
    FreeLink(cell->pLink);
  for (BSTAR_NODECELL* cell : SGE_ListRecords<BSTAR_NODECELL>(&network->lPendingDynamic)) {
    if (cell->pNode == node) {
      SGE_ListUnlink(&cell->link);
      SGE_MemFree(cell);
    }
  }
  SGE_ListUnlink(&node->lNetwork);
  BSTAR_UnindexNode(network, node);
  BSTAR_ForgetTreeNode(network, node);
  if (BSTAR_NodeKind(node) == BSTAR_KIND_VERTEX) DropOutlinesThrough(network, node);
  if (node->pFeatures) SGE_MemFree(node->pFeatures);
  SGE_MemFree(node);
  network->bDirty = 1;
  return 1;
}

int32_t BSTAR_SplitLink(BSTAR_Network* network, BSTAR_Node* a, BSTAR_Node* b, BSTAR_Node* c,
                        uint32_t type) {
  if (!BSTAR_RemoveLink(network, a, b) || !c) return 0;
  BSTAR_LINKDESC ac{c->dwId, a->dwId, 0, BSTAR_Distance3D(c->vCentre, a->vCentre), type, 0};
  BSTAR_LINKDESC bc{c->dwId, b->dwId, 0, BSTAR_Distance3D(c->vCentre, b->vCentre), type, 0};
  const bool ok = BSTAR_FindOrCreateLink(network, a, c, &ac) && BSTAR_FindOrCreateLink(network, b, c, &bc);
  return ok ? 1 : 0;
}

int32_t BSTAR_CopyNodeLinks(BSTAR_Network* network, BSTAR_Node* target, BSTAR_Node* source) {
  if (!network || !target || !source || target == source) return 0;
  int32_t ok = 1;
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&source->lLinks)) {
    const BSTAR_Link* from = cell->pLink;
    BSTAR_Node* other = BSTAR_LinkOther(from, source);
    if (other == target || BSTAR_FindLink(target, other)) continue;
    BSTAR_LINKDESC d{other->dwId, target->dwId, 0, 0.0f, from->dwType, from->dwExtra};
    BSTAR_Link* link = MakeLink(network, target, other, &d);
    if (!link) {
      ok = 0;
      continue;
    }
    // The copy keeps each direction's weight: target stands where source stood.
    link->fWeightX = BSTAR_LinkWeightFrom(from, source);
    link->fWeightY = BSTAR_LinkWeightFrom(from, other);
    link->dwFlags = from->dwFlags & ~(BSTAR_LINK_WAIT_X | BSTAR_LINK_WAIT_Y);
  }
  return ok;
}

void BSTAR_ForEachNode(BSTAR_Network* network, BSTAR_NODEFN fn, void* user) {
  if (!network || !fn) return;
  // The function may remove its node.
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    if (!fn(network, node, user)) return;
}

void BSTAR_ForEachNodeLink(BSTAR_Network* network, BSTAR_Node* node, BSTAR_NODELINKFN fn,
                           void* user) {
  if (!network || !node || !fn) return;
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks))
    if (!fn(network, BSTAR_LinkOther(cell->pLink, node), cell->pLink, user)) return;
}

void BSTAR_ForEachLink(BSTAR_Network* network, BSTAR_LINKFN fn, void* user) {
  if (!network || !fn) return;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks)) {
      BSTAR_Link* link = cell->pLink;
      if (link->dwFlags & BSTAR_LINK_VISITED) continue;
      link->dwFlags |= BSTAR_LINK_VISITED;
      fn(network, link, user);
    }
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks))
      cell->pLink->dwFlags &= ~BSTAR_LINK_VISITED;
}

int32_t BSTAR_GetNeighbours(BSTAR_Network* network, BSTAR_Node* node, BSTAR_Node** out,
                            int32_t n) {
  if (!network || !node || !out) return 0;
  int32_t count = 0;
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks)) {
    if (count >= n) break;
    out[count++] = BSTAR_LinkOther(cell->pLink, node);
  }
  return count;
}
