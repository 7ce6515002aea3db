#pragma once
// Writes GUI layout files: a B2D file whose set sections also list push buttons ("PB%d" keys:
// button name, set name, skip flag, x, y, w, h), as the GUI's screen loader reads them.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/b2d_writer.h"

struct vnGUI_BUTTON {
  std::string name;  // not empty, no double quote
  std::string set;   // the set whose frames 100, 101 and 102 the button shows
  int32_t skip = 0;  // nonzero: listed but not created
  int32_t x = 0, y = 0, w = 0, h = 0;
};

struct vnGUI_LAYOUT {
  vnB2D_FILE sheet;
  // The buttons of each group, by set index of the sheet (groups are the sheet's sets).
  std::vector<std::vector<vnGUI_BUTTON>> buttons;
};

// The file's text; empty (with a trace) when a name or line cannot be read back as written or
// buttons name a group the sheet does not have.
std::string vnWRITE_GUILayout(const vnGUI_LAYOUT& layout);
// Writes the file and the sheet's images; false (with a trace) when any cannot be written.
bool vnWRITE_GUILayoutFile(const std::string& path, const vnGUI_LAYOUT& layout);
