#include "tools/writers/wav_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/math/vecmath.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

constexpr float kFadeSeconds = 0.005f;

void Put16(std::vector<uint8_t>* out, uint32_t v) { PLAT_AppendLE16(*out, static_cast<uint16_t>(v)); }
void Put32(std::vector<uint8_t>* out, uint32_t v) { PLAT_AppendLE32(*out, v); }
void PutTag(std::vector<uint8_t>* out, const char* tag) { out->insert(out->end(), tag, tag + 4); }

// Makes every folder of `relative` below root.
bool MakeFolders(const std::string& root, const std::string& relative) {
  size_t at = 0;
  while ((at = relative.find('/', at)) != std::string::npos) {
    if (!PLAT_MakeDirectory((root + "/" + relative.substr(0, at)).c_str())) return false;
    ++at;
  }
  return true;
}

float Envelope(size_t i, size_t n, int32_t rate) {
  const float fade = kFadeSeconds * static_cast<float>(rate);
  const float edge = static_cast<float>(std::min(i, n - 1 - i));
  return std::min(1.0f, edge / fade);
}

}  // namespace

std::vector<uint8_t> vnWRITE_Wav(const vnWAV_SOUND& s) {
  if ((s.channels != 1 && s.channels != 2) || (s.bits != 8 && s.bits != 16) || s.rate <= 0 ||
      s.samples.size() % static_cast<size_t>(s.channels) != 0) {
    PLAT_Trace("vnWRITE_Wav: cannot write %d channels of %d bits at %d Hz (%zu samples)\n",
               s.channels, s.bits, s.rate, s.samples.size());
    return {};
  }
  const uint32_t bytesPerSample = static_cast<uint32_t>(s.bits / 8);
  const uint32_t dataBytes = static_cast<uint32_t>(s.samples.size()) * bytesPerSample;
  const uint32_t frameBytes = bytesPerSample * static_cast<uint32_t>(s.channels);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes + 1);
  PutTag(&out, "RIFF");
  Put32(&out, 36 + dataBytes + (dataBytes & 1));
  PutTag(&out, "WAVE");
  PutTag(&out, "fmt ");
  Put32(&out, 16);
  Put16(&out, 1);  // PCM
  Put16(&out, static_cast<uint32_t>(s.channels));
  Put32(&out, static_cast<uint32_t>(s.rate));
  Put32(&out, static_cast<uint32_t>(s.rate) * frameBytes);
  Put16(&out, frameBytes);
  Put16(&out, static_cast<uint32_t>(s.bits));
  PutTag(&out, "data");
  Put32(&out, dataBytes);
  for (int16_t v : s.samples) {
    if (s.bits == 8)
      out.push_back(static_cast<uint8_t>((v >> 8) + 128));
    else
      Put16(&out, static_cast<uint16_t>(v));
  }
  if (dataBytes & 1) out.push_back(0);  // chunks are padded to an even length
  return out;
}

bool vnWRITE_WavFile(const std::string& root, const std::string& relative, const vnWAV_SOUND& sound) {
  const std::vector<uint8_t> bytes = vnWRITE_Wav(sound);
  if (bytes.empty()) return false;
  const std::string path = root + "/" + relative;
  // Content is made once by a tool: a plain write, without the atomic store's sync per file.
  PLAT_FileHandle f(MakeFolders(root, relative) ? PLAT_FOpen(path.c_str(), "wb") : nullptr);
  const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() &&
                  std::fflush(f.get()) == 0;
  if (!ok) PLAT_Trace("vnWRITE_WavFile: cannot write %s\n", path.c_str());
  return ok;
}

std::vector<int16_t> vnWRITE_Tone(int32_t rate, float seconds, float hz, int32_t amplitude) {
  const size_t n = static_cast<size_t>(std::max(1.0f, seconds * static_cast<float>(rate)));
  std::vector<int16_t> out(n);
  for (size_t i = 0; i < n; ++i) {
    const float phase = 2.0f * SPW_PI * hz * static_cast<float>(i) / static_cast<float>(rate);
    out[i] = static_cast<int16_t>(static_cast<float>(amplitude) * Envelope(i, n, rate) * std::sin(phase));
  }
  return out;
}

std::vector<int16_t> vnWRITE_Noise(int32_t rate, float seconds, int32_t amplitude) {
  const size_t n = static_cast<size_t>(std::max(1.0f, seconds * static_cast<float>(rate)));
  std::vector<int16_t> out(n);
  for (size_t i = 0; i < n; ++i) {
    const float decay = 1.0f - static_cast<float>(i) / static_cast<float>(n);
    const float r = 2.0f * static_cast<float>(PLAT_Rand()) / PLAT_RAND_MAX - 1.0f;
    out[i] = static_cast<int16_t>(static_cast<float>(amplitude) * Envelope(i, n, rate) * decay * r);
  }
  return out;
}
