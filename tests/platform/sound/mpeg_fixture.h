#pragma once
// A minimal MPEG-1 Layer I file: mono at 48 kHz and 32 kbit/s, every frame the same constant
// value in subband 1, which the decoder's synthesis turns into a steady 1125 Hz tone.
#include <cstdint>
#include <vector>

namespace sndtest {

class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
  }
  void padTo(size_t bytes) {
    while (bytes_.size() < bytes) bytes_.push_back(0);
    used_ = bytes_.size() * 8;
  }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t used_ = 0;
};

inline std::vector<uint8_t> LayerOneTone(int frames) {
  constexpr size_t kFrameBytes = 32;  // 12 x 32000 / 48000 slots of 4 bytes
  constexpr int kSubband = 1;
  constexpr uint32_t kAllocation = 3;   // 4-bit samples
  constexpr uint32_t kScaleFactor = 3;  // 1.0
  constexpr uint32_t kSample = 0xC;     // +0.5 before dequantisation
  BitWriter w;
  for (int f = 0; f < frames; ++f) {
    w.put(0xFFF, 12);  // sync
    w.put(1, 1);       // MPEG-1
    w.put(3, 2);       // Layer I
    w.put(1, 1);       // no CRC
    w.put(1, 4);       // 32 kbit/s
    w.put(1, 2);       // 48 kHz
    w.put(0, 2);       // no padding, private bit
    w.put(3, 2);       // single channel
    w.put(0, 6);       // mode extension, copyright, original, emphasis
    for (int sb = 0; sb < 32; ++sb) w.put(sb == kSubband ? kAllocation : 0, 4);
    w.put(kScaleFactor, 6);
    for (int s = 0; s < 12; ++s) w.put(kSample, kAllocation + 1);
    w.padTo(kFrameBytes * static_cast<size_t>(f + 1));
  }
  return w.bytes();
}

}  // namespace sndtest
