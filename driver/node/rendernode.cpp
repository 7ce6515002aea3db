// SPPD_RenderNode: the per-node state (matrix, lights, sun and eye in the node's object space,
// fog and fade from the node's distance) and the choice of renderer; the flat face colour.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/core/block.h"
#include "driver/device/renderstate.h"
#include "driver/node/node.h"
#include "engine/scene/scene.h"  // the light records handed in
#include "platform/trace.h"

namespace {

SPPD_NODESTATE g_node;
SPPD_SHAREDVERTEX g_shared[SPPD_NODE_MAX_VERTICES];

// -(v times the transpose of the matrix's rotation): a view-space vector or point (the
// matrix's translation: the eye) taken into the node's object space, negated.
void InverseTranslate(const float* m, const float v[3], float out[3]) {
  const float x = v[0], y = v[1], z = v[2];
  out[0] = -(m[0] * x + m[1] * y + m[2] * z);
  out[1] = -(m[4] * x + m[5] * y + m[6] * z);
  out[2] = -(m[8] * x + m[9] * y + m[10] * z);
}

// The light's direction from it toward the node, turned around into object space: it points
// at the light, as the sun's object-space direction points along the sunlight.
void TakeLights(SPPD_NODESTATE& s, SPW_LIGHT** lights, int32_t count) {
  s.ppLights = lights;
  uint32_t n = lights && count > 0 ? static_cast<uint32_t>(count) : 0;
  if (n > SPPD_NODE_MAX_LIGHTS) {
    PLAT_Trace("GFXDRV: SPPD_RenderNode: %u lights, only the first %u taken\n", n,
               SPPD_NODE_MAX_LIGHTS);
    n = SPPD_NODE_MAX_LIGHTS;
  }
  uint32_t kept = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const SPW_LIGHT* light = lights[i];
    if (!light) continue;
    SPPD_NODELIGHT& l = s.aLights[kept++];
    const float dir[3] = {light->vViewDir.x, light->vViewDir.y, light->vViewDir.z};
    InverseTranslate(s.m, dir, l.dir);
    l.colour = SPPD_FLOAT4{light->fIntensity * light->colour.r, light->fIntensity * light->colour.g,
                           light->fIntensity * light->colour.b, 0.0f};
  }
  s.dwNumLights = kept;
}

void TakeView(SPPD_NODESTATE& s) {
  const SPPD_SYSTEMRENDERSTATE* a = SPPD_CurrentRenderState();
  s.fNear = a->rs.fNear;
  s.fScaleX = a->rs.fScaleX;
  s.fScaleY = a->rs.fScaleY;
  s.fCentreX = a->rs.fCentreX;
  s.fCentreY = a->rs.fCentreY;
  s.fDepthOffset = a->fDepthOffset;
  s.fDepthFactor = a->fDepthFactor;
  const SPW_VDISPLAY* view = SPPD_CurrentView();
  if (view) {
    s.fInvDepthSpan = SPPD_ViewInvDepth(view);
  } else {
    // Without a virtual display the render state's own span stands in.
    const float span = a->rs.fFar - a->rs.fNear;
    s.fInvDepthSpan = span != 0.0f ? 1.0f / span : 1.0f;
  }
  // Without a scene there is no sun.
  float sun[3];
  SPPD_ViewSunColour(view, sun);
  s.sunColour = SPPD_FLOAT4{sun[0], sun[1], sun[2], 0.0f};
  InverseTranslate(s.m, SPPD_GetSunDirection(), s.sunDir);
}

// The fog byte of a node at distance d (in front of the near distance) as a specular word.
uint32_t FogWord(const SPPD_NODESTATE& s, float d, float far) {
  if (d > far) return 0;
  return SPPD_PrimFogSpecular(s.fDepthOffset - s.fDepthFactor / d);
}

// Node alpha of a faded node, in the top byte: only its low 8 bits are kept.
uint32_t FadeAlpha(float radius, float d, float near, float colourAlpha) {
  float a = (radius - d + near) * SPPD_NODE_FADE_RATE * (colourAlpha * (1.0f / 255.0f)) * 255.0f;
  // Truncated toward zero; held in range first so that no input overflows the conversion.
  a = std::clamp(a, -2147483648.0f, 2147483520.0f);
  const auto whole = static_cast<int64_t>(a);
  return (static_cast<uint32_t>(whole) & 0xFFu) << 24;
}

}  // namespace

SPPD_NODESTATE* SPPD_NodeState() { return &g_node; }
SPPD_SHAREDVERTEX* SPPD_NodeSharedVertices() { return g_shared; }

void SPPD_NodeReset() {
  std::memset(static_cast<void*>(g_shared), 0, sizeof g_shared);
  g_node.dwStamp = 1;
  g_node.pState = nullptr;
  g_node.pDisplay = nullptr;
}

void SPPD_NodeForget(const SPPD_DRIVERSTATE* state) {
  if (g_node.pState != state) return;
  g_node.pState = nullptr;
  g_node.pDisplay = nullptr;
}

void SPPD_RenderNode(SPW_DISPLAY* display, tag_spw_dobjnode* node, const float* matrix,
                     float* colour, uint32_t clipMask, int32_t, SPW_LIGHT** lights,
                     int32_t numLights) {
  SPPD_NODESTATE& s = g_node;
  SPPD_DRIVERSTATE* state = SPPD_GetDriverState(display);
  if (!state || !state->apBatchLists[SPPD_LAYER_ALPHA] || !node || !matrix || !colour ||
      (node->dwNumVertices && !node->pVertexSet) || (node->dwNumFaces && !node->pFaceSet)) {
    PLAT_Trace("GFXDRV: SPPD_RenderNode: no driver lists, node, matrix, colour or mesh\n");
    s.pState = nullptr;
    return;
  }
  s.pDisplay = display;
  s.pState = state;
  s.pShared = g_shared;
  std::memcpy(s.m, matrix, sizeof s.m);
  s.pVertices = node->pVertexSet;
  s.dwNumVertices = node->dwNumVertices;
  std::memcpy(s.colour, colour, sizeof s.colour);
  s.base = SPPD_FLOAT4{s.colour[0], s.colour[1], s.colour[2], 0.0f};
  s.dwColourAlpha = SPPD_NodeChannel(s.colour[3]) << 24;
  TakeLights(s, lights, numLights);
  TakeView(s);
  const float translation[3] = {s.m[12], s.m[13], s.m[14]};
  InverseTranslate(s.m, translation, s.eye);

  const float d = -s.m[14];
  const float near = s.fNear, far = SPPD_CurrentRenderState()->rs.fFar;
  const float radius = node->fRadius;
  bool faded = false;
  if (node->dwRenderFlags & SPW_NODERENDER_KEEP_NEAR) {
    s.dwFog = d <= near || !(d > 0.0f) ? SPPD_SPECULAR_NO_FOG : FogWord(s, d, far);
  } else {
    if (!(d - radius > near)) return;
    s.dwFog = FogWord(s, d, far);
    if (radius - d >= -SPPD_NODE_FADE_RANGE) {
      faded = true;
      s.dwAlpha = FadeAlpha(radius, d, near, s.colour[3]);
    }
  }
  // The stamp never comes back to 0, the value of entries never written.
  if (++s.dwStamp == 0) s.dwStamp = 1;

  if (clipMask == 0) {
    if (faded) SPPD_RenderNodeNonClippedAlwaysAlpha(node, colour);
    else SPPD_RenderNodeNonClipped(node, colour);
  } else {
    if (faded) SPPD_RenderNodeClippedAlwaysAlpha(node, colour, clipMask);
    else SPPD_RenderNodeClipped(node, colour, clipMask);
  }
}
