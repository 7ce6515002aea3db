#pragma once
// Writes locale tables "Locale/LocaleData.<code>" as the game's INI reader reads them.
#include <map>
#include <string>
#include <vector>

// File codes of the four languages, in the game's table order.
inline constexpr const char* VNWRITE_LOCALE_CODES[4] = {"eng", "ger", "spa", "fre"};

// The text to put after "key=" so that the private-profile reader (which trims blanks and one
// pair of surrounding quotes) gives back exactly `value`; false for a value with a line break.
bool vnWRITE_IniValue(const std::string& value, std::string* out);

// Writes <root>/Locale/LocaleData.<code>, section "LocaleStrings", keys line<n>; only the
// given keys exist in the file. False (with a trace) when a value cannot be written.
bool vnWRITE_LocaleFileKeys(const std::string& root, const char* code,
                            const std::map<int, std::string>& lines);
// Every line of the vector under its index.
bool vnWRITE_LocaleFile(const std::string& root, const char* code,
                        const std::vector<std::string>& lines);
// The same lines for all four languages.
bool vnWRITE_LocaleAllLanguages(const std::string& root, const std::vector<std::string>& lines);
