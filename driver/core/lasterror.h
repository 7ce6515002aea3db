#pragma once
// The library's one last-error text, read back through SPPD_GetLastErrorString.

// Formats a failure report into the buffer (cut to its 512 characters), replacing the
// previous one, and traces it.
void SPPD_SetLastError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
