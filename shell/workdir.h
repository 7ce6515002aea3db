#pragma once
// The game's working directory (the process's current directory) and paths made against it.
// Paths may use '\' or '/'; folders are found without regard to case.
#include <cstdint>

// Paths the shell keeps or makes are at most this long, the end included.
constexpr int32_t VN_MAX_PATH = 260;

// Enters the folder of the path: its last component counts as a folder only when it has a
// name and no extension ("data\maps" enters data\maps, "data\map.txt" enters data). A relative
// path is taken from the current working directory. 1 when entered, else 0 after a trace.
int32_t SGE_SetWorkingDir(const char* path);

// The absolute path of the file name, taken from the temporary directory when one is given
// (entered as SGE_SetWorkingDir does, and left again), else from the working directory. The
// result goes to dest (VN_MAX_PATH characters), or to a static buffer when dest is none;
// none when the result would not fit or the temporary directory cannot be entered.
char* SGE_MakePath(char* dest, const char* tempDir, const char* fileName);

// One saved working directory, for a temporary change: Push saves the current one, Pop
// goes back to it (nothing when none is saved).
void SGE_PushWorkingDir();
void SGE_PopWorkingDir();
