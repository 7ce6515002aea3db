// Placement commands. A keyword starts in the first column and is followed directly by '=';
// only the first token of a value counts, so a value with blanks must be quoted.
#include "world/placement/placement.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/text.h"
#include "platform/trace.h"
#include "world/unitman/unitmsg.h"

namespace {

constexpr VNPLACEMENT_COMMAND kCommands[] = {
    {"User", VNPL_USER},
    {"Rank", VNPL_RANK},
    {"AddWeapon", VNPL_ADD_WEAPON},
    {"AddAmmo", VNPL_ADD_AMMO},
    {"HP", VNPL_HP},
    {"ARM", VNPL_ARM},
    {"EXP", VNPL_EXP},
    {"AndFlagsC", VNPL_AND_FLAGS_C},
    {"OrFlags", VNPL_OR_FLAGS},
    {"ExcAndFlagsC", VNPL_EXC_AND_FLAGS_C},
    {"ExcOrFlags", VNPL_EXC_OR_FLAGS},
    {"IncAndFlagsC", VNPL_INC_AND_FLAGS_C},
    {"IncOrFlags", VNPL_INC_OR_FLAGS},
    {"ProfileID", VNPL_PROFILE_ID},
    {"Label", VNPL_LABEL},
    {"Name", VNPL_NAME},
    {"Grade", VNPL_GRADE},
    {"SetDormant", VNPL_SET_DORMANT},
    {"DormantActivity", VNPL_DORMANT_ACTIVITY},
    {"Visible", VNPL_VISIBLE},
    {"HPScale", VNPL_HP_SCALE},
};
static_assert(std::size(kCommands) == VNPL_COMMANDS);

// The late pass scales health only by a value in this open range.
constexpr float kMinHealthScale = 0.0f;
constexpr float kMaxHealthScale = 100.0f;

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Decimal, 0 for no number, saturated at the 32-bit range; flags above 0x7fffffff are
// written as negative numbers.
int32_t ToInt(const char* text) {
  const long long v = std::strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

uint32_t ToBits(const char* text) { return static_cast<uint32_t>(ToInt(text)); }

void Tell(VNUNIT* unit, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  if (unit->pController) SGE_Send(unit->pController, msg, a, b);
}

void TellBool(VNUNIT* unit, int32_t msg, const char* value) {
  const int32_t on = vnPLParser_ParseBool(value);
  if (on >= 0) Tell(unit, msg, on, 0);
}

void SendName(VNUNIT* unit, const VNPLACE_COMMANDBLOCK* block, const char* value) {
  int32_t a = 0;
  int32_t b = 0;
  if (std::sscanf(value, "%d %d", &a, &b) != 2) {
    PLAT_Trace("PLParser: Name [%s] in block [%s] is not two numbers, unit %u keeps its name\n",
               value, block->szName, unit->dwId);
    return;
  }
  Tell(unit, SGM_UNIT_SET_NAME, a, b);
}

void Apply(VNUNIT* unit, const VNPLACE_COMMANDBLOCK* block, int32_t code, const char* value) {
  switch (code) {
    case VNPL_USER: Tell(unit, SGM_UNIT_SET_USER, SGE_PtrParam(value), 0); break;
    case VNPL_RANK: vnUNIT_SetAttrInt(unit, VN_ATTR_RANK, ToInt(value)); break;
    case VNPL_AND_FLAGS_C: unit->dwFlags &= ~ToBits(value); break;
    case VNPL_OR_FLAGS: unit->dwFlags |= ToBits(value); break;
    case VNPL_EXC_AND_FLAGS_C: unit->dwExcludeMask &= ~ToBits(value); break;
    case VNPL_EXC_OR_FLAGS: unit->dwExcludeMask |= ToBits(value); break;
    case VNPL_INC_AND_FLAGS_C: unit->dwIncludeMask &= ~ToBits(value); break;
    case VNPL_INC_OR_FLAGS: unit->dwIncludeMask |= ToBits(value); break;
    case VNPL_PROFILE_ID: Tell(unit, SGM_UNIT_SET_PROFILE, ToInt(value), 0); break;
    case VNPL_LABEL: vnUNIT_SetLabel(unit, value); break;
    case VNPL_NAME: SendName(unit, block, value); break;
    case VNPL_SET_DORMANT: TellBool(unit, SGM_UNIT_SET_DORMANT, value); break;
    case VNPL_DORMANT_ACTIVITY: Tell(unit, SGM_UNIT_SET_DORMANT_ACTIVITY, ToInt(value), 0); break;
    case VNPL_VISIBLE: TellBool(unit, SGM_UNIT_SET_VISIBLE, value); break;
    default: break;  // taken and left: AddWeapon, AddAmmo, HP, ARM, EXP, Grade, HPScale
  }
}

// The health scale of the late pass: the last value read, used once any value was in range.
struct HealthScale {
  float last = 0.0f;
  bool inRange = false;
};

void ReadHealthScale(HealthScale* scale, const char* value) {
  float v = 0.0f;
  if (std::sscanf(value, "%f", &v) != 1) return;
  scale->last = v;
  if (v > kMinHealthScale && v < kMaxHealthScale) scale->inRange = true;
}

// Calls visit(code, value token) for every command with a value, in block order. An unknown
// keyword ends the walk after a trace: 0; else 1.
template <typename Visit>
int32_t ForEachCommand(const VNPLACE_COMMANDBLOCK* block, const VNUNIT* unit, Visit visit) {
  if (!block || !block->pszText || !unit) return 0;
  char line[VNPLACE_LINE_SIZE];
  char token[VNPLACE_LINE_SIZE];
  for (const char* pos = block->pszText; (pos = vnPLParser_NextLine(pos, line, sizeof line));) {
    VNPLACE_PARSED parsed{};
    if (!vnPLParser_ParseCommand(line, &parsed)) {
      PLAT_Trace("PLParser: Invalid command [%s] in placement file [%s], UnitID=%d, Type=%d\n",
                 line, block->szName, static_cast<int32_t>(unit->dwId), unit->nType);
      return 0;
    }
    if (parsed.nCode == VNPL_NONE) continue;
    if (!vnPLParser_NextToken(parsed.pValue, token, sizeof token)) continue;
    visit(parsed.nCode, token);
  }
  return 1;
}

}  // namespace

const char* vnPLParser_NextLine(const char* pos, char* buffer, int32_t size) {
  if (!pos || !buffer || size < 1) return nullptr;
  int32_t n = 0;
  while (*pos && *pos != '\n' && n < size - 1) buffer[n++] = *pos++;
  buffer[n] = '\0';
  if (*pos == '\n') return pos + 1;
  if (*pos) return pos;  // the buffer is full: the rest of the line comes next
  return n > 0 ? pos : nullptr;
}

int32_t vnPLParser_ParseCommand(char* line, VNPLACE_PARSED* result) {
  result->nCode = VNPL_NONE;
  result->pValue = nullptr;
  bool word = false;
  for (char* c = line; *c; ++c) {
    if (*c == '=') {
      *c = '\0';
      for (const VNPLACEMENT_COMMAND& command : kCommands) {
        if (PLAT_EqualNoCase(line, command.pszKeyword)) {
          result->nCode = command.nCode;
          result->pValue = c + 1;
          return 1;
        }
      }
      return 0;
    }
    if (IsBlank(*c)) {
      if (word) return 1;  // a blank between keyword and '=': no command
    } else {
      word = true;
    }
  }
  return 1;
}

const char* vnPLParser_NextToken(const char* text, char* token, int32_t size) {
  if (!text || !token || size < 1) return nullptr;
  while (*text && IsBlank(*text)) ++text;
  const char* start = text;
  const char* end = nullptr;
  const char* after = nullptr;
  if (*text == '"') {
    start = text + 1;
    end = std::strchr(start, '"');
    if (!end) return nullptr;  // unclosed quote: no value
    after = end + 1;
  } else {
    end = start;
    while (*end && !IsBlank(*end)) ++end;
    after = end;
  }
  if (end == start) return nullptr;
  const size_t n = std::min(static_cast<size_t>(end - start), static_cast<size_t>(size - 1));
  std::memcpy(token, start, n);
  token[n] = '\0';
  return after;
}

int32_t vnPLParser_ParseBool(const char* text) {
  if (!text) return -1;
  if (PLAT_EqualNoCase(text, "true")) return 1;
  if (PLAT_EqualNoCase(text, "false")) return 0;
  return -1;
}

int32_t vnPLParser_ApplyCommands(const VNPLACE_COMMANDBLOCK* block, VNUNIT* unit) {
  return ForEachCommand(block, unit,
                        [&](int32_t code, const char* value) { Apply(unit, block, code, value); });
}

int32_t vnPLParser_ApplyLateCommands(const VNPLACE_COMMANDBLOCK* block, VNUNIT* unit) {
  HealthScale scale;
  const int32_t whole = ForEachCommand(block, unit, [&](int32_t code, const char* value) {
    if (code == VNPL_HP_SCALE) ReadHealthScale(&scale, value);
  });
  if (scale.inRange) {
    vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH) * scale.last);
  }
  return whole;
}
