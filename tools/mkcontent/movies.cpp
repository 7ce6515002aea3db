// The start-up movies of the demo tree: each a few seconds of a moving colour pattern of its
// own hue over a rising tone.
#include "tools/mkcontent/movies.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "tools/writers/movie_writer.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;
constexpr int32_t kRate = 15;
constexpr int32_t kSeconds = 3;
constexpr int32_t kSoundRate = 22050;

struct Movie {
  const char* file;
  uint32_t hue;  // the pattern's colour
  double tone;   // Hz at the start
};

constexpr Movie kMovies[] = {
    {"FMV/Ostrand Logo.avi", 0xFF3080FF, 220.0},
    {"FMV/Korrath Logo.avi", 0xFFFF8030, 330.0},
    {"FMV/Vantoria.avi", 0xFF40FF60, 440.0},
};

vnMOVIE_DESC Describe(const Movie& m) {
  vnMOVIE_DESC movie;
  movie.width = kWidth;
  movie.height = kHeight;
  movie.frameRate = kRate;
  movie.frames = kRate * kSeconds;
  const uint32_t hue = m.hue;
  movie.picture = [hue](int32_t index, std::vector<uint32_t>* argb) {
    // Bands that sweep across and brighten as the movie goes on.
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        const double wave = 0.5 + 0.5 * std::sin((x + y) * 0.05 - index * 0.4);
        const double level = wave * (0.3 + 0.7 * index / (kRate * kSeconds));
        uint32_t c = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)
          c |= static_cast<uint32_t>(((hue >> shift) & 0xFF) * level) << shift;
        (*argb)[static_cast<size_t>(y) * kWidth + x] = c;
      }
  };
  movie.soundRate = kSoundRate;
  movie.soundChannels = 1;
  double phase = 0.0;
  for (int32_t i = 0; i < kSoundRate * kSeconds; ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    phase += 2.0 * M_PI * m.tone * (1.0 + t / kSeconds) / kSoundRate;
    const double fade = std::min(1.0, std::min(t, kSeconds - t) * 4.0);
    movie.sound.push_back(static_cast<int16_t>(std::sin(phase) * 8000.0 * fade));
  }
  return movie;
}

}  // namespace

bool vnMKCONTENT_Movies(const std::string& root) {
  std::error_code ec;
  std::filesystem::create_directories(root + "/FMV", ec);
  for (const Movie& m : kMovies) {
    const std::string path = root + "/" + m.file;
    if (!vnWRITE_Movie(path, Describe(m))) {
      std::fprintf(stderr, "mkcontent: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}
