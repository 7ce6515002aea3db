#pragma once
// Writes B2D files: texture sections "T%d" (image file and number), set sections "F%d" with
// their "D" line and frame keys "B%d", as the engine's B2D reader reads them; and, beside the
// file, the texture images given with their pixels.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/ppm_writer.h"

struct vnB2D_TEXTURE {
  std::string file;   // relative to the B2D file's folder
  int32_t number = 0;  // "UId"; negative numbers are written and never loaded
  vnPPM_IMAGE image;  // written to file when it has pixels
};

struct vnB2D_FRAME {
  std::string name;  // not empty, no double quote
  int32_t texture = 0;
  int32_t id = 0;
  int32_t offsetX = 0, offsetY = 0;
  int32_t width = 0, height = 0;
  float u = 0, v = 0, du = 0, dv = 0;
};

struct vnB2D_SET {
  std::string name;  // not empty, no double quote
  int32_t value[2] = {0, 0};
  std::vector<vnB2D_FRAME> frames;  // B0 first
};

struct vnB2D_FILE {
  std::vector<vnB2D_TEXTURE> textures;  // T0 first
  std::vector<vnB2D_SET> sets;          // F0 first
};

// The file's text; empty (with a trace) when a name or line cannot be read back as written.
std::string vnWRITE_B2D(const vnB2D_FILE& file);
// Writes the file and the images that have pixels, making no folders; false (with a trace)
// when any of them cannot be written.
bool vnWRITE_B2DFile(const std::string& path, const vnB2D_FILE& file);
