// The programs together, headless, in a fresh folder with an empty settings store: the game
// hands over to Setup, a dialog script configures the real driver through its wizard, Play
// starts the game, which binds the driver and runs until it is told to stop.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "driver/device/prefs.h"
#include "engine/driver/choice.h"
#include "platform/registry.h"
#include "recdrv/recdrv.h"
#include "tests/shell/gametree.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

// Written once the game has made its display and precached its textures.
constexpr const char kGameUp[] = "Non-terrain precaching took";

struct Outcome {
  std::string log;
  bool up = false;
  int status = -1;
};

// Starts the game in the folder with the script; once it is up (or has ended) it is asked to
// stop as the window system would, with SIGTERM.
Outcome RunGame(const vntest::TempDir& dir, const std::string& script) {
  const std::string log = dir.file("stderr.txt");
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    setenv("VANTORIA_DIALOG_SCRIPT", script.c_str(), 1);
    // Setup unloads the driver library before it exits, and a leak checker cannot name what an
    // unloaded library allocated, so no suppression can tell the GL stack's from ours. The
    // programs' own code is leak-checked in process by the Setup and game tests.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (!freopen(log.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(126);
    execl("./Vantoria", "Vantoria", static_cast<char*>(nullptr));
    _exit(127);
  }
  Outcome out;
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 600 && !ended; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (vntest::readFile(log).find(kGameUp) != std::string::npos) {
      out.up = true;
      kill(pid, SIGTERM);
      break;
    }
    ended = waitpid(pid, &status, WNOHANG) == pid;
  }
  if (!ended) {
    if (!out.up) kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  out.log = vntest::readFile(log);
  return out;
}

std::string RecordedDriver() {
  PLAT_RegReload();
  PLAT_RegKeyHandle key;
  std::string path = std::string(SPPD_DISPLAY_KEY) + "\\" + VN_DRIVER_GENERAL_KEY;
  std::string text;
  if (PLAT_RegOpenKey(path.c_str(), &key) == PLAT_RegResult::Ok)
    PLAT_RegGetString(key.get(), VN_DRIVER_VALUE, &text);
  return text;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vntest::WriteCompleteSoundDef(dir.path()));
    // The programs find their shared libraries beside their real files; the driver, a copy
    // here, finds the ones it needs beside it, as in an installed folder.
    fs::create_symlink(VN_GAME_PATH, dir.file("Vantoria"));
    fs::create_symlink(VN_SETUP_PATH, dir.file("Setup"));
    fs::copy_file(VN_GFXDRV_PATH, dir.file("libgfxdrv.so"));
    for (const auto& e : fs::directory_iterator(fs::path(VN_SETUP_PATH).parent_path())) {
      const std::string name = e.path().filename().string();
      if (name.rfind("libvn", 0) == 0 && name.size() > 3 && name.substr(name.size() - 3) == ".so")
        fs::create_symlink(e.path(), dir.file(name));
    }
  }
  vntest::ScopedRegistry registry;  // exported to the programs through the environment
  vntest::TempDir dir;
};

TEST_F(EndToEnd, SetupConfiguresTheDriverAndPlayStartsTheGameWithIt) {
  std::string script = dir.write("script.txt",
                                 "102 click 1000   # Setup: Configure\n"
                                 "102 click 1      # the wizard's video card page: Next\n"
                                 "answer ok\n"
                                 "102 click 1001   # Setup: Play\n");
  Outcome run = RunGame(dir, script);
  EXPECT_TRUE(run.up) << run.log;
  EXPECT_EQ(run.status, 0) << run.log;
  EXPECT_NE(run.log.find("VNMAIN: starting Setup"), std::string::npos) << run.log;
  EXPECT_NE(run.log.find("Vantoria Setup: Driver Successfully Configured!"), std::string::npos);
  EXPECT_NE(run.log.find("Shutting down"), std::string::npos) << run.log;
  EXPECT_EQ(RecordedDriver(), RECDRV_GUID_TEXT);  // the real driver's identity
  SPPD_DRIVERSTATE prefs{};
  EXPECT_EQ(SPPD_ReadPreferences(&prefs), 1);
  EXPECT_EQ(prefs.nWidth, 640);
  EXPECT_EQ(prefs.nHeight, 480);
  EXPECT_EQ(prefs.fAutoMipMap, 1);
}

TEST_F(EndToEnd, CancellingTheWizardAndLeavingSetupWritesNothing) {
  std::string script = dir.write("script.txt",
                                 "102 click 1000   # Setup: Configure\n"
                                 "102 click 2      # the wizard: Cancel\n"
                                 "102 click 2      # Setup: Exit\n"
                                 "answer yes       # leave without a driver\n");
  Outcome run = RunGame(dir, script);
  EXPECT_FALSE(run.up) << run.log;
  EXPECT_EQ(run.status, 0) << run.log;
  EXPECT_NE(run.log.find("Are you sure you want to exit"), std::string::npos) << run.log;
  EXPECT_EQ(run.log.find("Successfully"), std::string::npos) << run.log;
  EXPECT_EQ(RecordedDriver(), "");
  SPPD_DRIVERSTATE prefs{};
  EXPECT_EQ(SPPD_ReadPreferences(&prefs), -1);
}

}  // namespace
