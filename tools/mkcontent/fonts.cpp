// Font sets rasterised with FreeType from the DejaVu faces of the fonts-dejavu-core package.
// Every glyph is a cell as wide as the character's advance and as high as the font's line, so
// that text laid out by glyph widths spaces as the face intends; the ink is white, its alpha
// the coverage, and the text colour comes from the vertices.
#include "tools/mkcontent/fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/b2d_writer.h"

namespace {

constexpr const char kFaceFolder[] = "/usr/share/fonts/truetype/dejavu/";

struct FontSpec {
  const char* set;    // the set name the root task asks for
  const char* image;  // the glyph sheet, beside the B2D file
  const char* face;
  int pixels;         // the face's pixel size
  bool oblique;       // slanted by FreeType where the package has no such face
};

// The root task's eleven fonts, in its slot order, by file.
constexpr FontSpec kFontsB2D[] = {
    {"SmallNumbers", "smallnumbers.ppm", "DejaVuSans.ttf", 9, false},
    {"BigNumbers", "bignumbers.ppm", "DejaVuSans-Bold.ttf", 20, false},
    {"Font1", "font1.ppm", "DejaVuSans.ttf", 11, false},
    {"Font2", "font2.ppm", "DejaVuSans.ttf", 13, false},
    {"Font3", "font3.ppm", "DejaVuSans-Bold.ttf", 13, false},
    {"Font4", "font4.ppm", "DejaVuSans.ttf", 16, false},
};
constexpr FontSpec kFontB2D[] = {
    {"FrontEnd", "frontend.ppm", "DejaVuSans-Bold.ttf", 16, false},
    {"ToolTips", "tooltips.ppm", "DejaVuSans.ttf", 10, false},
    {"text blocks", "textblocks.ppm", "DejaVuSans.ttf", 12, false},
    {"BigItalicFont", "bigitalic.ppm", "DejaVuSans-Bold.ttf", 22, true},
    {"Verdana20PT", "verdana20pt.ppm", "DejaVuSans.ttf", 20, false},
};

// The codes the game's texts use: printable ASCII and the Latin-1 letters of the four
// languages (DejaVu maps them at the same code points).
std::vector<int> Codes() {
  std::vector<int> codes;
  for (int c = 32; c < 127; ++c) codes.push_back(c);
  for (int c = 160; c < 256; ++c) codes.push_back(c);
  return codes;
}

struct LibraryCloser {
  void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using Face = std::unique_ptr<FT_FaceRec_, FaceCloser>;

// One rendered glyph in its cell.
struct Cell {
  int code;
  int width;                  // the advance
  std::vector<uint8_t> alpha;  // width x line height
};

bool RenderCells(FT_Library lib, const FontSpec& spec, std::vector<Cell>* cells, int* line) {
  const std::string path = std::string(kFaceFolder) + spec.face;
  FT_Face raw = nullptr;
  if (FT_New_Face(lib, path.c_str(), 0, &raw) != 0) {
    PLAT_Trace("mkcontent: cannot open the face %s (package fonts-dejavu-core)\n", path.c_str());
    return false;
  }
  Face face(raw);
  if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(spec.pixels)) != 0) return false;
  if (spec.oblique) {
    FT_Matrix slant{0x10000, 0x3800, 0, 0x10000};  // x += 0.22 y
    FT_Set_Transform(face.get(), &slant, nullptr);
  }
  const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
  const int descender = static_cast<int>(-face->size->metrics.descender >> 6);
  *line = ascender + descender;
  for (int code : Codes()) {
    if (FT_Load_Char(face.get(), static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) {
      PLAT_Trace("mkcontent: %s has no glyph for code %d\n", spec.face, code);
      return false;
    }
    const FT_GlyphSlot g = face->glyph;
    Cell cell{code, std::max(1, static_cast<int>((g->advance.x + 32) >> 6)), {}};
    cell.alpha.assign(static_cast<size_t>(cell.width) * *line, 0);
    const FT_Bitmap& bm = g->bitmap;
    for (int y = 0; y < static_cast<int>(bm.rows); ++y) {
      const int cy = ascender - g->bitmap_top + y;
      if (cy < 0 || cy >= *line) continue;
      for (int x = 0; x < static_cast<int>(bm.width); ++x) {
        const int cx = g->bitmap_left + x;
        if (cx < 0 || cx >= cell.width) continue;
        cell.alpha[static_cast<size_t>(cy) * cell.width + cx] = bm.buffer[y * bm.pitch + x];
      }
    }
    cells->push_back(std::move(cell));
  }
  return true;
}

// Packs the cells in rows (a clear pixel between neighbours) into a sheet of power-of-two
// size, and cuts the set's frames from it.
vnB2D_TEXTURE PackSet(const FontSpec& spec, int32_t number, const std::vector<Cell>& cells,
                      int line, vnB2D_SET* set) {
  const uint32_t width = line > 14 ? 512 : 256;
  std::vector<std::pair<int, int>> at;
  int x = 0, y = 0;
  for (const Cell& c : cells) {
    if (x + c.width > static_cast<int>(width)) {
      x = 0;
      y += line + 1;
    }
    at.push_back({x, y});
    x += c.width + 1;
  }
  uint32_t height = 16;
  while (height < static_cast<uint32_t>(y + line)) height *= 2;

  vnB2D_TEXTURE texture{spec.image, number, {}};
  vnPPM_IMAGE& image = texture.image;
  image.kind = 7;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
  for (size_t i = 0; i < cells.size(); ++i) {
    const Cell& c = cells[i];
    for (int cy = 0; cy < line; ++cy)
      for (int cx = 0; cx < c.width; ++cx) {
        uint8_t* p = &image.pixels[(static_cast<size_t>(at[i].second + cy) * width + at[i].first + cx) * 4];
        p[0] = p[1] = p[2] = 255;
        p[3] = c.alpha[static_cast<size_t>(cy) * c.width + cx];
      }
    set->frames.push_back({"c" + std::to_string(c.code), number, c.code, 0, 0, c.width, line,
                           static_cast<float>(at[i].first) / width,
                           static_cast<float>(at[i].second) / height,
                           static_cast<float>(c.width) / width, static_cast<float>(line) / height});
  }
  return texture;
}

template <size_t N>
bool WriteFontFile(FT_Library lib, const std::string& path, const FontSpec (&specs)[N]) {
  vnB2D_FILE file;
  for (size_t n = 0; n < N; ++n) {
    std::vector<Cell> cells;
    int line = 0;
    if (!RenderCells(lib, specs[n], &cells, &line)) return false;
    vnB2D_SET set{specs[n].set, {0, 0}, {}};
    file.textures.push_back(PackSet(specs[n], static_cast<int32_t>(n), cells, line, &set));
    file.sets.push_back(std::move(set));
  }
  return vnWRITE_B2DFile(path, file);
}

// Fades draw this image tinted by their level's alpha: opaque black. The driver looks effects
// textures up as their "_l" variants by default, so both sizes are written.
bool WriteFadeImage(const std::string& root) {
  vnPPM_IMAGE image;
  image.kind = 6;
  bool ok = PLAT_MakeDirectory((root + "/sprites/effects").c_str());
  for (auto [name, size] : {std::pair{"fadeblank.ppm", 16u}, std::pair{"fadeblank_l.ppm", 8u}}) {
    image.width = image.height = size;
    image.pixels.assign(static_cast<size_t>(size) * size * 3, 0);
    ok = ok && vnWRITE_PPMFile(root + "/sprites/effects/" + name, image);
  }
  return ok;
}

}  // namespace

bool vnMKCONTENT_Fonts(const std::string& root) {
  const std::string folder = root + "/Fonts";
  if (!PLAT_MakeDirectory(folder.c_str())) {
    PLAT_Trace("mkcontent: cannot make %s\n", folder.c_str());
    return false;
  }
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) {
    PLAT_Trace("mkcontent: FreeType does not start\n");
    return false;
  }
  Library lib(raw);
  bool ok = WriteFontFile(lib.get(), folder + "/Fonts.b2d", kFontsB2D) &&
            WriteFontFile(lib.get(), folder + "/Font.b2d", kFontB2D) && WriteFadeImage(root);
  if (!ok) PLAT_Trace("mkcontent: fonts under %s are incomplete\n", root.c_str());
  return ok;
}
