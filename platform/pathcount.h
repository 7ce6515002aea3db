#pragma once
// How many paths PLAT_ResolvePath (platform/files.h) has resolved in this process: a reader
// that should resolve its file once is tested by it.
#include <cstdint>

uint64_t PLAT_ResolvePathCount();
