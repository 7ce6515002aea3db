// Packed object files: one read of a type's image, then its offsets made references.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/memory/memblock.h"
#include "engine/object/internal.h"
#include "engine/packed/packed.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

// Image layout, in 32-bit words.
constexpr uint32_t kHeaderWords = 17;
constexpr uint32_t kHdrName = 1, kHdrNumAnims = 6, kHdrNumLods = 7, kHdrNumNodes = 8,
                   kHdrObjectId = 9, kHdrIndexWord = 10, kHdrFactor = 11, kHdrLegacy = 12,
                   kHdrRadius = 13, kHdrCentre = 14;
constexpr uint32_t kAnimWords = 9;
constexpr uint32_t kAnimIndex = 5, kAnimValue = 6, kAnimLength = 7, kAnimChannels = 8;
constexpr uint32_t kLodWords = 4;
constexpr uint32_t kLodNodes = 3;
constexpr uint32_t kNodeWords = 31;
constexpr uint32_t kNodeId = 2, kNodeName = 3, kNodeParent = 9, kNodeKind = 10,
                   kNodeRender = 11, kNodeParentId = 12, kNodeV = 13, kNodeF = 14, kNodeP = 15,
                   kNodeT = 16, kNodeTransform = 17, kNodeVerts = 25, kNodeFaces = 26,
                   kNodeCentre = 27, kNodeRadius = 30;
constexpr uint32_t kRecordWords = 9;  // a vertex or a face
constexpr uint32_t kNoParent = 0xffffffffu;
// No packed type comes near this; a larger size word is a damaged file.
constexpr uint32_t kMaxImageSize = SPW_OBJSMEM_SIZE;

int32_t g_lowRes = 0;

// The image with its words read little-endian; every range is checked before use, and the
// sections must follow each other so that no record is fixed up twice.
struct Image {
  uint8_t* p;
  uint32_t size;
  uint64_t cursor;
  uint32_t W(uint64_t word) const { return PLAT_LoadLE32(p + word * 4); }
  float F(uint64_t word) const { return PLAT_FloatFromBits(W(word)); }
  void SetW(uint64_t word, uint32_t v) { std::memcpy(p + word * 4, &v, 4); }
  // Claims the next range of the image: 4-aligned, inside, not before what was claimed.
  bool Claim(uint64_t offset, uint64_t words, const char* what) {
    if (offset % 4 || offset < cursor || offset + words * 4 > size) {
      PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: %s (%llu words at %llu) outside the image or "
                 "out of order\n", what, static_cast<unsigned long long>(words),
                 static_cast<unsigned long long>(offset));
      return false;
    }
    cursor = offset + words * 4;
    return true;
  }
};

struct Fixup {
  Image img;
  SPW_DOBJTYPE* type;
  const std::string* name;  // the file's base name
  SPW_DISPLAY* display;
  float scale;
  uint32_t numAnims, numLods, numNodes;
};

// A name field is used whole: a name of all its characters has no terminator.
void CopyName(char* out, const Image& img, uint64_t word, size_t size) {
  std::memcpy(out, img.p + word * 4, size);
}

// Host-order words from the image, in place.
void ToHost(Image& img, uint64_t word, uint64_t count) {
  for (uint64_t i = 0; i < count; ++i) img.SetW(word + i, img.W(word + i));
}

bool FixAnimations(Fixup& fx) {
  const uint64_t table = kHeaderWords;
  if (!fx.img.Claim(table * 4, uint64_t{fx.numAnims} * kAnimWords, "animation table")) return false;
  for (uint32_t a = 0; a < fx.numAnims; ++a) {
    const uint64_t rec = table + uint64_t{a} * kAnimWords;
    SPW_ANIMATION& anim = fx.type->pAnims[a];
    CopyName(anim.szName, fx.img, rec, SPW_ANIM_NAME_SIZE);
    anim.nIndex = static_cast<int32_t>(fx.img.W(rec + kAnimIndex));
    anim.dwValue = fx.img.W(rec + kAnimValue);
    anim.dwLength = fx.img.W(rec + kAnimLength);
    const uint32_t pairs = fx.img.W(rec + kAnimChannels);
    if (!fx.img.Claim(pairs, uint64_t{fx.numNodes} * 2, "channel table")) return false;
    for (uint32_t n = 0; n < fx.numNodes; ++n) {
      const uint64_t pair = pairs / 4 + uint64_t{n} * 2;
      const uint32_t count = fx.img.W(pair), offset = fx.img.W(pair + 1);
      SPW_ANIMCHANNEL& ch = anim.pChannels[n];
      ch.dwNumKeys = count;
      if (count == 0) continue;
      if (!fx.img.Claim(offset, count, "keys")) return false;
      ToHost(fx.img, offset / 4, count);
      ch.pPackedKeys = reinterpret_cast<const SPW_PACKEDKEY*>(fx.img.p + offset);
    }
  }
  return true;
}

bool FixFaces(Fixup& fx, SPW_DOBJNODE& node, uint32_t offset) {
  if (!fx.img.Claim(offset, uint64_t{node.dwNumFaces} * kRecordWords, "faces")) return false;
  ToHost(fx.img, offset / 4, uint64_t{node.dwNumFaces} * kRecordWords);
  node.pFaceSet = reinterpret_cast<SPW_DOBJFACE*>(fx.img.p + offset);
  const uint32_t numMaterials = SPW_GetMaterialCount();
  for (uint32_t f = 0; f < node.dwNumFaces; ++f) {
    SPW_DOBJFACE& face = node.pFaceSet[f];
    for (uint32_t k = 0; k < node.dwVertsPerFace; ++k)
      if (face.adwIndex[k] >= node.dwNumVertices) {
        PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: node %.20s: face %u names vertex %u of %u\n",
                   node.szName, f, face.adwIndex[k], node.dwNumVertices);
        return false;
      }
    const uint32_t material = static_cast<uint32_t>(face.nTexture);
    // Without the materials table textures stay unresolved; with it, an index must be inside.
    if (numMaterials && material >= numMaterials) {
      PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: material %u of %u\n", material, numMaterials);
      return false;
    }
    face.nTexture = numMaterials ? SPW_ObjectTextureId(fx.display, SPW_GetMaterialName(material)) : 0;
  }
  return true;
}

bool FixNode(Fixup& fx, SPW_DOBJLOD& lod, uint32_t n, uint64_t rec) {
  SPW_DOBJNODE& node = lod.pNodes[n];
  const Image& img = fx.img;
  node.nIndex = static_cast<int32_t>(n);
  node.nId = static_cast<int32_t>(img.W(rec + kNodeId));
  CopyName(node.szName, img, rec + kNodeName, SPW_NODE_NAME_SIZE);
  node.dwKind = img.W(rec + kNodeKind);
  node.dwRenderFlags = img.W(rec + kNodeRender);
  node.nParentId = static_cast<int32_t>(img.W(rec + kNodeParentId));
  node.dwNumVertices = img.W(rec + kNodeV);
  node.dwNumFaces = img.W(rec + kNodeF);
  node.dwVertsPerFace = img.W(rec + kNodeP);
  node.dwNumTexSets = img.W(rec + kNodeT);
  for (uint32_t k = 0; k < 8; ++k) (&node.tDefault.vPos.x)[k] = img.F(rec + kNodeTransform + k);
  node.tDefault.vPos = {node.tDefault.vPos.x * fx.scale, node.tDefault.vPos.y * fx.scale,
                        node.tDefault.vPos.z * fx.scale};
  node.vCentre = {img.F(rec + kNodeCentre) * fx.scale, img.F(rec + kNodeCentre + 1) * fx.scale,
                  img.F(rec + kNodeCentre + 2) * fx.scale};
  node.fRadius = img.F(rec + kNodeRadius) * fx.scale;
  // Parents precede their children in a depth-first array; anything else is no tree.
  const uint32_t parent = img.W(rec + kNodeParent);
  if (parent != kNoParent && parent != n && parent >= n) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: node %u names parent %u\n", n, parent);
    return false;
  }
  node.pParent = (parent == kNoParent || parent == n) ? nullptr : &lod.pNodes[parent];
  if (node.dwVertsPerFace > SPW_MAX_FACE_VERTICES) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: node %.20s has %u vertices a face\n", node.szName,
               node.dwVertsPerFace);
    return false;
  }
  return true;
}

bool FixMeshes(Fixup& fx, SPW_DOBJNODE& node, uint64_t rec) {
  const uint32_t verts = fx.img.W(rec + kNodeVerts), faces = fx.img.W(rec + kNodeFaces);
  if (node.dwNumVertices) {
    if (!fx.img.Claim(verts, uint64_t{node.dwNumVertices} * kRecordWords, "vertices")) return false;
    ToHost(fx.img, verts / 4, uint64_t{node.dwNumVertices} * kRecordWords);
    node.pVertexSet = reinterpret_cast<SPW_DOBJVERTEX*>(fx.img.p + verts);
    for (uint32_t v = 0; v < node.dwNumVertices; ++v) {
      SPW_VECTOR& p = node.pVertexSet[v].vPos;
      p = {p.x * fx.scale, p.y * fx.scale, p.z * fx.scale};
    }
  }
  return node.dwNumFaces == 0 || FixFaces(fx, node, faces);
}

bool FixLods(Fixup& fx) {
  const uint64_t table = fx.img.cursor;
  if (!fx.img.Claim(table, uint64_t{fx.numLods} * kLodWords, "level table")) return false;
  for (uint32_t l = 0; l < fx.numLods; ++l) {
    const uint64_t rec = table / 4 + uint64_t{l} * kLodWords;
    SPW_DOBJLOD& lod = fx.type->pLods[l];
    if (fx.img.W(rec) != fx.numNodes) {
      PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: level %u has %u nodes, not %u\n", l,
                 fx.img.W(rec), fx.numNodes);
      return false;
    }
    lod.dwNumNodes = fx.numNodes;
    lod.dwNumTextures = fx.img.W(rec + 1);
    const uint32_t nodes = fx.img.W(rec + kLodNodes);
    if (!fx.img.Claim(nodes, uint64_t{fx.numNodes} * kNodeWords, "node records")) return false;
    for (uint32_t n = 0; n < fx.numNodes; ++n)
      if (!FixNode(fx, lod, n, nodes / 4 + uint64_t{n} * kNodeWords)) return false;
    for (uint32_t n = 0; n < fx.numNodes; ++n)
      if (!FixMeshes(fx, lod.pNodes[n], nodes / 4 + uint64_t{n} * kNodeWords)) return false;
    SPW_LinkLodNodes(&lod);
  }
  return true;
}

// Lays the type's records over one block: packed record, animations, channels, levels, nodes.
bool AllocateRecords(Fixup& fx) {
  const uint64_t bytes = sizeof(SPW_PACKDOBJ) + uint64_t{fx.numAnims} * sizeof(SPW_ANIMATION) +
                         uint64_t{fx.numAnims} * fx.numNodes * sizeof(SPW_ANIMCHANNEL) +
                         uint64_t{fx.numLods} * sizeof(SPW_DOBJLOD) +
                         uint64_t{fx.numLods} * fx.numNodes * sizeof(SPW_DOBJNODE);
  if (bytes > kMaxImageSize) return false;
  auto* block = static_cast<uint8_t*>(SGE_MemCalloc(SPW_ObjsMem, static_cast<uint32_t>(bytes)));
  if (!block) return false;
  SPW_DOBJTYPE* t = fx.type;
  t->pPackedData = block;
  t->pPacked = reinterpret_cast<SPW_PACKDOBJ*>(block);
  uint8_t* at = block + sizeof(SPW_PACKDOBJ);
  t->pAnims = reinterpret_cast<SPW_ANIMATION*>(at);
  at += fx.numAnims * sizeof(SPW_ANIMATION);
  for (uint32_t a = 0; a < fx.numAnims; ++a) {
    t->pAnims[a].pChannels = reinterpret_cast<SPW_ANIMCHANNEL*>(at);
    at += fx.numNodes * sizeof(SPW_ANIMCHANNEL);
  }
  t->pLods = reinterpret_cast<SPW_DOBJLOD*>(at);
  at += fx.numLods * sizeof(SPW_DOBJLOD);
  for (uint32_t l = 0; l < fx.numLods; ++l) {
    t->pLods[l].pNodes = reinterpret_cast<SPW_DOBJNODE*>(at);
    at += fx.numNodes * sizeof(SPW_DOBJNODE);
  }
  return true;
}

bool FixImage(Fixup& fx) {
  Image& img = fx.img;
  if (!img.Claim(0, kHeaderWords, "header")) return false;
  fx.numAnims = img.W(kHdrNumAnims);
  fx.numLods = img.W(kHdrNumLods);
  fx.numNodes = img.W(kHdrNumNodes);
  // Every animation and node takes image words, so counts beyond the image are damage.
  if (fx.numAnims > img.size / (kAnimWords * 4) || fx.numLods > img.size / (kLodWords * 4) ||
      fx.numNodes > img.size / (kNodeWords * 4)) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: %u animations, %u levels of %u nodes cannot fit "
               "%u bytes\n", fx.numAnims, fx.numLods, fx.numNodes, img.size);
    return false;
  }
  if (!AllocateRecords(fx)) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile: no memory for the type's records\n");
    return false;
  }
  SPW_DOBJTYPE* t = fx.type;
  t->pPacked->pImage = img.p;
  t->pPacked->dwSize = img.size;
  // Types are found by their file's name, so the type takes that name whatever the image
  // says: a renamed file is then loaded once, and never answers for the name inside it.
  std::memset(t->szName, 0, sizeof t->szName);
  std::memcpy(t->szName, fx.name->data(), std::min(fx.name->size(), sizeof t->szName));
  t->dwNumAnims = fx.numAnims;
  t->dwNumLods = fx.numLods;
  t->dwNumNodes = fx.numNodes;
  t->dwObjectId = img.W(kHdrObjectId);
  t->nIndex = static_cast<int32_t>(img.W(kHdrIndexWord));
  t->fFactor = img.F(kHdrFactor);
  t->dwLegacy = img.W(kHdrLegacy);
  t->fRadius = img.F(kHdrRadius) * fx.scale;
  t->vCentre = {img.F(kHdrCentre) * fx.scale, img.F(kHdrCentre + 1) * fx.scale,
                img.F(kHdrCentre + 2) * fx.scale};
  t->fKeyPosScale = fx.scale;
  t->dwFlags = SPW_OBJTYPE_IN_USE;
  return FixAnimations(fx) && FixLods(fx);
}

// Turns the driver's low-resolution texture state on for one load and back on every way out.
class LowResScope {
 public:
  explicit LowResScope(SPW_DISPLAY* display) {
    if (!g_lowRes || !display) return;
    drv_ = SPW_GetDisplayDriver(display);
    if (!drv_ || !drv_->SPPD_SetLowResTextureState) return;
    display_ = display;
    previous_ = drv_->SPPD_SetLowResTextureState(display, 1);
  }
  ~LowResScope() {
    if (display_) drv_->SPPD_SetLowResTextureState(display_, previous_);
  }
  LowResScope(const LowResScope&) = delete;
  LowResScope& operator=(const LowResScope&) = delete;

 private:
  SPPD_DRIVERTABLE* drv_ = nullptr;
  SPW_DISPLAY* display_ = nullptr;
  int32_t previous_ = 0;
};

std::string PackedPath(const char* fileName) {
  std::string path(fileName);
  size_t slash = path.find_last_of("/\\:");
  size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
  return path + ".pdo";
}

// The image of an open file, none (with a trace) when its size word or body is bad.
uint8_t* ReadImage(FILE* f, const std::string& path, uint32_t* outSize) {
  uint8_t sizeWord[4];
  int64_t mtime = 0;
  uint64_t fileSize = 0;
  if (std::fread(sizeWord, 1, 4, f) != 4 || !PLAT_FileStat(path.c_str(), &mtime, &fileSize)) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): %s has no size word\n", path.c_str());
    return nullptr;
  }
  const uint32_t size = PLAT_LoadLE32(sizeWord);
  if (size < kHeaderWords * 4 || size > fileSize || size > kMaxImageSize) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): %s claims %u bytes of %llu\n", path.c_str(), size,
               static_cast<unsigned long long>(fileSize));
    return nullptr;
  }
  auto* image = static_cast<uint8_t*>(SGE_MemAlloc(SPW_ObjsMem, size));
  if (!image) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): no memory for %u bytes\n", size);
    return nullptr;
  }
  std::memcpy(image, sizeWord, 4);
  if (std::fread(image + 4, 1, size - 4, f) != size - 4) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): %s is cut short\n", path.c_str());
    SGE_MemFree(image);
    return nullptr;
  }
  *outSize = size;
  return image;
}

int32_t FindPackedSlot() {
  for (int32_t slot = SPW_MAX_OBJECT_TYPES - 1; slot >= 0; --slot)
    if (!(SPW_ObjectTypes[slot].dwFlags & SPW_OBJTYPE_IN_USE)) return slot;
  return SPW_NO_OBJECT_TYPE;
}

}  // namespace

int32_t SPW_SetPackedLowRes(int32_t flag) {
  int32_t previous = g_lowRes;
  g_lowRes = flag;
  return previous;
}

int32_t SPW_PACKDOBJ_LoadObjectFile(const char* fileName, SPW_DISPLAY* display,
                                    int32_t* outSlot, float scale) {
  if (outSlot) *outSlot = SPW_NO_OBJECT_TYPE;
  if (!fileName || !SPW_ObjectTypes) return 0;
  LowResScope lowRes(display);
  int32_t slot = SPW_NO_OBJECT_TYPE;
  const std::string name = SPW_ObjectBaseName(fileName);
  if (SPW_FindObjectType(name.c_str(), &slot)) {
    if (outSlot) *outSlot = slot;
    return 1;
  }
  const std::string path = PackedPath(fileName);
  PLAT_FileHandle f(PLAT_FOpen(path.c_str(), "rb"));
  if (!f) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): Fail to open file %s\n", path.c_str());
    return 0;
  }
  uint32_t size = 0;
  uint8_t* image = ReadImage(f.get(), path, &size);
  if (!image) return 0;
  slot = FindPackedSlot();
  if (slot == SPW_NO_OBJECT_TYPE) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): no free object type slot for %s\n", path.c_str());
    SGE_MemFree(image);
    return 0;
  }
  Fixup fx{{image, size, 0}, &SPW_ObjectTypes[slot], &name, display, scale, 0, 0, 0};
  if (!FixImage(fx)) {
    PLAT_Trace("SPW_PACKDOBJ_LoadObjectFile(): %s is damaged\n", path.c_str());
    SGE_MemFree(fx.type->pPackedData);
    std::memset(fx.type, 0, sizeof *fx.type);
    SGE_MemFree(image);
    return 0;
  }
  SPW_CountLodTextures(fx.type);
  if (outSlot) *outSlot = slot;
  return 1;
}

void SPW_FreePackedObject(int32_t slot) {
  SPW_DOBJTYPE* t = SPW_GetObjectType(slot);
  if (!t || !t->pPacked) return;
  SGE_MemFree(t->pPacked->pImage);
  SGE_MemFree(t->pPackedData);
  std::memset(t, 0, sizeof *t);
}
