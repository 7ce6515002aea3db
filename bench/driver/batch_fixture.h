#pragma once
// A driver state with its batch lists over a device of the device layer (the null device or
// OpenGL offscreen), and a scene of small screen quads, as sprites and effects come.
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver/batch/alpha.h"
#include "driver/batch/lists.h"
#include "driver/batch/texlookup.h"
#include "driver/core/list.h"
#include "driver/core/pools.h"
#include "driver/device/frame.h"
#include "platform/gfx/gfx.h"
#include "platform/window/window.h"

namespace batchbench {

constexpr int kQuads = 5000;
constexpr int kTextures = 4;  // ids 1..4
constexpr int W = 640, H = 480;

enum class Device { Null, OpenGL };

struct Scene {
  explicit Scene(Device kind, float quadSize) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("VANTORIA_HEADLESS", "1", 0);
    if (kind == Device::Null) {
      setenv("VANTORIA_GFX", "null", 1);
    } else {
      unsetenv("VANTORIA_GFX");
      PLAT_GfxInit();
      window = PLAT_CreateWindow("bench", W, H, PLAT_WINDOW_OPENGL);
    }
    SPPD_CreatePools(&state);
    PLAT_GfxResult why;
    state.pGfx = PLAT_GfxCreateDevice(window, {W, H, 32, false}, &why);
    if (!state.pGfx) std::abort();
    for (SPPD_LISTHEAD* h : {&state.lhBatchLists, &state.lhFreeBuffers, &state.lhUsedBuffers,
                             &state.lhFreeAlphaBlocks, &state.lhQueuedLines})
      SPPD_LinkInit(h);
    if (SPPD_BatchCreateLists(&state) != SPPD_OK) std::abort();
    for (int t = 0; t < kTextures; ++t) {
      PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(state.pGfx, 16, 16, 1, PLAT_GfxTexFormat::A8R8G8B8);
      PLAT_GfxLock lock{};
      PLAT_GfxLockTexture(tex, 0, &lock);
      for (int i = 0; i < 16 * 16; ++i)
        static_cast<uint32_t*>(lock.bits)[i] = 0x80FFFFFFu ^ (static_cast<uint32_t>(t) * 0x3F3F3Fu);
      PLAT_GfxUnlockTexture(tex, 0);
      SPPD_BatchSetTexture(&state, static_cast<uint32_t>(t + 1), tex, false);
      textures.push_back(tex);
    }
    for (int i = 0; i < kQuads; ++i) {
      const float x = static_cast<float>((i * 37) % (W - 16)), y = static_cast<float>((i * 53) % (H - 16));
      const float s = quadSize;
      const uint32_t c = 0x80000000u | (static_cast<uint32_t>(i) * 2654435761u >> 8);
      const SPPD_TLVERTEX q[4] = {{x, y, 0.5f, 1, c, 0xFF000000u, 0, 0},
                                  {x + s, y, 0.5f, 1, c, 0xFF000000u, 1, 0},
                                  {x + s, y + s, 0.5f, 1, c, 0xFF000000u, 1, 1},
                                  {x, y + s, 0.5f, 1, c, 0xFF000000u, 0, 1}};
      quads.insert(quads.end(), q, q + 4);
    }
  }
  ~Scene() {
    SPPD_BatchClearTextures(&state);
    for (PLAT_GfxTexture* t : textures) PLAT_GfxReleaseTexture(t);
    SPPD_BatchDestroy(&state);
    PLAT_GfxDestroyDevice(state.pGfx);
    SPPD_ReleasePools(&state);
    if (window) PLAT_DestroyWindow(window);
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  static uint32_t TextureOf(int quad) { return static_cast<uint32_t>(quad % kTextures) + 1; }
  const SPPD_TLVERTEX* Quad(int i) const { return &quads[4 * static_cast<size_t>(i)]; }

  // Waits for the device's work without reading anything back.
  void Finish() const {
    if (window) glFinish();
  }

  PLAT_Window* window = nullptr;
  SPPD_DRIVERSTATE state{};
  std::vector<PLAT_GfxTexture*> textures;
  std::vector<SPPD_TLVERTEX> quads;  // four a quad, a fan each
};

// One scene of every quad through the opaque batch list, drawn at the flush.
inline void BatchFrame(Scene& s) {
  SPPD_DRIVERSTATE* st = &s.state;
  SPPD_BATCHLIST* list = st->apBatchLists[SPPD_LAYER_OPAQUE];
  PLAT_GfxBeginScene(st->pGfx);
  for (int i = 0; i < kQuads; ++i) SPPD_BatchAppendFan(st, list, Scene::TextureOf(i), s.Quad(i), 4);
  SPPD_BatchFlushLists(st, true);
  PLAT_GfxEndScene(st->pGfx);
  SPPD_BatchEndScene(st);
  s.Finish();
}

// Stops the run when a frame did not draw every quad: the times would mean nothing.
inline void CheckOneFrame(Scene& s, void (*frame)(Scene&), uint32_t SPPD_FRAMECOUNTERS::*counter,
                          uint32_t expected) {
  const uint32_t before = SPPD_GetFrameCounters()->*counter;
  frame(s);
  const uint32_t drawn = SPPD_GetFrameCounters()->*counter - before;
  if (drawn != expected) {
    std::fprintf(stderr, "a frame drew %u of %u\n", drawn, expected);
    std::exit(1);
  }
}

}  // namespace batchbench
