// Text drawing: glyphs laid out by the font code, built into screen quads and submitted
// through the driver's physical polygon call, a frame at a time over the null device, against the
// plain work of writing the same quads' vertices into an array. Reported per 1,000 glyphs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/goal.h"
#include "bench/null_display.h"
#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/prefs.h"
#include "engine/font/font.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/gfx/gfx.h"
#include "tools/writers/b2d_writer.h"

namespace {

constexpr int kLines = 20;
constexpr int kLineLength = 50;  // 1,000 glyphs a pass
constexpr int kGlyphsPerPass = kLines * kLineLength;
constexpr int kPasses = 20;  // a timed job
constexpr float kDepth = 1.0f;
// The driver turns each quad into screen vertices, batches them per texture and draws them at
// the frame's end; the font code finds each glyph and builds its quad. Together they may cost
// this many times the plain writing of the vertices.
constexpr double kTarget = 11.0;

// A font of 95 glyphs (codes 32 to 126) in one 256x64 sheet, cells 8x12.
vnB2D_FILE FontSheet() {
  vnB2D_FILE sheet;
  vnPPM_IMAGE image;
  image.kind = 7;
  image.width = 256;
  image.height = 64;
  image.pixels.assign(256 * 64 * 4, 0xFF);
  sheet.textures.push_back({"glyphs.ppm", 0, image});
  vnB2D_SET set{"Bench", {0, 0}, {}};
  for (int c = 32; c < 127; ++c) {
    const int cell = c - 32, x = (cell % 32) * 8, y = (cell / 32) * 12;
    set.frames.push_back({"c" + std::to_string(c), 0, c, 0, 0, 8, 12, x / 256.0f, y / 64.0f,
                          8 / 256.0f, 12 / 64.0f});
  }
  sheet.sets.push_back(set);
  return sheet;
}

// The engine's memory, a display whose table is bound to the driver's own exports over the
// null device, and a font loaded through them.
struct TextScene {
  vnBENCH_NULLDISPLAY nd;
  SPW_DISPLAY& display = nd.display;
  SPW_DISPLAYNODE node{};
  SPW_FONT* font = nullptr;
  std::vector<std::string> lines;
  bool ok = false;

  TextScene() {
    if (!nd.Open("text", true)) return;
    node.pDisplay = &display;
    const std::string b2d = nd.folder + "/Bench.b2d";
    if (!vnWRITE_B2DFile(b2d, FontSheet())) return;
    font = SPW_LoadFont(b2d.c_str(), "Bench", &display);
    for (int i = 0; i < kLines; ++i) {
      std::string line;
      for (int k = 0; k < kLineLength; ++k) line += static_cast<char>(33 + (i * 7 + k * 13) % 94);
      lines.push_back(line);
    }
    ok = font != nullptr;
  }
  ~TextScene() {
    SPW_FreeFont(font);
    nd.Close({"Bench.b2d", "glyphs.ppm"});
  }

  // One pass: a frame of 1,000 glyphs, drawn at its end (the driver keeps the scene's
  // buffers until then).
  void DrawPass() {
    for (int i = 0; i < kLines; ++i)
      SPW_DrawText(&node, font, lines[i].c_str(), 10, static_cast<float>(10 + 14 * i), kDepth,
                   0xFFFFFFFF);
    SPPD_EndScene(&display);
    SPPD_BeginScene(&display);
  }

  // The same quads' vertices, written plainly: position from the running pen, texture
  // rectangle from the glyph.
  void WritePass(std::vector<SPPD_VERTEX>* out) {
    SPPD_VERTEX* v = out->data();
    for (int i = 0; i < kLines; ++i) {
      float x = 10;
      const float y = static_cast<float>(10 + 14 * i);
      for (char c : lines[i]) {
        const SPW_B2DFRAME& g = font->aGlyphs[static_cast<unsigned char>(c)];
        const float x1 = x + g.nWidth, y1 = y + g.nHeight;
        *v++ = {0, 0xFFFFFFFF, x, y, kDepth, g.u, g.v};
        *v++ = {0, 0xFFFFFFFF, x, y1, kDepth, g.u, g.v + g.dv};
        *v++ = {0, 0xFFFFFFFF, x1, y1, kDepth, g.u + g.du, g.v + g.dv};
        *v++ = {0, 0xFFFFFFFF, x1, y, kDepth, g.u + g.du, g.v};
        x = x1;
      }
    }
    benchmark::DoNotOptimize(out->data());
    benchmark::ClobberMemory();
  }
};

void BM_DrawText1000Glyphs(benchmark::State& state) {
  TextScene scene;
  if (!scene.ok) {
    state.SkipWithError("no null device or font");
    return;
  }
  for (auto _ : state) scene.DrawPass();
  state.SetItemsProcessed(state.iterations() * kGlyphsPerPass);
}
BENCHMARK(BM_DrawText1000Glyphs);

void BM_WriteQuads1000Glyphs(benchmark::State& state) {
  TextScene scene;
  if (!scene.ok) {
    state.SkipWithError("no null device or font");
    return;
  }
  std::vector<SPPD_VERTEX> out(4 * kGlyphsPerPass);
  for (auto _ : state) scene.WritePass(&out);
  state.SetItemsProcessed(state.iterations() * kGlyphsPerPass);
}
BENCHMARK(BM_WriteQuads1000Glyphs);

void Goals() {
  TextScene scene;
  if (!scene.ok) {
    std::printf("no null device or font\n");
    vnBENCH_GoalAtMost("text_glyphs_vs_plain_quads", 1e9, kTarget);
    return;
  }
  std::vector<SPPD_VERTEX> out(4 * kGlyphsPerPass);
  auto draw = [&] {
    for (int p = 0; p < kPasses; ++p) scene.DrawPass();
  };
  auto write = [&] {
    for (int p = 0; p < kPasses; ++p) scene.WritePass(&out);
  };
  const double ratio = vnBENCH_Compare("text, 20 x 1,000 glyphs", draw,
                                       "plain quads, 20 x 1,000 glyphs", write, 30);
  double perThousand = vnBENCH_Seconds(draw) / kPasses * 1e6;
  std::printf("text drawing: %.1f us per 1,000 glyphs\n", perThousand);
  vnBENCH_GoalAtMost("text_glyphs_vs_plain_quads", ratio, kTarget);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, Goals); }
