#include "tools/writers/sounddef_writer.h"

#include <gtest/gtest.h>

#include "platform/ini.h"
#include "shell/sound/sound.h"
#include "tests/support/support.h"

namespace {

TEST(SoundDefWriter, EntriesReadBackThroughTheGamesReader) {
  const std::map<int32_t, vnSOUNDDEF_ENTRY> entries = {
      {0, {0, 0, 0.0f, 0.0f, 0}},
      {7, {255, 255, 0.1f, 1234.5678f, 9}},
      {811, {128, 64, 3.3333333f, 1.0e-7f, 1}},
  };
  vntest::TempDir dir;
  ASSERT_TRUE(vnWRITE_SoundDef(dir.path(), entries));
  PLAT_IniFlushCache();
  const std::string file = dir.file("sound/sounddef.txt");
  for (const auto& [id, e] : entries) {
    VNSOUND_EFFECT back{};
    ASSERT_EQ(vnSOUND_ReadSoundDefEntry(file.c_str(), id, &back), 1) << id;
    EXPECT_EQ(back.nPriority, e.priority) << id;
    EXPECT_EQ(back.nVolume, e.volume) << id;
    EXPECT_EQ(back.fMinDistance, e.minDistance) << id;
    EXPECT_EQ(back.fAudibleDistance, e.audibleDistance) << id;
    EXPECT_EQ(back.nMaxPlays, e.maxPlays) << id;
  }
  VNSOUND_EFFECT missing{};
  EXPECT_EQ(vnSOUND_ReadSoundDefEntry(file.c_str(), 1, &missing), 0);
}

TEST(SoundDefWriter, TheReaderRefusesValuesOutOfRange) {
  vntest::TempDir dir;
  const std::string file = dir.write("sounddef.txt",
                                     "[SoundEffectRunTimeBindingData]\n"
                                     "File0=256,1,1,1,1\nFile1=1,-1,1,1,1\nFile2=1,1,-1,1,1\n"
                                     "File3=1,1,1,-5,1\nFile4=1,1,1,1,-1\nFile5=1,1,nan,1,1\n"
                                     "File6=1,1,1,1\nFile7=a,b,c,d,e\n");
  PLAT_IniFlushCache();
  vntest::TraceCapture trace;
  for (int32_t id = 0; id <= 7; ++id) {
    VNSOUND_EFFECT e{};
    EXPECT_EQ(vnSOUND_ReadSoundDefEntry(file.c_str(), id, &e), 0) << id;
  }
  EXPECT_TRUE(trace.contains("File7"));
}

}  // namespace
