// The POW loader's levels of detail: the node trees, their meshes and the materials' textures.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/biff/biff.h"
#include "engine/memory/memblock.h"
#include "engine/object/internal.h"
#include "engine/object/material.h"
#include "engine/object/pow.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kVertexFixed = 28;
constexpr uint32_t kFaceFixed = 20;

// Node chunk fields: the current layout adds the lod index after the id.
struct NodeOffsets {
  uint32_t id, lod, name, kind, parent, children, v, f, p, t, transform;
};
constexpr NodeOffsets kNewNode = {0, 4, 8, 28, 32, 36, 40, 44, 48, 52, 56};
constexpr NodeOffsets kOldNode = {0, 0, 4, 24, 28, 32, 36, 40, 44, 48, 52};

struct GatheredNode {
  SPW_POWCHUNK chunk;
  int32_t id;
  int32_t parentId;
  int32_t firstChild = -1;   // gathered index
  int32_t nextSibling = -1;  // gathered index
};

// Texture ids by material index, asked for once per load: every face of a material gets the
// same id, and making the name a full path and looking it up costs more than the face.
struct TextureIds {
  std::vector<int32_t> ids;
  std::vector<uint8_t> known;
  std::string workingDir;
  int32_t Of(const SPW_MATERIALTABLE& materials, uint32_t index, SPW_DISPLAY* display) {
    if (index >= materials.dwCount) return 0;  // no such material: no texture
    if (ids.size() < materials.dwCount) {
      ids.assign(materials.dwCount, 0);
      known.assign(materials.dwCount, 0);
      workingDir = PLAT_GetWorkingDir();
    }
    if (!known[index]) {
      ids[index] = SPW_MaterialTextureId(&materials, index, display, &workingDir);
      known[index] = 1;
    }
    return ids[index];
  }
};

struct LodContext {
  SPW_DOBJTYPE* type;
  SPW_DISPLAY* display;
  float scale;  // file units to engine units
  const SPW_POWLAYOUT* layout;
  const NodeOffsets* at;
  SPW_MATERIALTABLE materials;
  TextureIds* textures;
};

// Gathers the node chunks of one level; false for a malformed chunk.
bool GatherLod(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block, const LodContext& ctx, uint32_t lod,
               uint32_t oldLod, std::vector<GatheredNode>& out) {
  for (SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, block, ctx.layout->pszNodeTag); c;
       c = SPW_BIFF_NextChunk(file, c)) {
    const uint8_t* data = SPW_BIFF_ChunkData(file, c);
    if (!data) return false;
    SPW_POWCHUNK n{data, c->dwSize};
    if (!n.Has(0, ctx.layout->dwNodeFixed)) {
      PLAT_Trace("SPW_LoadObjectFile: a node chunk is cut short\n");
      return false;
    }
    uint32_t nodeLod = ctx.layout->bOld ? oldLod : n.U32(ctx.at->lod);
    if (nodeLod != lod) continue;
    GatheredNode g{n, n.I32(ctx.at->id), n.I32(ctx.at->parent)};
    if (g.id < 0 || static_cast<uint32_t>(g.id) >= ctx.type->dwNumNodes) {
      PLAT_Trace("SPW_LoadObjectFile: node id %d outside the %u nodes of the object\n", g.id,
                 ctx.type->dwNumNodes);
      return false;
    }
    for (const GatheredNode& other : out)
      if (other.id == g.id) {
        PLAT_Trace("SPW_LoadObjectFile: node id %d given twice in level %u\n", g.id, lod);
        return false;
      }
    out.push_back(g);
  }
  return true;
}

// Writes the tree depth-first from the root into the level's array; the number placed.
uint32_t PlaceTree(std::vector<GatheredNode>& gathered, SPW_DOBJLOD& lod, const LodContext& ctx) {
  int32_t root = -1;
  for (size_t i = 0; i < gathered.size(); ++i) {
    if (gathered[i].parentId == -1) {
      root = static_cast<int32_t>(i);
      continue;
    }
    for (GatheredNode& parent : gathered) {
      if (parent.id != gathered[i].parentId) continue;
      // Each new child goes in front of its parent's earlier children.
      gathered[i].nextSibling = parent.firstChild;
      parent.firstChild = static_cast<int32_t>(i);
      break;
    }
  }
  if (root < 0) return 0;
  std::vector<int32_t> stack{root};
  uint32_t placed = 0;
  // The root has no siblings; every pushed child brings its next sibling after its subtree.
  while (!stack.empty() && placed < lod.dwNumNodes) {
    int32_t g = stack.back();
    stack.pop_back();
    const GatheredNode& src = gathered[static_cast<size_t>(g)];
    SPW_DOBJNODE& node = lod.pNodes[placed];
    node.nIndex = static_cast<int32_t>(placed++);
    node.nId = src.id;
    node.nParentId = src.parentId;
    // All 20 characters: names are compared over the whole field.
    std::memcpy(node.szName, src.chunk.pData + ctx.at->name, SPW_NODE_NAME_SIZE);
    node.dwKind = src.chunk.U32(ctx.at->kind);
    if (g != root && src.nextSibling >= 0) stack.push_back(src.nextSibling);
    if (src.firstChild >= 0) stack.push_back(src.firstChild);
  }
  return placed;
}

void SetParents(SPW_DOBJLOD& lod, uint32_t placed) {
  for (uint32_t n = 0; n < placed; ++n) {
    SPW_DOBJNODE& node = lod.pNodes[n];
    node.pParent = nullptr;
    for (uint32_t p = 0; p < placed && node.nParentId != -1; ++p)
      if (lod.pNodes[p].nId == node.nParentId && p != n) node.pParent = &lod.pNodes[p];
  }
}

bool LoadMesh(SPW_DOBJNODE& node, const GatheredNode& src, const LodContext& ctx) {
  const SPW_POWCHUNK& c = src.chunk;
  const NodeOffsets& at = *ctx.at;
  const uint32_t v = c.U32(at.v), f = c.U32(at.f), p = c.U32(at.p), t = c.U32(at.t);
  const uint64_t vertexSize = kVertexFixed + 8ull * t;
  const uint64_t faceSize = kFaceFixed + 4ull * p;
  const uint64_t verticesAt = ctx.layout->dwNodeFixed;
  const uint64_t facesAt = verticesAt + vertexSize * v;
  if (p > SPW_MAX_FACE_VERTICES || t > 0xffff || !c.Has(verticesAt, vertexSize * v) ||
      !c.Has(facesAt, faceSize * f)) {
    PLAT_Trace("SPW_LoadObjectFile: node %.20s: %u vertices, %u faces of %u do not fit its chunk\n",
               node.szName, v, f, p);
    return false;
  }
  node.dwNumVertices = v;
  node.dwNumFaces = f;
  node.dwVertsPerFace = p;
  node.dwNumTexSets = t;
  for (uint32_t k = 0; k < 8; ++k) (&node.tDefault.vPos.x)[k] = c.F32(at.transform + 4 * k);
  node.tDefault.vPos = {node.tDefault.vPos.x * ctx.scale, node.tDefault.vPos.y * ctx.scale,
                        node.tDefault.vPos.z * ctx.scale};
  if (v) node.pVertexSet = static_cast<SPW_DOBJVERTEX*>(SGE_MemAlloc(SPW_DObjectMem, v * 36u));
  if (f) node.pFaceSet = static_cast<SPW_DOBJFACE*>(SGE_MemCalloc(SPW_DObjectMem, f * 36u));
  if ((v && !node.pVertexSet) || (f && !node.pFaceSet)) {
    PLAT_Trace("Fail to allocate pCurNode->pVertexSet/pFaceSet memory for object type: %.20s\n"
               "(powr: SPW_LoadDynamicObjectNode)\n", ctx.type->szName);
    return false;
  }
  SPW_VECTOR lo{1e20f, 1e20f, 1e20f}, hi{-1e20f, -1e20f, -1e20f};
  for (uint32_t i = 0; i < v; ++i) {
    uint32_t o = static_cast<uint32_t>(verticesAt + vertexSize * i);
    SPW_DOBJVERTEX& out = node.pVertexSet[i];
    out.vPos = {c.F32(o) * ctx.scale, c.F32(o + 4) * ctx.scale, c.F32(o + 8) * ctx.scale};
    SPW_VECTOR nrm{c.F32(o + 12), c.F32(o + 16), c.F32(o + 20)};
    float len = std::sqrt(nrm.x * nrm.x + nrm.y * nrm.y + nrm.z * nrm.z);
    out.vNormal = len > 0 ? SPW_VECTOR{nrm.x / len, nrm.y / len, nrm.z / len} : nrm;
    out.dwValue = c.U32(o + 24);
    out.fU = t ? c.F32(o + 28) : 0.0f;
    out.fV = t ? c.F32(o + 32) : 0.0f;
    lo = {std::min(lo.x, out.vPos.x), std::min(lo.y, out.vPos.y), std::min(lo.z, out.vPos.z)};
    hi = {std::max(hi.x, out.vPos.x), std::max(hi.y, out.vPos.y), std::max(hi.z, out.vPos.z)};
  }
  if (v) {
    node.vCentre = {(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
    node.fRadius = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z}) * 0.5f;
  }
  for (uint32_t i = 0; i < f; ++i) {
    uint32_t o = static_cast<uint32_t>(facesAt + faceSize * i);
    SPW_DOBJFACE& out = node.pFaceSet[i];
    out.nTexture = ctx.textures->Of(ctx.materials, c.U32(o), ctx.display);
    for (uint32_t k = 0; k < 4; ++k) out.adwValue[k] = c.U32(o + 4 + 4 * k);
    for (uint32_t k = 0; k < p; ++k) {
      out.adwIndex[k] = c.U32(o + kFaceFixed + 4 * k);
      if (out.adwIndex[k] >= v) {
        PLAT_Trace("SPW_LoadObjectFile: node %.20s: face %u names vertex %u of %u\n", node.szName,
                   i, out.adwIndex[k], v);
        return false;
      }
    }
  }
  return true;
}

bool LoadLod(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block, LodContext& ctx, uint32_t l,
             uint32_t oldLod) {
  SPW_DOBJLOD& lod = ctx.type->pLods[l];
  std::vector<GatheredNode> gathered;
  if (!GatherLod(file, block, ctx, l, oldLod, gathered)) return false;
  uint32_t placed = PlaceTree(gathered, lod, ctx);
  SetParents(lod, placed);
  SPW_LinkLodNodes(&lod);
  for (const GatheredNode& g : gathered)
    for (uint32_t n = 0; n < placed; ++n)
      if (lod.pNodes[n].nId == g.id) {
        if (!LoadMesh(lod.pNodes[n], g, ctx)) return false;
        break;
      }
  return true;
}

}  // namespace

int32_t SPW_LoadPowLods(SPW_DOBJTYPE* type, SPW_BIFF_FILE* file, SPW_DISPLAY* display,
                        float scale, const SPW_POWLAYOUT& layout, uint32_t oldLodIndex) {
  const uint64_t lodBytes = uint64_t{type->dwNumLods} * sizeof(SPW_DOBJLOD);
  const uint64_t nodeBytes = uint64_t{type->dwNumNodes} * sizeof(SPW_DOBJNODE);
  if (type->dwNumLods == 0 || lodBytes > UINT32_MAX || nodeBytes > UINT32_MAX) {
    PLAT_Trace("SPW_LoadObjectFile: %u levels of %u nodes cannot be held\n", type->dwNumLods,
               type->dwNumNodes);
    return 0;
  }
  type->pLods = static_cast<SPW_DOBJLOD*>(SGE_MemCalloc(SPW_ObjsMem, static_cast<uint32_t>(lodBytes)));
  if (!type->pLods) return 0;
  for (uint32_t l = 0; l < type->dwNumLods; ++l) {
    type->pLods[l].dwNumNodes = type->dwNumNodes;
    type->pLods[l].pNodes = static_cast<SPW_DOBJNODE*>(
        SGE_MemCalloc(SPW_DObjectMem, static_cast<uint32_t>(nodeBytes)));
    if (!type->pLods[l].pNodes && nodeBytes) return 0;
  }
  TextureIds textures;
  LodContext ctx{type, display, SPW_POW_UNIT_SCALE * scale, &layout,
                 layout.bOld ? &kOldNode : &kNewNode, {}, &textures};
  bool ok = SPW_ReadMaterials(file, &ctx.materials, "SPW_LoadObjectFile") != 0;
  SPW_BIFF_BLOCK* block = SPW_BIFF_FindBlock(file, "DOBF");
  for (uint32_t l = 0; ok && l < type->dwNumLods; ++l) ok = LoadLod(file, block, ctx, l, oldLodIndex);
  SPW_FreeMaterials(&ctx.materials);
  return ok ? 1 : 0;
}
