// Reads the unit attribute rows from "units/vn_db_attr.txt".
#include "world/unittype/attributes.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr char kAttrFile[] = "units/vn_db_attr.txt";
// Far beyond any real line; a longer one is skipped whole.
constexpr size_t kMaxLine = 4096;
// Field 8 (1-based) is the supply value, fields 10-28 the float values; the rest are integers.
constexpr int32_t kSupplyField = 8;
constexpr int32_t kFirstFloatField = 10;
constexpr int32_t kLastFloatField = 28;
// Fields 2-4 fill attribute values 2-4; value 5 (the icon) is -1; fields 5-28 fill 6-29.
constexpr int32_t kIconValue = VN_ATTR_ICON;

const VNUNIT_ATTR* g_loadedRows = nullptr;

struct AttrLine {
  int32_t nFields = 0;
  uint32_t adwField[VN_ATTR_LINE_MAX_FIELDS] = {};  // raw words, field 1 first
  bool bTrailing = false;                          // text left after the last field read
};

// A line holds no line feed; a carriage return is a blank like any other.
const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  return p;
}

bool IsFloatField(int32_t field) {
  return field == kSupplyField || (field >= kFirstFloatField && field <= kLastFloatField);
}

// One field as the line's conversion reads it: leading blanks skipped, the number's longest
// prefix taken. False when nothing converts or the value does not fit its 32-bit field.
bool ReadField(const char*& p, bool isFloat, uint32_t* out) {
  p = SkipBlanks(p);
  char* end = nullptr;
  errno = 0;
  if (isFloat) {
    const float v = std::strtof(p, &end);
    if (end == p || !std::isfinite(v)) return false;
    *out = std::bit_cast<uint32_t>(v);
  } else {
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<uint32_t>(static_cast<int32_t>(v));
  }
  p = end;
  return true;
}

AttrLine ParseLine(const std::string& text) {
  AttrLine line;
  const char* p = text.c_str();
  while (line.nFields < VN_ATTR_LINE_MAX_FIELDS &&
         ReadField(p, IsFloatField(line.nFields + 1), &line.adwField[line.nFields])) {
    ++line.nFields;
  }
  p = SkipBlanks(p);
  line.bTrailing = *p != '\0';
  return line;
}

// The next line without its line feed; false at the end of the file with nothing read.
// `tooLong` says the line ran past kMaxLine (the rest of it is consumed).
bool ReadLine(FILE* f, std::string* text, bool* tooLong) {
  text->clear();
  *tooLong = false;
  int c = std::fgetc(f);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::fgetc(f)) {
    if (text->size() < kMaxLine) {
      text->push_back(static_cast<char>(c));
    } else {
      *tooLong = true;
    }
  }
  return true;
}

void ReturnNodes(SGE_DLLNODE* list, SGE_DLLNODE* freeNodes) {
  if (!list->pNext) return;  // zero-filled: never loaded
  while (SGE_DLLNODE* n = SGE_ListPopHead(list)) SGE_ListAddHead(freeNodes, n);
}

// The fault the line would cause, or null when it is sound.
const char* CheckIndices(const AttrLine& line) {
  const int32_t type = static_cast<int32_t>(line.adwField[0]);
  if (type < 0 || type >= VN_UNIT_TYPE_COUNT) return "its type index is out of range";
  for (int32_t i = VN_ATTR_LINE_MIN_FIELDS; i < line.nFields; ++i) {
    const int32_t linked = static_cast<int32_t>(line.adwField[i]);
    if (linked < 0 || linked >= VN_UNIT_TYPE_COUNT) return "a linked type is out of range";
  }
  return nullptr;
}

void StartRow(VNUNIT_ATTR* row, const AttrLine& line, SGE_DLLNODE* freeNodes) {
  // A type named again after other types starts over; its old nodes go back to the pool.
  ReturnNodes(&row->linked, freeNodes);
  ReturnNodes(&row->second, freeNodes);
  row->nType = static_cast<int32_t>(line.adwField[0]);
  row->dwFlags = line.adwField[VN_ATTR_LINE_MIN_FIELDS - 1];
  row->anReserved[0] = row->anReserved[1] = 0;
  SGE_ListInit(&row->linked);
  SGE_ListInit(&row->second);
}

void AddLinks(VNUNIT_ATTR* rows, VNUNIT_ATTR* row, const AttrLine& line, SGE_DLLNODE* freeNodes,
              int32_t lineNo) {
  for (int32_t i = VN_ATTR_LINE_MIN_FIELDS; i < line.nFields; ++i) {
    SGE_DLLNODE* n = SGE_ListPopHead(freeNodes);
    if (!n) {
      PLAT_Trace("%s line %d: no list node left for the linked types of type %d\n", kAttrFile,
                 lineNo, row->nType);
      return;
    }
    SGE_ListRecord<VNUNIT_LINKNODE>(n)->pData = &rows[line.adwField[i]];
    SGE_ListAddTail(&row->linked, n);
  }
}

void CopyValues(VNUNIT_ATTR* row, const AttrLine& line) {
  // Values 0 and 1 are not in the file.
  for (int32_t v = 2; v < kIconValue; ++v) row->adwValues[v] = line.adwField[v - 1];
  row->adwValues[kIconValue] = static_cast<uint32_t>(-1);
  for (int32_t v = kIconValue + 1; v < VN_ATTR_VALUES; ++v) row->adwValues[v] = line.adwField[v - 2];
}

// Every row gets its class id and walkable lists, also the rows no line names.
void PrepareRows(VNUNIT_ATTR* rows) {
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    rows[t].nClassId = vnUNITMAN_GetTypeInfo(t)->nClassId;
    if (!rows[t].linked.pNext) SGE_ListInit(&rows[t].linked);
    if (!rows[t].second.pNext) SGE_ListInit(&rows[t].second);
  }
}

void ReadRows(FILE* f, VNUNIT_ATTR* rows, SGE_DLLNODE* freeNodes) {
  std::string text;
  bool tooLong = false;
  int32_t previous = -1;
  for (int32_t lineNo = 1; ReadLine(f, &text, &tooLong); ++lineNo) {
    if (tooLong) {
      PLAT_Trace("%s line %d: longer than %zu characters, skipped\n", kAttrFile, lineNo, kMaxLine);
      continue;
    }
    if (text.find("//") != std::string::npos) continue;
    if (text.empty()) return;
    const AttrLine line = ParseLine(text);
    if (line.nFields < VN_ATTR_LINE_MIN_FIELDS) {
      PLAT_Trace("%s line %d: %d of at least %d fields; reading ends here\n", kAttrFile, lineNo,
                 line.nFields, VN_ATTR_LINE_MIN_FIELDS);
      return;
    }
    if (const char* fault = CheckIndices(line)) {
      PLAT_Trace("%s line %d: %s, skipped\n", kAttrFile, lineNo, fault);
      continue;
    }
    if (line.bTrailing) {
      PLAT_Trace("%s line %d: text after the last field ignored\n", kAttrFile, lineNo);
    }
    const int32_t type = static_cast<int32_t>(line.adwField[0]);
    VNUNIT_ATTR* row = &rows[type];
    // Consecutive lines of one type amend its row: values replaced, links appended.
    if (type != previous) StartRow(row, line, freeNodes);
    previous = type;
    AddLinks(rows, row, line, freeNodes, lineNo);
    CopyValues(row, line);
  }
}

}  // namespace

int32_t vnUNITMAN_LoadAttributes(VNUNIT_ATTR* rows, SGE_DLLNODE* freeNodes) {
  PrepareRows(rows);
  PLAT_FileHandle f(PLAT_FOpen(kAttrFile, "rb"));
  if (!f) {
    PLAT_Trace("vnUNITMAN_LoadAttributes: %s cannot be opened\n", kAttrFile);
    return 0;
  }
  ReadRows(f.get(), rows, freeNodes);
  g_loadedRows = rows;
  return 1;
}

int32_t vnUNITMAN_FreeAttributes(VNUNIT_ATTR* rows, SGE_DLLNODE* freeNodes) {
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    ReturnNodes(&rows[t].linked, freeNodes);
    ReturnNodes(&rows[t].second, freeNodes);
    std::memset(&rows[t], 0, sizeof rows[t]);
  }
  if (g_loadedRows == rows) g_loadedRows = nullptr;
  return 1;
}

const VNUNIT_ATTR* vnUNITATTR_LoadedRow(int32_t type) {
  if (!g_loadedRows || type < 0 || type >= VN_UNIT_TYPE_COUNT) return nullptr;
  return &g_loadedRows[type];
}
