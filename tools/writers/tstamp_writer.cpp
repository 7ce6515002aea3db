#include "tools/writers/tstamp_writer.h"

#include "platform/bytes.h"
#include "tools/writers/file_writer.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    out += digits[bytes[i] & 0xF];
    out += digits[bytes[i] >> 4];
  }
  return out;
}

std::string Line(const std::string& key, const uint8_t* bytes, size_t count) {
  return key + " = " + Hex(bytes, count) + "\n";
}

}  // namespace

std::string vnWRITE_TextureStampText(const vnTSTAMP_FILE& stamp) {
  uint8_t driver[16], display[16], count[4];
  PLAT_GuidToBytes(stamp.driverGuid, driver);
  PLAT_GuidToBytes(stamp.displayGuid, display);
  PLAT_StoreLE32(count, static_cast<uint32_t>(stamp.formats.size()));
  std::string text = Line("KOGUID", driver, 16) + Line("GFXDRVGUID", display, 16) +
                     Line("GFXDRVPFSETSIZE", count, 4);
  for (size_t i = 0; i < stamp.formats.size(); ++i)
    text += Line("GFXDRVPFSET(" + std::to_string(i) + ")", stamp.formats[i].data(), 32);
  return text;
}

bool vnWRITE_TextureStamp(const std::string& path, const vnTSTAMP_FILE& stamp) {
  const std::string text = vnWRITE_TextureStampText(stamp);
  return vnWRITE_WholeFile("vnWRITE_TextureStamp", path, text.c_str(), text.size() + 1);
}
