// Text panels.
#include "interface/text/textpanel.h"

#include <cstdarg>
#include <cstdio>

#include "engine/memory/memblock.h"
#include "platform/trace.h"

namespace {

VNTEXT_PANEL* g_rootPanel = nullptr;

bool Holds(const VNTEXT_PANEL* panel, int32_t line) {
  return panel && line >= 0 && line < panel->nLines;
}

int32_t Format(VNTEXT_PANEL* panel, int32_t line, const char* format, va_list args) {
  char* text = panel->pText + static_cast<size_t>(line) * static_cast<size_t>(panel->nWidth);
  const int n = std::vsnprintf(text, static_cast<size_t>(panel->nWidth), format, args);
  if (n < 0) {
    text[0] = '\0';
    panel->pLengths[line] = 0;
    return 0;
  }
  panel->pLengths[line] = n < panel->nWidth ? n : panel->nWidth - 1;
  return 1;
}

}  // namespace

VNTEXT_PANEL* vnTEXT_CreatePanel(int32_t lines, int32_t width) {
  if (lines < 1 || width < 1) {
    PLAT_Trace("TEXT: no panel of %d lines of %d bytes\n", lines, width);
    return nullptr;
  }
  const size_t bytes = sizeof(VNTEXT_PANEL) + sizeof(int32_t) * static_cast<size_t>(lines) +
                       static_cast<size_t>(lines) * static_cast<size_t>(width);
  if (bytes > UINT32_MAX) return nullptr;
  auto* panel = static_cast<VNTEXT_PANEL*>(SGE_MemCalloc(SGE_GameMem, static_cast<uint32_t>(bytes)));
  if (!panel) {
    PLAT_Trace("TEXT: no memory for a panel of %d lines\n", lines);
    return nullptr;
  }
  panel->nLines = lines;
  panel->nWidth = width;
  panel->abColour[0] = panel->abColour[1] = panel->abColour[2] = panel->abColour[3] = 255;
  panel->pLengths = reinterpret_cast<int32_t*>(panel + 1);
  panel->pText = reinterpret_cast<char*>(panel->pLengths + lines);
  return panel;
}

void vnTEXT_FreePanel(VNTEXT_PANEL* panel) {
  if (panel == g_rootPanel) g_rootPanel = nullptr;
  if (panel) SGE_MemFree(panel);
}

int32_t vnTEXT_PrintLine(VNTEXT_PANEL* panel, int32_t line, const char* format, ...) {
  if (!Holds(panel, line) || !format) return 0;
  va_list args;
  va_start(args, format);
  const int32_t done = Format(panel, line, format, args);
  va_end(args);
  return done;
}

int32_t vnTEXT_AppendLine(VNTEXT_PANEL* panel, const char* format, ...) {
  if (!panel || !Holds(panel, panel->nAppend) || !format) return 0;
  va_list args;
  va_start(args, format);
  const int32_t done = Format(panel, panel->nAppend, format, args);
  va_end(args);
  ++panel->nAppend;
  return done;
}

int32_t vnTEXT_ClearLines(VNTEXT_PANEL* panel) {
  if (!panel) return 0;
  for (int32_t i = 0; i < panel->nLines; ++i) {
    panel->pLengths[i] = 0;
    panel->pText[static_cast<size_t>(i) * static_cast<size_t>(panel->nWidth)] = '\0';
  }
  panel->nAppend = 0;
  return panel->nLines;
}

const char* vnTEXT_GetLine(const VNTEXT_PANEL* panel, int32_t line) {
  if (!Holds(panel, line)) return nullptr;
  return panel->pText + static_cast<size_t>(line) * static_cast<size_t>(panel->nWidth);
}

void vnTEXT_SetRootPanel(VNTEXT_PANEL* panel) { g_rootPanel = panel; }

VNTEXT_PANEL* vnTEXT_GetRootPanel() { return g_rootPanel; }
