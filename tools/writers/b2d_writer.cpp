#include "tools/writers/b2d_writer.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/locale_writer.h"

namespace {

// What the reader takes: a value of at most 1,023 characters.
constexpr size_t kMaxLine = 1023;

bool QuotedName(const std::string& name, const char* what) {
  if (name.empty() || name.find_first_of("\"\r\n") != std::string::npos) {
    PLAT_Trace("vnWRITE_B2D: %s \"%s\" is empty or holds a quote or line break\n", what,
               name.c_str());
    return false;
  }
  return true;
}

// Floats in full precision, so that they read back to the same value.
std::string Float(float f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
  return buf;
}

bool AddLine(std::string* out, const std::string& key, const std::string& value) {
  if (value.size() > kMaxLine) {
    PLAT_Trace("vnWRITE_B2D: %s is longer than %zu characters\n", key.c_str(), kMaxLine);
    return false;
  }
  *out += key + "=" + value + "\r\n";
  return true;
}

bool AddSet(std::string* out, size_t index, const vnB2D_SET& set) {
  if (!QuotedName(set.name, "set")) return false;
  *out += "[F" + std::to_string(index) + "]\r\n";
  if (!AddLine(out, "D",
               "\"" + set.name + "\" " + std::to_string(set.value[0]) + " " +
                   std::to_string(set.value[1])))
    return false;
  for (size_t k = 0; k < set.frames.size(); ++k) {
    const vnB2D_FRAME& f = set.frames[k];
    if (!QuotedName(f.name, "frame")) return false;
    // The two integers after the height are read and not kept.
    const std::string line = "\"" + f.name + "\" " + std::to_string(f.texture) + " " +
                             std::to_string(f.id) + " " + std::to_string(f.offsetX) + " " +
                             std::to_string(f.offsetY) + " " + std::to_string(f.width) + " " +
                             std::to_string(f.height) + " 0 0 " + Float(f.u) + " " +
                             Float(f.v) + " " + Float(f.du) + " " + Float(f.dv);
    if (!AddLine(out, "B" + std::to_string(k), line)) return false;
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

}  // namespace

std::string vnWRITE_B2D(const vnB2D_FILE& file) {
  std::string out;
  for (size_t n = 0; n < file.textures.size(); ++n) {
    const vnB2D_TEXTURE& t = file.textures[n];
    std::string value;
    if (t.file.empty() || !vnWRITE_IniValue(t.file, &value)) {
      PLAT_Trace("vnWRITE_B2D: texture T%zu has no usable file name\n", n);
      return {};
    }
    out += "[T" + std::to_string(n) + "]\r\n";
    if (!AddLine(&out, "F", value)) return {};
    out += "UId=" + std::to_string(t.number) + "\r\n";
  }
  for (size_t n = 0; n < file.sets.size(); ++n)
    if (!AddSet(&out, n, file.sets[n])) return {};
  return out;
}

bool vnWRITE_B2DFile(const std::string& path, const vnB2D_FILE& file) {
  const std::string text = vnWRITE_B2D(file);
  if (text.empty() && !(file.textures.empty() && file.sets.empty())) return false;
  if (!PLAT_WriteFileAtomic(path.c_str(), text.data(), text.size())) {
    PLAT_Trace("vnWRITE_B2DFile: cannot write %s\n", path.c_str());
    return false;
  }
  const std::string folder = FolderOf(path);
  for (const vnB2D_TEXTURE& t : file.textures)
    if (!t.image.pixels.empty() && !vnWRITE_PPMFile(folder + "/" + t.file, t.image)) return false;
  return true;
}
