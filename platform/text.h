#pragma once
// Names as the game compares them: ASCII letters without regard to case, every other byte as it
// is, the same under any locale.
#include <cstddef>
#include <string>
#include <string_view>

constexpr char PLAT_LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with its ASCII capitals made small.
inline std::string PLAT_LowerAsciiText(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) c = PLAT_LowerAscii(c);
  return lower;
}

constexpr bool PLAT_EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (PLAT_LowerAscii(a[i]) != PLAT_LowerAscii(b[i])) return false;
  return true;
}

constexpr bool PLAT_EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && PLAT_EqualNoCase(s.substr(s.size() - suffix.size()), suffix);
}
