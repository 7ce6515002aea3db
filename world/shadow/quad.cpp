// One shadow's quad: how strongly it shows (distance from the camera, height above the
// ground), where its corners lie along the light, and how its texture turns.
#include <algorithm>
#include <cmath>

#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "engine/tess/tess.h"
#include "world/shadow/internal.h"

namespace {

// A light this close to the horizon stretches a shadow no further: a level light would make it
// endless.
constexpr float kMaxSlant = 10.0f;
// With the light straight overhead the quad still needs an axis; this one matches the
// default rotation for an object facing -y.
constexpr float kOverheadAxisX = 0.0f, kOverheadAxisY = -1.0f;
constexpr SPW_VECTOR kDown = {0.0f, 0.0f, -1.0f};
constexpr float kHalfInvSqrt2 = 0.3535534f;
constexpr uint32_t kWhiteRGB = 0x00FFFFFFu;

// The tessellation a quad becomes: drawn as kind 2 (the translucent decal layer), laid on
// items of collision class 1 no more than 3 metres from the quad's height, at most 10 of them.
constexpr int32_t kTessKind = 2;
constexpr uint32_t kTessFlags = 0;
constexpr float kTessClip0 = 5.0f;
constexpr float kTessClip1 = -1.0f;
constexpr float kTessHeightTolerance = 3.0f;
constexpr uint32_t kTessItemLimit = 10;
constexpr uint32_t kTessCollideMask = 1;
constexpr float kTessTexU = 1.0f;
constexpr float kTessTexV = 1.0f;

// False when the object is beyond the outer radius; else the weight of its distance.
bool DistanceWeight(const VNSHADOW& s, const SPW_VECTOR& object, const SPW_VECTOR& camera,
                    float* weight) {
  *weight = 1.0f;
  if (!(s.fFlags & VNSHADOW_FADE_DISTANCE)) return true;
  const float a = SPW_VecDistSq(&object, &camera);
  const float outer = s.fOuterRadius * s.fOuterRadius, inner = s.fInnerRadius * s.fInnerRadius;
  if (!(a < outer)) return false;
  if (vnShadow_HasDistanceBand(s)) *weight = outer - std::max(a, inner);
  return true;
}

// The terrain under the object, 0 off the terrain.
float GroundHeight(SPW_SCENE* scene, const SPW_VECTOR& object) {
  SPW_VECTOR p = object;
  return SPW_GetTerrainHeight(scene, &p) ? p.z : 0.0f;
}

float HeightWeight(const VNSHADOW& s, SPW_SCENE* scene, const SPW_VECTOR& object, float ground) {
  if (!(s.fFlags & VNSHADOW_FADE_HEIGHT)) return 1.0f;
  float h = std::max(object.z - ground, 0.0f);
  if ((s.fFlags & VNSHADOW_RAY) && h > 0.0f) {
    // Only what lies between the object and the ground counts.
    float best = h * h;
    SPW_VECTOR hit;
    if (SPW_CollideQuery(scene, &object, &kDown, h, &hit, &best)) h = std::sqrt(best);
  }
  if (!vnShadow_HasHeightBand(s)) return h <= s.fMaxHeight ? 1.0f : 0.0f;
  return s.fMaxHeight - std::clamp(h, s.fMinHeight, s.fMaxHeight);
}

int32_t TextureId(int32_t slot) {
  if (slot < 0 || slot >= VNSHADOW_NUM_TEXTURES) return 0;
  const VNSHADOW_TEXTURE& t = vnShadow_Service.aTextures[slot];
  return t.nSlot == -1 ? 0 : t.nTexture;
}

void TexCoords(const VNSHADOW& s, SPPD_VERTEX (&quad)[4]) {
  float uv[4][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};
  if (s.fFlags & VNSHADOW_ROTATE) {
    const float a = s.rotation.fCos * kHalfInvSqrt2, b = s.rotation.fSin * kHalfInvSqrt2;
    const float turned[4][2] = {{0.5f + b - a, 0.5f - a - b},
                                {0.5f + a + b, 0.5f + b - a},
                                {0.5f + a - b, 0.5f + a + b},
                                {0.5f - a - b, 0.5f + a - b}};
    std::copy(&turned[0][0], &turned[0][0] + 8, &uv[0][0]);
  }
  for (int i = 0; i < 4; ++i) {
    quad[i].u = uv[i][0];
    quad[i].v = uv[i][1];
  }
}

}  // namespace

VNSHADOW_GROUNDLIGHT vnShadow_GroundLight(const SPW_VECTOR& light) {
  VNSHADOW_GROUNDLIGHT g{kOverheadAxisX, kOverheadAxisY, kMaxSlant};
  const float length = std::sqrt(light.x * light.x + light.y * light.y);
  if (length > 0.0f) {
    g.x = light.x / length;
    g.y = light.y / length;
  }
  g.fSlant = std::fabs(light.z) * kMaxSlant > 1.0f ? 1.0f / light.z
                                                    : std::copysign(kMaxSlant, light.z);
  return g;
}

void vnShadow_ReleaseQuad(VNSHADOW* shadow) {
  if (shadow->pTess) SPW_ReleaseTessellation(shadow->pTess);
  shadow->pTess = nullptr;
}

SPW_TESS* vnShadow_BuildQuad(const VNSHADOW* shadow, const VNSHADOW_GROUNDLIGHT& light,
                             const SPW_VECTOR& camera) {
  const VNSHADOW& s = *shadow;
  SPW_SCENE* scene = vnShadow_Service.pScene;
  if (!scene || !s.pObject) return nullptr;
  const SPW_VECTOR o = s.pObject->t.vPos;
  float distanceWeight;
  if (!DistanceWeight(s, o, camera, &distanceWeight)) return nullptr;
  const float ground = GroundHeight(scene, o);
  const float alpha = HeightWeight(s, scene, o, ground) * s.fFade * distanceWeight;
  if (!(alpha > 0.0f)) return nullptr;
  const uint32_t colour =
      static_cast<uint32_t>(std::min(alpha, 1.0f) * 255.0f) << 24 | kWhiteRGB;

  const float length = (s.fFlags & VNSHADOW_SLANT) ? -s.fSize * light.fSlant : s.fSize;
  float cx = o.x + length * s.fOffset * light.x, cy = o.y + length * s.fOffset * light.y;
  if (s.fFlags & VNSHADOW_SHIFT) {
    cx += (o.z - ground) * light.x;
    cy += (o.z - ground) * light.y;
  }
  const float ax = s.fSize * light.y, ay = -s.fSize * light.x;  // across the light
  const float bx = length * light.x, by = length * light.y;     // along it
  SPPD_VERTEX quad[4] = {{0, colour, cx + ax - bx, cy + ay - by, o.z, 0, 0},
                         {0, colour, cx + ax + bx, cy + ay + by, o.z, 0, 0},
                         {0, colour, cx - ax + bx, cy - ay + by, o.z, 0, 0},
                         {0, colour, cx - ax - bx, cy - ay - by, o.z, 0, 0}};
  TexCoords(s, quad);
  return SPW_CreateTessellation(scene, quad, 4, kTessKind, TextureId(s.nTexture), kTessFlags,
                                kTessClip0, kTessClip1, nullptr, kTessHeightTolerance,
                                kTessItemLimit, kTessCollideMask, kTessTexU, kTessTexV);
}
