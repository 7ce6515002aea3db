// PPM to TXF conversion throughput, next to a plain memory copy of the same source bytes.
// Both report bytes of source per second; the copy is the ceiling the conversion is read
// against.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/device/device.h"
#include "driver/texture/convert.h"
#include "platform/gfx/gfx.h"
#include "tools/writers/ppm_writer.h"

namespace {

namespace fs = std::filesystem;

struct Fixture {
  Fixture(int kind, uint32_t side, PLAT_GfxTexFormat format) {
    folder = (fs::temp_directory_path() / ("vnbench-texconv-" + std::to_string(kind) + "-" +
                                           std::to_string(static_cast<int>(format))))
                 .string();
    fs::create_directories(folder);
    vnPPM_IMAGE image;
    image.kind = kind;
    image.width = image.height = side;
    image.pixels.resize(static_cast<size_t>(side) * side * (kind == 7 ? 4 : 3));
    for (size_t i = 0; i < image.pixels.size(); ++i)
      image.pixels[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    source = folder + "/src.ppm";
    vnWRITE_PPMFile(source, image);
    bytes = fs::file_size(source);

    SPPD_D3DENTRY dev{};
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
  std::string folder, source;
  uint64_t bytes = 0;
  SPPD_ENUMLISTS lists;
  SPPD_DRIVERSTATE state{};
};

void Convert(benchmark::State& st, int kind, PLAT_GfxTexFormat format) {
  Fixture fx(kind, static_cast<uint32_t>(st.range(0)), format);
  for (auto _ : st) {
    if (SPPD_TexturePrecacheFile(&fx.state, fx.source.c_str(), 0, 1) != 1) {
      st.SkipWithError("conversion failed");
      break;
    }
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * fx.bytes));
}

void BM_ConvertP6To565(benchmark::State& st) { Convert(st, 6, PLAT_GfxTexFormat::R5G6B5); }
void BM_ConvertP7To8888(benchmark::State& st) { Convert(st, 7, PLAT_GfxTexFormat::A8R8G8B8); }

void BM_MemoryCopy(benchmark::State& st) {
  const size_t n = static_cast<size_t>(st.range(0)) * st.range(0) * 3 + 16;
  std::vector<uint8_t> from(n, 0x5A), to(n);
  for (auto _ : st) {
    std::memcpy(to.data(), from.data(), n);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * n));
}

BENCHMARK(BM_MemoryCopy)->Arg(256)->Arg(1024);
BENCHMARK(BM_ConvertP6To565)->Arg(256)->Arg(1024);
BENCHMARK(BM_ConvertP7To8888)->Arg(256)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
