// POW object files in either layout.
#include "tools/writers/pow_writer.h"

#include <algorithm>

#include "platform/bytes.h"

namespace {

constexpr size_t kNameSize = 20;
constexpr size_t kAnimOwnerSize = 24;
constexpr size_t kMaterialNameSize = 64;
constexpr size_t kTextureNameSize = 260;

void AppendFloats(std::vector<uint8_t>& out, const float* v, size_t n) {
  for (size_t i = 0; i < n; ++i) vnBIFF_AppendFloat(out, v[i]);
}

}  // namespace

std::vector<uint8_t> vnPOW_ObjectChunk(const vnMODEL& model, vnPOW_LAYOUT layout, uint32_t lod) {
  std::vector<uint8_t> out;
  const uint32_t numNodes =
      model.lods.empty() ? 0 : static_cast<uint32_t>(model.lods[0].nodes.size());
  vnBIFF_AppendField(out, model.name, kNameSize);
  PLAT_AppendLE32(out, model.id);
  PLAT_AppendLE32(out, static_cast<uint32_t>(model.indexWord));
  PLAT_AppendLE32(out, numNodes);
  PLAT_AppendLE32(out, static_cast<uint32_t>(model.anims.size()));
  if (layout == vnPOW_LAYOUT::Current) {
    PLAT_AppendLE32(out, 0);
    PLAT_AppendLE32(out, static_cast<uint32_t>(model.lods.size()));
  } else {
    PLAT_AppendLE32(out, lod);
  }
  vnBIFF_AppendFloat(out, model.radius);
  AppendFloats(out, model.centre, 3);
  return out;
}

std::vector<uint8_t> vnPOW_NodeChunk(const vnMODEL_NODE& node, vnPOW_LAYOUT layout, uint32_t lod) {
  std::vector<uint8_t> out;
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.id));
  if (layout == vnPOW_LAYOUT::Current) PLAT_AppendLE32(out, lod);
  vnBIFF_AppendField(out, node.name, kNameSize);
  PLAT_AppendLE32(out, node.kind);
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.parentId));
  PLAT_AppendLE32(out, node.childCount);
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.vertices.size()));
  PLAT_AppendLE32(out, static_cast<uint32_t>(node.faces.size()));
  PLAT_AppendLE32(out, node.vertsPerFace);
  PLAT_AppendLE32(out, node.texSets);
  AppendFloats(out, node.transform, 8);
  if (layout == vnPOW_LAYOUT::Current) PLAT_AppendLE32(out, 0);  // the old layout has no spare word
  for (const vnMODEL_VERTEX& v : node.vertices) {
    AppendFloats(out, v.pos, 3);
    AppendFloats(out, v.normal, 3);
    PLAT_AppendLE32(out, v.value);
    for (uint32_t t = 0; t < node.texSets; ++t) {
      vnBIFF_AppendFloat(out, v.u);
      vnBIFF_AppendFloat(out, v.v);
    }
  }
  for (const vnMODEL_FACE& f : node.faces) {
    PLAT_AppendLE32(out, f.material);
    for (uint32_t value : f.values) PLAT_AppendLE32(out, value);
    for (uint32_t k = 0; k < node.vertsPerFace && k < 4; ++k) PLAT_AppendLE32(out, f.index[k]);
  }
  return out;
}

std::vector<uint8_t> vnPOW_MaterialChunk(const vnMODEL_MATERIAL& material) {
  std::vector<uint8_t> out;
  PLAT_AppendLE32(out, material.value);
  vnBIFF_AppendName(out, material.name, kMaterialNameSize);
  for (uint32_t value : material.values) PLAT_AppendLE32(out, value);
  PLAT_AppendLE32(out, static_cast<uint32_t>(material.textures.size()));
  for (const vnMODEL_TEXTURE& t : material.textures) {
    PLAT_AppendLE32(out, t.kind);
    vnBIFF_AppendName(out, t.file, kTextureNameSize);
  }
  return out;
}

std::vector<uint8_t> vnPOW_AnimChunk(const vnMODEL& model, const vnMODEL_ANIM& anim,
                                     uint32_t index) {
  std::vector<uint8_t> out;
  vnBIFF_AppendName(out, model.name, kAnimOwnerSize);
  vnBIFF_AppendField(out, anim.name, kNameSize);
  PLAT_AppendLE32(out, index);
  PLAT_AppendLE32(out, 0);
  PLAT_AppendLE32(out, anim.value);
  PLAT_AppendLE32(out, anim.length);
  return out;
}

std::vector<uint8_t> vnPOW_ChannelChunk(const vnMODEL_CHANNEL& channel) {
  std::vector<uint8_t> out;
  PLAT_AppendLE32(out, static_cast<uint32_t>(channel.nodeId));
  out.insert(out.end(), 20, 0);
  PLAT_AppendLE32(out, static_cast<uint32_t>(channel.keys.size()));
  PLAT_AppendLE32(out, 0);
  for (const vnMODEL_KEY& k : channel.keys) {
    AppendFloats(out, k.pos, 3);
    AppendFloats(out, k.rot, 4);
    PLAT_AppendLE32(out, k.time);
  }
  return out;
}

vnBIFF_FILE vnPOW_Build(const vnMODEL& model, vnPOW_LAYOUT layout, uint32_t oldLod) {
  vnBIFF_FILE file;
  const bool current = layout == vnPOW_LAYOUT::Current;
  vnBIFF_BLOCK object{"DOBF", 0, 0, {}};
  object.chunks.push_back({current ? "LDOB" : "NDOB", vnPOW_ObjectChunk(model, layout, oldLod)});
  const size_t levels = current ? model.lods.size() : std::min<size_t>(model.lods.size(), 1);
  // The loader puts each child in front of its earlier siblings; written back to front, the
  // nodes come out in the model's own depth-first order.
  for (size_t l = 0; l < levels; ++l)
    for (auto node = model.lods[l].nodes.rbegin(); node != model.lods[l].nodes.rend(); ++node)
      object.chunks.push_back({current ? "LNOD" : "NNOD",
                               vnPOW_NodeChunk(*node, layout, static_cast<uint32_t>(l))});
  file.blocks.push_back(std::move(object));
  if (!model.materials.empty()) {
    vnBIFF_BLOCK materials{"MATF", 0, 0, {}};
    for (const vnMODEL_MATERIAL& m : model.materials)
      materials.chunks.push_back({"MATS", vnPOW_MaterialChunk(m)});
    file.blocks.push_back(std::move(materials));
  }
  for (size_t a = 0; a < model.anims.size(); ++a) {
    vnBIFF_BLOCK anim{"ANMF", 0, 0, {}};
    anim.chunks.push_back({"NANI", vnPOW_AnimChunk(model, model.anims[a], static_cast<uint32_t>(a))});
    for (const vnMODEL_CHANNEL& ch : model.anims[a].channels)
      anim.chunks.push_back({"NNAN", vnPOW_ChannelChunk(ch)});
    file.blocks.push_back(std::move(anim));
  }
  return file;
}

bool vnWRITE_POW(const std::string& path, const vnMODEL& model, vnPOW_LAYOUT layout,
                 uint32_t oldLod) {
  return vnWRITE_BIFF(path, vnPOW_Build(model, layout, oldLod));
}
