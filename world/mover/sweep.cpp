// Sweeping a disc through the path network in the ground plane. The disc walks from region to
// region through the gates it may pass; at an edge that blocks it the rest of the motion slides
// along the edge. Outlines run with the region on their left.
#include <cmath>

#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/mover/internal.h"

namespace {

constexpr int32_t kMaxContacts = 4;
constexpr float kSlideMargin = 0.001f;    // the slid end point stays this far inside
constexpr float kVelocityMargin = 1e-6f;  // what is left of a velocity into the edge
constexpr float kInside = -1e-4f;         // how far behind an edge a point still counts inside
constexpr int32_t kMaxRegionHops = 64;    // regions one sweep may pass through
constexpr int32_t kMaxVisited = 16;       // regions remembered for finding the final one

struct Vec2 {
  float x, y;
};

Vec2 Sub(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
float Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
Vec2 Lerp(Vec2 a, Vec2 b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// The first blocking contact along the motion: when (0..1), the normal away from the obstacle
// and the obstacle point the disc touches.
struct Contact {
  bool found = false;
  float t = 0.0f;
  Vec2 normal{};
  Vec2 point{};
};

struct Sweep {
  BSTAR_Network* network;
  float radius;
  uint32_t linkType;
  uint32_t mask;
};

Vec2 Vertex(BSTAR_Network* network, const BSTAR_Node* region, int32_t i) {
  const int32_t n = region->nOutlineCount;
  const SPW_VECTOR& v = network->ppVertices[region->nOutlineFirst + ((i % n) + n) % n]->vCentre;
  return {v.x, v.y};
}

uint32_t Junction(BSTAR_Network* network, const BSTAR_Node* region, int32_t i) {
  return network->pJunctions[region->nOutlineFirst + i];
}

bool Blocks(const Sweep& s, uint32_t word) {
  if (word & s.mask) return true;
  if (word & BSTAR_JUNC_WALL) return true;
  return ((word >> BSTAR_JUNC_TYPE_SHIFT) & BSTAR_JUNC_TYPE_MASK) > s.linkType;
}

BSTAR_Node* Neighbour(BSTAR_Network* network, uint32_t word) {
  if (word & BSTAR_JUNC_WALL) return nullptr;
  BSTAR_Node* n =
      BSTAR_FindNodeById(network, (word >> BSTAR_JUNC_NEIGHBOUR_SHIFT) & BSTAR_JUNC_NEIGHBOUR_MASK);
  return n && n->nOutlineCount > 0 ? n : nullptr;
}

void Keep(Contact* best, float t, Vec2 normal, Vec2 point) {
  if (best->found && !(t < best->t)) return;
  *best = {true, t, normal, point};
}

// The disc moving p -> q against the end point c of an edge.
void TouchCorner(const Sweep& s, Vec2 p, Vec2 q, Vec2 c, Contact* best) {
  if (s.radius <= 0.0f) return;
  const Vec2 d = Sub(q, p), m = Sub(p, c);
  const float a = Dot(d, d);
  if (a <= 0.0f) return;
  const float b = Dot(m, d), cc = Dot(m, m) - s.radius * s.radius;
  if (b >= 0.0f) return;  // moving away from the corner
  float t;
  if (cc <= 0.0f) {
    t = 0.0f;
  } else {
    const float disc = b * b - a * cc;
    if (disc < 0.0f) return;
    t = (-b - std::sqrt(disc)) / a;
    if (t < 0.0f || t > 1.0f) return;
  }
  const Vec2 at = Lerp(p, q, t);
  Vec2 normal = Sub(at, c);
  const float len = std::sqrt(Dot(normal, normal));
  if (len <= 0.0f) return;
  Keep(best, t, {normal.x / len, normal.y / len}, c);
}

// The disc moving p -> q against the blocking edge a -> b, whose region lies on its left.
void TouchEdge(const Sweep& s, Vec2 p, Vec2 q, Vec2 a, Vec2 b, Contact* best) {
  const Vec2 e = Sub(b, a);
  const float len = std::sqrt(Dot(e, e));
  if (len <= 0.0f) return;
  const Vec2 n{-e.y / len, e.x / len};
  const float d0 = Dot(n, Sub(p, a));
  const float dd = Dot(n, Sub(q, p));
  if (dd < 0.0f && d0 >= kInside) {
    const float t = d0 > s.radius ? (d0 - s.radius) / -dd : 0.0f;
    if (t <= 1.0f) {
      const Vec2 at = Lerp(p, q, t);
      const float u = Dot(Sub(at, a), e) / (len * len);
      if (u >= 0.0f && u <= 1.0f) Keep(best, t, n, Lerp(a, b, u));
    }
  }
  TouchCorner(s, p, q, a, best);
  TouchCorner(s, p, q, b, best);
}

void TouchRegion(const Sweep& s, const BSTAR_Node* region, Vec2 p, Vec2 q, Contact* best) {
  for (int32_t i = 0; i < region->nOutlineCount; ++i)
    if (Blocks(s, Junction(s.network, region, i)))
      TouchEdge(s, p, q, Vertex(s.network, region, i - 1), Vertex(s.network, region, i), best);
}

// Blocking edges of the region and of the regions beyond its gates: a disc near a gate can
// touch the walls on the far side.
Contact FirstContact(const Sweep& s, const BSTAR_Node* region, Vec2 p, Vec2 q) {
  Contact best;
  TouchRegion(s, region, p, q, &best);
  for (int32_t i = 0; i < region->nOutlineCount; ++i)
    if (const BSTAR_Node* n = Neighbour(s.network, Junction(s.network, region, i)))
      TouchRegion(s, n, p, q, &best);
  return best;
}

// Where the centre's path p -> q leaves the region through an edge it may pass: the parameter
// and the region beyond. None when it stays inside or leaves through a blocking edge.
struct Exit {
  bool found = false;
  float t = 0.0f;
  bool blocked = false;
  Vec2 normal{};
  Vec2 point{};
  BSTAR_Node* next = nullptr;
};

Exit FirstExit(const Sweep& s, const BSTAR_Node* region, Vec2 p, Vec2 q) {
  Exit best;
  for (int32_t i = 0; i < region->nOutlineCount; ++i) {
    const Vec2 a = Vertex(s.network, region, i - 1), b = Vertex(s.network, region, i);
    const Vec2 e = Sub(b, a);
    const float len = std::sqrt(Dot(e, e));
    if (len <= 0.0f) continue;
    // Signed distances to the edge's line, inside positive.
    const float sp = Cross(e, Sub(p, a)) / len, sq = Cross(e, Sub(q, a)) / len;
    if (!(sq < 0.0f) || sp < kInside) continue;  // not leaving across this edge
    const float t = sp <= 0.0f ? 0.0f : sp / (sp - sq);
    const Vec2 at = Lerp(p, q, t);
    const float u = Dot(Sub(at, a), e) / Dot(e, e);
    if (u < 0.0f || u > 1.0f || (best.found && !(t < best.t))) continue;
    const uint32_t word = Junction(s.network, region, i);
    best = {true, t, Blocks(s, word), {-e.y / len, e.x / len}, at, nullptr};
    if (!best.blocked) {
      best.next = Neighbour(s.network, word);
      if (!best.next) best.blocked = true;
    }
  }
  return best;
}

// The rest of the motion slides along the obstacle: the end point goes back to its side and
// the velocity loses its part into it.
void Slide(const Contact& c, float radius, Vec2* q, Vec2* vel) {
  const float d = Dot(c.normal, Sub(*q, c.point));
  const float want = radius + kSlideMargin;
  if (d < want) *q = {q->x + c.normal.x * (want - d), q->y + c.normal.y * (want - d)};
  const float vn = Dot(c.normal, *vel);
  if (vn < 0.0f)
    *vel = {vel->x - c.normal.x * (vn - kVelocityMargin),
            vel->y - c.normal.y * (vn - kVelocityMargin)};
}

void Remember(BSTAR_Node** visited, int32_t* count, BSTAR_Node* region) {
  for (int32_t i = 0; i < *count; ++i)
    if (visited[i] == region) return;
  if (*count < kMaxVisited) visited[(*count)++] = region;
}

}  // namespace

BSTAR_Node* vnMOVER_SweepDisc(BSTAR_Network* network, BSTAR_Node* startRegion, float radius,
                              uint32_t linkType, const SPW_VECTOR* start, const SPW_VECTOR* end,
                              const SPW_VECTOR* vel, SPW_VECTOR* outPoint, SPW_VECTOR* outVel,
                              int32_t* outBlocked, uint32_t junctionMask) {
  if (outBlocked) *outBlocked = 0;
  if (outPoint && end) *outPoint = *end;
  if (outVel) *outVel = vel ? *vel : SPW_VECTOR{};
  if (!network || !start || !end || !network->pJunctions) return startRegion;
  BSTAR_Node* region = startRegion ? startRegion : BSTAR_FindNodeAtPoint(network, start);
  if (!region || region->nOutlineCount <= 0) return region;

  const Sweep s{network, radius > 0.0f ? radius : 0.0f, linkType, junctionMask};
  Vec2 p{start->x, start->y}, q{end->x, end->y};
  Vec2 v = vel ? Vec2{vel->x, vel->y} : Vec2{};
  BSTAR_Node* visited[kMaxVisited];
  int32_t nVisited = 0;
  Remember(visited, &nVisited, region);
  int32_t contacts = 0;
  for (int32_t hop = 0; hop < kMaxRegionHops; ++hop) {
    const Contact c = FirstContact(s, region, p, q);
    const Exit x = FirstExit(s, region, p, q);
    Contact hit = c;
    if (x.found && x.blocked && (!c.found || x.t < c.t)) hit = {true, x.t, x.normal, x.point};
    if (hit.found && (!x.found || hit.t <= x.t || x.blocked)) {
      const Vec2 at = Lerp(p, q, hit.t);
      if (outBlocked) *outBlocked = 1;
      if (++contacts >= kMaxContacts) {
        q = at;
        break;
      }
      Slide(hit, s.radius, &q, &v);
      p = at;
      continue;
    }
    if (!x.found) break;
    p = x.point;
    region = x.next;
    Remember(visited, &nVisited, region);
  }

  if (outPoint) *outPoint = {q.x, q.y, end->z};
  if (outVel) *outVel = {v.x, v.y, vel ? vel->z : 0.0f};
  const SPW_VECTOR final{q.x, q.y, end->z};
  for (int32_t i = nVisited - 1; i >= 0; --i)
    if (BSTAR_NodeContainsPoint(network, visited[i], &final)) return visited[i];
  return region;
}

BSTAR_Node* vnMOVER_SweepSegment(BSTAR_Network* network, BSTAR_Node* startRegion, uint32_t linkType,
                                 const SPW_VECTOR* start, const SPW_VECTOR* delta,
                                 SPW_VECTOR* outPoint, int32_t* outBlocked, uint32_t junctionMask) {
  if (!start || !delta) {
    if (outBlocked) *outBlocked = 0;
    return startRegion;
  }
  const SPW_VECTOR end{start->x + delta->x, start->y + delta->y, start->z + delta->z};
  return vnMOVER_SweepDisc(network, startRegion, 0.0f, linkType, start, &end, delta, outPoint,
                           nullptr, outBlocked, junctionMask);
}
