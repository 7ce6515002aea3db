#include "platform/sound/sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/bytes.h"
#include "platform/sound/wav.h"
#include "tests/platform/sound/mpeg_fixture.h"
#include "tests/support/support.h"
#include "tools/writers/movie_writer.h"
#include "tools/writers/wav_writer.h"

namespace {

constexpr int32_t kRate = 44100;
// The mixer glides to a new gain over a few hundred frames and dithers its 16-bit output by
// about one step: levels are read once it has settled and silence is a level below a few steps.
constexpr size_t kSettled = 1500;
constexpr double kSilence = 5.0;

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

vnWAV_SOUND Tone(float seconds, float hz = 440.0f, int32_t channels = 1) {
  vnWAV_SOUND s;
  s.rate = 22050;
  s.channels = channels;
  std::vector<int16_t> mono = vnWRITE_Tone(s.rate, seconds, hz, 16000);
  for (int16_t v : mono)
    for (int c = 0; c < channels; ++c) s.samples.push_back(v);
  return s;
}

struct Mix {
  std::vector<int16_t> pcm;
  double rms(int channel, size_t from = 0) const {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from * 2 + static_cast<size_t>(channel); i < pcm.size(); i += 2, ++n)
      sum += double(pcm[i]) * pcm[i];
    return n ? std::sqrt(sum / double(n)) : 0.0;
  }
  double level(size_t from = 0) const { return rms(0, from) + rms(1, from); }
};

Mix MixSeconds(float seconds) {
  Mix m;
  const int32_t frames = static_cast<int32_t>(seconds * kRate);
  m.pcm.resize(static_cast<size_t>(frames) * 2);
  EXPECT_TRUE(PLAT_SoundMix(m.pcm.data(), frames));
  return m;
}

class SoundLayer : public ::testing::Test {
 protected:
  void Start(int32_t channels = 8, PLAT_SoundOutput output = PLAT_SoundOutput::Manual) {
    ASSERT_TRUE(PLAT_SoundSetOutput(output));
    ASSERT_TRUE(PLAT_SoundInit(kRate, channels));
  }
  void TearDown() override {
    PLAT_SoundClose();
    PLAT_SoundSetOutput(PLAT_SoundOutput::Auto);
  }
  PLAT_Sample* Load(const std::string& name, const vnWAV_SOUND& s, uint32_t mode) {
    dir_.write(name, Bytes(vnWRITE_Wav(s)));
    return PLAT_SoundLoadWav(dir_.file(name).c_str(), mode);
  }
  vntest::TempDir dir_;
};

// Header fields of the writer's 44-byte file: patch them to make each fault.
void Put16(std::string* b, size_t at, uint16_t v) {
  PLAT_StoreLE16(reinterpret_cast<uint8_t*>(b->data() + at), v);
}
void Put32(std::string* b, size_t at, uint32_t v) {
  PLAT_StoreLE32(reinterpret_cast<uint8_t*>(b->data() + at), v);
}

TEST(WavReader, RefusesEveryMalformedFile) {
  const std::string good = Bytes(vnWRITE_Wav(Tone(0.01f)));
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::vector<Case> cases;
  auto patched = [&](const char* name, auto edit) {
    std::string b = good;
    edit(&b);
    cases.push_back({name, b});
  };
  cases.push_back({"empty", ""});
  cases.push_back({"short header", good.substr(0, 10)});
  patched("not RIFF", [](std::string* b) { (*b)[0] = 'X'; });
  patched("not WAVE", [](std::string* b) { (*b)[8] = 'X'; });
  patched("not PCM", [](std::string* b) { Put16(b, 20, 3); });
  patched("three channels", [](std::string* b) { Put16(b, 22, 3); });
  patched("24 bits", [](std::string* b) { Put16(b, 34, 24); });
  patched("rate 0", [](std::string* b) { Put32(b, 24, 0); });
  patched("block size wrong", [](std::string* b) { Put16(b, 32, 4); });
  patched("format chunk short", [](std::string* b) { Put32(b, 16, 8); });
  patched("data past the end", [](std::string* b) { Put32(b, 40, uint32_t(b->size())); });
  patched("data not whole frames", [](std::string* b) { Put32(b, 40, 3); });
  patched("data chunk huge", [](std::string* b) { Put32(b, 40, 0xfffffff0u); });
  patched("no data chunk", [](std::string* b) { (*b)[36] = 'X'; });
  patched("data before format", [](std::string* b) { b->replace(12, 4, "junk"); });
  patched("format chunk size past the end", [](std::string* b) { Put32(b, 16, 0x7fffffffu); });
  vntest::TempDir dir;
  vntest::TraceCapture trace;
  for (const Case& c : cases) {
    const std::string path = dir.write("bad.wav", c.bytes);
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    PLAT_WavInfo info;
    EXPECT_FALSE(PLAT_WavReadInfo(f, "bad.wav", &info)) << c.name;
    std::fclose(f);
  }
  EXPECT_TRUE(trace.contains("bad.wav"));
}

TEST(WavReader, SkipsOtherChunksWithTheirPadding) {
  std::string b = Bytes(vnWRITE_Wav(Tone(0.01f)));
  // An odd-sized chunk between format and data, padded to even as RIFF wants.
  b.insert(36, std::string("LIST\x03\0\0\0abc\0", 12));
  Put32(&b, 4, uint32_t(b.size() - 8));
  vntest::TempDir dir;
  const std::string path = dir.write("list.wav", b);
  FILE* f = std::fopen(path.c_str(), "rb");
  PLAT_WavInfo info;
  ASSERT_TRUE(PLAT_WavReadInfo(f, "list.wav", &info));
  std::fclose(f);
  EXPECT_EQ(info.dataOffset, 56u);
  EXPECT_EQ(info.rate, 22050);
  EXPECT_EQ(info.frameBytes, 2);
}

TEST_F(SoundLayer, LoadingFindsFilesWithoutRegardToCaseAndNamesItsFailures) {
  Start();
  dir_.write("Sound/Effects/Tone.wav", Bytes(vnWRITE_Wav(Tone(0.05f))));
  EXPECT_NE(PLAT_SoundLoadWav(dir_.file("SOUND/effects/TONE.WAV").c_str(), PLAT_SOUND_2D), nullptr);
  EXPECT_EQ(PLAT_SoundLoadWav(dir_.file("missing.wav").c_str(), PLAT_SOUND_2D), nullptr);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_FILE_NOT_FOUND);
  dir_.write("text.wav", "not a sound at all");
  EXPECT_EQ(PLAT_SoundLoadWav(dir_.file("text.wav").c_str(), PLAT_SOUND_2D), nullptr);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_FILE_FORMAT);
}

TEST_F(SoundLayer, APlayedSoundIsHeardUntilItsEndAndItsHandleThenGoesStale) {
  Start();
  PLAT_Sample* s = Load("tone.wav", Tone(0.05f), PLAT_SOUND_2D);
  ASSERT_NE(s, nullptr);
  const int32_t h = PLAT_SoundPlay(PLAT_SOUND_FREE, s, 22050, 255, PLAT_SOUND_PAN_CENTRE);
  ASSERT_GE(h, 0);
  Mix during = MixSeconds(0.02f);
  EXPECT_GT(during.rms(0), 1000.0);
  EXPECT_NEAR(during.rms(0), during.rms(1), during.rms(0) * 0.05);  // centred
  EXPECT_TRUE(PLAT_SoundIsPlaying(h));
  Mix after = MixSeconds(0.1f);
  EXPECT_FALSE(PLAT_SoundIsPlaying(h));
  EXPECT_LT(after.level(static_cast<size_t>(0.05f * kRate)), kSilence);
}

TEST_F(SoundLayer, HandlesCarryTheChannelIndexAndNeverReachTheChannelsNextSound) {
  Start();
  PLAT_Sample* s = Load("tone.wav", Tone(0.5f), PLAT_SOUND_2D);
  const int32_t first = PLAT_SoundPlay(3, s, 22050, 255, PLAT_SOUND_PAN_CENTRE);
  ASSERT_GE(first, 0);
  EXPECT_EQ(first & PLAT_SOUND_INDEX_MASK, 3);
  const int32_t second = PLAT_SoundPlay(3, s, 22050, 255, PLAT_SOUND_PAN_CENTRE);
  EXPECT_EQ(second & PLAT_SOUND_INDEX_MASK, 3);
  EXPECT_NE(first, second);
  EXPECT_FALSE(PLAT_SoundIsPlaying(first));
  EXPECT_FALSE(PLAT_SoundStop(first));
  EXPECT_FALSE(PLAT_SoundSetVolume(first, 10));
  EXPECT_TRUE(PLAT_SoundIsPlaying(second));
  EXPECT_EQ(PLAT_SoundGetVolume(second), 255);
  EXPECT_TRUE(PLAT_SoundStop(second));
  EXPECT_FALSE(PLAT_SoundIsPlaying(second));
  EXPECT_EQ(PLAT_SoundPlay(8, s, 22050, 255, PLAT_SOUND_PAN_CENTRE), -1);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_INVALID_PARAM);
}

TEST_F(SoundLayer, WithEveryChannelBusyTheLowestPriorityNotAboveTheNewOneGivesWay) {
  Start(2);
  PLAT_Sample* high = Load("high.wav", Tone(0.5f), PLAT_SOUND_2D | PLAT_SOUND_LOOP);
  PLAT_Sample* low = Load("low.wav", Tone(0.5f), PLAT_SOUND_2D | PLAT_SOUND_LOOP);
  PLAT_Sample* mid = Load("mid.wav", Tone(0.5f), PLAT_SOUND_2D);
  PLAT_Sample* least = Load("least.wav", Tone(0.5f), PLAT_SOUND_2D);
  auto setPriority = [](PLAT_Sample* s, int32_t p) {
    PLAT_SampleDefaults d;
    ASSERT_TRUE(PLAT_SoundGetDefaults(s, &d));
    d.priority = p;
    ASSERT_TRUE(PLAT_SoundSetDefaults(s, d));
  };
  setPriority(high, 100);
  setPriority(low, 50);
  setPriority(mid, 60);
  setPriority(least, 10);
  const int32_t h = PLAT_SoundPlay(PLAT_SOUND_FREE, high, 22050, 255, 128);
  const int32_t l = PLAT_SoundPlay(PLAT_SOUND_FREE, low, 22050, 255, 128);
  const int32_t m = PLAT_SoundPlay(PLAT_SOUND_FREE, mid, 22050, 255, 128);
  ASSERT_GE(m, 0);
  EXPECT_EQ(m & PLAT_SOUND_INDEX_MASK, l & PLAT_SOUND_INDEX_MASK);
  EXPECT_FALSE(PLAT_SoundIsPlaying(l));
  EXPECT_TRUE(PLAT_SoundIsPlaying(h));
  EXPECT_EQ(PLAT_SoundPlay(PLAT_SOUND_FREE, least, 22050, 255, 128), -1);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_CHANNEL_ALLOC);
}

TEST_F(SoundLayer, ThreeDSoundsFollowTheListenerAndFadeWithDistance) {
  Start();
  PLAT_SoundSetRolloff(1.0f);
  PLAT_Sample* s = Load("hum.wav", Tone(0.5f), PLAT_SOUND_3D | PLAT_SOUND_LOOP);
  ASSERT_TRUE(PLAT_SoundSetMinMaxDistance(s, 1.0f, 1.0e9f));
  const float pos[3] = {5.0f, 0.0f, 0.0f}, still[3] = {0, 0, 0};
  const float forward[3] = {0, 0, -1}, up[3] = {0, 1, 0};
  const int32_t h = PLAT_SoundPlay3D(PLAT_SOUND_FREE, s, 22050, 255, pos, still);
  ASSERT_GE(h, 0);
  const float origin[3] = {0, 0, 0};
  PLAT_SoundSetListener(origin, still, forward, up);
  Mix right = MixSeconds(0.1f);
  EXPECT_GT(right.rms(1, 2000), 2.0 * right.rms(0, 2000));
  const float beyond[3] = {10.0f, 0.0f, 0.0f};
  PLAT_SoundSetListener(beyond, still, forward, up);
  Mix left = MixSeconds(0.1f);
  EXPECT_GT(left.rms(0, 2000), 2.0 * left.rms(1, 2000));
  // Distance 5 against distance 20: 1 / (1 + 4) against 1 / (1 + 19).
  const float far[3] = {20.0f, 0.0f, 0.0f};
  ASSERT_TRUE(PLAT_SoundSet3DAttributes(h, far, still));
  PLAT_SoundSetListener(origin, still, forward, up);
  Mix farMix = MixSeconds(0.1f);
  EXPECT_NEAR(farMix.level(2000) / right.level(2000), 5.0 / 20.0, 0.05);
}

TEST_F(SoundLayer, ChannelAndMasterVolumesScaleTheMix) {
  Start();
  PLAT_Sample* s = Load("loop.wav", Tone(0.5f), PLAT_SOUND_2D | PLAT_SOUND_LOOP);
  const int32_t h = PLAT_SoundPlay(PLAT_SOUND_FREE, s, 22050, 255, PLAT_SOUND_PAN_CENTRE);
  const double full = MixSeconds(0.05f).level(kSettled);
  ASSERT_TRUE(PLAT_SoundSetVolume(h, 64));
  const double quarter = MixSeconds(0.05f).level(kSettled);
  EXPECT_NEAR(quarter / full, 64.0 / 255.0, 0.03);
  PLAT_SoundSetMasterVolume(0);
  EXPECT_LT(MixSeconds(0.05f).level(kSettled), kSilence);
  PLAT_SoundSetMasterVolume(255);
  EXPECT_NEAR(MixSeconds(0.05f).level(kSettled) / full, 64.0 / 255.0, 0.03);
}

TEST_F(SoundLayer, StreamsLoopOrEndAndCloseWithTheirChannel) {
  Start();
  dir_.write("Music/Short.wav", Bytes(vnWRITE_Wav(Tone(0.1f, 300.0f, 2))));
  PLAT_Stream* loop = PLAT_SoundOpenStream(dir_.file("music/short.WAV").c_str(),
                                           PLAT_SOUND_2D | PLAT_SOUND_LOOP, PLAT_StreamType::Wav);
  PLAT_Stream* once = PLAT_SoundOpenStream(dir_.file("Music/Short.wav").c_str(), PLAT_SOUND_2D,
                                           PLAT_StreamType::Wav);
  ASSERT_NE(loop, nullptr);
  ASSERT_NE(once, nullptr);
  const int32_t hl = PLAT_SoundPlayStream(PLAT_SOUND_FREE, loop, 255);
  const int32_t ho = PLAT_SoundPlayStream(PLAT_SOUND_FREE, once, 255);
  ASSERT_GE(hl, 0);
  ASSERT_GE(ho, 0);
  MixSeconds(0.6f);
  EXPECT_TRUE(PLAT_SoundIsPlaying(hl));
  EXPECT_FALSE(PLAT_SoundIsPlaying(ho));
  ASSERT_TRUE(PLAT_SoundStopStream(once));
  // Only the looping stream is left, still sounding six lengths in.
  EXPECT_GT(MixSeconds(0.1f).level(), 1000.0);
  PLAT_SoundCloseStream(loop);
  EXPECT_FALSE(PLAT_SoundIsPlaying(hl));
  EXPECT_LT(MixSeconds(0.05f).level(kSettled), kSilence);
}

TEST_F(SoundLayer, MpegStreamsAreDecoded) {
  Start();
  std::vector<uint8_t> mpeg = sndtest::LayerOneTone(40);
  dir_.write("tone.mp2", Bytes(mpeg));
  PLAT_Stream* s = PLAT_SoundOpenStream(dir_.file("tone.mp2").c_str(), PLAT_SOUND_2D | PLAT_SOUND_LOOP,
                                        PLAT_StreamType::Mpeg);
  ASSERT_NE(s, nullptr);
  const int32_t h = PLAT_SoundPlayStream(PLAT_SOUND_FREE, s, 255);
  ASSERT_GE(h, 0);
  Mix m = MixSeconds(0.5f);
  EXPECT_GT(m.level(2000), 500.0);
  EXPECT_TRUE(PLAT_SoundIsPlaying(h));
  dir_.write("text.mp3", std::string(400, 'x'));
  EXPECT_EQ(PLAT_SoundOpenStream(dir_.file("text.mp3").c_str(), PLAT_SOUND_2D, PLAT_StreamType::Mpeg), nullptr);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_FILE_FORMAT);
}

TEST_F(SoundLayer, MovieSoundTracksStreamAndLoop) {
  Start();
  vnMOVIE_DESC movie = vnMOVIE_FlatColours(16, 16, 10, {0xFF000000, 0xFFFFFFFF});
  movie.soundRate = 22050;
  movie.sound = vnWRITE_Tone(movie.soundRate, 0.2f, 440.0f, 16000);
  ASSERT_TRUE(vnWRITE_Movie(dir_.file("clip.avi"), movie));
  PLAT_Stream* s = PLAT_SoundOpenStream(dir_.file("CLIP.AVI").c_str(), PLAT_SOUND_2D | PLAT_SOUND_LOOP,
                                        PLAT_StreamType::Movie);
  ASSERT_NE(s, nullptr);
  const int32_t h = PLAT_SoundPlayStream(PLAT_SOUND_FREE, s, 255);
  ASSERT_GE(h, 0);
  // Twice the track's length: it starts over.
  Mix m = MixSeconds(0.4f);
  EXPECT_GT(m.level(2000), 500.0);
  EXPECT_GT(m.level(static_cast<size_t>(0.3f * kRate)), 500.0);
  PLAT_SoundCloseStream(s);
  movie.sound.clear();
  ASSERT_TRUE(vnWRITE_Movie(dir_.file("silent.avi"), movie));
  EXPECT_EQ(PLAT_SoundOpenStream(dir_.file("silent.avi").c_str(), PLAT_SOUND_2D, PLAT_StreamType::Movie), nullptr);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_FILE_FORMAT);
  EXPECT_EQ(PLAT_SoundOpenStream(dir_.file("none.avi").c_str(), PLAT_SOUND_2D, PLAT_StreamType::Movie), nullptr);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_FILE_NOT_FOUND);
}

TEST_F(SoundLayer, TheNullOutputPlaysSoundsForTheirLengthInRealTime) {
  Start(8, PLAT_SoundOutput::Null);
  EXPECT_EQ(PLAT_SoundGetOutput(), PLAT_SoundOutput::Null);
  PLAT_Sample* s = Load("tone.wav", Tone(0.05f), PLAT_SOUND_2D);
  const int32_t h = PLAT_SoundPlay(PLAT_SOUND_FREE, s, 22050, 255, PLAT_SOUND_PAN_CENTRE);
  ASSERT_GE(h, 0);
  EXPECT_TRUE(PLAT_SoundIsPlaying(h));
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (PLAT_SoundIsPlaying(h) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(PLAT_SoundIsPlaying(h));
}

TEST_F(SoundLayer, HeadlessRunsTakeTheNullOutput) {
  // The test environment sets VANTORIA_HEADLESS=1.
  Start(8, PLAT_SoundOutput::Auto);
  EXPECT_EQ(PLAT_SoundGetOutput(), PLAT_SoundOutput::Null);
}

TEST_F(SoundLayer, SetUpIsRefusedOnceStartedAndUnknownDevicesAreRefused) {
  EXPECT_FALSE(PLAT_SoundSetDriver(PLAT_SoundGetNumDrivers()));
  EXPECT_FALSE(PLAT_SoundSetDriver(-1));
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_INVALID_PARAM);
  Start();
  EXPECT_FALSE(PLAT_SoundSetOutput(PLAT_SoundOutput::Null));
  EXPECT_FALSE(PLAT_SoundInit(kRate, 8));
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_STARTED);
  PLAT_SoundClose();
  EXPECT_EQ(PLAT_SoundPlay(PLAT_SOUND_FREE, nullptr, 22050, 255, 128), -1);
  EXPECT_EQ(PLAT_SoundGetError(), PLAT_SOUND_ERR_NOT_STARTED);
}

}  // namespace
