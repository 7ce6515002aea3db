#include "shell/sound/sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "platform/sound/sound.h"
#include "platform/window/msgbox.h"
#include "shell/state.h"
#include "shell/options.h"
#include "tests/support/support.h"
#include "tools/writers/sounddef_writer.h"
#include "tools/writers/wav_writer.h"

namespace {

constexpr int32_t kOwnerType = 100;
constexpr int32_t kFrontEnd2D = 10;     // 2D one-shot
constexpr int32_t kInterface2D = 70;    // 2D one-shot
constexpr int32_t kWorld3D = 200;       // 3D one-shot
constexpr int32_t kWorldLoop = 780;     // 3D looping
constexpr int32_t kMixRate = 22000;     // sound quality 0

struct Finished {
  SGE_TASK* task;
  SGE_PARAM slot;
  SGE_PARAM id;
};
std::vector<Finished> g_finished;

SGE_RESULT Owner(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_SOUND_FINISHED) {
    g_finished.push_back({task, p1, p2});
    return 1;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

std::vector<int16_t> Mix(float seconds) {
  const int32_t frames = static_cast<int32_t>(seconds * kMixRate);
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
  EXPECT_TRUE(PLAT_SoundMix(pcm.data(), frames));
  return pcm;
}

double Rms(const std::vector<int16_t>& pcm, int channel, size_t fromFrame = 1000) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = fromFrame * 2 + static_cast<size_t>(channel); i < pcm.size(); i += 2, ++n)
    sum += double(pcm[i]) * pcm[i];
  return n ? std::sqrt(sum / double(n)) : 0.0;
}

// One call of a table test and what it must return.
struct Call {
  const char* call;
  std::function<int32_t()> run;
  int32_t expected;
};

class SoundSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    g_finished.clear();
    *vnMAIN_MutableSwitches() = VNMAIN_SWITCHES{};
    vnOPTIONS_SetDefaults(vnOPTIONS_Get());
    vnOPTIONS_Get()->dwSoundQuality = 0;
    vnOPTIONS_ApplySound(vnOPTIONS_Get());
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    SGE_TASKTYPE t{};
    t.nTypeId = kOwnerType;
    t.pHandler = Owner;
    std::strcpy(t.szName, "SOUNDOWNER");
    ASSERT_EQ(SGE_RegisterTaskType(t), 1);
    for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id) tuning_[id] = vnSOUNDDEF_ENTRY{};
    cwd_ = std::make_unique<vntest::ScopedWorkingDir>(dir_.path());
  }
  void TearDown() override {
    vnSOUND_Close();
    vnSOUND_SetLayerChannels(0);
    vnSOUND_SetMissionView(nullptr);
    PLAT_SoundSetOutput(PLAT_SoundOutput::Auto);
    *vnMAIN_MutableSwitches() = VNMAIN_SWITCHES{};
    SGE_ShutdownKernelAndMemory();
    cwd_.reset();
  }
  int32_t Start(PLAT_SoundOutput output = PLAT_SoundOutput::Manual) {
    PLAT_IniFlushCache();
    EXPECT_TRUE(vnWRITE_SoundDef(dir_.path(), tuning_));
    PLAT_SoundSetOutput(output);
    return vnSOUND_Init();
  }
  // A tone for the effect's file, looping ones a whole number of cycles long.
  void WriteEffect(int32_t id, float seconds = 0.05f) {
    vnWAV_SOUND s;
    s.rate = 22050;
    s.samples = vnWRITE_Tone(s.rate, seconds, 441.0f, 16000);
    ASSERT_TRUE(vnWRITE_WavFile(dir_.path(), vnSOUND_GetEffect(id)->pszFile, s));
  }
  int32_t Loaded(int32_t id, float seconds = 0.05f) {
    WriteEffect(id, seconds);
    return vnSOUND_LoadEffect(id);
  }
  SGE_TASK* MakeOwner() { return SGE_CreateTask(kOwnerType, nullptr, nullptr, 0, 0); }

  vntest::TempDir dir_;
  std::unique_ptr<vntest::ScopedWorkingDir> cwd_;
  std::map<int32_t, vnSOUNDDEF_ENTRY> tuning_;
};

TEST_F(SoundSystem, AnEffectPlaysOnTheNullOutputAndItsOwnerHearsOfItsEndOnce) {
  vntest::TraceCapture trace;
  ASSERT_EQ(Start(PLAT_SoundOutput::Null), 1);
  EXPECT_TRUE(trace.contains("sound started at 22000 Hz, 56 channels, null output"));
  ASSERT_EQ(Loaded(kInterface2D), 1);
  SGE_TASK* owner = MakeOwner();
  const int32_t slot = vnSOUND_PlayEffect(kInterface2D, nullptr);
  ASSERT_GE(slot, 0);
  vnSOUND_SetChannelOwner(slot, owner);
  EXPECT_EQ(vnSOUND_GetPlayCount(kInterface2D), 1);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (g_finished.empty() && std::chrono::steady_clock::now() < until) {
    vnSOUND_UpdateChannels(nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  for (int i = 0; i < 3; ++i) vnSOUND_UpdateChannels(nullptr);
  EXPECT_EQ(vnSOUND_StopChannel(slot), 0);
  ASSERT_EQ(g_finished.size(), 1u);
  EXPECT_EQ(g_finished[0].task, owner);
  EXPECT_EQ(g_finished[0].slot, slot);
  EXPECT_EQ(g_finished[0].id, kInterface2D);
  EXPECT_EQ(vnSOUND_GetPlayCount(kInterface2D), 0);
}

TEST_F(SoundSystem, StoppingTellsTheOwnerOnceAndASlotWithoutOwnerTellsNobody) {
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kFrontEnd2D, 0.5f), 1);
  SGE_TASK* owner = MakeOwner();
  const int32_t a = vnSOUND_PlayEffect(kFrontEnd2D, nullptr);
  const int32_t b = vnSOUND_PlayEffect(kFrontEnd2D, nullptr);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  vnSOUND_SetChannelOwner(a, owner);
  EXPECT_EQ(vnSOUND_StopChannel(a), 1);  // the id's remaining plays
  EXPECT_EQ(vnSOUND_StopChannel(a), 0);
  EXPECT_EQ(vnSOUND_StopChannel(b), 0);
  ASSERT_EQ(g_finished.size(), 1u);
  EXPECT_EQ(g_finished[0].slot, a);
}

TEST_F(SoundSystem, MaximumPlaysAreRefusedUntilOneEndsOrIsStopped) {
  tuning_[kWorld3D].maxPlays = 2;
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kWorld3D, 0.05f), 1);
  const float pos[3] = {1, 2, 3};
  const int32_t a = vnSOUND_PlayEffect(kWorld3D, pos);
  const int32_t b = vnSOUND_PlayEffect(kWorld3D, pos);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_EQ(vnSOUND_PlayEffect(kWorld3D, pos), -1);
  vnSOUND_StopChannel(a);
  const int32_t c = vnSOUND_PlayEffect(kWorld3D, pos);
  EXPECT_GE(c, 0);
  EXPECT_EQ(vnSOUND_PlayEffect(kWorld3D, pos), -1);
  // Both end in the mixer; the per-frame update frees their plays.
  Mix(0.2f);
  vnSOUND_UpdateChannels(nullptr);
  EXPECT_EQ(vnSOUND_GetPlayCount(kWorld3D), 0);
  EXPECT_GE(vnSOUND_PlayEffect(kWorld3D, pos), 0);
}

TEST_F(SoundSystem, AChannelBeyondTheSlotsIsStoppedAndRefused) {
  tuning_[kWorldLoop].maxPlays = 100;
  vnSOUND_SetLayerChannels(VN_SOUND_NUM_SLOTS + 8);
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kWorldLoop), 1);
  const float pos[3] = {0, 0, 0};
  for (int32_t i = 0; i < VN_SOUND_NUM_SLOTS; ++i) ASSERT_EQ(vnSOUND_PlayEffect(kWorldLoop, pos), i);
  vntest::TraceCapture trace;
  EXPECT_EQ(vnSOUND_PlayEffect(kWorldLoop, pos), -1);
  EXPECT_TRUE(trace.contains("channel 56 has no slot"));
  EXPECT_EQ(vnSOUND_GetPlayCount(kWorldLoop), VN_SOUND_NUM_SLOTS);
  // The refused sound was stopped: its channel is the free one the next play takes again.
  EXPECT_EQ(vnSOUND_PlayEffect(kWorldLoop, pos), -1);
  EXPECT_TRUE(trace.contains("channel 56 has no slot"));
  EXPECT_EQ(vnSOUND_StopChannel(VN_SOUND_NUM_SLOTS - 1), VN_SOUND_NUM_SLOTS - 1);
  EXPECT_EQ(vnSOUND_PlayEffect(kWorldLoop, pos), VN_SOUND_NUM_SLOTS - 1);
}

TEST_F(SoundSystem, IdsSlotsStreamsTypesAndLinesOutsideTheirTablesAreRefused) {
  ASSERT_EQ(Start(), 1);
  const float pos[3] = {0, 0, 0};
  const Call cases[] = {
      {"LoadEffect(812)", [] { return vnSOUND_LoadEffect(VN_SOUND_NUM_EFFECTS); }, 0},
      {"LoadEffect(-1)", [] { return vnSOUND_LoadEffect(-1); }, 0},
      {"PlayEffect(812)", [&] { return vnSOUND_PlayEffect(VN_SOUND_NUM_EFFECTS, pos); }, -1},
      {"PlayEffectAt(-1)", [&] { return vnSOUND_PlayEffectAt(-1, pos); }, -1},
      {"PlayDialogue(812)", [] { return vnSOUND_PlayDialogue(VN_SOUND_NUM_EFFECTS); }, -1},
      {"StopChannel(56)", [] { return vnSOUND_StopChannel(VN_SOUND_NUM_SLOTS); }, 0},
      {"StopChannel(-1)", [] { return vnSOUND_StopChannel(-1); }, 0},
      {"SetChannelVolume(56)", [] { return vnSOUND_SetChannelVolume(VN_SOUND_NUM_SLOTS, 9); }, 0},
      {"GetChannelVolume(-1)", [] { return vnSOUND_GetChannelVolume(-1); }, 0},
      {"PlayStream(30)", [] { return vnSOUND_PlayStream(VN_SOUND_NUM_STREAMS); }, 0},
      {"PlayStream(-1)", [] { return vnSOUND_PlayStream(-1); }, 0},
      {"GetStreamChannel(30)", [] { return vnSOUND_GetStreamChannel(VN_SOUND_NUM_STREAMS); }, -1},
      {"LoadVoiceBank(10)", [] { return vnSOUND_LoadVoiceBank(VN_SOUND_NUM_VOICE_TYPES); }, 0},
      {"PlayVoice(0, 68)", [&] { return vnSOUND_PlayVoice(0, VN_SOUND_VOICE_LINES, pos); }, -1},
      {"PlayVoice(10, 0)", [&] { return vnSOUND_PlayVoice(VN_SOUND_NUM_VOICE_TYPES, 0, pos); }, -1},
  };
  for (const Call& c : cases) EXPECT_EQ(c.run(), c.expected) << c.call;
  // None of these may write outside the tables.
  vnSOUND_SetChannelOwner(VN_SOUND_NUM_SLOTS, MakeOwner());
  vnSOUND_SetChannelPosition(VN_SOUND_NUM_SLOTS, pos);
  vnSOUND_CloseStream(VN_SOUND_NUM_STREAMS);
  vnSOUND_FreeEffect(VN_SOUND_NUM_EFFECTS);
  EXPECT_EQ(vnSOUND_GetEffect(VN_SOUND_NUM_EFFECTS), nullptr);
  EXPECT_EQ(vnSOUND_GetSlot(VN_SOUND_NUM_SLOTS), nullptr);
}

TEST_F(SoundSystem, AnOwnerThatEndedIsNotSentTheFinishedMessage) {
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kFrontEnd2D, 0.5f), 1);
  SGE_TASK* owner = MakeOwner();
  const int32_t slot = vnSOUND_PlayEffect(kFrontEnd2D, nullptr);
  vnSOUND_SetChannelOwner(slot, owner);
  SGE_Send(owner, SGM_TASK_DESTROY, 0, 0);
  vntest::TraceCapture trace;
  EXPECT_EQ(vnSOUND_StopChannel(slot), 0);
  EXPECT_TRUE(g_finished.empty());
  EXPECT_TRUE(trace.contains("owner of slot"));
}

TEST_F(SoundSystem, StopAllChannelsTellsNobody) {
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kFrontEnd2D, 0.5f), 1);
  const int32_t slot = vnSOUND_PlayEffect(kFrontEnd2D, nullptr);
  vnSOUND_SetChannelOwner(slot, MakeOwner());
  vnSOUND_StopAllChannels();
  EXPECT_TRUE(g_finished.empty());
  EXPECT_EQ(vnSOUND_GetPlayCount(kFrontEnd2D), 0);
}

TEST_F(SoundSystem, ThreeDEffectsFollowTheListener) {
  tuning_[kWorldLoop].audibleDistance = 100.0f;
  tuning_[kWorldLoop].minDistance = 1.0f;
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kWorldLoop), 1);
  const float pos[3] = {5.0f, 0.0f, 0.0f};
  const int32_t slot = vnSOUND_PlayEffect(kWorldLoop, pos);
  ASSERT_GE(slot, 0);
  float camera[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  VNSOUND_STATE* state = vnSOUND_GetStateRecord();
  ASSERT_NE(state, nullptr);
  vnSOUND_UpdateListener(state, camera, 1);
  std::vector<int16_t> mix = Mix(0.1f);
  EXPECT_GT(Rms(mix, 1), 2.0 * Rms(mix, 0));  // on the right
  camera[12] = 10.0f;
  vnSOUND_UpdateListener(state, camera, 1);
  EXPECT_FLOAT_EQ(state->afPrevPos[0], 10.0f);
  mix = Mix(0.1f);
  EXPECT_GT(Rms(mix, 0), 2.0 * Rms(mix, 1));  // now on the left
  // The channel moves with its slot's position at the next update: to the listener's right.
  const float moved[3] = {15.0f, 0.0f, 0.0f};
  vnSOUND_SetChannelPosition(slot, moved);
  vnSOUND_UpdateListener(state, camera, 1);
  mix = Mix(0.1f);
  EXPECT_GT(Rms(mix, 1), 2.0 * Rms(mix, 0));
}

TEST_F(SoundSystem, FarSoundsAreSkippedOnlyInAMissionAndOnlyByPlayEffect) {
  tuning_[kWorld3D].audibleDistance = 200.0f;
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kWorld3D, 0.5f), 1);
  const float far[3] = {300.0f, 0.0f, 0.0f}, near[3] = {100.0f, 0.0f, 0.0f};
  EXPECT_GE(vnSOUND_PlayEffect(kWorld3D, far), 0);  // no mission
  vnSOUND_SetMissionView([](bool* running, float cam[3]) {
    *running = true;
    cam[0] = cam[1] = cam[2] = 0.0f;
    return true;
  });
  EXPECT_EQ(vnSOUND_PlayEffect(kWorld3D, far), -1);
  EXPECT_GE(vnSOUND_PlayEffect(kWorld3D, near), 0);
  EXPECT_GE(vnSOUND_PlayEffectAt(kWorld3D, far), 0);
}

TEST_F(SoundSystem, AStreamOpensLoopsAndCloses) {
  ASSERT_EQ(Start(), 1);
  vnWAV_SOUND s;
  s.rate = 22050;
  s.samples = vnWRITE_Tone(s.rate, 0.1f, 300.0f, 16000);
  ASSERT_TRUE(vnWRITE_WavFile(dir_.path(), vnSOUND_GetStreamFile(1), s));
  ASSERT_TRUE(vnWRITE_WavFile(dir_.path(), vnSOUND_GetStreamFile(0), s));
  ASSERT_EQ(vnSOUND_PlayStream(1), 1);
  ASSERT_EQ(vnSOUND_PlayStream(0), 1);
  const int32_t looping = vnSOUND_GetStreamChannel(1);
  const int32_t once = vnSOUND_GetStreamChannel(0);
  ASSERT_GE(looping, 0);
  ASSERT_GE(once, 0);
  std::vector<int16_t> mix = Mix(0.6f);
  EXPECT_TRUE(PLAT_SoundIsPlaying(looping));
  EXPECT_FALSE(PLAT_SoundIsPlaying(once));
  EXPECT_GT(Rms(mix, 0, static_cast<size_t>(0.5f * kMixRate)), 500.0);
  vnSOUND_CloseStream(1);
  EXPECT_EQ(vnSOUND_GetStreamChannel(1), -1);
  EXPECT_FALSE(PLAT_SoundIsPlaying(looping));
  vnSOUND_StopMusic();
  EXPECT_EQ(vnSOUND_GetStreamChannel(0), -1);
  EXPECT_EQ(vnSOUND_PlayStream(5), 0);  // its file is missing
}

TEST_F(SoundSystem, VolumeGroupsAreClampedAndApplyToTheirOwnChannels) {
  tuning_[kFrontEnd2D].volume = 200;
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Loaded(kFrontEnd2D, 0.5f), 1);
  ASSERT_EQ(Loaded(kInterface2D, 0.5f), 1);
  tuning_[kInterface2D].volume = 255;
  EXPECT_FLOAT_EQ(vnSOUND_SetSFXVolume(1.7f), VN_OPTIONS_DEFAULT_SFX_VOLUME);
  EXPECT_FLOAT_EQ(vnSOUND_GetSFXVolume(), 1.0f);
  EXPECT_FLOAT_EQ(vnSOUND_SetSFXVolume(-0.2f), 1.0f);
  EXPECT_FLOAT_EQ(vnSOUND_GetSFXVolume(), 0.0f);
  vnSOUND_SetSFXVolume(0.5f);
  vnSOUND_SetDialogueVolume(1.0f);
  const int32_t effect = vnSOUND_PlayEffect(kFrontEnd2D, nullptr);
  const int32_t dialogue = vnSOUND_PlayDialogue(kInterface2D);
  ASSERT_GE(effect, 0);
  ASSERT_GE(dialogue, 0);
  const int32_t he = vnSOUND_GetSlot(effect)->hChannel, hd = vnSOUND_GetSlot(dialogue)->hChannel;
  EXPECT_EQ(vnSOUND_GetSlot(dialogue)->dwFlags & VN_SOUND_SLOT_DIALOGUE, VN_SOUND_SLOT_DIALOGUE);
  EXPECT_EQ(PLAT_SoundGetVolume(he), 100);
  vnSOUND_SetSFXVolume(0.25f);
  EXPECT_EQ(PLAT_SoundGetVolume(he), 50);
  EXPECT_EQ(PLAT_SoundGetVolume(hd), 255);  // dialogue keeps its own group
  vnSOUND_SetDialogueVolume(0.5f);
  EXPECT_EQ(PLAT_SoundGetVolume(hd), 127);
  EXPECT_EQ(PLAT_SoundGetVolume(he), 50);
  // The slot's own volume scales with its group.
  EXPECT_EQ(vnSOUND_SetChannelVolume(effect, 300), 200);
  EXPECT_EQ(vnSOUND_GetChannelVolume(effect), 255);
  EXPECT_EQ(PLAT_SoundGetVolume(he), 63);
  vnSOUND_DuckVolumes();
  EXPECT_FLOAT_EQ(vnSOUND_GetSFXVolume(), 0.025f);
  vnSOUND_RestoreVolumes();
  EXPECT_FLOAT_EQ(vnSOUND_GetSFXVolume(), 0.25f);
  vnWAV_SOUND music;
  music.samples = vnWRITE_Tone(music.rate, 0.2f, 300.0f, 8000);
  ASSERT_TRUE(vnWRITE_WavFile(dir_.path(), vnSOUND_GetStreamFile(3), music));
  ASSERT_EQ(vnSOUND_PlayStream(3), 1);
  vnSOUND_SetMusicVolume(0.4f);
  EXPECT_EQ(PLAT_SoundGetVolume(vnSOUND_GetStreamChannel(3)), 102);
  vnSOUND_SetMasterLevel(0.5f);
  EXPECT_EQ(PLAT_SoundGetMasterVolume(), 127);
  vnSOUND_SetMasterLevel(3.0f);
  EXPECT_EQ(PLAT_SoundGetMasterVolume(), 255);
}

TEST_F(SoundSystem, WithSoundSwitchedOffEveryCallReturnsItsNeutralResult) {
  vnMAIN_ParseCommandLine("sound 0", vnMAIN_MutableSwitches());
  std::remove((dir_.path() + "/sound/sounddef.txt").c_str());
  EXPECT_EQ(vnSOUND_Init(), 1);  // without even a sounddef file
  EXPECT_EQ(PLAT_SoundGetMixRate(), 0);  // the layer never started
  const float pos[3] = {0, 0, 0};
  const Call cases[] = {
      {"LoadEffect", [] { return vnSOUND_LoadEffect(1); }, 1},
      {"LoadGroup", [] { return vnSOUND_LoadGroup(~0u); }, 1},
      {"LoadVoiceBank", [] { return vnSOUND_LoadVoiceBank(0); }, 1},
      {"LoadVoiceTypes", [] { return vnSOUND_LoadVoiceTypes(); }, 1},
      {"PlayStream", [] { return vnSOUND_PlayStream(1); }, 1},
      {"PlayEffect", [&] { return vnSOUND_PlayEffect(1, pos); }, -1},
      {"PlayEffectAt", [&] { return vnSOUND_PlayEffectAt(1, pos); }, -1},
      {"PlayEffectScaled", [&] { return vnSOUND_PlayEffectScaled(1, pos, 1.0f); }, -1},
      {"PlayDialogue", [] { return vnSOUND_PlayDialogue(1); }, -1},
      {"PlayVoice", [&] { return vnSOUND_PlayVoice(0, 0, pos); }, -1},
      {"StopChannel", [] { return vnSOUND_StopChannel(0); }, 0},
      {"SetChannelVolume", [] { return vnSOUND_SetChannelVolume(0, 10); }, 0},
      {"GetChannelVolume", [] { return vnSOUND_GetChannelVolume(0); }, 0},
      {"GetStreamChannel", [] { return vnSOUND_GetStreamChannel(1); }, -1},
      {"SetSFXVolume", [] { return int32_t(vnSOUND_SetSFXVolume(0.5f) * 100); }, 0},
      {"GetMusicVolume", [] { return int32_t(vnSOUND_GetMusicVolume() * 100); }, 0},
  };
  for (const Call& c : cases) EXPECT_EQ(c.run(), c.expected) << c.call;
  EXPECT_EQ(vnSOUND_GetStateRecord(), nullptr);
  vnSOUND_SetChannelOwner(0, MakeOwner());
  vnSOUND_StopAllChannels();
  vnSOUND_StopMusic();
  vnSOUND_SetMasterLevel(0.5f);
  vnSOUND_UpdateChannels(pos);
  vnSOUND_Close();
  EXPECT_EQ(PLAT_SoundGetMixRate(), 0);
  EXPECT_TRUE(g_finished.empty());
}

TEST_F(SoundSystem, AMissingOrShortSounddefEntryFailsTheStartAndLeavesSoundClosed) {
  ASSERT_EQ(Start(), 1);
  vnSOUND_Close();
  tuning_.erase(500);
  vntest::TraceCapture trace;
  EXPECT_EQ(Start(), 0);
  EXPECT_TRUE(trace.contains("File500"));
  EXPECT_EQ(PLAT_SoundGetMixRate(), 0);
  EXPECT_EQ(vnSOUND_IsStarted(), 0);
  // Four values instead of five.
  tuning_[500] = vnSOUNDDEF_ENTRY{};
  ASSERT_TRUE(vnWRITE_SoundDef(dir_.path(), tuning_));
  PLAT_IniWriteString(VN_SOUNDDEF_SECTION, "File500", "128,255,1.0,0.0", VN_SOUNDDEF_FILE);
  PLAT_IniFlushCache();
  PLAT_SoundSetOutput(PLAT_SoundOutput::Manual);
  EXPECT_EQ(vnSOUND_Init(), 0);
  EXPECT_EQ(vnSOUND_IsStarted(), 0);
  // And a start after a failed one works once the file is whole again.
  EXPECT_EQ(Start(), 1);
}

bool RecordBox(const char* text, const char* caption, PLAT_MsgBoxButtons, PLAT_MsgBoxIcon,
               PLAT_MsgBoxAnswer* answer, void* user) {
  static_cast<std::vector<std::string>*>(user)->push_back(std::string(caption) + ": " + text);
  *answer = PLAT_MsgBoxAnswer::Ok;
  return true;
}

TEST_F(SoundSystem, AMissingOrDamagedSounddefFileIsNamedAndTheStartStops) {
  std::mt19937 bytes(99);
  std::string noise(3000, '\0');
  for (char& c : noise) c = static_cast<char>(bytes());
  const struct {
    const char* name;
    const char* text;  // none: no file
    std::string content;
    const char* says;
  } cases[] = {
      {"missing", nullptr, "", "\"sound/sounddef.txt\" is missing"},
      {"empty", "", "", "\"sound/sounddef.txt\" is damaged: the entry File0"},
      {"random bytes", "x", noise, "\"sound/sounddef.txt\" is damaged: the entry File0"},
  };
  std::vector<std::string> boxes;
  PLAT_SetMessageBoxDriver(RecordBox, &boxes);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.clear();
    std::remove(dir_.file(VN_SOUNDDEF_FILE).c_str());
    if (c.text) dir_.write(VN_SOUNDDEF_FILE, c.content);
    PLAT_IniFlushCache();
    PLAT_SoundSetOutput(PLAT_SoundOutput::Manual);
    vntest::TraceCapture trace;
    EXPECT_EQ(vnSOUND_Init(), 0);
    EXPECT_EQ(vnSOUND_IsStarted(), 0);
    EXPECT_TRUE(trace.contains(c.says));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(std::string("Sound Error: The sound definition file ") + c.says),
              std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("stops"), std::string::npos) << boxes[0];
  }
  PLAT_SetMessageBoxDriver(nullptr, nullptr);
}

TEST_F(SoundSystem, SounddefTuningReachesTheEffectAndLoopsTakeTheLoopPriority) {
  tuning_[kWorldLoop] = vnSOUNDDEF_ENTRY{17, 99, 2.5f, 42.0f, 3};
  tuning_[kWorld3D].priority = 77;
  ASSERT_EQ(Start(), 1);
  const VNSOUND_EFFECT* e = vnSOUND_GetEffect(kWorldLoop);
  EXPECT_EQ(e->nPriority, 17);
  EXPECT_EQ(e->nVolume, 99);
  EXPECT_FLOAT_EQ(e->fMinDistance, 2.5f);
  EXPECT_FLOAT_EQ(e->fAudibleDistance, 42.0f);
  EXPECT_EQ(e->nMaxPlays, 3);
  EXPECT_EQ(e->dwMode, VN_SOUND_MODE_3D | VN_SOUND_MODE_LOOP);
  EXPECT_STREQ(vnSOUND_GetEffect(0)->pszFile, "SOUND/Effects/FrontEnd/C1M1abriefing.wav");
  EXPECT_EQ(vnSOUND_ErrorTextOf(12), std::string("Not enough memory "));
  EXPECT_EQ(vnSOUND_ErrorTextOf(19), std::string("Unknown error"));
}

TEST_F(SoundSystem, TheDemoTreeStartsSoundAndEveryEffectAndStreamLoadsAndIsHeard) {
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir_.path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  PLAT_IniFlushCache();
  PLAT_SoundSetOutput(PLAT_SoundOutput::Manual);
  ASSERT_EQ(vnSOUND_Init(), 1);
  EXPECT_EQ(vnSOUND_LoadGroup(VN_SOUND_GROUP_FRONTEND | VN_SOUND_GROUP_GAME), 1);
  for (int32_t id : {0, 1, kInterface2D, kWorld3D, kWorld3D + 1, kWorldLoop, 811}) {
    vnSOUND_StopAllChannels();
    const float pos[3] = {0.0f, 0.0f, -2.0f};
    ASSERT_GE(vnSOUND_PlayEffectAt(id, pos), 0) << id;
    std::vector<int16_t> mix = Mix(0.05f);
    EXPECT_GT(Rms(mix, 0, 200) + Rms(mix, 1, 200), 200.0) << id;
  }
  vnSOUND_StopAllChannels();
  for (int32_t i = 0; i < VN_SOUND_NUM_STREAMS; ++i) EXPECT_EQ(vnSOUND_PlayStream(i), 1) << i;
  vnSOUND_StopMusic();
}

}  // namespace
