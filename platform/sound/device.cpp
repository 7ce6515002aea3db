// Output devices: the system's device, the null output and the manual mixer, and the worker
// that keeps streams fed (and mixes the null output) while the game runs its frames.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sound/internal.h"
#include "platform/trace.h"

PLAT_SoundState g_sound;

namespace {

using Lock = std::lock_guard<std::mutex>;

constexpr auto kWorkerPeriod = std::chrono::milliseconds(10);
// The null output never mixes more than this much at once, so a stalled process does not
// make one long burst of mixing.
constexpr int32_t kMaxNullMixMs = 100;
constexpr int32_t kMixChunk = 1024;  // below a stream buffer, so streams never run dry in a mix

std::vector<std::string> DeviceNames() {
  std::vector<std::string> names;
  const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE;
  const ALCchar* list = alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
  for (const ALCchar* p = list; p && *p; p += std::strlen(p) + 1) names.emplace_back(p);
  return names;
}

bool Headless() {
  const char* flag = std::getenv("VANTORIA_HEADLESS");
  return flag && std::strcmp(flag, "1") == 0;
}

bool OpenLoopback() {
  if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") != ALC_TRUE) {
    PLAT_Trace("PLAT_SoundInit: no mixing without a device in this OpenAL\n");
    return false;
  }
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  g_sound.render = reinterpret_cast<PLAT_RenderFn>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  g_sound.device = open ? open(nullptr) : nullptr;
  return g_sound.device && g_sound.render;
}

bool OpenSystemDevice() {
  std::string name;
  if (g_sound.driver > 0) {
    std::vector<std::string> names = DeviceNames();
    if (g_sound.driver > static_cast<int32_t>(names.size())) return false;
    name = names[g_sound.driver - 1];
  }
  g_sound.device = alcOpenDevice(name.empty() ? nullptr : name.c_str());
  return g_sound.device != nullptr;
}

// Opens the device of the asked output; Auto falls back to the null output without a device.
bool OpenOutput() {
  PLAT_SoundOutput out = g_sound.output;
  if (out == PLAT_SoundOutput::Auto && Headless()) out = PLAT_SoundOutput::Null;
  if (out == PLAT_SoundOutput::Auto) {
    if (OpenSystemDevice()) {
      g_sound.running = PLAT_SoundOutput::Auto;
      return true;
    }
    PLAT_Trace("PLAT_SoundInit: no sound device opens; mixing to the null output\n");
    out = PLAT_SoundOutput::Null;
  }
  g_sound.running = out;
  return OpenLoopback();
}

bool CreateContext(int32_t rate, int32_t channels) {
  std::vector<ALCint> attrs = {ALC_FREQUENCY, rate, ALC_MONO_SOURCES, channels,
                               ALC_STEREO_SOURCES, channels};
  if (g_sound.running != PLAT_SoundOutput::Auto) {
    attrs.insert(attrs.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                               ALC_SHORT_SOFT});
  } else if (g_sound.bufferMs > 0) {
    attrs.insert(attrs.end(), {ALC_REFRESH, std::max(1, 1000 / g_sound.bufferMs)});
  }
  attrs.push_back(0);
  g_sound.context = alcCreateContext(g_sound.device, attrs.data());
  if (!g_sound.context || alcMakeContextCurrent(g_sound.context) != ALC_TRUE) return false;
  ALCint actual = rate;
  alcGetIntegerv(g_sound.device, ALC_FREQUENCY, 1, &actual);
  g_sound.rate = actual;
  return true;
}

bool CreateChannels(int32_t count) {
  g_sound.channels.assign(static_cast<size_t>(count), PLAT_SoundChannel{});
  for (PLAT_SoundChannel& c : g_sound.channels) {
    alGenSources(1, &c.source);
    if (alGetError() != AL_NO_ERROR) return false;
  }
  return true;
}

void Render(int32_t frames, int16_t* out) {
  std::vector<int16_t> scratch;
  if (!out) scratch.resize(static_cast<size_t>(std::min(frames, kMixChunk)) * 2);
  while (frames > 0) {
    int32_t n = std::min(frames, kMixChunk);
    PLAT_SoundPumpStreams();
    g_sound.render(g_sound.device, out ? out : scratch.data(), n);
    if (out) out += n * 2;
    frames -= n;
  }
}

void WorkerLoop() {
  auto last = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(g_sound.mutex);
  while (!g_sound.stopWorker) {
    g_sound.wake.wait_for(lock, kWorkerPeriod);
    if (g_sound.stopWorker) break;
    auto now = std::chrono::steady_clock::now();
    if (g_sound.running == PLAT_SoundOutput::Null) {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
      int32_t frames = static_cast<int32_t>(std::min<int64_t>(ms, kMaxNullMixMs) * g_sound.rate / 1000);
      // Whole milliseconds only, so the remainder is mixed next time instead of lost.
      if (frames > 0) {
        Render(frames, nullptr);
        last += std::chrono::milliseconds(ms);
      }
    } else {
      PLAT_SoundPumpStreams();
      last = now;
    }
  }
}

void CloseDevice() {
  for (PLAT_SoundChannel& c : g_sound.channels)
    if (c.source) alDeleteSources(1, &c.source);
  g_sound.channels.clear();
  alcMakeContextCurrent(nullptr);
  if (g_sound.context) alcDestroyContext(g_sound.context);
  if (g_sound.device) alcCloseDevice(g_sound.device);
  g_sound.context = nullptr;
  g_sound.device = nullptr;
  g_sound.render = nullptr;
}

}  // namespace

bool PLAT_SoundSetOutput(PLAT_SoundOutput output) {
  Lock lock(g_sound.mutex);
  if (g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_STARTED);
  g_sound.output = output;
  return true;
}

int32_t PLAT_SoundGetNumDrivers() {
  Lock lock(g_sound.mutex);
  if (g_sound.output != PLAT_SoundOutput::Auto || Headless()) return 1;
  return 1 + static_cast<int32_t>(DeviceNames().size());
}

bool PLAT_SoundSetDriver(int32_t driver) {
  int32_t count = PLAT_SoundGetNumDrivers();
  Lock lock(g_sound.mutex);
  if (g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_STARTED);
  if (driver < 0 || driver >= count) {
    PLAT_Trace("PLAT_SoundSetDriver: no sound device %d (%d known)\n", driver, count);
    return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  }
  g_sound.driver = driver;
  return true;
}

bool PLAT_SoundSetBufferSize(int32_t ms) {
  Lock lock(g_sound.mutex);
  if (g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_STARTED);
  if (ms < 0) return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  g_sound.bufferMs = ms;
  return true;
}

bool PLAT_SoundInit(int32_t rate, int32_t channels) {
  Lock lock(g_sound.mutex);
  if (g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_STARTED);
  if (rate <= 0 || channels <= 0 || channels > PLAT_SOUND_INDEX_MASK + 1)
    return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  g_sound.error = PLAT_SOUND_OK;
  if (!OpenOutput() || !CreateContext(rate, channels)) {
    PLAT_Trace("PLAT_SoundInit: cannot open the sound output at %d Hz\n", rate);
    CloseDevice();
    return PLAT_SoundFail(PLAT_SOUND_ERR_OUTPUT);
  }
  if (!CreateChannels(channels)) {
    PLAT_Trace("PLAT_SoundInit: cannot make %d channels\n", channels);
    CloseDevice();
    return PLAT_SoundFail(PLAT_SOUND_ERR_MEMORY);
  }
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  alListenerf(AL_GAIN, static_cast<float>(g_sound.masterVolume) / PLAT_SOUND_MAX_VOLUME);
  g_sound.started = true;
  g_sound.stopWorker = false;
  if (g_sound.running != PLAT_SoundOutput::Manual) g_sound.worker = std::thread(WorkerLoop);
  return true;
}

void PLAT_SoundClose() {
  {
    Lock lock(g_sound.mutex);
    if (!g_sound.started) return;
    g_sound.stopWorker = true;
  }
  g_sound.wake.notify_all();
  if (g_sound.worker.joinable()) g_sound.worker.join();
  Lock lock(g_sound.mutex);
  for (PLAT_SoundChannel& c : g_sound.channels) PLAT_SoundReleaseChannel(&c);
  PLAT_SoundFreeAllStreams();
  PLAT_SoundFreeAllSamples();
  CloseDevice();
  g_sound.started = false;
  g_sound.rolloff = 1.0f;
  g_sound.masterVolume = PLAT_SOUND_MAX_VOLUME;
}

int32_t PLAT_SoundGetError() {
  Lock lock(g_sound.mutex);
  return g_sound.error;
}

int32_t PLAT_SoundGetMixRate() {
  Lock lock(g_sound.mutex);
  return g_sound.started ? g_sound.rate : 0;
}

int32_t PLAT_SoundGetNumChannels() {
  Lock lock(g_sound.mutex);
  return static_cast<int32_t>(g_sound.channels.size());
}

PLAT_SoundOutput PLAT_SoundGetOutput() {
  Lock lock(g_sound.mutex);
  return g_sound.started ? g_sound.running : g_sound.output;
}

bool PLAT_SoundMix(int16_t* out, int32_t frames) {
  Lock lock(g_sound.mutex);
  if (!g_sound.started) return PLAT_SoundFail(PLAT_SOUND_ERR_NOT_STARTED);
  if (g_sound.running != PLAT_SoundOutput::Manual || !out || frames < 0)
    return PLAT_SoundFail(PLAT_SOUND_ERR_INVALID_PARAM);
  Render(frames, out);
  return true;
}

void PLAT_SoundSetMasterVolume(int32_t volume) {
  Lock lock(g_sound.mutex);
  g_sound.masterVolume = std::clamp(volume, 0, PLAT_SOUND_MAX_VOLUME);
  if (g_sound.started)
    alListenerf(AL_GAIN, static_cast<float>(g_sound.masterVolume) / PLAT_SOUND_MAX_VOLUME);
}

int32_t PLAT_SoundGetMasterVolume() {
  Lock lock(g_sound.mutex);
  return g_sound.masterVolume;
}

void PLAT_SoundSetListener(const float position[3], const float velocity[3],
                           const float forward[3], const float up[3]) {
  Lock lock(g_sound.mutex);
  if (!g_sound.started) return;
  alListenerfv(AL_POSITION, position);
  alListenerfv(AL_VELOCITY, velocity);
  const float orientation[6] = {forward[0], forward[1], forward[2], up[0], up[1], up[2]};
  alListenerfv(AL_ORIENTATION, orientation);
}

void PLAT_SoundSetRolloff(float rolloff) {
  Lock lock(g_sound.mutex);
  g_sound.rolloff = rolloff < 0.0f ? 0.0f : rolloff;
  for (PLAT_SoundChannel& c : g_sound.channels)
    if (c.active && c.is3D) alSourcef(c.source, AL_ROLLOFF_FACTOR, g_sound.rolloff);
}
