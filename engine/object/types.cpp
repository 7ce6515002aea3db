// The object type table: lookup by name, the choice of loader and the release of types.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/memory/memblock.h"
#include "engine/object/internal.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

SPW_DOBJTYPE* SPW_ObjectTypes = nullptr;
SPW_TEXTUREHOOK SPW_TextureHook = nullptr;

namespace {

constexpr uint32_t kMaxLodTextures = 65536;

std::string_view BoundedName(const char* name, size_t size) {
  return std::string_view(name, strnlen(name, size));
}

void InitBuiltIn(int32_t slot, const char* name, uint32_t flags) {
  SPW_DOBJTYPE& t = SPW_ObjectTypes[slot];
  std::strncpy(t.szName, name, SPW_OBJECT_NAME_SIZE);
  t.nIndex = slot;
  t.fFactor = 1.0f;
  t.dwFlags = flags;
}

void FreePowType(SPW_DOBJTYPE& t) {
  if (t.pAnims) {
    for (uint32_t a = 0; a < t.dwNumAnims; ++a) {
      SPW_ANIMCHANNEL* channels = t.pAnims[a].pChannels;
      if (!channels) continue;
      for (uint32_t n = 0; n < t.dwNumNodes; ++n) SGE_MemFree(channels[n].pKeys);
      SGE_MemFree(channels);
    }
    SGE_MemFree(t.pAnims);
  }
  if (t.pLods) {
    for (uint32_t l = 0; l < t.dwNumLods; ++l) {
      SPW_DOBJNODE* nodes = t.pLods[l].pNodes;
      if (!nodes) continue;
      for (uint32_t n = 0; n < t.pLods[l].dwNumNodes; ++n) {
        SGE_MemFree(nodes[n].pVertexSet);
        SGE_MemFree(nodes[n].pFaceSet);
      }
      SGE_MemFree(nodes);
    }
    SGE_MemFree(t.pLods);
  }
  SGE_MemFree(t.pBound);
}

}  // namespace

int32_t SPW_ResetObjectTypes() {
  if (!SPW_ObjectTypes) {
    SPW_ObjectTypes = static_cast<SPW_DOBJTYPE*>(
        SGE_MemAlloc(SPW_ObjsMem, SPW_MAX_OBJECT_TYPES * sizeof(SPW_DOBJTYPE)));
    if (!SPW_ObjectTypes) {
      PLAT_Trace("SPW_ResetObjectTypes: no memory for the object type table\n");
      return 0;
    }
  }
  std::memset(SPW_ObjectTypes, 0, SPW_MAX_OBJECT_TYPES * sizeof(SPW_DOBJTYPE));
  InitBuiltIn(SPW_CAMERA_TYPE, "Camera", SPW_CAMERA_TYPE_FLAGS);
  InitBuiltIn(SPW_DLIGHT_TYPE, "DLight", SPW_DLIGHT_TYPE_FLAGS);
  return 1;
}

void SPW_ReleaseObjectTypes() {
  SGE_MemFree(SPW_ObjectTypes);
  SPW_ObjectTypes = nullptr;
}

SPW_DOBJTYPE* SPW_GetObjectType(int32_t slot) {
  if (!SPW_ObjectTypes || slot < 0 || slot >= SPW_MAX_OBJECT_TYPES) return nullptr;
  return &SPW_ObjectTypes[slot];
}

std::string SPW_ObjectBaseName(const char* path) {
  std::string_view p(path ? path : "");
  size_t slash = p.find_last_of("/\\:");
  if (slash != std::string_view::npos) p.remove_prefix(slash + 1);
  size_t dot = p.rfind('.');
  if (dot != std::string_view::npos) p = p.substr(0, dot);
  return std::string(p);
}

int32_t SPW_FindObjectType(const char* name, int32_t* outSlot) {
  if (outSlot) *outSlot = SPW_NO_OBJECT_TYPE;
  if (!name || !SPW_ObjectTypes) return 0;
  std::string_view wanted = BoundedName(name, SPW_OBJECT_NAME_SIZE);
  for (int32_t slot = 0; slot < SPW_MAX_OBJECT_TYPES; ++slot) {
    const SPW_DOBJTYPE& t = SPW_ObjectTypes[slot];
    if (!(t.dwFlags & SPW_OBJTYPE_IN_USE)) continue;
    if (!PLAT_EqualNoCase(BoundedName(t.szName, SPW_OBJECT_NAME_SIZE), wanted)) continue;
    if (outSlot) *outSlot = slot;
    return 1;
  }
  return 0;
}

int32_t SPW_FindFreeObjectSlot() {
  int32_t found = SPW_NO_OBJECT_TYPE;
  for (int32_t slot = 0; slot < SPW_MAX_OBJECT_TYPES; ++slot)
    if (!(SPW_ObjectTypes[slot].dwFlags & SPW_OBJTYPE_IN_USE)) found = slot;
  return found;
}

int32_t SPW_LoadObject(const char* fileName, SPW_DISPLAY* display, int32_t* outSlot, float scale) {
  if (display) return SPW_PACKDOBJ_LoadObjectFile(fileName, display, outSlot, scale);
  return SPW_LoadObjectByPath(fileName, nullptr, nullptr, outSlot, scale);
}

int32_t SPW_LoadObjectByPath(const char* fileName, const char* companion, SPW_DISPLAY* display,
                             int32_t* outSlot, float scale) {
  if (display) return SPW_PACKDOBJ_LoadObjectFile(fileName, display, outSlot, scale);
  if (companion && fileName && !PLAT_EqualNoCase(companion, fileName)) {
    int32_t dropped = SPW_NO_OBJECT_TYPE;
    SPW_LoadObjectFile(companion, nullptr, &dropped, scale, 0);
  }
  return SPW_LoadObjectFile(fileName, nullptr, outSlot, scale, 0);
}

void SPW_FreeObjectType(int32_t slot) {
  SPW_DOBJTYPE* t = SPW_GetObjectType(slot);
  if (!t) return;
  if (t->pPacked) {
    SPW_FreePackedObject(slot);
    return;
  }
  FreePowType(*t);
  std::memset(t, 0, sizeof *t);
}

void SPW_FreeAllObjectTypes() {
  if (!SPW_ObjectTypes) return;
  for (int32_t slot = 0; slot < SPW_MAX_OBJECT_TYPES; ++slot) {
    if (slot == SPW_CAMERA_TYPE || slot == SPW_DLIGHT_TYPE) continue;
    const SPW_DOBJTYPE& t = SPW_ObjectTypes[slot];
    if ((t.dwFlags & SPW_OBJTYPE_IN_USE) && t.dwNumInstances == 0) SPW_FreeObjectType(slot);
  }
}

int32_t SPW_ObjectTextureId(SPW_DISPLAY* display, const char* fileName) {
  if (!fileName || !fileName[0]) return 0;
  if (!display) return SPW_TextureHook ? SPW_TextureHook(fileName) : 0;
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  if (!drv || !drv->SPPD_TextureGetID) return 0;
  int32_t id = 0;
  if (drv->SPPD_TextureGetID(display, fileName, &id, 1) != SPPD_OK) return 0;
  return id;
}

void SPW_CountLodTextures(SPW_DOBJTYPE* type) {
  std::vector<int32_t> ids;
  for (uint32_t l = 0; l < type->dwNumLods; ++l) {
    SPW_DOBJLOD& lod = type->pLods[l];
    ids.clear();
    for (uint32_t n = 0; lod.pNodes && n < lod.dwNumNodes; ++n) {
      const SPW_DOBJNODE& node = lod.pNodes[n];
      for (uint32_t f = 0; node.pFaceSet && f < node.dwNumFaces; ++f)
        ids.push_back(node.pFaceSet[f].nTexture);
    }
    std::sort(ids.begin(), ids.end());
    size_t distinct = static_cast<size_t>(std::unique(ids.begin(), ids.end()) - ids.begin());
    lod.dwNumTextures = static_cast<uint32_t>(std::min<size_t>(distinct, kMaxLodTextures));
  }
}

void SPW_LinkLodNodes(SPW_DOBJLOD* lod) {
  for (uint32_t n = 0; n < lod->dwNumNodes; ++n) {
    lod->pNodes[n].dwNumChildren = 0;
    lod->pNodes[n].pFirstChild = nullptr;
  }
  // Children follow their parent in the array, so the first one met is the first child.
  for (uint32_t n = 0; n < lod->dwNumNodes; ++n) {
    SPW_DOBJNODE* parent = lod->pNodes[n].pParent;
    if (!parent) continue;
    if (parent->dwNumChildren++ == 0) parent->pFirstChild = &lod->pNodes[n];
  }
}
