#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/clock.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

// Waits up to five seconds for a file that another process writes.
std::string WaitForFile(const std::string& path, const std::string& expected) {
  std::string text;
  for (int i = 0; i < 500; ++i) {
    text = vntest::readFile(path);
    if (text == expected) break;
    PLAT_SleepMs(10);
  }
  return text;
}

}  // namespace

TEST(Process, StartRunsTheProgramBesideThisOne) {
  vntest::TempDir dir;
  std::string out = dir.file("out.txt");
  std::string script = "echo started > '" + out + "'";
  const char* args[] = {"-c", script.c_str()};
  ASSERT_TRUE(PLAT_StartProgram("/bin/sh", args, 2));
  EXPECT_EQ(WaitForFile(out, "started\n"), "started\n");
}

TEST(Process, GameNamesResolveInTheWorkingDirectory) {
  vntest::TempDir dir;
  std::string script = dir.write("Setup", "#!/bin/sh\necho \"$1\" > args.txt\n");
  chmod(script.c_str(), 0755);
  vntest::ScopedWorkingDir cwd(dir.path());
  const char* args[] = {"first"};
  ASSERT_TRUE(PLAT_StartProgram("setup.EXE", args, 1));
  EXPECT_EQ(WaitForFile(dir.file("args.txt"), "first\n"), "first\n");
}

TEST(Process, ExecReplacesTheProcess) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const char* args[] = {"-c", "exit 7"};
    PLAT_ExecProgram("/bin/sh", args, 2);
    _exit(99);  // reached only when exec failed
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

TEST(Process, MissingOrUnrunnableProgramsFail) {
  vntest::TempDir dir;
  std::string plain = dir.write("NotExecutable", "#!/bin/sh\n");
  chmod(plain.c_str(), 0644);
  vntest::TraceCapture trace;
  EXPECT_FALSE(PLAT_ExecProgram(dir.file("Setup.exe").c_str(), nullptr, 0));
  EXPECT_FALSE(PLAT_StartProgram(dir.file("Setup.exe").c_str(), nullptr, 0));
  EXPECT_FALSE(PLAT_StartProgram(plain.c_str(), nullptr, 0));
  EXPECT_FALSE(PLAT_ExecProgram(nullptr, nullptr, 0));
  EXPECT_EQ(trace.lines().size(), 4u);
}

TEST(Process, ProgramNamesDropTheWindowsExtension) {
  EXPECT_EQ(PLAT_ProgramFileName("Setup.exe"), "Setup");
  EXPECT_EQ(PLAT_ProgramFileName("Setup.EXE"), "Setup");
  EXPECT_EQ(PLAT_ProgramFileName("Setup"), "Setup");
  EXPECT_EQ(PLAT_ProgramFileName("tools/Vantoria.exe"), "tools/Vantoria");
}
