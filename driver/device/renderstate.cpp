// The render-state record: one process-wide current state, applied field by field under the
// record's mask, with the values derived from it that the clippers and primitives read.
#include "driver/device/renderstate.h"

#include <cstring>

#include "driver/core/block.h"
#include "driver/device/sceneview.h"
#include "engine/display/display.h"
#include "platform/gfx/gfx.h"
#include "platform/trace.h"

namespace {

SPPD_RENDERSTATE g_record;    // what SPPD_GetRenderState hands back, node and pointers included
SPPD_SYSTEMRENDERSTATE g_rs;  // the area: the record's words and what is derived from them
float g_sun[3];

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The eight float words and the mask bit that takes each.
struct FloatWord {
  uint32_t dwBit;
  float SPPD_RENDERSTATE::*pField;
};
constexpr FloatWord kFloatWords[] = {
    {SPPD_RS_NEAR, &SPPD_RENDERSTATE::fNear},
    {SPPD_RS_FAR, &SPPD_RENDERSTATE::fFar},
    {SPPD_RS_MIN_DEPTH, &SPPD_RENDERSTATE::fMinDepth},
    {SPPD_RS_MAX_DEPTH, &SPPD_RENDERSTATE::fMaxDepth},
    {SPPD_RS_SCALE_X, &SPPD_RENDERSTATE::fScaleX},
    {SPPD_RS_SCALE_Y, &SPPD_RENDERSTATE::fScaleY},
    {SPPD_RS_CENTRE_X, &SPPD_RENDERSTATE::fCentreX},
    {SPPD_RS_CENTRE_Y, &SPPD_RENDERSTATE::fCentreY},
};

// Row vector times the 3 by 3 part.
void Rotate(const float* m, const float* v, float* out) {
  float x = v[0], y = v[1], z = v[2];
  out[0] = x * m[0] + y * m[4] + z * m[8];
  out[1] = x * m[1] + y * m[5] + z * m[9];
  out[2] = x * m[2] + y * m[6] + z * m[10];
}

void Transform(const float* m, const float* v, float* out) {
  Rotate(m, v, out);
  out[0] += m[12];
  out[1] += m[13];
  out[2] += m[14];
}

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void SetFogColour(SPW_DISPLAYNODE* node, uint32_t colour) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(node->pDisplay);
  if (s && s->pGfx) PLAT_GfxSetState(s->pGfx, PLAT_GfxState::FogColor, colour);
}

void ApplyFactorMode(uint32_t mask, const SPPD_RENDERSTATE& in) {
  SPPD_RENDERSTATE& rs = g_record;
  constexpr uint32_t modes = SPPD_RS_FACTOR_ZERO | SPPD_RS_FACTOR_ONE | SPPD_RS_FACTOR_DEFAULT;
  if (mask & SPPD_RS_FACTOR_ZERO) {
    rs.fFactor = 0.0f;
    rs.dwMask = (rs.dwMask & ~modes) | SPPD_RS_FACTOR_ZERO;
  }
  if (mask & SPPD_RS_FACTOR_ONE) {
    rs.fFactor = 1.0f;
    rs.dwMask = (rs.dwMask & ~modes) | SPPD_RS_FACTOR_ONE;
  }
  if ((mask & SPPD_RS_FACTOR_DEFAULT) || !(rs.dwMask & modes)) {
    if (!(rs.dwMask & SPPD_RS_FACTOR)) rs.fFactor = SPPD_RS_DEFAULT_FACTOR;
    if (mask & SPPD_RS_FACTOR) rs.fFactor = in.fFactor;
    rs.dwMask = (rs.dwMask & ~modes) | SPPD_RS_FACTOR | SPPD_RS_FACTOR_DEFAULT;
  } else if (mask & SPPD_RS_FACTOR) {
    rs.fFactor = in.fFactor;
  }
}

void DerivePlanes(uint32_t mask) {
  SPPD_SYSTEMRENDERSTATE& a = g_rs;
  const float* m = a.fMatrix;
  if (mask & SPPD_RS_MATRICES) {
    const float origin[3] = {0, 0, 0};
    Transform(m, origin, a.fEye);
  }
  uint32_t n = g_record.dwNumPlanes;
  for (uint32_t i = 0; i < n; ++i) {
    Rotate(m, a.fPlaneNormals[i], a.fPlaneNormalsXf[i]);
    Transform(m, a.fPlanePoints[i], a.fPlanePointsXf[i]);
    a.fPlaneConstXf[i] = Dot(a.fPlaneNormalsXf[i], a.fPlanePointsXf[i]);
    a.fPlaneConst[i] = Dot(a.fPlaneNormals[i], a.fPlanePoints[i]);
  }
}

}  // namespace

const SPPD_SYSTEMRENDERSTATE* SPPD_CurrentRenderState() { return &g_rs; }

const SPW_VDISPLAY* SPPD_CurrentView() { return SPPD_ViewOfNode(g_record.pNode); }
const float* SPPD_GetSunDirection() { return g_sun; }

void SPPD_ResetRenderState() {
  g_record = SPPD_RENDERSTATE{};
  std::memset(static_cast<void*>(&g_rs), 0, sizeof g_rs);
  std::memset(g_sun, 0, sizeof g_sun);
}

int32_t SPPD_SetRenderState(SPW_DISPLAYNODE* node, SPPD_RENDERSTATE* in) {
  if (!in) return SPPD_OK;
  SPPD_SYSTEMRENDERSTATE& a = g_rs;
  SPPD_RENDERSTATE& rs = g_record;
  const uint32_t mask = in->dwMask;

  rs.pNode = node;
  if (node && !(mask & SPPD_RS_CONST_RGB_KEPT)) {
    rs.dwFogColour = in->dwFogColour;
    SetFogColour(node, in->dwFogColour);
  }

  for (const FloatWord& w : kFloatWords)
    if (mask & w.dwBit) rs.*w.pField = in->*w.pField;

  if (mask & SPPD_RS_PLANES) {
    // More planes than the area holds would run past it.
    uint32_t n = in->dwNumPlanes;
    if (n > SPPD_MAX_CLIP_PLANES) {
      PLAT_Trace("GFXDRV: SPPD_SetRenderState: %u clip planes, only the first %d kept\n", n,
                 SPPD_MAX_CLIP_PLANES);
      n = SPPD_MAX_CLIP_PLANES;
    }
    if (in->pPlaneNormals) std::memcpy(a.fPlaneNormals, in->pPlaneNormals, n * 3 * sizeof(float));
    if (in->pPlanePoints) std::memcpy(a.fPlanePoints, in->pPlanePoints, n * 3 * sizeof(float));
    rs.dwNumPlanes = n;
    rs.pPlaneNormals = &a.fPlaneNormals[0][0];
    rs.pPlanePoints = &a.fPlanePoints[0][0];
  }
  if (mask & SPPD_RS_MATRICES) {
    bool both = in->pMatrix && in->pViewMatrix;
    std::memcpy(a.fMatrix, both ? in->pMatrix : kIdentity, sizeof a.fMatrix);
    std::memcpy(a.fViewMatrix, both ? in->pViewMatrix : kIdentity, sizeof a.fViewMatrix);
    rs.pMatrix = a.fMatrix;
    rs.pViewMatrix = a.fViewMatrix;
  }
  if (mask & SPPD_RS_USER19) rs.dwUser19 = in->dwUser19;
  if (mask & SPPD_RS_COLOUR_RGB) rs.dwColour = (rs.dwColour & 0xFF000000u) | (in->dwColour & 0xFFFFFFu);
  if (mask & SPPD_RS_COLOUR_ALPHA) rs.dwColour = (rs.dwColour & 0xFFFFFFu) | (in->dwColour & 0xFF000000u);

  if (mask & SPPD_RS_CONST_RGB_KEPT) rs.dwMask = (rs.dwMask & ~SPPD_RS_CONST_RGB_WHITE) | SPPD_RS_CONST_RGB_KEPT;
  if (mask & SPPD_RS_CONST_RGB_WHITE) rs.dwMask = (rs.dwMask & ~SPPD_RS_CONST_RGB_KEPT) | SPPD_RS_CONST_RGB_WHITE;
  if (mask & SPPD_RS_CONST_ALPHA_KEPT) rs.dwMask = (rs.dwMask & ~SPPD_RS_CONST_ALPHA_FULL) | SPPD_RS_CONST_ALPHA_KEPT;
  if (mask & SPPD_RS_CONST_ALPHA_FULL) rs.dwMask = (rs.dwMask & ~SPPD_RS_CONST_ALPHA_KEPT) | SPPD_RS_CONST_ALPHA_FULL;

  ApplyFactorMode(mask, *in);
  rs.dwMask |= mask & SPPD_RS_LOW_BITS;

  if (mask & SPPD_RS_DEPTH_MAPPING) {
    float n = rs.fNear, f = rs.fFar;
    float k = f / (f - n) * (rs.fMaxDepth - rs.fMinDepth);
    a.fDepthScale = k;
    a.fDepthOffset = rs.fMinDepth + k;
    a.fDepthFactor = n * k;
  }
  std::memcpy(rs.dwUser, in->dwUser, sizeof rs.dwUser);

  if (mask & (SPPD_RS_NEAR | SPPD_RS_FAR | SPPD_RS_MATRICES | SPPD_RS_PLANES)) {
    DerivePlanes(mask);
    rs.dwPlaneMask = in->dwPlaneMask;
  }

  if (rs.dwMask & SPPD_RS_CONST_RGB_KEPT) a.dwConstRGB = rs.dwColour & 0xFFFFFFu;
  if (rs.dwMask & SPPD_RS_CONST_RGB_WHITE) a.dwConstRGB = 0xFFFFFFu;
  if (rs.dwMask & SPPD_RS_CONST_ALPHA_KEPT) a.dwConstAlpha = rs.dwColour & 0xFF000000u;
  if (rs.dwMask & SPPD_RS_CONST_ALPHA_FULL) a.dwConstAlpha = 0xFF000000u;

  if (mask & SPPD_RS_WIREFRAME) rs.dwMask = (rs.dwMask & ~SPPD_RS_ALT) | SPPD_RS_WIREFRAME;
  if (mask & SPPD_RS_ALT) rs.dwMask = (rs.dwMask & ~SPPD_RS_WIREFRAME) | SPPD_RS_ALT;
  a.rs = SPPD_RenderStateWords(rs);

  // The sun of the view's scene, along its light and into view space; a node that draws no
  // scene leaves the sun as it was.
  float along[3];
  if (SPPD_ViewSunward(SPPD_ViewOfNode(node), along)) Rotate(a.fViewMatrix, along, g_sun);
  return SPPD_OK;
}

int32_t SPPD_GetRenderState(SPPD_RENDERSTATE* out) {
  if (!out) return SPPD_FAIL;
  *out = g_record;
  return SPPD_OK;
}

int32_t SPPD_GetSystemRenderState(SPPD_SYSTEMRENDERSTATE* out) {
  if (!out) return SPPD_FAIL;
  *out = g_rs;
  return SPPD_OK;
}
