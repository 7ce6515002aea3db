#pragma once
// Writes movie files (AVI: MPEG-4 pictures, 16-bit PCM sound) from generated pictures and
// samples, for the demo tree and for the video tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct vnMOVIE_DESC {
  int32_t width = 0;   // even
  int32_t height = 0;  // even
  int32_t frameRate = 0;
  int32_t frames = 0;
  // Fills picture `index`: width x height ARGB words, rows top first (alpha is ignored).
  std::function<void(int32_t index, std::vector<uint32_t>* argb)> picture;
  // Sound track: interleaved samples at soundRate; none when empty.
  int32_t soundRate = 22050;
  int32_t soundChannels = 1;
  std::vector<int16_t> sound;
};

// False, after a trace, when the movie cannot be encoded or written.
bool vnWRITE_Movie(const std::string& path, const vnMOVIE_DESC& movie);

// Pictures of one flat colour each, from a table; a short movie whose every picture can be told
// apart after lossy coding.
vnMOVIE_DESC vnMOVIE_FlatColours(int32_t width, int32_t height, int32_t frameRate,
                                 const std::vector<uint32_t>& colours);
