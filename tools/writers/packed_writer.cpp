// Packed tables and packed object images.
#include "tools/writers/packed_writer.h"

#include <algorithm>
#include <cmath>

#include "platform/bytes.h"
#include "platform/trace.h"
#include "tools/writers/file_writer.h"

namespace {

constexpr float kUnitScale = 0.01f;
constexpr size_t kMaterialNameSize = 260;
constexpr uint32_t kMaxKeyIndex = 0xffff;
constexpr uint32_t kHeaderWords = 17;
constexpr uint32_t kNodeWords = 31;
constexpr uint32_t kNoParent = 0xffffffffu;

std::vector<uint8_t> WithSizeWord(std::vector<uint8_t> body) {
  std::vector<uint8_t> out;
  PLAT_AppendLE32(out, static_cast<uint32_t>(body.size() + 4));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

void SetWord(std::vector<uint8_t>& out, size_t at, uint32_t v) { PLAT_StoreLE32(out.data() + at, v); }
uint32_t Offset(const std::vector<uint8_t>& out) { return static_cast<uint32_t>(out.size()); }

uint32_t MaterialIndex(vnPACKED_TABLES& tables, const std::string& file) {
  auto it = std::find(tables.materials.begin(), tables.materials.end(), file);
  if (it != tables.materials.end()) return static_cast<uint32_t>(it - tables.materials.begin());
  tables.materials.push_back(file);
  return static_cast<uint32_t>(tables.materials.size() - 1);
}

// The face texture of a model material: the first of kind 1, else the first, else none.
std::string FaceTexture(const vnMODEL& model, uint32_t material) {
  if (material >= model.materials.size()) return std::string();
  const auto& textures = model.materials[material].textures;
  for (const vnMODEL_TEXTURE& t : textures)
    if (t.kind == 1) return t.file;
  return textures.empty() ? std::string() : textures[0].file;
}

bool AppendKeys(std::vector<uint8_t>& out, const vnMODEL_CHANNEL& ch, vnPACKED_TABLES& tables) {
  for (size_t i = 0; i < ch.keys.size(); ++i) {
    const vnMODEL_KEY& k = ch.keys[i];
    if (tables.positions.size() > kMaxKeyIndex || tables.rotations.size() > kMaxKeyIndex)
      return false;
    tables.positions.push_back({k.pos[0] * kUnitScale, k.pos[1] * kUnitScale, k.pos[2] * kUnitScale});
    vnPACKED_ROTATION r;
    std::copy(k.rot, k.rot + 4, r.rot);
    r.time = static_cast<float>(k.time);
    float span = i + 1 < ch.keys.size() ? static_cast<float>(ch.keys[i + 1].time) - r.time : 0.0f;
    r.invSpan = span != 0.0f ? 1.0f / span : 0.0f;
    tables.rotations.push_back(r);
    PLAT_AppendLE32(out, static_cast<uint32_t>((tables.positions.size() - 1) << 16 |
                                               (tables.rotations.size() - 1)));
  }
  return true;
}

bool AppendAnimations(std::vector<uint8_t>& out, const vnMODEL& model, vnPACKED_TABLES& tables,
                      uint32_t numNodes, vnPDO_LAYOUT& layout) {
  const size_t table = out.size();
  layout.animTable = Offset(out);
  for (size_t a = 0; a < model.anims.size(); ++a) {
    const vnMODEL_ANIM& anim = model.anims[a];
    vnBIFF_AppendField(out, anim.name, 20);
    PLAT_AppendLE32(out, static_cast<uint32_t>(a));
    PLAT_AppendLE32(out, anim.value);
    PLAT_AppendLE32(out, anim.length);
    PLAT_AppendLE32(out, 0);
  }
  for (size_t a = 0; a < model.anims.size(); ++a) {
    SetWord(out, table + a * 36 + 32, Offset(out));
    if (a == 0) layout.firstPairs = Offset(out);
    const size_t pairs = out.size();
    out.insert(out.end(), size_t{numNodes} * 8, 0);
    // Key data in node order: the loader takes the sections strictly front to back.
    for (uint32_t n = 0; n < numNodes; ++n) {
      const auto& channels = model.anims[a].channels;
      auto ch = std::find_if(channels.begin(), channels.end(), [n](const vnMODEL_CHANNEL& c) {
        return c.nodeId == static_cast<int32_t>(n) && !c.keys.empty();
      });
      if (ch == channels.end()) continue;
      SetWord(out, pairs + size_t{n} * 8, static_cast<uint32_t>(ch->keys.size()));
      SetWord(out, pairs + size_t{n} * 8 + 4, Offset(out));
      if (!AppendKeys(out, *ch, tables)) return false;
    }
  }
  return true;
}

void AppendNodeRecord(std::vector<uint8_t>& out, const vnMODEL_LOD& lod, size_t n) {
  const vnMODEL_NODE& node = lod.nodes[n];
  uint32_t children = 0, parent = kNoParent;
  for (size_t k = 0; k < lod.nodes.size(); ++k) {
    if (lod.nodes[k].parentId == node.id && k != n) ++children;
    if (lod.nodes[k].id == node.parentId) parent = static_cast<uint32_t>(k);
  }
  float lo[3] = {1e20f, 1e20f, 1e20f}, hi[3] = {-1e20f, -1e20f, -1e20f};
  for (const vnMODEL_VERTEX& v : node.vertices)
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], v.pos[i] * kUnitScale);
      hi[i] = std::max(hi[i], v.pos[i] * kUnitScale);
    }
  float centre[3] = {0, 0, 0}, radius = 0;
  if (!node.vertices.empty())
    for (int i = 0; i < 3; ++i) {
      centre[i] = (lo[i] + hi[i]) * 0.5f;
      radius = std::max(radius, (hi[i] - lo[i]) * 0.5f);
    }
  PLAT_AppendLE32(out, children);
  PLAT_AppendLE32(out, static_cast<uint32_t>(n));
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.id));
  vnBIFF_AppendField(out, node.name, 20);
  PLAT_AppendLE32(out, 0);  // first child: set by the loader
  PLAT_AppendLE32(out, parent);
  PLAT_AppendLE32(out, node.kind);
  PLAT_AppendLE32(out, 0);
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.parentId));
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.vertices.size()));
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.faces.size()));
  PLAT_AppendLE32(out, node.vertsPerFace);
  PLAT_AppendLE32(out, 1);
  for (int i = 0; i < 3; ++i) vnBIFF_AppendFloat(out, node.transform[i] * kUnitScale);
  for (int i = 3; i < 8; ++i) vnBIFF_AppendFloat(out, node.transform[i]);
  PLAT_AppendLE32(out, 0);  // vertices
  PLAT_AppendLE32(out, 0);  // faces
  for (float c : centre) vnBIFF_AppendFloat(out, c);
  vnBIFF_AppendFloat(out, radius);
}

void AppendMeshes(std::vector<uint8_t>& out, const vnMODEL& model, const vnMODEL_NODE& node,
                  size_t record, vnPACKED_TABLES& tables, uint32_t* firstFace) {
  if (!node.vertices.empty()) SetWord(out, record + 25 * 4, Offset(out));
  for (const vnMODEL_VERTEX& v : node.vertices) {
    for (float p : v.pos) vnBIFF_AppendFloat(out, p * kUnitScale);
    float len = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                          v.normal[2] * v.normal[2]);
    for (float c : v.normal) vnBIFF_AppendFloat(out, len > 0 ? c / len : c);
    PLAT_AppendLE32(out, v.value);
    vnBIFF_AppendFloat(out, v.u);
    vnBIFF_AppendFloat(out, v.v);
  }
  if (!node.faces.empty()) {
    SetWord(out, record + 26 * 4, Offset(out));
    if (!*firstFace) *firstFace = Offset(out);
  }
  for (const vnMODEL_FACE& f : node.faces) {
    PLAT_AppendLE32(out, MaterialIndex(tables, FaceTexture(model, f.material)));
    for (uint32_t value : f.values) PLAT_AppendLE32(out, value);
    for (uint32_t k = 0; k < 4; ++k) PLAT_AppendLE32(out, k < node.vertsPerFace ? f.index[k] : 0);
  }
}

void AppendLods(std::vector<uint8_t>& out, const vnMODEL& model, vnPACKED_TABLES& tables,
                uint32_t numNodes, vnPDO_LAYOUT& layout) {
  const size_t table = out.size();
  layout.lodTable = Offset(out);
  for (size_t l = 0; l < model.lods.size(); ++l) {
    PLAT_AppendLE32(out, numNodes);
    PLAT_AppendLE32(out, 0);
    PLAT_AppendLE32(out, 0);
    PLAT_AppendLE32(out, 0);
  }
  for (size_t l = 0; l < model.lods.size(); ++l) {
    const vnMODEL_LOD& lod = model.lods[l];
    const size_t records = out.size();
    SetWord(out, table + l * 16 + 12, Offset(out));
    if (l == 0) layout.firstNodes = Offset(out);
    for (size_t n = 0; n < lod.nodes.size(); ++n) AppendNodeRecord(out, lod, n);
    uint32_t firstFace = 0;
    for (size_t n = 0; n < lod.nodes.size(); ++n)
      AppendMeshes(out, model, lod.nodes[n], records + n * kNodeWords * 4, tables, &firstFace);
    if (l == 0) layout.firstFaces = firstFace;
  }
}

}  // namespace

std::vector<uint8_t> vnPACKED_PositionBytes(const vnPACKED_TABLES& tables) {
  std::vector<uint8_t> body;
  for (const auto& p : tables.positions)
    for (size_t i = 0; i < 3; ++i) vnBIFF_AppendFloat(body, i < p.size() ? p[i] : 0.0f);
  return WithSizeWord(std::move(body));
}

std::vector<uint8_t> vnPACKED_RotationBytes(const vnPACKED_TABLES& tables) {
  std::vector<uint8_t> body;
  for (const vnPACKED_ROTATION& r : tables.rotations) {
    for (float q : r.rot) vnBIFF_AppendFloat(body, q);
    vnBIFF_AppendFloat(body, r.time);
    vnBIFF_AppendFloat(body, r.invSpan);
  }
  return WithSizeWord(std::move(body));
}

std::vector<uint8_t> vnPACKED_MaterialBytes(const vnPACKED_TABLES& tables) {
  std::vector<uint8_t> body;
  for (const std::string& m : tables.materials) vnBIFF_AppendName(body, m, kMaterialNameSize);
  return WithSizeWord(std::move(body));
}

bool vnWRITE_PackedTables(const std::string& folder, const vnPACKED_TABLES& tables) {
  const std::vector<uint8_t> files[3] = {vnPACKED_PositionBytes(tables),
                                         vnPACKED_RotationBytes(tables),
                                         vnPACKED_MaterialBytes(tables)};
  const char* names[3] = {"tset.dat", "qtset.dat", "materials.dat"};
  for (int i = 0; i < 3; ++i)
    if (!vnWRITE_WholeFile("vnWRITE_PackedTables", folder + "/" + names[i], files[i].data(),
                           files[i].size()))
      return false;
  return true;
}

std::vector<uint8_t> vnPDO_Build(const vnMODEL& model, vnPACKED_TABLES& tables,
                                 vnPDO_LAYOUT* layout) {
  vnPDO_LAYOUT where;
  const uint32_t numNodes =
      model.lods.empty() ? 0 : static_cast<uint32_t>(model.lods[0].nodes.size());
  std::vector<uint8_t> out;
  PLAT_AppendLE32(out, 0);  // the total size, set last
  vnBIFF_AppendName(out, model.name, 20);
  PLAT_AppendLE32(out, static_cast<uint32_t>(model.anims.size()));
  PLAT_AppendLE32(out, static_cast<uint32_t>(model.lods.size()));
  PLAT_AppendLE32(out, numNodes);
  PLAT_AppendLE32(out, model.id);
  PLAT_AppendLE32(out, static_cast<uint32_t>(model.indexWord));
  vnBIFF_AppendFloat(out, 1.0f);  // factor
  PLAT_AppendLE32(out, 0);        // legacy word
  vnBIFF_AppendFloat(out, model.radius * kUnitScale);
  for (float c : model.centre) vnBIFF_AppendFloat(out, c * kUnitScale);
  if (out.size() != kHeaderWords * 4) return {};
  if (!AppendAnimations(out, model, tables, numNodes, where)) {
    PLAT_Trace("vnPDO_Build: %s: more keys than the packed tables can index\n", model.name.c_str());
    return {};
  }
  AppendLods(out, model, tables, numNodes, where);
  SetWord(out, 0, Offset(out));
  where.size = Offset(out);
  if (layout) *layout = where;
  return out;
}

bool vnWRITE_PDO(const std::string& path, const vnMODEL& model, vnPACKED_TABLES& tables) {
  std::vector<uint8_t> image = vnPDO_Build(model, tables);
  if (image.empty()) return false;
  return vnWRITE_WholeFile("vnWRITE_PDO", path, image.data(), image.size());
}
