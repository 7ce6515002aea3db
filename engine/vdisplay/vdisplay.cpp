// Virtual displays: creation, the per-frame camera and view-state callbacks, field of view and
// level of detail.
#include "engine/vdisplay/vdisplay.h"

#include <cmath>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/math/argb.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"

namespace {

// 1 / tan(20 degrees): distances are judged as if seen through a 40-degree view.
constexpr float kLodViewScale = 2.7474775f;
// Upper bounds of the bands of levels 0 to 5; beyond the last, level 6.
constexpr float kLodBands[] = {800.0f, 3600.0f, 14200.0f, 87600.0f, 150000.0f, 220000.0f};

SPPD_DRIVERTABLE* DriverOf(const SPW_DISPLAYNODE* node) {
  return node ? SPW_GetDisplayDriver(node->pDisplay) : nullptr;
}

// A fog channel c becomes sqrt(c / 255) x 255: the node's colour lightened for distance.
uint32_t FogColour(uint32_t colour) {
  return SPW_ArgbMap(colour, [](uint32_t c) {
    auto f = static_cast<uint32_t>(std::sqrt(static_cast<float>(c) / 255.0f) * 255.0f);
    return f > 255 ? 255 : f;
  });
}

void SetPlane(SPW_VIEWSTATE* s, int i, float nx, float ny, float nz, float pz) {
  float len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (len > 0.0f) {
    nx /= len;
    ny /= len;
    nz /= len;
  }
  s->afNormals[i][0] = nx;
  s->afNormals[i][1] = ny;
  s->afNormals[i][2] = nz;
  s->afPoints[i][0] = 0.0f;
  s->afPoints[i][1] = 0.0f;
  s->afPoints[i][2] = pz;
}

// The viewport of the node's visible rectangle, as the render pass would have it.
bool ViewportOf(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* out) {
  SPPD_DRIVERTABLE* drv = DriverOf(node);
  SPW_RECT visible;
  if (!drv || !drv->SPPD_VPGet || !SPW_GetDisplayNodeVisibleRect(node, &visible)) return false;
  SPW_POINT origin{0.0f, 0.0f};
  for (const SPW_DISPLAYNODE* n = node; n; n = n->pParent) {
    origin.x += n->origin.x;
    origin.y += n->origin.y;
  }
  SPPD_VIEWPORT fill{};
  SPPD_VIEWPORT* vp = drv->SPPD_VPGet(&fill, node, &visible.x0, &origin.x);
  if (!vp) return false;
  *out = *vp;
  return true;
}

int32_t ApplyViewState(SPW_DISPLAYNODE* node, const SPW_VDISPLAY* view, const SPPD_VIEWPORT* vp) {
  SPPD_DRIVERTABLE* drv = DriverOf(node);
  SPW_VIEWSTATE state;
  if (!drv || !drv->SPPD_SetRenderState || !SPW_BuildViewState(view, vp, node->dwColour, &state))
    return -1;
  state.rs.pPlaneNormals = &state.afNormals[0][0];
  state.rs.pPlanePoints = &state.afPoints[0][0];
  drv->SPPD_SetRenderState(node, &state.rs);
  return 1;
}

// The camera's world transform: its own transform under those of its parent objects.
void CameraWorld(const SPW_DOBJECT* camera, SPW_MATRIX* out) {
  SPW_TransformToMatrix(&camera->t, out);
  for (const SPW_DOBJECT* p = camera->pParent; p; p = p->pParent) {
    SPW_MATRIX parent;
    SPW_TransformToMatrix(&p->t, &parent);
    SPW_MatMultiply(&parent, out, out);
  }
}

int32_t CameraCallback(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF*) {
  SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  if (view && view->pCamera) {
    SPW_MATRIX world;
    CameraWorld(view->pCamera, &world);
    SPW_SetViewFromTransform(view, &world);
  }
  return 1;
}

int32_t ViewStateCallback(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF*) {
  SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  if (!view || !vp) return -1;
  return ApplyViewState(node, view, vp);
}

}  // namespace

SPW_VDISPLAY* SPW_GetVDisplay(const SPW_DISPLAYNODE* node) {
  if (!node || !node->pTarget || node->pTarget->nSize != SPW_VDISPLAY_RECORD_SIZE) return nullptr;
  return static_cast<SPW_VDISPLAY*>(node->pTarget->pData);
}

int32_t SPW_SetViewFromTransform(SPW_VDISPLAY* view, const SPW_MATRIX* cameraWorld) {
  if (!view || !cameraWorld) return 0;
  view->mCamera = *cameraWorld;
  // A rigid transform: the inverse rotation is the transpose, the translation -t R^T.
  SPW_MATRIX inv;
  SPW_MatIdentity(&inv);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) inv.m[r][c] = cameraWorld->m[c][r];
  const SPW_VECTOR t{cameraWorld->m[3][0], cameraWorld->m[3][1], cameraWorld->m[3][2]};
  SPW_VECTOR it;
  SPW_MatInverseTranslate(cameraWorld, &t, &it);
  inv.m[3][0] = it.x;
  inv.m[3][1] = it.y;
  inv.m[3][2] = it.z;
  view->mView = inv;
  return 1;
}

int32_t SPW_BuildViewState(const SPW_VDISPLAY* view, const SPPD_VIEWPORT* vp, uint32_t colour,
                           SPW_VIEWSTATE* out) {
  if (!view || !vp || !out) return 0;
  const VNLAYER* layer = vnMAIN_GetLayer(view->nLayer);
  if (!layer) return 0;
  std::memset(static_cast<void*>(out), 0, sizeof *out);
  SPPD_RENDERSTATE& rs = out->rs;
  const float halfW = vp->fWidth * 0.5f, halfH = vp->fHeight * 0.5f;
  const float scaleX = halfW / view->fTanHalfX;
  const float scaleY = halfH / view->fTanHalfY;
  // The far plane moves out to the frustum's far corner, so nothing within the far distance
  // of the eye is cut off at the edges of the view.
  const float side = view->fFar * std::sqrt(view->fTanHalfX * view->fTanHalfX +
                                            view->fTanHalfY * view->fTanHalfY);
  const float far = std::sqrt(view->fFar * view->fFar + side * side);

  rs.dwMask = SPW_VDISPLAY_STATE_MASK;
  rs.fNear = view->fNear;
  rs.fFar = far;
  rs.fMinDepth = layer->fMinDepth;
  rs.fMaxDepth = layer->fMaxDepth;
  rs.fScaleX = scaleX;
  rs.fScaleY = -scaleY;  // view y up, screen y down
  rs.fCentreX = vp->fX + halfW;
  rs.fCentreY = vp->fY + halfH;
  rs.pMatrix = const_cast<float*>(&view->mCamera.m[0][0]);
  rs.pViewMatrix = const_cast<float*>(&view->mView.m[0][0]);

  // Inside a plane is where normal . point is not negative; the side planes pass the eye.
  SetPlane(out, 0, 0.0f, 0.0f, -1.0f, -view->fNear);
  SetPlane(out, 1, 0.0f, 0.0f, 1.0f, -far);
  SetPlane(out, 2, scaleX, 0.0f, -halfW, 0.0f);
  SetPlane(out, 3, -scaleX, 0.0f, -halfW, 0.0f);
  SetPlane(out, 4, 0.0f, -scaleY, -halfH, 0.0f);
  SetPlane(out, 5, 0.0f, scaleY, -halfH, 0.0f);
  rs.dwNumPlanes = SPW_VDISPLAY_NUM_PLANES;
  rs.pPlaneNormals = &out->afNormals[0][0];
  rs.pPlanePoints = &out->afPoints[0][0];
  rs.dwPlaneMask = (1u << SPW_VDISPLAY_NUM_PLANES) - 1;

  rs.dwUser[0] = static_cast<uint32_t>(view->nRenderValue[0]);
  rs.dwUser[1] = static_cast<uint32_t>(view->nRenderValue[1]);
  rs.dwUser19 = static_cast<uint32_t>(view->nRenderValue19);
  rs.dwColour = colour;
  rs.dwFogColour = FogColour(colour);
  return 1;
}

SPW_DISPLAYNODE* SPW_CreateVDisplay(SPW_DISPLAY* display, SPW_SCENE* scene, SPW_DOBJECT* camera,
                                    SPW_DISPLAYNODE* parent, int32_t layer, const SPW_RECT* rect,
                                    const SPW_POINT* offset, int32_t renderValue0,
                                    int32_t renderValue1, uint32_t nodeFlags,
                                    SGE_DATAREF* shared, float fNear, float fFar,
                                    int32_t userData, int32_t value0, int32_t value1, float fovX,
                                    float fovY, int32_t renderValue19) {
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  if (!drv) {
    PLAT_Trace("SPW_CreateVDisplay: the display has no driver table\n");
    return nullptr;
  }
  const VNLAYER* layerInfo = vnMAIN_GetLayer(layer);
  if (!layerInfo) return nullptr;
  auto* view = static_cast<SPW_VDISPLAY*>(SGE_MemCalloc(SGE_TaskMem, sizeof(SPW_VDISPLAY)));
  if (!view) {
    PLAT_Trace("SPW_CreateVDisplay: no room for the view in SGE_TaskMem\n");
    return nullptr;
  }
  view->pScene = scene;
  view->nValue[0] = value0;
  view->nValue[1] = value1;
  view->fFar = fFar;
  view->fNear = fNear;
  view->fInvNear = fNear != 0.0f ? 1.0f / fNear : 0.0f;
  view->fInvDepth = fFar > fNear ? 1.0f / (fFar - fNear) : 1.0f;
  SPW_MatIdentity(&view->mView);
  SPW_MatIdentity(&view->mCamera);
  view->fFovX = fovX;
  view->fFovY = fovY;
  view->fTanHalfX = std::tan(fovX * 0.5f);
  view->fTanHalfY = std::tan(fovY * 0.5f);
  view->pCamera = camera;
  view->nRenderValue[0] = renderValue0;
  view->nRenderValue[1] = renderValue1;
  view->nRenderValue19 = renderValue19;
  view->nLayer = layer;

  SGE_DATAREF* ref = SGE_CreateDataRef(view, SPW_VDISPLAY_RECORD_SIZE);
  if (!ref) {
    SGE_MemFree(view);
    return nullptr;
  }
  SPW_DISPLAYNODE* node = SPW_CreateDisplayNode(layerInfo->dwKey, 0.0f, rect, offset, userData,
                                                shared, display, parent, nodeFlags, ref);
  // The node holds its own reference when it was made; the record goes with the last one.
  SGE_ReleaseDataRef(ref);
  if (!node) {
    PLAT_Trace("SPW_CreateVDisplay: no display node\n");
    return nullptr;
  }
  SPW_AddDisplayNode(node, CameraCallback, SPW_VDISPLAY_KEY_CAMERA, nullptr);
  SPW_AddDisplayNode(node, ViewStateCallback, SPW_VDISPLAY_KEY_VIEWSTATE, nullptr);
  SPW_AddDisplayNode(node, drv->SPPD_ClearScreen, SPW_VDISPLAY_KEY_CLEAR, nullptr);
  SPW_AddDisplayNode(node, drv->SPPD_PreRender, SPW_VDISPLAY_KEY_PRERENDER, nullptr);
  SPW_AddDisplayNode(node, drv->SPPD_PostRender, SPW_VDISPLAY_KEY_POSTRENDER, nullptr);
  return node;
}

int32_t SPW_DestroyVDisplay(SPW_DISPLAYNODE* node) {
  // The node releases the record with its render target.
  if (node) SPW_DestroyDisplayNode(node);
  return 0;
}

int32_t SPW_UpdateVDisplay(SPW_DISPLAYNODE* node) {
  SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  SPPD_VIEWPORT vp;
  if (!view || !ViewportOf(node, &vp)) return -1;
  return ApplyViewState(node, view, &vp);
}

float SPW_GetHorizontalFov(const SPW_DISPLAY* display, float fovY) {
  if (!display || display->fHeight <= 0.0f) return fovY;
  return 2.0f * std::atan(std::tan(fovY * 0.5f) * display->fWidth / display->fHeight);
}

int32_t SPW_ChooseLOD(const SPW_DISPLAYNODE* viewNode, float x, int32_t levels) {
  const SPW_VDISPLAY* view = SPW_GetVDisplay(viewNode);
  if (levels <= 0 || !view) return 0;
  const float k = view->fTanHalfY * kLodViewScale;
  const float b = k * k * x;
  int32_t level = 0;
  while (level < 6 && b >= kLodBands[level]) ++level;
  return level < levels ? level : levels;
}
