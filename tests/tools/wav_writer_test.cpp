#include "tools/writers/wav_writer.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/bytes.h"
#include "platform/sound/wav.h"
#include "tests/support/support.h"

namespace {

TEST(WavWriter, EveryFormatReadsBackSampleForSample) {
  struct Case {
    int32_t channels;
    int32_t bits;
    int32_t rate;
  } cases[] = {{1, 8, 11025}, {1, 16, 22050}, {2, 8, 44100}, {2, 16, 48000}};
  vntest::TempDir dir;
  for (const Case& c : cases) {
    vnWAV_SOUND s;
    s.channels = c.channels;
    s.bits = c.bits;
    s.rate = c.rate;
    // An odd number of 8-bit mono samples makes the data chunk need its pad byte.
    const size_t frames = 101;
    for (size_t i = 0; i < frames * static_cast<size_t>(c.channels); ++i)
      s.samples.push_back(static_cast<int16_t>((i * 977) % 65536 - 32768));
    ASSERT_TRUE(vnWRITE_WavFile(dir.path(), "a/b/round.wav", s)) << c.bits << " " << c.channels;
    FILE* f = std::fopen(dir.file("a/b/round.wav").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    PLAT_WavInfo info;
    ASSERT_TRUE(PLAT_WavReadInfo(f, "round.wav", &info)) << c.bits << " " << c.channels;
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.bits, c.bits);
    EXPECT_EQ(info.rate, c.rate);
    EXPECT_EQ(info.dataBytes, s.samples.size() * static_cast<size_t>(c.bits / 8));
    std::vector<uint8_t> data(info.dataBytes);
    ASSERT_EQ(std::fread(data.data(), 1, data.size(), f), data.size());
    std::fclose(f);
    for (size_t i = 0; i < s.samples.size(); ++i) {
      const int16_t back = c.bits == 8 ? static_cast<int16_t>((data[i] - 128) * 256)
                                       : static_cast<int16_t>(PLAT_LoadLE16(&data[2 * i]));
      const int16_t want = c.bits == 8 ? static_cast<int16_t>((s.samples[i] >> 8) * 256) : s.samples[i];
      ASSERT_EQ(back, want) << c.bits << " bits, " << c.channels << " channels, sample " << i;
    }
  }
}

TEST(WavWriter, RefusesFormatsTheGameCannotRead) {
  vnWAV_SOUND s;
  s.samples = {1, 2, 3};
  s.bits = 24;
  EXPECT_TRUE(vnWRITE_Wav(s).empty());
  s.bits = 16;
  s.channels = 2;  // three samples are not whole stereo frames
  EXPECT_TRUE(vnWRITE_Wav(s).empty());
  s.channels = 3;
  EXPECT_TRUE(vnWRITE_Wav(s).empty());
}

TEST(WavWriter, SynthesisedSoundsAreNotSilent) {
  for (const auto& samples : {vnWRITE_Tone(22050, 0.1f, 440.0f, 10000), vnWRITE_Noise(22050, 0.1f, 10000)}) {
    ASSERT_EQ(samples.size(), 2205u);
    int peak = 0;
    for (int16_t v : samples) peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 5000);
    EXPECT_LE(peak, 10000);
    EXPECT_EQ(samples.front(), 0);  // faded in: no click
  }
}

}  // namespace
