// What movers, weapons and mission scripts ask of the network: regions at points, gates to
// aim for, nodes by name and kind, and run-time nodes.
#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/text.h"
#include "platform/trace.h"
#include "world/bstar/internal.h"
#include "world/bstar/search.h"

namespace {

// Regions that FindNodeAtPoint tries, and regions a near search walks before it gives up.
constexpr int32_t kPointCandidates = 500;
constexpr int32_t kNearQueue = 30;
constexpr uint32_t kDefaultGateMask = BSTAR_JUNC_WALL | BSTAR_JUNC_DISABLED;

uint32_t g_gateMask = kDefaultGateMask;

bool NamesNeighbour(uint32_t word, uint32_t id) {
  return !(word & BSTAR_JUNC_WALL) &&
         ((word >> BSTAR_JUNC_NEIGHBOUR_SHIFT) & BSTAR_JUNC_NEIGHBOUR_MASK) ==
             (id & BSTAR_JUNC_NEIGHBOUR_MASK);
}

uint32_t NeighbourOf(uint32_t word) {
  return (word >> BSTAR_JUNC_NEIGHBOUR_SHIFT) & BSTAR_JUNC_NEIGHBOUR_MASK;
}

// The edge of outline entry i: from the vertex before it to it.
void Edge(BSTAR_Network* network, const BSTAR_Node* region, int32_t i, SPW_VECTOR* a,
          SPW_VECTOR* b) {
  BSTAR_Node* const* v = network->ppVertices + region->nOutlineFirst;
  const int32_t n = region->nOutlineCount;
  *a = v[(i + n - 1) % n]->vCentre;
  *b = v[i]->vCentre;
}

// The usable part of a gate edge for a unit: the edge less its radius at each end; false when
// the edge is narrower than the unit.
bool ShortenedEdge(SPW_VECTOR* a, SPW_VECTOR* b, float radius) {
  const float dx = b->x - a->x, dy = b->y - a->y;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length < 2.0f * radius || length <= 0.0f) return false;
  const float ux = dx / length * radius, uy = dy / length * radius;
  *a = {a->x + ux, a->y + uy, 0.0f};
  *b = {b->x - ux, b->y - uy, 0.0f};
  return true;
}

SPW_VECTOR NearestOnSegment(const SPW_VECTOR& a, const SPW_VECTOR& b, const SPW_VECTOR& p) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0f;
  t = std::fmin(std::fmax(t, 0.0f), 1.0f);
  return {a.x + dx * t, a.y + dy * t, 0.0f};
}

float DistSq2D(const SPW_VECTOR& a, const SPW_VECTOR& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// Where ground segment p-q crosses ground segment a-b: the parameter along p-q.
bool Crossing(const SPW_VECTOR& p, const SPW_VECTOR& q, const SPW_VECTOR& a, const SPW_VECTOR& b,
              float* t) {
  const float rx = q.x - p.x, ry = q.y - p.y, sx = b.x - a.x, sy = b.y - a.y;
  const float denom = rx * sy - ry * sx;
  if (denom == 0.0f) return false;
  const float wx = a.x - p.x, wy = a.y - p.y;
  const float tp = (wx * sy - wy * sx) / denom;
  const float ta = (wx * ry - wy * rx) / denom;
  if (tp < 0.0f || tp > 1.0f || ta < 0.0f || ta > 1.0f) return false;
  *t = tp;
  return true;
}

// Each usable gate edge of region towards neighbour, shortened for the radius.
template <typename Fn>
void ForEachGateEdge(BSTAR_Network* network, const BSTAR_Node* region, const BSTAR_Node* neighbour,
                     float radius, Fn fn) {
  if (!network->pJunctions) return;
  for (int32_t i = 0; i < region->nOutlineCount; ++i) {
    const uint32_t word = network->pJunctions[region->nOutlineFirst + i];
    if (!NamesNeighbour(word, neighbour->dwId) || (word & 3 & g_gateMask)) continue;
    SPW_VECTOR a, b;
    Edge(network, region, i, &a, &b);
    if (ShortenedEdge(&a, &b, radius)) fn(a, b);
  }
}

bool NameIs(const BSTAR_Node* node, std::string_view name, size_t n) {
  std::string_view own(node->szName, strnlen(node->szName, BSTAR_NAME_SIZE));
  return PLAT_EqualNoCase(own.substr(0, n), name.substr(0, n));
}

}  // namespace

BSTAR_Node* BSTAR_FindNodeAtPoint(BSTAR_Network* network, const SPW_VECTOR* point) {
  if (!network || !point) return nullptr;
  BSTAR_Node* candidates[kPointCandidates];
  const int32_t n = BSTAR_FindCandidateRegions(network, point, 0.0f, candidates, kPointCandidates);
  for (int32_t i = 0; i < n; ++i)
    if (BSTAR_NodeContainsPoint(network, candidates[i], point)) return candidates[i];
  return nullptr;
}

int32_t BSTAR_NodeContainsPoint(BSTAR_Network* network, const BSTAR_Node* region,
                                const SPW_VECTOR* point) {
  if (!network || !region || !point || region->nOutlineCount <= 0) return 0;
  const float x = point->x, y = point->y;
  if (x < region->fMinX || x > region->fMaxX || y < region->fMinY || y > region->fMaxY) return 0;
  BSTAR_Node* const* v = network->ppVertices + region->nOutlineFirst;
  const int32_t n = region->nOutlineCount;
  bool inside = false;
  for (int32_t i = 0, j = n - 1; i < n; j = i++) {
    const SPW_VECTOR& a = v[i]->vCentre;
    const SPW_VECTOR& b = v[j]->vCentre;
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside ? 1 : 0;
}

BSTAR_Node* BSTAR_FindNodeNear(BSTAR_Network* network, BSTAR_Node* region,
                               const SPW_VECTOR* point) {
  if (!network || !point) return nullptr;
  if (!region) return BSTAR_FindNodeAtPoint(network, point);
  BSTAR_Node* queue[kNearQueue];
  int32_t queued = 0;
  queue[queued++] = region;
  region->dwFlags |= BSTAR_NODE_SEARCHMARK;
  BSTAR_Node* found = nullptr;
  for (int32_t head = 0; head < queued && !found; ++head) {
    BSTAR_Node* r = queue[head];
    if (BSTAR_NodeContainsPoint(network, r, point)) {
      found = r;
      break;
    }
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&r->lLinks)) {
      BSTAR_Node* p = BSTAR_LinkOther(cell->pLink, r);
      if (queued >= kNearQueue) break;
      if (BSTAR_NodeKind(p) != BSTAR_KIND_REGION || (p->dwFlags & BSTAR_NODE_SEARCHMARK)) continue;
      p->dwFlags |= BSTAR_NODE_SEARCHMARK;
      queue[queued++] = p;
    }
  }
  for (int32_t i = 0; i < queued; ++i) queue[i]->dwFlags &= ~BSTAR_NODE_SEARCHMARK;
  if (found) return found;
  // A walk that filled its queue may simply not have reached far enough.
  return queued >= kNearQueue ? BSTAR_FindNodeAtPoint(network, point) : nullptr;
}

BSTAR_Node* BSTAR_FindNodeByName(BSTAR_Network* network, const char* name) {
  if (!network || !name) return nullptr;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    if (NameIs(node, name, std::string_view::npos)) return node;
  return nullptr;
}

void BSTAR_ForEachNamedNode(BSTAR_Network* network, const char* name, BSTAR_NODEFN fn,
                            void* user) {
  BSTAR_ForEachNodeNamePrefix(network, name, fn, user, -1);
}

void BSTAR_ForEachNodeNamePrefix(BSTAR_Network* network, const char* text, BSTAR_NODEFN fn,
                                 void* user, int32_t n) {
  if (!network || !text || !fn) return;
  const size_t length = n < 0 ? std::string_view::npos : static_cast<size_t>(n);
  // The function may remove its node.
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    if (NameIs(node, text, length) && !fn(network, node, user)) return;
}

BSTAR_Node* BSTAR_FindNodeByTag(BSTAR_Network* network, uint32_t kind) {
  if (!network) return nullptr;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    if (BSTAR_NodeKind(node) == kind) return node;
  return nullptr;
}

BSTAR_Node* BSTAR_NextNodeByTag(BSTAR_Network* network, BSTAR_Node* node) {
  if (!network || !node) return nullptr;
  const uint32_t kind = BSTAR_NodeKind(node);
  constexpr size_t kLink = offsetof(BSTAR_Node, lNetwork);
  for (BSTAR_Node* it = SGE_ListNextRecord<BSTAR_Node, kLink>(&network->lNodes, node); it;
       it = SGE_ListNextRecord<BSTAR_Node, kLink>(&network->lNodes, it))
    if (BSTAR_NodeKind(it) == kind) return it;
  return nullptr;
}

void BSTAR_SetNodeMark(BSTAR_Node* node, int32_t flag) {
  if (!node) return;
  if (flag)
    node->dwFlags |= BSTAR_NODE_USERMARK;
  else
    node->dwFlags &= ~BSTAR_NODE_USERMARK;
}

uint32_t BSTAR_SetGateMask(uint32_t mask) {
  const uint32_t previous = g_gateMask;
  g_gateMask = mask;
  return previous;
}

uint32_t BSTAR_GetGateMask() { return g_gateMask; }

int32_t BSTAR_GateCrossingPoint(BSTAR_Network* network, const BSTAR_Node* region,
                                const BSTAR_Node* neighbour, const SPW_VECTOR* position,
                                float radius, SPW_VECTOR* outPoint, float* outDistSq) {
  if (!network || !region || !neighbour || !position) return 0;
  bool found = false;
  SPW_VECTOR best{};
  float bestSq = 0.0f;
  ForEachGateEdge(network, region, neighbour, radius, [&](const SPW_VECTOR& a, const SPW_VECTOR& b) {
    const SPW_VECTOR p = NearestOnSegment(a, b, *position);
    const float d = DistSq2D(p, *position);
    if (!found || d < bestSq) {
      found = true;
      best = p;
      bestSq = d;
    }
  });
  if (!found) return 0;
  if (outPoint) *outPoint = best;
  if (outDistSq) *outDistSq = bestSq;
  return 1;
}

int32_t BSTAR_GateCrossingPointTo(BSTAR_Network* network, const BSTAR_Node* region,
                                  const BSTAR_Node* neighbour, const SPW_VECTOR* position,
                                  const SPW_VECTOR* target, float radius, SPW_VECTOR* outPoint,
                                  float* outDistSq) {
  if (!network || !region || !neighbour || !position || !target) return 0;
  bool found = false;
  float bestT = 0.0f;
  ForEachGateEdge(network, region, neighbour, radius, [&](const SPW_VECTOR& a, const SPW_VECTOR& b) {
    float t;
    if (Crossing(*position, *target, a, b, &t) && (!found || t < bestT)) {
      found = true;
      bestT = t;
    }
  });
  if (!found)
    return BSTAR_GateCrossingPoint(network, region, neighbour, position, radius, outPoint,
                                   outDistSq);
  const SPW_VECTOR p{position->x + (target->x - position->x) * bestT,
                     position->y + (target->y - position->y) * bestT, 0.0f};
  if (outPoint) *outPoint = p;
  if (outDistSq) *outDistSq = DistSq2D(p, *position);
  return 1;
}

BSTAR_Link* BSTAR_FindCrossedGate(BSTAR_Network* network, const SPW_VECTOR* a,
                                  const SPW_VECTOR* b, SPW_VECTOR* outPoint) {
  if (!network || !a || !b || !network->pJunctions) return nullptr;
  BSTAR_Link* best = nullptr;
  float bestT = 0.0f;
  for (BSTAR_Node* region : BSTAR_NetworkNodes(&network->lNodes)) {
    for (int32_t i = 0; i < region->nOutlineCount; ++i) {
      const uint32_t word = network->pJunctions[region->nOutlineFirst + i];
      if (word & BSTAR_JUNC_WALL) continue;
      SPW_VECTOR ea, eb;
      Edge(network, region, i, &ea, &eb);
      float t;
      if (!Crossing(*a, *b, ea, eb, &t) || (best && !(t < bestT))) continue;
      BSTAR_Node* neighbour = BSTAR_FindNodeById(network, NeighbourOf(word));
      BSTAR_Link* link = neighbour ? BSTAR_FindLink(region, neighbour) : nullptr;
      if (!link || (link->dwFlags & BSTAR_LINK_GATESCRATCH)) continue;
      best = link;
      bestT = t;
    }
  }
  if (best && outPoint)
    *outPoint = {a->x + (b->x - a->x) * bestT, a->y + (b->y - a->y) * bestT,
                 a->z + (b->z - a->z) * bestT};
  return best;
}

BSTAR_Node* BSTAR_AddDynamicNode(BSTAR_Network* network, const SPW_VECTOR* position,
                                 float radius, const char* name) {
  if (!network || !position) return nullptr;
  auto* cell = static_cast<BSTAR_NODECELL*>(SGE_MemAlloc(network->pBlock, sizeof(BSTAR_NODECELL)));
  if (!cell) return nullptr;
  BSTAR_Node record{};
  record.dwId = network->dwNextId;
  record.dwFlags = BSTAR_NODE_RUNTIME;
  record.vCentre = *position;
  record.fRadius = radius;
  record.fZMax = -1000.0f;
  record.fZMin = 1000.0f;
  if (name) std::strncpy(record.szName, name, BSTAR_NAME_SIZE - 1);
  BSTAR_Node* node = BSTAR_MakeNode(network, &record);
  if (!node) {
    PLAT_Trace("BSTAR_AddDynamicNode: no memory for node %s\n", name ? name : "");
    SGE_MemFree(cell);
    return nullptr;
  }
  ++network->dwNextId;
  cell->pNode = node;
  SGE_ListAddTail(&network->lPendingDynamic, &cell->link);
  return node;
}

int32_t BSTAR_RemoveDynamicNode(BSTAR_Network* network, BSTAR_Node* node) {
  return BSTAR_RemoveNode(network, node);
}

int32_t BSTAR_ConnectDynamicNodes(BSTAR_Network* network) {
  if (!network) return 0;
  auto* first = SGE_ListRecord<BSTAR_NODECELL>(SGE_ListPopHead(&network->lPendingDynamic));
  if (!first) return 0;
  BSTAR_Node* cur = first->pNode;
  SGE_MemFree(first);
  int32_t links = 0;
  // A chain: each node to the nearest node still waiting.
  while (!SGE_ListIsEmpty(&network->lPendingDynamic)) {
    BSTAR_NODECELL* nearest = nullptr;
    float best = 0.0f;
    for (BSTAR_NODECELL* cell : SGE_ListRecords<BSTAR_NODECELL>(&network->lPendingDynamic)) {
      const float d = BSTAR_Distance3D(cur->vCentre, cell->pNode->vCentre);
      if (!nearest || d < best) {
        nearest = cell;
        best = d;
      }
    }
    BSTAR_Node* next = nearest->pNode;
    SGE_ListUnlink(&nearest->link);
    SGE_MemFree(nearest);
    BSTAR_LINKDESC d{next->dwId, cur->dwId, 0, best, 1, 0};
    if (BSTAR_FindOrCreateLink(network, cur, next, &d)) ++links;
    cur = next;
  }
  return links;
}

int32_t BSTAR_NodeHasJunctions(const BSTAR_Node* region) {
  return region && region->nOutlineCount > 0 ? 1 : 0;
}

int32_t BSTAR_IsNodeReferenced(BSTAR_Network* network, const BSTAR_Node* node) {
  if (!network || !node || !network->pJunctions) return 0;
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks)) {
    const BSTAR_Node* other = BSTAR_LinkOther(cell->pLink, node);
    for (int32_t i = 0; i < other->nOutlineCount; ++i)
      if (NamesNeighbour(network->pJunctions[other->nOutlineFirst + i], node->dwId)) return 1;
  }
  return 0;
}
