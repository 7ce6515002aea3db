// The game with the real driver library, headless: it starts with the recorded choice, runs
// frames until it is told to stop, and shuts down cleanly.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/shell/gametree.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

int RunShell(const std::string& cmd) {
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RealDriverRun, StartsRunsFramesAndQuitsCleanlyOnTerminate) {
  vntest::ScopedRegistry registry;  // exported to the children through the environment
  vntest::TempDir dir;
  ASSERT_TRUE(vntest::WriteCompleteSoundDef(dir.path()));
  fs::copy_file(VN_GFXDRV_PATH, dir.file("libgfxdrv.so"));
  std::string setupMarker = dir.write("Setup", "#!/bin/sh\ntouch setup-ran.txt\n");
  fs::permissions(setupMarker, fs::perms::owner_all);
  // demosetup runs the driver's wizard, whose GL stack keeps allocations no leak checker can name.
  ASSERT_EQ(RunShell("cd '" + dir.path() + "' && ASAN_OPTIONS=detect_leaks=0 '" +
                     VN_DEMOSETUP_PATH + "' > /dev/null"),
            0);

  // SIGTERM arrives as the window system's quit request; the game must end with code 0.
  std::string err = dir.file("stderr.txt");
  int code = RunShell("cd '" + dir.path() + "' && timeout --preserve-status -s TERM 3 '" +
                 VN_GAME_PATH + "' 2>'" + err + "'");
  std::string log = vntest::readFile(err);
  EXPECT_EQ(code, 0) << log;
  EXPECT_FALSE(fs::exists(dir.file("setup-ran.txt"))) << log;
  EXPECT_NE(log.find("Direct3D-DX7"), std::string::npos) << log;
  EXPECT_NE(log.find("Shutting down"), std::string::npos) << log;
  EXPECT_EQ(log.find("SPPD_Create failed"), std::string::npos) << log;
}

}  // namespace
