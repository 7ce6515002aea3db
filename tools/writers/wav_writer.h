#pragma once
// Writes PCM WAV files (8-bit unsigned or 16-bit signed, mono or stereo) and makes the short
// synthetic sounds that test content plays.
#include <cstdint>
#include <string>
#include <vector>

struct vnWAV_SOUND {
  int32_t channels = 1;  // 1 or 2
  int32_t rate = 22050;
  int32_t bits = 16;     // 8 or 16
  std::vector<int16_t> samples;  // interleaved; 8-bit files keep the top byte of each
};

// The file's bytes; empty (with a trace) for a format the game cannot read or samples that are
// not a whole number of frames.
std::vector<uint8_t> vnWRITE_Wav(const vnWAV_SOUND& sound);
// Writes the file, making the folders of a path under `root` ("sound/a/b.wav").
bool vnWRITE_WavFile(const std::string& root, const std::string& relative, const vnWAV_SOUND& sound);

// Mono sounds: a sine tone with a short fade at both ends (no clicks), and a noise burst that
// decays, both at `amplitude` (0..32767) and from the platform's random numbers for noise.
std::vector<int16_t> vnWRITE_Tone(int32_t rate, float seconds, float hz, int32_t amplitude);
std::vector<int16_t> vnWRITE_Noise(int32_t rate, float seconds, int32_t amplitude);
