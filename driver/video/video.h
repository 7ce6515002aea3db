#pragma once
// driver/video: movies played into the textures of a 2D set's frames.
//
// A movie is decoded either by the host (SPPD_VIDEO_NOWORKER: each SPPD_UpdateVideoFrame decodes
// up to the picture due now) or by a worker thread of its own, which decodes each picture when
// it is due into the record's picture buffer. Textures are touched on the main thread only: the
// host's SPPD_UpdateVideoFrame copies the newest picture into them.
//
// Locking: `section` guards the flags, the clock, the picture buffer and its new-picture mark.
// The decoder and the pending picture belong to the worker while one runs, else to the main
// thread. The stop event is signalled outside the section and waited for outside it.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/driver/sppd.h"
#include "platform/video/movie.h"

struct PLAT_Stream;

constexpr uint32_t SPPD_VIDEO_LOOP = 0x1;
constexpr uint32_t SPPD_VIDEO_PLAYING = 0x2;
constexpr uint32_t SPPD_VIDEO_FIT = 0x4;       // scale the picture to fill the frames
constexpr uint32_t SPPD_VIDEO_NOWORKER = 0x8;  // the host decodes through SPPD_UpdateVideoFrame

using SPPD_VideoClock = std::chrono::steady_clock;

struct SPPD_VIDEOFRAME {
  uint32_t dwSize;  // sizeof the record
  SPW_B2DSET* pTarget;
  SPW_DISPLAY* pContext;
  uint32_t dwFlags;

  PLAT_Movie* pMovie;
  PLAT_MovieInfo info;
  std::string soundPath;          // the sound track is opened at play
  PLAT_Stream* pSound = nullptr;  // main thread only

  std::recursive_mutex section;
  SPPD_VideoClock::time_point tStart;  // when the movie's time 0 was, while playing
  double dPosition = 0.0;              // time of the picture last taken, for resuming
  std::vector<uint32_t> picture;       // the newest picture, waiting for the host
  bool fNewPicture = false;

  // The decoder's side.
  std::vector<uint32_t> pending;  // decoded ahead, shown when its time comes
  double dPendingTime = 0.0;
  bool fPending = false;
  bool fEnded = false;  // the decoder gave its last picture

  std::mutex eventLock;
  std::condition_variable stopEvent;
  bool fStopSignalled = false;
  std::thread worker;

  std::vector<uint32_t> shown;  // main thread: the picture being copied into the textures
};

// Destroys every stream of the display, for SPPD_Destroy: their records live in the pools that
// go with the display, and their workers must end before them.
void SPPD_VideoDestroyAll(SPW_DISPLAY* display);

// Copies a picture into the textures of every frame of the target (main thread).
void SPPD_VideoCopyPicture(SPPD_VIDEOFRAME* frame, const std::vector<uint32_t>& argb);
// Fills the textures of every frame of the target with 0 (main thread).
void SPPD_VideoClearTextures(SPPD_VIDEOFRAME* frame);

// Under the section: takes the pending picture and decodes the next while they are due at `now`;
// at the end rewinds a looping movie, stops any other. Host-decoded records only.
void SPPD_VideoAdvance(SPPD_VIDEOFRAME* frame, SPPD_VideoClock::time_point now);
// Clears the playing bit and signals the stop event; the section may be held (it is recursive).
void SPPD_VideoStopPlaying(SPPD_VIDEOFRAME* frame);
// Sets and clears the stop event.
void SPPD_VideoSignalStop(SPPD_VIDEOFRAME* frame);
void SPPD_VideoResetStop(SPPD_VIDEOFRAME* frame);
// The worker's body.
void SPPD_VideoWorker(SPPD_VIDEOFRAME* frame);
