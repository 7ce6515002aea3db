// Region outlines traced over the outline vertices, the junction words of their edges, gates,
// and renumbering.
#include <cmath>

#include "platform/trace.h"
#include "world/bstar/internal.h"
#include "world/bstar/search.h"

namespace {

// How far off the centre's height a vertex edge may lie to start a region's outline.
constexpr float kStartEdgeHeight = 9.5f;

bool IsVertex(const BSTAR_Node* n) { return n && BSTAR_NodeKind(n) == BSTAR_KIND_VERTEX; }

bool IsOutlined(const BSTAR_Node* n) {
  return BSTAR_NodeKind(n) == BSTAR_KIND_REGION && n->nOutlineCount > 0;
}

float Cross(const BSTAR_Node* a, const BSTAR_Node* b, const SPW_VECTOR& p) {
  return (b->vCentre.x - a->vCentre.x) * (p.y - a->vCentre.y) -
         (b->vCentre.y - a->vCentre.y) * (p.x - a->vCentre.x);
}

// The vertex edge named by the region's B value.
bool EdgeFromB(BSTAR_Network* network, const BSTAR_Node* region, BSTAR_Node** a, BSTAR_Node** b) {
  if (!region->dwBValue) return false;
  BSTAR_Node* va = BSTAR_FindNodeById(network, region->dwBValue >> 16);
  BSTAR_Node* vb = BSTAR_FindNodeById(network, region->dwBValue & 0xFFFF);
  if (!IsVertex(va) || !IsVertex(vb) || !BSTAR_FindLink(va, vb)) return false;
  *a = va;
  *b = vb;
  return true;
}

// The vertex edge about the centre's height that crosses its y nearest its x.
bool EdgeNearCentre(BSTAR_Network* network, const BSTAR_Node* region, BSTAR_Node** a,
                    BSTAR_Node** b) {
  const SPW_VECTOR& c = region->vCentre;
  float best = 0.0f;
  bool found = false;
  for (BSTAR_Node* v : BSTAR_NetworkNodes(&network->lNodes)) {
    if (!IsVertex(v) || std::fabs(v->vCentre.z - c.z) >= kStartEdgeHeight) continue;
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&v->lLinks)) {
      BSTAR_Node* w = cell->pLink->pY;
      if (cell->pLink->pX != v || !IsVertex(w)) continue;  // each edge once, from its X end
      if (std::fabs(w->vCentre.z - c.z) >= kStartEdgeHeight) continue;
      const SPW_VECTOR& p = v->vCentre;
      const SPW_VECTOR& q = w->vCentre;
      if (p.y == q.y || c.y < std::fmin(p.y, q.y) || c.y > std::fmax(p.y, q.y)) continue;
      const float x = p.x + (q.x - p.x) * (c.y - p.y) / (q.y - p.y);
      const float d = std::fabs(x - c.x);
      if (!found || d < best) {
        best = d;
        found = true;
        *a = v;
        *b = w;
      }
    }
  }
  return found;
}

// Walks the outline around the region's centre, always turning as far left as the vertex
// edges allow. The vertex count (1 to out's capacity), or 0 when no closed outline fits.
int32_t TraceOutline(BSTAR_Network* network, const BSTAR_Node* region, BSTAR_Node** out) {
  BSTAR_Node *a = nullptr, *b = nullptr;
  if (!EdgeFromB(network, region, &a, &b) && !EdgeNearCentre(network, region, &a, &b)) return 0;
  if (Cross(a, b, region->vCentre) < 0.0f) std::swap(a, b);
  const BSTAR_Link* came = BSTAR_FindLink(a, b);
  BSTAR_Node* prev = a;
  BSTAR_Node* cur = b;
  int32_t n = 0;
  out[n++] = a;
  for (int32_t steps = 0; cur != a; ++steps) {
    if (n >= BSTAR_MAX_OUTLINE || steps >= BSTAR_MAX_OUTLINE_WALK) return 0;
    out[n++] = cur;
    const float inX = cur->vCentre.x - prev->vCentre.x, inY = cur->vCentre.y - prev->vCentre.y;
    const BSTAR_Link* bestLink = nullptr;
    BSTAR_Node* next = nullptr;
    float bestTurn = 0.0f;
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&cur->lLinks)) {
      BSTAR_Node* w = BSTAR_LinkOther(cell->pLink, cur);
      if (cell->pLink == came || !IsVertex(w)) continue;
      const float outX = w->vCentre.x - cur->vCentre.x, outY = w->vCentre.y - cur->vCentre.y;
      const float turn = std::atan2(inX * outY - inY * outX, inX * outX + inY * outY);
      if (!next || turn > bestTurn) {
        bestTurn = turn;
        next = w;
        bestLink = cell->pLink;
      }
    }
    if (!next) return 0;
    prev = cur;
    cur = next;
    came = bestLink;
  }
  return n;
}

void SetOutlineBounds(BSTAR_Node* region, BSTAR_Node* const* vertices, int32_t n) {
  region->fZMax = region->fZMin = vertices[0]->vCentre.z;
  region->fMinX = region->fMaxX = vertices[0]->vCentre.x;
  region->fMinY = region->fMaxY = vertices[0]->vCentre.y;
  for (int32_t i = 1; i < n; ++i) {
    const SPW_VECTOR& v = vertices[i]->vCentre;
    region->fZMax = std::fmax(region->fZMax, v.z);
    region->fZMin = std::fmin(region->fZMin, v.z);
    region->fMinX = std::fmin(region->fMinX, v.x);
    region->fMaxX = std::fmax(region->fMaxX, v.x);
    region->fMinY = std::fmin(region->fMinY, v.y);
    region->fMaxY = std::fmax(region->fMaxY, v.y);
  }
}

uint32_t GateWord(const BSTAR_Node* neighbour, const BSTAR_Link* link) {
  return ((neighbour->dwId & BSTAR_JUNC_NEIGHBOUR_MASK) << BSTAR_JUNC_NEIGHBOUR_SHIFT) |
         ((link->dwType & BSTAR_JUNC_TYPE_MASK) << BSTAR_JUNC_TYPE_SHIFT) |
         ((link->dwFlags & BSTAR_LINK_DISABLED) ? BSTAR_JUNC_DISABLED : 0);
}

// The gate edges shared by the link's two regions: each edge of X's outline that is an edge of
// Y's outline run the other way.
void MarkGates(BSTAR_Network* network, BSTAR_Link* link) {
  BSTAR_Node *x = link->pX, *y = link->pY;
  if (!IsOutlined(x) || !IsOutlined(y)) return;
  BSTAR_Node** vx = network->ppVertices + x->nOutlineFirst;
  BSTAR_Node** vy = network->ppVertices + y->nOutlineFirst;
  const int32_t nx = x->nOutlineCount, ny = y->nOutlineCount;
  int32_t gates = 0;
  for (int32_t i = 0; i < nx; ++i) {
    const BSTAR_Node* from = vx[(i + nx - 1) % nx];
    for (int32_t j = 0; j < ny; ++j) {
      if (vy[(j + ny - 1) % ny] != vx[i] || vy[j] != from) continue;
      network->pJunctions[x->nOutlineFirst + i] = GateWord(y, link);
      network->pJunctions[y->nOutlineFirst + j] = GateWord(x, link);
      link->dwFlags |= BSTAR_LINK_HASGATE;
      ++gates;
    }
  }
  if (gates > 1)
    BSTAR_AddErrorLabel(network, "GEx%d:N%x,L(%6.0f,%6.0f,%6.0f)", gates, x->dwId, x->vCentre.x,
                        x->vCentre.y, x->vCentre.z);
}

// The junction words of region's edges that name neighbour get `apply`.
template <typename Fn>
void RewriteJunctions(BSTAR_Network* network, const BSTAR_Node* region, const BSTAR_Node* neighbour,
                      Fn apply) {
  if (!IsOutlined(region) || !network->pJunctions) return;
  for (int32_t i = 0; i < region->nOutlineCount; ++i) {
    uint32_t& word = network->pJunctions[region->nOutlineFirst + i];
    if (word & BSTAR_JUNC_WALL) continue;
    if (((word >> BSTAR_JUNC_NEIGHBOUR_SHIFT) & BSTAR_JUNC_NEIGHBOUR_MASK) ==
        (neighbour->dwId & BSTAR_JUNC_NEIGHBOUR_MASK))
      apply(word);
  }
}

template <typename Fn>
void RewriteGate(BSTAR_Network* network, const BSTAR_Link* link, Fn apply) {
  RewriteJunctions(network, link->pX, link->pY, apply);
  RewriteJunctions(network, link->pY, link->pX, apply);
}

}  // namespace

int32_t BSTAR_DeriveOutlines(BSTAR_Network* network) {
  if (!network) return 0;
  BSTAR_Node* walk[BSTAR_MAX_OUTLINE];
  int32_t total = 0;
  // First pass: the outlines' sizes, so that the tables are taken at once.
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) {
    node->nOutlineCount = 0;
    node->nOutlineFirst = 0;
    if (BSTAR_NodeKind(node) != BSTAR_KIND_REGION) continue;
    const int32_t n = TraceOutline(network, node, walk);
    if (n == 0) {
      BSTAR_AddErrorLabel(network, "N%x,L(%6.0f,%6.0f,%6.0f)", node->dwId, node->vCentre.x,
                          node->vCentre.y, node->vCentre.z);
      continue;
    }
    node->nOutlineCount = n;
    node->nOutlineFirst = total;
    total += n;
  }
  if (network->ppVertices) SGE_MemFree(network->ppVertices);
  if (network->pJunctions) SGE_MemFree(network->pJunctions);
  network->ppVertices = nullptr;
  network->pJunctions = nullptr;
  network->nVertices = 0;
  if (total > 0) {
    network->ppVertices = static_cast<BSTAR_Node**>(
        SGE_MemAlloc(network->pBlock, static_cast<uint32_t>(total * sizeof(BSTAR_Node*))));
    network->pJunctions = static_cast<uint32_t*>(
        SGE_MemAlloc(network->pBlock, static_cast<uint32_t>(total * sizeof(uint32_t))));
    if (!network->ppVertices || !network->pJunctions) {
      PLAT_Trace("BSTAR: no memory for %d outline vertices\n", total);
      for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) node->nOutlineCount = 0;
      return 0;
    }
  }
  network->nVertices = total;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) {
    if (!node->nOutlineCount) continue;
    BSTAR_Node** run = network->ppVertices + node->nOutlineFirst;
    TraceOutline(network, node, run);
    SetOutlineBounds(node, run, node->nOutlineCount);
  }
  for (int32_t i = 0; i < total; ++i) network->pJunctions[i] = BSTAR_JUNC_WALL;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks)) {
      if (cell->pLink->pX != node) continue;  // each link once
      cell->pLink->dwFlags &= ~BSTAR_LINK_HASGATE;
      MarkGates(network, cell->pLink);
    }
  return 1;
}

int32_t BSTAR_NetworkRegenerate(BSTAR_Network* network) {
  if (!network) return 0;
  int32_t perKind[BSTAR_KIND_MASK + 1] = {};
  int32_t withB = 0;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) {
    ++perKind[BSTAR_NodeKind(node)];
    if (node->dwBValue) ++withB;
  }
  // A B value names two vertices by id: hold on to the vertices while the ids change.
  struct BRef {
    BSTAR_Node* region;
    BSTAR_Node* a;
    BSTAR_Node* b;
  };
  BRef* refs = nullptr;
  if (withB) {
    refs = static_cast<BRef*>(SGE_MemAlloc(network->pBlock, static_cast<uint32_t>(withB * sizeof(BRef))));
    if (!refs) {
      PLAT_Trace("BSTAR_NetworkRegenerate: no memory for %d B values\n", withB);
      return 0;
    }
  }
  int32_t r = 0;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    if (node->dwBValue)
      refs[r++] = {node, BSTAR_FindNodeById(network, node->dwBValue >> 16),
                   BSTAR_FindNodeById(network, node->dwBValue & 0xFFFF)};
  // Kinds in ascending order; within a kind the first node in the list takes the highest id.
  uint32_t next[BSTAR_KIND_MASK + 1];
  uint32_t start = 0;
  for (uint32_t k = 0; k <= BSTAR_KIND_MASK; ++k) {
    start += static_cast<uint32_t>(perKind[k]);
    next[k] = start - 1;
  }
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes))
    node->dwId = next[BSTAR_NodeKind(node)]--;
  for (int32_t i = 0; i < r; ++i) {
    uint32_t hi = refs[i].region->dwBValue >> 16, lo = refs[i].region->dwBValue & 0xFFFF;
    if (refs[i].a) hi = refs[i].a->dwId & 0xFFFF;
    if (refs[i].b) lo = refs[i].b->dwId & 0xFFFF;
    refs[i].region->dwBValue = hi << 16 | lo;
  }
  if (refs) SGE_MemFree(refs);
  network->dwNextId = start;
  if (!BSTAR_RebuildIndex(network)) return 0;
  network->nErrors = 0;
  const int32_t ok = BSTAR_DeriveOutlines(network);
  BSTAR_BuildHierarchyKind0(network);
  BSTAR_BuildHierarchyKind2(network);
  return ok;
}

int32_t BSTAR_SetLinkEnabled(BSTAR_Network* network, BSTAR_Link* link, int32_t enable) {
  if (!network || !link) return 0;
  const int32_t previous = (link->dwFlags & BSTAR_LINK_DISABLED) ? 0 : 1;
  if (enable)
    link->dwFlags &= ~BSTAR_LINK_DISABLED;
  else
    link->dwFlags |= BSTAR_LINK_DISABLED;
  RewriteGate(network, link, [enable](uint32_t& word) {
    word = enable ? (word & ~BSTAR_JUNC_DISABLED) : (word | BSTAR_JUNC_DISABLED);
  });
  return previous;
}

uint32_t BSTAR_SetLinkType(BSTAR_Network* network, BSTAR_Link* link, uint32_t type) {
  if (!network || !link) return 0;
  const uint32_t previous = link->dwType;
  link->dwType = type;
  RewriteGate(network, link, [type](uint32_t& word) {
    word = (word & ~(BSTAR_JUNC_TYPE_MASK << BSTAR_JUNC_TYPE_SHIFT)) |
           ((type & BSTAR_JUNC_TYPE_MASK) << BSTAR_JUNC_TYPE_SHIFT);
  });
  return previous;
}

void BSTAR_SetNodeLinksEnabled(BSTAR_Network* network, BSTAR_Node* node, int32_t enable) {
  if (!network || !node) return;
  BSTAR_SetNodeMark(node, enable ? 0 : 1);
  for (BSTAR_LINKCELL* cell : BSTAR_LinkCells(&node->lLinks))
    BSTAR_SetLinkEnabled(network, cell->pLink, enable);
}
