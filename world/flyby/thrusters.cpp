// Thruster flames: a textured quad from each engine's start along its exhaust, facing the
// camera, stepped through six cells, and a flickering flash above.
#include "world/flyby/thrusters.h"

#include "engine/dobject/dobject.h"
#include "engine/driver/sppd.h"
#include "engine/kernel/frametime.h"
#include "engine/math/vecops.h"
#include "engine/tess/viewstack.h"
#include "platform/random.h"
#include "world/attach/attach.h"
#include "world/flyby/flyby.h"

namespace {

// Each engine runs from its first node to its second.
constexpr const char* kEngines[][2] = {{"thrustmain1", "thrustmain4"},
                                       {"thrustmain2", "thrustmain3"}};

constexpr float kHalfWidth = 0.8f;
constexpr int32_t kShortFlame = 7;  // a flame is 7 or 8 long, each coordinate at random
constexpr int32_t kFlameFrames = 6;
constexpr int32_t kDrawsPerFrame = 2;
constexpr float kCellU = 53.0f / 128.0f;
constexpr float kCellV = 21.0f / 128.0f;
constexpr int32_t kCellColumns = 2;

// The flash shows for the first quarter of each 0.15-second flicker.
constexpr float kFlickerPeriod = 0.15f;
constexpr float kFlashShown = 0.0375f;
constexpr float kFlashRise = 1.0f;
constexpr float kFlashDrop = 2.5f;
constexpr float kFlashWidth = 1.5f;
constexpr float kFlashUV = 0.5f;

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kClipMask = 0xFFFFFFFFu;
constexpr int32_t kQuad = 4;

struct DRAW {
  SPPD_PFN_RenderFVFPolygonAdditive draw;
  SPW_DISPLAY* display;
  const SPW_MATRIX* view;
};

void Submit(const DRAW& d, const SPW_VECTOR (&corner)[kQuad], const float (&uv)[kQuad][2],
            int32_t texture) {
  SPPD_VERTEX v[kQuad];
  for (int32_t k = 0; k < kQuad; ++k) {
    SPW_VECTOR p;
    SPW_MatTransformPoint(d.view, &corner[k], &p);
    v[k] = {0, kWhite, p.x, p.y, p.z, uv[k][0], uv[k][1]};
  }
  d.draw(d.display, v, kQuad, 1, texture, 0, kClipMask);
}

bool NodePosition(SPW_DOBJECT* object, const char* name, SPW_VECTOR* out) {
  SPW_MATRIX m;
  if (!SPW_GetNamedNodeTransform(object, name, &m, nullptr)) return false;
  *out = {m.m[3][0], m.m[3][1], m.m[3][2]};
  return true;
}

float FlameLength() { return static_cast<float>(kShortFlame + PLAT_Rand() % 2); }

void DrawFlame(const DRAW& d, const VNFLYBY* f, const SPW_VECTOR& start, const SPW_VECTOR& axis,
               const SPW_VECTOR& side) {
  const SPW_VECTOR s = SPW_VScale(side, kHalfWidth);
  SPW_VECTOR far[2];
  for (SPW_VECTOR& p : far) p = {FlameLength() * axis.x, FlameLength() * axis.y, FlameLength() * axis.z};
  const SPW_VECTOR corner[kQuad] = {SPW_VAdd(start, s), SPW_VSub(start, s),
                                    SPW_VSub(SPW_VAdd(start, far[0]), s),
                                    SPW_VAdd(SPW_VAdd(start, far[1]), s)};
  const float u0 = static_cast<float>(f->nThrusterFrame % kCellColumns) * kCellU;
  const float v0 = static_cast<float>(f->nThrusterFrame / kCellColumns) * kCellV;
  const float uv[kQuad][2] = {{u0, v0}, {u0 + kCellU, v0}, {u0 + kCellU, v0 + kCellV}, {u0, v0 + kCellV}};
  Submit(d, corner, uv, f->anThrusterTexture[0]);
}

void DrawFlash(const DRAW& d, const VNFLYBY* f, const SPW_VECTOR& start, const SPW_VECTOR& forward) {
  static const SPW_VECTOR kDown = {0.0f, 0.0f, -1.0f};
  SPW_VECTOR across;
  SPW_VecCross(&forward, &kDown, &across);
  const SPW_VECTOR w = SPW_VScale(across, kFlashWidth);
  const SPW_VECTOR top = {start.x, start.y, start.z + kFlashRise};
  const SPW_VECTOR bottom = {top.x, top.y, top.z - kFlashDrop};
  const SPW_VECTOR corner[kQuad] = {SPW_VAdd(top, w), SPW_VSub(top, w), SPW_VSub(bottom, w),
                                    SPW_VAdd(bottom, w)};
  const float uv[kQuad][2] = {{0, 0}, {kFlashUV, 0}, {kFlashUV, kFlashUV}, {0, kFlashUV}};
  Submit(d, corner, uv, f->anThrusterTexture[1]);
}

void Advance(VNFLYBY* f) {
  if (++f->nDrawCount % kDrawsPerFrame == 0) f->nThrusterFrame = (f->nThrusterFrame + 1) % kFlameFrames;
}

// Runs the flicker down; whether the flash shows on this draw.
bool Flicker(VNFLYBY* f) {
  f->fFlickerCountdown -= SGE_GetFrameTime();
  if (f->fFlickerCountdown < 0.0f) {
    f->fFlickerCountdown = kFlickerPeriod;
    return true;
  }
  return f->fFlickerCountdown < kFlashShown;
}

}  // namespace

void vnFlyBy_DrawThrusters(VNFLYBY* f, const VNFX_ATTACHNODE* node) {
  SPW_DOBJECT* plane = f ? f->aPlanes[0].pObject : nullptr;
  if (!plane || !node || !f->pThrusterNode || node->nValue != VNFLYBY_NODE_VALUE) return;
  SPW_DISPLAYNODE* view = vnFX_AttachNodeGetDrawRecord(node);
  SPW_DISPLAY* display = view ? view->pDisplay : nullptr;
  SPPD_DRIVERTABLE* drv = display ? SPW_GetDisplayDriver(display) : nullptr;
  if (!drv || !drv->SPPD_RenderFVFPolygonAdditive) return;
  const DRAW d{drv->SPPD_RenderFVFPolygonAdditive, display, SPW_MatStackTop(&SPW_ViewStack)};
  Advance(f);
  const bool flash = Flicker(f);
  static const SPW_VECTOR kAhead = {0.0f, 0.0f, -1.0f};
  SPW_VECTOR forward;
  SPW_MatRotateVector(SPW_MatStackTop(&SPW_CameraStack), &kAhead, &forward);
  for (const auto& engine : kEngines) {
    SPW_VECTOR start, end;
    if (!NodePosition(plane, engine[0], &start) || !NodePosition(plane, engine[1], &end)) continue;
    SPW_VECTOR axis = SPW_VSub(end, start);
    SPW_VecNormalise(&axis);
    SPW_VECTOR side;
    SPW_VecCross(&forward, &axis, &side);
    if (SPW_VecNormalise(&side) == 0.0f) continue;
    DrawFlame(d, f, start, axis, side);
    if (flash) DrawFlash(d, f, start, forward);
  }
}
