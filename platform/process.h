#pragma once
#include <string>

// Programs. A program the game knows as "NAME.exe" is the executable "NAME" here.

// Replaces the current process with the program (argv[0] = the program's name); returns false
// only when that cannot be done.
bool PLAT_ExecProgram(const char* path, const char* const* args, int argCount);
// Starts the program beside this one and returns at once; false when it cannot be started.
bool PLAT_StartProgram(const char* path, const char* const* args, int argCount);
std::string PLAT_ProgramFileName(const char* baseName);  // "Setup.exe" or "Setup" -> "Setup"
