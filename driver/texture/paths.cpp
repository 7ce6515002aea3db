// Texture paths: full-path keys for names, the source and cache paths of a name, the L4 base.
// Keys are lower case and '\' separated; the files are opened through the case-insensitive
// lookup, which takes either separator.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/texture/paths.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Components of a path with "." dropped and ".." taken back lexically.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (IsSeparator(c)) flush();
    else part += PLAT_LowerAscii(c);
  }
  flush();
  return parts;
}

std::string Join(const std::vector<std::string>& parts, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) out += "\\" + parts[i];
  return out;
}

bool Store(char* out, int size, const std::string& s) {
  if (s.size() + 1 > static_cast<size_t>(size)) return false;
  std::memcpy(out, s.c_str(), s.size() + 1);
  return true;
}

}  // namespace

bool SPPD_TextureFullPath(const char* name, char* out, int size) {
  if (!name || !*name || !out || size <= 0) return false;
  std::string path = IsSeparator(name[0]) ? std::string(name) : PLAT_GetWorkingDir() + "/" + name;
  std::vector<std::string> parts = Components(path);
  if (parts.empty() || IsSeparator(path.back())) return false;  // no file name
  return Store(out, size, Join(parts, 0, parts.size()));
}

void SPPD_TextureNormaliseFolder(const char* path, char* out, int size) {
  if (!out || size <= 0) return;
  out[0] = '\0';
  if (!path) return;
  std::string s;
  size_t keep = 0;
  for (const char* p = path; *p; ++p) {
    char c = *p == '/' ? '\\' : PLAT_LowerAscii(*p);
    s += c;
    // A last component without a trailing separator is a file name.
    if (c == '\\' || c == ':') keep = s.size();
  }
  s.resize(keep);
  if (!s.empty() && s.back() != '\\') s += '\\';
  if (!Store(out, size, s)) PLAT_Trace("GFXDRV: texture folder too long: %.200s\n", path);
}

std::string SPPD_TextureCurrentFolder() {
  std::vector<std::string> parts = Components(PLAT_GetWorkingDir());
  return Join(parts, 0, parts.size());
}

std::string SPPD_TextureRelativePath(const std::string& from, const std::string& to) {
  std::vector<std::string> a = Components(from), b = Components(to);
  size_t k = 0;
  while (k < a.size() && k + 1 < b.size() && a[k] == b[k]) ++k;
  std::string rel = ".";
  for (size_t i = k; i < a.size(); ++i) rel += i == k ? "." : "\\..";
  return rel + Join(b, k, b.size());
}

void SPPD_TextureSetL4Path(SPPD_TEXTUREPATHS* paths, const char* path) {
  if (!paths) return;
  SPPD_TextureNormaliseFolder(path, paths->szL4Path, sizeof paths->szL4Path);
}

const char* SPPD_TextureSourcePath(SPPD_TEXTUREPATHS* paths, const SPPD_TEXTURENAME* name) {
  if (!paths || !name) return nullptr;
  std::string full = name->pFolder ? std::string(name->pFolder->szPath) + name->szLeaf
                                   : std::string(name->szLeaf);
  if (name->pFolder && paths->szL4Path[0]) {
    std::string l4 = paths->szL4Path + SPPD_TextureRelativePath(paths->szCurrent, full);
    std::vector<std::string> parts = Components(l4);
    full = Join(parts, 0, parts.size());
    if (!IsSeparator(l4[0]) && !full.empty()) full.erase(0, 1);  // a relative base stays relative
  }
  if (!Store(paths->szResult, sizeof paths->szResult, full)) {
    PLAT_Trace("GFXDRV: texture source path too long: %.200s\n", full.c_str());
    paths->szResult[0] = '\0';
  }
  return paths->szResult;
}

const char* SPPD_TextureCachePath(SPPD_TEXTUREPATHS* paths, const SPPD_TEXTURENAME* name) {
  if (!paths || !name) return nullptr;
  std::string leaf = name->szLeaf;
  size_t dot = leaf.rfind('.');
  if (dot != std::string::npos) leaf.resize(dot);
  std::string folder = name->pFolder ? name->pFolder->szPath : "";
  std::string cache = folder + "tcache\\" + leaf + ".txf";
  if (!Store(paths->szResult, sizeof paths->szResult, cache)) {
    PLAT_Trace("GFXDRV: texture cache path too long: %.200s\n", cache.c_str());
    paths->szResult[0] = '\0';
  }
  return paths->szResult;
}
