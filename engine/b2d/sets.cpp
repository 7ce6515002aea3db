// Finding and freeing the sets, frames and texture entries of a B2D file record.
#include "engine/b2d/b2d.h"
#include "engine/memory/memblock.h"
#include "platform/text.h"

int32_t SPW_B2D_FreeSet(SPW_B2DSET* set) {
  if (!set) return 0;
  SGE_ListFreeAll(&set->frames);
  return SGE_ListRemove(&set->link);
}

int32_t SPW_B2D_Free(SPW_B2DFILE* file) {
  if (!file) return 0;
  while (SPW_B2DSET* set = SGE_ListFirstRecord<SPW_B2DSET>(&file->sets)) SPW_B2D_FreeSet(set);
  SGE_ListFreeAll(&file->textures);
  return SGE_MemFree(file);
}

SPW_B2DSET* SPW_B2D_FindSet(const SPW_B2DFILE* file, const char* name) {
  if (!file || !name) return nullptr;
  for (SPW_B2DSET* set : SGE_ListRecords<SPW_B2DSET>(&file->sets))
    if (PLAT_EqualNoCase(set->szName, name)) return set;
  return nullptr;
}

SPW_B2DFRAME* SPW_B2D_GetFrame(const SPW_B2DSET* set, const SPW_B2DFRAME* after, int32_t id) {
  if (!set) return nullptr;
  bool searching = !after;
  for (SPW_B2DFRAME* frame : SGE_ListRecords<SPW_B2DFRAME>(&set->frames)) {
    if (searching && frame->nId == id) return frame;
    searching = searching || frame == after;
  }
  return nullptr;
}

SPW_B2DFRAME* SPW_B2D_FindFrameByName(const SPW_B2DSET* set, const char* name, int32_t* index) {
  if (index) *index = -1;
  if (!set || !name) return nullptr;
  int32_t i = 0;
  for (SPW_B2DFRAME* frame : SGE_ListRecords<SPW_B2DFRAME>(&set->frames)) {
    if (frame->pszName && PLAT_EqualNoCase(frame->pszName, name)) {
      if (index) *index = i;
      return frame;
    }
    ++i;
  }
  return nullptr;
}

SPW_B2DFRAME* SPW_B2D_GetFrameAt(const SPW_B2DSET* set, int32_t index) {
  if (!set || index < 0) return nullptr;
  for (SPW_B2DFRAME* frame : SGE_ListRecords<SPW_B2DFRAME>(&set->frames))
    if (index-- == 0) return frame;
  return nullptr;
}

SPW_B2DTEXTURE* SPW_B2D_FindTexture(const SPW_B2DFILE* file, int32_t number) {
  if (!file) return nullptr;
  for (SPW_B2DTEXTURE* texture : SGE_ListRecords<SPW_B2DTEXTURE>(&file->textures))
    if (texture->nNumber == number) return texture;
  return nullptr;
}
