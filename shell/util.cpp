#include "shell/util.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/ini.h"
#include "platform/trace.h"
#include "platform/window/window.h"

namespace {

int g_iniReadMode = 0;

const PLAT_GUID kNilGuid{};

}  // namespace

int vnUTIL_FileExists(const char* path) {
  if (!path || !*path) return 0;
  // A folder opens for reading on this system but is no file.
  if (PLAT_IsDirectory(path)) return 0;
  FILE* f = PLAT_FOpen(path, "r");
  if (!f) return 0;
  fclose(f);
  return 1;
}

void vnUTIL_LineKey(int32_t line, char (&key)[VN_UTIL_LINE_KEY_SIZE]) {
  // to_chars, not snprintf: a thousand-line table would parse the format a thousand times.
  std::memcpy(key, "line", 4);
  *std::to_chars(key + 4, key + VN_UTIL_LINE_KEY_SIZE - 1, line).ptr = '\0';
}

int vnUTIL_ReadIniLines(const char* file, const char* section, VNUTIL_LINEFUNC callback,
                        void* output, void* user, int mode) {
  if (!file || !section || !callback) {
    PLAT_Trace("UTIL: vnUTIL_ReadIniLines(): missing file, section or callback\n");
    return 0;
  }
  g_iniReadMode = mode;
  const std::string path = PLAT_ResolvePath(file);
  char value[VN_UTIL_INI_VALUE_SIZE];
  char key[VN_UTIL_LINE_KEY_SIZE];
  int missing = 0;
  int passed = 0;
  for (int line = 0;; ++line) {
    if (line >= VN_UTIL_MAX_INI_LINES) {
      PLAT_Trace("UTIL: vnUTIL_ReadIniLines(): %s [%s] stopped after %d lines\n", file, section,
                 VN_UTIL_MAX_INI_LINES);
      break;
    }
    vnUTIL_LineKey(line, key);
    PLAT_IniGetString(section, key, "", value, sizeof value, path.c_str());
    // With an empty default a missing key and an empty value read the same; both count.
    if (value[0] == '\0') {
      ++missing;
      if (mode != VN_UTIL_INI_NO_LIMIT && missing > VN_UTIL_MAX_MISSING_KEYS) break;
    }
    ++passed;
    if (callback(value, output, user) == 0) break;
  }
  return passed;
}

int vnUTIL_GetIniReadMode() { return g_iniReadMode; }

int vnUTIL_AppendLine(const char* value, void* output, void* /*user*/) {
  if (!value || value[0] == '\0') return 0;
  auto* text = static_cast<VNUTIL_TEXT*>(output);
  if (!text || !text->pText || text->dwSize == 0) {
    PLAT_Trace("UTIL: vnUTIL_AppendLine(): no output text\n");
    return 0;
  }
  const bool dotOnly = std::strcmp(value, ".") == 0;
  const size_t used = strnlen(text->pText, text->dwSize - 1);
  const size_t room = text->dwSize - 1 - used;
  const size_t want = 1 + (dotOnly ? 0 : std::strlen(value));
  char* end = text->pText + used;
  if (want > room) {
    // Keep what fits so the caller still shows the start of the text.
    if (room > 0) {
      end[0] = '\n';
      if (!dotOnly && room > 1) std::memcpy(end + 1, value, room - 1);
    }
    text->pText[text->dwSize - 1] = '\0';
    PLAT_Trace("UTIL: vnUTIL_AppendLine(): text of %u bytes is full\n", text->dwSize);
    return 0;
  }
  end[0] = '\n';
  if (!dotOnly) std::memcpy(end + 1, value, want - 1);
  end[want] = '\0';
  return 1;
}

const char* vnUTIL_GuidToString(const PLAT_GUID* guid) {
  static char buffer[100];
  if (!guid) {
    PLAT_Trace("UTIL: vnUTIL_GuidToString(): no GUID\n");
    return nullptr;
  }
  char text[PLAT_GUID_TEXT_SIZE];
  PLAT_GuidToText(*guid, text);
  std::memcpy(buffer, text, sizeof text);
  return buffer;
}

int vnUTIL_StringToGuid(const char* text, PLAT_GUID* out) {
  // Only the bare form: the braced registry form is not a UUID string.
  if (!text || !out || text[0] == '{' || !PLAT_GuidFromText(text, out)) {
    PLAT_Trace("UTIL: vnUTIL_StringToGuid(): not a GUID: %s\n", text ? text : "(null)");
    return 0;
  }
  return 1;
}

int vnUTIL_GuidEqual(const PLAT_GUID* a, const PLAT_GUID* b) {
  return PLAT_GuidEqual(a ? *a : kNilGuid, b ? *b : kNilGuid) ? 1 : 0;
}

int vnUTIL_CentreWindow() {
  PLAT_Window* window = PLAT_MainWindow();
  if (!window) {
    PLAT_Trace("UTIL: vnUTIL_CentreWindow(): no main window\n");
    return 0;
  }
  int x = 0, y = 0, width = 0, height = 0;
  int desktopWidth = 0, desktopHeight = 0;
  PLAT_GetWindowRect(window, &x, &y, &width, &height);
  PLAT_GetDesktopSize(&desktopWidth, &desktopHeight);
  PLAT_SetWindowPos(window, (desktopWidth - width) / 2, (desktopHeight - height) / 2);
  return 1;
}
