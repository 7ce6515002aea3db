#include "shell/locale.h"

#include <cstdio>
#include <cstring>

#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "platform/trace.h"
#include "shell/util.h"

namespace {

VNLOCALE_LANGUAGE g_languages[VN_LOCALE_NUM_LANGUAGES] = {
    {"eng", "English", VN_LOCALE_NUM_LINES, nullptr},
    {"ger", "Deutsche", VN_LOCALE_NUM_LINES, nullptr},
    {"spa", "Espanol", VN_LOCALE_NUM_LINES, nullptr},
    {"fre", "Francais", VN_LOCALE_NUM_LINES, nullptr},
};
int g_current = 0;

struct LineLoad {
  VNLOCALE_LANGUAGE* pLanguage;
  int32_t dwNext;
  bool bFailed;
};

void FreeLines(VNLOCALE_LANGUAGE* language) {
  if (!language->ppszLines) return;
  for (int32_t i = 0; i < language->dwNumLines; ++i) {
    if (language->ppszLines[i]) SGE_MemFree(language->ppszLines[i]);
  }
  SGE_MemFree(language->ppszLines);
  language->ppszLines = nullptr;
}

int StoreLine(const char* value, void* output, void* /*user*/) {
  auto* load = static_cast<LineLoad*>(output);
  VNLOCALE_LANGUAGE* language = load->pLanguage;
  if (load->dwNext >= language->dwNumLines) return 0;
  const size_t length = strnlen(value, VN_LOCALE_MAX_LINE_CHARS);
  auto* line = static_cast<char*>(SGE_MemAlloc(SPW_ObjsMem, static_cast<uint32_t>(length + 1)));
  if (!line) {
    PLAT_Trace("[LOCALE]: no memory for line %d of %s\n", load->dwNext, language->pszCode);
    load->bFailed = true;
    return 0;
  }
  std::memcpy(line, value, length);
  line[length] = '\0';
  language->ppszLines[load->dwNext++] = line;
  return 1;
}

// Loads the current language; on failure it stays unloaded.
bool LoadCurrent() {
  VNLOCALE_LANGUAGE* language = &g_languages[g_current];
  FreeLines(language);
  char path[64];
  snprintf(path, sizeof path, VN_LOCALE_PATH_FORMAT, language->pszCode);
  if (!vnUTIL_FileExists(path)) {
    PLAT_Trace("[LOCALE]: Can't open locale file!!\n");
    return false;
  }
  language->ppszLines = static_cast<char**>(SGE_MemCalloc(
      SPW_ObjsMem, static_cast<uint32_t>(language->dwNumLines * sizeof(char*))));
  if (!language->ppszLines) {
    PLAT_Trace("[LOCALE]: no memory for the %d lines of %s\n", language->dwNumLines, path);
    return false;
  }
  LineLoad load{language, 0, false};
  // The table is read key by key; one parse of the file answers every key.
  PLAT_IniHold hold(path);
  vnUTIL_ReadIniLines(path, VN_LOCALE_SECTION, StoreLine, &load, nullptr, VN_UTIL_INI_NO_LIMIT);
  if (load.bFailed) {
    FreeLines(language);
    return false;
  }
  return true;
}

}  // namespace

int vnLOCALE_Init() { return vnLOCALE_SetLanguage(0) == -1 ? 0 : 1; }

int vnLOCALE_SetLanguage(int index) {
  if (index < 0 || index >= VN_LOCALE_NUM_LANGUAGES) {
    PLAT_Trace("[LOCALE]: vnLOCALE_SetLanguage(): no language %d\n", index);
    return -1;
  }
  const int previous = g_current;
  // Only the current language is ever freed, so the one left behind goes now.
  if (previous != index) FreeLines(&g_languages[previous]);
  g_current = index;
  return LoadCurrent() ? previous : -1;
}

void vnLOCALE_Free() { FreeLines(&g_languages[g_current]); }

const char* vnLOCALE_GetLine(int index) {
  const VNLOCALE_LANGUAGE& language = g_languages[g_current];
  if (!language.ppszLines || index < 0 || index >= language.dwNumLines) return "";
  const char* line = language.ppszLines[index];
  return line ? line : "";
}

const char* vnLOCALE_GetString(int base, int offset) {
  const int64_t index = int64_t(base) + offset + 1;
  if (index < 0 || index >= VN_LOCALE_NUM_LINES) return "";
  return vnLOCALE_GetLine(static_cast<int>(index));
}

VNLOCALE_LANGUAGE* vnLOCALE_GetCurrent() { return &g_languages[g_current]; }

VNLOCALE_LANGUAGE* vnLOCALE_GetLanguage(int index) {
  if (index < 0 || index >= VN_LOCALE_NUM_LANGUAGES) {
    PLAT_Trace("[LOCALE]: vnLOCALE_GetLanguage(): no language %d\n", index);
    return nullptr;
  }
  return &g_languages[index];
}

int vnLOCALE_GetLanguageIndex() { return g_current; }
