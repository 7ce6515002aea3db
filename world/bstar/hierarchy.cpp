// Bounding-sphere trees over the outlined regions and over the obstacle spheres, and the
// queries that walk them.
#include <cmath>

#include "platform/trace.h"
#include "world/bstar/internal.h"
#include "world/bstar/search.h"

namespace {

// Deep enough for any tree the builder makes of a mission's few thousand regions; deeper
// branches are skipped with a trace rather than overflowing.
constexpr int32_t kWalkDepth = 512;
// The builder's work list holds spheres through their first member.
constexpr size_t kWorkLink = offsetof(BSTAR_SPHERE, lWork);

struct Sphere {
  float x, y, z, r;
};

Sphere Merged(const Sphere& a, const Sphere& b) {
  const float dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
  const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (a.r >= d + b.r) return a;
  if (b.r >= d + a.r) return b;
  const float r = (a.r + b.r + d) / 2.0f;
  const float t = d > 0.0f ? (r - a.r) / d : 0.0f;
  return {a.x + dx * t, a.y + dy * t, a.z + dz * t, r};
}

Sphere Of(const BSTAR_SPHERE* s) { return {s->x, s->y, s->z, s->r}; }

BSTAR_SPHERE* NewSphere(BSTAR_Network* network, const Sphere& s, BSTAR_Node* node) {
  auto* out = static_cast<BSTAR_SPHERE*>(SGE_MemCalloc(network->pBlock, sizeof(BSTAR_SPHERE)));
  if (!out) return nullptr;
  out->x = s.x;
  out->y = s.y;
  out->z = s.z;
  out->r = s.r;
  out->pNode = node;
  return out;
}

void FreeTree(BSTAR_SPHERE* s) {
  if (!s) return;
  FreeTree(s->pChild[0]);
  FreeTree(s->pChild[1]);
  SGE_MemFree(s);
}

Sphere LeafOf(BSTAR_Network* network, const BSTAR_Node* node) {
  if (BSTAR_NodeKind(node) != BSTAR_KIND_REGION)
    return {node->vCentre.x, node->vCentre.y, node->vCentre.z, node->fRadius};
  BSTAR_Node* const* v = network->ppVertices + node->nOutlineFirst;
  const int32_t n = node->nOutlineCount;
  SPW_VECTOR c{0, 0, 0};
  for (int32_t i = 0; i < n; ++i) {
    c.x += v[i]->vCentre.x;
    c.y += v[i]->vCentre.y;
    c.z += v[i]->vCentre.z;
  }
  c = {c.x / n, c.y / n, c.z / n};
  float r = 0.0f;
  for (int32_t i = 0; i < n; ++i) r = std::fmax(r, BSTAR_Distance3D(c, v[i]->vCentre));
  return {c.x, c.y, c.z, r};
}

bool IsLeafNode(const BSTAR_Node* node, uint32_t kind) {
  if (BSTAR_NodeKind(node) != kind) return false;
  return kind != BSTAR_KIND_REGION || node->nOutlineCount > 0;
}

// Pairs the first sphere of the work list with the one that makes the smallest merged sphere,
// and appends the pair's sphere, until one is left.
BSTAR_SPHERE* Build(BSTAR_Network* network, uint32_t kind) {
  SGE_DLLNODE work;
  SGE_ListInit(&work);
  bool failed = false;
  for (BSTAR_Node* node : BSTAR_NetworkNodes(&network->lNodes)) {
    if (!IsLeafNode(node, kind)) continue;
    BSTAR_SPHERE* leaf = NewSphere(network, LeafOf(network, node), node);
    if (!leaf) {
      failed = true;
      break;
    }
    SGE_ListAddTail(&work, &leaf->lWork);
  }
  while (!failed && work.pNext != work.pPrev) {
    auto* first = SGE_ListRecord<BSTAR_SPHERE, kWorkLink>(SGE_ListPopHead(&work));
    BSTAR_SPHERE* best = nullptr;
    Sphere bestSphere{};
    for (BSTAR_SPHERE* other : SGE_ListRecords<BSTAR_SPHERE, kWorkLink>(&work)) {
      const Sphere m = Merged(Of(first), Of(other));
      if (!best || m.r < bestSphere.r) {
        best = other;
        bestSphere = m;
      }
    }
    SGE_ListUnlink(&best->lWork);
    BSTAR_SPHERE* parent = NewSphere(network, bestSphere, nullptr);
    if (!parent) {
      SGE_ListAddTail(&work, &first->lWork);
      SGE_ListAddTail(&work, &best->lWork);
      failed = true;
      break;
    }
    parent->pChild[0] = first;
    parent->pChild[1] = best;
    SGE_ListAddTail(&work, &parent->lWork);
  }
  if (failed) {
    PLAT_Trace("Out of memory, couldnt create hierarchy bounds\n");
    while (auto* sphere = SGE_ListRecord<BSTAR_SPHERE, kWorkLink>(SGE_ListPopHead(&work)))
      FreeTree(sphere);
    return nullptr;
  }
  return SGE_ListRecord<BSTAR_SPHERE, kWorkLink>(SGE_ListPopHead(&work));
}

// A leaf whose node was removed.
bool IsEmptyLeaf(const BSTAR_SPHERE* s) { return !s->pNode && !s->pChild[0]; }

void Forget(BSTAR_SPHERE* s, const BSTAR_Node* node) {
  if (!s) return;
  if (s->pNode == node) s->pNode = nullptr;
  Forget(s->pChild[0], node);
  Forget(s->pChild[1], node);
}

bool DiscMeets(const BSTAR_SPHERE* s, const SPW_VECTOR& p, float radius) {
  const float dx = s->x - p.x, dy = s->y - p.y, reach = s->r + radius;
  return dx * dx + dy * dy <= reach * reach;
}

int32_t Collect(BSTAR_SPHERE* root, const SPW_VECTOR& p, float radius, BSTAR_Node** out,
                int32_t max) {
  BSTAR_SPHERE* stack[kWalkDepth];
  int32_t depth = 0, count = 0;
  if (root) stack[depth++] = root;
  while (depth > 0 && count < max) {
    BSTAR_SPHERE* s = stack[--depth];
    if (IsEmptyLeaf(s) || !DiscMeets(s, p, radius)) continue;
    if (s->pNode) {
      out[count++] = s->pNode;
      continue;
    }
    if (depth + 2 > kWalkDepth) {
      PLAT_Trace("BSTAR: bounds tree deeper than %d; a branch skipped\n", kWalkDepth);
      continue;
    }
    // Right first so that the left child is walked first.
    stack[depth++] = s->pChild[1];
    stack[depth++] = s->pChild[0];
  }
  return count;
}

float HeightOff(const BSTAR_Node* region, float z) {
  if (z >= region->fZMin && z <= region->fZMax) return 0.0f;
  return z < region->fZMin ? region->fZMin - z : z - region->fZMax;
}

// Where the ray (unit direction) enters the sphere; none when it starts inside or passes by.
bool Entry(const BSTAR_SPHERE* s, const SPW_VECTOR& o, const SPW_VECTOR& d, float* t) {
  const float ox = o.x - s->x, oy = o.y - s->y, oz = o.z - s->z;
  const float b = ox * d.x + oy * d.y + oz * d.z;
  const float c = ox * ox + oy * oy + oz * oz - s->r * s->r;
  const float disc = b * b - c;
  if (disc < 0.0f) return false;
  *t = -b - std::sqrt(disc);
  return *t >= 0.0f;
}

// Whether the segment from o along d for length passes within the sphere.
bool SegmentMeets(const BSTAR_SPHERE* s, const SPW_VECTOR& o, const SPW_VECTOR& d, float length) {
  const float ox = s->x - o.x, oy = s->y - o.y, oz = s->z - o.z;
  const float t = std::fmin(std::fmax(ox * d.x + oy * d.y + oz * d.z, 0.0f), length);
  const float px = ox - d.x * t, py = oy - d.y * t, pz = oz - d.z * t;
  return px * px + py * py + pz * pz <= s->r * s->r;
}

}  // namespace

void BSTAR_ForgetTreeNode(BSTAR_Network* network, const BSTAR_Node* node) {
  Forget(network->pRegionTree, node);
  Forget(network->pObstacleTree, node);
}

int32_t BSTAR_BuildHierarchyKind0(BSTAR_Network* network) {
  if (!network) return 0;
  FreeTree(network->pRegionTree);
  network->pRegionTree = Build(network, BSTAR_KIND_REGION);
  return network->pRegionTree || !network->nVertices;
}

int32_t BSTAR_BuildHierarchyKind2(BSTAR_Network* network) {
  if (!network) return 0;
  FreeTree(network->pObstacleTree);
  network->pObstacleTree = Build(network, BSTAR_KIND_OBSTACLE);
  return 1;
}

int32_t BSTAR_FindCandidateRegions(BSTAR_Network* network, const SPW_VECTOR* point, float radius,
                                   BSTAR_Node** out, int32_t max) {
  if (!network || !point || !out || max <= 0) return 0;
  const int32_t n = Collect(network->pRegionTree, *point, radius, out, max);
  // Nearest in height first; equals keep the walk's order.
  for (int32_t i = 1; i < n; ++i) {
    BSTAR_Node* region = out[i];
    const float key = HeightOff(region, point->z);
    int32_t j = i;
    for (; j > 0 && HeightOff(out[j - 1], point->z) > key; --j) out[j] = out[j - 1];
    out[j] = region;
  }
  return n;
}

int32_t BSTAR_FindCandidateObstacles(BSTAR_Network* network, const SPW_VECTOR* point,
                                     float radius, BSTAR_Node** out, int32_t max) {
  if (!network || !point || !out || max <= 0) return 0;
  return Collect(network->pObstacleTree, *point, radius, out, max);
}

int32_t BSTAR_RayObstacle(BSTAR_Network* network, const SPW_VECTOR* start, const SPW_VECTOR* dir,
                          float* length, BSTAR_Node** outNode, SPW_VECTOR* outPoint) {
  if (!network || !start || !dir || !length || !network->pObstacleTree) return 0;
  BSTAR_SPHERE* stack[kWalkDepth];
  int32_t depth = 0;
  stack[depth++] = network->pObstacleTree;
  BSTAR_Node* hit = nullptr;
  float best = *length;
  while (depth > 0) {
    BSTAR_SPHERE* s = stack[--depth];
    if (IsEmptyLeaf(s) || !SegmentMeets(s, *start, *dir, best)) continue;
    if (s->pNode) {
      float t;
      // A later sphere at an equal distance replaces the earlier one.
      if (Entry(s, *start, *dir, &t) && t <= best) {
        best = t;
        hit = s->pNode;
      }
      continue;
    }
    if (depth + 2 > kWalkDepth) continue;
    stack[depth++] = s->pChild[1];
    stack[depth++] = s->pChild[0];
  }
  if (!hit) return 0;
  *length = best;
  if (outNode) *outNode = hit;
  if (outPoint)
    *outPoint = {start->x + dir->x * best, start->y + dir->y * best, start->z + dir->z * best};
  return 1;
}
