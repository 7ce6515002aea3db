// The formation file: named formations of up to VNRANK_MAX_SLOTS slots, then the ten rank
// programs "Prog_0" to "Prog_9", every one with its slot offsets made relative to slot 0.
//
//   [ Wedge ]
//   Count = 3
//   Orientation[0] = (0, -1, 0)
//   Offset[1] = (-2, 2, 0)
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "world/unitman/orders.h"

namespace {

constexpr size_t kMaxLine = 255;  // the rest of a longer line is dropped
constexpr char kProgramName[] = "Prog_%d";

// The slots as the file has set them so far. A formation that sets fewer slots, or no count,
// keeps what the formations before it left here.
struct Reader {
  const char* path;
  int32_t lineNo = 0;
  VNRANK_SLOT slots[VNRANK_MAX_SLOTS];
  int32_t count = 0;
  bool open = false;
  char name[VNRANK_NAME_SIZE] = {};
};

bool ReadLine(FILE* f, std::string* text) {
  text->clear();
  int c = std::fgetc(f);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::fgetc(f)) {
    if (text->size() < kMaxLine) text->push_back(static_cast<char>(c));
  }
  return true;
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r") == std::string::npos;
}

void InitSlots(Reader* r) {
  for (VNRANK_SLOT& slot : r->slots) {
    slot.vFacing = {0.0f, -1.0f, 0.0f};
    slot.vOffset = {0.0f, 0.0f, 0.0f};
    slot.nUnitId = -1;
    slot.pUnit = nullptr;
  }
}

VNRANK_PROGRAM* NewProgram(VNUNITMAN* manager, const char* name, int32_t kind, int32_t capacity) {
  auto* program =
      static_cast<VNRANK_PROGRAM*>(SGE_MemCalloc(manager->pBlock, sizeof(VNRANK_PROGRAM)));
  if (!program) return nullptr;
  if (capacity > 0) {
    program->pSlots = static_cast<VNRANK_SLOT*>(
        SGE_MemCalloc(manager->pBlock, sizeof(VNRANK_SLOT) * static_cast<uint32_t>(capacity)));
    if (!program->pSlots) {
      SGE_MemFree(program);
      return nullptr;
    }
  }
  std::snprintf(program->szName, sizeof(program->szName), "%s", name);
  program->nKind = kind;
  program->pSource = nullptr;
  program->vDir = {0.0f, -1.0f, 0.0f};
  program->fScale = 1.0f;
  program->bDirSet = 0;
  program->nCapacity = capacity;
  return program;
}

void StoreFormation(VNUNITMAN* manager, const Reader& r) {
  VNRANK_PROGRAM* program = NewProgram(manager, r.name, VNRANK_KIND_FORMATION, r.count);
  if (!program) {
    PLAT_Trace("%s: no memory for formation %s; not stored\n", r.path, r.name);
    return;
  }
  if (r.count > 0) {
    std::memcpy(program->pSlots, r.slots, sizeof(VNRANK_SLOT) * static_cast<size_t>(r.count));
  }
  program->nCount = r.count;
  SGE_ListAddTail(&manager->formations, &program->link);
}

void AddPrograms(VNUNITMAN* manager) {
  for (int32_t k = 0; k < VNRANK_PROGRAMS; ++k) {
    char name[VNRANK_NAME_SIZE];
    std::snprintf(name, sizeof(name), kProgramName, k);
    const int32_t kind = k == 0 ? VNRANK_KIND_RANK : VNRANK_KIND_PROGRAM;
    VNRANK_PROGRAM* program = NewProgram(manager, name, kind, VNRANK_MAX_SLOTS);
    if (!program) {
      PLAT_Trace("vnUNITMAN_LoadFormations: no memory for %s; not stored\n", name);
      continue;
    }
    SGE_ListAddTail(&manager->formations, &program->link);
  }
}

// Facings of unit length (a zero facing stays zero); offsets relative to slot 0. Two finite
// offsets can lie farther apart than a float holds: such a slot is put at slot 0.
void Normalise(VNRANK_PROGRAM* program) {
  if (program->nCount <= 0) return;
  const SPW_VECTOR origin = program->pSlots[0].vOffset;
  for (int32_t i = 0; i < program->nCount; ++i) {
    VNRANK_SLOT& slot = program->pSlots[i];
    SPW_VecNormalise(&slot.vFacing);
    SPW_VECTOR relative{slot.vOffset.x - origin.x, slot.vOffset.y - origin.y,
                        slot.vOffset.z - origin.z};
    if (!std::isfinite(relative.x) || !std::isfinite(relative.y) || !std::isfinite(relative.z)) {
      PLAT_Trace("Formation %s: slot %d lies too far from slot 0; put at slot 0\n",
                 program->szName, i);
      relative = {0.0f, 0.0f, 0.0f};
    }
    slot.vOffset = relative;
  }
}

bool ParseHeader(Reader* r, const char* line, VNUNITMAN* manager) {
  char name[kMaxLine + 1];
  // Whitespace and ']' end the name, so "[Wedge]" and "[ Wedge ]" both name "Wedge".
  if (std::sscanf(line, " [ %255[^] \t\r\n]", name) != 1) return false;
  if (r->open) StoreFormation(manager, *r);
  if (std::strlen(name) >= sizeof(r->name)) {
    PLAT_Trace("%s line %d: formation name longer than %d characters, cut\n", r->path, r->lineNo,
               VNRANK_NAME_SIZE - 1);
  }
  std::snprintf(r->name, sizeof(r->name), "%.*s", VNRANK_NAME_SIZE - 1, name);
  r->open = true;
  return true;
}

// "Orientation" or "Offset" lines; the field they set.
bool ParseSlotVector(Reader* r, const char* line, const char* format,
                     SPW_VECTOR VNRANK_SLOT::*field) {
  int32_t index = 0;
  SPW_VECTOR v{};
  if (std::sscanf(line, format, &index, &v.x, &v.y, &v.z) != 4) return false;
  if (index < 0 || index >= VNRANK_MAX_SLOTS) {
    PLAT_Trace("%s line %d: slot %d is not 0 to %d, ignored\n", r->path, r->lineNo, index,
               VNRANK_MAX_SLOTS - 1);
  } else if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
    PLAT_Trace("%s line %d: slot %d holds a value that is no number, ignored\n", r->path,
               r->lineNo, index);
  } else {
    r->slots[index].*field = v;
  }
  return true;
}

bool ParseCount(Reader* r, const char* line) {
  int32_t count = 0;
  if (std::sscanf(line, " Count = %d", &count) != 1) return false;
  // A count past the working slots would copy beyond them.
  if (count < 0 || count > VNRANK_MAX_SLOTS) {
    PLAT_Trace("%s line %d: count %d is not 0 to %d, ignored\n", r->path, r->lineNo, count,
               VNRANK_MAX_SLOTS);
  } else {
    r->count = count;
  }
  return true;
}

void ParseLine(Reader* r, const std::string& text, VNUNITMAN* manager) {
  const char* line = text.c_str();
  if (ParseHeader(r, line, manager)) return;
  if (ParseSlotVector(r, line, " Orientation [ %d ] = ( %f , %f , %f )", &VNRANK_SLOT::vFacing)) {
    return;
  }
  if (ParseSlotVector(r, line, " Offset [ %d ] = ( %f , %f , %f )", &VNRANK_SLOT::vOffset)) return;
  if (ParseCount(r, line)) return;
  if (!IsBlank(text)) PLAT_Trace("%s line %d: not a formation line, ignored\n", r->path, r->lineNo);
}

}  // namespace

int32_t vnUNITMAN_LoadFormations(VNUNITMAN* manager, const char* path) {
  PLAT_FileHandle f(PLAT_FOpen(path, "r"));
  if (!f) {
    PLAT_Trace("vnUNITMAN_LoadFormations: %s cannot be opened; no formations\n", path);
    return 0;
  }
  Reader r;
  r.path = path;
  InitSlots(&r);
  std::string text;
  while (ReadLine(f.get(), &text)) {
    ++r.lineNo;
    ParseLine(&r, text, manager);
  }
  if (r.open) StoreFormation(manager, r);
  AddPrograms(manager);
  for (VNRANK_PROGRAM* program : SGE_ListRecords<VNRANK_PROGRAM>(&manager->formations)) {
    Normalise(program);
    PLAT_Trace("Formation %s loaded\n", program->szName);
  }
  return 1;
}

VNRANK_PROGRAM* vnUNITMAN_FindFormation(VNUNITMAN* manager, const char* name) {
  if (!name) return nullptr;
  for (VNRANK_PROGRAM* program : SGE_ListRecords<VNRANK_PROGRAM>(&manager->formations)) {
    if (PLAT_EqualNoCase(program->szName, name)) return program;
  }
  return nullptr;
}

void vnUNITMAN_FreeFormations(VNUNITMAN* manager) {
  while (SGE_DLLNODE* l = SGE_ListPopHead(&manager->formations)) {
    auto* program = reinterpret_cast<VNRANK_PROGRAM*>(l);
    if (program->pSlots) SGE_MemFree(program->pSlots);
    SGE_MemFree(program);
  }
}
