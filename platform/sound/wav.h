#pragma once
// RIFF WAVE files of PCM samples: the chunk walk shared by whole-file samples and streams.
#include <cstdint>
#include <cstdio>

// Larger data chunks are refused rather than trusted: no sound of the game comes near it.
constexpr uint32_t PLAT_WAV_MAX_DATA = 256u << 20;

struct PLAT_WavInfo {
  int32_t channels;      // 1 or 2
  int32_t rate;          // Hz
  int32_t bits;          // 8 (unsigned) or 16 (signed)
  int32_t frameBytes;    // channels x bits / 8
  uint32_t dataOffset;   // file offset of the first sample
  uint32_t dataBytes;    // a whole number of frames
};

// Reads the chunk headers from the start of the file and leaves it positioned at the first
// sample. False, with a trace naming `name`, for anything but a well-formed PCM file whose
// chunks lie inside the file.
bool PLAT_WavReadInfo(FILE* file, const char* name, PLAT_WavInfo* info);
