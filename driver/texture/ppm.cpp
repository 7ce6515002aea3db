// Source image reading. Headers come from outside the game's control, so every number is
// bounded before anything is allocated and a short file fails instead of leaving zeros.
#include "driver/texture/ppm.h"

#include <array>
#include <utility>

#include "platform/files.h"
#include "platform/trace.h"

namespace {

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A '#' where a character is expected runs to the end of the line; the line end stands for it.
int GetChar(FILE* f) {
  int c = std::fgetc(f);
  if (c == '#') {
    do c = std::fgetc(f);
    while (c != EOF && c != '\n' && c != '\r');
  }
  return c;
}

// Skips white space, reads digits and consumes exactly one terminating byte.
bool ReadNumber(FILE* f, uint32_t* out) {
  int c = GetChar(f);
  while (IsSpace(c)) c = GetChar(f);
  if (!IsDigit(c)) return false;
  uint64_t value = 0;
  while (IsDigit(c)) {
    value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value > 0xFFFFFFFFu) return false;
    c = std::fgetc(f);
  }
  if (c == EOF) return false;
  if (c == '#') {
    while (c != EOF && c != '\n' && c != '\r') c = std::fgetc(f);
    if (c == EOF) return false;
  }
  *out = static_cast<uint32_t>(value);
  return true;
}

// Samples above the stated maximum stay at 255 rather than wrapping.
void Scale(uint32_t maxval, uint8_t* samples, size_t count) {
  if (maxval == 255) return;
  std::array<uint8_t, 256> scale{};
  const float factor = 255.0f / static_cast<float>(maxval);
  for (uint32_t s = 0; s < 256; ++s) {
    float v = static_cast<float>(s) * factor;
    scale[s] = v >= 255.0f ? 255 : static_cast<uint8_t>(v);
  }
  for (size_t i = 0; i < count; ++i) samples[i] = scale[samples[i]];
}

bool ReadHeader(FILE* f, int32_t kind, SPPD_PPMHEADER* out) {
  SPPD_PPMHEADER h;
  if (!SPPD_ReadPPMHeader(f, kind, &h.width, &h.height, &h.maxval)) return false;
  h.kind = kind;
  h.channels = kind == SPPD_PPM_P7 ? 4 : 3;
  *out = h;
  return true;
}

bool ReadImage(FILE* f, int32_t kind, SPPD_PPMIMAGE* out) {
  SPPD_PPMHEADER h;
  if (!ReadHeader(f, kind, &h)) return false;
  std::vector<uint8_t> pixels(static_cast<size_t>(h.width) * h.height * h.channels);
  if (!SPPD_ReadPPMSamples(f, h, pixels.data(), pixels.size())) return false;
  out->kind = kind;
  out->width = h.width;
  out->height = h.height;
  out->channels = h.channels;
  out->pixels = std::move(pixels);
  return true;
}

// "P6", else from the start again "P7", read by read(f, kind, out).
template <typename Out>
int32_t EitherKind(FILE* f, Out* out, bool (*read)(FILE*, int32_t, Out*)) {
  if (!f || !out) return SPPD_PPM_NONE;
  if (read(f, SPPD_PPM_P6, out)) return SPPD_PPM_P6;
  std::rewind(f);
  if (read(f, SPPD_PPM_P7, out)) return SPPD_PPM_P7;
  PLAT_Trace("GFXDRV: SPPD_ReadPPM: not a P6 or P7 image\n");
  return SPPD_PPM_NONE;
}

}  // namespace

bool SPPD_ReadPPMHeader(FILE* f, int32_t kind, uint32_t* width, uint32_t* height,
                        uint32_t* maxval) {
  if (!f || (kind != SPPD_PPM_P6 && kind != SPPD_PPM_P7)) return false;
  unsigned char magic[3];
  if (std::fread(magic, 1, 3, f) != 3) return false;
  if (magic[0] != 'P' || magic[1] != '0' + kind) return false;
  // A digit here would be read as the width's first digit by no one: it is not a separator.
  if (IsDigit(magic[2])) return false;
  if (magic[2] == '#') {
    int c;
    do c = std::fgetc(f);
    while (c != EOF && c != '\n' && c != '\r');
    if (c == EOF) return false;
  }
  uint32_t w = 0, h = 0, m = 0;
  if (!ReadNumber(f, &w) || !ReadNumber(f, &h) || !ReadNumber(f, &m)) {
    PLAT_Trace("GFXDRV: SPPD_ReadPPMHeader: malformed P%d header\n", kind);
    return false;
  }
  if (m < 1 || m > 255) {
    PLAT_Trace("GFXDRV: SPPD_ReadPPMHeader: maximum sample value %u is not 1..255\n", m);
    return false;
  }
  if (w < 1 || h < 1 || w > SPPD_PPM_MAX_SIDE || h > SPPD_PPM_MAX_SIDE ||
      static_cast<uint64_t>(w) * h > SPPD_PPM_MAX_PIXELS) {
    PLAT_Trace("GFXDRV: SPPD_ReadPPMHeader: image size %ux%u out of bounds\n", w, h);
    return false;
  }
  *width = w;
  *height = h;
  *maxval = m;
  return true;
}

int32_t SPPD_ReadPPM(FILE* f, SPPD_PPMIMAGE* out) { return EitherKind(f, out, ReadImage); }

int32_t SPPD_ReadPPMSourceHeader(FILE* f, SPPD_PPMHEADER* out) {
  return EitherKind(f, out, ReadHeader);
}

bool SPPD_ReadPPMSamples(FILE* f, const SPPD_PPMHEADER& header, uint8_t* out, size_t count) {
  if (std::fread(out, 1, count, f) != count) {
    PLAT_Trace("GFXDRV: SPPD_ReadPPM: pixels of a %ux%u P%d image are cut short\n", header.width,
               header.height, header.kind);
    return false;
  }
  Scale(header.maxval, out, count);
  return true;
}

int32_t SPPD_ReadPPMFile(const char* path, SPPD_PPMIMAGE* out) {
  FILE* f = path ? PLAT_FOpen(path, "rb") : nullptr;
  if (!f) {
    PLAT_Trace("GFXDRV: SPPD_ReadPPMFile: cannot open %s\n", path ? path : "(none)");
    return SPPD_PPM_NONE;
  }
  int32_t kind = SPPD_ReadPPM(f, out);
  std::fclose(f);
  return kind;
}

bool SPPD_PPMFileIsP7(const char* path) {
  FILE* f = path ? PLAT_FOpen(path, "rb") : nullptr;
  if (!f) return false;
  uint32_t w, h, m;
  bool p7 = SPPD_ReadPPMHeader(f, SPPD_PPM_P7, &w, &h, &m);
  std::fclose(f);
  return p7;
}
