#pragma once
// One content file written whole, for the writers of every format.
#include <cstddef>
#include <string>

// Creates or replaces `path` with `size` bytes. False, after one trace that starts with `who`,
// when the file cannot be created or not every byte reaches it (a failed close included).
bool vnWRITE_WholeFile(const char* who, const std::string& path, const void* data, size_t size);
