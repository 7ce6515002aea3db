// Drawing the static scenery: the tree walk with its clip planes and light levels, the mesh
// walk of one instance with per-vertex lighting and the near fade, and the sky.
#include "engine/scenery/scenery.h"

#include "engine/scenery/internal.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/collide/internal.h"
#include "engine/feature/feature.h"
#include "engine/scene/scene.h"
#include "engine/vdisplay/vdisplay.h"

namespace {

struct Plane {
  SPW_VECTOR n;
  float c;
};

// A light as one instance sees it.
struct ObjectLight {
  const SPW_LIGHT* light;
  SPW_VECTOR pos, dir;
  float radius, radiusSq, invRadiusSq;  // the last: s^2 / world squared radius
};

// The frame's work tables.
struct Frame {
  SPW_DISPLAYNODE* node;
  SPW_DISPLAY* display;
  SPPD_DRIVERTABLE* drv;
  const SPW_VDISPLAY* view;
  SPW_VECTOR camera;
  uint32_t numPlanes;
  uint32_t fullMask;
  Plane planes[SPPD_MAX_CLIP_PLANES];
  float fadeFactor;
  std::vector<SPW_LIGHT*> lights;  // level 0 first; deeper levels are prefixes of it
  uint32_t drawn;
};

Frame g;
std::vector<ObjectLight> g_objectLights;  // the lights of the instance being drawn


// Tests a sphere against the planes still in the mask: false when it lies outside one;
// planes it lies wholly inside leave the mask.
bool ClipSphere(const Plane* planes, uint32_t numPlanes, const SPW_VECTOR& c, float r,
                uint32_t* mask) {
  for (uint32_t i = 0; i < numPlanes; ++i) {
    if (!(*mask & (1u << i))) continue;
    const float t = SPW_VDot(c, planes[i].n) - planes[i].c;
    if (t < -r) return false;
    if (t > r) *mask &= ~(1u << i);
  }
  return true;
}

// Keeps at the front of lights[0, count) those whose (mask-selected) sphere meets the node's;
// lights whose mask misses `lightMask` stay untested. The new count and the kept masks.
template <typename L, typename Meets>
uint32_t Narrow(std::vector<L>& lights, uint32_t count, uint32_t lightMask, Meets meets,
                uint32_t* keptBits) {
  *keptBits = 0;
  uint32_t boundary = count;
  for (uint32_t i = 0; i < boundary;) {
    if (!meets(lights[i], lightMask, keptBits)) {
      std::swap(lights[i], lights[--boundary]);
      continue;
    }
    ++i;
  }
  return boundary;
}

uint32_t NarrowTreeLights(uint32_t count, uint32_t lightMask, const SPW_TREENODE& node,
                          uint32_t* kept) {
  return Narrow(g.lights, count, lightMask,
                [&](SPW_LIGHT* l, uint32_t mask, uint32_t* bits) {
                  if (!(l->dwDefault & mask)) return true;
                  const SPW_VECTOR d = SPW_VSub(l->vPos, node.vCentre);
                  const float reach = node.fRadius + l->fRadius;
                  if (reach * reach < SPW_VDot(d, d)) return false;
                  *bits |= l->dwDefault;
                  return true;
                },
                kept);
}

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

uint32_t LightVertex(uint32_t base, const SPW_VECTOR& v, uint32_t count) {
  SPW_COLOUR c{static_cast<float>(Channel(base, 16)), static_cast<float>(Channel(base, 8)),
               static_cast<float>(Channel(base, 0)), 255};
  for (uint32_t i = 0; i < count; ++i) {
    const ObjectLight& ol = g_objectLights[i];
    const SPW_VECTOR to = SPW_VSub(ol.pos, v);
    const float d2 = SPW_VDot(to, to);
    if (!(d2 < ol.radiusSq)) continue;
    float f = 1.0f - d2 * ol.invRadiusSq;
    if (!(f > 0)) continue;
    if (ol.light->dwKind == SPW_LIGHT_CONE) {
      const float k = SPW_VDot(to, ol.dir);
      if (!(k < 0 && k * k > d2 * ol.light->fConeCos)) continue;
      f *= (k * k / d2 - ol.light->fConeCos) * ol.light->fConeFactor;
    }
    c.r += f * ol.light->colour.r;
    c.g += f * ol.light->colour.g;
    c.b += f * ol.light->colour.b;
  }
  c.r = std::min(c.r, 255.0f);
  c.g = std::min(c.g, 255.0f);
  c.b = std::min(c.b, 255.0f);
  uint32_t out = 0;
  SPW_ColourToARGB(&c, &out);
  return out;
}

// Everything one instance's mesh walk needs.
struct Instance {
  const SPW_FEATUREINST* item;
  const SPW_FEATUREMESH* mesh;
  const uint32_t* colours;
  SPW_MATRIX toView;
  SPW_VECTOR eye;  // object space
  Plane planes[SPPD_MAX_CLIP_PLANES];
  bool nearFade;
};

void DrawFace(const Instance& in, const SPW_FEATUREFACE& face, uint32_t clipMask, uint32_t lights) {
  const SPW_FEATUREMESH& mesh = *in.mesh;
  const SPW_VECTOR& v0 = mesh.pVertices[face.adwIndex[0]].vPos;
  if (!(face.dwFlags & SPW_FEATUREFACE_TWO_SIDED) && !(SPW_VDot(SPW_VSub(in.eye, v0), face.vNormal) > 0))
    return;
  SPPD_VERTEX out[3];
  bool near = false;
  for (int k = 0; k < 3; ++k) {
    const uint32_t idx = face.adwIndex[k];
    const SPW_FEATUREVERTEX& v = mesh.pVertices[idx];
    const uint32_t base = in.colours ? in.colours[idx] : 0xFFFFFFFFu;
    SPW_VECTOR p;
    SPW_MatTransformPoint(&in.toView, &v.vPos, &p);
    out[k] = {0, lights ? LightVertex(base, v.vPos, lights) : base, p.x, p.y, p.z, v.fU, v.fV};
    near = near || p.z > SPW_NEAR_FADE_Z;
  }
  if (in.nearFade && near)
    g.drv->SPPD_RenderFVFPolygonNearBlend(g.display, out, 3, 1, face.nTexture, 0, clipMask,
                                          SPW_NEAR_FADE_Z, g.fadeFactor);
  else
    g.drv->SPPD_RenderFVFPolygon(g.display, out, 3, 1, face.nTexture, 0, clipMask);
}

uint32_t NarrowObjectLights(uint32_t count, const SPW_FEATURENODE& node) {
  uint32_t kept;
  return Narrow(g_objectLights, count, ~0u,
                [&](const ObjectLight& l, uint32_t, uint32_t*) {
                  const SPW_VECTOR d = SPW_VSub(l.pos, node.vCentre);
                  const float reach = node.fRadius + l.radius;
                  return reach * reach >= SPW_VDot(d, d);
                },
                &kept);
}

void WalkMesh(const Instance& in, uint32_t clipMask, uint32_t lights) {
  const SPW_FEATUREMESH& mesh = *in.mesh;
  if (!mesh.dwNumNodes) return;
  struct Entry {
    int32_t node;
    uint32_t mask, lights;
  };
  SPW_WALKSTACK<Entry> stack(mesh.dwDepth + 1);
  stack.Push({static_cast<int32_t>(mesh.dwNumNodes - 1), clipMask, lights});
  Entry e;
  while (stack.Pop(&e)) {
    const SPW_FEATURENODE& node = mesh.pNodes[e.node];
    if (e.mask && !ClipSphere(in.planes, g.numPlanes, node.vCentre, node.fRadius, &e.mask)) continue;
    if (e.lights) e.lights = NarrowObjectLights(e.lights, node);
    if (node.nFace >= 0) DrawFace(in, mesh.pFaces[node.nFace], e.mask, e.lights);
    if (node.nRight >= 0) stack.Push({node.nRight, e.mask, e.lights});
    if (node.nLeft >= 0) stack.Push({node.nLeft, e.mask, e.lights});
  }
}

void DrawInstance(SPW_FEATUREINST* item, uint32_t clipMask, uint32_t lights) {
  const SPW_FEATUREOBJ& cls = *item->pClass;
  if (!cls.dwNumMeshes) return;
  SPW_DrawDecals({g.display, g.drv, &g.view->mView}, g.view->pScene, item, clipMask);
  Instance in{};
  in.item = item;
  SPW_MatMultiply(&g.view->mView, &item->mObjectToWorld, &in.toView);
  SPW_VECTOR centre;
  SPW_MatTransformPoint(&in.toView, &cls.vCentre, &centre);
  const float e = -centre.z;
  item->nLod = SPW_ChooseLOD(g.node, e * e, static_cast<int32_t>(cls.dwNumMeshes) - 1);
  item->nLod = std::clamp(item->nLod, 0, static_cast<int32_t>(cls.dwNumMeshes) - 1);
  in.mesh = &cls.pMeshes[item->nLod];
  in.colours = static_cast<uint32_t>(item->nLod) < item->dwNumColours ? item->ppColours[item->nLod] : nullptr;
  // The eye through the inverse, exact also for scaled instances.
  SPW_MatTransformPoint(&item->mWorldToObject, &g.camera, &in.eye);
  if (clipMask)
    for (uint32_t i = 0; i < g.numPlanes; ++i) {
      SPW_VECTOR point{g.planes[i].n.x * g.planes[i].c, g.planes[i].n.y * g.planes[i].c,
                       g.planes[i].n.z * g.planes[i].c};
      SPW_VECTOR p, n;
      SPW_MatTransformPoint(&item->mWorldToObject, &point, &p);
      SPW_MatRotateVector(&item->mWorldToObject, &g.planes[i].n, &n);
      n = {n.x * item->fScale, n.y * item->fScale, n.z * item->fScale};
      in.planes[i] = {n, SPW_VDot(n, p)};
    }
  in.nearFade = (cls.dwAttributes & SPW_FEATURE_NEAR_FADE) &&
                e - 10.0f < in.mesh->fRadius * item->fScale;
  g_objectLights.resize(std::max<size_t>(g_objectLights.size(), lights));
  const float s2 = item->fScale * item->fScale;
  for (uint32_t i = 0; i < lights; ++i) {
    const SPW_LIGHT* l = g.lights[i];
    ObjectLight& ol = g_objectLights[i];
    ol.light = l;
    SPW_MatTransformPoint(&item->mWorldToObject, &l->vPos, &ol.pos);
    SPW_MatRotateVector(&item->mWorldToObject, &l->vDirection, &ol.dir);
    ol.radius = l->fRadius * item->fInvScale;
    ol.radiusSq = l->fRadiusSq / s2;
    ol.invRadiusSq = l->fRadiusSq > 0 ? s2 / l->fRadiusSq : 0;
  }
  WalkMesh(in, clipMask, lights);
  ++g.drawn;
}

void WalkTree(SPW_TREENODE* root, uint32_t lightMask, uint32_t level0) {
  struct Entry {
    SPW_TREENODE* node;
    uint32_t mask, lightMask, lights;
  };
  SPW_WALKSTACK<Entry> stack(root->dwHeight + 1);
  stack.Push({root, g.fullMask, lightMask, level0});
  Entry e;
  while (stack.Pop(&e)) {
    SPW_TREENODE& node = *e.node;
    if (!ClipSphere(g.planes, g.numPlanes, node.vCentre, node.fRadius, &e.mask)) continue;
    const uint32_t l1 = e.lightMask & node.dwMask;
    uint32_t count = 0, kept = 0;
    if (e.lights && l1) count = NarrowTreeLights(e.lights, l1, node, &kept);
    const uint32_t l2 = l1 & kept;
    if (node.pItem) {
      if (!(node.pItem->dwFlags & (SPW_FINST_IGNORED | SPW_FINST_HIDDEN)))
        DrawInstance(node.pItem, e.mask, count);
      continue;
    }
    if (node.pRight) stack.Push({node.pRight, e.mask, l2, count});
    if (node.pLeft) stack.Push({node.pLeft, e.mask, l2, count});
  }
}

void DrawSky(SPW_FEATUREINST* sky) {
  const SPW_FEATUREOBJ& cls = *sky->pClass;
  if (!cls.dwNumMeshes) return;
  const int32_t lod = std::clamp(sky->nLod, 0, static_cast<int32_t>(cls.dwNumMeshes) - 1);
  const SPW_FEATUREMESH& mesh = cls.pMeshes[lod];
  SPPD_VERTEX out[SPW_FEATURE_MAX_FACE_VERTICES];
  for (uint32_t f = 0; f < mesh.dwNumFaces; ++f) {
    const SPW_FEATUREFACE& face = mesh.pFaces[f];
    for (uint32_t k = 0; k < mesh.dwVertsPerFace; ++k) {
      const SPW_FEATUREVERTEX& v = mesh.pVertices[face.adwIndex[k]];
      SPW_VECTOR w, p;
      SPW_MatTransformPoint(&sky->mObjectToWorld, &v.vPos, &w);
      // The sky follows the camera across the ground, not up and down.
      w.x += g.camera.x;
      w.y += g.camera.y;
      SPW_MatTransformPoint(&g.view->mView, &w, &p);
      out[k] = {0, 0xFFFFFFFFu, p.x, p.y, p.z, v.fU, v.fV};
    }
    g.drv->SPPD_RenderFVFPolygon(g.display, out, mesh.dwVertsPerFace | SPPD_VERTEX_NOFOG, 1,
                                 face.nTexture, 0, g.fullMask);
  }
}

bool TakeRenderState() {
  SPPD_SYSTEMRENDERSTATE rs{};
  if (g.drv->SPPD_GetSystemRenderState(&rs) != SPPD_OK) return false;
  g.numPlanes = std::min<uint32_t>(rs.rs.dwNumPlanes, SPPD_MAX_CLIP_PLANES);
  for (uint32_t i = 0; i < g.numPlanes; ++i)
    g.planes[i] = {{rs.fPlaneNormalsXf[i][0], rs.fPlaneNormalsXf[i][1], rs.fPlaneNormalsXf[i][2]},
                   rs.fPlaneConstXf[i]};
  g.fullMask = g.numPlanes >= 32 ? 0xFFFFFFFFu : (1u << g.numPlanes) - 1;
  const float z = g.numPlanes ? rs.fPlanePoints[0][2] : 0.0f;
  g.fadeFactor = (SPW_NEAR_FADE_Z - z) != 0 ? 1.0f / (SPW_NEAR_FADE_Z - z) : 0.0f;
  return true;
}

// Level 0: the terrain lights, in list order; their words make the light mask.
uint32_t TakeLights(SPW_SCENE* scene) {
  g.lights.clear();
  uint32_t mask = 0;
  for (SPW_LIGHT* l : SGE_ListRecords<SPW_LIGHT>(&scene->lights)) {
    if (!(l->fFlags & SPW_LIGHT_TERRAIN)) continue;
    g.lights.push_back(l);
    mask |= l->dwDefault;
  }
  return mask;
}

}  // namespace

int32_t SPW_SceneryRenderTask(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF*) {
  const SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  if (!view || !view->pScene || !view->pScene->pTree) return -1;
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(node->pDisplay);
  if (!drv || !drv->SPPD_GetSystemRenderState || !drv->SPPD_RenderFVFPolygon ||
      !drv->SPPD_RenderFVFPolygonNearBlend)
    return -1;
  g.node = node;
  g.display = node->pDisplay;
  g.drv = drv;
  g.view = view;
  g.camera = {view->mCamera.m[3][0], view->mCamera.m[3][1], view->mCamera.m[3][2]};
  g.drawn = 0;
  if (!TakeRenderState()) return -1;
  SPW_SCENE* scene = view->pScene;
  const uint32_t lightMask = TakeLights(scene);
  WalkTree(scene->pTree, lightMask, static_cast<uint32_t>(g.lights.size()));
  if (SPW_FEATUREINST* sky = SPW_GetSceneSky(scene)) DrawSky(sky);
  return -1;
}

uint32_t SPW_GetSceneryDrawCount() { return g.drawn; }
