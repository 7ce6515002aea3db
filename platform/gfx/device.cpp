// The device: context, flipping pair of buffers, Z buffer, scenes and presentation.

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "platform/gfx/internal.h"
#include "platform/trace.h"
#include "platform/window/internal.h"
#include "platform/window/window.h"

namespace {

PLAT_GfxDevice* g_exclusive = nullptr;  // the device holding the display in its mode

// Displays that do not say how often they refresh are taken to do it this often.
constexpr int kDefaultRefreshHz = 60;

bool WindowedRequested() {
  const char* v = std::getenv("VANTORIA_WINDOWED");
  return v && std::strcmp(v, "1") == 0;
}

bool MakeBuffer(PLAT_GfxDevice* dev, PLATG_Buffer* b) {
  glGenTextures(1, &b->colour);
  glBindTexture(GL_TEXTURE_2D, b->colour);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, dev->width, dev->height, 0, GL_BGRA,
               GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenFramebuffers(1, &b->fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, b->fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, b->colour, 0);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void FreeBuffer(PLATG_Buffer* b) {
  if (b->fbo) glDeleteFramebuffers(1, &b->fbo);
  if (b->colour) glDeleteTextures(1, &b->colour);
  *b = PLATG_Buffer{};
}

void AttachDepth(PLAT_GfxDevice* dev) {
  GLenum point = dev->stencilBits ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
  for (PLATG_Buffer& b : dev->buffers) {
    glBindFramebuffer(GL_FRAMEBUFFER, b.fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, point, GL_RENDERBUFFER, dev->depth);
  }
}

// Where the picture goes in a drawable: full screen scales it to fit, centred, with black
// bars at the sides or above and below; a window shows it pixel for pixel.
struct View {
  int x, y, width, height;
};

View PlaceView(const PLAT_GfxDevice* dev, int ww, int wh) {
  int dw = dev->width, dh = dev->height;
  if (dev->fullScreen) {
    dw = ww;
    dh = wh;
    if (static_cast<int64_t>(ww) * dev->height > static_cast<int64_t>(wh) * dev->width)
      dw = static_cast<int>(static_cast<int64_t>(wh) * dev->width / dev->height);
    else
      dh = static_cast<int>(static_cast<int64_t>(ww) * dev->height / dev->width);
  }
  return {(ww - dw) / 2, (wh - dh) / 2, dw, dh};
}

// The pointer moves over the picture as it is shown: its motion is scaled with it.
void ShareView(PLAT_GfxDevice* dev, const View& view, int ww, int wh) {
  int winW = 0, winH = 0;
  SDL_GetWindowSize(dev->sdl, &winW, &winH);
  if (winW <= 0 || winH <= 0) return;
  PLATW_SetView(dev->window, dev->width, dev->height,
                static_cast<int>(static_cast<int64_t>(view.width) * winW / ww),
                static_cast<int>(static_cast<int64_t>(view.height) * winH / wh));
}

void DumpDrawable(int ww, int wh) {
  std::vector<uint8_t> rows(static_cast<size_t>(ww) * wh * 4);
  std::vector<uint8_t> flipped(rows.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, ww, wh, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
  const size_t row = static_cast<size_t>(ww) * 4;
  for (int y = 0; y < wh; ++y)
    std::memcpy(&flipped[static_cast<size_t>(y) * row], &rows[static_cast<size_t>(wh - 1 - y) * row],
                row);
  for (size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255;
  PLATW_DeliverFrameDump(flipped.data(), ww, wh);
}

void StartPacing(PLAT_GfxDevice* dev) {
  SDL_DisplayMode mode{};
  int index = SDL_GetWindowDisplayIndex(dev->sdl);
  int hz = index >= 0 && SDL_GetCurrentDisplayMode(index, &mode) == 0 ? mode.refresh_rate : 0;
  dev->framePeriod = 1.0 / (hz > 0 ? hz : kDefaultRefreshHz);
  dev->vsync = SDL_GL_SetSwapInterval(1) == 0;
  dev->lastPresent = 0;
  dev->unpacedFrames = 0;
}

double SecondsSince(uint64_t then) {
  return static_cast<double>(SDL_GetPerformanceCounter() - then) /
         static_cast<double>(SDL_GetPerformanceFrequency());
}

// A hidden window shows nothing, so nothing there waits for the display. Otherwise the frame
// ends no sooner than a refresh period after the last: with a swap that waits for the display,
// a little sooner, so that the swap catches the next refresh rather than the one after.
void WaitForRefresh(const PLAT_GfxDevice* dev) {
  if (!dev->lastPresent || !(SDL_GetWindowFlags(dev->sdl) & SDL_WINDOW_SHOWN)) return;
  double due = dev->framePeriod - (dev->vsync ? dev->framePeriod / 8 : 0.0);
  double left = due - SecondsSince(dev->lastPresent);
  if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
}

// Some displays take a swap interval and never wait (virtual and headless ones): after a
// second's worth of frames in a row that came sooner than the refresh, the wait above is
// all the pacing.
void NotePresent(PLAT_GfxDevice* dev) {
  uint64_t now = SDL_GetPerformanceCounter();
  if (dev->vsync && dev->lastPresent) {
    double interval = static_cast<double>(now - dev->lastPresent) /
                      static_cast<double>(SDL_GetPerformanceFrequency());
    dev->unpacedFrames = interval < dev->framePeriod * 15 / 16 ? dev->unpacedFrames + 1 : 0;
    if (dev->unpacedFrames * dev->framePeriod >= 1.0) {
      PLAT_Trace("PLATGFX: the display does not wait for its refresh; frames wait instead\n");
      SDL_GL_SetSwapInterval(0);
      dev->vsync = false;
    }
  }
  dev->lastPresent = now;
}

void Present(PLAT_GfxDevice* dev) {
  int ww = 0, wh = 0;
  SDL_GL_GetDrawableSize(dev->sdl, &ww, &wh);
  if (ww <= 0 || wh <= 0) return;
  View view = PlaceView(dev, ww, wh);
  ShareView(dev, view, ww, wh);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, dev->buffers[1 - dev->back].fbo);
  // The picture's rows run bottom up in GL: a view above the middle starts lower.
  int y0 = wh - view.y - view.height;
  bool scaled = view.width != dev->width || view.height != dev->height;
  glBlitFramebuffer(0, 0, dev->width, dev->height, view.x, y0, view.x + view.width,
                    y0 + view.height, GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
  if (PLATW_FrameDumpWanted()) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    DumpDrawable(ww, wh);
  }
  WaitForRefresh(dev);
  SDL_GL_SwapWindow(dev->sdl);
  NotePresent(dev);
  dev->stateDirty = true;
}

// Full screen keeps the desktop's mode. Without a window manager nobody resizes the window for
// it, so the window first covers the display itself.
void CoverDisplay(SDL_Window* sdl) {
  SDL_Rect bounds{};
  int index = SDL_GetWindowDisplayIndex(sdl);
  if (SDL_GetDisplayBounds(index >= 0 ? index : 0, &bounds) == 0) {
    SDL_SetWindowPosition(sdl, bounds.x, bounds.y);
    SDL_SetWindowSize(sdl, bounds.w, bounds.h);
  }
  SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool ClipToTarget(const PLAT_GfxDevice* dev, int* x0, int* y0, int* x1, int* y1) {
  if (*x0 < 0) *x0 = 0;
  if (*y0 < 0) *y0 = 0;
  if (*x1 > dev->width) *x1 = dev->width;
  if (*y1 > dev->height) *y1 = dev->height;
  return *x0 < *x1 && *y0 < *y1;
}


}  // namespace


void PLATG_MakeCurrent(PLAT_GfxDevice* dev) {
  if (dev->isNull) return;
  if (SDL_GL_GetCurrentContext() != dev->context) SDL_GL_MakeCurrent(dev->sdl, dev->context);
}

void PLATG_BindBack(PLAT_GfxDevice* dev) {
  if (dev->isNull) return;
  PLATG_MakeCurrent(dev);
  glBindFramebuffer(GL_FRAMEBUFFER, dev->buffers[dev->back].fbo);
  glViewport(0, 0, dev->width, dev->height);
}

PLAT_GfxDevice* PLATG_NewDevice(PLAT_Window* window, const PLAT_GfxDeviceDesc& desc) {
  auto* dev = new (std::nothrow) PLAT_GfxDevice{};
  if (!dev) return nullptr;
  dev->window = window;
  dev->width = desc.width;
  dev->height = desc.height;
  dev->bpp = desc.bpp;
  dev->viewport = {0, 0, desc.width, desc.height, 0.0f, 1.0f};
  return dev;
}

PLAT_GfxDevice* PLAT_GfxCreateDevice(PLAT_Window* window, const PLAT_GfxDeviceDesc& desc,
                                     PLAT_GfxResult* why) {
  PLAT_GfxResult dummy;
  if (!why) why = &dummy;
  *why = PLAT_GfxResult::BadArgument;
  if (desc.width <= 0 || desc.height <= 0 || desc.width > 8192 || desc.height > 8192) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateDevice() - bad size %dx%d\n", desc.width, desc.height);
    return nullptr;
  }
  if (PLATG_NullRequested()) return PLATG_CreateNullDevice(window, desc, why);
  *why = PLAT_GfxResult::Failed;
  if (!PLAT_GfxInit()) return nullptr;
  auto* sdl = static_cast<SDL_Window*>(window ? PLAT_NativeWindow(window) : nullptr);
  if (!sdl || !(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL)) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateDevice() - the window cannot take a 3D device\n");
    return nullptr;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GLContext context = SDL_GL_CreateContext(sdl);
  if (!context) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateDevice() - no GL context: %s\n", SDL_GetError());
    return nullptr;
  }
  PLATW_PinGlDriver();
  int major = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  if (major < 3 && !SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object")) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateDevice() - GL lacks framebuffer objects\n");
    SDL_GL_DeleteContext(context);
    return nullptr;
  }

  PLAT_GfxDevice* dev = PLATG_NewDevice(window, desc);
  if (!dev) {
    SDL_GL_DeleteContext(context);
    *why = PLAT_GfxResult::OutOfMemory;
    return nullptr;
  }
  dev->sdl = sdl;
  dev->context = context;

  bool exclusive = desc.fullScreen && !PLAT_IsHeadless() && !WindowedRequested();
  if (exclusive) {
    CoverDisplay(sdl);
  } else {
    SDL_SetWindowFullscreen(sdl, 0);
    SDL_SetWindowSize(sdl, desc.width, desc.height);
  }
  dev->fullScreen = exclusive;
  StartPacing(dev);

  while (glGetError() != GL_NO_ERROR) {
  }
  bool made = MakeBuffer(dev, &dev->buffers[0]) && MakeBuffer(dev, &dev->buffers[1]);
  GLenum err = glGetError();
  if (!made || err != GL_NO_ERROR || !PLATG_CreateProgram(dev)) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateDevice() - buffers of %dx%d failed (GL 0x%x)\n",
               desc.width, desc.height, err);
    *why = err == GL_OUT_OF_MEMORY ? PLAT_GfxResult::OutOfMemory : PLAT_GfxResult::Failed;
    PLAT_GfxDestroyDevice(dev);
    return nullptr;
  }
  dev->back = 1;
  int minor = 0;
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  // Flat shading takes the first vertex's colour, as the game's data expects.
  if (major > 3 || (major == 3 && minor >= 2)) glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  PLATG_ResetStates(dev);
  PLAT_GfxFillBuffer(dev, PLAT_GfxSurface::Front, 0xFF000000);
  PLAT_GfxFillBuffer(dev, PLAT_GfxSurface::Back, 0xFF000000);
  g_exclusive = dev;
  *why = PLAT_GfxResult::Ok;
  return dev;
}

PLAT_GfxResult PLAT_GfxCreateZBuffer(PLAT_GfxDevice* dev, const PLAT_GfxPixelFormat& format) {
  if (!dev || !(format.flags & PLAT_GFX_PF_ZBUFFER)) return PLAT_GfxResult::BadArgument;
  if (dev->isNull) {
    PLATG_NullCreateZBuffer(dev, format);
    return PLAT_GfxResult::Ok;
  }
  PLATG_MakeCurrent(dev);
  if (dev->depth) glDeleteRenderbuffers(1, &dev->depth);
  dev->depth = 0;
  int zBits = static_cast<int>(format.bitCount - format.stencilBits);
  GLenum internal = GL_DEPTH_COMPONENT16;
  if (format.stencilBits) internal = GL_DEPTH24_STENCIL8;
  else if (zBits > 16) internal = GL_DEPTH_COMPONENT24;
  while (glGetError() != GL_NO_ERROR) {
  }
  glGenRenderbuffers(1, &dev->depth);
  glBindRenderbuffer(GL_RENDERBUFFER, dev->depth);
  glRenderbufferStorage(GL_RENDERBUFFER, internal, dev->width, dev->height);
  dev->depthBits = zBits > 16 ? 24 : 16;
  dev->stencilBits = format.stencilBits ? 8 : 0;
  AttachDepth(dev);
  GLenum err = glGetError();
  if (err != GL_NO_ERROR || glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateZBuffer() - %d-bit Z buffer failed (GL 0x%x)\n", zBits,
               err);
    glDeleteRenderbuffers(1, &dev->depth);
    dev->depth = 0;
    dev->depthBits = dev->stencilBits = 0;
    AttachDepth(dev);
    return err == GL_OUT_OF_MEMORY ? PLAT_GfxResult::OutOfMemory : PLAT_GfxResult::Failed;
  }
  dev->depthLost = false;
  dev->stateDirty = true;
  PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER | (dev->stencilBits ? PLAT_GFX_CLEAR_STENCIL : 0),
                nullptr, 0, 0, 1.0f, 0);
  return PLAT_GfxResult::Ok;
}

void PLAT_GfxDestroyDevice(PLAT_GfxDevice* dev) {
  if (!dev) return;
  if (dev->isNull) return PLATG_DestroyNullDevice(dev);
  PLATG_MakeCurrent(dev);
  PLATG_ReleaseAllTextures(dev);
  PLATG_DestroyProgram(dev);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  FreeBuffer(&dev->buffers[0]);
  FreeBuffer(&dev->buffers[1]);
  if (dev->depth) glDeleteRenderbuffers(1, &dev->depth);
  if (dev->fullScreen) SDL_SetWindowFullscreen(dev->sdl, 0);
  SDL_GL_MakeCurrent(dev->sdl, nullptr);
  SDL_GL_DeleteContext(dev->context);
  if (g_exclusive == dev) g_exclusive = nullptr;
  delete dev;
}

void PLAT_GfxGetSize(const PLAT_GfxDevice* dev, int32_t* width, int32_t* height) {
  if (width) *width = dev ? dev->width : 0;
  if (height) *height = dev ? dev->height : 0;
}

bool PLAT_GfxGetCurrentMode(PLAT_GfxDisplayMode* out) {
  if (!out) return false;
  if (g_exclusive) {
    *out = {g_exclusive->width, g_exclusive->height, g_exclusive->bpp};
    return true;
  }
  if (!PLAT_GfxInit()) return false;
  SDL_DisplayMode m;
  if (SDL_GetDesktopDisplayMode(0, &m) != 0) {
    PLAT_Trace("PLATGFX: PLAT_GfxGetCurrentMode() - %s\n", SDL_GetError());
    return false;
  }
  int bits = static_cast<int>(SDL_BITSPERPIXEL(m.format));
  // Displays that report no pixel format (headless ones) run at 32 bits to us.
  *out = {m.w, m.h, bits == 16 ? 16 : 32};
  return true;
}

bool PLAT_GfxIsLost(const PLAT_GfxDevice* dev, PLAT_GfxSurface surface) {
  if (!dev) return false;
  switch (surface) {
    case PLAT_GfxSurface::Front: return dev->buffers[1 - dev->back].lost;
    case PLAT_GfxSurface::Back: return dev->buffers[dev->back].lost;
    case PLAT_GfxSurface::ZBuffer: return dev->depth && dev->depthLost;
  }
  return false;
}

PLAT_GfxResult PLAT_GfxRestore(PLAT_GfxDevice* dev, PLAT_GfxSurface surface) {
  if (!dev) return PLAT_GfxResult::BadArgument;
  switch (surface) {
    case PLAT_GfxSurface::Front: dev->buffers[1 - dev->back].lost = false; break;
    case PLAT_GfxSurface::Back: dev->buffers[dev->back].lost = false; break;
    case PLAT_GfxSurface::ZBuffer: dev->depthLost = false; break;
  }
  return PLAT_GfxResult::Ok;
}

void PLAT_GfxSimulateLoss(PLAT_GfxDevice* dev) {
  if (!dev) return;
  dev->buffers[0].lost = dev->buffers[1].lost = true;
  dev->depthLost = dev->depth != 0;
  PLATG_MarkTexturesLost(dev);
}

PLAT_GfxResult PLAT_GfxFlip(PLAT_GfxDevice* dev) {
  if (!dev) return PLAT_GfxResult::BadArgument;
  if (dev->buffers[0].lost || dev->buffers[1].lost) return PLAT_GfxResult::SurfaceLost;
  dev->back = 1 - dev->back;
  if (dev->isNull) return PLAT_GfxResult::Ok;
  PLATG_MakeCurrent(dev);
  Present(dev);
  PLATG_BindBack(dev);
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxBeginScene(PLAT_GfxDevice* dev) {
  if (!dev) return PLAT_GfxResult::BadArgument;
  if (dev->inScene) return PLAT_GfxResult::Failed;
  dev->inScene = true;
  PLATG_BindBack(dev);
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxEndScene(PLAT_GfxDevice* dev) {
  if (!dev) return PLAT_GfxResult::BadArgument;
  if (!dev->inScene) return PLAT_GfxResult::Failed;
  dev->inScene = false;
  return PLAT_GfxResult::Ok;
}

bool PLAT_GfxInScene(const PLAT_GfxDevice* dev) { return dev && dev->inScene; }

PLAT_GfxResult PLAT_GfxClear(PLAT_GfxDevice* dev, uint32_t flags, const PLAT_GfxRect* rects,
                             int count, uint32_t argb, float z, uint32_t stencil) {
  if (!dev || count < 0 || (count > 0 && !rects)) return PLAT_GfxResult::BadArgument;
  if (flags & ~(PLAT_GFX_CLEAR_TARGET | PLAT_GFX_CLEAR_ZBUFFER | PLAT_GFX_CLEAR_STENCIL))
    return PLAT_GfxResult::BadArgument;
  if (((flags & PLAT_GFX_CLEAR_ZBUFFER) && !dev->depth) ||
      ((flags & PLAT_GFX_CLEAR_STENCIL) && !dev->stencilBits))
    return PLAT_GfxResult::BadArgument;  // no such buffer to clear
  if (dev->buffers[dev->back].lost || ((flags & ~PLAT_GFX_CLEAR_TARGET) && dev->depthLost))
    return PLAT_GfxResult::SurfaceLost;
  if (dev->isNull) return PLAT_GfxResult::Ok;
  PLATG_BindBack(dev);
  GLbitfield mask = 0;
  if (flags & PLAT_GFX_CLEAR_TARGET) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                 (argb & 0xFF) / 255.0f, (argb >> 24) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & PLAT_GFX_CLEAR_ZBUFFER) {
    glDepthMask(GL_TRUE);
    glClearDepth(z < 0.0f ? 0.0 : z > 1.0f ? 1.0 : z);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & PLAT_GFX_CLEAR_STENCIL) {
    glStencilMask(0xFF);
    glClearStencil(static_cast<GLint>(stencil & 0xFF));
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  glEnable(GL_SCISSOR_TEST);
  const PLAT_GfxViewport& vp = dev->viewport;
  PLAT_GfxRect whole{vp.x, vp.y, vp.x + vp.width, vp.y + vp.height};
  int n = count > 0 ? count : 1;
  for (int i = 0; i < n; ++i) {
    const PLAT_GfxRect& r = count > 0 ? rects[i] : whole;
    int x0 = r.x0 > whole.x0 ? r.x0 : whole.x0, y0 = r.y0 > whole.y0 ? r.y0 : whole.y0;
    int x1 = r.x1 < whole.x1 ? r.x1 : whole.x1, y1 = r.y1 < whole.y1 ? r.y1 : whole.y1;
    if (!ClipToTarget(dev, &x0, &y0, &x1, &y1)) continue;
    glScissor(x0, dev->height - y1, x1 - x0, y1 - y0);
    glClear(mask);
  }
  glDisable(GL_SCISSOR_TEST);
  dev->stateDirty = true;
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxFillBuffer(PLAT_GfxDevice* dev, PLAT_GfxSurface surface, uint32_t argb) {
  if (!dev || surface == PLAT_GfxSurface::ZBuffer) return PLAT_GfxResult::BadArgument;
  PLATG_MakeCurrent(dev);
  int index = surface == PLAT_GfxSurface::Back ? dev->back : 1 - dev->back;
  if (dev->buffers[index].lost) return PLAT_GfxResult::SurfaceLost;
  if (dev->isNull) return PLAT_GfxResult::Ok;
  glBindFramebuffer(GL_FRAMEBUFFER, dev->buffers[index].fbo);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
               (argb & 0xFF) / 255.0f, (argb >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  PLATG_BindBack(dev);
  dev->stateDirty = true;
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxSetViewport(PLAT_GfxDevice* dev, const PLAT_GfxViewport& vp) {
  if (!dev || vp.width <= 0 || vp.height <= 0 || vp.x < 0 || vp.y < 0 ||
      vp.x + vp.width > dev->width || vp.y + vp.height > dev->height ||
      !(vp.minZ >= 0.0f && vp.minZ <= vp.maxZ && vp.maxZ <= 1.0f)) {
    PLAT_Trace("PLATGFX: PLAT_GfxSetViewport() - viewport outside the target\n");
    return PLAT_GfxResult::BadArgument;
  }
  dev->viewport = vp;
  return PLAT_GfxResult::Ok;
}

PLAT_GfxViewport PLAT_GfxGetViewport(const PLAT_GfxDevice* dev) {
  return dev ? dev->viewport : PLAT_GfxViewport{};
}

bool PLAT_GfxReadPixels(PLAT_GfxDevice* dev, PLAT_GfxSurface surface, int x, int y, int width,
                        int height, uint32_t* out) {
  if (!dev || !out || surface == PLAT_GfxSurface::ZBuffer || width <= 0 || height <= 0 ||
      x < 0 || y < 0 || x + width > dev->width || y + height > dev->height)
    return false;
  if (dev->isNull) {
    PLATG_NullRead(out, nullptr, width, height);
    return true;
  }
  PLATG_MakeCurrent(dev);
  int index = surface == PLAT_GfxSurface::Back ? dev->back : 1 - dev->back;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, dev->buffers[index].fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int row = 0; row < height; ++row) {
    glReadPixels(x, dev->height - 1 - (y + row), width, 1, GL_BGRA, GL_UNSIGNED_BYTE,
                 out + static_cast<size_t>(row) * width);
  }
  PLATG_BindBack(dev);
  return true;
}

bool PLAT_GfxReadDepth(PLAT_GfxDevice* dev, int x, int y, int width, int height, float* out) {
  if (!dev || !out || !dev->depth || width <= 0 || height <= 0 || x < 0 || y < 0 ||
      x + width > dev->width || y + height > dev->height)
    return false;
  if (dev->isNull) {
    PLATG_NullRead(nullptr, out, width, height);
    return true;
  }
  PLATG_BindBack(dev);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int row = 0; row < height; ++row) {
    glReadPixels(x, dev->height - 1 - (y + row), width, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                 out + static_cast<size_t>(row) * width);
  }
  return true;
}

// The GL stack (Mesa, its dispatch library and SDL's loader of it) keeps allocations for the
// life of the process; leak checks of sanitized builds are about our code only.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libGLdispatch\nleak:libGLX\nleak:libEGL\nleak:libSDL2\nleak:libLLVM\nleak:_dri.so\n"
         "leak:libgallium\nleak:libglapi\n";
}
