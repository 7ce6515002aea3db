// The POW loader's animations: one "ANMF" block per animation, one "NNAN" chunk per channel.
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/biff/biff.h"
#include "engine/memory/memblock.h"
#include "engine/object/pow.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kNaniSize = 60;
constexpr uint32_t kNaniObjectName = 24;  // bytes of the object name field
constexpr uint32_t kNaniAnimName = 24;
constexpr uint32_t kNaniIndex = 44;
constexpr uint32_t kNaniValue = 52;
constexpr uint32_t kNaniLength = 56;
constexpr uint32_t kNnanFixed = 32;
constexpr uint32_t kNnanKeyCount = 24;
constexpr uint32_t kNnanKeySize = 32;

// Fills one channel; an old channel of the same node is replaced.
bool LoadChannel(SPW_ANIMCHANNEL& channel, const SPW_POWCHUNK& c, float scale) {
  const uint32_t k = c.U32(kNnanKeyCount);
  if (!c.Has(kNnanFixed, uint64_t{k} * kNnanKeySize) || uint64_t{k} * sizeof(SPW_POWKEY) > UINT32_MAX) {
    PLAT_Trace("SPW_LoadObjectFile: a channel of %u keys does not fit its chunk\n", k);
    return false;
  }
  SGE_MemFree(channel.pKeys);
  channel = {};
  if (k == 0) return true;
  auto* keys = static_cast<SPW_POWKEY*>(SGE_MemAlloc(SPW_ObjsMem, k * static_cast<uint32_t>(sizeof(SPW_POWKEY))));
  if (!keys) {
    PLAT_Trace("SPW_LoadObjectFile: no memory for %u keys\n", k);
    return false;
  }
  for (uint32_t i = 0; i < k; ++i) {
    uint32_t o = kNnanFixed + i * kNnanKeySize;
    keys[i].vPos = {c.F32(o) * scale, c.F32(o + 4) * scale, c.F32(o + 8) * scale};
    keys[i].qRot = {c.F32(o + 12), c.F32(o + 16), c.F32(o + 20), c.F32(o + 24)};
    keys[i].fTime = static_cast<float>(c.U32(o + 28));
  }
  for (uint32_t i = 0; i < k; ++i) {
    float span = i + 1 < k ? keys[i + 1].fTime - keys[i].fTime : 0.0f;
    keys[i].fInvSpan = span != 0.0f ? 1.0f / span : 0.0f;
  }
  channel.dwNumKeys = k;
  channel.pPowKeys = keys;
  return true;
}

bool LoadAnimation(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block, SPW_DOBJTYPE* type,
                   const SPW_POWCHUNK& nani, float scale, std::vector<bool>& filled) {
  const uint32_t index = nani.U32(kNaniIndex);
  if (index >= type->dwNumAnims || filled[index]) {
    PLAT_Trace("SPW_LoadObjectFile: animation index %u is outside the %u animations or given twice\n",
               index, type->dwNumAnims);
    return false;
  }
  filled[index] = true;
  SPW_ANIMATION& anim = type->pAnims[index];
  std::memcpy(anim.szName, nani.pData + kNaniAnimName, SPW_ANIM_NAME_SIZE);
  anim.nIndex = static_cast<int32_t>(index);
  anim.dwValue = nani.U32(kNaniValue);
  anim.dwLength = nani.U32(kNaniLength);
  const uint32_t numNodes = type->dwNumNodes;
  anim.pChannels = static_cast<SPW_ANIMCHANNEL*>(
      SGE_MemCalloc(SPW_ObjsMem, numNodes * static_cast<uint32_t>(sizeof(SPW_ANIMCHANNEL))));
  if (numNodes && !anim.pChannels) return false;
  const SPW_DOBJLOD& lod0 = type->pLods[0];
  for (SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, block, "NNAN"); c;
       c = SPW_BIFF_NextChunk(file, c)) {
    const uint8_t* data = SPW_BIFF_ChunkData(file, c);
    SPW_POWCHUNK nnan{data, c->dwSize};
    if (!data || !nnan.Has(0, kNnanFixed)) {
      PLAT_Trace("SPW_LoadObjectFile: a channel chunk of animation %u is cut short\n", index);
      return false;
    }
    const int32_t nodeId = nnan.I32(0);
    if (nodeId == 0) continue;  // the root is never animated from a file
    for (uint32_t n = 0; n < lod0.dwNumNodes; ++n) {
      if (lod0.pNodes[n].nId != nodeId) continue;
      if (static_cast<uint32_t>(nodeId) >= numNodes) break;
      if (!LoadChannel(anim.pChannels[nodeId], nnan, scale)) return false;
      break;
    }
  }
  return true;
}

}  // namespace

int32_t SPW_LoadPowAnimations(SPW_DOBJTYPE* type, SPW_BIFF_FILE* file, float scale) {
  if (type->dwNumAnims == 0) return 1;
  if (uint64_t{type->dwNumAnims} * sizeof(SPW_ANIMATION) > UINT32_MAX) return 0;
  type->pAnims = static_cast<SPW_ANIMATION*>(SGE_MemCalloc(
      SPW_ObjsMem, type->dwNumAnims * static_cast<uint32_t>(sizeof(SPW_ANIMATION))));
  if (!type->pAnims) return 0;
  std::vector<bool> filled(type->dwNumAnims, false);
  uint32_t remaining = type->dwNumAnims;
  std::string_view typeName(type->szName, strnlen(type->szName, SPW_OBJECT_NAME_SIZE));
  bool ok = true;
  for (SPW_BIFF_BLOCK* b = SPW_BIFF_FindBlock(file, "ANMF"); ok && b && remaining;
       b = SPW_BIFF_NextBlock(file, b)) {
    SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, b, "NANI");
    const uint8_t* data = c ? SPW_BIFF_ChunkData(file, c) : nullptr;
    if (!data || c->dwSize < kNaniSize) continue;
    SPW_POWCHUNK nani{data, c->dwSize};
    std::string_view owner(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), kNaniObjectName));
    if (!PLAT_EqualNoCase(owner, typeName)) continue;
    ok = LoadAnimation(file, b, type, nani, SPW_POW_UNIT_SCALE * scale, filled);
    --remaining;
  }
  if (ok && remaining) PLAT_Trace("SPW_LoadObjectFile: %.20s: %u of %u animations missing\n", type->szName, remaining, type->dwNumAnims);
  return ok && remaining == 0 ? 1 : 0;
}
