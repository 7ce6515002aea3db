// Ray, sphere and name queries over the spatial tree, and the colour under a point.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "engine/collide/collide.h"
#include "engine/collide/internal.h"
#include "engine/feature/feature.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "platform/text.h"

namespace {

uint32_t g_mask = 0xFFFFFFFFu;

constexpr uint32_t kMaxSampleTriangles = 10;


std::string_view Name(const char* field) {
  return std::string_view(field, strnlen(field, SPW_FEATURE_NAME_SIZE));
}
std::string_view Wanted(const char* name) {
  return std::string_view(name, strnlen(name, SPW_FEATURE_NAME_SIZE));
}

// The nearest hit on one item so far.
struct ItemHit {
  float best;
  SPW_VECTOR point;   // object space
  SPW_VECTOR normal;  // object space, not unit
  uint32_t values[3];
};

// The ray through the item's mesh 0 in object space; true when it improved hit.best.
bool TestItem(const SPW_FEATUREINST& item, const SPW_VECTOR& start, const SPW_VECTOR& dir,
              ItemHit& hit) {
  const SPW_FEATUREOBJ& cls = *item.pClass;
  if (!cls.dwNumMeshes) return false;
  const SPW_FEATUREMESH& mesh = cls.pMeshes[0];
  SPW_VECTOR s, d;
  SPW_MatTransformPoint(&item.mWorldToObject, &start, &s);
  SPW_MatRotateVector(&item.mWorldToObject, &dir, &d);
  if (SPW_VDot(d, d) == 0) return false;
  const SPW_RAY ray = SPW_MakeRay(&s, &d);
  bool improved = false;
  SPW_WalkMesh(
      mesh, [&](const SPW_FEATURENODE& n) { return SPW_RayMeetsSphere(ray, n.vCentre, n.fRadius); },
      [&](int32_t f) {
        const SPW_FEATUREFACE& face = mesh.pFaces[f];
        const SPW_VECTOR& a = mesh.pVertices[face.adwIndex[0]].vPos;
        for (uint32_t k = 2; k < mesh.dwVertsPerFace; ++k) {
          const SPW_VECTOR& b = mesh.pVertices[face.adwIndex[k - 1]].vPos;
          const SPW_VECTOR& c = mesh.pVertices[face.adwIndex[k]].vPos;
          float t;
          // t is the parameter along the direction, so t^2 is the squared distance in units of
          // the direction's length whatever the item's scale.
          if (!SPW_RayTriangle(s, d, a, b, c, &t) || t * t >= hit.best) continue;
          hit.best = t * t;
          hit.point = {s.x + d.x * t, s.y + d.y * t, s.z + d.z * t};
          hit.normal = SPW_VCross(SPW_VSub(b, a), SPW_VSub(c, a));
          const uint32_t* colours = item.dwNumColours ? item.ppColours[0] : nullptr;
          const uint32_t idx[3] = {face.adwIndex[0], face.adwIndex[k - 1], face.adwIndex[k]};
          for (int i = 0; i < 3; ++i) hit.values[i] = colours ? colours[idx[i]] : 0xFFFFFFFFu;
          improved = true;
        }
        return true;
      });
  return improved;
}

SPW_FEATUREINST* Query(SPW_SCENE* scene, const SPW_VECTOR* start, const SPW_VECTOR* dir,
                       SPW_VECTOR* outHit, float* best, SPW_VECTOR* outNormal) {
  if (!scene || !scene->pTree || !start || !dir || !best) return nullptr;
  const SPW_RAY ray = SPW_MakeRay(start, dir);
  SPW_FEATUREINST* found = nullptr;
  ItemHit hit{*best, {}, {}, {}};
  SPW_WalkTree(
      scene->pTree,
      [&](SPW_TREENODE* n) { return (n->dwMask & g_mask) && SPW_RayMeetsSphere(ray, n->vCentre, n->fRadius); },
      [&](SPW_TREENODE* n) {
        if (!(n->pItem->dwFlags & SPW_FINST_IGNORED) && TestItem(*n->pItem, *start, *dir, hit))
          found = n->pItem;
        return true;
      });
  if (!found) return nullptr;
  *best = hit.best;
  if (outHit) SPW_MatTransformPoint(&found->mObjectToWorld, &hit.point, outHit);
  if (outNormal) {
    // Normals go through the inverse transpose: rows of world-to-object as columns.
    const SPW_MATRIX& w = found->mWorldToObject;
    *outNormal = {SPW_VDot({w.m[0][0], w.m[0][1], w.m[0][2]}, hit.normal),
                  SPW_VDot({w.m[1][0], w.m[1][1], w.m[1][2]}, hit.normal),
                  SPW_VDot({w.m[2][0], w.m[2][1], w.m[2][2]}, hit.normal)};
    SPW_VecNormalise(outNormal);
  }
  return found;
}

template <typename Match>
int32_t Nearest(SPW_SCENE* scene, const SPW_VECTOR* point, SPW_TREENODE** outNode, Match match) {
  if (!scene) return 0;
  if (outNode) *outNode = nullptr;
  if (!point) return 1;
  float best = SPW_COLLIDE_FAR;
  SPW_ForEachLeaf(scene->pTree, [&](SPW_TREENODE* n) {
    if (!match(*n->pItem)) return true;
    const float d = SPW_VecDistSq(&n->vCentre, point);
    if (d < best) {
      best = d;
      if (outNode) *outNode = n;
    }
    return true;
  });
  return 1;
}

bool SphereMeets(const SPW_VECTOR& c, float r, const SPW_VECTOR& q, float qr) {
  const SPW_VECTOR d = SPW_VSub(c, q);
  return SPW_VDot(d, d) <= (r + qr) * (r + qr);
}

}  // namespace

SPW_RAY SPW_MakeRay(const SPW_VECTOR* start, const SPW_VECTOR* direction) {
  SPW_RAY ray{*start, *direction, *direction};
  SPW_VecNormalise(&ray.u);
  return ray;
}

bool SPW_RayMeetsSphere(const SPW_RAY& ray, const SPW_VECTOR& centre, float radius) {
  const SPW_VECTOR q = SPW_VSub(centre, ray.s);
  const float d2 = SPW_VDot(q, q), r2 = radius * radius;
  if (d2 < r2) return true;
  const float t = SPW_VDot(q, ray.u);
  return t >= 0 && r2 > d2 - t * t;
}

bool SPW_RayTriangle(const SPW_VECTOR& s, const SPW_VECTOR& d, const SPW_VECTOR& a,
                     const SPW_VECTOR& b, const SPW_VECTOR& c, float* outT) {
  const SPW_VECTOR e1 = SPW_VSub(b, a), e2 = SPW_VSub(c, a);
  const SPW_VECTOR p = SPW_VCross(d, e2);
  const float det = SPW_VDot(e1, p);
  // Positive only when the ray runs against the face's counter-clockwise normal.
  if (det < SPW_COLLIDE_MIN_DET) return false;
  const SPW_VECTOR q = SPW_VSub(s, a);
  const float u = SPW_VDot(q, p);
  if (u < 0 || u > det) return false;
  const SPW_VECTOR r = SPW_VCross(q, e1);
  const float v = SPW_VDot(d, r);
  if (v < 0 || u + v > det) return false;
  const float t = SPW_VDot(e2, r) / det;
  if (t < 0) return false;
  *outT = t;
  return true;
}

SPW_FEATUREINST* SPW_CollideQuery(SPW_SCENE* scene, const SPW_VECTOR* start,
                                  const SPW_VECTOR* direction, float, SPW_VECTOR* outHit,
                                  float* best) {
  return Query(scene, start, direction, outHit, best, nullptr);
}

SPW_FEATUREINST* SPW_CollideQueryEx(SPW_SCENE* scene, const SPW_VECTOR* start,
                                    const SPW_VECTOR* direction, float, SPW_VECTOR* outHit,
                                    float* best, SPW_VECTOR* outNormal) {
  return Query(scene, start, direction, outHit, best, outNormal);
}

int32_t SPW_CollideObject(SPW_FEATUREINST* item, const SPW_VECTOR* start,
                          const SPW_VECTOR* direction, float, SPW_VECTOR* outHit, float* best,
                          uint32_t* outValues) {
  if (!item || (item->dwFlags & SPW_FINST_IGNORED) || !start || !direction || !best) return 0;
  ItemHit hit{*best, {}, {}, {}};
  if (!TestItem(*item, *start, *direction, hit)) return 0;
  *best = hit.best;
  if (outHit) SPW_MatTransformPoint(&item->mObjectToWorld, &hit.point, outHit);
  if (outValues) std::copy(hit.values, hit.values + 3, outValues);
  return 1;
}

int32_t SPW_CollideSphere(SPW_SCENE* scene, const SPW_VECTOR* centre, float radius,
                          SPW_COLLIDEFN fn, void* user) {
  if (!scene || !centre || !fn) return 0;
  int32_t visited = 0;
  SPW_WalkTree(
      scene->pTree,
      [&](SPW_TREENODE* n) { return (n->dwMask & g_mask) && SphereMeets(n->vCentre, n->fRadius, *centre, radius); },
      [&](SPW_TREENODE* n) {
        visited = 1;
        return fn(n->pItem, user) != 0;
      });
  return visited;
}

SPW_FEATUREINST* SPW_CollideFindByName(SPW_SCENE* scene, const char* name) {
  if (!scene || !name) return nullptr;
  SPW_FEATUREINST* found = nullptr;
  SPW_ForEachLeaf(scene->pTree, [&](SPW_TREENODE* n) {
    if (Name(n->pItem->szName) != Wanted(name)) return true;
    found = n->pItem;
    return false;
  });
  return found;
}

int32_t SPW_CollideNearestByName(SPW_SCENE* scene, const char* className,
                                 const SPW_VECTOR* point, SPW_TREENODE** outNode) {
  return Nearest(scene, point, outNode, [&](const SPW_FEATUREINST& i) {
    return className && PLAT_EqualNoCase(Name(i.pClass->szClassName), Wanted(className));
  });
}

int32_t SPW_CollideNearestItem(SPW_SCENE* scene, const char* className, const SPW_VECTOR* point,
                               SPW_TREENODE** outNode) {
  return Nearest(scene, point, outNode, [&](const SPW_FEATUREINST& i) {
    return !i.dwInactive && className &&
           PLAT_EqualNoCase(Name(i.pClass->szClassName), Wanted(className));
  });
}

int32_t SPW_CollideNearestByNameEx(SPW_SCENE* scene, const char* name, const SPW_VECTOR* point,
                                   SPW_TREENODE** outNode) {
  return Nearest(scene, point, outNode, [&](const SPW_FEATUREINST& i) {
    return name && PLAT_EqualNoCase(Name(i.szName), Wanted(name));
  });
}

void SPW_CollideForEachByName(SPW_SCENE* scene, const char* className, SPW_COLLIDENODEFN fn,
                              void* user) {
  if (!scene || !className || !fn) return;
  SPW_ForEachLeaf(scene->pTree, [&](SPW_TREENODE* n) {
    if (!n->pItem->dwInactive && PLAT_EqualNoCase(Name(n->pItem->pClass->szClassName), Wanted(className)))
      fn(n, user);
    return true;
  });
}

uint32_t SPW_SetCollideMask(uint32_t mask) {
  const uint32_t old = g_mask;
  g_mask = mask;
  return old;
}

int32_t SPW_SampleGroundColour(SPW_SCENE* scene, const SPW_VECTOR* point, float height,
                               uint32_t* outColour, int32_t* outFlag) {
  if (!scene || !point || !outColour) return 0;
  float ground = 0;
  if (scene->pTerrain && SPW_TerrainHeightAt(scene->pTerrain, point->x, point->y, &ground) &&
      ground + height > point->z) {
    *outColour = SPW_GetTerrainColour(scene, point->x, point->y);
    if (outFlag) *outFlag = 1;
    return 1;
  }
  float sum[3] = {0, 0, 0};
  uint32_t values = 0, triangles = 0;
  SPW_WalkTree(
      scene->pTree,
      [&](SPW_TREENODE* n) { return (n->dwMask & g_mask) && SphereMeets(n->vCentre, n->fRadius, *point, height); },
      [&](SPW_TREENODE* n) {
        const SPW_FEATUREINST& item = *n->pItem;
        if (!item.pClass->dwNumMeshes || !item.dwNumColours) return true;
        const SPW_FEATUREMESH& mesh = item.pClass->pMeshes[0];
        SPW_VECTOR c;
        SPW_MatTransformPoint(&item.mWorldToObject, point, &c);
        const float r = height * item.fInvScale;
        return SPW_WalkMesh(
            mesh, [&](const SPW_FEATURENODE& m) { return SphereMeets(m.vCentre, m.fRadius, c, r); },
            [&](int32_t f) {
              for (int k = 0; k < 3; ++k) {
                const uint32_t colour = item.ppColours[0][mesh.pFaces[f].adwIndex[k]];
                sum[0] += static_cast<float>((colour >> 16) & 0xFF);
                sum[1] += static_cast<float>((colour >> 8) & 0xFF);
                sum[2] += static_cast<float>(colour & 0xFF);
                ++values;
              }
              return ++triangles < kMaxSampleTriangles;
            });
      });
  SPW_COLOUR colour = scene->ambient;
  colour.a = 255;
  if (values) colour = {sum[0] / static_cast<float>(values), sum[1] / static_cast<float>(values),
                        sum[2] / static_cast<float>(values), 255};
  SPW_ColourToARGB(&colour, outColour);
  if (outFlag) *outFlag = values ? 1 : 0;
  return 1;
}
