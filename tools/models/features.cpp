// Feature classes built from simple solids.
#include "tools/models/features.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

#include "engine/math/vecmath.h"

namespace {

struct MeshBuilder {
  vnFEATURE_MESH mesh;
  int32_t material;
  uint32_t Vertex(float x, float y, float z, float u = 0, float v = 0) {
    vnFEATURE_VERTEX vx;
    vx.pos[0] = x;
    vx.pos[1] = y;
    vx.pos[2] = z;
    vx.u = u;
    vx.v = v;
    mesh.vertices.push_back(vx);
    return static_cast<uint32_t>(mesh.vertices.size() - 1);
  }
  void Tri(uint32_t a, uint32_t b, uint32_t c) {
    vnFEATURE_FACE f;
    f.material = material;
    f.index[0] = a;
    f.index[1] = b;
    f.index[2] = c;
    mesh.faces.push_back(f);
  }
  void Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    Tri(a, b, c);
    Tri(a, c, d);
  }
};

vnFEATURE_CLASS MakeClass(const std::string& name, std::vector<vnFEATURE_MESH> meshes) {
  vnFEATURE_CLASS cls;
  cls.firstName = name;
  cls.className = name;
  cls.meshes = std::move(meshes);
  vnFEATURE_PrepareClass(cls);
  return cls;
}

// Adds a box with its 24 corners (four per side, for the texture pairs).
void AddBox(MeshBuilder& b, float x0, float y0, float z0, float x1, float y1, float z1) {
  const float c[8][3] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0},
                         {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}};
  const int sides[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                           {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  for (const auto& s : sides) {
    uint32_t v[4];
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) v[k] = b.Vertex(c[s[k]][0], c[s[k]][1], c[s[k]][2], uv[k][0], uv[k][1]);
    b.Quad(v[0], v[1], v[2], v[3]);
  }
}

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// An octahedron subdivided `levels` times, each vertex pushed out by a factor from the seed.
vnFEATURE_MESH Lump(float radius, uint32_t seed, int levels, int32_t material) {
  std::vector<std::array<float, 3>> pts = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0},
                                           {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  std::vector<std::array<uint32_t, 3>> tris = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                               {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
  for (int l = 0; l < levels; ++l) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> mid;
    auto Mid = [&](uint32_t a, uint32_t b) {
      auto key = std::minmax(a, b);
      auto it = mid.find(key);
      if (it != mid.end()) return it->second;
      std::array<float, 3> m{};
      float len = 0;
      for (int k = 0; k < 3; ++k) {
        m[static_cast<size_t>(k)] = (pts[a][static_cast<size_t>(k)] + pts[b][static_cast<size_t>(k)]) / 2;
        len += m[static_cast<size_t>(k)] * m[static_cast<size_t>(k)];
      }
      len = std::sqrt(len);
      for (float& x : m) x /= len;
      pts.push_back(m);
      const uint32_t i = static_cast<uint32_t>(pts.size() - 1);
      mid.emplace(key, i);
      return i;
    };
    std::vector<std::array<uint32_t, 3>> next;
    for (const auto& t : tris) {
      const uint32_t a = Mid(t[0], t[1]), b = Mid(t[1], t[2]), c = Mid(t[2], t[0]);
      next.push_back({t[0], a, c});
      next.push_back({a, t[1], b});
      next.push_back({c, b, t[2]});
      next.push_back({a, b, c});
    }
    tris = std::move(next);
  }
  MeshBuilder b{{}, material};
  for (size_t i = 0; i < pts.size(); ++i) {
    const float k = radius * (0.8f + 0.4f * static_cast<float>(Hash(seed * 977u + static_cast<uint32_t>(i)) % 1000) / 1000.0f);
    const float flat = pts[i][2] < 0 ? 0.4f : 1.0f;  // a flatter underside
    b.Vertex(pts[i][0] * k, pts[i][1] * k, pts[i][2] * k * flat, pts[i][0] * 0.5f + 0.5f,
             pts[i][1] * 0.5f + 0.5f);
  }
  for (const auto& t : tris) b.Tri(t[0], t[1], t[2]);
  return b.mesh;
}

}  // namespace

vnFEATURE_CLASS vnMODELS_FeatureBox(const std::string& className, float hx, float hy, float hz,
                                    int32_t material) {
  MeshBuilder b{{}, material};
  AddBox(b, -hx, -hy, -hz, hx, hy, hz);
  return MakeClass(className, {b.mesh});
}

vnFEATURE_CLASS vnMODELS_FeatureRock(const std::string& className, float radius, uint32_t seed,
                                     int32_t material) {
  return MakeClass(className, {Lump(radius, seed, 2, material), Lump(radius, seed, 1, material)});
}

vnFEATURE_CLASS vnMODELS_FeatureBarrel(const std::string& className, float radius, float height,
                                       uint32_t sides, int32_t material) {
  MeshBuilder b{{}, material};
  std::vector<uint32_t> bottom, top;
  for (uint32_t i = 0; i <= sides; ++i) {
    const float a = 2 * SPW_PI * static_cast<float>(i % sides) / static_cast<float>(sides);
    const float u = static_cast<float>(i) / static_cast<float>(sides);
    bottom.push_back(b.Vertex(radius * std::cos(a), radius * std::sin(a), 0, u, 0));
    top.push_back(b.Vertex(radius * std::cos(a), radius * std::sin(a), height, u, 1));
  }
  for (uint32_t i = 0; i < sides; ++i) b.Quad(bottom[i], bottom[i + 1], top[i + 1], top[i]);
  const uint32_t cb = b.Vertex(0, 0, 0, 0.5f, 0.5f), ct = b.Vertex(0, 0, height, 0.5f, 0.5f);
  for (uint32_t i = 0; i < sides; ++i) {
    b.Tri(cb, bottom[i + 1], bottom[i]);
    b.Tri(ct, top[i], top[i + 1]);
  }
  return MakeClass(className, {b.mesh});
}

vnFEATURE_CLASS vnMODELS_FeatureBridge(const std::string& className, float length, float width,
                                       float height, int32_t material) {
  MeshBuilder b{{}, material};
  const float hl = length / 2, hw = width / 2, deck = width * 0.1f, rail = width * 0.08f;
  AddBox(b, -hl, -hw, height - deck, hl, hw, height);
  AddBox(b, -hl, -hw, height, hl, -hw + rail, height + width * 0.3f);
  AddBox(b, -hl, hw - rail, height, hl, hw, height + width * 0.3f);
  // Two piers under the deck.
  AddBox(b, -hl * 0.6f - rail, -hw, 0, -hl * 0.6f + rail, hw, height - deck);
  AddBox(b, hl * 0.6f - rail, -hw, 0, hl * 0.6f + rail, hw, height - deck);
  return MakeClass(className, {b.mesh});
}

vnFEATURE_CLASS vnMODELS_FeatureSky(float radius, int32_t material) {
  MeshBuilder b{{}, material};
  constexpr uint32_t kRings = 4, kSegments = 12;
  std::vector<std::vector<uint32_t>> ring;
  for (uint32_t r = 0; r <= kRings; ++r) {
    const float elev = (SPW_PI / 2) * static_cast<float>(r) / static_cast<float>(kRings);
    std::vector<uint32_t> row;
    for (uint32_t s = 0; s <= kSegments; ++s) {
      const float a = 2 * SPW_PI * static_cast<float>(s % kSegments) / static_cast<float>(kSegments);
      row.push_back(b.Vertex(radius * std::cos(elev) * std::cos(a),
                             radius * std::cos(elev) * std::sin(a), radius * std::sin(elev),
                             static_cast<float>(s) / kSegments, static_cast<float>(r) / kRings));
    }
    ring.push_back(row);
  }
  // Wound clockwise from outside, so that the faces look in.
  for (uint32_t r = 0; r < kRings; ++r)
    for (uint32_t s = 0; s < kSegments; ++s)
      b.Quad(ring[r][s], ring[r + 1][s], ring[r + 1][s + 1], ring[r][s + 1]);
  return MakeClass("Sky", {b.mesh});
}

vnFEATURE_CLASS vnMODELS_FeatureGrid(const std::string& className, uint32_t n, float size,
                                     int32_t material) {
  MeshBuilder b{{}, material};
  const float step = size / static_cast<float>(n), h = size / 2;
  for (uint32_t y = 0; y <= n; ++y)
    for (uint32_t x = 0; x <= n; ++x)
      b.Vertex(-h + step * static_cast<float>(x), -h + step * static_cast<float>(y), 0,
               static_cast<float>(x) / static_cast<float>(n), static_cast<float>(y) / static_cast<float>(n));
  for (uint32_t y = 0; y < n; ++y)
    for (uint32_t x = 0; x < n; ++x) {
      const uint32_t a = y * (n + 1) + x;
      b.Quad(a, a + 1, a + n + 2, a + n + 1);
    }
  return MakeClass(className, {b.mesh});
}

std::vector<std::vector<uint32_t>> vnMODELS_FeatureColours(const vnFEATURE_CLASS& cls,
                                                           uint32_t colour) {
  std::vector<std::vector<uint32_t>> out;
  for (const vnFEATURE_MESH& m : cls.meshes) out.emplace_back(m.vertices.size(), colour);
  return out;
}
