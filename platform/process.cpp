#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

// The executable's real path (the working directory for a bare name) and argv with argv[0]
// set to the program's name; false when the program is not there.
bool PrepareCommand(const char* path, const char* const* args, int argCount, std::string* real,
                    std::vector<std::string>* argvText) {
  if (!path || !*path || argCount < 0 || (argCount > 0 && !args)) {
    PLAT_Trace("PLAT_Program: bad program or arguments\n");
    return false;
  }
  std::string program = PLAT_ProgramFileName(path);
  bool exists = false;
  *real = PLAT_ResolvePath(program.c_str(), &exists);
  if (real->find('/') == std::string::npos) *real = "./" + *real;
  if (!exists || ::access(real->c_str(), X_OK) != 0) {
    PLAT_Trace("PLAT_Program: %s is not an executable program\n", real->c_str());
    return false;
  }
  size_t slash = program.find_last_of("/\\");
  argvText->push_back(slash == std::string::npos ? program : program.substr(slash + 1));
  for (int i = 0; i < argCount; ++i) argvText->push_back(args[i] ? args[i] : "");
  return true;
}

std::vector<char*> ArgvPointers(std::vector<std::string>& text) {
  std::vector<char*> argv;
  for (std::string& s : text) argv.push_back(s.data());
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

bool PLAT_ExecProgram(const char* path, const char* const* args, int argCount) {
  std::string real;
  std::vector<std::string> text;
  if (!PrepareCommand(path, args, argCount, &real, &text)) return false;
  std::vector<char*> argv = ArgvPointers(text);
  std::fflush(nullptr);  // buffered output would be lost with the old image
  ::execv(real.c_str(), argv.data());
  PLAT_Trace("PLAT_ExecProgram: cannot run %s: %s\n", real.c_str(), std::strerror(errno));
  return false;
}

bool PLAT_StartProgram(const char* path, const char* const* args, int argCount) {
  std::string real;
  std::vector<std::string> text;
  if (!PrepareCommand(path, args, argCount, &real, &text)) return false;
  std::vector<char*> argv = ArgvPointers(text);
  pid_t pid = 0;
  int err = ::posix_spawn(&pid, real.c_str(), nullptr, nullptr, argv.data(), environ);
  if (err != 0) {
    PLAT_Trace("PLAT_StartProgram: cannot start %s: %s\n", real.c_str(), std::strerror(err));
    return false;
  }
  // Reap the child when it ends so that it does not linger as a zombie.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

std::string PLAT_ProgramFileName(const char* baseName) {
  std::string name = baseName ? baseName : "";
  if (PLAT_EndsWithNoCase(name, ".exe")) name.resize(name.size() - 4);
  return name;
}
