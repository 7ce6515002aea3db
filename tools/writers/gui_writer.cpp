#include "tools/writers/gui_writer.h"

#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr size_t kMaxLine = 1023;  // what the reader takes of a value

bool Usable(const std::string& name) {
  return !name.empty() && name.find_first_of("\"\r\n") == std::string::npos;
}

// The "PB%d" lines of one group; false when a line would not read back.
bool ButtonLines(const std::vector<vnGUI_BUTTON>& buttons, std::string* out) {
  for (size_t k = 0; k < buttons.size(); ++k) {
    const vnGUI_BUTTON& b = buttons[k];
    if (!Usable(b.name) || !Usable(b.set)) {
      PLAT_Trace("vnWRITE_GUILayout: button PB%zu has an empty name or one with a quote\n", k);
      return false;
    }
    const std::string value = "\"" + b.name + "\" \"" + b.set + "\" " + std::to_string(b.skip) +
                              " " + std::to_string(b.x) + " " + std::to_string(b.y) + " " +
                              std::to_string(b.w) + " " + std::to_string(b.h);
    if (value.size() > kMaxLine) {
      PLAT_Trace("vnWRITE_GUILayout: button PB%zu is longer than %zu characters\n", k, kMaxLine);
      return false;
    }
    *out += "PB" + std::to_string(k) + "=" + value + "\r\n";
  }
  return true;
}

}  // namespace

std::string vnWRITE_GUILayout(const vnGUI_LAYOUT& layout) {
  if (layout.buttons.size() > layout.sheet.sets.size()) {
    PLAT_Trace("vnWRITE_GUILayout: buttons for %zu groups, the sheet has %zu sets\n",
               layout.buttons.size(), layout.sheet.sets.size());
    return {};
  }
  std::string text = vnWRITE_B2D(layout.sheet);
  if (text.empty() && !layout.sheet.sets.empty()) return {};
  // Each group's buttons go at the end of its set section: before the next section's header.
  for (size_t n = layout.buttons.size(); n-- > 0;) {
    std::string lines;
    if (!ButtonLines(layout.buttons[n], &lines)) return {};
    const size_t next = text.find("\r\n[F" + std::to_string(n + 1) + "]\r\n");
    text.insert(next == std::string::npos ? text.size() : next + 2, lines);
  }
  return text;
}

bool vnWRITE_GUILayoutFile(const std::string& path, const vnGUI_LAYOUT& layout) {
  const std::string text = vnWRITE_GUILayout(layout);
  if (text.empty()) return false;
  // The sheet writer puts the images beside the file; the text then gains the buttons.
  if (!vnWRITE_B2DFile(path, layout.sheet)) return false;
  if (!PLAT_WriteFileAtomic(path.c_str(), text.data(), text.size())) {
    PLAT_Trace("vnWRITE_GUILayoutFile: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
