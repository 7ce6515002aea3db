// The texture table: name buckets, folder records, slots by id and their release.
#include "driver/texture/table.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "driver/device/frame.h"
#include "driver/core/pools.h"
#include "driver/texture/paths.h"
#include "driver/texture/ppm.h"
#include "platform/gfx/gfx.h"
#include "platform/trace.h"

namespace {

// Sum of the characters as signed bytes, as the stored buckets have always been chosen.
uint32_t Hash(const char* s, size_t n) {
  int32_t sum = 0;
  for (size_t i = 0; i < n && s[i]; ++i) sum += static_cast<signed char>(s[i]);
  return static_cast<uint32_t>(sum);
}

SPPD_TEXTUREFOLDER* FindFolder(SPPD_TEXTUREPATHS* paths, const std::string& folder,
                               bool create) {
  SPPD_TEXTUREFOLDER*& head =
      paths->apFolders[Hash(folder.c_str(), folder.size()) % SPPD_TEXTURE_FOLDER_BUCKETS];
  for (SPPD_TEXTUREFOLDER* f = head; f; f = f->pNext)
    if (folder == f->szPath) return f;
  if (!create) return nullptr;
  auto size = static_cast<uint32_t>(offsetof(SPPD_TEXTUREFOLDER, szPath) + folder.size() + 1);
  auto* f = static_cast<SPPD_TEXTUREFOLDER*>(SPPD_PoolAlloc(paths->pNamePool, size));
  if (!f) return nullptr;
  std::memcpy(f->szPath, folder.c_str(), folder.size() + 1);
  f->pNext = head;
  head = f;
  return f;
}

bool GrowSlots(SPPD_TEXTURETABLE* t) {
  const uint64_t slots = uint64_t{t->dwCapacity} + SPPD_TEXTURE_SLOT_GROWTH;
  const uint64_t bytes = slots * sizeof(SPPD_TEXTURESLOT);
  if (bytes > UINT32_MAX) return false;
  void* grown = SGE_MemRealloc(t->pSlots, static_cast<uint32_t>(bytes));
  if (!grown) return false;
  t->pSlots = static_cast<SPPD_TEXTURESLOT*>(grown);
  std::memset(t->pSlots + t->dwCapacity, 0, SPPD_TEXTURE_SLOT_GROWTH * sizeof(SPPD_TEXTURESLOT));
  t->dwCapacity = static_cast<uint32_t>(slots);
  return true;
}

SPPD_TEXTURENAME* Register(SPPD_TEXTUREPATHS* paths, SPPD_TEXTUREBUCKET* bucket,
                           SPPD_TEXTUREFOLDER* folder, const std::string& leaf) {
  SPPD_TEXTURETABLE* t = paths->pTable;
  // Grow before the id is given, so a table that cannot grow leaves nothing half made.
  if (t->dwNextID + 1 >= t->dwCapacity && !GrowSlots(t)) {
    PLAT_Trace("GFXDRV: texture table: cannot grow past %u slots for %s\n", t->dwCapacity,
               leaf.c_str());
    return nullptr;
  }
  auto size = static_cast<uint32_t>(offsetof(SPPD_TEXTURENAME, szLeaf) + leaf.size() + 1);
  auto* rec = static_cast<SPPD_TEXTURENAME*>(SPPD_PoolAlloc(paths->pNamePool, size));
  if (!rec) {
    PLAT_Trace("GFXDRV: texture table: the names pool is full at %s\n", leaf.c_str());
    return nullptr;
  }
  std::memcpy(rec->szLeaf, leaf.c_str(), leaf.size() + 1);
  rec->pFolder = folder;
  rec->dwID = t->dwNextID++;
  if (!bucket->pNames) {
    SPPD_LinkRemove(&bucket->link);
    SPPD_LinkAppend(&t->lhUsedBuckets, &bucket->link);
  }
  rec->pNext = bucket->pNames;
  bucket->pNames = rec;

  SPPD_TEXTURESLOT& slot = t->pSlots[rec->dwID];
  slot.dwFlags = SPPD_TEXTURE_NAMED;
  slot.pName = rec;
  slot.pSurface = nullptr;
  // A missing source is no error here: loading fails later and the texture draws bare.
  if (SPPD_PPMFileIsP7(SPPD_TextureSourcePath(paths, rec))) slot.dwFlags |= SPPD_TEXTURE_ALPHA;
  return rec;
}

}  // namespace

SPPD_TEXTURETABLE* SPPD_TextureTableCreate(SPPD_DRIVERSTATE* state, uint32_t slots) {
  if (!state || !state->pGeneralPool || !state->pTextureNamePool || slots < 2) {
    PLAT_Trace("GFXDRV: SPPD_TextureTableCreate: no pools or too few slots\n");
    return nullptr;
  }
  auto* t = static_cast<SPPD_TEXTURETABLE*>(
      SPPD_PoolCalloc(state->pGeneralPool, sizeof(SPPD_TEXTURETABLE)));
  if (!t) return nullptr;
  const uint64_t bytes = uint64_t{slots} * sizeof(SPPD_TEXTURESLOT);
  t->pSlots = bytes <= UINT32_MAX ? static_cast<SPPD_TEXTURESLOT*>(SPPD_PoolCalloc(
                                        state->pGeneralPool, static_cast<uint32_t>(bytes)))
                                  : nullptr;
  t->pPaths = new (std::nothrow) SPPD_TEXTUREPATHS{};
  if (!t->pSlots || !t->pPaths) {
    PLAT_Trace("GFXDRV: SPPD_TextureTableCreate: no room for %u slots\n", slots);
    delete t->pPaths;
    if (t->pSlots) SPPD_PoolFree(t->pSlots);
    SPPD_PoolFree(t);
    return nullptr;
  }
  t->dwCapacity = slots;
  t->dwNextID = 1;
  t->pGeneralPool = state->pGeneralPool;
  t->pNamePool = state->pTextureNamePool;
  t->pTexturePool = state->pTexturePool;
  SPPD_LinkInit(&t->lhUsedBuckets);
  SPPD_LinkInit(&t->lhFreeBuckets);
  for (SPPD_TEXTUREBUCKET& b : t->aBuckets) SPPD_LinkAppend(&t->lhFreeBuckets, &b.link);

  SPPD_TEXTUREPATHS* p = t->pPaths;
  p->pNamePool = state->pTextureNamePool;
  p->pTable = t;
  std::string current = SPPD_TextureCurrentFolder();
  std::snprintf(p->szCurrent, sizeof p->szCurrent, "%s", current.c_str());
  std::snprintf(p->szL4Path, sizeof p->szL4Path, "%s", SPPD_TextureDriverL4Path());
  return t;
}

void SPPD_TextureTableReleaseAll(SPPD_TEXTURETABLE* t) {
  if (!t) return;
  for (SPPD_TEXTUREBUCKET* bucket : SPPD_LinkRecords<SPPD_TEXTUREBUCKET>(&t->lhUsedBuckets)) {
    for (SPPD_TEXTURENAME* rec = bucket->pNames; rec;) {
      SPPD_TEXTURENAME* next = rec->pNext;
      if (rec->dwID < t->dwCapacity) {
        SPPD_TEXTURESLOT& slot = t->pSlots[rec->dwID];
        PLAT_GfxReleaseTexture(slot.pSurface);
        slot = SPPD_TEXTURESLOT{};
      }
      rec->dwID = 0;
      SPPD_PoolFree(rec);
      rec = next;
    }
    bucket->pNames = nullptr;
  }
  SPPD_LinkMoveAll(&t->lhFreeBuckets, &t->lhUsedBuckets);
  t->dwNextID = 1;
}

void SPPD_TextureTableDestroy(SPPD_TEXTURETABLE* t) {
  if (!t) return;
  if (SPPD_TEXTUREPATHS* p = t->pPaths) {
    for (SPPD_TEXTUREFOLDER*& head : p->apFolders) {
      while (head) {
        SPPD_TEXTUREFOLDER* next = head->pNext;
        SPPD_PoolFree(head);
        head = next;
      }
    }
    delete p;
    t->pPaths = nullptr;
  }
  SPPD_TextureTableReleaseAll(t);
  SPPD_PoolFree(t->pSlots);
  SPPD_PoolFree(t);
}

SPPD_TEXTURETABLE* SPPD_TextureTableOf(SPPD_DRIVERSTATE* state) {
  if (!state) return nullptr;
  // Made with the device and dropped by the purge that every destroy runs first, so a table
  // never outlives the pools it lives in.
  if (!state->pTextureTable && state->pGfx)
    state->pTextureTable = SPPD_TextureTableCreate(state, SPPD_TEXTURE_SLOTS);
  return state->pTextureTable;
}

void SPPD_TextureTablePurge(SPPD_DRIVERSTATE* state) {
  if (!state) return;
  SPPD_TextureTableDestroy(state->pTextureTable);
  state->pTextureTable = nullptr;
}

uint32_t SPPD_TextureTableCapacity(const SPPD_DRIVERSTATE* state) {
  return state && state->pTextureTable ? state->pTextureTable->dwCapacity : SPPD_TEXTURE_SLOTS;
}

SPPD_TEXTURENAME* SPPD_TextureFindName(SPPD_TEXTUREPATHS* paths, const char* name,
                                       int32_t create) {
  if (!paths || !paths->pTable || !name) return nullptr;
  char full[SPPD_TEXTURE_PATH_SIZE];
  if (!SPPD_TextureFullPath(name, full, sizeof full)) {
    PLAT_Trace("GFXDRV: texture name is not a usable file path: %.200s\n", name);
    return nullptr;
  }
  const char* slash = std::strrchr(full, '\\');
  std::string folder(full, static_cast<size_t>(slash - full) + 1);
  std::string leaf(slash + 1);
  size_t dot = leaf.rfind('.');
  size_t stem = dot == std::string::npos ? leaf.size() : dot;
  SPPD_TEXTUREBUCKET* bucket =
      &paths->pTable->aBuckets[Hash(leaf.c_str(), stem) % SPPD_TEXTURE_NAME_BUCKETS];

  SPPD_TEXTUREFOLDER* f = FindFolder(paths, folder, false);
  if (f) {
    for (SPPD_TEXTURENAME* rec = bucket->pNames; rec; rec = rec->pNext)
      if (rec->pFolder == f && leaf == rec->szLeaf) return rec;
  }
  if (!create) return nullptr;
  if (!f && !(f = FindFolder(paths, folder, true))) {
    PLAT_Trace("GFXDRV: texture table: the names pool is full at %s\n", folder.c_str());
    return nullptr;
  }
  return Register(paths, bucket, f, leaf);
}

SPPD_TEXTURESLOT* SPPD_TextureSlot(SPPD_TEXTURETABLE* table, int32_t id) {
  if (!table || id <= 0 || static_cast<uint32_t>(id) >= table->dwNextID ||
      static_cast<uint32_t>(id) >= table->dwCapacity)
    return nullptr;
  SPPD_TEXTURESLOT* slot = &table->pSlots[id];
  return slot->pName ? slot : nullptr;
}
