#pragma once
// What the dome and the fly-by need around the headless test world: a camera view of a display
// whose driver records the polygons it is handed (plain and additive apart) and names textures,
// the mission's effect draw list on that view, the sprite sets and a frame clock the test sets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/kernel/frametime.h"
#include "engine/object/object.h"
#include "engine/sprite/sprite.h"
#include "missions/control/overlay.h"
#include "platform/clock.h"
#include "tests/world/attach/view_fixture.h"

namespace effectview {

struct Drawn {
  std::vector<SPPD_VERTEX> v;
  int32_t textureId;
  bool additive;
};

inline std::vector<Drawn>& DrawnPolygons() {
  static std::vector<Drawn> drawn;
  return drawn;
}
// Texture ids from 1 by name, as the driver gives them.
inline std::map<std::string, int32_t>& Textures() {
  static std::map<std::string, int32_t> ids;
  return ids;
}

inline int32_t Record(const SPPD_VERTEX* v, uint32_t count, int32_t textureId, bool additive) {
  const uint32_t n = count & ~SPPD_VERTEX_NOFOG;
  DrawnPolygons().push_back({std::vector<SPPD_VERTEX>(v, v + n), textureId, additive});
  return SPPD_OK;
}
inline int32_t RecordPlain(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t,
                           int32_t textureId, int32_t, uint32_t) {
  return Record(v, count, textureId, false);
}
inline int32_t RecordAdditive(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t,
                              int32_t textureId, int32_t, uint32_t) {
  return Record(v, count, textureId, true);
}
inline int32_t NameTexture(SPW_DISPLAY*, const char* name, int32_t* out, int32_t) {
  auto& ids = Textures();
  auto [it, added] = ids.emplace(name, static_cast<int32_t>(ids.size()) + 1);
  *out = it->second;
  return SPPD_OK;
}

inline uint32_t g_clockMs = 0;
inline uint32_t Clock() { return g_clockMs; }

// Every frame from now lasts `seconds` (the mean of the last three).
inline void SetFrameTime(float seconds) {
  const auto ms = static_cast<uint32_t>(std::lround(seconds * 1000.0f));
  for (int i = 0; i < 3; ++i) {
    g_clockMs += ms;
    SGE_UpdateFrameTiming();
  }
}

// The view and its effect list over a started kernel, and the object type table; Stop once the
// world's objects are gone, before the kernel goes.
class EffectView {
 public:
  void Start() {
    g_clockMs = 100000;
    PLAT_SetClockOverride(Clock);
    SGE_UpdateFrameTiming();
    SPW_InitSprites();
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    DrawnPolygons().clear();
    Textures().clear();
    viewtest::State() = {};
    SPPD_DRIVERTABLE table{};
    table.SPPD_VPGet = viewtest::FakeVPGet;
    table.SPPD_SetRenderState = viewtest::FakeSetRenderState;
    table.SPPD_GetRenderState = viewtest::FakeGetRenderState;
    table.SPPD_ClearScreen = viewtest::NoOp;
    table.SPPD_PreRender = viewtest::NoOp;
    table.SPPD_PostRender = viewtest::NoOp;
    table.SPPD_RenderFVFPolygon = RecordPlain;
    table.SPPD_RenderFVFPolygonAdditive = RecordAdditive;
    table.SPPD_TextureGetID = NameTexture;
    driver = SGE_CreateDataRef(nullptr, sizeof table);
    ASSERT_NE(driver, nullptr);
    std::memcpy(driver->pData, &table, sizeof table);
    display = SPW_CreateDisplay(0, 640, 480, viewtest::FakeVPGet, nullptr, driver);
    ASSERT_NE(display, nullptr);
    const SPW_RECT rect{0, 0, 640, 480};
    const SPW_POINT origin{0, 0};
    view = SPW_CreateVDisplay(display, nullptr, nullptr, nullptr, viewtest::kLayer, &rect, &origin,
                              0, 0, 0, nullptr, 1.0f, 1000.0f, 0, 0, 0, SPW_PI / 2,
                              2 * std::atan(0.75f), 0);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(vnFX_AttachPoolInit(SPW_ObjsMem, VNFX_ATTACH_POOL_NODES), 1);
    list = vnFX_AttachListCreate(view, VNMISSCONT_EFFECT_LIST_PRIORITY);
    ASSERT_NE(list, nullptr);
    vnMISSCONT_SetAttachDisplay(list);
  }
  void Stop() {
    vnMISSCONT_SetAttachDisplay(nullptr);
    if (list) vnFX_AttachListDestroy(list);
    list = nullptr;
    vnFX_AttachPoolFree();
    SPW_DestroyAllSpriteSets();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
    if (display) SPW_DestroyDisplay(display);
    display = nullptr;
    if (driver) SGE_ReleaseDataRef(driver);
    driver = nullptr;
    PLAT_SetClockOverride(nullptr);
  }
  // One render of every display: what the driver was handed.
  std::vector<Drawn> Draw() {
    DrawnPolygons().clear();
    SPW_RenderDisplays();
    return DrawnPolygons();
  }
  int32_t TextureId(const std::string& name) const {
    const auto it = Textures().find(name);
    return it == Textures().end() ? 0 : it->second;
  }

  SGE_DATAREF* driver = nullptr;
  SPW_DISPLAY* display = nullptr;
  SPW_DISPLAYNODE* view = nullptr;
  VNFX_ATTACHLIST* list = nullptr;
};

}  // namespace effectview
