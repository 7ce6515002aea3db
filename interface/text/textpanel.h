#pragma once
// Text panels: a fixed number of lines of a fixed width that diagnostic and developer displays
// print into with printf formats. A panel keeps the text until it is cleared; whoever draws it
// clears it after each frame, so that a line shows only while it is printed again.
#include <cstdint>

struct VNTEXT_PANEL {
  int32_t nLines;   // the line capacity
  int32_t nWidth;   // bytes a line holds, its ending zero included
  int32_t nAppend;  // the next line vnTEXT_AppendLine fills
  uint8_t abColour[4];  // r, g, b, a
  int32_t* pLengths;    // nLines lengths
  char* pText;          // nLines x nWidth bytes, line i at i x nWidth
};

// A panel of the capacity and width in the game memory, white; null for a capacity or width
// below 1, or when the memory is full.
VNTEXT_PANEL* vnTEXT_CreatePanel(int32_t lines, int32_t width);
void vnTEXT_FreePanel(VNTEXT_PANEL* panel);
// Formats into the line, cut to the line's width; 0 (nothing changes) for a line outside the
// panel.
int32_t vnTEXT_PrintLine(VNTEXT_PANEL* panel, int32_t line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// The same into the next line to append, which then moves on; 0 once the panel is full.
int32_t vnTEXT_AppendLine(VNTEXT_PANEL* panel, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// Empties every line and appends from the first again; the line capacity.
int32_t vnTEXT_ClearLines(VNTEXT_PANEL* panel);
// The text of the line ("" when empty), null outside the panel.
const char* vnTEXT_GetLine(const VNTEXT_PANEL* panel, int32_t line);

// The panel that the diagnostic displays of the running game print into; null when none is set.
void vnTEXT_SetRootPanel(VNTEXT_PANEL* panel);
VNTEXT_PANEL* vnTEXT_GetRootPanel();
