// Feature classes and instances from the "FOBF" blocks of a terrain file.
#include "engine/feature/feature.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/biff/biff.h"
#include "engine/display/display.h"
#include "engine/memory/memblock.h"
#include "engine/object/material.h"
#include "engine/object/pow.h"
#include "engine/scene/scene.h"
#include "platform/trace.h"

SPW_FEATUREOBJ* SPW_FeatureObjects = nullptr;

namespace {

constexpr char kWho[] = "SPW_LoadFeatureObject";

// "FOBJ" chunk offsets.
constexpr uint32_t kClassFirstName = 0;
constexpr uint32_t kClassName = 20;
constexpr uint32_t kClassValueA = 40;
constexpr uint32_t kClassMeshCount = 44;
constexpr uint32_t kClassMeshIndex = 48;
constexpr uint32_t kClassValueB = 52;
constexpr uint32_t kClassKept = 60;
constexpr uint32_t kMeshCounts = 76;  // V, F, P, E, N
constexpr uint32_t kMeshSphere = 96;
constexpr uint32_t kClassSphere = 112;
constexpr uint32_t kClassFixed = 128;
constexpr uint32_t kPerVertexSize = 12;
constexpr uint32_t kFaceFixed = 20;
constexpr uint32_t kNodeSize = 36;

// "FOBI" chunk offsets.
constexpr uint32_t kInstName = 0;
constexpr uint32_t kInstNumColours = 44;
constexpr uint32_t kInstId = 48;
constexpr uint32_t kInstToWorld = 52;
constexpr uint32_t kInstToObject = 116;
constexpr uint32_t kInstFixed = 180;

constexpr float kAxisScaleTolerance = 0.1f;

struct LoadState {
  SPW_SCENE* scene;
  SPW_DISPLAY* display;
  SPW_BIFF_FILE* file;
  std::vector<SPW_FEATUREMESH*> meshes;  // filled by this load, their textures still to resolve
  // What this load made, so that a failed load takes exactly that back.
  std::vector<void*> allocations;
  std::vector<SPW_FEATUREOBJ*> classes;
  std::vector<SPW_FEATUREINST*> added;
  uint32_t instances = 0;

  void* Alloc(uint64_t bytes) {
    if (bytes == 0 || bytes > UINT32_MAX) return nullptr;
    void* p = SGE_MemCalloc(SPW_FObjsMem, static_cast<uint32_t>(bytes));
    if (p) allocations.push_back(p);
    return p;
  }

  // Meshes first: those of new classes lie in arrays freed last.
  void Undo() {
    for (SPW_FEATUREMESH* m : meshes) *m = {};
    for (SPW_FEATUREINST* i : added) SGE_ListUnlink(&i->link);
    for (SPW_FEATUREOBJ* c : classes) {
      SGE_ListUnlink(&c->link);
      *c = {};
    }
    for (void* p : allocations) SGE_MemFree(p);
    meshes.clear();
    allocations.clear();
    classes.clear();
    added.clear();
  }
};

SPW_VECTOR ScaledVector(const SPW_POWCHUNK& c, uint32_t at) {
  return {c.F32(at) * SPW_FEATURE_UNIT_SCALE, c.F32(at + 4) * SPW_FEATURE_UNIT_SCALE,
          c.F32(at + 8) * SPW_FEATURE_UNIT_SCALE};
}

// Checks the node tree under the root: indices inside their arrays, no node reached twice.
// The depth, or 0 after a trace.
uint32_t CheckNodeTree(const SPW_FEATUREMESH& mesh, const char* cls) {
  const uint32_t n = mesh.dwNumNodes;
  std::vector<uint8_t> seen(n, 0);
  std::vector<std::pair<uint32_t, uint32_t>> stack{{n - 1, 1}};
  uint32_t depth = 0;
  while (!stack.empty()) {
    auto [i, level] = stack.back();
    stack.pop_back();
    const SPW_FEATURENODE& node = mesh.pNodes[i];
    if (seen[i]++) {
      PLAT_Trace("%s: class [%.20s] mesh %u: node %u is reached twice\n", kWho, cls, mesh.dwIndex, i);
      return 0;
    }
    if (node.nFace < -1 || node.nFace >= static_cast<int64_t>(mesh.dwNumFaces) ||
        node.nLeft < -1 || node.nLeft >= static_cast<int64_t>(n) || node.nRight < -1 ||
        node.nRight >= static_cast<int64_t>(n)) {
      PLAT_Trace("%s: class [%.20s] mesh %u: node %u names a face or node outside the mesh\n", kWho,
                 cls, mesh.dwIndex, i);
      return 0;
    }
    depth = std::max(depth, level);
    if (node.nLeft >= 0) stack.push_back({static_cast<uint32_t>(node.nLeft), level + 1});
    if (node.nRight >= 0) stack.push_back({static_cast<uint32_t>(node.nRight), level + 1});
  }
  return depth;
}

bool ReadMesh(SPW_FEATUREOBJ& cls, const SPW_POWCHUNK& c, LoadState& st) {
  const uint32_t index = c.U32(kClassMeshIndex);
  if (index >= cls.dwNumMeshes) {
    PLAT_Trace("%s: class [%.20s]: mesh %u of %u\n", kWho, cls.szClassName, index, cls.dwNumMeshes);
    return false;
  }
  SPW_FEATUREMESH& mesh = cls.pMeshes[index];
  if (mesh.pVertices || mesh.pFaces || mesh.pNodes) {
    PLAT_Trace("%s: class [%.20s]: mesh %u given twice\n", kWho, cls.szClassName, index);
    return false;
  }
  const uint32_t v = c.U32(kMeshCounts), f = c.U32(kMeshCounts + 4), p = c.U32(kMeshCounts + 8),
                 e = c.U32(kMeshCounts + 12), n = c.U32(kMeshCounts + 16);
  const uint64_t vertexSize = 12 + 8ull * e;
  const uint64_t faceSize = kFaceFixed + 4ull * p;
  const uint64_t perVertexAt = kClassFixed + vertexSize * v;
  const uint64_t facesAt = perVertexAt + uint64_t{kPerVertexSize} * v;
  const uint64_t nodesAt = facesAt + faceSize * f;
  if (e == 0 || p < SPW_FEATURE_MIN_FACE_VERTICES || p > SPW_FEATURE_MAX_FACE_VERTICES ||
      !c.Has(nodesAt, uint64_t{kNodeSize} * n)) {
    PLAT_Trace("%s: class [%.20s] mesh %u: %u vertices of %u pairs, %u faces of %u, %u nodes do not "
               "fit its chunk\n", kWho, cls.szClassName, index, v, e, f, p, n);
    return false;
  }
  st.meshes.push_back(&mesh);
  mesh.dwIndex = index;
  mesh.dwNumVertices = v;
  mesh.dwNumFaces = f;
  mesh.dwVertsPerFace = p;
  mesh.dwNumPairs = e;
  mesh.vCentre = ScaledVector(c, kMeshSphere);
  mesh.fRadius = c.F32(kMeshSphere + 12) * SPW_FEATURE_UNIT_SCALE;
  mesh.dwNumNodes = n;
  mesh.pVertices = static_cast<SPW_FEATUREVERTEX*>(st.Alloc(uint64_t{v} * sizeof(SPW_FEATUREVERTEX)));
  mesh.pPerVertex = static_cast<uint8_t*>(st.Alloc(uint64_t{v} * kPerVertexSize));
  mesh.pFaces = static_cast<SPW_FEATUREFACE*>(st.Alloc(uint64_t{f} * sizeof(SPW_FEATUREFACE)));
  mesh.pNodes = static_cast<SPW_FEATURENODE*>(st.Alloc(uint64_t{n} * sizeof(SPW_FEATURENODE)));
  if ((v && (!mesh.pVertices || !mesh.pPerVertex)) || (f && !mesh.pFaces) || (n && !mesh.pNodes)) {
    PLAT_Trace("%s: class [%.20s] mesh %u: no memory\n", kWho, cls.szClassName, index);
    return false;
  }
  for (uint32_t i = 0; i < v; ++i) {
    const uint32_t o = static_cast<uint32_t>(kClassFixed + vertexSize * i);
    mesh.pVertices[i] = {ScaledVector(c, o), c.F32(o + 12), c.F32(o + 16)};
  }
  if (v) std::memcpy(mesh.pPerVertex, c.pData + perVertexAt, uint64_t{v} * kPerVertexSize);
  for (uint32_t i = 0; i < f; ++i) {
    const uint32_t o = static_cast<uint32_t>(facesAt + faceSize * i);
    SPW_FEATUREFACE& face = mesh.pFaces[i];
    face.nTexture = c.I32(o);
    face.vNormal = {c.F32(o + 4), c.F32(o + 8), c.F32(o + 12)};
    face.dwFlags = c.U32(o + 16);
    for (uint32_t k = 0; k < p; ++k) {
      face.adwIndex[k] = c.U32(o + kFaceFixed + 4 * k);
      if (face.adwIndex[k] >= v) {
        PLAT_Trace("%s: class [%.20s] mesh %u: face %u names vertex %u of %u\n", kWho,
                   cls.szClassName, index, i, face.adwIndex[k], v);
        return false;
      }
    }
  }
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t o = static_cast<uint32_t>(nodesAt + uint64_t{kNodeSize} * i);
    mesh.pNodes[i] = {c.U32(o),         c.I32(o + 4),  ScaledVector(c, o + 8),
                      c.F32(o + 20) * SPW_FEATURE_UNIT_SCALE, c.U32(o + 24), c.I32(o + 28),
                      c.I32(o + 32)};
  }
  if (n) {
    mesh.dwDepth = CheckNodeTree(mesh, cls.szClassName);
    if (!mesh.dwDepth) return false;
  }
  return true;
}

SPW_FEATUREOBJ* ReadClass(const SPW_POWCHUNK& c, LoadState& st) {
  if (!c.Has(0, kClassFixed)) {
    PLAT_Trace("%s: a class chunk of %u bytes is cut short\n", kWho, c.dwSize);
    return nullptr;
  }
  int32_t index = SPW_NO_FEATURE_OBJECT;
  if (!SPW_FindFeatureClass(st.scene, c.pData, &index)) {
    if (index >= SPW_MAX_FEATURE_OBJECTS) {
      PLAT_Trace("%s: the feature table is full\n", kWho);
      return nullptr;
    }
    SPW_FEATUREOBJ& cls = SPW_FeatureObjects[index];
    cls = {};
    std::memcpy(cls.szFirstName, c.pData + kClassFirstName, SPW_FEATURE_NAME_SIZE);
    std::memcpy(cls.szClassName, c.pData + kClassName, SPW_FEATURE_NAME_SIZE);
    cls.dwValueA = c.U32(kClassValueA);
    cls.dwNumMeshes = c.U32(kClassMeshCount);
    cls.dwValueB = c.U32(kClassValueB);
    std::memcpy(cls.abKept, c.pData + kClassKept, sizeof cls.abKept);
    cls.vCentre = ScaledVector(c, kClassSphere);
    cls.fRadius = c.F32(kClassSphere + 12) * SPW_FEATURE_UNIT_SCALE;
    if (cls.dwNumMeshes == 0) {
      PLAT_Trace("%s: class [%.20s] has no mesh\n", kWho, cls.szClassName);
      return nullptr;
    }
    cls.pMeshes = static_cast<SPW_FEATUREMESH*>(
        st.Alloc(uint64_t{cls.dwNumMeshes} * sizeof(SPW_FEATUREMESH)));
    if (!cls.pMeshes) {
      PLAT_Trace("%s: class [%.20s]: no memory for %u meshes\n", kWho, cls.szClassName,
                 cls.dwNumMeshes);
      cls = {};
      return nullptr;
    }
    cls.dwInUse = SPW_FEATURE_IN_USE;
    SGE_ListInit(&cls.instances);
    SGE_ListAddTail(SPW_SceneFeatureList(st.scene), &cls.link);
    st.classes.push_back(&cls);
  }
  SPW_FEATUREOBJ* cls = &SPW_FeatureObjects[index];
  return ReadMesh(*cls, c, st) ? cls : nullptr;
}

float RowLength(const SPW_MATRIX& m, int row) {
  return std::sqrt(m.m[row][0] * m.m[row][0] + m.m[row][1] * m.m[row][1] + m.m[row][2] * m.m[row][2]);
}

void ReadMatrix(const SPW_POWCHUNK& c, uint32_t at, SPW_MATRIX& out) {
  for (uint32_t k = 0; k < 16; ++k) out.m[k / 4][k % 4] = c.F32(at + 4 * k);
  for (int k = 0; k < 3; ++k) out.m[3][k] *= SPW_FEATURE_UNIT_SCALE;
}

bool ReadInstance(SPW_FEATUREOBJ& cls, const SPW_POWCHUNK& c, LoadState& st) {
  if (!c.Has(0, kInstFixed)) {
    PLAT_Trace("%s: an instance chunk of class [%.20s] is cut short\n", kWho, cls.szClassName);
    return false;
  }
  const uint32_t arrays = c.U32(kInstNumColours);
  uint64_t colours = 0;
  for (uint32_t i = 0; i < arrays && i < cls.dwNumMeshes; ++i) colours += cls.pMeshes[i].dwNumVertices;
  // Every mesh the renderer may choose needs its colours.
  if (arrays != cls.dwNumMeshes || !c.Has(kInstFixed, colours * 4)) {
    PLAT_Trace("%s: instance of class [%.20s]: %u colour arrays for %u meshes do not fit its "
               "chunk\n", kWho, cls.szClassName, arrays, cls.dwNumMeshes);
    return false;
  }
  auto* inst = static_cast<SPW_FEATUREINST*>(st.Alloc(sizeof(SPW_FEATUREINST)));
  if (!inst) return false;
  std::memcpy(inst->szName, c.pData + kInstName, SPW_FEATURE_NAME_SIZE);
  inst->nId = c.I32(kInstId);
  ReadMatrix(c, kInstToWorld, inst->mObjectToWorld);
  ReadMatrix(c, kInstToObject, inst->mWorldToObject);
  inst->pClass = &cls;
  const float r0 = RowLength(inst->mObjectToWorld, 0), r1 = RowLength(inst->mObjectToWorld, 1),
              r2 = RowLength(inst->mObjectToWorld, 2);
  const float largest = std::max({r0, r1, r2}), smallest = std::min({r0, r1, r2});
  inst->fScale = largest != 0 ? largest : 1.0f;
  inst->fInvScale = 1.0f / inst->fScale;
  const float* t = inst->mObjectToWorld.m[3];
  if (largest - smallest > kAxisScaleTolerance)
    PLAT_Trace("Feature instance has independent axis scaling [%.20s], class [%.20s], loc(%f,%f,%f)\n",
               inst->szName, cls.szClassName, t[0], t[1], t[2]);
  if (!SPW_MatIsOrthonormal(&inst->mObjectToWorld))
    PLAT_Trace("Feature object matrix not normalise (X-form!!): %.20s [Instance ID = %d]\n"
               "(powr: SPW_LoadFeatureObject)\n", inst->szName, inst->nId);
  SGE_ListInit(&inst->decals);
  inst->ppColours = static_cast<uint32_t**>(st.Alloc(uint64_t{arrays} * sizeof(uint32_t*)));
  if (arrays && !inst->ppColours) return false;
  inst->dwNumColours = arrays;
  uint32_t at = kInstFixed;
  for (uint32_t i = 0; i < arrays; ++i) {
    const uint32_t count = cls.pMeshes[i].dwNumVertices;
    if (!count) continue;
    inst->ppColours[i] = static_cast<uint32_t*>(st.Alloc(uint64_t{count} * 4));
    if (!inst->ppColours[i]) return false;
    for (uint32_t k = 0; k < count; ++k, at += 4) inst->ppColours[i][k] = c.U32(at);
  }
  SGE_ListAddTail(&cls.instances, &inst->link);
  st.added.push_back(inst);
  ++st.instances;
  return true;
}

bool ReadBlock(SPW_BIFF_BLOCK* block, LoadState& st) {
  SPW_FEATUREOBJ* last = nullptr;
  for (SPW_BIFF_CHUNK* ch = SPW_BIFF_FindChunk(st.file, block, "FOBJ"); ch;
       ch = SPW_BIFF_NextChunk(st.file, ch)) {
    const uint8_t* data = SPW_BIFF_ChunkData(st.file, ch);
    if (!data) return false;
    last = ReadClass({data, ch->dwSize}, st);
    if (!last) return false;
  }
  for (SPW_BIFF_CHUNK* ch = SPW_BIFF_FindChunk(st.file, block, "FOBI"); ch;
       ch = SPW_BIFF_NextChunk(st.file, ch)) {
    if (!last) {
      PLAT_Trace("%s: an instance in a feature block without a class\n", kWho);
      return false;
    }
    const uint8_t* data = SPW_BIFF_ChunkData(st.file, ch);
    if (!data || !ReadInstance(*last, {data, ch->dwSize}, st)) return false;
  }
  return true;
}

// Gives each face read by this load its driver texture: classes of earlier loads already hold
// texture ids and are left alone.
bool ResolveTextures(LoadState& st, const SPW_MATERIALTABLE& materials) {
  std::vector<int32_t> ids(materials.dwCount);
  for (uint32_t m = 0; m < materials.dwCount; ++m)
    ids[m] = SPW_MaterialTextureId(&materials, m, st.display);
  for (SPW_FEATUREMESH* mesh : st.meshes)
    for (uint32_t f = 0; f < mesh->dwNumFaces; ++f) {
      SPW_FEATUREFACE& face = mesh->pFaces[f];
      if (face.nTexture == -1) {
        face.nTexture = 0;
      } else if (face.nTexture >= 0 && static_cast<uint32_t>(face.nTexture) < materials.dwCount) {
        face.nTexture = ids[static_cast<uint32_t>(face.nTexture)];
      } else {
        PLAT_Trace("%s: a face names material %d of %u\n", kWho, face.nTexture, materials.dwCount);
        return false;
      }
    }
  return true;
}

bool Load(LoadState& st) {
  SPW_BIFF_BLOCK* first = SPW_BIFF_FindBlock(st.file, "FOBF");
  if (!first) {
    PLAT_Trace("%s: the file has no feature block\n", kWho);
    return false;
  }
  for (SPW_BIFF_BLOCK* b = first; b; b = SPW_BIFF_NextBlock(st.file, b))
    if (!ReadBlock(b, st)) return false;
  if (!st.instances) {
    PLAT_Trace("%s: the file has no feature instance\n", kWho);
    return false;
  }
  SPW_BIFF_BLOCK* matf = SPW_BIFF_FindBlock(st.file, "MATF");
  if (matf && SPW_BIFF_ChunkCount(matf) == 0) {
    PLAT_Trace("%s: the material block is empty\n", kWho);
    return false;
  }
  SPW_MATERIALTABLE materials{};
  bool ok = SPW_ReadMaterials(st.file, &materials, kWho) && ResolveTextures(st, materials);
  SPW_FreeMaterials(&materials);
  return ok;
}

}  // namespace

int32_t SPW_ResetFeatureObjects() {
  SPW_FeatureObjects = nullptr;
  if (!SPW_ResetFeatureBlock()) return 0;
  SPW_FeatureObjects = static_cast<SPW_FEATUREOBJ*>(
      SGE_MemCalloc(SPW_FObjsMem, SPW_MAX_FEATURE_OBJECTS * sizeof(SPW_FEATUREOBJ)));
  if (!SPW_FeatureObjects) PLAT_Trace("SPW_ResetFeatureObjects: no memory for the feature table\n");
  return SPW_FeatureObjects ? 1 : 0;
}

SGE_DLLNODE* SPW_SceneFeatureList(SPW_SCENE* scene) { return &scene->furtherLists[0]; }

int32_t SPW_FindFeatureClass(SPW_SCENE* scene, const uint8_t* chunk, int32_t* outIndex) {
  *outIndex = SPW_NO_FEATURE_OBJECT;
  if (!SPW_FeatureObjects) return 0;
  SGE_DLLNODE* list = SPW_SceneFeatureList(scene);
  for (SPW_FEATUREOBJ* cls : SGE_ListRecords<SPW_FEATUREOBJ>(list)) {
    if (!(cls->dwInUse & SPW_FEATURE_IN_USE)) continue;
    if (std::memcmp(cls->szFirstName, chunk + kClassFirstName, SPW_FEATURE_NAME_SIZE) ||
        std::memcmp(cls->szClassName, chunk + kClassName, SPW_FEATURE_NAME_SIZE))
      continue;
    *outIndex = static_cast<int32_t>(cls - SPW_FeatureObjects);
    return 1;
  }
  for (int32_t i = 0; i < SPW_MAX_FEATURE_OBJECTS; ++i)
    if (!(SPW_FeatureObjects[i].dwInUse & SPW_FEATURE_IN_USE)) {
      *outIndex = i;
      break;
    }
  return 0;
}

int32_t SPW_LoadFeatureObject(SPW_BIFF_FILE* file, SPW_SCENE* scene, SPW_DISPLAY* display) {
  if (!scene || !file || !display || !SPW_GetDisplayDriver(display)) {
    PLAT_Trace("%s: no scene, file or bound display\n", kWho);
    return 0;
  }
  if (!SPW_FeatureObjects && !SPW_ResetFeatureObjects()) return 0;
  LoadState st{scene, display, file, {}, {}, {}, {}};
  if (Load(st)) return 1;
  // What this load read is unusable (its faces may still hold material indices): it is taken
  // back, and what the block held before (classes of earlier loads, the terrain's tables) stays.
  PLAT_Trace("%s: the load failed, its feature objects are dropped\n", kWho);
  st.Undo();
  return 0;
}
