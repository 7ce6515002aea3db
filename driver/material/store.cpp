// The named material store: 2048 buckets by name sum, records and data blocks from the pools.
#include "driver/material/store.h"

#include <cstring>

#include "driver/core/block.h"
#include "driver/core/pools.h"
#include "platform/trace.h"

namespace {

bool SameName(const SPPD_MATERIAL* m, const char* name) {
  return std::strncmp(m->szName, name, SPPD_MATERIAL_NAME_SIZE) == 0;
}

SPPD_MATERIAL* Find(SPPD_MATERIALTABLE* t, const char* name) {
  SPPD_MATERIALBUCKET& b = t->aBuckets[SPPD_MaterialHash(name)];
  for (SPPD_MATERIAL* m : SPPD_LinkRecords<SPPD_MATERIAL>(&b.lhMaterials))
    if (SameName(m, name)) return m;
  return nullptr;
}

SPPD_MATERIALHEADER* HeaderOf(void* block) { return static_cast<SPPD_MATERIALHEADER*>(block); }

// The owner of a block handed back by a caller, when it really is one of the table's.
SPPD_MATERIAL* OwnerOf(void* block) {
  if (!block) return nullptr;
  SPPD_MATERIAL* m = HeaderOf(block)->pOwner;
  return m && m->pData == block ? m : nullptr;
}

void FreeMaterial(SPPD_MATERIAL* m) {
  SPPD_PoolFree(m->pData);
  SPPD_PoolFree(m);
}

void Destroy(SPPD_MATERIALTABLE* t, SPPD_MATERIAL* m) {
  SPPD_MATERIALBUCKET& b = t->aBuckets[SPPD_MaterialHash(m->szName)];
  SPPD_LinkRemove(&m->link);
  if (SPPD_LinkEmpty(&b.lhMaterials)) {
    SPPD_LinkRemove(&b.link);
    SPPD_LinkAppend(&t->lhEmptiedBuckets, &b.link);
  }
  FreeMaterial(m);
  if (t->dwCount) --t->dwCount;
}

SPPD_MATERIALTABLE* TableOfDisplay(SPW_DISPLAY* display) {
  return SPPD_MaterialTableOf(SPPD_GetDriverState(display));
}

}  // namespace

uint32_t SPPD_MaterialHash(const char* name) {
  int32_t sum = 0;
  for (int i = 0; i < SPPD_MATERIAL_NAME_SIZE && name[i]; ++i)
    sum += static_cast<signed char>(name[i]);
  return static_cast<uint32_t>(sum) & SPPD_MATERIAL_HASH_MASK;
}

SPPD_MATERIALTABLE* SPPD_MaterialTableOf(SPPD_DRIVERSTATE* s) {
  // The pools go with SPPD_Destroy and the table with them; a new device starts without one.
  if (!s || !s->pGeneralPool) return nullptr;
  if (s->pMaterialTable) return s->pMaterialTable;
  auto* t = static_cast<SPPD_MATERIALTABLE*>(
      SPPD_PoolCalloc(s->pGeneralPool, sizeof(SPPD_MATERIALTABLE)));
  if (!t) {
    PLAT_Trace("GFXDRV: no room for the material table\n");
    return nullptr;
  }
  SPPD_LinkInit(&t->lhUsedBuckets);
  SPPD_LinkInit(&t->lhEmptiedBuckets);
  for (SPPD_MATERIALBUCKET& b : t->aBuckets) {
    SPPD_LinkInit(&b.lhMaterials);
    SPPD_LinkAppend(&t->lhEmptiedBuckets, &b.link);
  }
  t->pRecordPool = s->pGeneralPool;
  t->pDataPool = s->pGeneralPool;
  s->pMaterialTable = t;
  return t;
}

void* SPPD_MaterialGet(SPW_DISPLAY* display, const char* name, int32_t* created, uint32_t size) {
  SPPD_MATERIALTABLE* t = TableOfDisplay(display);
  if (!t || !name) {
    PLAT_Trace("GFXDRV: SPPD_MaterialGet: no material table or name\n");
    return nullptr;
  }
  if (SPPD_MATERIAL* m = Find(t, name)) return m->pData;
  if (!created) return nullptr;
  // The store writes its header into every block, so a smaller block would be overrun.
  if (size < sizeof(SPPD_MATERIALHEADER)) {
    PLAT_Trace("GFXDRV: SPPD_MaterialGet: %u bytes cannot hold the %zu-byte header of \"%.16s\"\n",
               size, sizeof(SPPD_MATERIALHEADER), name);
    return nullptr;
  }
  auto* m = static_cast<SPPD_MATERIAL*>(SPPD_PoolCalloc(t->pRecordPool, sizeof(SPPD_MATERIAL)));
  void* data = SPPD_PoolCalloc(t->pDataPool, size);
  if (!m || !data) {
    PLAT_Trace("GFXDRV: SPPD_MaterialGet: no room for \"%.16s\" (%u bytes)\n", name, size);
    if (m) SPPD_PoolFree(m);
    if (data) SPPD_PoolFree(data);
    return nullptr;
  }
  SPPD_MATERIALBUCKET& b = t->aBuckets[SPPD_MaterialHash(name)];
  if (SPPD_LinkEmpty(&b.lhMaterials)) {
    SPPD_LinkRemove(&b.link);
    SPPD_LinkAppend(&t->lhUsedBuckets, &b.link);
  }
  SPPD_LinkAppend(&b.lhMaterials, &m->link);
  // The record is zeroed, so a shorter name stays terminated.
  std::memcpy(m->szName, name, strnlen(name, SPPD_MATERIAL_NAME_SIZE));
  m->pData = data;
  SPPD_MATERIALHEADER* h = HeaderOf(data);
  h->dwSize = size;
  h->pOwner = m;
  ++t->dwCount;
  *created = 1;
  return data;
}

void SPPD_MaterialDestroy(SPW_DISPLAY* display, void* block) {
  SPPD_MATERIALTABLE* t = TableOfDisplay(display);
  SPPD_MATERIAL* m = OwnerOf(block);
  if (!t || !m) {
    PLAT_Trace("GFXDRV: SPPD_MaterialDestroy: no material table or not a material's block\n");
    return;
  }
  Destroy(t, m);
}

void SPPD_MaterialDestroyByName(SPW_DISPLAY* display, const char* name) {
  SPPD_MATERIALTABLE* t = TableOfDisplay(display);
  if (!t || !name) return;
  if (SPPD_MATERIAL* m = Find(t, name)) Destroy(t, m);
}

void SPPD_GFXDRV_DestroyAllMaterials(SPPD_MATERIALTABLE* t) {
  if (!t) return;
  while (SPPD_LISTHEAD* node = SPPD_LinkPopFirst(&t->lhUsedBuckets)) {
    SPPD_MATERIALBUCKET* b = SPPD_LinkRecord<SPPD_MATERIALBUCKET>(node);
    SPPD_LinkAppend(&t->lhEmptiedBuckets, &b->link);
    while (SPPD_LISTHEAD* mnode = SPPD_LinkPopFirst(&b->lhMaterials))
      FreeMaterial(SPPD_LinkRecord<SPPD_MATERIAL>(mnode));
  }
  t->dwCount = 0;
}
