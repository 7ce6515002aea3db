// Game start and shutdown end to end with the recording driver, and the hand-over to Setup
// when no usable driver is there (the game runs as a child process for those).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/driver/choice.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/program.h"
#include "platform/dynlib.h"
#include "platform/registry.h"
#include "shell/app.h"
#include "shell/discover.h"
#include "shell/frame.h"
#include "shell/roottask.h"
#include "recdrv/recdrv.h"
#include "shell/state.h"
#include "tests/shell/gametree.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

void RecordDriverChoice(const char* guidText) {
  std::string path = std::string(SPPD_DISPLAY_KEY) + "\\" + VN_DRIVER_GENERAL_KEY;
  PLAT_RegKeyHandle key;
  ASSERT_EQ(PLAT_RegCreateKey(path.c_str(), &key), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegSetString(key.get(), VN_DRIVER_VALUE, guidText), PLAT_RegResult::Ok);
}

void InstallDriver(const vntest::TempDir& dir, const char* variant) {
  fs::copy_file(std::string(RECDRV_DIR) + "/lib" + variant + ".so", dir.file("libgfxdrv.so"),
                fs::copy_options::overwrite_existing);
}

// The names of the recorded calls, in order.
std::vector<std::string> CallNames(const char* log) {
  std::vector<std::string> names;
  std::string text = log ? log : "";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    names.push_back(line.substr(0, line.find('(')));
    pos = end + 1;
  }
  return names;
}

long IndexOf(const std::vector<std::string>& names, const std::string& name, size_t from = 0) {
  for (size_t i = from; i < names.size(); ++i)
    if (names[i] == name) return static_cast<long>(i);
  return -1;
}

class GameRun : public ::testing::Test {
 protected:
  void Start(const char* registryGuid) {
    ASSERT_TRUE(vntest::WriteCompleteSoundDef(dir.path()));
    InstallDriver(dir, "recdrv");
    RecordDriverChoice(registryGuid);
    // Held by the test too, so that the log outlives the game's unload.
    lib = PLAT_LoadLibrary(dir.file("libgfxdrv.so").c_str());
    ASSERT_NE(lib, nullptr);
    getLog = reinterpret_cast<RecDrv_GetLogFn>(PLAT_FindSymbol(lib, "RecDrv_GetLog"));
    auto reset = reinterpret_cast<RecDrv_ResetFn>(PLAT_FindSymbol(lib, "RecDrv_Reset"));
    ASSERT_TRUE(getLog && reset);
    reset();
    ASSERT_EQ(SPW_InitEngine(), 1);
    ASSERT_EQ(vnMAIN_InitGame(), 1);
  }
  void TearDown() override {
    if (lib) PLAT_FreeLibrary(lib);
  }

  vntest::ScopedRegistry registry;
  vntest::TempDir dir;
  vntest::ScopedWorkingDir wd{dir.path()};
  PLAT_Library* lib = nullptr;
  RecDrv_GetLogFn getLog = nullptr;
};

TEST_F(GameRun, RunsFramesWithTheRootTaskAndShutsDownInOrder) {
  Start(RECDRV_GUID_TEXT);
  ASSERT_NE(vnROOT_GetTask(), nullptr);
  ASSERT_NE(vnMAIN_GetDisplay(), nullptr);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(vnMAIN_Frame(), 0);
  ASSERT_NE(vnROOT_GetTask(), nullptr);

  // The quit request goes through the root task's own destruction.
  SGE_Send(vnROOT_GetTask(), SGM_ROOT_QUIT, 0, 0);
  EXPECT_EQ(SGE_QuitRequested(), 0);  // only posted so far
  int frames = 0;
  while (!vnMAIN_Frame() && ++frames < 5) {
  }
  EXPECT_EQ(SGE_QuitRequested(), 1);
  EXPECT_EQ(vnROOT_GetTask(), nullptr);
  vnMAIN_DeinitGame();
  EXPECT_EQ(vnMAIN_GetDisplay(), nullptr);
  EXPECT_EQ(SGE_GetWindow(), nullptr);
  SPW_ShutdownEngine();

  std::vector<std::string> calls = CallNames(getLog());
  long create = IndexOf(calls, "SPPD_Create");
  long modify = IndexOf(calls, "SPPD_Modify");
  long begin = IndexOf(calls, "SPPD_BeginScene");
  long clear = IndexOf(calls, "SPPD_ClearScreen");
  long destroy = IndexOf(calls, "SPPD_Destroy");
  ASSERT_GE(create, 0);
  EXPECT_GT(modify, create);
  EXPECT_GT(begin, modify);
  EXPECT_GT(clear, begin);
  ASSERT_GT(destroy, clear);
  EXPECT_EQ(destroy, static_cast<long>(calls.size()) - 1) << "nothing is drawn after the device goes";
  EXPECT_NE(std::string(getLog()).find("0x83"), std::string::npos) << "front-end mode mask 131";
}

TEST_F(GameRun, RegistryGuidIsReplacedByTheDriverFilesOwn) {
  Start(RECDRV_OTHER_GUID_TEXT);
  EXPECT_NE(vnMAIN_GetDisplay(), nullptr);
  vnMAIN_DeinitGame();
  SPW_ShutdownEngine();
}

// Runs the game in the folder as a child process (with extra environment settings, if any);
// its standard error and exit code.
struct ChildRun {
  int code;
  std::string err;
};
ChildRun RunGame(const vntest::TempDir& dir, const std::string& env = "") {
  if (!std::filesystem::exists(dir.file("sound/sounddef.txt"))) {
    EXPECT_TRUE(vntest::WriteCompleteSoundDef(dir.path()));
  }
  std::string errFile = dir.file("stderr.txt");
  std::string cmd =
      "cd '" + dir.path() + "' && " + env + " '" + VN_GAME_PATH + "' 2>'" + errFile + "'";
  int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, vntest::readFile(errFile)};
}

void WriteSetupStandIn(const vntest::TempDir& dir) {
  std::string path = dir.write("Setup", "#!/bin/sh\necho \"$0\" > setup-ran.txt\n");
  fs::permissions(path, fs::perms::owner_all);
}

TEST(GameHandOver, UnusableDriverStartsSetupInstead) {
  struct Case {
    const char* name;
    const char* variant;  // driver library in the folder, or none
    bool recordChoice;
    const char* message;  // on standard error, or none for a silent hand-over
  } cases[] = {
      {"no driver chosen", "recdrv", false, nullptr},
      {"no driver file", nullptr, true, "GFXDRV Driver not found"},
      {"no terrain entries", "recdrv_noterrain", true, "Fatal Setup Error"},
      {"missing table name", "recdrv_noslot", true, "GFXDRV Driver not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vntest::ScopedRegistry registry;
    vntest::TempDir dir;
    if (c.variant) InstallDriver(dir, c.variant);
    if (c.recordChoice) RecordDriverChoice(RECDRV_GUID_TEXT);
    WriteSetupStandIn(dir);
    ChildRun run = RunGame(dir);
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(fs::exists(dir.file("setup-ran.txt"))) << run.err;
    if (c.message) {
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(run.err.find("Reinstall Required"), std::string::npos);
  }
}

TEST(GameHandOver, WithoutSetupTheReinstallBoxIsShown) {
  vntest::ScopedRegistry registry;
  vntest::TempDir dir;
  ChildRun run = RunGame(dir);
  EXPECT_EQ(run.code, VN_EXIT_START_FAILED);
  EXPECT_NE(run.err.find("Reinstall Required"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Please uninstall and then reinstall Vantoria"), std::string::npos);
}

// A quit ends with 0 (the real driver's run shows it); a start that fails must not look like one.
TEST(GameExitStatus, AFailedEngineStartExitsWithTheFailureStatusAndStartsNothing) {
  vntest::ScopedRegistry registry;
  vntest::TempDir dir;
  InstallDriver(dir, "recdrv");
  RecordDriverChoice(RECDRV_GUID_TEXT);
  WriteSetupStandIn(dir);
  ChildRun run = RunGame(dir, "SDL_VIDEODRIVER=none-such");
  EXPECT_EQ(run.code, VN_EXIT_START_FAILED) << run.err;
  EXPECT_NE(run.err.find("SPW_InitEngine: input start failed"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir.file("setup-ran.txt")));
}

// The sound trial comes before the driver: without the effects' settings the start fails, and
// no driver problem can send the player to Setup instead.
TEST(GameExitStatus, AFailedSoundTrialExitsWithTheFailureStatusBeforeTheDriver) {
  vntest::ScopedRegistry registry;
  vntest::TempDir dir;
  WriteSetupStandIn(dir);
  dir.write("sound/sounddef.txt", "[Sounds]\n");
  ChildRun run = RunGame(dir);
  EXPECT_EQ(run.code, VN_EXIT_START_FAILED) << run.err;
  EXPECT_FALSE(fs::exists(dir.file("setup-ran.txt"))) << run.err;
  EXPECT_EQ(run.err.find("GFXDRV Driver not found"), std::string::npos) << run.err;
}

}  // namespace
