// Music streams: WAV files read as they play, MPEG files decoded as they play, both kept a few
// buffers ahead of the mixer by PLAT_SoundPumpStreams.
#include <mpg123.h>

#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "platform/sound/internal.h"
#include "platform/trace.h"
#include "platform/video/movie.h"

namespace {

using Lock = std::lock_guard<std::mutex>;

bool OpenWav(PLAT_Stream* s, const char* path) {
  if (!PLAT_WavReadInfo(s->file, path, &s->wav)) return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_FORMAT);
  s->channels = s->wav.channels;
  s->rate = s->wav.rate;
  s->frameBytes = s->wav.frameBytes;
  s->wavLeft = s->wav.dataBytes;
  s->format = s->wav.bits == 8 ? (s->channels == 1 ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8)
                               : (s->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16);
  return true;
}

bool OpenMpeg(PLAT_Stream* s, const char* path) {
  static const bool ready = mpg123_init() == MPG123_OK;
  int err = MPG123_OK;
  s->mpeg = ready ? mpg123_new(nullptr, &err) : nullptr;
  if (!s->mpeg) return PLAT_SoundFail(PLAT_SOUND_ERR_MEMORY);
  // Bad input is reported through our own trace, not the decoder's notes on standard error.
  mpg123_param(s->mpeg, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  // Every rate and channel count as signed 16-bit, which the mixer takes as it is.
  mpg123_format_none(s->mpeg);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i)
    mpg123_format(s->mpeg, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_open_fd(s->mpeg, fileno(s->file)) != MPG123_OK ||
      mpg123_getformat(s->mpeg, &rate, &channels, &encoding) != MPG123_OK) {
    PLAT_Trace("PLAT_SoundOpenStream: %s: not an MPEG audio file (%s)\n", path,
               mpg123_strerror(s->mpeg));
    return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_FORMAT);
  }
  s->channels = channels;
  s->rate = static_cast<int32_t>(rate);
  s->frameBytes = channels * 2;
  s->format = channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
  return true;
}

bool OpenMovie(PLAT_Stream* s, const char* path) {
  s->movie = PLAT_MovieSoundOpen(path);
  if (!s->movie) return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_FORMAT);
  s->channels = PLAT_MovieSoundChannels(s->movie);
  s->rate = PLAT_MovieSoundRate(s->movie);
  s->frameBytes = s->channels * 2;
  s->format = s->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
  return true;
}

void FreeStream(PLAT_Stream* s) {
  if (s->handle >= 0) {
    if (PLAT_SoundChannel* c = PLAT_SoundChannelOf(s->handle)) PLAT_SoundReleaseChannel(c);
  }
  alDeleteBuffers(PLAT_STREAM_BUFFERS, s->buffers);
  if (s->mpeg) {
    mpg123_close(s->mpeg);
    mpg123_delete(s->mpeg);
  }
  PLAT_MovieSoundClose(s->movie);
  if (s->file) std::fclose(s->file);
  delete s;
}

// Rewinds to the first sample; false when there is nothing to go back to.
bool Rewind(PLAT_Stream* s) {
  if (s->type == PLAT_StreamType::Wav) {
    s->wavLeft = s->wav.dataBytes;
    return s->wavLeft > 0 && std::fseek(s->file, static_cast<long>(s->wav.dataOffset), SEEK_SET) == 0;
  }
  if (s->type == PLAT_StreamType::Movie) return PLAT_MovieSoundRewind(s->movie);
  return mpg123_seek(s->mpeg, 0, SEEK_SET) >= 0;
}

// Up to `bytes` decoded bytes; 0 at the end of the data.
size_t Decode(PLAT_Stream* s, uint8_t* out, size_t bytes) {
  if (s->type == PLAT_StreamType::Wav) {
    size_t want = std::min<size_t>(bytes, s->wavLeft);
    size_t got = std::fread(out, 1, want, s->file);
    // A file that shrank under us ends the stream rather than looping on nothing.
    got -= got % static_cast<size_t>(s->frameBytes);
    s->wavLeft = got == want ? s->wavLeft - static_cast<uint32_t>(got) : 0;
    return got;
  }
  if (s->type == PLAT_StreamType::Movie) {
    const size_t frames = bytes / static_cast<size_t>(s->frameBytes);
    return PLAT_MovieSoundRead(s->movie, reinterpret_cast<int16_t*>(out), frames) *
           static_cast<size_t>(s->frameBytes);
  }
  size_t done = 0;
  int rc = mpg123_read(s->mpeg, out, bytes, &done);
  if (rc == MPG123_NEW_FORMAT) {
    long rate = 0;
    int channels = 0, encoding = 0;
    mpg123_getformat(s->mpeg, &rate, &channels, &encoding);
    if (rate != s->rate || channels != s->channels) {
      PLAT_Trace("PLAT_SoundPumpStreams: MPEG stream changes its format; it ends there\n");
      return 0;
    }
  } else if (rc != MPG123_OK && rc != MPG123_DONE) {
    return 0;
  }
  return done - done % static_cast<size_t>(s->frameBytes);
}

// Fills one buffer; 0 when the stream has nothing more to give.
size_t Fill(PLAT_Stream* s) {
  const size_t size = s->scratch.size();
  size_t filled = 0;
  bool rewound = false;
  while (filled < size) {
    size_t got = Decode(s, s->scratch.data() + filled, size - filled);
    if (got > 0) {
      filled += got;
      rewound = false;
      continue;
    }
    // At the end: a looping stream starts over, once per empty read so an empty file ends.
    if (!(s->mode & PLAT_SOUND_LOOP) || rewound || !Rewind(s)) break;
    rewound = true;
  }
  return filled;
}

void Pump(PLAT_Stream* s) {
  PLAT_SoundChannel* c = PLAT_SoundChannelOf(s->handle);
  if (!c) return;
  ALint processed = 0;
  alGetSourcei(c->source, AL_BUFFERS_PROCESSED, &processed);
  for (ALint i = 0; i < processed; ++i) {
    ALuint b = 0;
    alSourceUnqueueBuffers(c->source, 1, &b);
    s->idle.push_back(b);
  }
  while (!s->drained && !s->idle.empty()) {
    size_t bytes = Fill(s);
    if (bytes == 0) {
      s->drained = true;
      break;
    }
    ALuint b = s->idle.back();
    s->idle.pop_back();
    alBufferData(b, s->format, s->scratch.data(), static_cast<ALsizei>(bytes), s->rate);
    alSourceQueueBuffers(c->source, 1, &b);
  }
  ALint state = AL_STOPPED;
  alGetSourcei(c->source, AL_SOURCE_STATE, &state);
  // A source that ran dry while buffers were still to come starts again where it stopped.
  if (state != AL_PLAYING && s->idle.size() < PLAT_STREAM_BUFFERS) alSourcePlay(c->source);
}

}  // namespace

void PLAT_SoundPumpStreams() {
  for (PLAT_Stream* s : g_sound.streams)
    if (s->handle >= 0) Pump(s);
}

void PLAT_SoundFreeAllStreams() {
  for (PLAT_Stream* s : g_sound.streams) FreeStream(s);
  g_sound.streams.clear();
}

PLAT_Stream* PLAT_SoundOpenStream(const char* path, uint32_t mode, PLAT_StreamType type) {
  Lock lock(g_sound.mutex);
  if (!g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_NOT_STARTED), nullptr;
  if (!path || (type != PLAT_StreamType::Wav && type != PLAT_StreamType::Mpeg &&
                type != PLAT_StreamType::Movie))
    return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM), nullptr;
  auto* s = new PLAT_Stream;
  s->mode = mode;
  s->type = type;
  // The movie decoder opens its file itself.
  const bool found = type == PLAT_StreamType::Movie ? PLAT_FileExists(path)
                                                    : (s->file = PLAT_FOpen(path, "rb")) != nullptr;
  if (!found) {
    PLAT_Trace("PLAT_SoundOpenStream: %s not found\n", path);
    FreeStream(s);
    return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_NOT_FOUND), nullptr;
  }
  alGetError();
  alGenBuffers(PLAT_STREAM_BUFFERS, s->buffers);
  bool opened = alGetError() == AL_NO_ERROR || PLAT_SoundFail(PLAT_SOUND_ERR_MEMORY);
  opened = opened && (type == PLAT_StreamType::Wav    ? OpenWav(s, path)
                      : type == PLAT_StreamType::Mpeg ? OpenMpeg(s, path)
                                                      : OpenMovie(s, path));
  if (!opened) {
    FreeStream(s);
    return nullptr;
  }
  s->idle.assign(s->buffers, s->buffers + PLAT_STREAM_BUFFERS);
  s->scratch.resize(static_cast<size_t>(PLAT_STREAM_FRAMES * s->frameBytes));
  g_sound.streams.push_back(s);
  return s;
}

int32_t PLAT_SoundPlayStream(int32_t channel, PLAT_Stream* stream, int32_t volume) {
  Lock lock(g_sound.mutex);
  if (!g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_NOT_STARTED), -1;
  if (!stream || std::find(g_sound.streams.begin(), g_sound.streams.end(), stream) == g_sound.streams.end())
    return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM), -1;
  if (stream->handle >= 0) {
    if (PLAT_SoundChannel* c = PLAT_SoundChannelOf(stream->handle)) PLAT_SoundReleaseChannel(c);
  }
  int32_t index = PLAT_SoundPickChannel(channel, PLAT_STREAM_PRIORITY);
  if (index < 0) return -1;
  int32_t handle = PLAT_SoundClaimChannel(index, PLAT_STREAM_PRIORITY);
  PLAT_SoundChannel& c = g_sound.channels[static_cast<size_t>(index)];
  c.stream = stream;
  c.volume = std::clamp(volume, 0, PLAT_SOUND_MAX_VOLUME);
  c.is3D = false;
  alSourcei(c.source, AL_LOOPING, AL_FALSE);
  alSourcef(c.source, AL_PITCH, 1.0f);
  alSourcef(c.source, AL_GAIN, static_cast<float>(c.volume) / PLAT_SOUND_MAX_VOLUME);
  alSourcei(c.source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSourcef(c.source, AL_ROLLOFF_FACTOR, 0.0f);
  alSource3f(c.source, AL_POSITION, 0.0f, 0.0f, 0.0f);
  stream->handle = handle;
  stream->drained = false;
  stream->idle.assign(stream->buffers, stream->buffers + PLAT_STREAM_BUFFERS);
  // Always from the start, as a freshly opened stream would.
  if (!Rewind(stream)) stream->drained = true;
  Pump(stream);
  return handle;
}

bool PLAT_SoundStopStream(PLAT_Stream* stream) {
  Lock lock(g_sound.mutex);
  if (!stream || stream->handle < 0) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  if (PLAT_SoundChannel* c = PLAT_SoundChannelOf(stream->handle)) PLAT_SoundReleaseChannel(c);
  stream->handle = -1;
  return true;
}

void PLAT_SoundCloseStream(PLAT_Stream* stream) {
  Lock lock(g_sound.mutex);
  auto it = std::find(g_sound.streams.begin(), g_sound.streams.end(), stream);
  if (it == g_sound.streams.end()) return;
  g_sound.streams.erase(it);
  FreeStream(stream);
}

const PLAT_SoundStreamApi* PLAT_SoundGetStreamApi() {
  static const PLAT_SoundStreamApi api = {PLAT_SoundOpenStream, PLAT_SoundPlayStream,
                                          PLAT_SoundCloseStream, PLAT_SoundGetError};
  return &api;
}
