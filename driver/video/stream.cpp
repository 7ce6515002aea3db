// Pacing the pictures by the clock, the stop event and the worker thread.
#include <algorithm>

#include "driver/video/video.h"
#include "platform/trace.h"

namespace {

using Seconds = std::chrono::duration<double>;

SPPD_VideoClock::time_point Due(const SPPD_VIDEOFRAME* v) {
  return v->tStart + std::chrono::duration_cast<SPPD_VideoClock::duration>(Seconds(v->dPendingTime));
}

// One picture's length, for restarting a looping movie one picture after its last.
double PictureLength(const SPPD_VIDEOFRAME* v) {
  return v->info.frameRate > 0.0 ? 1.0 / v->info.frameRate : 0.0;
}

// Decodes the next pending picture; at the end rewinds a looping movie (its time 0 is one
// picture after the last) or reports the end. False when no picture is pending afterwards.
bool DecodePending(SPPD_VIDEOFRAME* v, bool loop, SPPD_VideoClock::time_point* start) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const PLAT_MovieRead r = PLAT_MovieNextPicture(v->pMovie, &v->pending, &v->dPendingTime);
    if (r == PLAT_MovieRead::Picture) {
      v->fPending = true;
      return true;
    }
    // A damaged movie ends where the damage starts, looping or not.
    if (r == PLAT_MovieRead::Error || !loop || !PLAT_MovieRewind(v->pMovie)) break;
    *start += std::chrono::duration_cast<SPPD_VideoClock::duration>(
        Seconds(v->dPosition + PictureLength(v)));
    v->dPosition = 0.0;
  }
  v->fEnded = true;
  return false;
}

// Waits for the stop event until `until`; true (and the event cleared) when it came.
bool WaitForStop(SPPD_VIDEOFRAME* v, SPPD_VideoClock::time_point until) {
  std::unique_lock<std::mutex> lock(v->eventLock);
  if (!v->stopEvent.wait_until(lock, until, [v] { return v->fStopSignalled; })) return false;
  v->fStopSignalled = false;
  return true;
}

}  // namespace

void SPPD_VideoSignalStop(SPPD_VIDEOFRAME* v) {
  {
    std::lock_guard<std::mutex> lock(v->eventLock);
    v->fStopSignalled = true;
  }
  v->stopEvent.notify_all();
}

void SPPD_VideoResetStop(SPPD_VIDEOFRAME* v) {
  std::lock_guard<std::mutex> lock(v->eventLock);
  v->fStopSignalled = false;
}

void SPPD_VideoStopPlaying(SPPD_VIDEOFRAME* v) {
  {
    std::lock_guard<std::recursive_mutex> lock(v->section);
    if (!(v->dwFlags & SPPD_VIDEO_PLAYING)) return;
    v->dwFlags &= ~SPPD_VIDEO_PLAYING;
  }
  SPPD_VideoSignalStop(v);
}

void SPPD_VideoAdvance(SPPD_VIDEOFRAME* v, SPPD_VideoClock::time_point now) {
  std::lock_guard<std::recursive_mutex> lock(v->section);
  while (v->dwFlags & SPPD_VIDEO_PLAYING) {
    if (!v->fPending && !DecodePending(v, v->dwFlags & SPPD_VIDEO_LOOP, &v->tStart)) {
      SPPD_VideoStopPlaying(v);
      return;
    }
    if (Due(v) > now) return;
    v->picture.swap(v->pending);
    v->dPosition = v->dPendingTime;
    v->fPending = false;
    v->fNewPicture = true;
  }
}

void SPPD_VideoWorker(SPPD_VIDEOFRAME* v) {
  for (;;) {
    // The decoder is this thread's while it runs: decode outside the section.
    bool loop, playing;
    SPPD_VideoClock::time_point start;
    {
      std::lock_guard<std::recursive_mutex> lock(v->section);
      loop = v->dwFlags & SPPD_VIDEO_LOOP;
      playing = v->dwFlags & SPPD_VIDEO_PLAYING;
      start = v->tStart;
    }
    SPPD_VideoClock::time_point due = SPPD_VideoClock::time_point::max();
    if (playing && !v->fPending) {
      const SPPD_VideoClock::time_point before = start;
      const bool decoded = DecodePending(v, loop, &start);
      std::lock_guard<std::recursive_mutex> lock(v->section);
      v->tStart += start - before;
      if (!decoded) SPPD_VideoStopPlaying(v);
      else due = Due(v);
    } else if (playing) {
      std::lock_guard<std::recursive_mutex> lock(v->section);
      due = Due(v);
    }
    if (WaitForStop(v, due)) return;
    std::lock_guard<std::recursive_mutex> lock(v->section);
    if ((v->dwFlags & SPPD_VIDEO_PLAYING) && v->fPending) {
      v->picture.swap(v->pending);
      v->dPosition = v->dPendingTime;
      v->fPending = false;
      v->fNewPicture = true;
    }
  }
}
