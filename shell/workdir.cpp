// The working directory, paths made against it, and one saved directory for temporary changes.
#include "shell/workdir.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/trace.h"

namespace {

std::string g_savedDir;
bool g_hasSavedDir = false;
char g_pathBuffer[VN_MAX_PATH];

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The absolute form of a path taken from base: separators become '/', "." and ".." are
// resolved by name and never climb above the root.
std::string Absolute(const std::string& path, const std::string& base) {
  std::string whole = (!path.empty() && IsSeparator(path[0])) ? path : base + "/" + path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= whole.size()) {
    size_t end = start;
    while (end < whole.size() && !IsSeparator(whole[end])) ++end;
    std::string part = whole.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

// The folder part of a path: the last component stays only when it names a folder, that is
// when it has a name and no extension ("." and ".." are folders too).
std::string FolderOf(const char* path) {
  std::string text(path);
  size_t cut = text.size();
  while (cut > 0 && !IsSeparator(text[cut - 1])) --cut;
  std::string leaf = text.substr(cut);
  if (leaf == "." || leaf == "..") return text;
  size_t dot = leaf.rfind('.');
  bool hasName = !leaf.empty() && dot != 0;
  bool hasExtension = dot != std::string::npos;
  return (hasName && !hasExtension) ? text : text.substr(0, cut);
}

// A folder that the shell sets must fit its path buffer; going back to a folder the process
// was already in must not be refused for its length.
bool Enter(const std::string& dir, bool checkLength) {
  bool tooLong = checkLength && dir.size() >= static_cast<size_t>(VN_MAX_PATH);
  if (tooLong || !PLAT_SetWorkingDir(dir.c_str())) {
    PLAT_Trace("Unable to set working directory! [%s]\n", dir.c_str());
    return false;
  }
  return true;
}

}  // namespace

int32_t SGE_SetWorkingDir(const char* path) {
  if (!path) {
    PLAT_Trace("SGE_SetWorkingDir: no path\n");
    return 0;
  }
  return Enter(Absolute(FolderOf(path), PLAT_GetWorkingDir()), true) ? 1 : 0;
}

char* SGE_MakePath(char* dest, const char* tempDir, const char* fileName) {
  char* out = dest ? dest : g_pathBuffer;
  if (!fileName) {
    PLAT_Trace("SGE_MakePath: no file name\n");
    return nullptr;
  }
  std::string base = PLAT_GetWorkingDir();
  if (tempDir) {
    // A local copy, so that a path made inside a Push/Pop pair keeps the pair's saved folder.
    std::string previous = base;
    if (!SGE_SetWorkingDir(tempDir)) {
      PLAT_Trace("SGE_MakePath: no temporary directory [%s] for %s\n", tempDir, fileName);
      return nullptr;
    }
    base = PLAT_GetWorkingDir();
    Enter(previous, false);
  }
  std::string full = Absolute(fileName, base);
  if (full.size() >= static_cast<size_t>(VN_MAX_PATH)) {
    PLAT_Trace("SGE_MakePath: path of %zu characters is too long [%s]\n", full.size(), fileName);
    return nullptr;
  }
  std::memcpy(out, full.c_str(), full.size() + 1);
  return out;
}

void SGE_PushWorkingDir() {
  if (g_hasSavedDir) PLAT_Trace("SGE_PushWorkingDir: replacing the saved [%s]\n", g_savedDir.c_str());
  g_savedDir = PLAT_GetWorkingDir();
  g_hasSavedDir = true;
}

void SGE_PopWorkingDir() {
  if (!g_hasSavedDir) {
    PLAT_Trace("SGE_PopWorkingDir: no saved working directory\n");
    return;
  }
  g_hasSavedDir = false;
  Enter(g_savedDir, false);
}
