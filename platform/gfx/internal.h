#pragma once
// Shared state of the device layer's files.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/gfx/gfx.h"

struct PLAT_GfxTexture {
  PLAT_GfxDevice* dev;
  PLAT_GfxTexFormat format;
  int32_t width, height, levels;
  GLuint gl;               // 0 while evicted or lost
  bool lost;
  uint32_t dirtyLevels;    // levels whose GPU copy is behind the pixels below
  std::vector<std::vector<uint8_t>> pixels;  // one per level, in the texture's format
  std::array<uint32_t, 256> palette;
  PLAT_GfxTexture* next;   // the device's list of live textures
};

// One colour buffer of the flipping pair: a texture behind a framebuffer object.
struct PLATG_Buffer {
  GLuint fbo = 0;
  GLuint colour = 0;
  bool lost = false;
};

struct PLATG_Program {
  GLuint program = 0;
  GLint uTarget = -1, uTex = -1, uUseTex = -1, uColorOp = -1, uColorArg1 = -1, uColorArg2 = -1,
        uAlphaOp = -1, uAlphaArg1 = -1, uAlphaArg2 = -1, uTFactor = -1, uAlphaTest = -1,
        uAlphaFunc = -1, uAlphaRef = -1, uFog = -1, uFogColor = -1, uSpecular = -1;
  GLint aPos = -1, aDiffuse = -1, aSpecular = -1, aUV = -1;
};

struct PLAT_GfxDevice {
  PLAT_Window* window;
  SDL_Window* sdl;
  SDL_GLContext context;
  int32_t width, height, bpp;
  bool fullScreen;       // took the desktop for the mode
  bool inScene;
  PLATG_Buffer buffers[2];
  int back;              // index of the back buffer in buffers
  GLuint depth = 0;      // depth-stencil renderbuffer, attached to both colour buffers;
                         // on the null device nonzero while it has a Z buffer
  bool depthLost;
  int depthBits, stencilBits;
  PLAT_GfxViewport viewport;
  uint32_t states[static_cast<int>(PLAT_GfxState::Count)];
  uint32_t stage[PLAT_GFX_MAX_STAGES][static_cast<int>(PLAT_GfxStageState::Count)];
  PLAT_GfxTexture* bound[PLAT_GFX_MAX_STAGES];
  PLAT_GfxTexture* textures;  // every live texture
  PLATG_Program prog;
  bool stateDirty;
  bool isNull;  // the null device: no context, no GL objects, nothing drawn
  // Frame pacing: the display's refresh period, whether the swap waits for it, when the last
  // picture went out (performance counter), and frames in a row the swap did not wait.
  double framePeriod;
  bool vsync;
  uint64_t lastPresent;
  int unpacedFrames;
};

// A device record of the description's size, the whole target its viewport; none when memory
// is short.
PLAT_GfxDevice* PLATG_NewDevice(PLAT_Window* window, const PLAT_GfxDeviceDesc& desc);
// The current context must be the device's before any GL call.
void PLATG_MakeCurrent(PLAT_GfxDevice* dev);
// Sets the draw target to the back buffer, with the window's pixel space for vertices.
void PLATG_BindBack(PLAT_GfxDevice* dev);
void PLATG_ApplyStates(PLAT_GfxDevice* dev);  // pushes the state table to GL before a draw
void PLATG_ResetStates(PLAT_GfxDevice* dev);  // the device's initial states
bool PLATG_CreateProgram(PLAT_GfxDevice* dev);
void PLATG_DestroyProgram(PLAT_GfxDevice* dev);
// Uploads a texture whose pixels changed or whose GPU copy is gone; false when it cannot.
bool PLATG_UploadTexture(PLAT_GfxTexture* tex);
void PLATG_ReleaseAllTextures(PLAT_GfxDevice* dev);
void PLATG_MarkTexturesLost(PLAT_GfxDevice* dev);

// The null device, chosen with VANTORIA_GFX=null: every call checks its arguments and keeps its
// bookkeeping (states, viewport, scene, losses, textures' pixels) as the GL device does, and
// draws nothing. Read-backs give the start-up black and the far depth.
bool PLATG_NullRequested();
PLAT_GfxDevice* PLATG_CreateNullDevice(PLAT_Window* window, const PLAT_GfxDeviceDesc& desc,
                                       PLAT_GfxResult* why);
void PLATG_NullCreateZBuffer(PLAT_GfxDevice* dev, const PLAT_GfxPixelFormat& format);
void PLATG_DestroyNullDevice(PLAT_GfxDevice* dev);
void PLATG_NullRead(uint32_t* pixels, float* depth, int width, int height);
