#pragma once
// Locale strings: the language table and the numbered lines of the current language, read
// from "Locale/LocaleData.<code>" (section "LocaleStrings", keys line0..line1001).
#include <cstdint>

constexpr int VN_LOCALE_NUM_LANGUAGES = 4;
constexpr int32_t VN_LOCALE_NUM_LINES = 1002;
// Longest line kept; the INI line reader's buffer holds this and the end.
constexpr int VN_LOCALE_MAX_LINE_CHARS = 999;
constexpr const char* VN_LOCALE_SECTION = "LocaleStrings";
constexpr const char* VN_LOCALE_PATH_FORMAT = "Locale/LocaleData.%s";

struct VNLOCALE_LANGUAGE {
  const char* pszCode;  // also the extension of per-language files ("eng")
  const char* pszName;
  int32_t dwNumLines;
  char** ppszLines;  // dwNumLines entries in SPW_ObjsMem, none while not loaded
};

// Selects language 0 and loads it; 1 on success, 0 when its file could not be loaded.
int vnLOCALE_Init();
// Makes index current and loads its file (the previous language's lines are freed).
// Result: the previous index, or -1 when the file cannot be loaded or the index is unknown.
int vnLOCALE_SetLanguage(int index);
// Frees the current language's lines.
void vnLOCALE_Free();
// The text of a line of the current language; "" (never null) for a missing line, an index
// out of range, or before a language is loaded.
const char* vnLOCALE_GetLine(int index);
// Line base + offset + 1: groups start with a heading line at base.
const char* vnLOCALE_GetString(int base, int offset);
VNLOCALE_LANGUAGE* vnLOCALE_GetCurrent();
// None for an unknown index.
VNLOCALE_LANGUAGE* vnLOCALE_GetLanguage(int index);
int vnLOCALE_GetLanguageIndex();
