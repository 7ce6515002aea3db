// Finding and freeing the sets, frames and texture entries of a B2D file record.
#include "engine/b2d/b2d.h"
#include "engine/memory/memblock.h"
#include "platform/text.h"

namespace {

SPW_B2DSET* AsSet(SGE_DLLNODE* n) { return reinterpret_cast<SPW_B2DSET*>(n); }
SPW_B2DFRAME* AsFrame(SGE_DLLNODE* n) { return reinterpret_cast<SPW_B2DFRAME*>(n); }

}  // namespace

int32_t SPW_B2D_FreeSet(SPW_B2DSET* set) {
  if (!set) return 0;
  SGE_ListFreeAll(&set->frames);
  return SGE_ListRemove(&set->link);
}

int32_t SPW_B2D_Free(SPW_B2DFILE* file) {
  if (!file) return 0;
  while (SGE_DLLNODE* n = SGE_ListFirst(&file->sets)) SPW_B2D_FreeSet(AsSet(n));
  SGE_ListFreeAll(&file->textures);
  return SGE_MemFree(file);
}

SPW_B2DSET* SPW_B2D_FindSet(const SPW_B2DFILE* file, const char* name) {
  if (!file || !name) return nullptr;
  for (SGE_DLLNODE* n = SGE_ListFirst(&file->sets); n; n = SGE_ListNext(&file->sets, n))
    if (PLAT_EqualNoCase(AsSet(n)->szName, name)) return AsSet(n);
  return nullptr;
}

SPW_B2DFRAME* SPW_B2D_GetFrame(const SPW_B2DSET* set, const SPW_B2DFRAME* after, int32_t id) {
  if (!set) return nullptr;
  SGE_DLLNODE* n = after ? SGE_ListNext(&set->frames, &after->link) : SGE_ListFirst(&set->frames);
  for (; n; n = SGE_ListNext(&set->frames, n))
    if (AsFrame(n)->nId == id) return AsFrame(n);
  return nullptr;
}

SPW_B2DFRAME* SPW_B2D_FindFrameByName(const SPW_B2DSET* set, const char* name, int32_t* index) {
  if (index) *index = -1;
  if (!set || !name) return nullptr;
  int32_t i = 0;
  for (SGE_DLLNODE* n = SGE_ListFirst(&set->frames); n; n = SGE_ListNext(&set->frames, n), ++i) {
    const char* frameName = AsFrame(n)->pszName;
    if (frameName && PLAT_EqualNoCase(frameName, name)) {
      if (index) *index = i;
      return AsFrame(n);
    }
  }
  return nullptr;
}

SPW_B2DFRAME* SPW_B2D_GetFrameAt(const SPW_B2DSET* set, int32_t index) {
  if (!set || index < 0) return nullptr;
  SGE_DLLNODE* n = SGE_ListFirst(&set->frames);
  for (; n && index > 0; --index) n = SGE_ListNext(&set->frames, n);
  return n ? AsFrame(n) : nullptr;
}

SPW_B2DTEXTURE* SPW_B2D_FindTexture(const SPW_B2DFILE* file, int32_t number) {
  if (!file) return nullptr;
  for (SGE_DLLNODE* n = SGE_ListFirst(&file->textures); n; n = SGE_ListNext(&file->textures, n))
    if (reinterpret_cast<SPW_B2DTEXTURE*>(n)->nNumber == number)
      return reinterpret_cast<SPW_B2DTEXTURE*>(n);
  return nullptr;
}
