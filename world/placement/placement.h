#pragma once
// Placement commands: a named block of "Keyword=value" lines that adjusts a unit placed from a
// mission's placement file. The first pass runs as the unit manager creates the unit, the second
// after the creation has returned.
#include <cstdint>

#include "world/unitman/unitman.h"

constexpr int32_t VNPLACE_BLOCK_NAME_SIZE = 260;
constexpr int32_t VNPLACE_LINE_SIZE = 256;

struct VNPLACE_COMMANDBLOCK {
  char szName[VNPLACE_BLOCK_NAME_SIZE];
  const char* pszText;  // lines separated by line feeds
};

enum VNPLACE_CODE : int32_t {
  VNPL_NONE = -1,  // a line that is no command
  VNPL_USER,
  VNPL_RANK,
  VNPL_ADD_WEAPON,
  VNPL_ADD_AMMO,
  VNPL_HP,
  VNPL_ARM,
  VNPL_EXP,
  VNPL_AND_FLAGS_C,
  VNPL_OR_FLAGS,
  VNPL_EXC_AND_FLAGS_C,
  VNPL_EXC_OR_FLAGS,
  VNPL_INC_AND_FLAGS_C,
  VNPL_INC_OR_FLAGS,
  VNPL_PROFILE_ID,
  VNPL_LABEL,
  VNPL_NAME,
  VNPL_GRADE,
  VNPL_SET_DORMANT,
  VNPL_DORMANT_ACTIVITY,
  VNPL_VISIBLE,
  VNPL_HP_SCALE,
  VNPL_COMMANDS,
};

struct VNPLACEMENT_COMMAND {
  const char* pszKeyword;
  int32_t nCode;
};

struct VNPLACE_PARSED {
  int32_t nCode;       // VNPLACE_CODE
  const char* pValue;  // just after the '='
};

// Copies the next line (at most size - 1 characters and a terminator) and returns the position
// after its line feed; a longer line comes back in pieces. At the end of the text: the position
// of the terminating zero when something was copied, else null.
const char* vnPLParser_NextLine(const char* pos, char* buffer, int32_t size);
// Cuts the line at its first '=' and looks the keyword before it up without regard to case:
// 1 with the code and the value, 1 with VNPL_NONE for a line that is no command, 0 for an
// unknown keyword.
int32_t vnPLParser_ParseCommand(char* line, VNPLACE_PARSED* result);
// The first token of the text: a run of non-blanks, or the text between two double quotes.
// Returns the position after it, or null when there is none (an unclosed quote, an empty token).
const char* vnPLParser_NextToken(const char* text, char* token, int32_t size);
// 1 for "true", 0 for "false" in any letter case, else -1.
int32_t vnPLParser_ParseBool(const char* text);
// The pass at creation; 0 when an unknown keyword ended it (after a trace), else 1.
int32_t vnPLParser_ApplyCommands(const VNPLACE_COMMANDBLOCK* block, VNUNIT* unit);
// The pass after creation: the health scale. 0 when an unknown keyword ended it, else 1.
int32_t vnPLParser_ApplyLateCommands(const VNPLACE_COMMANDBLOCK* block, VNUNIT* unit);
