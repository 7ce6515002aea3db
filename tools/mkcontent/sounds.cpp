// Demo sounds: every effect gets a short tone or noise burst (silence would not show that a
// sound plays), loops get tones that repeat without a click, and every music file is a short
// looping chord.
#include "tools/mkcontent/sounds.h"

#include <cstdint>
#include <map>
#include <set>

#include "platform/random.h"
#include "shell/sound/sound.h"
#include "tools/writers/sounddef_writer.h"
#include "tools/writers/wav_writer.h"

namespace {

constexpr int32_t kRate = 22050;
constexpr float kEffectSeconds = 0.12f;
constexpr int32_t kEffectAmplitude = 12000;
constexpr float kMusicSeconds = 1.5f;
constexpr int32_t kMusicAmplitude = 6000;
constexpr uint32_t kSeed = 0x50d;

vnSOUNDDEF_ENTRY Tuning(const VNSOUND_EFFECT& e) {
  vnSOUNDDEF_ENTRY t;
  const bool looping = (e.dwMode & VN_SOUND_MODE_LOOP) != 0;
  const bool positioned = (e.dwMode & VN_SOUND_MODE_3D) != 0;
  t.priority = positioned ? 128 : 200;
  t.volume = 220;
  t.minDistance = positioned ? 5.0f : 0.0f;
  t.audibleDistance = positioned ? 200.0f : 0.0f;
  t.maxPlays = looping ? 1 : 4;
  return t;
}

// Loops hold a whole number of cycles so that the end meets the start.
vnWAV_SOUND EffectSound(int32_t id, const VNSOUND_EFFECT& e) {
  vnWAV_SOUND s;
  s.rate = kRate;
  const float hz = 220.0f + static_cast<float>(id % 24) * 40.0f;
  if (e.dwMode & VN_SOUND_MODE_LOOP) {
    const float cycles = hz * kEffectSeconds;
    s.samples = vnWRITE_Tone(kRate, static_cast<float>(static_cast<int32_t>(cycles)) / hz, hz, kEffectAmplitude);
  } else if (id % 2 == 0) {
    s.samples = vnWRITE_Tone(kRate, kEffectSeconds, hz, kEffectAmplitude);
  } else {
    s.samples = vnWRITE_Noise(kRate, kEffectSeconds, kEffectAmplitude);
  }
  return s;
}

vnWAV_SOUND Chord(int32_t index) {
  const float root = 110.0f * (1.0f + static_cast<float>(index % 5) * 0.125f);
  std::vector<int16_t> a = vnWRITE_Tone(kRate, kMusicSeconds, root, kMusicAmplitude);
  std::vector<int16_t> b = vnWRITE_Tone(kRate, kMusicSeconds, root * 1.5f, kMusicAmplitude);
  vnWAV_SOUND s;
  s.rate = kRate;
  s.channels = 2;
  for (size_t i = 0; i < a.size(); ++i) {
    s.samples.push_back(a[i]);
    s.samples.push_back(b[i]);
  }
  return s;
}

}  // namespace

bool vnMKCONTENT_Sounds(const std::string& root) {
  PLAT_SRand(kSeed);
  std::map<int32_t, vnSOUNDDEF_ENTRY> tuning;
  for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id) {
    const VNSOUND_EFFECT& e = *vnSOUND_GetEffect(id);
    tuning[id] = Tuning(e);
    if (!vnWRITE_WavFile(root, e.pszFile, EffectSound(id, e))) return false;
  }
  if (!vnWRITE_SoundDef(root, tuning)) return false;
  std::set<std::string> written;
  for (int32_t i = 0; i < VN_SOUND_NUM_STREAMS; ++i) {
    const std::string file = vnSOUND_GetStreamFile(i);
    if (written.insert(file).second && !vnWRITE_WavFile(root, file, Chord(i))) return false;
  }
  return true;
}
