#include "missions/control/sequences.h"

#include <cstdio>

#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

SGE_DLLNODE g_defs = {&g_defs, &g_defs};
SGE_DLLNODE g_runners = {&g_runners, &g_runners};

template <typename T>
T* New(const char* what) {
  auto* record = static_cast<T*>(SGE_MemCalloc(SGE_GameMem, sizeof(T)));
  if (!record) PLAT_Trace("%s: no memory\n", what);
  return record;
}

}  // namespace

VNSS_DEFINITION* vnSS_LoadDefinition(const char* file) {
  bool exists = false;
  if (file) PLAT_ResolvePath(file, &exists);
  if (!exists) {
    PLAT_Trace("vnSS_LoadDefinition: no sequence file %s\n", file ? file : "(none)");
    return nullptr;
  }
  auto* def = New<VNSS_DEFINITION>("vnSS_LoadDefinition");
  if (!def) return nullptr;
  std::snprintf(def->szFile, sizeof def->szFile, "%s", file);
  SGE_ListAddTail(&g_defs, &def->link);
  return def;
}

VNSS_RUNNER* vnSS_Start(VNSS_DEFINITION* def, uint32_t unitId, int32_t value) {
  if (!def) return nullptr;
  auto* runner = New<VNSS_RUNNER>("vnSS_Start");
  if (!runner) return nullptr;
  runner->pDef = def;
  runner->dwUnitId = unitId;
  runner->nValue = value;
  SGE_ListAddTail(&g_runners, &runner->link);
  return runner;
}

void vnSS_SetOffset(VNSS_RUNNER* runner, const SPW_VECTOR* point) {
  if (runner && point) runner->vOffset = *point;
}

const SGE_DLLNODE* vnSS_GetRunners() { return &g_runners; }

void vnSS_FreeAll() {
  SGE_ListFreeAll(&g_runners);
  SGE_ListFreeAll(&g_defs);
}
