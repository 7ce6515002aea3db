// Effects and voice lines: loading, playing on a slot, and the slots' end.
#include <algorithm>
#include <cmath>

#include "engine/kernel/kernelstate.h"
#include "platform/trace.h"
#include "shell/sound/internal.h"

namespace {

constexpr float kFarDistance = 1.0e9f;
constexpr float kVoiceMinDistance = 10.0f;
constexpr int32_t kLoopPriority = 230;
constexpr int32_t kNotRecorded = -1;

bool ValidId(int32_t id) { return id >= 0 && id < VN_SOUND_NUM_EFFECTS; }
bool ValidSlot(int32_t slot) { return slot >= 0 && slot < VN_SOUND_NUM_SLOTS; }

PLAT_Sample* LoadSample(const VNSOUND_EFFECT& e, float minDistance, int32_t priority) {
  PLAT_Sample* sample = PLAT_SoundLoadWav(e.pszFile, e.dwMode);
  if (!sample) return nullptr;
  if (e.dwMode & VN_SOUND_MODE_3D) PLAT_SoundSetMinMaxDistance(sample, minDistance, kFarDistance);
  PLAT_SampleDefaults d{};
  PLAT_SoundGetDefaults(sample, &d);
  d.priority = priority;
  PLAT_SoundSetDefaults(sample, d);
  return sample;
}

float Distance(const float* a, const float* b) {
  const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Starts a sample and records it on the slot of its channel; the slot or -1.
int32_t Play(PLAT_Sample* sample, const float* pos, const VNSOUND_EFFECT* record, bool check,
             float scale) {
  const float audible = record->fAudibleDistance;
  bool mission = false;
  float camera[3];
  const bool haveCamera = audible != 0.0f && vnSOUND_MissionCamera(&mission, camera);
  if (audible != 0.0f && mission && check && pos && haveCamera && Distance(pos, camera) > audible)
    return -1;
  const int32_t volume = static_cast<int32_t>(static_cast<float>(record->nVolume) * scale);
  PLAT_SampleDefaults d{};
  PLAT_SoundGetDefaults(sample, &d);
  static const float kOrigin[3] = {0.0f, 0.0f, 0.0f};
  int32_t handle;
  if (pos) {
    handle = PLAT_SoundPlay3D(PLAT_SOUND_FREE, sample, d.frequency, volume, pos, kOrigin);
  } else if (audible != 0.0f && mission) {
    handle = PLAT_SoundPlay3D(PLAT_SOUND_FREE, sample, d.frequency, volume, kOrigin, kOrigin);
  } else {
    handle = PLAT_SoundPlay(PLAT_SOUND_FREE, sample, d.frequency, volume, d.pan);
  }
  if (handle < 0) return handle;
  const int32_t slot = handle & PLAT_SOUND_INDEX_MASK;
  if (!ValidSlot(slot)) {
    // A channel beyond the slots could never be stopped or reported: give it back at once.
    PLAT_Trace("VNSOUND: channel %d has no slot; sound stopped\n", slot);
    PLAT_SoundStop(handle);
    return -1;
  }
  vnSOUND_StopChannel(slot);
  VNSOUND_CHANNEL& s = g_vnSound.slots[slot];
  s.hChannel = handle;
  s.pSource = record;
  s.record = *record;
  s.dwFlags = VN_SOUND_SLOT_PLAYING;
  for (int k = 0; k < 3; ++k) s.afPos[k] = s.afPrevPos[k] = pos ? pos[k] : 0.0f;
  s.nId = kNotRecorded;
  s.pOwner = nullptr;
  return slot;
}

int32_t PlayEffect(int32_t id, const float* pos, bool check, float scale, uint32_t flags) {
  if (vnSOUND_Off()) return -1;
  if (!g_vnSound.started || !ValidId(id) || !g_vnSound.samples[id]) return -1;
  const VNSOUND_EFFECT& e = g_vnSound.effects[id];
  if (g_vnSound.plays[id] >= e.nMaxPlays) return -1;
  const int32_t slot = Play(g_vnSound.samples[id], pos, &e, check, scale);
  if (slot < 0) return slot;
  g_vnSound.slots[slot].nId = id;
  g_vnSound.slots[slot].dwFlags |= flags;
  ++g_vnSound.plays[id];
  return slot;
}

}  // namespace

void vnSOUND_ForgetSamples() {
  g_vnSound.samples.fill(nullptr);
  g_vnSound.plays.fill(0);
  for (auto& bank : g_vnSound.voiceSamples) bank.fill(nullptr);
  g_vnSound.streams.fill(nullptr);
  g_vnSound.streamChannels.fill(-1);
  for (VNSOUND_CHANNEL& s : g_vnSound.slots) s = VNSOUND_CHANNEL{-1, 0, -1, {}, {}, nullptr, {}, nullptr};
}

const VNSOUND_EFFECT* vnSOUND_GetEffect(int32_t id) {
  if (!ValidId(id)) return nullptr;
  return g_vnSound.started ? &g_vnSound.effects[id] : &vnSOUND_EffectTable()[id];
}

const VNSOUND_CHANNEL* vnSOUND_GetSlot(int32_t slot) {
  return ValidSlot(slot) ? &g_vnSound.slots[slot] : nullptr;
}

int32_t vnSOUND_GetPlayCount(int32_t id) { return ValidId(id) ? g_vnSound.plays[id] : 0; }

int32_t vnSOUND_LoadEffect(int32_t id) {
  if (vnSOUND_Off()) return 1;
  if (!ValidId(id) || !g_vnSound.started) return 0;
  if (g_vnSound.samples[id]) return 1;
  const VNSOUND_EFFECT& e = g_vnSound.effects[id];
  const int32_t priority = (e.dwMode & VN_SOUND_MODE_LOOP) ? kLoopPriority : e.nPriority;
  g_vnSound.samples[id] = LoadSample(e, e.fMinDistance, priority);
  return g_vnSound.samples[id] ? 1 : 0;
}

void vnSOUND_FreeEffect(int32_t id) {
  if (vnSOUND_Off() || !ValidId(id) || !g_vnSound.samples[id]) return;
  PLAT_SoundFreeSample(g_vnSound.samples[id]);
  g_vnSound.samples[id] = nullptr;
}

int32_t vnSOUND_LoadGroup(uint32_t mask) {
  if (vnSOUND_Off()) return 1;
  int32_t ok = 1;
  for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id)
    if ((g_vnSound.effects[id].dwGroupMask & mask) && !vnSOUND_LoadEffect(id)) ok = 0;
  return ok;
}

void vnSOUND_FreeGroup(uint32_t mask) {
  if (vnSOUND_Off()) return;
  for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id)
    if (g_vnSound.effects[id].dwGroupMask & mask) vnSOUND_FreeEffect(id);
}

int32_t vnSOUND_PlayEffect(int32_t id, const float* pos) {
  return PlayEffect(id, pos, true, g_vnSound.sfx, 0);
}

int32_t vnSOUND_PlayEffectAt(int32_t id, const float* pos) {
  return PlayEffect(id, pos, false, g_vnSound.sfx, 0);
}

int32_t vnSOUND_PlayEffectScaled(int32_t id, const float* pos, float volumeScale) {
  return PlayEffect(id, pos, false, volumeScale, 0);
}

int32_t vnSOUND_PlayDialogue(int32_t id) {
  return PlayEffect(id, nullptr, false, g_vnSound.dialogue, VN_SOUND_SLOT_DIALOGUE);
}

int32_t vnSOUND_StopChannel(int32_t slot) {
  if (vnSOUND_Off() || !ValidSlot(slot)) return 0;
  VNSOUND_CHANNEL& s = g_vnSound.slots[slot];
  if (!(s.dwFlags & VN_SOUND_SLOT_PLAYING)) return 0;
  s.dwFlags &= ~VN_SOUND_SLOT_PLAYING;
  const int32_t stopped = PLAT_SoundStop(s.hChannel) ? 1 : 0;
  const int32_t id = s.nId;
  if (id == kNotRecorded) return stopped;
  SGE_TASK* owner = s.pOwner;
  // The slot is clear before the owner hears of it: its handler may start the next sound here.
  s.pOwner = nullptr;
  s.nId = kNotRecorded;
  int32_t count = 0;
  if (ValidId(id)) {
    g_vnSound.plays[id] = std::max(0, g_vnSound.plays[id] - 1);
    count = g_vnSound.plays[id];
  }
  if (owner) {
    // An owner that ended without taking its name off the slot must not be written to.
    if (SGE_TaskIsLive(owner))
      SGE_Send(owner, SGM_SOUND_FINISHED, slot, id);
    else
      PLAT_Trace("vnSOUND_StopChannel: the owner of slot %d is gone\n", slot);
  }
  return count;
}

void vnSOUND_StopAllChannels() {
  if (vnSOUND_Off()) return;
  for (VNSOUND_CHANNEL& s : g_vnSound.slots) s.pOwner = nullptr;
  for (int32_t i = 0; i < VN_SOUND_NUM_SLOTS; ++i) vnSOUND_StopChannel(i);
}

void vnSOUND_SetChannelOwner(int32_t slot, SGE_TASK* owner) {
  if (vnSOUND_Off() || !ValidSlot(slot)) return;
  g_vnSound.slots[slot].pOwner = owner;
}

void vnSOUND_SetChannelPosition(int32_t slot, const float* pos) {
  if (vnSOUND_Off() || !ValidSlot(slot) || !pos) return;
  std::copy(pos, pos + 3, g_vnSound.slots[slot].afPos);
}

int32_t vnSOUND_SetChannelVolume(int32_t slot, int32_t volume) {
  if (vnSOUND_Off() || !ValidSlot(slot)) return 0;
  VNSOUND_CHANNEL& s = g_vnSound.slots[slot];
  const int32_t previous = s.record.nVolume;
  s.record.nVolume = std::clamp(volume, 0, 255);
  if (s.dwFlags & VN_SOUND_SLOT_PLAYING)
    PLAT_SoundSetVolume(s.hChannel, static_cast<int32_t>(s.record.nVolume * vnSOUND_SlotScale(s)));
  return previous;
}

int32_t vnSOUND_GetChannelVolume(int32_t slot) {
  if (vnSOUND_Off() || !ValidSlot(slot)) return 0;
  return g_vnSound.slots[slot].record.nVolume;
}

int32_t vnSOUND_LoadVoiceBank(int32_t type) {
  if (vnSOUND_Off()) return 1;
  if (!g_vnSound.started || type < 0 || type >= VN_SOUND_NUM_VOICE_TYPES) return 0;
  int32_t ok = 1;
  for (int32_t line = 0; line < VN_SOUND_VOICE_LINES; ++line) {
    PLAT_Sample*& sample = g_vnSound.voiceSamples[type][line];
    if (sample) continue;
    const VNSOUND_EFFECT& v = g_vnSound.voices[type][line];
    sample = LoadSample(v, kVoiceMinDistance, v.nPriority);
    if (!sample) ok = 0;
  }
  return ok;
}

int32_t vnSOUND_LoadVoiceTypes() {
  if (vnSOUND_Off()) return 1;
  int32_t ok = 1;
  for (int32_t i = 0; i < VN_SOUND_VOICE_TYPE_TABLE_SIZE; ++i)
    if (!vnSOUND_LoadVoiceBank(VN_SOUND_VOICE_TYPE_TABLE[i])) ok = 0;
  return ok;
}

void vnSOUND_FreeVoiceTypes() {
  if (vnSOUND_Off()) return;
  for (auto& bank : g_vnSound.voiceSamples) {
    for (PLAT_Sample*& sample : bank) {
      if (sample) PLAT_SoundFreeSample(sample);
      sample = nullptr;
    }
  }
}

int32_t vnSOUND_PlayVoice(int32_t type, int32_t line, const float* pos) {
  if (vnSOUND_Off() || !g_vnSound.started) return -1;
  if (type < 0 || type >= VN_SOUND_NUM_VOICE_TYPES || line < 0 || line >= VN_SOUND_VOICE_LINES)
    return -1;
  PLAT_Sample* sample = g_vnSound.voiceSamples[type][line];
  if (!sample) return -1;
  const int32_t slot = Play(sample, pos, &g_vnSound.voices[type][line], false, g_vnSound.sfx);
  if (slot < 0) return slot;
  // The slot records the voice type, so its end counts down the effect of that number.
  g_vnSound.slots[slot].nId = type;
  ++g_vnSound.plays[type];
  return slot;
}
