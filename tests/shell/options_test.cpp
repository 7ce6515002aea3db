#include "shell/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/support/support.h"
#include "tools/writers/registry_writer.h"

namespace {

std::vector<uint8_t> StoredBytes(const char* name = "Options") {
  PLAT_RegKeyHandle key;
  std::vector<uint8_t> bytes;
  if (PLAT_RegOpenKey("software\\KOR\\Stuff", &key) != PLAT_RegResult::Ok ||
      PLAT_RegGetBinary(key.get(), name, &bytes) != PLAT_RegResult::Ok)
    return {};
  return bytes;
}

VNWRITE_OPTIONS Custom() {
  VNWRITE_OPTIONS o = vnWRITE_DefaultOptions();
  o.dwTextureDetail = 0;
  o.dwTerrainLOD = 2;
  o.dwEffectsDetail = 1;
  o.dwTerrainNoise = 0;
  o.dwSoundQuality = 2;
  o.dwHardwareSound = 0;
  o.fMasterVolume = 0.5f;
  o.fSfxVolume = 0.7f;
  o.fMusicVolume = 0.1f;
  o.fDialogueVolume = 0.9f;
  o.dwReserved = 0x12345678;
  return o;
}

void ExpectDefaults(const VNOPTIONS& o) {
  EXPECT_TRUE(PLAT_GuidEqual(o.guidStamp, VN_OPTIONS_STAMP));
  EXPECT_EQ(o.dwTextureDetail, 2);
  EXPECT_EQ(o.dwTerrainLOD, 1);
  EXPECT_EQ(o.dwEffectsDetail, 2);
  EXPECT_EQ(o.dwTerrainNoise, 2);
  EXPECT_EQ(o.dwSoundQuality, 1);
  EXPECT_EQ(o.dwHardwareSound, 1);
  EXPECT_EQ(o.fMasterVolume, 1.0f);
  EXPECT_EQ(o.fSfxVolume, 1.0f);
  EXPECT_EQ(o.fMusicVolume, 0.3f);
  EXPECT_EQ(o.fDialogueVolume, 0.8f);
}

class Options : public ::testing::Test {
 protected:
  vntest::ScopedRegistry registry;
};

TEST_F(Options, FirstStartWritesTheDefaults) {
  VNOPTIONS o{};
  o.dwReserved = 77;
  EXPECT_EQ(vnOPTIONS_Load(&o), 0);
  ExpectDefaults(o);
  EXPECT_EQ(o.dwReserved, 77);  // the defaults leave the reserved word alone
  VNWRITE_OPTIONS expected = vnWRITE_DefaultOptions();
  expected.dwReserved = 77;
  EXPECT_EQ(StoredBytes(), vnWRITE_OptionsBytes(expected));
}

TEST_F(Options, StoredRecordIsReadFieldByField) {
  ASSERT_TRUE(vnWRITE_RegistryOptions(Custom()));
  VNOPTIONS o{};
  EXPECT_EQ(vnOPTIONS_Load(&o), 1);
  EXPECT_EQ(o.dwTextureDetail, 0);
  EXPECT_EQ(o.dwTerrainLOD, 2);
  EXPECT_EQ(o.dwEffectsDetail, 1);
  EXPECT_EQ(o.dwTerrainNoise, 0);
  EXPECT_EQ(o.dwSoundQuality, 2);
  EXPECT_EQ(o.dwHardwareSound, 0);
  EXPECT_EQ(o.fMasterVolume, 0.5f);
  EXPECT_EQ(o.fSfxVolume, 0.7f);
  EXPECT_EQ(o.fMusicVolume, 0.1f);
  EXPECT_EQ(o.fDialogueVolume, 0.9f);
  EXPECT_EQ(o.dwReserved, 0x12345678);
}

TEST_F(Options, SaveWritesTheSameBytesAsTheWriter) {
  ASSERT_TRUE(vnWRITE_RegistryOptions(Custom()));
  VNOPTIONS o{};
  ASSERT_EQ(vnOPTIONS_Load(&o), 1);
  ASSERT_TRUE(vnWRITE_RegistryOptions(vnWRITE_DefaultOptions()));
  EXPECT_EQ(vnOPTIONS_Save(&o), 1);
  EXPECT_EQ(StoredBytes(), vnWRITE_OptionsBytes(Custom()));
}

TEST_F(Options, SaveOfACopyBecomesTheRunsRecord) {
  VNOPTIONS edited{};
  vnOPTIONS_SetDefaults(&edited);
  edited.fMusicVolume = 0.6f;
  ASSERT_EQ(vnOPTIONS_Save(&edited), 1);
  EXPECT_EQ(vnOPTIONS_Get()->fMusicVolume, 0.6f);
}

TEST_F(Options, UnusableStoredValuesAreReplacedByDefaults) {
  VNWRITE_OPTIONS foreign = Custom();
  foreign.abStamp[15] ^= 0xFF;
  std::vector<uint8_t> oversized = vnWRITE_OptionsBytes(Custom());
  oversized.push_back(0);
  std::vector<uint8_t> shortened = vnWRITE_OptionsBytes(Custom());
  shortened.resize(40);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {{"foreign stamp", vnWRITE_OptionsBytes(foreign)},
               {"61 bytes", oversized},
               {"40 bytes", shortened},
               {"empty", {}}};
  for (const auto& c : cases) {
    ASSERT_TRUE(vnWRITE_RegistryBinary("software\\KOR\\Stuff", "Options", c.bytes.data(),
                                       static_cast<uint32_t>(c.bytes.size())));
    vntest::TraceCapture trace;
    VNOPTIONS o{};
    EXPECT_EQ(vnOPTIONS_Load(&o), 0) << c.what;
    ExpectDefaults(o);
    VNWRITE_OPTIONS saved = vnWRITE_DefaultOptions();
    saved.dwReserved = 0;
    EXPECT_EQ(StoredBytes(), vnWRITE_OptionsBytes(saved)) << c.what;
  }
}

TEST_F(Options, BadSettingsAreClamped) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  VNWRITE_OPTIONS bad = Custom();
  bad.dwTextureDetail = 7;
  bad.dwTerrainLOD = -3;
  bad.dwEffectsDetail = 3;
  bad.dwSoundQuality = std::numeric_limits<int32_t>::min();
  bad.dwTerrainNoise = -9;  // any value is a valid flag
  bad.fMasterVolume = nan;
  bad.fSfxVolume = -inf;
  bad.fMusicVolume = 1.5f;
  bad.fDialogueVolume = -0.25f;
  ASSERT_TRUE(vnWRITE_RegistryOptions(bad));
  vntest::TraceCapture trace;
  VNOPTIONS o{};
  EXPECT_EQ(vnOPTIONS_Load(&o), 1);
  EXPECT_EQ(o.dwTextureDetail, 2);
  EXPECT_EQ(o.dwTerrainLOD, 0);
  EXPECT_EQ(o.dwEffectsDetail, 2);
  EXPECT_EQ(o.dwSoundQuality, 0);
  EXPECT_EQ(o.dwTerrainNoise, -9);
  EXPECT_EQ(o.fMasterVolume, 1.0f);  // not a number: default
  EXPECT_EQ(o.fSfxVolume, 1.0f);
  EXPECT_EQ(o.fMusicVolume, 1.0f);  // out of range: clamped
  EXPECT_EQ(o.fDialogueVolume, 0.0f);
  EXPECT_TRUE(trace.contains("texture detail"));
}

TEST_F(Options, RegistryValuesRoundTripAndRespectTheBuffer) {
  uint8_t buffer[8] = {};
  uint32_t read = 99;
  EXPECT_EQ(SGE_ReadRegistryValue("ObjectCull", buffer, 4, &read), -1);
  EXPECT_EQ(read, 0u);
  const uint8_t value[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(SGE_WriteRegistryValue("CameraState", value, sizeof value), 1);
  EXPECT_EQ(SGE_ReadRegistryValue("CameraState", buffer, sizeof buffer, &read), 1);
  EXPECT_EQ(read, 6u);
  EXPECT_EQ(0, std::memcmp(buffer, value, sizeof value));
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_ReadRegistryValue("CameraState", buffer, 4), -1);
  EXPECT_EQ(SGE_WriteRegistryValue(nullptr, value, 1), -1);
}

TEST_F(Options, ApplySoundHandsOverTheSoundSettings) {
  VNOPTIONS o{};
  vnOPTIONS_SetDefaults(&o);
  o.dwHardwareSound = 0;
  o.fSfxVolume = 0.4f;
  o.fMusicVolume = 0.2f;
  o.fDialogueVolume = 0.6f;
  vnOPTIONS_ApplySound(&o);
  const VNOPTIONS_SOUND* s = vnOPTIONS_GetSoundSettings();
  EXPECT_EQ(s->bSoftwareOnly, 1);
  EXPECT_EQ(s->fSfxVolume, 0.4f);
  EXPECT_EQ(s->fMusicVolume, 0.2f);
  EXPECT_EQ(s->fDialogueVolume, 0.6f);
  o.dwHardwareSound = 5;
  vnOPTIONS_ApplySound(&o);
  EXPECT_EQ(s->bSoftwareOnly, 0);
}

TEST_F(Options, TerrainNoiseFollowsTheRunsRecord) {
  vnOPTIONS_SetDefaults(vnOPTIONS_Get())->dwTerrainNoise = 0;
  vnOPTIONS_ApplyTerrainNoise();
  EXPECT_EQ(vnOPTIONS_GetTerrainNoise(), 0);
  vnOPTIONS_Get()->dwTerrainNoise = 2;
  vnOPTIONS_ApplyTerrainNoise();
  EXPECT_EQ(vnOPTIONS_GetTerrainNoise(), 1);
  EXPECT_EQ(vnOPTIONS_SetTerrainNoise(0), 1);
  EXPECT_EQ(vnOPTIONS_GetTerrainNoise(), 0);
}

float g_factor = 0.0f;
int g_viewExists = 0;
int TerrainHook(float factor) {
  if (!g_viewExists) return 0;
  g_factor = factor;
  return 1;
}

TEST_F(Options, TerrainLODChangesOnlyWithAMissionView) {
  vnOPTIONS_SetTerrainLODHook(nullptr);
  const int start = vnOPTIONS_SetTerrainLOD(2);
  EXPECT_EQ(vnOPTIONS_SetTerrainLOD(2), start);  // no display: nothing changed
  vnOPTIONS_SetTerrainLODHook(TerrainHook);
  g_viewExists = 0;
  EXPECT_EQ(vnOPTIONS_SetTerrainLOD(0), start);
  g_viewExists = 1;
  EXPECT_EQ(vnOPTIONS_SetTerrainLOD(2), start);
  EXPECT_FLOAT_EQ(g_factor, 0.83f);
  EXPECT_EQ(vnOPTIONS_SetTerrainLOD(0), 2);
  EXPECT_FLOAT_EQ(g_factor, 0.64f);
  EXPECT_EQ(vnOPTIONS_SetTerrainLOD(start), 0);
  vnOPTIONS_SetTerrainLODHook(nullptr);
}

TEST(OptionsFactor, TerrainFactorPerLevel) {
  EXPECT_FLOAT_EQ(vnOPTIONS_TerrainLODFactor(0), 0.64f);
  EXPECT_FLOAT_EQ(vnOPTIONS_TerrainLODFactor(1), 0.72f);
  EXPECT_FLOAT_EQ(vnOPTIONS_TerrainLODFactor(2), 0.83f);
  EXPECT_FLOAT_EQ(vnOPTIONS_TerrainLODFactor(-4), 0.72f);
}

}  // namespace

namespace {

TEST(OptionsStore, UnwritableStoreFailsTheSaveButKeepsTheRecord) {
  vntest::ScopedRegistry registry;  // restores the store afterwards
  vntest::TempDir dir;
  const std::string blocker = dir.write("blocker", "a file where a folder should be");
  setenv("VANTORIA_REGISTRY", (blocker + "/registry.txt").c_str(), 1);
  PLAT_RegReload();
  vntest::TraceCapture trace;
  VNOPTIONS o{};
  EXPECT_EQ(vnOPTIONS_Load(&o), 0);
  ExpectDefaults(o);
  o.fMusicVolume = 0.5f;
  EXPECT_EQ(vnOPTIONS_Save(&o), -1);
  EXPECT_EQ(o.fMusicVolume, 0.5f);
  EXPECT_EQ(vnOPTIONS_Get()->fMusicVolume, 0.5f);
}

}  // namespace
