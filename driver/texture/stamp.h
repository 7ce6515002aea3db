#pragma once
// The texture cache's stamp file "tstamp.txt": which driver, display device and texture formats
// the converted textures of a folder were made for. Text of "KEY = VALUE" lines whose values are
// bytes in memory order, two hexadecimal digits each, low nibble first; a zero byte ends it.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "driver/core/state.h"
#include "driver/texture/txf.h"

constexpr const char SPPD_STAMP_FILE[] = "tstamp.txt";
constexpr int SPPD_STAMP_TEXT_SIZE = 2048;
// More formats than any device offers: a count beyond it is a damaged stamp.
constexpr uint32_t SPPD_STAMP_MAX_FORMATS = 64;

// A stamp in the general pool, its formats in the same allocation.
struct SPPD_TEXSTAMP {
  PLAT_GUID guidDisplay;  // the display device
  PLAT_GUID guidDriver;   // SPPD_GUID
  uint32_t dwNumFormats;  // as the stamp declares
  uint32_t dwReadFormats; // formats present (a read stamp may lack some)
  uint8_t (*pFormats)[SPPD_PIXELFORMAT_BYTES];
};

// The stamp of the state's display device and its two texture formats (alpha first); none
// without a device or formats.
SPPD_TEXSTAMP* SPPD_StampCurrent(SPPD_DRIVERSTATE* state);
// Decodes stamp text of `size` bytes (not necessarily terminated); none when it does not read.
SPPD_TEXSTAMP* SPPD_StampParse(SPPD_POOL* pool, const char* text, size_t size);
// Reads "<folder>/tstamp.txt" (the folder string itself when it names the file); none when the
// file is missing or does not read.
SPPD_TEXSTAMP* SPPD_StampRead(SPPD_POOL* pool, const char* folder);
void SPPD_StampFree(SPPD_TEXSTAMP* stamp);  // none accepted
struct SPPD_StampFreer {
  void operator()(SPPD_TEXSTAMP* stamp) const { SPPD_StampFree(stamp); }
};
using SPPD_StampHandle = std::unique_ptr<SPPD_TEXSTAMP, SPPD_StampFreer>;

// Same driver and display device, same count, and every format of `current` in `stored`.
bool SPPD_StampMatches(const SPPD_TEXSTAMP& current, const SPPD_TEXSTAMP& stored);
// The stamp's text with its terminating zero; the length without it, 0 when it does not fit.
size_t SPPD_StampFormat(const SPPD_TEXSTAMP& stamp, char* out, size_t size);
// Writes the text and its zero byte to the path; false (traced) on failure.
bool SPPD_StampWrite(const SPPD_TEXSTAMP& stamp, const char* path);
