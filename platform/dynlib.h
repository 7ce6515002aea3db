#pragma once
// Shared libraries by file name. A library the game knows as "NAME.dll" is the shared object
// "libNAME.so" here (PLAT_LibraryFileName).
#include <memory>
#include <string>

struct PLAT_Library;

// Loads a library by path (resolved without regard to case); none with a trace on failure.
// A file that PLAT_IsLoadableLibrary refuses is never handed to the loader.
PLAT_Library* PLAT_LoadLibrary(const char* path);
// Whether a file is a whole shared object for this machine: a regular file whose ELF header,
// program and section header tables and every segment's file range lie within its size. The
// loader maps a cut-short file and dies of SIGBUS on the missing pages, so this is checked
// first. False with a trace naming the file and the fault.
bool PLAT_IsLoadableLibrary(const char* path);
void* PLAT_FindSymbol(PLAT_Library* lib, const char* name);
// A symbol of the program or of the libraries loaded with it; none (no trace) when no such
// library is loaded. Lets a loaded library use a layer only when its host has brought it.
void* PLAT_FindLoadedSymbol(const char* name);
void PLAT_FreeLibrary(PLAT_Library* lib);
// Frees its library when it goes.
struct PLAT_LibraryCloser {
  void operator()(PLAT_Library* lib) const { PLAT_FreeLibrary(lib); }
};
using PLAT_LibraryHandle = std::unique_ptr<PLAT_Library, PLAT_LibraryCloser>;
std::string PLAT_LibraryFileName(const char* baseName);  // "gfxdrv" -> "libgfxdrv.so"
const char* PLAT_LibraryPattern();                        // "lib*.so"
