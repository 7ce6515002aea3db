// The display callback that draws a scene's dynamic objects: culling by bounding sphere against
// the clip planes, lights, level of detail, and the node walk through the driver's node renderer.
#include <algorithm>

#include "engine/scene/scene.h"
#include "engine/profiler/profiler.h"
#include "engine/tess/tess.h"
#include "engine/vdisplay/vdisplay.h"

int32_t SPW_DrawObjectNodes = 1;

namespace {

constexpr uint32_t kNoClipMask = 0xFFFFFFFFu;
constexpr int32_t kAttachedFirstNode = 2;

// The renderer's tables, rebuilt per drawn object.
struct RENDERSTATE {
  SPW_DISPLAYNODE* pNode = nullptr;
  SPW_DISPLAY* pDisplay = nullptr;
  SPPD_DRIVERTABLE* pTable = nullptr;
  SPW_VDISPLAY* pView = nullptr;
  SPW_TQSSTACK stack;
  SPW_LIGHT* apLights[SPW_MAX_OBJECT_LIGHTS];
  int32_t nLights = 0;
  uint32_t dwLod = 0;
};
RENDERSTATE g_r;

KOPROFILE_GROUP* g_profileGroup = nullptr;
int32_t g_profileCounter = -1;

const SPW_DOBJTYPE* TypeOf(const SPW_DOBJECT* o) { return SPW_GetObjectType(o->nType); }

SPW_COLOUR NodeColour(const SPW_DOBJECT* o) {
  if (!(o->fFlags & SPW_DOBJ_OWN_COLOUR)) return o->pScene->ambient;
  if (o->fFlags & SPW_DOBJ_COLOUR_AS_IS) return o->colourA;
  const SPW_COLOUR& a = o->colourA;
  const SPW_COLOUR& b = o->colourB;
  return {a.r * b.r / 255.0f, a.g * b.g / 255.0f, a.b * b.b / 255.0f, a.a * b.a / 255.0f};
}

void SetViewBase(const SPW_MATRIX& view) {
  SPW_TQSInit(&g_r.stack);
  SPW_TQSENTRY& base = g_r.stack.aEntry[0];
  base.mMatrix = view;
  base.vPos = {view.m[3][0], view.m[3][1], view.m[3][2]};
  SPW_MatToQuat(&view, &base.qRot);
}

int32_t WalkNode(SPW_DOBJECT* o, const SPW_DOBJLOD& lod, int32_t n, uint32_t clipMask);

// The objects hung at a locator, drawn from their node 2 on under it.
void DrawAttached(SPW_DOBJECT* attached) {
  const SPW_DOBJTYPE* type = TypeOf(attached);
  if (!type || !type->dwNumLods || !attached->pNodes) return;
  const uint32_t saved = g_r.dwLod;
  g_r.dwLod = std::min(g_r.dwLod, type->dwNumLods - 1);
  const SPW_DOBJLOD& lod = type->pLods[g_r.dwLod];
  for (int32_t k = kAttachedFirstNode; k < static_cast<int32_t>(lod.dwNumNodes);)
    k = WalkNode(attached, lod, k, kNoClipMask);
  g_r.dwLod = saved;
}

// Draws node n and its subtree; the index after the subtree.
int32_t WalkNode(SPW_DOBJECT* o, const SPW_DOBJLOD& lod, int32_t n, uint32_t clipMask) {
  SPW_DOBJNODE* node = &lod.pNodes[n];
  SPW_NODEINST* inst = &o->pNodes[n];
  SPW_TRANSFORM t = o->t;
  if (n > 0) {
    if (inst->pfnProc) inst->pfnProc(o, inst, nullptr, nullptr);
    t = inst->t;
    if (n == o->nOverrideNode) {
      SPW_QUAT turn;
      SPW_QuatFromEuler(&o->vOverrideAngles, &turn);
      SPW_QuatMultiply(&t.qRot, &turn, &t.qRot);
    }
  }
  SPW_COLOUR colour = NodeColour(o);
  SPW_TQSENTRY* top = SPW_TQSPush(&g_r.stack, &t);
  if (SPW_DrawObjectNodes) {
    if (o->fFlags & SPW_DOBJ_KEEP_NEAR) node->dwRenderFlags |= SPW_NODERENDER_KEEP_NEAR;
    g_r.pTable->SPPD_RenderNode(g_r.pDisplay, node, &top->mMatrix.m[0][0], &colour.r, clipMask,
                                static_cast<int32_t>(lod.dwNumTextures), g_r.apLights, g_r.nLights);
  }
  int32_t next = n + 1;
  for (uint32_t c = 0; c < node->dwNumChildren && next < static_cast<int32_t>(lod.dwNumNodes); ++c)
    next = WalkNode(o, lod, next, clipMask);
  if (!(o->fFlags & SPW_DOBJ_ATTACHED) && node->dwKind == SPW_NODEKIND_LOCATOR && inst->pAttached)
    DrawAttached(inst->pAttached);
  SPW_TQSPop(&g_r.stack);
  return next;
}

uint32_t ChooseLod(const SPW_DOBJECT* o, const SPW_DOBJTYPE* type) {
  if (o->pScene->fFlags & SPW_SCENE_LOD0) return 0;
  const uint32_t last = type->dwNumLods - 1;
  if (o->fFlags & SPW_DOBJ_KEEP_LOD) return std::min(g_r.dwLod, last);
  if (last == 0) return 0;
  const SPW_MATRIX& cam = g_r.pView->mCamera;
  const SPW_VECTOR eye = {cam.m[3][0], cam.m[3][1], cam.m[3][2]};
  const float d2 = SPW_VecDistSq(&eye, &o->t.vPos);
  return static_cast<uint32_t>(SPW_ChooseLOD(g_r.pNode, d2, static_cast<int32_t>(last)));
}

void DrawObject(SPW_DOBJECT* o, uint32_t clipMask) {
  if (o->fFlags & SPW_DOBJ_HIDDEN) return;
  const SPW_DOBJTYPE* type = TypeOf(o);
  if (!(o->fFlags & SPW_DOBJ_LIT)) {
    g_r.nLights = 0;
  } else if (!o->pParent) {
    const SPW_VECTOR c = {o->t.vPos.x + o->vCentre.x, o->t.vPos.y + o->vCentre.y,
                          o->t.vPos.z + o->vCentre.z};
    g_r.nLights = SPW_SelectObjectLights(o->pScene, &c, o->fRadius, o->fFlags,
                                         &g_r.pView->mView, g_r.apLights);
  }
  for (SPW_DOBJECT* child : SGE_ListRecords<SPW_DOBJECT>(&o->children)) {
    if (child->nPriority != -1) break;
    DrawObject(child, kNoClipMask);
  }
  if (!type || !type->dwNumLods || !o->pNodes) return;
  g_r.dwLod = ChooseLod(o, type);
  const SPW_DOBJLOD& lod = type->pLods[g_r.dwLod];
  if (lod.dwNumNodes) WalkNode(o, lod, 0, clipMask);
}

// Outside any plane: none; else the mask of the planes that cut the sphere.
bool Cull(const SPW_DOBJECT* o, const SPPD_SYSTEMRENDERSTATE& srs, uint32_t planes, uint32_t* mask) {
  const SPW_VECTOR c = {o->t.vPos.x + o->vCentre.x + o->vOffset.x,
                        o->t.vPos.y + o->vCentre.y + o->vOffset.y,
                        o->t.vPos.z + o->vCentre.z + o->vOffset.z};
  *mask = 0;
  for (uint32_t i = 0; i < planes; ++i) {
    const float* p = srs.fPlanePointsXf[i];
    const float* nrm = srs.fPlaneNormalsXf[i];
    const float d = (c.x - p[0]) * nrm[0] + (c.y - p[1]) * nrm[1] + (c.z - p[2]) * nrm[2];
    if (d + o->fRadius < 0.0f) return false;
    if (d - o->fRadius <= 0.0f) *mask |= 1u << i;
  }
  return true;
}

void DrawScene(SPW_SCENE* scene) {
  SPPD_SYSTEMRENDERSTATE srs;
  SPPD_RENDERSTATE rs{};
  if (!g_r.pTable->SPPD_GetSystemRenderState || !g_r.pTable->SPPD_GetRenderState ||
      g_r.pTable->SPPD_GetSystemRenderState(&srs) != SPPD_OK ||
      g_r.pTable->SPPD_GetRenderState(&rs) != SPPD_OK || !g_r.pTable->SPPD_RenderNode)
    return;
  const uint32_t planes = std::min<uint32_t>(rs.dwNumPlanes, SPPD_MAX_CLIP_PLANES);
  for (SPW_DOBJECT* o : SGE_ListRecords<SPW_DOBJECT>(&scene->dobjects)) {
    if (o->pParent || (o->fFlags & SPW_DOBJ_ATTACHED)) continue;
    uint32_t mask;
    if (!Cull(o, srs, planes, &mask)) {
      o->fFlags &= ~SPW_DOBJ_IN_VIEW;
      continue;
    }
    o->fFlags |= SPW_DOBJ_IN_VIEW;
    DrawObject(o, mask);
  }
}

}  // namespace

void SPW_SetDObjectProfiler(KOPROFILE_GROUP* group, int32_t counter) {
  g_profileGroup = group;
  g_profileCounter = counter;
}

int32_t SPW_DObjectRenderTask(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF*) {
  SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  SPPD_DRIVERTABLE* table = node ? SPW_GetDisplayDriver(node->pDisplay) : nullptr;
  if (!view || !view->pScene || !table) return -1;
  if (g_profileGroup) KOPROFILE_Start(g_profileGroup, g_profileCounter);
  g_r.pNode = node;
  g_r.pDisplay = node->pDisplay;
  g_r.pTable = table;
  g_r.pView = view;
  SetViewBase(view->mView);
  DrawScene(view->pScene);
  if (g_profileGroup) KOPROFILE_Stop(g_profileGroup, g_profileCounter);
  return -1;
}
