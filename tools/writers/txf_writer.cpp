#include "tools/writers/txf_writer.h"

#include "platform/bytes.h"
#include "platform/trace.h"
#include "tools/writers/file_writer.h"

namespace {

void PutGuid(std::vector<uint8_t>& out, const PLAT_GUID& g) {
  uint8_t bytes[16];
  PLAT_GuidToBytes(g, bytes);
  out.insert(out.end(), bytes, bytes + 16);
}

}  // namespace

std::vector<uint8_t> vnWRITE_TXF(const vnTXF_FILE& file) {
  const bool palettised = (file.flags & 1) != 0;
  const size_t pixelBytes = static_cast<size_t>(file.width) * file.height * file.bytesPerPixel;
  if (file.pixels.size() != pixelBytes || (palettised && file.palette.size() != 1024)) {
    PLAT_Trace("vnWRITE_TXF: %ux%u x%u texture with %zu pixel and %zu palette bytes\n",
               file.width, file.height, file.bytesPerPixel, file.pixels.size(),
               file.palette.size());
    return {};
  }
  const uint32_t total = static_cast<uint32_t>(92 + (palettised ? 1024 : 0) + pixelBytes);
  std::vector<uint8_t> out;
  out.reserve(total);
  PLAT_AppendLE32(out, total);
  PLAT_AppendLE32(out, 92);
  PLAT_AppendLE32(out, file.width);
  PLAT_AppendLE32(out, file.height);
  PLAT_AppendLE32(out, file.bytesPerPixel);
  out.push_back(file.alphaBits);
  out.push_back(file.redBits);
  out.push_back(file.greenBits);
  out.push_back(file.blueBits);
  PLAT_AppendLE32(out, file.flags);
  PutGuid(out, file.driverGuid);
  PLAT_AppendLE32(out, 32);  // size of the pixel format record
  PLAT_AppendLE32(out, file.pfFlags);
  PLAT_AppendLE32(out, 0);   // no four-character code
  PLAT_AppendLE32(out, file.pfBitCount);
  PLAT_AppendLE32(out, file.pfRMask);
  PLAT_AppendLE32(out, file.pfGMask);
  PLAT_AppendLE32(out, file.pfBMask);
  PLAT_AppendLE32(out, file.pfAMask);
  PutGuid(out, file.deviceGuid);
  if (palettised) out.insert(out.end(), file.palette.begin(), file.palette.end());
  out.insert(out.end(), file.pixels.begin(), file.pixels.end());
  return out;
}

bool vnWRITE_TXFFile(const std::string& path, const vnTXF_FILE& file) {
  const std::vector<uint8_t> bytes = vnWRITE_TXF(file);
  if (bytes.empty()) return false;
  return vnWRITE_WholeFile("vnWRITE_TXFFile", path, bytes.data(), bytes.size());
}
