// Reading B2D files: texture sections, set sections and their frame keys.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/b2d/b2d.h"
#include "engine/display/display.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Image names are relative to the B2D file's folder. The driver is handed full paths, so the
// working directory never has to change while a file is read. The path is resolved here once
// for every key the reader asks for.
std::string FullPath(const char* fileName) {
  if (IsSeparator(fileName[0])) return PLAT_ResolvePath(fileName);
  return PLAT_ResolvePath((PLAT_GetWorkingDir() + "/" + fileName).c_str());
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

// A key's value into a SPW_B2D_LINE_SIZE buffer; false when missing or empty.
bool ReadKey(const char* section, const char* key, char* buf, const std::string& file) {
  return PLAT_IniGetString(section, key, "", buf, SPW_B2D_LINE_SIZE, file.c_str()) > 0;
}

// The values of a "D" or "B" line, read as the scan formats "%[^"]" %d ... %f ... do: a
// quoted name, then numbers separated by blanks. Out-of-range and non-finite numbers count as
// missing, so a damaged line ends its list instead of giving a wrong value.
class LineScanner {
 public:
  explicit LineScanner(const char* text) : p_(text) {}

  bool Name(char* out, size_t size) {
    if (*p_ != '"') return false;
    const char* end = std::strchr(p_ + 1, '"');
    if (!end || end == p_ + 1) return false;
    size_t n = static_cast<size_t>(end - p_ - 1);
    if (n >= size) n = size - 1;
    std::memcpy(out, p_ + 1, n);
    out[n] = '\0';
    p_ = end + 1;
    return true;
  }

  bool Int(int32_t* out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p_, &end, 10);
    if (end == p_ || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    p_ = end;
    return true;
  }

  bool Float(float* out) {
    char* end = nullptr;
    float v = std::strtof(p_, &end);
    if (end == p_ || !std::isfinite(v)) return false;
    *out = v;
    p_ = end;
    return true;
  }

 private:
  const char* p_;
};

struct SetHeader {
  char szName[SPW_B2D_LINE_SIZE];
  int32_t anValue[2];
};

bool ReadSetHeader(const std::string& file, int32_t n, SetHeader* out) {
  char section[16], buf[SPW_B2D_LINE_SIZE];
  std::snprintf(section, sizeof section, "F%d", n);
  if (!ReadKey(section, "D", buf, file)) return false;
  LineScanner scan(buf);
  if (scan.Name(out->szName, sizeof out->szName) && scan.Int(&out->anValue[0]) &&
      scan.Int(&out->anValue[1]))
    return true;
  PLAT_Trace("SPW_B2D: %s: [%s] D is malformed; no further sets read\n", file.c_str(), section);
  return false;
}

SPW_B2DSET* MakeSet(const SetHeader& header, SPW_B2DFILE* owner) {
  auto* set = static_cast<SPW_B2DSET*>(SGE_MemCalloc(SPW_SpritesMem, sizeof(SPW_B2DSET)));
  if (!set) {
    PLAT_Trace("SPW_B2D: no room in SPW_SpritesMem for set \"%.63s\"\n", header.szName);
    return nullptr;
  }
  SGE_ListInit(&set->link);
  SGE_ListInit(&set->frames);
  set->pFile = owner;
  // Longer names are cut to the field.
  std::snprintf(set->szName, sizeof set->szName, "%.*s", SPW_B2D_NAME_SIZE - 1, header.szName);
  set->anValue[0] = header.anValue[0];
  set->anValue[1] = header.anValue[1];
  set->dwColour = SPW_B2D_SET_COLOUR;
  return set;
}

// Frame key k of the section into a new frame at the head of the set; false ends the list.
bool ReadFrame(const std::string& file, const char* section, int32_t k, SPW_B2DSET* set,
               int32_t keepNames) {
  char key[16], buf[SPW_B2D_LINE_SIZE], name[SPW_B2D_LINE_SIZE];
  std::snprintf(key, sizeof key, "B%d", k);
  if (!ReadKey(section, key, buf, file)) return false;
  SPW_B2DFRAME f{};
  int32_t unused[2];
  LineScanner scan(buf);
  bool ok = scan.Name(name, sizeof name) && scan.Int(&f.nTexture) && scan.Int(&f.nId) &&
            scan.Int(&f.nOffsetX) && scan.Int(&f.nOffsetY) && scan.Int(&f.nWidth) &&
            scan.Int(&f.nHeight) && scan.Int(&unused[0]) && scan.Int(&unused[1]) &&
            scan.Float(&f.u) && scan.Float(&f.v) && scan.Float(&f.du) && scan.Float(&f.dv);
  if (!ok) {
    PLAT_Trace("SPW_B2D: %s: [%s] %s is malformed; the set's frames end there\n", file.c_str(),
               section, key);
    return false;
  }
  if (set->pFile)
    if (const SPW_B2DTEXTURE* t = SPW_B2D_FindTexture(set->pFile, f.nTexture))
      f.nTextureId = t->nTextureId;
  size_t nameBytes = keepNames == 1 ? std::strlen(name) + 1 : 0;
  auto* frame = static_cast<SPW_B2DFRAME*>(
      SGE_MemAlloc(SPW_SpritesMem, static_cast<uint32_t>(sizeof(SPW_B2DFRAME) + nameBytes)));
  if (!frame) {
    // Memory short: this frame is skipped, the next ones may still fit.
    PLAT_Trace("SPW_B2D: no room in SPW_SpritesMem for frame %s of \"%s\"\n", key, set->szName);
    return true;
  }
  *frame = f;
  if (nameBytes) {
    char* text = reinterpret_cast<char*>(frame + 1);
    std::memcpy(text, name, nameBytes);
    frame->pszName = text;
  }
  SGE_ListAddHead(&set->frames, &frame->link);
  return true;
}

void ReadFrames(const std::string& file, int32_t n, SPW_B2DSET* set, int32_t keepNames) {
  char section[16];
  std::snprintf(section, sizeof section, "F%d", n);
  for (int32_t k = 0; ReadFrame(file, section, k, set, keepNames); ++k) {
  }
}

void ReadTextures(SPW_B2DFILE* file, const std::string& path, SPPD_DRIVERTABLE* drv) {
  const std::string folder = FolderOf(path);
  char section[16], name[SPW_B2D_LINE_SIZE];
  for (int32_t n = 0;; ++n) {
    std::snprintf(section, sizeof section, "T%d", n);
    if (!ReadKey(section, "F", name, path)) return;
    auto* t = static_cast<SPW_B2DTEXTURE*>(SGE_MemCalloc(SPW_SpritesMem, sizeof(SPW_B2DTEXTURE)));
    if (!t) {
      PLAT_Trace("SPW_B2D: no room in SPW_SpritesMem for texture [%s] of %s\n", section,
                 path.c_str());
      return;
    }
    t->nNumber = PLAT_IniGetInt(section, "UId", -1, path.c_str());
    SGE_ListAddTail(&file->textures, &t->link);
    if (t->nNumber >= 0 && drv && drv->SPPD_TextureGetID) {
      const std::string image = folder + "/" + name;
      drv->SPPD_TextureGetID(file->pDisplay, image.c_str(), &t->nTextureId, 1);
    }
  }
}

void ReadSets(SPW_B2DFILE* file, const std::string& path, int32_t keepNames) {
  SetHeader header;
  for (int32_t n = 0; ReadSetHeader(path, n, &header); ++n) {
    SPW_B2DSET* set = MakeSet(header, file);
    if (!set) return;
    SGE_ListAddTail(&file->sets, &set->link);
    ReadFrames(path, n, set, keepNames);
  }
}

}  // namespace

SPW_B2DFILE* SPW_B2D_Load(const char* fileName, SPW_DISPLAY* display) {
  return SPW_B2D_Parse(fileName, display, 0);
}

SPW_B2DFILE* SPW_B2D_Parse(const char* fileName, SPW_DISPLAY* display, int32_t keepNames) {
  if (!fileName || !fileName[0]) {
    PLAT_Trace("SPW_B2D_Parse: no file name\n");
    return nullptr;
  }
  SPPD_DRIVERTABLE* drv = display ? SPW_GetDisplayDriver(display) : nullptr;
  // Ids are wanted now, the images can load at their first draw.
  int32_t preload = 0;
  if (drv && drv->SPPD_EnableTexturePreLoad) preload = drv->SPPD_EnableTexturePreLoad(0);
  const std::string path = FullPath(fileName);
  auto* file = static_cast<SPW_B2DFILE*>(SGE_MemCalloc(SPW_SpritesMem, sizeof(SPW_B2DFILE)));
  if (!file) {
    PLAT_Trace("SPW_B2D_Parse: no room in SPW_SpritesMem for %s\n", fileName);
  } else {
    file->pDisplay = display;
    SGE_ListInit(&file->sets);
    SGE_ListInit(&file->textures);
    if (!PLAT_FileExists(path.c_str())) {
      PLAT_Trace("SPW_B2D_Parse: no file %s; no sets read\n", path.c_str());
    } else {
      PLAT_IniHold hold(path.c_str());  // one parse for every key of the file
      ReadTextures(file, path, drv);
      ReadSets(file, path, keepNames);
    }
  }
  if (drv && drv->SPPD_EnableTexturePreLoad) drv->SPPD_EnableTexturePreLoad(preload);
  return file;
}

SPW_B2DSET* SPW_B2D_LoadSet(const char* fileName, const char* setName, int32_t keepNames) {
  if (!fileName || !setName) return nullptr;
  const std::string path = FullPath(fileName);
  PLAT_IniHold hold(path.c_str());
  SetHeader header;
  for (int32_t n = 0; ReadSetHeader(path, n, &header); ++n) {
    if (!PLAT_EqualNoCase(header.szName, setName)) continue;
    SPW_B2DSET* set = MakeSet(header, nullptr);
    if (set) ReadFrames(path, n, set, keepNames);
    return set;
  }
  PLAT_Trace("SPW_B2D_LoadSet: no set \"%s\" in %s\n", setName, path.c_str());
  return nullptr;
}
