// BIFF containers for the object, animation and terrain files.
#include "tools/writers/biff_writer.h"

#include <algorithm>

#include "platform/bytes.h"
#include "tools/writers/file_writer.h"

namespace {

constexpr size_t kHeaderSize = 304;
constexpr size_t kBlockHeaderSize = 32;
constexpr size_t kChunkHeaderSize = 24;

void AppendTag(std::vector<uint8_t>& out, const std::string& tag) {
  for (size_t i = 0; i < 4; ++i) out.push_back(i < tag.size() ? static_cast<uint8_t>(tag[i]) : 0);
}

void PutLE32(std::vector<uint8_t>& out, size_t at, uint32_t v) { PLAT_StoreLE32(out.data() + at, v); }

}  // namespace

void vnBIFF_AppendFloat(std::vector<uint8_t>& out, float v) { PLAT_AppendLE32(out, PLAT_FloatBits(v)); }

void vnBIFF_AppendName(std::vector<uint8_t>& out, const std::string& name, size_t size) {
  vnBIFF_AppendField(out, name.substr(0, size - 1), size);
}

void vnBIFF_AppendField(std::vector<uint8_t>& out, const std::string& name, size_t size) {
  size_t n = std::min(name.size(), size);
  out.insert(out.end(), name.begin(), name.begin() + static_cast<long>(n));
  out.insert(out.end(), size - n, 0);
}

std::vector<uint8_t> vnWRITE_BIFFBytes(const vnBIFF_FILE& file) {
  std::vector<uint8_t> out(kHeaderSize, 0);
  PutLE32(out, 256, file.valueA);
  PutLE32(out, 260, static_cast<uint32_t>(file.blocks.size()));
  PutLE32(out, 264, file.valueB);
  PutLE32(out, 296, file.valueC);
  for (const vnBIFF_BLOCK& block : file.blocks) {
    out.insert(out.end(), 8, 0);
    AppendTag(out, block.tag);
    PLAT_AppendLE32(out, block.valueA);
    PLAT_AppendLE32(out, static_cast<uint32_t>(block.chunks.size()));
    PLAT_AppendLE32(out, block.valueB);
    out.insert(out.end(), kBlockHeaderSize - 24, 0);
    for (const vnBIFF_CHUNK& chunk : block.chunks) {
      out.insert(out.end(), 4, 0);
      AppendTag(out, chunk.tag);
      PLAT_AppendLE32(out, static_cast<uint32_t>(chunk.data.size()));
      PLAT_AppendLE32(out, static_cast<uint32_t>(out.size() + 4 + 8));
      out.insert(out.end(), kChunkHeaderSize - 16, 0);
      out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    }
  }
  return out;
}

bool vnWRITE_BIFF(const std::string& path, const vnBIFF_FILE& file) {
  std::vector<uint8_t> bytes = vnWRITE_BIFFBytes(file);
  return vnWRITE_WholeFile("vnWRITE_BIFF", path, bytes.data(), bytes.size());
}
