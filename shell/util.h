#pragma once
// Small services of the application shell: file test, numbered INI lines, GUID text, window
// centring.
#include <cstdint>

#include "platform/guid.h"

// Values of numbered INI lines are read into a buffer of this size (999 characters and the end).
constexpr uint32_t VN_UTIL_INI_VALUE_SIZE = 1000;
// With a limited read, the eleventh missing key ends it.
constexpr int VN_UTIL_MAX_MISSING_KEYS = 10;
// Mode that switches the missing-key limit off.
constexpr int VN_UTIL_INI_NO_LIMIT = -1;
// Without the limit the callback alone would decide when to stop; no file holds more lines.
constexpr int VN_UTIL_MAX_INI_LINES = 10000;

// The key of numbered line n, "line<n>"; the longest, "line-2147483648", and its end fit.
constexpr uint32_t VN_UTIL_LINE_KEY_SIZE = 16;
void vnUTIL_LineKey(int32_t line, char (&key)[VN_UTIL_LINE_KEY_SIZE]);

// Called for each value in key order; returning 0 ends the read.
using VNUTIL_LINEFUNC = int (*)(const char* value, void* output, void* user);

// Bounded text that vnUTIL_AppendLine builds (pText always ends with a NUL).
struct VNUTIL_TEXT {
  char* pText;
  uint32_t dwSize;  // bytes available at pText, the end included
};

// 1 when the path names a file that opens for reading, else 0.
int vnUTIL_FileExists(const char* path);

// Passes the values of "line0", "line1", ... of the section to the callback, missing keys as
// empty values. Unless mode is VN_UTIL_INI_NO_LIMIT the read ends, without a call, at the
// eleventh missing key. Result: the number of values passed on, 0 for bad arguments.
int vnUTIL_ReadIniLines(const char* file, const char* section, VNUTIL_LINEFUNC callback,
                        void* output, void* user, int mode);
// The mode of the read in progress (the last read's mode afterwards).
int vnUTIL_GetIniReadMode();

// Standard callback for multi-line texts (output is a VNUTIL_TEXT): an empty value ends the
// read; otherwise appends "\n" and the value, or just "\n" for a value of ".". A text that
// would overflow is cut, traced, and ends the read.
int vnUTIL_AppendLine(const char* value, void* output, void* user);

// Lower-case text without braces, in a static buffer overwritten by the next call; null for
// a null GUID.
const char* vnUTIL_GuidToString(const PLAT_GUID* guid);
// Parses the text form without braces; 1 on success, 0 (out untouched) otherwise.
int vnUTIL_StringToGuid(const char* text, PLAT_GUID* out);
// 1 when equal; a null GUID compares as the all-zero GUID.
int vnUTIL_GuidEqual(const PLAT_GUID* a, const PLAT_GUID* b);

// Moves the main window, size unchanged, so that its centre is the desktop's centre.
// 1 on success, 0 when there is no main window.
int vnUTIL_CentreWindow();
