// Video frame exports: create, play, stop, pause, restore, update and destroy.
#include <algorithm>
#include <new>

#include "driver/core/block.h"
#include "driver/core/pools.h"
#include "driver/device/device.h"
#include "driver/texture/convert.h"
#include "driver/video/video.h"
#include "platform/dynlib.h"
#include "platform/sound/sound.h"
#include "platform/trace.h"

namespace {

// The streams made and not yet destroyed (main thread only).
std::vector<SPPD_VIDEOFRAME*> g_live;

// The worker of an earlier play, if any, is told to stop and waited for; afterwards the
// decoder is the main thread's again.
void JoinWorker(SPPD_VIDEOFRAME* v) {
  if (!v->worker.joinable()) return;
  SPPD_VideoSignalStop(v);
  v->worker.join();
}

bool Playing(SPPD_VIDEOFRAME* v) {
  std::lock_guard<std::recursive_mutex> lock(v->section);
  return v->dwFlags & SPPD_VIDEO_PLAYING;
}

// The newest picture, handed over under the section, copied into the textures outside it.
void ShowNewPicture(SPPD_VIDEOFRAME* v) {
  {
    std::lock_guard<std::recursive_mutex> lock(v->section);
    if (!v->fNewPicture) return;
    v->shown.swap(v->picture);
    v->fNewPicture = false;
  }
  SPPD_VideoCopyPicture(v, v->shown);
}

// The host's sound output, when the process has one (the game has; Setup has not).
const PLAT_SoundStreamApi* Sound() {
  using Get = const PLAT_SoundStreamApi* (*)();
  auto get = reinterpret_cast<Get>(PLAT_FindLoadedSymbol(PLAT_SOUND_STREAM_API));
  return get ? get() : nullptr;
}

void StopSound(SPPD_VIDEOFRAME* v) {
  if (!v->pSound) return;
  if (const PLAT_SoundStreamApi* api = Sound()) api->close(v->pSound);  // stops it first
  v->pSound = nullptr;
}

// The sound track plays through the host's sound output, from the start; without a started
// output the movie plays silent.
void StartSound(SPPD_VIDEOFRAME* v, bool loop) {
  StopSound(v);
  const PLAT_SoundStreamApi* api = Sound();
  if (v->soundPath.empty() || !api) return;
  v->pSound = api->open(v->soundPath.c_str(), loop ? PLAT_SOUND_LOOP : 0, PLAT_StreamType::Movie);
  if (v->pSound && api->play(PLAT_SOUND_FREE, v->pSound, PLAT_SOUND_MAX_VOLUME) < 0) StopSound(v);
  if (!v->pSound)
    PLAT_Trace("GFXDRV: %s plays without its sound track (sound error %d)\n", v->soundPath.c_str(),
               api->error());
}

}  // namespace

SPPD_VIDEOFRAME* SPPD_CreateVideoFrame(SPW_DISPLAY* display, SPW_B2DSET* target,
                                       const char* fileName, uint32_t flags) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  const SPPD_TEXFORMATENTRY *opaque, *alpha;
  if (!s || !s->pLists || !s->pGeneralPool ||
      SPPD_TextureChooseFormats(s->pLists->texFormats, 0, &opaque, &alpha) != SPPD_OK) {
    PLAT_Trace("GFXDRV: SPPD_CreateVideoFrame: no device with texture formats\n");
    return nullptr;
  }
  PLAT_Movie* movie = PLAT_MovieOpen(fileName);
  if (!movie) return nullptr;  // traced by the movie layer
  void* memory = SPPD_PoolCalloc(s->pGeneralPool, sizeof(SPPD_VIDEOFRAME));
  if (!memory) {
    PLAT_Trace("GFXDRV: SPPD_CreateVideoFrame: no room for the record\n");
    PLAT_MovieClose(movie);
    return nullptr;
  }
  auto* v = new (memory) SPPD_VIDEOFRAME;
  v->dwSize = sizeof(SPPD_VIDEOFRAME);
  v->pTarget = target;
  v->pContext = display;
  v->dwFlags = flags;
  v->pMovie = movie;
  v->info = PLAT_MovieGetInfo(movie);
  if (v->info.hasSound) v->soundPath = fileName;
  g_live.push_back(v);
  return v;
}

int32_t SPPD_StreamSurfacePlay(SPPD_VIDEOFRAME* v, int32_t loop) {
  if (!v) return SPPD_OK;
  if (Playing(v)) return SPPD_OK;  // neither restarts nor changes the loop bit
  JoinWorker(v);
  bool worker;
  {
    std::lock_guard<std::recursive_mutex> lock(v->section);
    if (v->fEnded) {
      // Played to its end before: from the start again.
      PLAT_MovieRewind(v->pMovie);
      v->fEnded = false;
      v->fPending = false;
      v->dPosition = 0.0;
    }
    // Resumes where it stopped: the picture last taken keeps its time.
    v->tStart = SPPD_VideoClock::now() -
                std::chrono::duration_cast<SPPD_VideoClock::duration>(
                    std::chrono::duration<double>(v->dPosition));
    v->dwFlags = (v->dwFlags & ~(SPPD_VIDEO_LOOP | SPPD_VIDEO_PLAYING)) |
                 (loop ? SPPD_VIDEO_LOOP : 0) | SPPD_VIDEO_PLAYING;
    SPPD_VideoResetStop(v);
    worker = !(v->dwFlags & SPPD_VIDEO_NOWORKER);
  }
  StartSound(v, loop != 0);
  if (worker) v->worker = std::thread(SPPD_VideoWorker, v);
  return SPPD_OK;
}

int32_t SPPD_StreamSurfaceStop(SPPD_VIDEOFRAME* v) {
  if (!v) return 0;
  SPPD_VideoStopPlaying(v);
  StopSound(v);
  return SPPD_OK;
}

int32_t SPPD_StreamSurfacePause(SPPD_VIDEOFRAME*, int32_t) { return 0; }

int32_t SPPD_StreamSurfaceRestore(SPPD_VIDEOFRAME* v) {
  if (!v) return SPPD_FAIL;
  SPPD_VideoClearTextures(v);
  return SPPD_OK;
}

void SPPD_UpdateVideoFrame(SPPD_VIDEOFRAME* v) {
  if (!v) return;
  bool host;
  {
    std::lock_guard<std::recursive_mutex> lock(v->section);
    host = v->dwFlags & SPPD_VIDEO_NOWORKER;
  }
  // Without a worker of its own (it may have run before the flag was set), the host decodes.
  if (host && !v->worker.joinable()) SPPD_VideoAdvance(v, SPPD_VideoClock::now());
  // A picture taken before the movie stopped is still shown, so the textures keep the last one.
  ShowNewPicture(v);
}

void SPPD_DestroyVideoFrame(SPPD_VIDEOFRAME* v) {
  if (!v) return;
  const auto live = std::find(g_live.begin(), g_live.end(), v);
  if (live == g_live.end()) {
    PLAT_Trace("GFXDRV: SPPD_DestroyVideoFrame: not a live stream (its display is gone?)\n");
    return;
  }
  g_live.erase(live);
  SPPD_VideoStopPlaying(v);
  // The worker reads the record until it ends: only then may the record go.
  JoinWorker(v);
  StopSound(v);
  PLAT_MovieClose(v->pMovie);
  v->~SPPD_VIDEOFRAME();
  SPPD_PoolFree(v);
}

void SPPD_VideoDestroyAll(SPW_DISPLAY* display) {
  const std::vector<SPPD_VIDEOFRAME*> live = g_live;
  for (SPPD_VIDEOFRAME* v : live)
    if (v->pContext == display) SPPD_DestroyVideoFrame(v);
}
