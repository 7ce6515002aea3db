#pragma once
// Files as the game names them: '\' or '/' separators, any letter case. Every open of a data
// file goes through PLAT_ResolvePath, which finds the real entry case-insensitively.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Resolves a game path against the real tree, component by component, without regard to case.
// Missing trailing components keep the given spelling (so a file about to be created resolves
// its folder). Result: the real path; `exists` tells whether the whole path exists.
std::string PLAT_ResolvePath(const char* path, bool* exists = nullptr);

// fopen with the path resolved first; modes as fopen's.
FILE* PLAT_FOpen(const char* path, const char* mode);

// An open file that closes itself on every way out of the scope that opened it:
// `PLAT_FileHandle f(PLAT_FOpen(path, "rb"));`
struct PLAT_FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using PLAT_FileHandle = std::unique_ptr<FILE, PLAT_FileCloser>;
// Closes now, for writers: false when there was no file or the close failed, which can lose
// the last buffered bytes just as a failed write does.
inline bool PLAT_CloseFile(PLAT_FileHandle& f) {
  FILE* raw = f.release();
  return raw && std::fclose(raw) == 0;
}
bool PLAT_FileExists(const char* path);
bool PLAT_IsDirectory(const char* path);
bool PLAT_MakeDirectory(const char* path);  // true when it exists afterwards
bool PLAT_RemoveFile(const char* path);
// Modification time in seconds and size, false when missing.
bool PLAT_FileStat(const char* path, int64_t* mtime, uint64_t* size);

struct PLAT_FindEntry {
  std::string name;  // leaf name as it is on disk
  bool isDirectory;  // of what it points to, for a link
  uint64_t size;
  bool isLink = false;  // a symbolic link; walks that descend into folders skip linked ones
};
// Entries of a folder whose leaf names match a wildcard pattern ('*' and '?', without regard
// to case; "*.*" matches every name). The pattern's folder part is resolved like any path.
// "." and ".." are never listed. Sorted by name so runs are repeatable.
std::vector<PLAT_FindEntry> PLAT_FindFiles(const char* pattern);
bool PLAT_WildcardMatch(const char* pattern, const char* name);

// Replaces a file's contents all at once: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so a crash leaves the old or the new contents.
bool PLAT_WriteFileAtomic(const char* path, const void* data, size_t size);

std::string PLAT_GetWorkingDir();
bool PLAT_SetWorkingDir(const char* path);
