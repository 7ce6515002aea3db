#pragma once
// Shared libraries by file name. A library the game knows as "NAME.dll" is the shared object
// "libNAME.so" here (PLAT_LibraryFileName).
#include <string>

struct PLAT_Library;

// Loads a library by path (resolved without regard to case); none with a trace on failure.
PLAT_Library* PLAT_LoadLibrary(const char* path);
void* PLAT_FindSymbol(PLAT_Library* lib, const char* name);
void PLAT_FreeLibrary(PLAT_Library* lib);
std::string PLAT_LibraryFileName(const char* baseName);  // "gfxdrv" -> "libgfxdrv.so"
const char* PLAT_LibraryPattern();                        // "lib*.so"
