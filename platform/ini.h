#pragma once
// INI-style text files read with the semantics of the private-profile functions: sections and
// keys without regard to case, the first of duplicate keys wins, values trimmed of blanks and of
// one pair of surrounding quotes, the default for a missing key, and values cut to the buffer.
// Parsed files are cached by path, size and modification time.
#include <cstdint>
#include <string>

// Copies the value (or the default) into buf, cut to size-1 characters, and returns the number
// of characters copied. A null key lists the section's keys as NUL-separated texts ending with
// a double NUL; a null section lists the section names the same way.
uint32_t PLAT_IniGetString(const char* section, const char* key, const char* defaultValue,
                           char* buf, uint32_t size, const char* file);
// Leading decimal number of the value (sign allowed), or the default when the key is missing.
int PLAT_IniGetInt(const char* section, const char* key, int defaultValue, const char* file);
// Writes (or with a null value deletes) a key, creating the file and section when needed.
bool PLAT_IniWriteString(const char* section, const char* key, const char* value, const char* file);
// Drops cached parses (tests that rewrite a file within one second of the last read).
void PLAT_IniFlushCache();

// Holds one parse of a file for a reader that asks for many keys in a row (a table read key by
// key): while held, look-ups of the file, by the name given here or by its resolved path, are
// answered from that parse without asking the file system each time. Writes through
// PLAT_IniWriteString and PLAT_IniFlushCache take effect at once all the same. Holds nest.
class PLAT_IniHold {
 public:
  explicit PLAT_IniHold(const char* file);
  ~PLAT_IniHold();
  PLAT_IniHold(const PLAT_IniHold&) = delete;
  PLAT_IniHold& operator=(const PLAT_IniHold&) = delete;

 private:
  std::string names_[2];  // as given and resolved
};
