// Samples and the channels that play them.
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/files.h"
#include "platform/sound/internal.h"
#include "platform/trace.h"

namespace {

using Lock = std::lock_guard<std::mutex>;

constexpr int32_t kDefaultPriority = 128;
constexpr uint32_t kSerialLimit = 0x7ffff;  // keeps handles positive

ALenum FormatOf(int32_t channels, int32_t bits) {
  if (channels == 1) return bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

float Gain(int32_t volume) {
  return static_cast<float>(std::clamp(volume, 0, PLAT_SOUND_MAX_VOLUME)) / PLAT_SOUND_MAX_VOLUME;
}

// A 2D sound sits on a unit circle in front of the listener, left to right with the pan.
void PlaceByPan(ALuint source, int32_t pan) {
  float x = static_cast<float>(std::clamp(pan, 0, PLAT_SOUND_MAX_VOLUME) - PLAT_SOUND_PAN_CENTRE) /
            (PLAT_SOUND_MAX_VOLUME - PLAT_SOUND_PAN_CENTRE);
  x = std::clamp(x, -1.0f, 1.0f);
  alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
  alSource3f(source, AL_POSITION, x, 0.0f, -std::sqrt(1.0f - x * x));
  alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
}

int32_t Start(int32_t channel, PLAT_Sample* sample, int32_t frequency, int32_t volume,
              const float* position, const float* velocity, int32_t pan) {
  if (!g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_NOT_STARTED), -1;
  if (!sample || frequency <= 0) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM), -1;
  int32_t index = PLAT_SoundPickChannel(channel, sample->defaults.priority);
  if (index < 0) return -1;
  int32_t handle = PLAT_SoundClaimChannel(index, sample->defaults.priority);
  PLAT_SoundChannel& c = g_sound.channels[static_cast<size_t>(index)];
  c.sample = sample;
  c.volume = std::clamp(volume, 0, PLAT_SOUND_MAX_VOLUME);
  c.is3D = position != nullptr;
  alSourcei(c.source, AL_BUFFER, static_cast<ALint>(sample->buffer));
  alSourcei(c.source, AL_LOOPING, (sample->mode & PLAT_SOUND_LOOP) ? AL_TRUE : AL_FALSE);
  alSourcef(c.source, AL_PITCH, static_cast<float>(frequency) / static_cast<float>(sample->rate));
  alSourcef(c.source, AL_GAIN, Gain(c.volume));
  if (position) {
    alSourcei(c.source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(c.source, AL_REFERENCE_DISTANCE, sample->minDistance);
    alSourcef(c.source, AL_MAX_DISTANCE, sample->maxDistance);
    alSourcef(c.source, AL_ROLLOFF_FACTOR, g_sound.rolloff);
    alSourcefv(c.source, AL_POSITION, position);
    alSourcefv(c.source, AL_VELOCITY, velocity);
  } else {
    PlaceByPan(c.source, pan);
  }
  alSourcePlay(c.source);
  if (alGetError() != AL_NO_ERROR) {
    PLAT_SoundReleaseChannel(&c);
    return PLAT_SoundFail(PLAT_SOUND_ERR_PLAY), -1;
  }
  return handle;
}

}  // namespace

PLAT_SoundChannel* PLAT_SoundChannelOf(int32_t handle) {
  if (!g_sound.started || handle < 0) return nullptr;
  size_t index = static_cast<size_t>(handle & PLAT_SOUND_INDEX_MASK);
  if (index >= g_sound.channels.size()) return nullptr;
  PLAT_SoundChannel& c = g_sound.channels[index];
  if (!c.active || c.serial != static_cast<uint32_t>(handle) >> 12) return nullptr;
  return &c;
}

bool PLAT_SoundChannelPlaying(const PLAT_SoundChannel& c) {
  if (!c.active) return false;
  if (c.stream) return !(c.stream->drained && c.stream->idle.size() == PLAT_STREAM_BUFFERS);
  ALint state = AL_STOPPED;
  alGetSourcei(c.source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING || state == AL_PAUSED;
}

void PLAT_SoundReleaseChannel(PLAT_SoundChannel* c) {
  if (c->source) {
    alSourceStop(c->source);
    alSourcei(c->source, AL_BUFFER, 0);
  }
  if (c->stream) {
    PLAT_Stream* s = c->stream;
    s->handle = -1;
    s->idle.assign(s->buffers, s->buffers + PLAT_STREAM_BUFFERS);
  }
  c->active = false;
  c->sample = nullptr;
  c->stream = nullptr;
}

int32_t PLAT_SoundPickChannel(int32_t channel, int32_t priority) {
  const int32_t count = static_cast<int32_t>(g_sound.channels.size());
  if (channel != PLAT_SOUND_FREE) {
    if (channel < 0 || channel >= count) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM), -1;
    return channel;
  }
  int32_t victim = -1;
  for (int32_t i = 0; i < count; ++i) {
    const PLAT_SoundChannel& c = g_sound.channels[static_cast<size_t>(i)];
    if (!PLAT_SoundChannelPlaying(c)) return i;
    if (c.priority > priority) continue;
    const PLAT_SoundChannel* v = victim < 0 ? nullptr : &g_sound.channels[static_cast<size_t>(victim)];
    if (!v || c.priority < v->priority || (c.priority == v->priority && c.order < v->order))
      victim = i;
  }
  if (victim < 0) PLAT_SoundFail(PLAT_SOUND_ERR_CHANNEL_ALLOC);
  return victim;
}

int32_t PLAT_SoundClaimChannel(int32_t index, int32_t priority) {
  PLAT_SoundChannel& c = g_sound.channels[static_cast<size_t>(index)];
  PLAT_SoundReleaseChannel(&c);
  g_sound.serial = g_sound.serial >= kSerialLimit ? 1 : g_sound.serial + 1;
  c.serial = g_sound.serial;
  c.active = true;
  c.priority = priority;
  c.order = ++g_sound.order;
  return static_cast<int32_t>(c.serial << 12) | index;
}

void PLAT_SoundFreeAllSamples() {
  for (PLAT_Sample* s : g_sound.samples) {
    alDeleteBuffers(1, &s->buffer);
    delete s;
  }
  g_sound.samples.clear();
}

PLAT_Sample* PLAT_SoundLoadWav(const char* path, uint32_t mode) {
  Lock lock(g_sound.mutex);
  if (!g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_NOT_STARTED), nullptr;
  if (!path) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM), nullptr;
  PLAT_FileHandle file(PLAT_FOpen(path, "rb"));
  if (!file) {
    PLAT_Trace("PLAT_SoundLoadWav: %s not found\n", path);
    return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_NOT_FOUND), nullptr;
  }
  PLAT_WavInfo info;
  if (!PLAT_WavReadInfo(file.get(), path, &info)) return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_FORMAT), nullptr;
  std::vector<uint8_t> data(info.dataBytes);
  if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
    PLAT_Trace("PLAT_SoundLoadWav: %s: samples cut short\n", path);
    return PLAT_SoundFail(PLAT_SOUND_ERR_FILE_BAD), nullptr;
  }
  if ((mode & PLAT_SOUND_3D) && info.channels != 1)
    PLAT_Trace("PLAT_SoundLoadWav: %s is stereo and plays without a position\n", path);
  auto sample = std::make_unique<PLAT_Sample>();
  sample->mode = mode;
  sample->channels = info.channels;
  sample->rate = info.rate;
  sample->defaults = {info.rate, PLAT_SOUND_MAX_VOLUME, PLAT_SOUND_PAN_CENTRE, kDefaultPriority};
  alGetError();
  alGenBuffers(1, &sample->buffer);
  alBufferData(sample->buffer, FormatOf(info.channels, info.bits), data.data(),
               static_cast<ALsizei>(data.size()), info.rate);
  if (alGetError() != AL_NO_ERROR) {
    PLAT_Trace("PLAT_SoundLoadWav: %s: the mixer refused the samples\n", path);
    alDeleteBuffers(1, &sample->buffer);
    return PLAT_SoundFail(PLAT_SOUND_ERR_MEMORY), nullptr;
  }
  g_sound.samples.push_back(sample.get());
  return sample.release();
}

void PLAT_SoundFreeSample(PLAT_Sample* sample) {
  Lock lock(g_sound.mutex);
  auto it = std::find(g_sound.samples.begin(), g_sound.samples.end(), sample);
  if (!sample || it == g_sound.samples.end()) return;
  for (PLAT_SoundChannel& c : g_sound.channels)
    if (c.sample == sample) PLAT_SoundReleaseChannel(&c);
  alDeleteBuffers(1, &sample->buffer);
  g_sound.samples.erase(it);
  delete sample;
}

bool PLAT_SoundSetMinMaxDistance(PLAT_Sample* sample, float minDistance, float maxDistance) {
  Lock lock(g_sound.mutex);
  if (!sample || !(minDistance >= 0.0f) || !(maxDistance >= minDistance))
    return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  sample->minDistance = minDistance;
  sample->maxDistance = maxDistance;
  return true;
}

bool PLAT_SoundGetDefaults(const PLAT_Sample* sample, PLAT_SampleDefaults* defaults) {
  Lock lock(g_sound.mutex);
  if (!sample || !defaults) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  *defaults = sample->defaults;
  return true;
}

bool PLAT_SoundSetDefaults(PLAT_Sample* sample, const PLAT_SampleDefaults& d) {
  Lock lock(g_sound.mutex);
  if (!sample || d.frequency <= 0) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  sample->defaults = {d.frequency, std::clamp(d.volume, 0, PLAT_SOUND_MAX_VOLUME),
                      std::clamp(d.pan, 0, PLAT_SOUND_MAX_VOLUME),
                      std::clamp(d.priority, 0, PLAT_SOUND_MAX_PRIORITY)};
  return true;
}

int32_t PLAT_SoundPlay(int32_t channel, PLAT_Sample* sample, int32_t frequency, int32_t volume,
                       int32_t pan) {
  Lock lock(g_sound.mutex);
  return Start(channel, sample, frequency, volume, nullptr, nullptr, pan);
}

int32_t PLAT_SoundPlay3D(int32_t channel, PLAT_Sample* sample, int32_t frequency, int32_t volume,
                         const float position[3], const float velocity[3]) {
  Lock lock(g_sound.mutex);
  if (!position || !velocity) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM), -1;
  return Start(channel, sample, frequency, volume, position, velocity, PLAT_SOUND_PAN_CENTRE);
}

bool PLAT_SoundStop(int32_t handle) {
  Lock lock(g_sound.mutex);
  PLAT_SoundChannel* c = PLAT_SoundChannelOf(handle);
  if (!c) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  PLAT_SoundReleaseChannel(c);
  return true;
}

bool PLAT_SoundIsPlaying(int32_t handle) {
  Lock lock(g_sound.mutex);
  PLAT_SoundChannel* c = PLAT_SoundChannelOf(handle);
  return c && PLAT_SoundChannelPlaying(*c);
}

bool PLAT_SoundSetVolume(int32_t handle, int32_t volume) {
  Lock lock(g_sound.mutex);
  PLAT_SoundChannel* c = PLAT_SoundChannelOf(handle);
  if (!c) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  c->volume = std::clamp(volume, 0, PLAT_SOUND_MAX_VOLUME);
  alSourcef(c->source, AL_GAIN, Gain(c->volume));
  return true;
}

int32_t PLAT_SoundGetVolume(int32_t handle) {
  Lock lock(g_sound.mutex);
  PLAT_SoundChannel* c = PLAT_SoundChannelOf(handle);
  return c ? c->volume : -1;
}

bool PLAT_SoundSet3DAttributes(int32_t handle, const float position[3], const float velocity[3]) {
  Lock lock(g_sound.mutex);
  PLAT_SoundChannel* c = PLAT_SoundChannelOf(handle);
  if (!c || !c->is3D || !position || !velocity) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  alSourcefv(c->source, AL_POSITION, position);
  alSourcefv(c->source, AL_VELOCITY, velocity);
  return true;
}
