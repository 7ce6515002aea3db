// Movies played into the textures of a 2D set's frames: pictures advance with the clock, a
// movie that ends keeps its last picture, a looping one starts over, stop freezes it, pause
// changes nothing, and destroying a playing stream is safe while its worker runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "driver/texture/load.h"
#include "driver/video/video.h"
#include "engine/b2d/b2d.h"
#include "platform/sound/sound.h"
#include "tests/driver/texture/table_fixture.h"
#include "tools/writers/movie_writer.h"

namespace {

using namespace std::chrono_literals;

// Colours far apart even after lossy coding and 16-bit textures.
const std::vector<uint32_t> kColours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                        0xFF00FFFF, 0xFFFF00FF, 0xFFFFFFFF, 0xFF808080};
constexpr int kRate = 10;  // pictures a second: the movie lasts 0.8 s

uint32_t From565(uint16_t t) {
  const uint32_t r = (t >> 11) & 31, g = (t >> 5) & 63, b = t & 31;
  return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8)
    d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  return d;
}

class Video : public textabletest::TextureDisplay {
 protected:
  void SetUp() override {
    TextureDisplay::SetUp();
    movie = dir.file("FMV/Test.avi");
    dir.write("FMV/.keep", "");
    ASSERT_TRUE(vnWRITE_Movie(movie, vnMOVIE_FlatColours(64, 64, kRate, kColours)));
    set.frames.pNext = set.frames.pPrev = &set.frames;
  }
  void TearDown() override {
    for (SPPD_VIDEOFRAME* v : made) SPPD_DestroyVideoFrame(v);
    TextureDisplay::TearDown();
  }

  // A frame of the set at (x, y), size w x h, over the whole of a fresh texture of `side`.
  void AddFrame(int x, int y, int w, int h, int side = 64) {
    const std::string name = "frame" + std::to_string(frames.size()) + ".ppm";
    WriteImage(name, false, side);
    const int32_t id = Id(name.c_str());
    ASSERT_GT(id, 0);
    ASSERT_EQ(SPPD_TextureLoad(State(), id), SPPD_OK);
    auto f = std::make_unique<SPW_B2DFRAME>();
    f->nOffsetX = x;
    f->nOffsetY = y;
    f->nWidth = w;
    f->nHeight = h;
    f->u = 0;
    f->v = 0;
    f->du = 1;
    f->dv = 1;
    f->nTextureId = id;
    SGE_DLLNODE* tail = set.frames.pPrev;
    f->link.pPrev = tail;
    f->link.pNext = &set.frames;
    tail->pNext = &f->link;
    set.frames.pPrev = &f->link;
    frames.push_back(std::move(f));
  }

  SPPD_VIDEOFRAME* Make(uint32_t flags, const std::string& path = "") {
    if (frames.empty()) AddFrame(0, 0, 64, 64);
    SPPD_VIDEOFRAME* v = SPPD_CreateVideoFrame(&display, &set, (path.empty() ? movie : path).c_str(), flags);
    if (v) made.push_back(v);
    return v;
  }
  void Destroy(SPPD_VIDEOFRAME* v) {
    std::erase(made, v);
    SPPD_DestroyVideoFrame(v);
  }

  // The texel of frame `frame`'s texture as ARGB.
  uint32_t Texel(int x, int y, size_t frame = 0) {
    PLAT_GfxTexture* tex = Slot(frames[frame]->nTextureId)->pSurface;
    PLAT_GfxLock lock;
    EXPECT_EQ(PLAT_GfxLockTexture(tex, 0, &lock), PLAT_GfxResult::Ok);
    uint16_t t = 0;
    std::memcpy(&t, static_cast<uint8_t*>(lock.bits) + y * lock.pitch + x * 2, 2);
    PLAT_GfxUnlockTexture(tex, 0);
    return t == 0 ? 0 : From565(t);
  }
  // Which picture frame 0 shows: the index of the nearest colour, -1 for black.
  int Shown(int x = 32, int y = 32) {
    const uint32_t t = Texel(x, y);
    if (t == 0) return -1;
    int best = 0;
    for (size_t i = 1; i < kColours.size(); ++i)
      if (Distance(t, kColours[i]) < Distance(t, kColours[static_cast<size_t>(best)])) best = static_cast<int>(i);
    EXPECT_LT(Distance(t, kColours[static_cast<size_t>(best)]), 60) << std::hex << t;
    return best;
  }
  static bool Playing(SPPD_VIDEOFRAME* v) {
    std::lock_guard<std::recursive_mutex> lock(v->section);
    return v->dwFlags & SPPD_VIDEO_PLAYING;
  }
  // Updates until the movie no longer plays, at most for `limit`.
  void UpdateUntilStopped(SPPD_VIDEOFRAME* v, std::chrono::milliseconds limit = 3000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Playing(v) && std::chrono::steady_clock::now() < end) {
      SPPD_UpdateVideoFrame(v);
      std::this_thread::sleep_for(20ms);
    }
    SPPD_UpdateVideoFrame(v);
  }

  std::string movie;
  SPW_B2DSET set{};
  std::vector<std::unique_ptr<SPW_B2DFRAME>> frames;
  std::vector<SPPD_VIDEOFRAME*> made;
};

TEST_F(Video, PicturesAdvanceWithTimeAndAFinishedMovieKeepsItsLastPicture) {
  SPPD_VIDEOFRAME* v = Make(SPPD_VIDEO_NOWORKER);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(SPPD_StreamSurfaceRestore(v), SPPD_OK);
  EXPECT_EQ(Shown(), -1);
  ASSERT_EQ(SPPD_StreamSurfacePlay(v, 0), SPPD_OK);
  SPPD_UpdateVideoFrame(v);
  EXPECT_EQ(Shown(), 0);
  std::this_thread::sleep_for(250ms);
  SPPD_UpdateVideoFrame(v);
  EXPECT_GE(Shown(), 1);
  UpdateUntilStopped(v);
  EXPECT_FALSE(Playing(v));
  EXPECT_EQ(Shown(), static_cast<int>(kColours.size()) - 1);
  std::this_thread::sleep_for(150ms);
  SPPD_UpdateVideoFrame(v);
  EXPECT_EQ(Shown(), static_cast<int>(kColours.size()) - 1);
}

TEST_F(Video, ALoopingMovieStartsOverAndKeepsPlaying) {
  SPPD_VIDEOFRAME* v = Make(SPPD_VIDEO_NOWORKER);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(SPPD_StreamSurfacePlay(v, 1), SPPD_OK);
  std::vector<int> seen;
  const auto end = std::chrono::steady_clock::now() + 1500ms;
  while (std::chrono::steady_clock::now() < end) {
    SPPD_UpdateVideoFrame(v);
    seen.push_back(Shown());
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(Playing(v));
  bool wrapped = false;
  for (size_t i = 1; i < seen.size(); ++i) wrapped = wrapped || seen[i] < seen[i - 1];
  EXPECT_TRUE(wrapped);
}

TEST_F(Video, StopFreezesThePictureAndPlayResumes) {
  SPPD_VIDEOFRAME* v = Make(SPPD_VIDEO_NOWORKER);
  ASSERT_NE(v, nullptr);
  SPPD_StreamSurfacePlay(v, 0);
  SPPD_UpdateVideoFrame(v);
  std::this_thread::sleep_for(220ms);
  SPPD_UpdateVideoFrame(v);
  EXPECT_EQ(SPPD_StreamSurfaceStop(v), 1);
  EXPECT_FALSE(Playing(v));
  const int frozen = Shown();
  std::this_thread::sleep_for(300ms);
  SPPD_UpdateVideoFrame(v);
  EXPECT_EQ(Shown(), frozen);
  EXPECT_EQ(SPPD_StreamSurfaceStop(v), 1);  // not playing: nothing to do
  EXPECT_EQ(SPPD_StreamSurfaceStop(nullptr), 0);
  SPPD_StreamSurfacePlay(v, 0);
  SPPD_UpdateVideoFrame(v);
  EXPECT_GE(Shown(), frozen);  // resumed, not started over
}

TEST_F(Video, PauseChangesNothingAndPlayingTwiceNeitherRestartsNorLoops) {
  SPPD_VIDEOFRAME* v = Make(SPPD_VIDEO_NOWORKER);
  ASSERT_NE(v, nullptr);
  SPPD_StreamSurfacePlay(v, 0);
  EXPECT_EQ(SPPD_StreamSurfacePause(v, 1), 0);
  EXPECT_EQ(SPPD_StreamSurfacePause(nullptr, 1), 0);
  EXPECT_TRUE(Playing(v));
  std::this_thread::sleep_for(250ms);
  EXPECT_EQ(SPPD_StreamSurfacePlay(v, 1), SPPD_OK);
  SPPD_UpdateVideoFrame(v);
  EXPECT_GE(Shown(), 1);
  EXPECT_EQ(v->dwFlags & SPPD_VIDEO_LOOP, 0u);
  EXPECT_EQ(SPPD_StreamSurfacePlay(nullptr, 0), SPPD_OK);
}

TEST_F(Video, TheWorkerDecodesAndTheHostShowsTheNewestPicture) {
  SPPD_VIDEOFRAME* v = Make(0);
  ASSERT_NE(v, nullptr);
  SPPD_StreamSurfaceRestore(v);
  ASSERT_EQ(SPPD_StreamSurfacePlay(v, 0), SPPD_OK);
  std::this_thread::sleep_for(250ms);
  EXPECT_EQ(Shown(), -1);  // the worker never touches the textures
  SPPD_UpdateVideoFrame(v);
  EXPECT_GE(Shown(), 1);
  UpdateUntilStopped(v);
  EXPECT_FALSE(Playing(v));
  EXPECT_EQ(Shown(), static_cast<int>(kColours.size()) - 1);
  // Played again after its end: from the start.
  const int last = Shown();
  ASSERT_EQ(SPPD_StreamSurfacePlay(v, 0), SPPD_OK);
  const auto end = std::chrono::steady_clock::now() + 3000ms;
  while (Shown() == last && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(10ms);
    SPPD_UpdateVideoFrame(v);
  }
  EXPECT_LT(Shown(), last);
}

TEST_F(Video, DestroyingPlayingStreamsStopsTheirWorkersFirst) {
  std::vector<SPPD_VIDEOFRAME*> streams;
  for (int i = 0; i < 4; ++i) {
    SPPD_VIDEOFRAME* v = Make(0);
    ASSERT_NE(v, nullptr);
    SPPD_StreamSurfacePlay(v, i % 2);
    streams.push_back(v);
  }
  Destroy(streams[0]);  // at once
  std::this_thread::sleep_for(120ms);
  SPPD_UpdateVideoFrame(streams[1]);
  Destroy(streams[1]);
  SPPD_StreamSurfaceStop(streams[2]);
  Destroy(streams[2]);  // stopped, its worker perhaps still ending
  std::this_thread::sleep_for(900ms);  // past the end: the worker stopped it itself
  Destroy(streams[3]);
  Destroy(Make(0));  // never played
  SPPD_DestroyVideoFrame(nullptr);
}

TEST_F(Video, DestroyingTheDisplayEndsItsStreamsFirst) {
  SPPD_VIDEOFRAME* playing = Make(0);
  SPPD_VIDEOFRAME* host = Make(SPPD_VIDEO_NOWORKER);
  ASSERT_NE(playing, nullptr);
  ASSERT_NE(host, nullptr);
  SPPD_StreamSurfacePlay(playing, 1);
  SPPD_StreamSurfacePlay(host, 1);
  std::this_thread::sleep_for(50ms);
  made.clear();
  EXPECT_EQ(SPPD_Destroy(&display), SPPD_OK);
  vntest::TraceCapture trace;
  SPPD_DestroyVideoFrame(playing);  // already gone with the display: refused, not freed twice
  EXPECT_TRUE(trace.contains("not a live stream"));
}

TEST_F(Video, RestoreClearsTheTextures) {
  SPPD_VIDEOFRAME* v = Make(SPPD_VIDEO_NOWORKER);
  ASSERT_NE(v, nullptr);
  SPPD_StreamSurfacePlay(v, 0);
  SPPD_UpdateVideoFrame(v);
  ASSERT_EQ(Shown(), 0);
  PLAT_GfxSimulateLoss(State()->pGfx);
  EXPECT_EQ(SPPD_StreamSurfaceRestore(v), SPPD_OK);
  EXPECT_EQ(Texel(0, 0), 0u);
  EXPECT_EQ(Texel(63, 63), 0u);
  EXPECT_EQ(SPPD_StreamSurfaceRestore(nullptr), SPPD_FAIL);
}

// Two frames side by side (128 x 64) under a 32 x 32 picture.
TEST_F(Video, ThePictureIsCentredOnTheFramesAndFitsThemWhenAsked) {
  const std::string small = dir.file("FMV/Small.avi");
  ASSERT_TRUE(vnWRITE_Movie(small, vnMOVIE_FlatColours(32, 32, kRate, {0xFFFF0000})));
  AddFrame(0, 0, 64, 64);
  AddFrame(64, 0, 64, 64);
  struct Case {
    uint32_t flags;
    int left0, right1, top, bottom;  // picture in frame 0 from left0, in frame 1 up to right1
  } cases[] = {
      {SPPD_VIDEO_NOWORKER, 48, 16, 16, 48},               // scale 1: x 48..80, y 16..48
      {SPPD_VIDEO_NOWORKER | SPPD_VIDEO_FIT, 32, 32, 0, 64},  // scale 2: x 32..96, y 0..64
  };
  for (const Case& c : cases) {
    SPPD_VIDEOFRAME* v = Make(c.flags, small);
    ASSERT_NE(v, nullptr);
    SPPD_StreamSurfaceRestore(v);
    SPPD_StreamSurfacePlay(v, 0);
    SPPD_UpdateVideoFrame(v);
    auto red = [&](int x, int y, size_t f) { return Distance(Texel(x, y, f), 0xFFFF0000) < 60; };
    EXPECT_TRUE(red(c.left0, c.top, 0)) << c.flags;
    EXPECT_TRUE(red(63, c.bottom - 1, 0)) << c.flags;
    EXPECT_TRUE(red(c.right1 - 1, c.top, 1)) << c.flags;
    EXPECT_EQ(Texel(c.left0 - 1, c.top, 0), 0u) << c.flags;
    EXPECT_EQ(Texel(c.right1, c.top, 1), 0u) << c.flags;
    if (c.top > 0) {
      EXPECT_EQ(Texel(c.left0, c.top - 1, 0), 0u) << c.flags;
      EXPECT_EQ(Texel(c.left0, c.bottom, 0), 0u) << c.flags;
    }
    Destroy(v);
  }
}

// The sound track plays through the sound output while the movie plays, and no longer after.
class VideoSound : public Video {
 protected:
  static constexpr int32_t kMixRate = 22050;
  void SetUp() override {
    Video::SetUp();
    vnMOVIE_DESC movie = vnMOVIE_FlatColours(64, 64, kRate, kColours);
    movie.soundRate = kMixRate;
    for (int i = 0; i < kMixRate; ++i)
      movie.sound.push_back(static_cast<int16_t>(i % 50 < 25 ? 12000 : -12000));
    sounding = dir.file("FMV/Sounding.avi");
    ASSERT_TRUE(vnWRITE_Movie(sounding, movie));
    ASSERT_TRUE(PLAT_SoundSetOutput(PLAT_SoundOutput::Manual));
    ASSERT_TRUE(PLAT_SoundInit(kMixRate, 8));
  }
  void TearDown() override {
    Video::TearDown();  // destroys the streams while the output still runs
    PLAT_SoundClose();
    PLAT_SoundSetOutput(PLAT_SoundOutput::Auto);
  }
  // Peak level of the next tenth of a second of output.
  int Peak() {
    std::vector<int16_t> pcm(kMixRate / 10 * 2);
    EXPECT_TRUE(PLAT_SoundMix(pcm.data(), kMixRate / 10));
    int peak = 0;
    for (int16_t v : pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
  }
  std::string sounding;
};

TEST_F(VideoSound, TheSoundTrackPlaysWhileTheMoviePlays) {
  SPPD_VIDEOFRAME* v = Make(SPPD_VIDEO_NOWORKER, sounding);
  ASSERT_NE(v, nullptr);
  EXPECT_LT(Peak(), 64);
  ASSERT_EQ(SPPD_StreamSurfacePlay(v, 0), SPPD_OK);
  EXPECT_GT(Peak(), 4000);
  SPPD_StreamSurfaceStop(v);
  Peak();  // what the output had taken before the stop
  EXPECT_LT(Peak(), 64);
  SPPD_StreamSurfacePlay(v, 0);
  EXPECT_GT(Peak(), 4000);
  Destroy(v);
  Peak();
  EXPECT_LT(Peak(), 64);
}

TEST_F(VideoSound, AMovieWithoutASoundTrackPlaysSilently) {
  SPPD_VIDEOFRAME* v = Make(0);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(SPPD_StreamSurfacePlay(v, 0), SPPD_OK);
  EXPECT_LT(Peak(), 64);
}

TEST_F(Video, MissingOrDamagedMoviesAndDisplaysWithoutADeviceGiveNoStream) {
  EXPECT_EQ(Make(0, dir.file("FMV/none.avi")), nullptr);
  EXPECT_EQ(Make(0, dir.write("FMV/bad.avi", "RIFF....AVI garbage")), nullptr);
  EXPECT_EQ(SPPD_CreateVideoFrame(nullptr, &set, movie.c_str(), 8), nullptr);
  SPPD_UpdateVideoFrame(nullptr);
}

}  // namespace
