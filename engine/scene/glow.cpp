// Glows of a scene's lights, queued as additive squares in front of the near plane; and the
// fade values kept for the game.
#include "engine/scene/scene.h"
#include "engine/vdisplay/vdisplay.h"

namespace {

constexpr float kGlowScale = 0.35f;
constexpr uint32_t kGlowClipMask = static_cast<uint32_t>(-4);
constexpr int32_t kGlowVertices = 4;

float g_fadeDistance = 0.0f;
float g_fadeDistanceSq = 0.0f;
float g_fadeValue = 0.0f;

uint32_t GlowColour(const SPW_COLOUR& c, float s) {
  const SPW_COLOUR scaled = {c.r * s, c.g * s, c.b * s, 255.0f};
  uint32_t out;
  return SPW_ColourToARGB(&scaled, &out);
}

void QueueGlow(SPPD_DRIVERTABLE* table, SPW_DISPLAY* display, int32_t texture,
               const SPW_LIGHT* l, const SPW_VDISPLAY* view, float nearDist, float farDist) {
  const SPW_MATRIX& cam = view->mCamera;
  const SPW_VECTOR forward = {-cam.m[2][0], -cam.m[2][1], -cam.m[2][2]};
  const float a = l->vDirection.x * forward.x + l->vDirection.y * forward.y +
                  l->vDirection.z * forward.z;
  if (!(a > 0.0f)) return;
  SPW_VECTOR v;
  SPW_MatTransformPoint(&view->mView, &l->vPos, &v);
  const float depth = -v.z;
  if (!(depth > nearDist && depth < farDist)) return;
  const float s = a * a * kGlowScale;
  if (l->pfnOcclusion) {
    const SPW_VECTOR eye = {cam.m[3][0], cam.m[3][1], cam.m[3][2]};
    SPW_VECTOR dir = {l->vPos.x - eye.x, l->vPos.y - eye.y, l->vPos.z - eye.z};
    const float distance = SPW_VecNormalise(&dir);
    if (l->pfnOcclusion(&l->vPos, &dir, distance)) return;
  }
  const float half = l->fGlowSize / depth;
  const float x = v.x / depth, y = v.y / depth;
  const uint32_t colour = GlowColour(l->colour, s);
  static const float kCorner[kGlowVertices][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  SPPD_VERTEX quad[kGlowVertices];
  for (int i = 0; i < kGlowVertices; ++i) {
    quad[i].dwFirst = 0;
    quad[i].dwColour = colour;
    quad[i].x = x + kCorner[i][0] * half;
    quad[i].y = y + kCorner[i][1] * half;
    quad[i].z = -nearDist;
    quad[i].u = (kCorner[i][0] + 1.0f) * 0.5f;
    quad[i].v = (kCorner[i][1] + 1.0f) * 0.5f;
  }
  table->SPPD_RenderFVFPolygonAdditive(display, quad, kGlowVertices, 1, texture, 0, kGlowClipMask);
}

}  // namespace

int32_t SPW_DrawLightGlows(SPW_DISPLAYNODE* node) {
  const SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  SPPD_DRIVERTABLE* table = node ? SPW_GetDisplayDriver(node->pDisplay) : nullptr;
  if (!view || !view->pScene || !table || !table->SPPD_GetRenderState ||
      !table->SPPD_TextureGetID || !table->SPPD_RenderFVFPolygonAdditive)
    return 0;
  SPPD_RENDERSTATE rs{};
  if (table->SPPD_GetRenderState(&rs) != SPPD_OK) return 0;
  int32_t texture = 0;
  table->SPPD_TextureGetID(node->pDisplay, SPW_GLOW_TEXTURE, &texture, 1);
  SGE_DLLNODE* lights = &view->pScene->lights;
  for (const SPW_LIGHT* l : SGE_ListRecords<SPW_LIGHT>(lights)) {
    if (l->fFlags & SPW_LIGHT_GLOW)
      QueueGlow(table, node->pDisplay, texture, l, view, rs.fNear, rs.fFar);
  }
  return 1;
}

float SPW_SetFadeDistance(float distance) {
  const float previous = g_fadeDistance;
  g_fadeDistance = distance;
  g_fadeDistanceSq = distance * distance;
  return previous;
}

float SPW_SetFadeValue(float value) {
  const float previous = g_fadeValue;
  g_fadeValue = value;
  return previous;
}
