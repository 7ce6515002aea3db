// The POW loader: the object header, then the levels of detail, then the animations.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/biff/biff.h"
#include "engine/memory/memblock.h"
#include "engine/object/internal.h"
#include "engine/object/pow.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

const SPW_POWLAYOUT SPW_PowNewLayout = {"LDOB", "LNOD", 60, 92, false};
const SPW_POWLAYOUT SPW_PowOldLayout = {"NDOB", "NNOD", 56, 84, true};

namespace {

struct HeaderOffsets {
  uint32_t id, indexWord, numNodes, numAnims, lod, radius, centre;
};
constexpr HeaderOffsets kNewHeader = {20, 24, 28, 32, 40, 44, 48};
constexpr HeaderOffsets kOldHeader = {20, 24, 28, 32, 36, 40, 44};

bool NameMatches(const uint8_t* field, const std::string& baseName) {
  std::string_view name(reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field), SPW_OBJECT_NAME_SIZE));
  return PLAT_EqualNoCase(name, baseName);
}

// Whether some "DOBF" block of the open file has an "LDOB" chunk.
bool HasNewObjectLodHunk(SPW_BIFF_FILE* file) {
  for (SPW_BIFF_BLOCK* b = SPW_BIFF_FindBlock(file, "DOBF"); b; b = SPW_BIFF_NextBlock(file, b))
    if (SPW_BIFF_FindChunk(file, b, "LDOB")) return true;
  return false;
}

// Step 3: the object header. Marks the slot in use; *outOldLod gets an old file's lod index.
int32_t LoadHeader(SPW_DOBJTYPE* type, SPW_BIFF_FILE* file, const char* path,
                   const std::string& baseName, float scale, const SPW_POWLAYOUT& layout,
                   uint32_t* outOldLod) {
  SPW_POWCHUNK header{};
  for (SPW_BIFF_BLOCK* b = SPW_BIFF_FindBlock(file, "DOBF"); b; b = SPW_BIFF_NextBlock(file, b)) {
    SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, b, layout.pszObjectTag);
    const uint8_t* data = c ? SPW_BIFF_ChunkData(file, c) : nullptr;
    if (data && c->dwSize >= layout.dwHeaderSize && NameMatches(data, baseName)) {
      header = {data, c->dwSize};
      break;
    }
  }
  if (!header.pData) {
    PLAT_Trace("SPW_LoadObjectFile: %s holds no object header named %s\n", path, baseName.c_str());
    return 0;
  }
  const HeaderOffsets& at = layout.bOld ? kOldHeader : kNewHeader;
  const float s = SPW_POW_UNIT_SCALE * scale;
  type->dwFlags = SPW_OBJTYPE_IN_USE;
  type->dwObjectId = header.U32(at.id);
  type->nIndex = header.I32(at.indexWord);
  std::memcpy(type->szName, header.pData, SPW_OBJECT_NAME_SIZE);
  type->dwNumAnims = header.U32(at.numAnims);
  type->dwNumNodes = header.U32(at.numNodes);
  *outOldLod = header.U32(at.lod);
  type->dwNumLods = layout.bOld ? *outOldLod + 1 : header.U32(at.lod);
  type->fFactor = 1.0f;
  type->dwLegacy = 1;
  type->fRadius = header.F32(at.radius) * s;
  type->vCentre = {header.F32(at.centre) * s, header.F32(at.centre + 4) * s,
                   header.F32(at.centre + 8) * s};
  type->fKeyPosScale = 1.0f;
  type->pBound = static_cast<SPW_DOBJBOUND*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_DOBJBOUND)));
  if (!type->pBound) return 0;
  type->pBound->dwKind = SPW_BOUND_SPHERE;
  type->pBound->vCentre = type->vCentre;
  type->pBound->fRadius = type->fRadius;
  return 1;
}

}  // namespace

int32_t SPW_FindNewObjectLodHunk(const char* path) {
  void* heap = nullptr;
  SPW_BIFF_FILE* file = SPW_BIFF_OpenFile(path, &heap, SPW_BIFF_HEADER_HEAP);
  if (!file) {
    PLAT_Trace("Fail to open file: %s (powr: SPW_FindNewObjectLodHunk)\n", path ? path : "");
    SPW_BIFF_FreeHeap(heap);
    return 0;
  }
  const int32_t found = HasNewObjectLodHunk(file) ? 1 : 0;
  SPW_BIFF_CloseFile(file, heap);
  return found;
}

namespace {

constexpr uint32_t kHeapPerFileByte = 8;
constexpr uint32_t kHeapSlack = 64 * 1024;

// Steps 3 to 6 on the open file.
int32_t LoadFromFile(SPW_BIFF_FILE* file, const char* fileName, const std::string& baseName,
                     SPW_DISPLAY* display, int32_t* outSlot, float scale, int32_t flag) {
  const SPW_POWLAYOUT& layout = HasNewObjectLodHunk(file) ? SPW_PowNewLayout : SPW_PowOldLayout;
  if (layout.bOld) PLAT_Trace("OldLoading function on dobject [%s]\n", baseName.c_str());
  const int32_t slot = SPW_FindFreeObjectSlot();
  if (slot == SPW_NO_OBJECT_TYPE) {
    PLAT_Trace("SPW_LoadObjectFile: no free object type slot for %s\n", baseName.c_str());
    return 0;
  }
  SPW_DOBJTYPE* type = &SPW_ObjectTypes[slot];
  uint32_t oldLod = 0;
  if (!LoadHeader(type, file, fileName, baseName, scale, layout, &oldLod) ||
      !SPW_LoadPowLods(type, file, display, scale, layout, oldLod)) {
    PLAT_Trace("Fail to load dynamic object: %s LOD\n(powr: SPW_LoadObjectFile)\n",
               baseName.c_str());
    // A half-loaded type must not answer the next request for its name.
    SPW_FreeObjectType(slot);
    return 0;
  }
  if (layout.bOld && flag)
    PLAT_Trace("Old style animation sharing attempted in _SPW_LoadObjectFile\n");
  bool animsWanted = !layout.bOld || oldLod == 0;
  // A type without its animation array must not claim animations.
  if (!animsWanted) type->dwNumAnims = 0;
  if (animsWanted && !SPW_LoadPowAnimations(type, file, scale)) {
    PLAT_Trace("Fail to load dynamic object: %s animation\n(powr: SPW_LoadObjectFile)\n",
               baseName.c_str());
    SPW_FreeObjectType(slot);
    return 0;
  }
  type->pPacked = nullptr;
  SPW_CountLodTextures(type);
  if (outSlot) *outSlot = slot;
  return 1;
}

}  // namespace

int32_t SPW_LoadObjectFile(const char* fileName, SPW_DISPLAY* display, int32_t* outSlot,
                           float scale, int32_t flag) {
  if (outSlot) *outSlot = SPW_NO_OBJECT_TYPE;
  if (!fileName || !SPW_ObjectTypes) return 0;
  std::string baseName = SPW_ObjectBaseName(fileName);
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (SPW_FindObjectType(baseName.c_str(), &slot)) {
    if (outSlot) *outSlot = slot;
    return 1;
  }
  // One reader for the whole load: the header, the levels and the animations are all read
  // from it, the file opened and read once. Its heap holds the file's image, the chunks read
  // and a record per header, each record a few times its header's size: a small file needs
  // far less than the largest of the loader's heaps, which stays the most it is given.
  void* heap = nullptr;
  SPW_BIFF_FILE* file = SPW_BIFF_OpenFileSized(fileName, &heap, kHeapPerFileByte, kHeapSlack,
                                               SPW_BIFF_LOD_HEAP);
  if (!file) {
    SPW_BIFF_FreeHeap(heap);
    PLAT_Trace("Fail to open file: %s (powr: SPW_FindNewObjectLodHunk)\n", fileName);
    return 0;
  }
  const int32_t result = LoadFromFile(file, fileName, baseName, display, outSlot, scale, flag);
  SPW_BIFF_CloseFile(file, heap);
  return result;
}
