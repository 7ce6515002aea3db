#pragma once
// State shared by the sound layer's files; every access holds g_sound.mutex, which the stream
// worker takes too.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound/sound.h"
#include "platform/sound/wav.h"

struct mpg123_handle_struct;
struct PLAT_MovieSound;

// A stream keeps this many buffers of this many frames queued ahead of the mixer.
constexpr int32_t PLAT_STREAM_BUFFERS = 4;
constexpr int32_t PLAT_STREAM_FRAMES = 4096;
// Streams outrank every sample priority, so a sound never takes a music channel.
constexpr int32_t PLAT_STREAM_PRIORITY = PLAT_SOUND_MAX_PRIORITY + 1;

struct PLAT_Sample {
  ALuint buffer = 0;
  uint32_t mode = 0;
  int32_t channels = 1;
  int32_t rate = 0;
  float minDistance = 1.0f;
  float maxDistance = 1.0e9f;
  PLAT_SampleDefaults defaults{};
};

struct PLAT_Stream {
  uint32_t mode = 0;
  PLAT_StreamType type = PLAT_StreamType::Wav;
  FILE* file = nullptr;
  PLAT_WavInfo wav{};
  uint32_t wavLeft = 0;
  mpg123_handle_struct* mpeg = nullptr;
  PLAT_MovieSound* movie = nullptr;
  int32_t channels = 0;
  int32_t rate = 0;
  int32_t frameBytes = 0;
  ALenum format = 0;
  ALuint buffers[PLAT_STREAM_BUFFERS] = {};
  std::vector<ALuint> idle;   // buffers not queued on the channel
  int32_t handle = -1;        // the channel playing it
  bool drained = false;       // a stream without looping has given its last sample
  std::vector<uint8_t> scratch;
};

struct PLAT_SoundChannel {
  ALuint source = 0;
  uint32_t serial = 0;
  bool active = false;  // started and not stopped; the mixer may have ended it since
  int32_t priority = 0;
  uint64_t order = 0;   // start order: among equal priorities the oldest sound gives way
  int32_t volume = 0;
  bool is3D = false;
  PLAT_Sample* sample = nullptr;
  PLAT_Stream* stream = nullptr;
};

using PLAT_RenderFn = void(ALC_APIENTRY*)(ALCdevice*, ALCvoid*, ALCsizei);

struct PLAT_SoundState {
  std::mutex mutex;
  bool started = false;
  PLAT_SoundOutput output = PLAT_SoundOutput::Auto;   // asked for
  PLAT_SoundOutput running = PLAT_SoundOutput::Auto;  // in use since PLAT_SoundInit
  int32_t driver = 0;
  int32_t bufferMs = 0;
  int32_t error = PLAT_SOUND_OK;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  PLAT_RenderFn render = nullptr;
  int32_t rate = 0;
  std::vector<PLAT_SoundChannel> channels;
  uint32_t serial = 0;
  uint64_t order = 0;
  float rolloff = 1.0f;
  int32_t masterVolume = PLAT_SOUND_MAX_VOLUME;
  std::vector<PLAT_Sample*> samples;
  std::vector<PLAT_Stream*> streams;
  std::thread worker;
  std::condition_variable wake;
  bool stopWorker = false;
};

extern PLAT_SoundState g_sound;

// With the lock held.
inline bool PLAT_SoundFail(int32_t error) {
  g_sound.error = error;
  return false;
}
// The channel of a live handle, or null (stale serial, bad index, not started).
PLAT_SoundChannel* PLAT_SoundChannelOf(int32_t handle);
bool PLAT_SoundChannelPlaying(const PLAT_SoundChannel& channel);
// Stops the source, takes its buffers off and forgets what played on it.
void PLAT_SoundReleaseChannel(PLAT_SoundChannel* channel);
// A free channel (or, with none free, the one the priority may take), or -1.
int32_t PLAT_SoundPickChannel(int32_t channel, int32_t priority);
// Makes the channel's next handle; the channel must be released.
int32_t PLAT_SoundClaimChannel(int32_t index, int32_t priority);
// Tops up every playing stream's queue and restarts a source that ran dry.
void PLAT_SoundPumpStreams();
void PLAT_SoundFreeAllStreams();
void PLAT_SoundFreeAllSamples();
