// Shield spheres and the fly-by aircraft.
#include "tools/models/shields.h"

#include <algorithm>
#include <cmath>

#include "engine/math/vecmath.h"

namespace {

constexpr uint32_t kLocator = 2;

vnMODEL_NODE Root(const std::string& name) {
  vnMODEL_NODE node;
  node.name = name;
  return node;
}

uint32_t AddVertex(vnMODEL_NODE& node, float x, float y, float z, float u = 0, float v = 0) {
  vnMODEL_VERTEX vx;
  vx.pos[0] = x, vx.pos[1] = y, vx.pos[2] = z;
  vx.u = u, vx.v = v;
  node.vertices.push_back(vx);
  return static_cast<uint32_t>(node.vertices.size() - 1);
}

void AddTriangle(vnMODEL_NODE& node, uint32_t a, uint32_t b, uint32_t c) {
  vnMODEL_FACE f;
  f.index[0] = a, f.index[1] = b, f.index[2] = c;
  node.faces.push_back(f);
}

// A flat wedge (nose at -y) lifted `z` above the origin: two triangles, both sides of a plate.
void AddWedge(vnMODEL_NODE& node, float halfSpan, float length, float z) {
  const uint32_t nose = AddVertex(node, 0, -length / 2, z, 0.5f, 0);
  const uint32_t left = AddVertex(node, -halfSpan, length / 2, z, 0, 1);
  const uint32_t right = AddVertex(node, halfSpan, length / 2, z, 1, 1);
  AddTriangle(node, nose, left, right);
  AddTriangle(node, nose, right, left);
}

// A keel under the wedge along y, standing `height` tall.
void AddKeel(vnMODEL_NODE& node, float length, float height) {
  const uint32_t front = AddVertex(node, 0, -length / 2, 0, 0, 0);
  const uint32_t back = AddVertex(node, 0, length / 2, 0, 1, 0);
  const uint32_t top = AddVertex(node, 0, length / 2, height, 1, 1);
  AddTriangle(node, front, back, top);
  AddTriangle(node, front, top, back);
}

vnMODEL_NODE Locator(int32_t id, const char* name, float x, float y, float z) {
  vnMODEL_NODE node;
  node.id = id;
  node.name = name;
  node.kind = kLocator;
  node.parentId = 0;
  node.transform[0] = x, node.transform[1] = y, node.transform[2] = z;
  return node;
}

// A plane of one wedge over a keel, nose at -y: span and length of the wedge, which sits `lift`
// above the keel's foot.
vnMODEL Plane(const std::string& name, uint32_t id, float halfSpan, float length, float lift,
              float keel) {
  vnMODEL m;
  m.name = name;
  m.id = id;
  m.radius = std::max(halfSpan, length / 2);
  m.materials.push_back({0, "Hull", {}, {{1, "sprites/editor/ball.ppm"}}});
  vnMODEL_NODE node = Root(name);
  AddWedge(node, halfSpan, length, lift);
  AddKeel(node, length, keel);
  m.lods.push_back({{node}});
  return m;
}

}  // namespace

vnMODEL vnMODELS_DomeSphere(const std::string& name, uint32_t segments, uint32_t rings,
                            float radius) {
  vnMODEL m;
  m.name = name;
  m.id = 130;
  m.radius = radius;
  m.materials.push_back({0, "Shield", {}, {{1, "sprites/effects/laserhits02.ppm"}}});
  vnMODEL_NODE node = Root(name);
  // Ring r of rings + 1 from the top pole (r = 0) to the bottom one, each with a closing seam.
  auto at = [&](uint32_t r, uint32_t s) { return r * (segments + 1) + s; };
  for (uint32_t r = 0; r <= rings; ++r)
    for (uint32_t s = 0; s <= segments; ++s) {
      const float theta = SPW_PI * static_cast<float>(r) / static_cast<float>(rings);
      const float phi = 2 * SPW_PI * static_cast<float>(s) / static_cast<float>(segments);
      AddVertex(node, radius * std::sin(theta) * std::cos(phi),
                radius * std::sin(theta) * std::sin(phi), radius * std::cos(theta),
                static_cast<float>(s) / static_cast<float>(segments),
                static_cast<float>(r) / static_cast<float>(rings));
    }
  for (uint32_t r = 0; r < rings; ++r)
    for (uint32_t s = 0; s < segments; ++s) {
      const uint32_t a = at(r, s), b = at(r, s + 1), c = at(r + 1, s), d = at(r + 1, s + 1);
      if (r > 0) AddTriangle(node, b, a, c);
      if (r + 1 < rings) AddTriangle(node, b, c, d);
    }
  m.lods.push_back({{node}});
  return m;
}

vnMODEL vnMODELS_ShieldSphere() { return vnMODELS_DomeSphere("sphere", 17, 4, 100); }

vnMODEL vnMODELS_Fighter() { return Plane("tacfighter", 131, 250, 600, 40, 120); }

vnMODEL vnMODELS_DS10() {
  vnMODEL m = Plane("DS10", 132, 500, 1600, 100, 300);
  std::vector<vnMODEL_NODE>& nodes = m.lods[0].nodes;
  nodes[0].childCount = 4;
  nodes.push_back(Locator(1, "thrustmain1", -300, 700, 100));
  nodes.push_back(Locator(2, "thrustmain2", 300, 700, 100));
  nodes.push_back(Locator(3, "thrustmain3", 300, 800, 100));
  nodes.push_back(Locator(4, "thrustmain4", -300, 800, 100));
  return m;
}
