#pragma once
// The 3D device layer: display devices and modes, a 3D device drawing pre-transformed
// vertices into a back buffer of exactly the chosen size, flips, Z buffer, render states and
// textures. Values of blend factors, compare functions, primitive types and format flags are
// the numbers the driver's tables already use, so the driver passes them through unchanged.
//
// Full screen is a desktop-sized window showing the back buffer scaled with its aspect kept;
// VANTORIA_WINDOWED=1 asks for a plain window of the mode's size, and headless runs never go
// full screen. The window must have been made with PLAT_WINDOW_OPENGL.
//
// VANTORIA_GFX=null makes every device a null device: it needs no window and no OpenGL, checks
// and keeps everything a caller can read back (states, viewport, scenes, losses, texture
// pixels) and draws nothing; its read-backs give black and the far depth.
#include <cstdint>

#include "platform/bytes.h"  // float states pass as PLAT_FloatBits
#include "platform/guid.h"

struct PLAT_Window;
struct PLAT_GfxDevice;
struct PLAT_GfxTexture;

// ---- Enumeration ---------------------------------------------------------------------------

// Depth bits of render targets and Z buffers, one bit per depth.
constexpr uint32_t PLAT_GFX_DEPTH_1 = 0x4000;
constexpr uint32_t PLAT_GFX_DEPTH_2 = 0x2000;
constexpr uint32_t PLAT_GFX_DEPTH_4 = 0x1000;
constexpr uint32_t PLAT_GFX_DEPTH_8 = 0x800;
constexpr uint32_t PLAT_GFX_DEPTH_16 = 0x400;
constexpr uint32_t PLAT_GFX_DEPTH_24 = 0x200;
constexpr uint32_t PLAT_GFX_DEPTH_32 = 0x100;

// Pixel format flags.
constexpr uint32_t PLAT_GFX_PF_ALPHAPIXELS = 0x1;
constexpr uint32_t PLAT_GFX_PF_PALETTEINDEXED8 = 0x20;
constexpr uint32_t PLAT_GFX_PF_RGB = 0x40;
constexpr uint32_t PLAT_GFX_PF_ZBUFFER = 0x400;
constexpr uint32_t PLAT_GFX_PF_STENCILBUFFER = 0x4000;

// Device capability bits.
constexpr uint32_t PLAT_GFX_CAP_HWRASTERIZATION = 0x1;
constexpr uint32_t PLAT_GFX_CAP_HWTRANSFORMLIGHT = 0x2;
constexpr uint32_t PLAT_GFX_CAP_ZBUFFER = 0x4;

struct PLAT_GfxDisplayDevice {
  PLAT_GUID guid;  // all zero for the primary display
  char description[128];
  char driverName[64];
};

struct PLAT_GfxDisplayMode {
  int32_t width;
  int32_t height;
  int32_t bpp;
};

struct PLAT_Gfx3DDevice {
  PLAT_GUID guid;
  char description[128];
  char name[64];
  uint32_t caps;              // PLAT_GFX_CAP_ bits
  uint32_t renderBitDepths;   // PLAT_GFX_DEPTH_ bits the device renders into
  uint32_t zBufferBitDepths;  // PLAT_GFX_DEPTH_ bits of the Z buffers it takes
  uint32_t maxTextureWidth;
  uint32_t maxTextureHeight;
};

struct PLAT_GfxPixelFormat {
  uint32_t flags;     // PLAT_GFX_PF_ bits
  uint32_t bitCount;  // bits per pixel, or Z plus stencil bits for a Z format
  uint32_t rMask;     // for a Z format: the Z mask
  uint32_t gMask;     // for a Z format: the stencil mask
  uint32_t bMask;
  uint32_t aMask;
  uint32_t stencilBits;
};

// Entries the enumerations below are asked for at most.
constexpr int PLAT_GFX_MAX_DISPLAYS = 8;
constexpr int PLAT_GFX_MAX_3D_DEVICES = 4;
constexpr int PLAT_GFX_MAX_MODES = 64;
constexpr int PLAT_GFX_MAX_FORMATS = 16;

bool PLAT_GfxInit();  // brings up the video system; idempotent
// Each fills at most max entries and returns how many there are; -1 when the video system
// cannot be reached.
int PLAT_GfxEnumDisplayDevices(PLAT_GfxDisplayDevice* out, int max);
int PLAT_GfxEnumDisplayModes(const PLAT_GUID& display, PLAT_GfxDisplayMode* out, int max);
int PLAT_GfxEnum3DDevices(const PLAT_GUID& display, PLAT_Gfx3DDevice* out, int max);
int PLAT_GfxEnumZFormats(const PLAT_GUID& device, PLAT_GfxPixelFormat* out, int max);
int PLAT_GfxEnumTextureFormats(const PLAT_GUID& device, PLAT_GfxPixelFormat* out, int max);
// Test hook: the device reports no texture format of this many bits per pixel, as older cards
// offered no 32-bit textures; 0 reports them all again.
void PLAT_GfxSimulateMissingTextureDepth(uint32_t bitCount);
// The desktop's mode (what the display runs now).
bool PLAT_GfxGetCurrentMode(PLAT_GfxDisplayMode* out);
// The one 3D device of this layer.
const PLAT_GUID& PLAT_GfxHardwareDeviceGuid();

// ---- Device ---------------------------------------------------------------------------------

enum class PLAT_GfxResult : int32_t {
  Ok = 0,
  Failed,       // the call could not be done
  OutOfMemory,  // not enough (video) memory
  SurfaceLost,  // the surface must be restored first
  BadArgument,
};

struct PLAT_GfxDeviceDesc {
  int32_t width;
  int32_t height;
  int32_t bpp;
  bool fullScreen;
};

// Takes the window exclusively (full screen unless windowed or headless) in the mode, and
// makes the front and back buffers, cleared to black. Null, with *why set, on failure.
PLAT_GfxDevice* PLAT_GfxCreateDevice(PLAT_Window* window, const PLAT_GfxDeviceDesc& desc,
                                     PLAT_GfxResult* why);
// Adds a Z buffer of the format to the back buffer (replacing any earlier one).
PLAT_GfxResult PLAT_GfxCreateZBuffer(PLAT_GfxDevice* dev, const PLAT_GfxPixelFormat& format);
// Gives the window back to the desktop and frees everything; null is accepted.
void PLAT_GfxDestroyDevice(PLAT_GfxDevice* dev);
void PLAT_GfxGetSize(const PLAT_GfxDevice* dev, int32_t* width, int32_t* height);

enum class PLAT_GfxSurface { Front, Back, ZBuffer };
bool PLAT_GfxIsLost(const PLAT_GfxDevice* dev, PLAT_GfxSurface surface);
// A restored surface is usable again; its content is undefined.
PLAT_GfxResult PLAT_GfxRestore(PLAT_GfxDevice* dev, PLAT_GfxSurface surface);
// Test hook: marks every surface of the device and every texture lost, as a mode switch by
// another program would.
void PLAT_GfxSimulateLoss(PLAT_GfxDevice* dev);

// Shows the back buffer and exchanges the two (the new back buffer holds the old front).
PLAT_GfxResult PLAT_GfxFlip(PLAT_GfxDevice* dev);
PLAT_GfxResult PLAT_GfxBeginScene(PLAT_GfxDevice* dev);
PLAT_GfxResult PLAT_GfxEndScene(PLAT_GfxDevice* dev);
bool PLAT_GfxInScene(const PLAT_GfxDevice* dev);

struct PLAT_GfxRect {
  int32_t x0, y0, x1, y1;  // x1 and y1 exclusive
};
constexpr uint32_t PLAT_GFX_CLEAR_TARGET = 0x1;
constexpr uint32_t PLAT_GFX_CLEAR_ZBUFFER = 0x2;
constexpr uint32_t PLAT_GFX_CLEAR_STENCIL = 0x4;
// Clears inside the viewport, limited to the rectangles when some are given.
PLAT_GfxResult PLAT_GfxClear(PLAT_GfxDevice* dev, uint32_t flags, const PLAT_GfxRect* rects,
                             int count, uint32_t argb, float z, uint32_t stencil);
// Fills the whole of one buffer, ignoring the viewport (the device's own start-up clear).
PLAT_GfxResult PLAT_GfxFillBuffer(PLAT_GfxDevice* dev, PLAT_GfxSurface surface, uint32_t argb);

struct PLAT_GfxViewport {
  int32_t x, y, width, height;
  float minZ, maxZ;
};
PLAT_GfxResult PLAT_GfxSetViewport(PLAT_GfxDevice* dev, const PLAT_GfxViewport& vp);
PLAT_GfxViewport PLAT_GfxGetViewport(const PLAT_GfxDevice* dev);

// Reads pixels as ARGB words, top row first; the back buffer as drawn so far or the front
// buffer as last shown.
bool PLAT_GfxReadPixels(PLAT_GfxDevice* dev, PLAT_GfxSurface surface, int x, int y, int width,
                        int height, uint32_t* out);
// Depth values 0..1 of the back buffer's Z buffer, top row first.
bool PLAT_GfxReadDepth(PLAT_GfxDevice* dev, int x, int y, int width, int height, float* out);

// ---- Render states --------------------------------------------------------------------------

enum class PLAT_GfxState : uint32_t {
  FillMode,          // PLAT_GFX_FILL_
  ShadeMode,         // PLAT_GFX_SHADE_
  CullMode,          // PLAT_GFX_CULL_
  ZEnable,           // 0 off, 1 on
  ZWriteEnable,
  ZFunc,             // PLAT_GFX_CMP_
  ZBias,             // 0..16, nearer the higher
  AlphaBlendEnable,
  SrcBlend,          // PLAT_GFX_BLEND_
  DestBlend,
  AlphaTestEnable,
  AlphaRef,          // 0..255
  AlphaFunc,         // PLAT_GFX_CMP_
  FogEnable,         // fog from the specular alpha of each vertex
  FogColor,          // ARGB
  FogTableMode,      // PLAT_GFX_FOG_
  FogStart,          // floats as their bits
  FogEnd,
  FogDensity,
  DitherEnable,
  SpecularEnable,    // adds the specular colour
  Lighting,          // kept only: vertices arrive lit
  Extents,           // kept only
  Ambient,           // kept only
  TextureFactor,     // ARGB, the TFACTOR argument
  Count
};

enum class PLAT_GfxStageState : uint32_t {
  ColorOp,      // PLAT_GFX_TOP_
  ColorArg1,    // PLAT_GFX_TA_
  ColorArg2,
  AlphaOp,
  AlphaArg1,
  AlphaArg2,
  AddressU,     // PLAT_GFX_ADDRESS_
  AddressV,
  MinFilter,    // PLAT_GFX_TEXF_
  MagFilter,
  MipFilter,
  Count
};
constexpr int PLAT_GFX_MAX_STAGES = 2;

constexpr uint32_t PLAT_GFX_FILL_POINT = 1, PLAT_GFX_FILL_WIREFRAME = 2, PLAT_GFX_FILL_SOLID = 3;
constexpr uint32_t PLAT_GFX_SHADE_FLAT = 1, PLAT_GFX_SHADE_GOURAUD = 2;
constexpr uint32_t PLAT_GFX_CULL_NONE = 1, PLAT_GFX_CULL_CW = 2, PLAT_GFX_CULL_CCW = 3;
constexpr uint32_t PLAT_GFX_CMP_NEVER = 1, PLAT_GFX_CMP_LESS = 2, PLAT_GFX_CMP_EQUAL = 3,
                   PLAT_GFX_CMP_LESSEQUAL = 4, PLAT_GFX_CMP_GREATER = 5,
                   PLAT_GFX_CMP_NOTEQUAL = 6, PLAT_GFX_CMP_GREATEREQUAL = 7,
                   PLAT_GFX_CMP_ALWAYS = 8;
constexpr uint32_t PLAT_GFX_BLEND_ZERO = 1, PLAT_GFX_BLEND_ONE = 2, PLAT_GFX_BLEND_SRCCOLOR = 3,
                   PLAT_GFX_BLEND_INVSRCCOLOR = 4, PLAT_GFX_BLEND_SRCALPHA = 5,
                   PLAT_GFX_BLEND_INVSRCALPHA = 6, PLAT_GFX_BLEND_DESTALPHA = 7,
                   PLAT_GFX_BLEND_INVDESTALPHA = 8, PLAT_GFX_BLEND_DESTCOLOR = 9,
                   PLAT_GFX_BLEND_INVDESTCOLOR = 10, PLAT_GFX_BLEND_SRCALPHASAT = 11;
constexpr uint32_t PLAT_GFX_FOG_NONE = 0, PLAT_GFX_FOG_EXP = 1, PLAT_GFX_FOG_EXP2 = 2,
                   PLAT_GFX_FOG_LINEAR = 3;
constexpr uint32_t PLAT_GFX_TOP_DISABLE = 1, PLAT_GFX_TOP_SELECTARG1 = 2,
                   PLAT_GFX_TOP_SELECTARG2 = 3, PLAT_GFX_TOP_MODULATE = 4,
                   PLAT_GFX_TOP_MODULATE2X = 5, PLAT_GFX_TOP_MODULATE4X = 6,
                   PLAT_GFX_TOP_ADD = 7, PLAT_GFX_TOP_ADDSIGNED = 8,
                   PLAT_GFX_TOP_SUBTRACT = 10, PLAT_GFX_TOP_BLENDDIFFUSEALPHA = 12,
                   PLAT_GFX_TOP_BLENDTEXTUREALPHA = 13;
constexpr uint32_t PLAT_GFX_TA_DIFFUSE = 0, PLAT_GFX_TA_CURRENT = 1, PLAT_GFX_TA_TEXTURE = 2,
                   PLAT_GFX_TA_TFACTOR = 3, PLAT_GFX_TA_SPECULAR = 4;
constexpr uint32_t PLAT_GFX_ADDRESS_WRAP = 1, PLAT_GFX_ADDRESS_MIRROR = 2,
                   PLAT_GFX_ADDRESS_CLAMP = 3;
constexpr uint32_t PLAT_GFX_TEXF_NONE = 1, PLAT_GFX_TEXF_POINT = 2, PLAT_GFX_TEXF_LINEAR = 3;

// Unknown states or values give BadArgument and change nothing.
PLAT_GfxResult PLAT_GfxSetState(PLAT_GfxDevice* dev, PLAT_GfxState state, uint32_t value);
uint32_t PLAT_GfxGetState(const PLAT_GfxDevice* dev, PLAT_GfxState state);
PLAT_GfxResult PLAT_GfxSetStageState(PLAT_GfxDevice* dev, int stage, PLAT_GfxStageState state,
                                     uint32_t value);
uint32_t PLAT_GfxGetStageState(const PLAT_GfxDevice* dev, int stage, PLAT_GfxStageState state);

// ---- Drawing --------------------------------------------------------------------------------

// A pre-transformed vertex: screen pixels (centres on whole numbers), depth 0..1, 1/w.
struct PLAT_GfxVertex {
  float x, y, z, rhw;
  uint32_t diffuse;   // ARGB
  uint32_t specular;  // ARGB; alpha is the fog factor, 255 no fog
  float u, v;
};
static_assert(sizeof(PLAT_GfxVertex) == 32);

enum class PLAT_GfxPrimitive : uint32_t {
  PointList = 1,
  LineList = 2,
  LineStrip = 3,
  TriangleList = 4,
  TriangleStrip = 5,
  TriangleFan = 6,
};

PLAT_GfxResult PLAT_GfxDraw(PLAT_GfxDevice* dev, PLAT_GfxPrimitive prim,
                            const PLAT_GfxVertex* vertices, int count);
PLAT_GfxResult PLAT_GfxDrawIndexed(PLAT_GfxDevice* dev, PLAT_GfxPrimitive prim,
                                   const PLAT_GfxVertex* vertices, int vertexCount,
                                   const uint16_t* indices, int indexCount);

// ---- Textures -------------------------------------------------------------------------------

enum class PLAT_GfxTexFormat : uint32_t { R5G6B5, A1R5G5B5, A4R4G4B4, A8R8G8B8, P8 };

// The pixel format record of a texture format, as the enumeration reports it.
PLAT_GfxPixelFormat PLAT_GfxFormatRecord(PLAT_GfxTexFormat format);
// Which of ours a reported record stands for; false for anything else.
bool PLAT_GfxFormatFromRecord(const PLAT_GfxPixelFormat& record, PLAT_GfxTexFormat* out);

// levels 0 makes the full chain down to 1x1. Null on bad sizes or when memory is short.
PLAT_GfxTexture* PLAT_GfxCreateTexture(PLAT_GfxDevice* dev, int width, int height, int levels,
                                       PLAT_GfxTexFormat format);
void PLAT_GfxReleaseTexture(PLAT_GfxTexture* tex);  // null accepted
int PLAT_GfxTextureLevels(const PLAT_GfxTexture* tex);
// The format a texture was made in (R5G6B5 for null).
PLAT_GfxTexFormat PLAT_GfxTextureFormat(const PLAT_GfxTexture* tex);

struct PLAT_GfxLock {
  void* bits;     // the level's pixels in the texture's format, rows top first
  int32_t pitch;  // bytes from one row to the next
  int32_t width;
  int32_t height;
};
// The level's pixels for writing; the GPU copy follows at unlock.
PLAT_GfxResult PLAT_GfxLockTexture(PLAT_GfxTexture* tex, int level, PLAT_GfxLock* out);
PLAT_GfxResult PLAT_GfxUnlockTexture(PLAT_GfxTexture* tex, int level);
// The 256 ARGB entries of a P8 texture.
PLAT_GfxResult PLAT_GfxSetPalette(PLAT_GfxTexture* tex, const uint32_t argb[256]);
bool PLAT_GfxTextureIsLost(const PLAT_GfxTexture* tex);
// Usable again; the content must be written anew.
PLAT_GfxResult PLAT_GfxRestoreTexture(PLAT_GfxTexture* tex);
// Null unbinds the stage.
PLAT_GfxResult PLAT_GfxSetTexture(PLAT_GfxDevice* dev, int stage, PLAT_GfxTexture* tex);
// Drops the GPU copies of every texture not bound; they upload again when next used.
void PLAT_GfxEvictManagedTextures(PLAT_GfxDevice* dev);
