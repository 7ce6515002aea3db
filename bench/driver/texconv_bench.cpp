// PPM to TXF conversion: the driver's whole job (read the PPM, convert, write the TXF) against
// the same job written plainly here, and the driver's packing alone against a memcpy of the
// same source bytes. Files live on tmpfs, so both jobs pay the same file costs and no disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "driver/device/device.h"
#include "driver/texture/convert.h"
#include "driver/texture/ppm.h"
#include "engine/driver/sppd.h"
#include "platform/gfx/gfx.h"
#include "tools/writers/ppm_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSide = 1024;
constexpr int kReps = 41;

// Files in memory (tmpfs) where the machine has it: a disk's write-back would decide the ratio.
fs::path MemoryFolder() {
  std::error_code ec;
  return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

struct Fixture {
  Fixture(int kind, PLAT_GfxTexFormat format) : kind(kind) {
    folder = (MemoryFolder() / ("vnbench-texconv-" + std::to_string(kind) + "-" +
                                std::to_string(static_cast<int>(format))))
                 .string();
    fs::create_directories(folder);
    vnPPM_IMAGE image;
    image.kind = kind;
    image.width = image.height = kSide;
    image.pixels.resize(static_cast<size_t>(kSide) * kSide * (kind == 7 ? 4 : 3));
    for (size_t i = 0; i < image.pixels.size(); ++i)
      image.pixels[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    source = folder + "/src.ppm";
    vnWRITE_PPMFile(source, image);
    driverOut = SPPD_TextureCachePathFor(source.c_str());
    plainOut = folder + "/plain.txf";

    SPPD_DEVICEENTRY dev{};
    dev.desc.guid = PLAT_GfxHardwareDeviceGuid();
    lists.devices.push_back(dev);
    lists.chosenDevice = 0;
    // Only the chosen format and its partner, as the device code lists them.
    for (PLAT_GfxTexFormat f : {format, PLAT_GfxTexFormat::A4R4G4B4}) {
      SPPD_TEXFORMATENTRY e{};
      e.format = PLAT_GfxFormatRecord(f);
      auto bits = [](uint32_t m) { int n = 0; for (; m; m &= m - 1) ++n; return n; };
      e.rBits = bits(e.format.rMask);
      e.gBits = bits(e.format.gMask);
      e.bBits = bits(e.format.bMask);
      e.aBits = bits(e.format.aMask);
      lists.texFormats.push_back(e);
    }
    state.pLists = &lists;
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  bool DriverJob() { return SPPD_TexturePrecacheFile(&state, source.c_str(), 0, 1) == 1; }

  // What a plain program does: read the header and the pixels, pack 565 or 8888 with one
  // store per pixel, write the header and the pixels.
  bool PlainJob() {
    FILE* in = std::fopen(source.c_str(), "rb");
    if (!in) return false;
    unsigned w = 0, h = 0, maxval = 0;
    int k = 0;
    bool ok = std::fscanf(in, "P%d %u %u %u", &k, &w, &h, &maxval) == 4 && std::fgetc(in) != EOF;
    const size_t count = static_cast<size_t>(w) * h;
    const size_t channels = k == 7 ? 4 : 3, bpp = k == 7 ? 4 : 2;
    std::unique_ptr<uint8_t[]> src(new uint8_t[count * channels]);
    std::unique_ptr<uint8_t[]> packed(new uint8_t[count * bpp]);
    ok = ok && std::fread(src.get(), 1, count * channels, in) == count * channels;
    std::fclose(in);
    if (!ok) return false;
    const uint8_t* s = src.get();
    if (k == 7) {
      auto* out = reinterpret_cast<uint32_t*>(packed.get());
      for (size_t i = 0; i < count; ++i, s += 4)
        out[i] = uint32_t{s[3]} << 24 | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
    } else {
      auto* out = reinterpret_cast<uint16_t*>(packed.get());
      for (size_t i = 0; i < count; ++i, s += 3)
        out[i] = static_cast<uint16_t>((s[0] >> 3) << 11 | (s[1] >> 2) << 5 | s[2] >> 3);
    }
    uint8_t header[SPPD_TXF_HEADER_SIZE];
    SPPD_TxfEncodeHeader(HeaderFor(w, h, bpp), header);
    FILE* out = std::fopen(plainOut.c_str(), "wb");
    if (!out) return false;
    ok = std::fwrite(header, 1, sizeof header, out) == sizeof header &&
         std::fwrite(packed.get(), 1, count * bpp, out) == count * bpp;
    return std::fclose(out) == 0 && ok;
  }

  SPPD_TXFHEADER HeaderFor(uint32_t w, uint32_t h, size_t bpp) const {
    SPPD_TXFHEADER t{};
    t.headerSize = SPPD_TXF_HEADER_SIZE;
    t.width = w;
    t.height = h;
    t.bytesPerPixel = static_cast<uint32_t>(bpp);
    const SPPD_TEXFORMATENTRY& f = lists.texFormats[0];
    t.alphaBits = static_cast<uint8_t>(f.aBits);
    t.redBits = static_cast<uint8_t>(f.rBits);
    t.greenBits = static_cast<uint8_t>(f.gBits);
    t.blueBits = static_cast<uint8_t>(f.bBits);
    SPPD_PixelFormatToBytes(f.format, t.pixelFormat);
    t.driverGuid = SPPD_GUID;
    t.deviceGuid = lists.devices[0].desc.guid;
    t.totalSize = static_cast<uint32_t>(SPPD_TxfExpectedSize(t));
    return t;
  }

  int kind;
  std::string folder, source, driverOut, plainOut;
  SPPD_ENUMLISTS lists;
  SPPD_DRIVERSTATE state{};
};

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return bytes;
}

// Both jobs must write the same file, or the comparison means nothing.
bool SameOutput(Fixture& fx) {
  return fx.DriverJob() && fx.PlainJob() && FileBytes(fx.driverOut) == FileBytes(fx.plainOut);
}

double JobRatio(int kind, PLAT_GfxTexFormat format, const char* what) {
  Fixture fx(kind, format);
  if (!SameOutput(fx)) {
    std::printf("%s: the driver's file differs from the plain job's\n", what);
    return 1e9;
  }
  const std::string driver = std::string(what) + " driver job";
  const std::string plain = std::string(what) + " plain job";
  return vnBENCH_Compare(
      driver.c_str(), [&] { benchmark::DoNotOptimize(fx.DriverJob()); }, plain.c_str(),
      [&] { benchmark::DoNotOptimize(fx.PlainJob()); }, kReps);
}

// Throughput of the packing as a share of memcpy's over the same source bytes.
double PackShare(int kind, PLAT_GfxTexFormat format, const char* what) {
  Fixture fx(kind, format);
  SPPD_PPMIMAGE image;
  if (SPPD_ReadPPMFile(fx.source.c_str(), &image) != kind) return 0;
  const SPPD_TEXFORMATENTRY& f = fx.lists.texFormats[0];
  std::vector<uint8_t> copy(image.pixels.size());
  SPPD_TEXIMAGE packed;
  const std::string pack = std::string(what) + " packing";
  const std::string memcpyLabel = std::string(what) + " memcpy of the source";
  const double packOverCopy = vnBENCH_Compare(
      pack.c_str(),
      [&] {
        SPPD_TexturePack(image, f, &packed);
        benchmark::DoNotOptimize(packed.pixels.data());
      },
      memcpyLabel.c_str(),
      [&] {
        std::memcpy(copy.data(), image.pixels.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
      },
      kReps * 4);
  return packOverCopy > 0 ? 1 / packOverCopy : 0;
}

void BM_Convert(benchmark::State& st, int kind, PLAT_GfxTexFormat format) {
  Fixture fx(kind, format);
  for (auto _ : st)
    if (!fx.DriverJob()) {
      st.SkipWithError("conversion failed");
      break;
    }
}
BENCHMARK_CAPTURE(BM_Convert, P6To565, 6, PLAT_GfxTexFormat::R5G6B5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, P7To8888, 7, PLAT_GfxTexFormat::A8R8G8B8)
    ->Unit(benchmark::kMillisecond);

void PrintGoals() {
  const double job565 = JobRatio(6, PLAT_GfxTexFormat::R5G6B5, "P6 to 565");
  const double job8888 = JobRatio(7, PLAT_GfxTexFormat::A8R8G8B8, "P7 to 8888");
  const double pack565 = PackShare(6, PLAT_GfxTexFormat::R5G6B5, "P6 to 565");
  const double pack8888 = PackShare(7, PLAT_GfxTexFormat::A8R8G8B8, "P7 to 8888");
  vnBENCH_GoalAtMost("texconv_565_vs_plain", job565, 1.25);
  vnBENCH_GoalAtMost("texconv_8888_vs_plain", job8888, 1.25);
  vnBENCH_GoalAtLeast("pack_565_vs_memcpy", pack565, 0.10);
  vnBENCH_GoalAtLeast("pack_8888_vs_memcpy", pack8888, 0.10);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
