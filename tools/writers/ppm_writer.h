#pragma once
// Writes source texture images: binary "P6" (red, green, blue) and "P7" (red, green, blue,
// alpha) PPM files, rows top first.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct vnPPM_IMAGE {
  int32_t kind = 6;          // 6 or 7
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t maxval = 255;     // samples are written as given, whatever the maximum says
  std::string comment;       // written as a "# ..." line after the magic when not empty
  std::vector<uint8_t> pixels;  // width x height x (3 or 4) bytes
};

// The file's bytes; empty (with a trace) when the kind or the pixel count is wrong.
std::vector<uint8_t> vnWRITE_PPM(const vnPPM_IMAGE& image);
// Writes the file, making no folders; false (with a trace) when it cannot.
bool vnWRITE_PPMFile(const std::string& path, const vnPPM_IMAGE& image);
