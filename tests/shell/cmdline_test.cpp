// Command-line switches.
#include <gtest/gtest.h>

#include "shell/state.h"

TEST(CommandLine, SwitchesAreFoundAnywhereFirstOccurrenceOnly) {
  struct Case {
    const char* line;
    int32_t sound, device, softwareOnly, latency, nonExclusive, bugEye;
  } cases[] = {
      {"", 1, 0, 0, 0, 0, 0},
      {"sound 0", 0, 0, 0, 0, 0, 0},
      {"-x sound 3", 1, 0, 0, 0, 0, 0},
      // The first "sound" starts "soundsoftwareonly": no number there, sound stays on.
      {"soundsoftwareonly sound 0", 1, 0, 1, 0, 0, 0},
      {"sounddevice", 1, 0, 0, 0, 0, 0},
      {"sounddevice 2 soundsetlatency 40", 1, 2, 0, 40, 0, 0},
      {"soundsetlatency", 1, 0, 0, 0, 0, 0},
      {"nonexclusive cbugeye", 1, 0, 0, 0, 1, 1},
      {"xnonexclusivex", 1, 0, 0, 0, 1, 0},
      // The first "sound" starts "sounddevice": sound keeps its default, the device reads 7.
      {"sounddevice 7 sound 0", 1, 7, 0, 0, 0, 0},
      {"sound -1 soundsetlatency -20", 1, 0, 0, -20, 0, 0},
      {"sound\t0", 0, 0, 0, 0, 0, 0},
      // Numbers beyond 32 bits are refused rather than wrapped.
      {"sound 4294967296", 1, 0, 0, 0, 0, 0},
      {"sounddevice 99999999999", 1, 0, 0, 0, 0, 0},
      {"soundsetlatency 2147483647", 1, 0, 0, 2147483647, 0, 0},
  };
  for (const Case& c : cases) {
    VNMAIN_SWITCHES sw;
    vnMAIN_ParseCommandLine(c.line, &sw);
    SCOPED_TRACE(c.line);
    EXPECT_EQ(sw.bSound, c.sound);
    EXPECT_EQ(sw.nSoundDevice, c.device);
    EXPECT_EQ(sw.bSoundSoftwareOnly, c.softwareOnly);
    EXPECT_EQ(sw.nSoundLatency, c.latency);
    EXPECT_EQ(sw.bNonExclusive, c.nonExclusive);
    EXPECT_EQ(sw.bBugEye, c.bugEye);
  }
}

TEST(CommandLine, NoLineOrNoRecordChangesNothing) {
  VNMAIN_SWITCHES sw;
  sw.nSoundDevice = 5;
  vnMAIN_ParseCommandLine(nullptr, &sw);
  EXPECT_EQ(sw.nSoundDevice, 5);
  vnMAIN_ParseCommandLine("sound 0", nullptr);
}
