#include "platform/sound/wav.h"

#include <cstring>

#include "platform/bytes.h"
#include "platform/trace.h"

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kFmtMinSize = 16;
constexpr int32_t kMinRate = 1000;
constexpr int32_t kMaxRate = 192000;

bool Fail(const char* name, const char* why) {
  PLAT_Trace("PLAT_WavReadInfo: %s: %s\n", name, why);
  return false;
}

bool ReadFmt(FILE* file, const char* name, uint32_t size, PLAT_WavInfo* info) {
  if (size < kFmtMinSize) return Fail(name, "format chunk too short");
  uint8_t fmt[kFmtMinSize];
  if (std::fread(fmt, 1, sizeof fmt, file) != sizeof fmt) return Fail(name, "format chunk cut short");
  if (PLAT_LoadLE16(fmt) != kFormatPcm) return Fail(name, "not PCM samples");
  info->channels = PLAT_LoadLE16(fmt + 2);
  info->rate = static_cast<int32_t>(PLAT_LoadLE32(fmt + 4));
  int32_t blockAlign = PLAT_LoadLE16(fmt + 12);
  info->bits = PLAT_LoadLE16(fmt + 14);
  if (info->channels != 1 && info->channels != 2) return Fail(name, "only mono or stereo");
  if (info->bits != 8 && info->bits != 16) return Fail(name, "only 8 or 16 bits");
  if (info->rate < kMinRate || info->rate > kMaxRate) return Fail(name, "sample rate out of range");
  info->frameBytes = info->channels * info->bits / 8;
  if (blockAlign != info->frameBytes) return Fail(name, "block size does not match the format");
  return true;
}

}  // namespace

bool PLAT_WavReadInfo(FILE* file, const char* name, PLAT_WavInfo* info) {
  *info = PLAT_WavInfo{};
  if (std::fseek(file, 0, SEEK_END) != 0) return Fail(name, "cannot seek");
  long end = std::ftell(file);
  if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) return Fail(name, "cannot seek");
  const uint64_t fileSize = static_cast<uint64_t>(end);

  uint8_t riff[12];
  if (std::fread(riff, 1, sizeof riff, file) != sizeof riff) return Fail(name, "shorter than a RIFF header");
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
    return Fail(name, "not a RIFF WAVE file");

  bool haveFmt = false;
  uint64_t at = sizeof riff;
  while (at + 8 <= fileSize) {
    uint8_t head[8];
    if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
        std::fread(head, 1, sizeof head, file) != sizeof head)
      return Fail(name, "chunk header cut short");
    const uint32_t size = PLAT_LoadLE32(head + 4);
    const uint64_t body = at + 8;
    if (body + size > fileSize) return Fail(name, "chunk runs past the end of the file");
    if (std::memcmp(head, "fmt ", 4) == 0) {
      if (!ReadFmt(file, name, size, info)) return false;
      haveFmt = true;
    } else if (std::memcmp(head, "data", 4) == 0) {
      // Samples are only meaningful once their format is known.
      if (!haveFmt) return Fail(name, "data before the format chunk");
      if (size > PLAT_WAV_MAX_DATA) return Fail(name, "data chunk too large");
      if (size % static_cast<uint32_t>(info->frameBytes) != 0)
        return Fail(name, "data chunk is not a whole number of frames");
      info->dataOffset = static_cast<uint32_t>(body);
      info->dataBytes = size;
      if (std::fseek(file, static_cast<long>(body), SEEK_SET) != 0) return Fail(name, "cannot seek");
      return true;
    }
    // Chunks are padded to an even length.
    at = body + size + (size & 1);
  }
  return Fail(name, haveFmt ? "no data chunk" : "no format chunk");
}
