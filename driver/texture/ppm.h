#pragma once
// Source images: binary PPM, "P6" (red, green, blue) and "P7" (red, green, blue, alpha).
#include <cstdint>
#include <cstdio>
#include <vector>

// Bounds on what a source image may claim, so a bad header cannot ask for gigabytes.
constexpr uint32_t SPPD_PPM_MAX_SIDE = 8192;
constexpr uint64_t SPPD_PPM_MAX_PIXELS = 16u * 1024u * 1024u;

constexpr int32_t SPPD_PPM_NONE = 0;
constexpr int32_t SPPD_PPM_P6 = 6;
constexpr int32_t SPPD_PPM_P7 = 7;

struct SPPD_PPMIMAGE {
  int32_t kind = SPPD_PPM_NONE;  // SPPD_PPM_P6 or SPPD_PPM_P7
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;         // 3 or 4
  std::vector<uint8_t> pixels;   // rows top first, samples scaled to 0..255
};

// A source image's header, read up to its first pixel byte.
struct SPPD_PPMHEADER {
  int32_t kind = SPPD_PPM_NONE;  // SPPD_PPM_P6 or SPPD_PPM_P7
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;  // 3 or 4
  uint32_t maxval = 0;    // 1..255
};

// Reads the header of the given kind from the file's current position; on success the file is
// left at the first pixel byte. False (traced) for another kind or a malformed header.
bool SPPD_ReadPPMHeader(FILE* f, int32_t kind, uint32_t* width, uint32_t* height,
                        uint32_t* maxval);
// Tries "P6", then rewinds and tries "P7". Result SPPD_PPM_P6, SPPD_PPM_P7 or SPPD_PPM_NONE.
int32_t SPPD_ReadPPM(FILE* f, SPPD_PPMIMAGE* out);
// The same for the header alone, the file left at the first pixel byte; for reading the pixels
// a block at a time with SPPD_ReadPPMSamples.
int32_t SPPD_ReadPPMSourceHeader(FILE* f, SPPD_PPMHEADER* out);
// The next `count` samples of an image with the header's maximum, scaled to 0..255 as
// SPPD_ReadPPM scales them; false (traced) when the file ends first.
bool SPPD_ReadPPMSamples(FILE* f, const SPPD_PPMHEADER& header, uint8_t* out, size_t count);
int32_t SPPD_ReadPPMFile(const char* path, SPPD_PPMIMAGE* out);
// True when the file opens and starts with a valid "P7" header (a source with alpha).
bool SPPD_PPMFileIsP7(const char* path);
