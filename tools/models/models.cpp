// The model library: a walking figure, a cube and a sphere.
#include "tools/models/models.h"

#include <cmath>
#include <cstring>
#include <string>

#include "engine/math/vecmath.h"

namespace {

constexpr uint32_t kStride = 4800;  // one second of ticks
constexpr uint32_t kLocator = 2;

vnMODEL_MATERIAL Material(const std::string& name, const std::string& texture) {
  vnMODEL_MATERIAL m;
  m.name = name;
  m.textures.push_back({1, texture});
  return m;
}

// A face's unit normal as its first three values (float bits): the renderer lights faces and
// culls back faces by it. The fourth value, the face flags, stays 0 (one-sided).
void SetFaceNormal(vnMODEL_FACE& f, const float n[3]) {
  const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int i = 0; i < 3; ++i) {
    const float unit = length > 0 ? n[i] / length : 0.0f;
    std::memcpy(&f.values[i], &unit, sizeof unit);
  }
}

// A box with outward normals, centred on `c` with half sizes `h`: each side a quad of four
// vertices drawn as two triangles.
void AddBox(vnMODEL_NODE& node, const float c[3], const float h[3], uint32_t material) {
  static const int kAxes[6][3] = {{0, 1, 2}, {0, 1, 2}, {1, 2, 0}, {1, 2, 0}, {2, 0, 1}, {2, 0, 1}};
  node.vertsPerFace = 3;
  for (int side = 0; side < 6; ++side) {
    const int n = kAxes[side][2], a = kAxes[side][0], b = kAxes[side][1];
    const float sign = side % 2 ? -1.0f : 1.0f;
    const uint32_t first = static_cast<uint32_t>(node.vertices.size());
    static const float kCorner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& k : kCorner) {
      vnMODEL_VERTEX v;
      v.pos[n] = c[n] + sign * h[n];
      v.pos[a] = c[a] + k[0] * h[a];
      v.pos[b] = c[b] + k[1] * h[b];
      v.normal[0] = v.normal[1] = v.normal[2] = 0;
      v.normal[n] = sign;
      v.u = (k[0] + 1) * 0.5f;
      v.v = (k[1] + 1) * 0.5f;
      node.vertices.push_back(v);
    }
    float normal[3] = {0, 0, 0};
    normal[n] = sign;
    uint32_t quad[4];
    for (uint32_t i = 0; i < 4; ++i) quad[i] = first + (sign > 0 ? i : 3 - i);
    for (uint32_t t = 0; t < 2; ++t) {
      vnMODEL_FACE f;
      f.material = material;
      f.index[0] = quad[0];
      f.index[1] = quad[1 + t];
      f.index[2] = quad[2 + t];
      SetFaceNormal(f, normal);
      node.faces.push_back(f);
    }
  }
}

vnMODEL_NODE Node(int32_t id, const char* name, int32_t parent, float x, float y, float z) {
  vnMODEL_NODE node;
  node.id = id;
  node.name = name;
  node.parentId = parent;
  node.transform[0] = x;
  node.transform[1] = y;
  node.transform[2] = z;
  return node;
}

// A swing about the x axis: keys at the quarter strides, angles in degrees.
vnMODEL_CHANNEL Swing(int32_t nodeId, float amplitude, float phase, const float pos[3]) {
  vnMODEL_CHANNEL ch;
  ch.nodeId = nodeId;
  for (uint32_t q = 0; q <= 4; ++q) {
    vnMODEL_KEY k;
    float angle = amplitude * std::sin(2 * SPW_PI * (static_cast<float>(q) / 4 + phase)) * SPW_PI / 180;
    k.rot[0] = std::sin(angle / 2);
    k.rot[3] = std::cos(angle / 2);
    for (int i = 0; i < 3; ++i) k.pos[i] = pos[i];
    k.time = q * kStride / 4;
    ch.keys.push_back(k);
  }
  return ch;
}

}  // namespace

vnMODEL vnMODELS_Figure() {
  vnMODEL m;
  m.name = "Figure";
  m.id = 100;
  m.indexWord = 1;
  m.radius = 100;
  m.centre[1] = 90;
  m.materials.push_back(Material("Suit", "sprites/effects/fx_01.ppm"));
  m.materials.push_back(Material("Visor", "sprites/editor/ball.ppm"));
  vnMODEL_LOD lod;
  // Depth-first, ids equal to positions.
  lod.nodes.push_back(Node(0, "Root", -1, 0, 0, 0));
  lod.nodes.push_back(Node(1, "Pelvis", 0, 0, 90, 0));
  lod.nodes.push_back(Node(2, "Torso", 1, 0, 10, 0));
  lod.nodes.push_back(Node(3, "Head", 2, 0, 60, 0));
  lod.nodes.push_back(Node(4, "HeadTop", 3, 0, 25, 0));
  lod.nodes.push_back(Node(5, "ArmL", 2, -30, 50, 0));
  lod.nodes.push_back(Node(6, "ArmR", 2, 30, 50, 0));
  lod.nodes.push_back(Node(7, "HandR", 6, 0, -55, 5));
  lod.nodes.push_back(Node(8, "LegL", 1, -12, 0, 0));
  lod.nodes.push_back(Node(9, "LegR", 1, 12, 0, 0));
  lod.nodes[4].kind = kLocator;
  lod.nodes[7].kind = kLocator;
  const struct {
    int node;
    float c[3], h[3];
    uint32_t material;
  } kParts[] = {{1, {0, 0, 0}, {18, 8, 10}, 0},   {2, {0, 30, 0}, {20, 28, 12}, 0},
                {3, {0, 12, 0}, {10, 12, 10}, 1}, {5, {0, -25, 0}, {6, 25, 6}, 0},
                {6, {0, -25, 0}, {6, 25, 6}, 0},  {8, {0, -45, 0}, {7, 45, 7}, 0},
                {9, {0, -45, 0}, {7, 45, 7}, 0}};
  for (const auto& p : kParts) AddBox(lod.nodes[static_cast<size_t>(p.node)], p.c, p.h, p.material);
  for (vnMODEL_NODE& node : lod.nodes)
    for (const vnMODEL_NODE& other : lod.nodes) node.childCount += other.parentId == node.id;
  m.lods.push_back(lod);

  vnMODEL_ANIM walk;
  walk.name = "Walk";
  walk.length = kStride;
  for (const vnMODEL_NODE& node : m.lods[0].nodes) {
    const float* at = node.transform;
    if (node.name == "LegL") walk.channels.push_back(Swing(node.id, 30, 0, at));
    if (node.name == "LegR") walk.channels.push_back(Swing(node.id, 30, 0.5f, at));
    if (node.name == "ArmL") walk.channels.push_back(Swing(node.id, 20, 0.5f, at));
    if (node.name == "ArmR") walk.channels.push_back(Swing(node.id, 20, 0, at));
    if (node.name == "Pelvis") walk.channels.push_back(Swing(node.id, 3, 0.25f, at));
  }
  m.anims.push_back(walk);
  vnMODEL_ANIM idle;
  idle.name = "Idle";
  idle.length = kStride;
  for (const vnMODEL_NODE& node : m.lods[0].nodes) {
    if (node.id == 0 || node.kind == kLocator) continue;
    vnMODEL_CHANNEL ch;
    ch.nodeId = node.id;
    vnMODEL_KEY k;
    for (int i = 0; i < 3; ++i) k.pos[i] = node.transform[i];
    ch.keys.push_back(k);
    idle.channels.push_back(ch);
  }
  m.anims.push_back(idle);
  return m;
}

std::vector<uint32_t> vnMODELS_FigureFootfalls() { return {kStride / 4, 3 * kStride / 4}; }

vnMODEL vnMODELS_Cube() {
  vnMODEL m;
  m.name = "Cube";
  m.id = 101;
  m.radius = 87;
  m.materials.push_back(Material("Crate", "sprites/editor/ball.ppm"));
  vnMODEL_NODE node = Node(0, "Cube", -1, 0, 0, 0);
  const float c[3] = {0, 0, 0}, h[3] = {50, 50, 50};
  AddBox(node, c, h, 0);
  m.lods.push_back({{node}});
  return m;
}

vnMODEL vnMODELS_Sphere() {
  vnMODEL m;
  m.name = "Sphere";
  m.id = 102;
  m.radius = 50;
  m.materials.push_back(Material("Ball", "sprites/editor/ball.ppm"));
  for (int detail : {12, 6}) {
    vnMODEL_NODE node = Node(0, "Sphere", -1, 0, 0, 0);
    const int rings = detail, segments = 2 * detail;
    for (int r = 0; r <= rings; ++r)
      for (int s = 0; s <= segments; ++s) {
        float theta = SPW_PI * static_cast<float>(r) / static_cast<float>(rings);
        float phi = 2 * SPW_PI * static_cast<float>(s) / static_cast<float>(segments);
        vnMODEL_VERTEX v;
        v.normal[0] = std::sin(theta) * std::cos(phi);
        v.normal[1] = std::cos(theta);
        v.normal[2] = std::sin(theta) * std::sin(phi);
        for (int i = 0; i < 3; ++i) v.pos[i] = 50 * v.normal[i];
        v.u = static_cast<float>(s) / static_cast<float>(segments);
        v.v = static_cast<float>(r) / static_cast<float>(rings);
        node.vertices.push_back(v);
      }
    for (int r = 0; r < rings; ++r)
      for (int s = 0; s < segments; ++s) {
        const uint32_t a = static_cast<uint32_t>(r * (segments + 1) + s);
        const uint32_t b = a + static_cast<uint32_t>(segments + 1);
        vnMODEL_FACE f1, f2;
        f1.index[0] = a, f1.index[1] = b, f1.index[2] = a + 1;
        f2.index[0] = a + 1, f2.index[1] = b, f2.index[2] = b + 1;
        // Outward: toward the middle of the face from the sphere's centre.
        for (vnMODEL_FACE* f : {&f1, &f2}) {
          float mid[3] = {0, 0, 0};
          for (int k = 0; k < 3; ++k)
            for (int i = 0; i < 3; ++i) mid[i] += node.vertices[f->index[k]].pos[i];
          SetFaceNormal(*f, mid);
        }
        node.faces.push_back(f1);
        node.faces.push_back(f2);
      }
    m.lods.push_back({{node}});
  }
  return m;
}

std::vector<vnMODEL> vnMODELS_FormationMarkers() {
  struct Box {
    float c[3], h[3];
  };
  struct Marker {
    const char* name;
    std::vector<Box> boxes;
  };
  // In POW units, z up: plates 4 thick, marks on top.
  const Box plate = {{0, 0, 2}, {20, 20, 2}};
  const Box arrow = {{0, -28, 2}, {4, 8, 2}};
  const Marker kMarkers[] = {
      {"FormationGO", {plate, arrow}},
      {"FormationNO", {plate, {{0, 0, 20}, {3, 3, 16}}}},
      {"DNYFormationGO",
       {{{14, 14, 6}, {4, 4, 6}}, {{-14, 14, 6}, {4, 4, 6}}, {{14, -14, 6}, {4, 4, 6}},
        {{-14, -14, 6}, {4, 4, 6}}, arrow}},
      {"DNYFormationNO", {{{0, 0, 2}, {24, 4, 2}}, {{0, 0, 2}, {4, 24, 2}}}},
  };
  std::vector<vnMODEL> models;
  uint32_t id = 110;
  for (const Marker& marker : kMarkers) {
    vnMODEL m;
    m.name = marker.name;
    m.id = id++;
    m.radius = 40;
    m.materials.push_back(Material("Marker", "sprites/editor/ball.ppm"));
    vnMODEL_NODE node = Node(0, marker.name, -1, 0, 0, 0);
    for (const Box& b : marker.boxes) AddBox(node, b.c, b.h, 0);
    m.lods.push_back({{node}});
    models.push_back(m);
  }
  return models;
}

void vnMODELS_AddBox(vnMODEL_NODE& node, const float c[3], const float h[3], uint32_t material) {
  AddBox(node, c, h, material);
}
