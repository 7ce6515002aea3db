// Mixing cost: sounds playing at once through the sound layer, mixed by OpenAL Soft into no
// device (the manual output: the mixer runs in the caller, so wall time is its CPU time), per
// second of audio, against a plain float loop that mixes the same samples: each sound's
// samples scaled by a left and a right gain into a float buffer, then clamped to 16 bits.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "engine/math/vecmath.h"
#include "platform/files.h"
#include "platform/sound/sound.h"
#include "tools/writers/wav_writer.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kSoundRate = 22050;
constexpr int32_t kChannels = 56;
constexpr int32_t kGoalSounds = 32;

struct Mixer {
  std::vector<PLAT_Sample*> samples;
  std::vector<std::vector<int16_t>> pcm;  // the same sounds for the plain loop
  std::vector<int16_t> out = std::vector<int16_t>(static_cast<size_t>(kRate) * 2);
  std::string dir;

  Mixer() {
    char templ[] = "/tmp/vnbench-sound-XXXXXX";
    dir = mkdtemp(templ);
    PLAT_SoundSetOutput(PLAT_SoundOutput::Manual);
    PLAT_SoundInit(kRate, kChannels);
    // Sounds of different pitches and lengths so that no two loops line up.
    for (int32_t i = 0; i < kChannels; ++i) {
      vnWAV_SOUND s;
      s.rate = kSoundRate;
      s.samples = vnWRITE_Tone(kSoundRate, 0.25f + 0.01f * static_cast<float>(i),
                               200.0f + 30.0f * static_cast<float>(i), 8000);
      const std::string name = "s" + std::to_string(i) + ".wav";
      vnWRITE_WavFile(dir, name, s);
      samples.push_back(PLAT_SoundLoadWav((dir + "/" + name).c_str(), PLAT_SOUND_3D | PLAT_SOUND_LOOP));
      pcm.push_back(s.samples);
    }
  }
  ~Mixer() {
    PLAT_SoundClose();
    for (int32_t i = 0; i < kChannels; ++i) PLAT_RemoveFile((dir + "/s" + std::to_string(i) + ".wav").c_str());
    rmdir(dir.c_str());
  }
  // n sounds around the listener, each at its own place.
  void Start(int32_t n) {
    StopAll();
    const float still[3] = {0, 0, 0};
    for (int32_t i = 0; i < n; ++i) {
      const float a = 2.0f * SPW_PI * static_cast<float>(i) / static_cast<float>(n);
      const float pos[3] = {10.0f * std::cos(a), 0.0f, 10.0f * std::sin(a)};
      handles.push_back(PLAT_SoundPlay3D(PLAT_SOUND_FREE, samples[static_cast<size_t>(i)], kSoundRate, 200, pos, still));
    }
  }
  void StopAll() {
    for (int32_t h : handles) PLAT_SoundStop(h);
    handles.clear();
  }
  void MixSecond() { PLAT_SoundMix(out.data(), kRate); }

  // The plain loop: every sound read at half the output rate (each sample twice, as its rate
  // asks), scaled into left and right, summed in floats and clamped once.
  void PlainSecond(int32_t n) {
    std::vector<float> acc(static_cast<size_t>(kRate) * 2, 0.0f);
    for (int32_t i = 0; i < n; ++i) {
      const std::vector<int16_t>& s = pcm[static_cast<size_t>(i)];
      const float left = 0.4f + 0.01f * static_cast<float>(i), right = 0.6f - 0.01f * static_cast<float>(i);
      size_t pos = positions[static_cast<size_t>(i)];
      for (size_t f = 0; f < static_cast<size_t>(kRate); f += 2) {
        const float v = s[pos];
        pos = pos + 1 == s.size() ? 0 : pos + 1;
        acc[2 * f] += v * left;
        acc[2 * f + 1] += v * right;
        acc[2 * f + 2] += v * left;
        acc[2 * f + 3] += v * right;
      }
      positions[static_cast<size_t>(i)] = pos;
    }
    for (size_t k = 0; k < acc.size(); ++k)
      out[k] = static_cast<int16_t>(std::clamp(acc[k], -32768.0f, 32767.0f));
    benchmark::DoNotOptimize(out.data());
  }
  std::vector<int32_t> handles;
  std::vector<size_t> positions = std::vector<size_t>(kChannels, 0);
};

Mixer& TheMixer() {
  static Mixer m;
  return m;
}

void BM_MixOneSecond(benchmark::State& state) {
  Mixer& m = TheMixer();
  m.Start(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) m.MixSecond();
  m.StopAll();
  state.SetItemsProcessed(state.iterations() * kRate);
}
BENCHMARK(BM_MixOneSecond)->Arg(1)->Arg(8)->Arg(32)->Arg(56)->Unit(benchmark::kMillisecond);

void BM_PlainOneSecond(benchmark::State& state) {
  Mixer& m = TheMixer();
  for (auto _ : state) m.PlainSecond(static_cast<int32_t>(state.range(0)));
  state.SetItemsProcessed(state.iterations() * kRate);
}
BENCHMARK(BM_PlainOneSecond)->Arg(8)->Arg(32)->Arg(56)->Unit(benchmark::kMillisecond);

void PrintGoals() {
  Mixer& m = TheMixer();
  m.Start(kGoalSounds);
  const double ratio = vnBENCH_Compare(
      "32 sounds mixed, 1 s of audio", [&] { m.MixSecond(); },
      "32 sounds, plain float loop, 1 s", [&] { m.PlainSecond(kGoalSounds); }, 11);
  m.StopAll();
  // Per sound the mixer resamples with interpolation and pans in 3D through its ambisonic
  // bus, about twice the plain loop's multiply-add per ear; once per output frame it decodes
  // that bus to stereo, limits and dithers, a fixed cost near that of thirty plain sounds.
  // Together about four times the plain loop at 32 sounds; past six, the layer itself (its
  // lock, the stream top-ups between mixing chunks) would be adding work.
  vnBENCH_GoalAtMost("sound_mix_vs_plain_loop", ratio, 6.0);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
