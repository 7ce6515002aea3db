#pragma once
// Shared formatting buffer for short-lived texts (paths, captions).

// Size of the shared buffer, the end included.
constexpr int VN_FORMAT_BUFFER_SIZE = 1024;

// Formats into the shared buffer, truncating what does not fit, and returns it. Every call
// overwrites the previous result: copy it before formatting again.
const char* SGE_Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
