#include "tools/writers/bytesum_writer.h"

#include "platform/bytes.h"
#include "tools/writers/file_writer.h"

std::vector<uint8_t> vnWRITE_WithByteSum(std::span<const uint8_t> data) {
  uint32_t sum = 0;
  for (uint8_t b : data) sum += b;
  std::vector<uint8_t> out(data.begin(), data.end());
  PLAT_AppendLE32(out, sum);
  return out;
}

bool vnWRITE_ByteSumFile(const std::string& path, std::span<const uint8_t> data) {
  const std::vector<uint8_t> bytes = vnWRITE_WithByteSum(data);
  return vnWRITE_WholeFile("vnWRITE_ByteSumFile", path, bytes.data(), bytes.size());
}
