// A movie's pictures, scaled to 32-bit ARGB words.
extern "C" {
#include <libswscale/swscale.h>
}

#include "platform/trace.h"
#include "platform/video/internal.h"
#include "platform/video/movie.h"

namespace {

constexpr char kWho[] = "PLAT_Movie";
// Larger pictures are refused rather than allocated: no movie of the game comes near.
constexpr int kMaxSide = 4096;

}  // namespace

struct PLAT_Movie {
  PLATV_Track track;
  SwsContext* scaler = nullptr;
  PLAT_MovieInfo info{};
  int64_t pictures = 0;  // decoded since the start, for pictures without a time
};

PLAT_Movie* PLAT_MovieOpen(const char* path) {
  auto* m = new PLAT_Movie;
  if (!PLATV_OpenTrack(&m->track, path, AVMEDIA_TYPE_VIDEO, kWho)) {
    delete m;
    return nullptr;
  }
  const AVCodecContext* c = m->track.codec;
  if (c->width <= 0 || c->height <= 0 || c->width > kMaxSide || c->height > kMaxSide) {
    PLAT_Trace("%s: %s has pictures of %dx%d\n", kWho, path, c->width, c->height);
    PLAT_MovieClose(m);
    return nullptr;
  }
  const AVStream* s = m->track.format->streams[m->track.stream];
  const AVRational rate = av_guess_frame_rate(m->track.format, const_cast<AVStream*>(s), nullptr);
  m->info.width = c->width;
  m->info.height = c->height;
  m->info.frameRate = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0;
  m->info.hasSound = av_find_best_stream(m->track.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  return m;
}

void PLAT_MovieClose(PLAT_Movie* m) {
  if (!m) return;
  sws_freeContext(m->scaler);
  PLATV_CloseTrack(&m->track);
  delete m;
}

PLAT_MovieInfo PLAT_MovieGetInfo(const PLAT_Movie* m) { return m ? m->info : PLAT_MovieInfo{}; }

PLAT_MovieRead PLAT_MovieNextPicture(PLAT_Movie* m, std::vector<uint32_t>* argb, double* seconds) {
  if (!m || !argb) return PLAT_MovieRead::Error;
  const int r = PLATV_NextFrame(&m->track, kWho);
  if (r <= 0) return r == 0 ? PLAT_MovieRead::End : PLAT_MovieRead::Error;
  const AVFrame* f = m->track.frame;
  // A picture of another size than the stream announced is scaled to the announced one.
  m->scaler = sws_getCachedContext(m->scaler, f->width, f->height,
                                   static_cast<AVPixelFormat>(f->format), m->info.width,
                                   m->info.height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr,
                                   nullptr, nullptr);
  if (!m->scaler) {
    PLAT_Trace("%s: cannot convert pictures of format %d\n", kWho, f->format);
    return PLAT_MovieRead::Error;
  }
  // BGRA bytes are ARGB words on this little-endian machine.
  argb->resize(static_cast<size_t>(m->info.width) * m->info.height);
  uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(argb->data()), nullptr, nullptr, nullptr};
  int strides[4] = {m->info.width * 4, 0, 0, 0};
  sws_scale(m->scaler, f->data, f->linesize, 0, f->height, planes, strides);
  double t = PLATV_FrameSeconds(&m->track);
  if (t < 0.0) t = m->info.frameRate > 0.0 ? static_cast<double>(m->pictures) / m->info.frameRate : 0.0;
  ++m->pictures;
  if (seconds) *seconds = t;
  return PLAT_MovieRead::Picture;
}

bool PLAT_MovieRewind(PLAT_Movie* m) {
  if (!m || !PLATV_RewindTrack(&m->track)) return false;
  m->pictures = 0;
  return true;
}
