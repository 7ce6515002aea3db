#include "tools/writers/bytesum_writer.h"

#include <cstdio>

#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/trace.h"

std::vector<uint8_t> vnWRITE_WithByteSum(std::span<const uint8_t> data) {
  uint32_t sum = 0;
  for (uint8_t b : data) sum += b;
  std::vector<uint8_t> out(data.begin(), data.end());
  PLAT_AppendLE32(out, sum);
  return out;
}

bool vnWRITE_ByteSumFile(const std::string& path, std::span<const uint8_t> data) {
  const std::vector<uint8_t> bytes = vnWRITE_WithByteSum(data);
  FILE* f = PLAT_FOpen(path.c_str(), "wb");
  if (!f) {
    PLAT_Trace("vnWRITE_ByteSumFile: cannot create %s\n", path.c_str());
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) {
    PLAT_Trace("vnWRITE_ByteSumFile: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
