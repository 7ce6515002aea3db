// A movie's sound track as interleaved signed 16-bit samples, one or two channels.
#include <algorithm>
#include <cmath>

#include "platform/trace.h"
#include "platform/video/internal.h"
#include "platform/video/movie.h"

namespace {

constexpr char kWho[] = "PLAT_MovieSound";

int16_t FromFloat(float v) {
  v = std::clamp(v, -1.0f, 1.0f);
  return static_cast<int16_t>(std::lrint(v * 32767.0f));
}

// Sample `i` of channel `c` of the frame as 16 bits; false for formats the tracks never use.
bool Sample(const AVFrame* f, int c, int i, int channels, int16_t* out) {
  const auto format = static_cast<AVSampleFormat>(f->format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int index = planar ? i : i * channels + c;
  const uint8_t* data = f->extended_data[planar ? c : 0];
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
      *out = static_cast<int16_t>((data[index] - 128) << 8);
      return true;
    case AV_SAMPLE_FMT_S16:
      *out = reinterpret_cast<const int16_t*>(data)[index];
      return true;
    case AV_SAMPLE_FMT_S32:
      *out = static_cast<int16_t>(reinterpret_cast<const int32_t*>(data)[index] >> 16);
      return true;
    case AV_SAMPLE_FMT_FLT:
      *out = FromFloat(reinterpret_cast<const float*>(data)[index]);
      return true;
    case AV_SAMPLE_FMT_DBL:
      *out = FromFloat(static_cast<float>(reinterpret_cast<const double*>(data)[index]));
      return true;
    default:
      return false;
  }
}

}  // namespace

struct PLAT_MovieSound {
  PLATV_Track track;
  int32_t rate = 0;
  int32_t channels = 0;  // delivered: the track's first one or two
  int32_t trackChannels = 0;
  std::vector<int16_t> pending;  // decoded, not yet read
  size_t offset = 0;
};

PLAT_MovieSound* PLAT_MovieSoundOpen(const char* path) {
  auto* s = new PLAT_MovieSound;
  if (!PLATV_OpenTrack(&s->track, path, AVMEDIA_TYPE_AUDIO, kWho)) {
    delete s;
    return nullptr;
  }
  s->rate = s->track.codec->sample_rate;
  s->trackChannels = s->track.codec->ch_layout.nb_channels;
  s->channels = std::min(s->trackChannels, 2);
  if (s->rate <= 0 || s->channels <= 0) {
    PLAT_Trace("%s: %s has a sound track of %d Hz, %d channels\n", kWho, path, s->rate,
               s->trackChannels);
    PLAT_MovieSoundClose(s);
    return nullptr;
  }
  return s;
}

void PLAT_MovieSoundClose(PLAT_MovieSound* s) {
  if (!s) return;
  PLATV_CloseTrack(&s->track);
  delete s;
}

int32_t PLAT_MovieSoundRate(const PLAT_MovieSound* s) { return s ? s->rate : 0; }
int32_t PLAT_MovieSoundChannels(const PLAT_MovieSound* s) { return s ? s->channels : 0; }

namespace {

// Decodes the next frame into pending; false at the end or on damage.
bool Refill(PLAT_MovieSound* s) {
  s->pending.clear();
  s->offset = 0;
  while (s->pending.empty()) {
    if (PLATV_NextFrame(&s->track, kWho) <= 0) return false;
    const AVFrame* f = s->track.frame;
    if (f->ch_layout.nb_channels != s->trackChannels) {
      PLAT_Trace("%s: the sound track changes its channels; it ends there\n", kWho);
      return false;
    }
    s->pending.resize(static_cast<size_t>(f->nb_samples) * s->channels);
    for (int i = 0; i < f->nb_samples; ++i)
      for (int c = 0; c < s->channels; ++c)
        if (!Sample(f, c, i, s->trackChannels, &s->pending[static_cast<size_t>(i) * s->channels + c])) {
          PLAT_Trace("%s: samples of format %d are not read\n", kWho, f->format);
          return false;
        }
  }
  return true;
}

}  // namespace

size_t PLAT_MovieSoundRead(PLAT_MovieSound* s, int16_t* out, size_t frames) {
  if (!s || !out) return 0;
  size_t done = 0;
  while (done < frames) {
    if (s->offset >= s->pending.size() && !Refill(s)) break;
    const size_t available = (s->pending.size() - s->offset) / s->channels;
    const size_t take = std::min(available, frames - done);
    std::copy_n(s->pending.begin() + static_cast<std::ptrdiff_t>(s->offset), take * s->channels,
                out + done * s->channels);
    s->offset += take * s->channels;
    done += take;
  }
  return done;
}

bool PLAT_MovieSoundRewind(PLAT_MovieSound* s) {
  if (!s || !PLATV_RewindTrack(&s->track)) return false;
  s->pending.clear();
  s->offset = 0;
  return true;
}
