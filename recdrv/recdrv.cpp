#include "recdrv/recdrv.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/driver/sppd.h"

namespace {

std::string g_log;
std::string g_fail;

// Records the call; true when the test asked this export to fail.
bool Record(const char* name, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
bool Record(const char* name, const char* fmt, ...) {
  char args[256];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(args, sizeof args, fmt, ap);
  va_end(ap);
  g_log += name;
  g_log += '(';
  g_log += args;
  g_log += ")\n";
  return g_fail == name;
}

int32_t Result(bool fail) { return fail ? SPPD_FAIL : SPPD_OK; }

char g_lastError[SPPD_LAST_ERROR_SIZE];
SPPD_RENDERSTATE g_renderState;

}  // namespace

extern "C" {

SPPD_EXPORT const char* RecDrv_GetLog() { return g_log.c_str(); }
SPPD_EXPORT void RecDrv_Reset() {
  g_log.clear();
  g_fail.clear();
}
SPPD_EXPORT void RecDrv_FailCall(const char* name) { g_fail = name ? name : ""; }

}  // extern "C"

#ifdef RECDRV_OTHER_GUID
const PLAT_GUID SPPD_GUID = {
    0x0B0E7C1A, 0x5D2E, 0x4C6B, {0x9F, 0x3A, 0x2E, 0x8D, 0x7C, 0x6B, 0x5A, 0x41}};
#else
const PLAT_GUID SPPD_GUID = {
    0x5D81DC88, 0xA7D2, 0x4BFE, {0xAF, 0x63, 0x9C, 0xA4, 0xC0, 0x8B, 0x4B, 0xEE}};
#endif

int32_t SPPD_DriverInfo(char* buffer, int32_t size) {
  bool fail = Record("SPPD_DriverInfo", "%d", size);
  if (fail || !buffer || size <= 0) return SPPD_FAIL;
  std::snprintf(buffer, static_cast<size_t>(size), "%s", "Recording driver");
  return SPPD_OK;
}
const char* SPPD_GetLastErrorString() {
  Record("SPPD_GetLastErrorString", "%s", "");
  return g_lastError;
}
int32_t SPPD_Configure(PLAT_Window* w, void* o) {
  return Result(Record("SPPD_Configure", "%p,%p", static_cast<void*>(w), o));
}
int32_t SPPD_GetRequirements() {
  if (Record("SPPD_GetRequirements", "%s", "")) return 0;
  return static_cast<int32_t>(sizeof(SPPD_DRIVERTABLE) + 64);
}
int32_t SPPD_GetDefaultMode(SPPD_MODE* mode) {
  if (Record("SPPD_GetDefaultMode", "%p", static_cast<void*>(mode)) || !mode) return SPPD_FAIL;
  *mode = SPPD_MODE{RECDRV_MODE_WIDTH, RECDRV_MODE_HEIGHT, 16, 16, 1};
  return SPPD_OK;
}
int32_t SPPD_Create(SPW_DISPLAY* d, PLAT_Window* w) {
  bool fail = Record("SPPD_Create", "%p,%p", static_cast<void*>(d), static_cast<void*>(w));
  if (fail) std::snprintf(g_lastError, sizeof g_lastError, "%s", "recorded failure");
  return Result(fail);
}
int32_t SPPD_Modify(SPW_DISPLAY* d, SPPD_MODE* m, PLAT_Window* w, uint32_t mask) {
  return Result(Record("SPPD_Modify", "%p,%p,%p,0x%x", static_cast<void*>(d),
                       static_cast<void*>(m), static_cast<void*>(w), mask));
}
int32_t SPPD_Destroy(SPW_DISPLAY* d) {
  return Result(Record("SPPD_Destroy", "%p", static_cast<void*>(d)));
}
int32_t* SPPD_GetDisplayMode(SPW_DISPLAY* d, int32_t index, int32_t* out, int32_t usable) {
  if (Record("SPPD_GetDisplayMode", "%p,%d,%p,%d", static_cast<void*>(d), index,
             static_cast<void*>(out), usable) ||
      !out || index != 0)
    return nullptr;
  out[0] = RECDRV_MODE_WIDTH;
  out[1] = RECDRV_MODE_HEIGHT;
  out[2] = 16;
  out[3] = 16;
  return out;
}
int32_t SPPD_DoesSupport32BitTextures(SPW_DISPLAY* d) {
  return Record("SPPD_DoesSupport32BitTextures", "%p", static_cast<void*>(d)) ? 0 : 1;
}
int32_t SPPD_BeginScene(SPW_DISPLAY* d) {
  return Result(Record("SPPD_BeginScene", "%p", static_cast<void*>(d)));
}
int32_t SPPD_EndScene(SPW_DISPLAY* d) {
  return Result(Record("SPPD_EndScene", "%p", static_cast<void*>(d)));
}
int32_t SPPD_ClearScreen(SPW_DISPLAYNODE* n, SPPD_VIEWPORT* vp, SGE_DATAREF* data) {
  return Result(Record("SPPD_ClearScreen", "%p,%p,%p", static_cast<void*>(n),
                       static_cast<void*>(vp), static_cast<void*>(data)));
}
SPPD_VIEWPORT* SPPD_VPGet(SPPD_VIEWPORT* vp, SPW_DISPLAYNODE* n, const float* r, const float* o) {
  if (Record("SPPD_VPGet", "%p,%p,%g,%g,%g,%g,%g,%g", static_cast<void*>(vp),
             static_cast<void*>(n), r ? r[0] : 0.0, r ? r[1] : 0.0, r ? r[2] : 0.0,
             r ? r[3] : 0.0, o ? o[0] : 0.0, o ? o[1] : 0.0) ||
      !vp || !r || !o)
    return vp;
  *vp = SPPD_VIEWPORT{};
  vp->fWidth = r[2] - r[0];
  vp->fHeight = r[3] - r[1];
  vp->fX = r[0] + o[0];
  vp->fY = r[1] + o[1];
  vp->fOffsetX = o[0];
  vp->fOffsetY = o[1];
  vp->fLeft = r[0];
  vp->fTop = r[1];
  vp->fRight = r[2];
  vp->fBottom = r[3];
  vp->dwFlags = SPPD_VIEWPORT_RUN_CALLBACKS;
  return vp;
}
int32_t SPPD_VPSet(SPW_DISPLAYNODE* n, SPPD_VIEWPORT* vp) {
  return Result(Record("SPPD_VPSet", "%p,%p", static_cast<void*>(n), static_cast<void*>(vp)));
}
int32_t SPPD_PreRender(SPW_DISPLAYNODE* n, SPPD_VIEWPORT* vp, SGE_DATAREF* data) {
  return Result(Record("SPPD_PreRender", "%p,%p,%p", static_cast<void*>(n),
                       static_cast<void*>(vp), static_cast<void*>(data)));
}
int32_t SPPD_PostRender(SPW_DISPLAYNODE* n, SPPD_VIEWPORT* vp, SGE_DATAREF* data) {
  Record("SPPD_PostRender", "%p,%p,%p", static_cast<void*>(n), static_cast<void*>(vp),
         static_cast<void*>(data));
  return SPPD_FAIL;
}
int32_t SPPD_SetRenderState(SPW_DISPLAYNODE* n, SPPD_RENDERSTATE* rs) {
  bool fail = Record("SPPD_SetRenderState", "%p,0x%x", static_cast<void*>(n), rs ? rs->dwMask : 0);
  if (!fail && rs) {
    g_renderState = *rs;
    g_renderState.pNode = n;
  }
  return Result(fail);
}
int32_t SPPD_GetRenderState(SPPD_RENDERSTATE* rs) {
  if (Record("SPPD_GetRenderState", "%p", static_cast<void*>(rs)) || !rs) return SPPD_FAIL;
  *rs = g_renderState;
  return SPPD_OK;
}
int32_t SPPD_GetSystemRenderState(SPPD_SYSTEMRENDERSTATE* out) {
  if (Record("SPPD_GetSystemRenderState", "%p", static_cast<void*>(out)) || !out) return SPPD_FAIL;
  *out = SPPD_SYSTEMRENDERSTATE{};
  out->rs = SPPD_RenderStateWords(g_renderState);
  return SPPD_OK;
}
#ifndef RECDRV_OMIT_SLOT
SPPD_DEBUGINFO* SPPD_GetDebugInfo() {
  Record("SPPD_GetDebugInfo", "%s", "");
  return nullptr;
}
#endif
int32_t SPPD_Flush(SPW_DISPLAY* d) { return Result(Record("SPPD_Flush", "%p", static_cast<void*>(d))); }
int32_t SPPD_FlushNoHud(SPW_DISPLAY* d) {
  return Result(Record("SPPD_FlushNoHud", "%p", static_cast<void*>(d)));
}
int32_t SPPD_FlushAlpha(SPW_DISPLAY* d) {
  return Result(Record("SPPD_FlushAlpha", "%p", static_cast<void*>(d)));
}
int32_t SPPD_FlushHUD(SPW_DISPLAY* d) {
  return Result(Record("SPPD_FlushHUD", "%p", static_cast<void*>(d)));
}
void SPPD_EnableLayer(SPW_DISPLAY* d, int32_t layer, uint32_t enable) {
  Record("SPPD_EnableLayer", "%p,%d,%u", static_cast<void*>(d), layer, enable);
}
int32_t SPPD_SetBackground(SPW_DISPLAY* d, uint32_t c) {
  Record("SPPD_SetBackground", "%p,0x%x", static_cast<void*>(d), c);
  return SPPD_FAIL;
}
int32_t SPPD_DrawIndexedPrimitive(SPW_DISPLAY* d) {
  Record("SPPD_DrawIndexedPrimitive", "%p", static_cast<void*>(d));
  return SPPD_FAIL;
}
int32_t SPPD_MaterialTouch(SPW_DISPLAY* d, void* b) {
  Record("SPPD_MaterialTouch", "%p,%p", static_cast<void*>(d), b);
  return SPPD_FAIL;
}
int32_t SPPD_MaterialUntouch(SPW_DISPLAY* d, void* b) {
  Record("SPPD_MaterialUntouch", "%p,%p", static_cast<void*>(d), b);
  return SPPD_FAIL;
}

// Textures: ids count up from 1 per load of the library.
namespace {
int32_t g_nextTexture = 1;
int32_t g_preload;
int32_t g_lowRes;
int32_t g_lowResEffects = 1;
uint32_t g_ambient = 0xFFFFFFFFu;
}  // namespace

int32_t SPPD_TextureGetID(SPW_DISPLAY* d, const char* name, int32_t* outId, int32_t create) {
  if (outId) *outId = 0;
  if (Record("SPPD_TextureGetID", "%p,%s,%d", static_cast<void*>(d), name ? name : "(null)",
             create) ||
      !outId || !name)
    return SPPD_FAIL;
  *outId = g_nextTexture++;
  return SPPD_OK;
}
void SPPD_SetTextureComparisonExtension(const char* t) {
  Record("SPPD_SetTextureComparisonExtension", "%s", t ? t : "(null)");
}
void SPPD_SetTextureReplaceExtension(const char* t) {
  Record("SPPD_SetTextureReplaceExtension", "%s", t ? t : "(null)");
}
int32_t SPPD_EnableTexturePreLoad(int32_t enable) {
  Record("SPPD_EnableTexturePreLoad", "%d", enable);
  int32_t previous = g_preload;
  g_preload = enable;
  return previous;
}
void SPPD_SetL4Path(SPW_DISPLAY* d, const char* p) {
  Record("SPPD_SetL4Path", "%p,%s", static_cast<void*>(d), p ? p : "(null)");
}
int32_t SPPD_ForceTextureL2(SPW_DISPLAY* d, int32_t id) {
  Record("SPPD_ForceTextureL2", "%p,%d", static_cast<void*>(d), id);
  return SPPD_FAIL;
}
int32_t SPPD_SetLowResTextureState(SPW_DISPLAY* d, int32_t flag) {
  Record("SPPD_SetLowResTextureState", "%p,%d", static_cast<void*>(d), flag);
  int32_t previous = g_lowRes;
  g_lowRes = flag;
  return previous;
}
int32_t SPPD_SetLowResEffectTextureState(SPW_DISPLAY* d, int32_t flag) {
  Record("SPPD_SetLowResEffectTextureState", "%p,%d", static_cast<void*>(d), flag);
  int32_t previous = g_lowResEffects;
  g_lowResEffects = flag;
  return previous;
}
int32_t SPPD_PurgeTextures(SPW_DISPLAY* d) {
  bool fail = Record("SPPD_PurgeTextures", "%p", static_cast<void*>(d));
  if (!fail) g_nextTexture = 1;
  return Result(fail);
}
int32_t SPPD_PreCacheTextures(SPW_DISPLAY* d, const char* folder, int32_t unused) {
  return Record("SPPD_PreCacheTextures", "%p,%s,%d", static_cast<void*>(d),
                folder ? folder : "(null)", unused)
             ? SPPD_FAIL
             : 0;
}
int32_t SPPD_PreCacheCount(SPW_DISPLAY* d, const char* folder) {
  return Record("SPPD_PreCacheCount", "%p,%s", static_cast<void*>(d), folder ? folder : "(null)")
             ? SPPD_FAIL
             : 0;
}

// Drawing.
int32_t SPPD_RenderFVFPolygon(SPW_DISPLAY* d, const SPPD_VERTEX*, uint32_t count, int32_t pairs,
                              int32_t tex, int32_t, uint32_t clip) {
  return Result(Record("SPPD_RenderFVFPolygon", "%p,0x%x,%d,%d,0x%x", static_cast<void*>(d),
                       count, pairs, tex, clip));
}
int32_t SPPD_RenderFVFPolygonAlpha(SPW_DISPLAY* d, const SPPD_VERTEX*, uint32_t count,
                                   int32_t pairs, int32_t tex, int32_t, uint32_t clip) {
  return Result(Record("SPPD_RenderFVFPolygonAlpha", "%p,0x%x,%d,%d,0x%x", static_cast<void*>(d),
                       count, pairs, tex, clip));
}
int32_t SPPD_RenderFVFPolygonLayer(SPW_DISPLAY* d, int32_t layer, const SPPD_VERTEX*,
                                   uint32_t count, int32_t pairs, int32_t tex, int32_t,
                                   uint32_t clip) {
  return Result(Record("SPPD_RenderFVFPolygonLayer", "%p,%d,0x%x,%d,%d,0x%x",
                       static_cast<void*>(d), layer, count, pairs, tex, clip));
}
int32_t SPPD_RenderFVFPolygonNearBlend(SPW_DISPLAY* d, const SPPD_VERTEX*, uint32_t count,
                                       int32_t pairs, int32_t tex, int32_t, uint32_t clip,
                                       float nearDistance, float fade) {
  return Result(Record("SPPD_RenderFVFPolygonNearBlend", "%p,0x%x,%d,%d,0x%x,%g,%g",
                       static_cast<void*>(d), count, pairs, tex, clip, nearDistance, fade));
}
int32_t SPPD_RenderFVFPolygonPhysical(SPW_DISPLAY* d, const SPPD_VERTEX*, uint32_t count,
                                      int32_t pairs, int32_t tex) {
  return Result(Record("SPPD_RenderFVFPolygonPhysical", "%p,0x%x,%d,%d", static_cast<void*>(d),
                       count, pairs, tex));
}
int32_t SPPD_RenderFVFPolygonAdditive(SPW_DISPLAY* d, const SPPD_VERTEX*, uint32_t count,
                                      int32_t pairs, int32_t tex, int32_t, uint32_t clip) {
  return Result(Record("SPPD_RenderFVFPolygonAdditive", "%p,0x%x,%d,%d,0x%x",
                       static_cast<void*>(d), count, pairs, tex, clip));
}
int32_t SPPD_RenderLine(SPW_DISPLAY* d, const float* a, const float* b, const uint32_t* ca,
                        const uint32_t* cb) {
  return Result(Record("SPPD_RenderLine", "%p,%g,%g,%g,%g,%g,%g,0x%x,0x%x", static_cast<void*>(d),
                       a ? a[0] : 0.0, a ? a[1] : 0.0, a ? a[2] : 0.0, b ? b[0] : 0.0,
                       b ? b[1] : 0.0, b ? b[2] : 0.0, ca ? *ca : 0, cb ? *cb : 0));
}
int32_t SPPD_RenderLineV(SPW_DISPLAY* d, const float* a, const float* b, const uint32_t* ca,
                         const uint32_t* cb) {
  return Result(Record("SPPD_RenderLineV", "%p,%g,%g,%g,%g,%g,%g,0x%x,0x%x",
                       static_cast<void*>(d), a ? a[0] : 0.0, a ? a[1] : 0.0, a ? a[2] : 0.0,
                       b ? b[0] : 0.0, b ? b[1] : 0.0, b ? b[2] : 0.0, ca ? *ca : 0,
                       cb ? *cb : 0));
}
void SPPD_RenderNode(SPW_DISPLAY* d, tag_spw_dobjnode* n, const float*, float*, uint32_t clip,
                     int32_t, SPW_LIGHT**, int32_t numLights) {
  Record("SPPD_RenderNode", "%p,%p,0x%x,%d", static_cast<void*>(d), static_cast<void*>(n), clip,
         numLights);
}
void SPPD_RenderFeatureNode(SPW_DISPLAY* d, tag_spw_dobjnode* n) {
  Record("SPPD_RenderFeatureNode", "%p,%p", static_cast<void*>(d), static_cast<void*>(n));
}

// Terrain.
int32_t SPPD_InitTerrain(SPW_DISPLAY* d, SPW_TERRAIN* t) {
  return Result(
      Record("SPPD_InitTerrain", "%p,%p", static_cast<void*>(d), static_cast<void*>(t)));
}
void SPPD_UninitTerrain(SPW_DISPLAY* d, SPW_TERRAIN* t) {
  Record("SPPD_UninitTerrain", "%p,%p", static_cast<void*>(d), static_cast<void*>(t));
}
uint32_t SPPD_SetTerrainAmbientColour(uint32_t colour) {
  Record("SPPD_SetTerrainAmbientColour", "0x%x", colour);
  uint32_t previous = g_ambient;
  g_ambient = colour;
  return previous;
}
#ifndef RECDRV_NO_TERRAIN
int32_t SPPD_TERRAIN_RenderTerrainDataSetup(SPW_VDISPLAY* v, SPW_DISPLAY* d) {
  Record("SPPD_TERRAIN_RenderTerrainDataSetup", "%p,%p", static_cast<void*>(v),
         static_cast<void*>(d));
  return SPPD_OK;
}
int32_t SPPD_TERRAIN_RenderTerrainData() {
  Record("SPPD_TERRAIN_RenderTerrainData", "%s", "");
  return SPPD_OK;
}
#endif

// Video: records are never made here.
SPPD_VIDEOFRAME* SPPD_CreateVideoFrame(SPW_DISPLAY* d, SPW_B2DSET* t, const char* file,
                                       uint32_t flags) {
  Record("SPPD_CreateVideoFrame", "%p,%p,%s,0x%x", static_cast<void*>(d), static_cast<void*>(t),
         file ? file : "(null)", flags);
  return nullptr;
}
void SPPD_UpdateVideoFrame(SPPD_VIDEOFRAME* f) {
  Record("SPPD_UpdateVideoFrame", "%p", static_cast<void*>(f));
}
void SPPD_DestroyVideoFrame(SPPD_VIDEOFRAME* f) {
  Record("SPPD_DestroyVideoFrame", "%p", static_cast<void*>(f));
}
int32_t SPPD_StreamSurfacePlay(SPPD_VIDEOFRAME* f, int32_t loop) {
  return Result(Record("SPPD_StreamSurfacePlay", "%p,%d", static_cast<void*>(f), loop));
}
int32_t SPPD_StreamSurfaceStop(SPPD_VIDEOFRAME* f) {
  return Record("SPPD_StreamSurfaceStop", "%p", static_cast<void*>(f)) || !f ? 0 : 1;
}
int32_t SPPD_StreamSurfacePause(SPPD_VIDEOFRAME* f, int32_t p) {
  Record("SPPD_StreamSurfacePause", "%p,%d", static_cast<void*>(f), p);
  return 0;
}
int32_t SPPD_StreamSurfaceRestore(SPPD_VIDEOFRAME* f) {
  return Result(Record("SPPD_StreamSurfaceRestore", "%p", static_cast<void*>(f)));
}
