// Loading fonts from B2D sets and measuring text.
#include "engine/font/font.h"

#include <algorithm>

#include "engine/font/glyph.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

void CopyGlyphs(SPW_FONT* font, const SPW_B2DSET* set) {
  for (const SPW_B2DFRAME* frame : SGE_ListRecords<SPW_B2DFRAME>(&set->frames)) {
    if (frame->nId < 0 || frame->nId >= SPW_FONT_GLYPHS) continue;
    SPW_B2DFRAME& glyph = font->aGlyphs[frame->nId];
    glyph = *frame;
    glyph.link = {};
    glyph.pszName = nullptr;  // the name goes with the file record
    font->nHeight = std::max(font->nHeight, frame->nHeight);
    font->nWidth = std::max(font->nWidth, frame->nWidth);
  }
}

int32_t Advance(const SPW_FONT* font, char c) {
  const SPW_B2DFRAME* g = SPW_FontGlyph(font, c);
  return g ? g->nWidth : 0;
}

}  // namespace

SPW_FONT* SPW_LoadFont(const char* fileName, const char* setName, SPW_DISPLAY* display) {
  if (!fileName || !setName) return nullptr;
  if (!PLAT_FileExists(fileName)) {
    PLAT_Trace("SPW_LoadFont: no file %s for font \"%s\"\n", fileName, setName);
    return nullptr;
  }
  SPW_B2DFILE* file = SPW_B2D_Load(fileName, display);
  if (!file) return nullptr;
  auto* font = static_cast<SPW_FONT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_FONT)));
  if (!font) {
    PLAT_Trace("SPW_LoadFont: no room in SPW_ObjsMem for font \"%s\"\n", setName);
  } else if (const SPW_B2DSET* set = SPW_B2D_FindSet(file, setName)) {
    CopyGlyphs(font, set);
  } else {
    PLAT_Trace("SPW_LoadFont: no set \"%s\" in %s; the font is empty\n", setName, fileName);
  }
  SPW_B2D_Free(file);
  return font;
}

int32_t SPW_FreeFont(SPW_FONT* font) { return font ? SGE_MemFree(font) : 0; }

int32_t SPW_FontStringWidthN(const SPW_FONT* font, const char* text, int32_t n) {
  if (!font || !text) return 0;
  int64_t width = 0;
  for (int32_t i = 0; i < n && text[i]; ++i) width = SPW_FontSaturate(width + Advance(font, text[i]));
  return static_cast<int32_t>(width);
}

int32_t SPW_FontStringWidth(const SPW_FONT* font, const char* text) {
  return SPW_FontStringWidthN(font, text, INT32_MAX);
}
