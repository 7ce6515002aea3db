#pragma once
// Writes placement command blocks: a name and "Keyword=value" lines that adjust a placed unit.
#include <string>
#include <utility>
#include <vector>

constexpr size_t VNWRITE_PLACEBLOCK_MAX_NAME = 259;
constexpr size_t VNWRITE_PLACEBLOCK_MAX_LINE = 255;

struct VNWRITE_PLACEBLOCK {
  std::string name;
  std::vector<std::pair<std::string, std::string>> commands;  // keyword, value
};

// The block's text, one command a line; a value with blanks is quoted, since the reader keeps
// only a value's first token. False, after a trace, for what the reader cannot read back: a name
// too long, a keyword that is empty or holds a blank or '=', a value with a quote or a line
// feed, or a line longer than the reader's.
bool vnWRITE_PlacementBlockText(const VNWRITE_PLACEBLOCK& block, std::string* text);
