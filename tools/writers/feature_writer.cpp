// Feature classes and instances of the terrain file.
#include "tools/writers/feature_writer.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "platform/bytes.h"

namespace {

constexpr size_t kNameSize = 20;

struct Sphere {
  float c[3];
  float r;
};

float Dist(const float* a, const float* b) {
  const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Sphere Merge(const Sphere& a, const Sphere& b) {
  const float d = Dist(a.c, b.c);
  if (a.r >= b.r && (a.r - b.r >= d)) return a;
  if (b.r > a.r && (b.r - a.r >= d)) return b;
  Sphere out;
  out.r = (a.r + b.r + d) / 2;
  const float k = d > 0 ? (out.r - a.r) / d : 0;
  for (int i = 0; i < 3; ++i) out.c[i] = a.c[i] + (b.c[i] - a.c[i]) * k;
  return out;
}

Sphere FaceSphere(const vnFEATURE_MESH& mesh, const vnFEATURE_FACE& f) {
  Sphere s{{0, 0, 0}, 0};
  const uint32_t p = std::min<uint32_t>(mesh.vertsPerFace, 4);
  for (uint32_t k = 0; k < p; ++k)
    for (int i = 0; i < 3; ++i) s.c[i] += mesh.vertices[f.index[k]].pos[i] / static_cast<float>(p);
  for (uint32_t k = 0; k < p; ++k) s.r = std::max(s.r, Dist(s.c, mesh.vertices[f.index[k]].pos));
  return s;
}

// Splits the faces at the median of the longest axis of their centres; children are written
// before their parent, so the root comes last.
int32_t BuildNodes(vnFEATURE_MESH& mesh, std::vector<Sphere>& spheres, std::vector<int32_t>& faces,
                   size_t lo, size_t hi) {
  vnFEATURE_NODE node;
  Sphere s;
  if (hi - lo == 1) {
    node.face = faces[lo];
    s = spheres[static_cast<size_t>(faces[lo])];
  } else {
    float mn[3] = {1e30f, 1e30f, 1e30f}, mx[3] = {-1e30f, -1e30f, -1e30f};
    for (size_t i = lo; i < hi; ++i)
      for (int a = 0; a < 3; ++a) {
        mn[a] = std::min(mn[a], spheres[static_cast<size_t>(faces[i])].c[a]);
        mx[a] = std::max(mx[a], spheres[static_cast<size_t>(faces[i])].c[a]);
      }
    int axis = 0;
    for (int a = 1; a < 3; ++a)
      if (mx[a] - mn[a] > mx[axis] - mn[axis]) axis = a;
    const size_t mid = (lo + hi) / 2;
    std::nth_element(faces.begin() + static_cast<long>(lo), faces.begin() + static_cast<long>(mid),
                     faces.begin() + static_cast<long>(hi), [&](int32_t a, int32_t b) {
                       return spheres[static_cast<size_t>(a)].c[axis] <
                              spheres[static_cast<size_t>(b)].c[axis];
                     });
    node.left = BuildNodes(mesh, spheres, faces, lo, mid);
    node.right = BuildNodes(mesh, spheres, faces, mid, hi);
    const vnFEATURE_NODE& l = mesh.nodes[static_cast<size_t>(node.left)];
    const vnFEATURE_NODE& r = mesh.nodes[static_cast<size_t>(node.right)];
    s = Merge({{l.centre[0], l.centre[1], l.centre[2]}, l.radius},
              {{r.centre[0], r.centre[1], r.centre[2]}, r.radius});
  }
  std::copy(s.c, s.c + 3, node.centre);
  node.radius = s.r;
  mesh.nodes.push_back(node);
  return static_cast<int32_t>(mesh.nodes.size() - 1);
}

void Normal(const vnFEATURE_MESH& mesh, vnFEATURE_FACE& f) {
  if (f.normal[0] != 0 || f.normal[1] != 0 || f.normal[2] != 0) return;
  const float* a = mesh.vertices[f.index[0]].pos;
  const float* b = mesh.vertices[f.index[1]].pos;
  const float* c = mesh.vertices[f.index[2]].pos;
  const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                e1[0] * e2[1] - e1[1] * e2[0]};
  const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len > 0)
    for (float& x : n) x /= len;
  std::copy(n, n + 3, f.normal);
}

void AppendFloats(std::vector<uint8_t>& out, const float* v, size_t n) {
  for (size_t i = 0; i < n; ++i) vnBIFF_AppendFloat(out, v[i]);
}

// The inverse of a row-vector affine matrix.
void Inverse(const float* m, float* out) {
  const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
              i = m[10];
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  float det = a * A + b * B + c * C;
  if (det == 0) det = 1;
  const float inv[9] = {A / det, -(b * i - c * h) / det, (b * f - c * e) / det,
                        B / det, (a * i - c * g) / det, -(a * f - c * d) / det,
                        C / det, -(a * h - b * g) / det, (a * e - b * d) / det};
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 3; ++k) out[r * 4 + k] = inv[r * 3 + k];
    out[r * 4 + 3] = 0;
  }
  for (int k = 0; k < 3; ++k)
    out[12 + k] = -(m[12] * inv[k] + m[13] * inv[3 + k] + m[14] * inv[6 + k]);
  out[15] = 1;
}

}  // namespace

void vnFEATURE_PrepareMesh(vnFEATURE_MESH& mesh) {
  for (vnFEATURE_FACE& f : mesh.faces) Normal(mesh, f);
  if (mesh.nodes.empty() && !mesh.faces.empty()) {
    std::vector<Sphere> spheres;
    for (const vnFEATURE_FACE& f : mesh.faces) spheres.push_back(FaceSphere(mesh, f));
    std::vector<int32_t> order(mesh.faces.size());
    std::iota(order.begin(), order.end(), 0);
    BuildNodes(mesh, spheres, order, 0, order.size());
  }
  if (mesh.radius == 0 && !mesh.vertices.empty()) {
    float mn[3] = {1e30f, 1e30f, 1e30f}, mx[3] = {-1e30f, -1e30f, -1e30f};
    for (const vnFEATURE_VERTEX& v : mesh.vertices)
      for (int a = 0; a < 3; ++a) {
        mn[a] = std::min(mn[a], v.pos[a]);
        mx[a] = std::max(mx[a], v.pos[a]);
      }
    for (int a = 0; a < 3; ++a) mesh.centre[a] = (mn[a] + mx[a]) / 2;
    for (const vnFEATURE_VERTEX& v : mesh.vertices)
      mesh.radius = std::max(mesh.radius, Dist(mesh.centre, v.pos));
  }
}

void vnFEATURE_PrepareClass(vnFEATURE_CLASS& cls) {
  for (vnFEATURE_MESH& m : cls.meshes) vnFEATURE_PrepareMesh(m);
  if (cls.radius == 0 && !cls.meshes.empty()) {
    std::copy(cls.meshes[0].centre, cls.meshes[0].centre + 3, cls.centre);
    cls.radius = cls.meshes[0].radius;
  }
}

void vnFEATURE_Place(vnFEATURE_INSTANCE& inst, float x, float y, float z, float angle,
                     float scale) {
  const float c = std::cos(angle) * scale, s = std::sin(angle) * scale;
  const float m[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, scale, 0, x, y, z, 1};
  std::copy(m, m + 16, inst.matrix);
}

std::vector<uint8_t> vnFEATURE_ClassChunk(const vnFEATURE_CLASS& cls, uint32_t meshIndex,
                                          uint32_t materialBase) {
  const vnFEATURE_MESH& mesh = cls.meshes[meshIndex];
  std::vector<uint8_t> out;
  vnBIFF_AppendName(out, cls.firstName, kNameSize);
  vnBIFF_AppendName(out, cls.className, kNameSize);
  PLAT_AppendLE32(out, cls.valueA);
  PLAT_AppendLE32(out, cls.meshCount ? cls.meshCount : static_cast<uint32_t>(cls.meshes.size()));
  PLAT_AppendLE32(out, meshIndex);
  PLAT_AppendLE32(out, cls.valueB);
  PLAT_AppendLE32(out, 0);
  out.insert(out.end(), cls.kept.begin(), cls.kept.end());
  PLAT_AppendLE32(out, static_cast<uint32_t>(mesh.vertices.size()));
  PLAT_AppendLE32(out, static_cast<uint32_t>(mesh.faces.size()));
  PLAT_AppendLE32(out, mesh.vertsPerFace);
  PLAT_AppendLE32(out, mesh.pairs);
  PLAT_AppendLE32(out, static_cast<uint32_t>(mesh.nodes.size()));
  AppendFloats(out, mesh.centre, 3);
  vnBIFF_AppendFloat(out, mesh.radius);
  AppendFloats(out, cls.centre, 3);
  vnBIFF_AppendFloat(out, cls.radius);
  for (const vnFEATURE_VERTEX& v : mesh.vertices) {
    AppendFloats(out, v.pos, 3);
    for (uint32_t t = 0; t < mesh.pairs; ++t) {
      vnBIFF_AppendFloat(out, v.u);
      vnBIFF_AppendFloat(out, v.v);
    }
  }
  for (const vnFEATURE_VERTEX& v : mesh.vertices)
    for (uint32_t value : v.values) PLAT_AppendLE32(out, value);
  for (const vnFEATURE_FACE& f : mesh.faces) {
    const int32_t material = f.material < 0 ? -1 : f.material + static_cast<int32_t>(materialBase);
    PLAT_AppendLE32(out, static_cast<uint32_t>(material));
    AppendFloats(out, f.normal, 3);
    PLAT_AppendLE32(out, f.flags);
    for (uint32_t k = 0; k < mesh.vertsPerFace; ++k) PLAT_AppendLE32(out, k < 4 ? f.index[k] : 0);
  }
  for (const vnFEATURE_NODE& n : mesh.nodes) {
    PLAT_AppendLE32(out, n.word);
    PLAT_AppendLE32(out, static_cast<uint32_t>(n.face));
    AppendFloats(out, n.centre, 3);
    vnBIFF_AppendFloat(out, n.radius);
    PLAT_AppendLE32(out, n.word2);
    PLAT_AppendLE32(out, static_cast<uint32_t>(n.left));
    PLAT_AppendLE32(out, static_cast<uint32_t>(n.right));
  }
  return out;
}

std::vector<uint8_t> vnFEATURE_InstanceChunk(const vnFEATURE_CLASS& cls,
                                             const vnFEATURE_INSTANCE& inst) {
  std::vector<uint8_t> out;
  vnBIFF_AppendName(out, inst.name, kNameSize);
  out.insert(out.end(), 24, 0);
  const size_t arrays = inst.colours.empty() ? cls.meshes.size() : inst.colours.size();
  PLAT_AppendLE32(out, static_cast<uint32_t>(arrays));
  PLAT_AppendLE32(out, static_cast<uint32_t>(inst.id));
  AppendFloats(out, inst.matrix, 16);
  float inverse[16];
  Inverse(inst.matrix, inverse);
  AppendFloats(out, inverse, 16);
  for (size_t m = 0; m < arrays; ++m) {
    if (inst.colours.empty()) {
      for (size_t v = 0; v < cls.meshes[m].vertices.size(); ++v) PLAT_AppendLE32(out, 0xFFFFFFFFu);
    } else {
      for (uint32_t c : inst.colours[m]) PLAT_AppendLE32(out, c);
    }
  }
  return out;
}

std::vector<vnBIFF_BLOCK> vnFEATURE_Blocks(const vnFEATURE_SET& set, uint32_t materialBase) {
  std::vector<vnBIFF_BLOCK> blocks;
  for (const vnFEATURE_GROUP& group : set.groups) {
    vnFEATURE_CLASS cls = group.cls;
    vnFEATURE_PrepareClass(cls);
    vnBIFF_BLOCK block;
    block.tag = "FOBF";
    for (uint32_t m = 0; m < cls.meshes.size(); ++m)
      block.chunks.push_back({"FOBJ", vnFEATURE_ClassChunk(cls, m, materialBase)});
    for (const vnFEATURE_INSTANCE& inst : group.instances)
      block.chunks.push_back({"FOBI", vnFEATURE_InstanceChunk(cls, inst)});
    blocks.push_back(std::move(block));
  }
  return blocks;
}

void vnFEATURE_AppendTo(vnBIFF_FILE& file, const vnFEATURE_SET& set) {
  vnBIFF_BLOCK* matf = nullptr;
  for (vnBIFF_BLOCK& b : file.blocks)
    if (b.tag == "MATF") {
      matf = &b;
      break;
    }
  if (!matf && !set.materials.empty()) {
    file.blocks.push_back({"MATF", 0, 0, {}});
    matf = &file.blocks.back();
  }
  const uint32_t base = matf ? static_cast<uint32_t>(matf->chunks.size()) : 0;
  for (const vnMODEL_MATERIAL& m : set.materials)
    matf->chunks.push_back({"MATS", vnPOW_MaterialChunk(m)});
  for (vnBIFF_BLOCK& b : vnFEATURE_Blocks(set, base)) file.blocks.push_back(std::move(b));
}

void vnFEATURE_AddToTerrain(vnTERRAIN& terrain, const vnFEATURE_SET& set) {
  const uint32_t base = static_cast<uint32_t>(terrain.materials.size());
  terrain.materials.insert(terrain.materials.end(), set.materials.begin(), set.materials.end());
  for (vnBIFF_BLOCK& b : vnFEATURE_Blocks(set, base)) terrain.extraBlocks.push_back(std::move(b));
}

bool vnWRITE_FeatureFile(const std::string& path, const vnFEATURE_SET& set) {
  vnBIFF_FILE file;
  vnFEATURE_AppendTo(file, set);
  return vnWRITE_BIFF(path, file);
}
