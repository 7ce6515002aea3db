// Movies written with the movie writer read back through the platform's decoder: pictures in
// order with their times, the sound track sample for sample, rewinding, damaged files.
#include "platform/video/movie.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/support/support.h"
#include "tools/writers/movie_writer.h"

namespace {

const std::vector<uint32_t> kColours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                        0xFF00FFFF};

bool Near(uint32_t a, uint32_t b, int tolerance = 12) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
        tolerance)
      return false;
  return true;
}

class Movie : public ::testing::Test {
 protected:
  void SetUp() override {
    movie = vnMOVIE_FlatColours(32, 16, 10, kColours);
    movie.soundRate = 8000;
    movie.soundChannels = 2;
    for (int i = 0; i < 8000 / 2; ++i) {
      movie.sound.push_back(static_cast<int16_t>(i * 7));
      movie.sound.push_back(static_cast<int16_t>(-i));
    }
    path = dir.file("FMV/Test Movie.avi");
    dir.write("FMV/.keep", "");
    ASSERT_TRUE(vnWRITE_Movie(path, movie));
  }
  vntest::TempDir dir;
  vnMOVIE_DESC movie;
  std::string path;
};

TEST_F(Movie, PicturesComeBackInOrderWithTheirTimes) {
  PLAT_Movie* m = PLAT_MovieOpen(dir.file("fmv/test movie.AVI").c_str());
  ASSERT_NE(m, nullptr);
  const PLAT_MovieInfo info = PLAT_MovieGetInfo(m);
  EXPECT_EQ(info.width, 32);
  EXPECT_EQ(info.height, 16);
  EXPECT_DOUBLE_EQ(info.frameRate, 10.0);
  EXPECT_TRUE(info.hasSound);
  std::vector<uint32_t> argb;
  for (size_t i = 0; i < kColours.size(); ++i) {
    double t = -1;
    ASSERT_EQ(PLAT_MovieNextPicture(m, &argb, &t), PLAT_MovieRead::Picture) << i;
    ASSERT_EQ(argb.size(), 32u * 16u);
    EXPECT_NEAR(t, 0.1 * static_cast<double>(i), 1e-6) << i;
    EXPECT_TRUE(Near(argb[0], kColours[i])) << i << " " << std::hex << argb[0];
    EXPECT_TRUE(Near(argb[32 * 16 - 1], kColours[i])) << i;
    EXPECT_EQ(argb[5] >> 24, 0xFFu);
  }
  EXPECT_EQ(PLAT_MovieNextPicture(m, &argb, nullptr), PLAT_MovieRead::End);
  EXPECT_EQ(PLAT_MovieNextPicture(m, &argb, nullptr), PLAT_MovieRead::End);
  ASSERT_TRUE(PLAT_MovieRewind(m));
  double t = -1;
  ASSERT_EQ(PLAT_MovieNextPicture(m, &argb, &t), PLAT_MovieRead::Picture);
  EXPECT_NEAR(t, 0.0, 1e-6);
  EXPECT_TRUE(Near(argb[0], kColours[0]));
  PLAT_MovieClose(m);
}

TEST_F(Movie, TheSoundTrackReadsBackSampleForSampleAndRewinds) {
  PLAT_MovieSound* s = PLAT_MovieSoundOpen(path.c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(PLAT_MovieSoundRate(s), 8000);
  EXPECT_EQ(PLAT_MovieSoundChannels(s), 2);
  std::vector<int16_t> all;
  int16_t chunk[2 * 300];
  while (size_t got = PLAT_MovieSoundRead(s, chunk, 300)) all.insert(all.end(), chunk, chunk + 2 * got);
  EXPECT_EQ(all, movie.sound);
  ASSERT_TRUE(PLAT_MovieSoundRewind(s));
  ASSERT_EQ(PLAT_MovieSoundRead(s, chunk, 3), 3u);
  EXPECT_EQ(chunk[2], 7);
  EXPECT_EQ(chunk[3], -1);
  PLAT_MovieSoundClose(s);
}

TEST_F(Movie, AMovieWithoutSoundHasNoSoundTrack) {
  vnMOVIE_DESC silent = vnMOVIE_FlatColours(16, 16, 5, {0xFF000000});
  silent.sound.clear();
  const std::string p = dir.file("FMV/silent.avi");
  ASSERT_TRUE(vnWRITE_Movie(p, silent));
  PLAT_Movie* m = PLAT_MovieOpen(p.c_str());
  ASSERT_NE(m, nullptr);
  EXPECT_FALSE(PLAT_MovieGetInfo(m).hasSound);
  PLAT_MovieClose(m);
  EXPECT_EQ(PLAT_MovieSoundOpen(p.c_str()), nullptr);
}

TEST_F(Movie, MissingAndDamagedFilesAreRefusedOrEndWithoutACrash) {
  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_MovieOpen(dir.file("nothing.avi").c_str()), nullptr);
  EXPECT_EQ(PLAT_MovieOpen(nullptr), nullptr);
  EXPECT_EQ(PLAT_MovieOpen(dir.write("text.avi", "not a movie at all").c_str()), nullptr);
  EXPECT_EQ(PLAT_MovieSoundOpen(dir.file("text.avi").c_str()), nullptr);
  EXPECT_TRUE(trace.contains("not found"));
  // Cut in the middle, and with its middle overwritten: whatever opens reads to an end.
  const std::string whole = vntest::readFile(path);
  std::string garbled = whole;
  for (size_t i = whole.size() / 3; i < whole.size() * 2 / 3; ++i) garbled[i] = static_cast<char>(i * 31);
  for (const std::string& bytes : {whole.substr(0, whole.size() / 2), garbled}) {
    const std::string p = dir.write("damaged.avi", bytes);
    if (PLAT_Movie* m = PLAT_MovieOpen(p.c_str())) {
      std::vector<uint32_t> argb;
      int pictures = 0;
      PLAT_MovieRead r;
      while ((r = PLAT_MovieNextPicture(m, &argb, nullptr)) == PLAT_MovieRead::Picture) ++pictures;
      EXPECT_LE(pictures, static_cast<int>(kColours.size()));
      PLAT_MovieClose(m);
    }
    if (PLAT_MovieSound* s = PLAT_MovieSoundOpen(p.c_str())) {
      int16_t chunk[512];
      while (PLAT_MovieSoundRead(s, chunk, 256)) {
      }
      PLAT_MovieSoundClose(s);
    }
  }
}

TEST(MovieWriter, ABadDescriptionIsRefused) {
  vntest::TempDir dir;
  vnMOVIE_DESC odd = vnMOVIE_FlatColours(15, 16, 10, {0xFF000000});
  EXPECT_FALSE(vnWRITE_Movie(dir.file("odd.avi"), odd));
  vnMOVIE_DESC none = vnMOVIE_FlatColours(16, 16, 10, {});
  EXPECT_FALSE(vnWRITE_Movie(dir.file("none.avi"), none));
  EXPECT_FALSE(vnWRITE_Movie(dir.file("no/such/folder/x.avi"), vnMOVIE_FlatColours(16, 16, 10, {0})));
}

}  // namespace
