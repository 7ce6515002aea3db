// Generated soldier models.
#include "tools/models/soldiers.h"

#include <cmath>

#include "tools/models/models.h"

namespace {

constexpr uint32_t kLocator = 2;

struct NODEDEF {
  const char* name;
  int32_t parent;
  float x, y, z;
  bool locator;
};

// Depth-first, ids equal to positions.
constexpr NODEDEF kNodes[] = {
    {"Root", -1, 0, 0, 0, false},
    {"pelvis", 0, 0, 0, 95, false},
    {"neck+torso+shoulderR+shoulderL", 1, 0, 0, 10, false},
    {"head", 2, 0, 0, 60, false},
    {"e", 3, 0, -10, 15, true},
    {"bisepL", 2, -25, 0, 50, false},
    {"forearmL", 5, 0, 0, -28, false},
    {"handL", 6, 0, 0, -26, false},
    {"bisepR", 2, 25, 0, 50, false},
    {"forearmR", 8, 0, 0, -28, false},
    {"handR", 9, 0, 0, -26, false},
    {"g", 10, 0, -8, 0, true},
    {"h1", 10, 0, -4, -4, true},
    {"p", 2, 0, 12, 35, true},
    {"thighL", 1, -12, 0, 0, false},
    {"calfL", 14, 0, 0, -45, false},
    {"footL", 15, 0, 0, -45, false},
    {"thighR", 1, 12, 0, 0, false},
    {"calfR", 17, 0, 0, -45, false},
    {"footR", 18, 0, 0, -45, false},
};
static_assert(VNMODELS_SOLDIER_HAND_NODE == 12);

vnMODEL_MATERIAL Material(const std::string& name, const std::string& texture) {
  vnMODEL_MATERIAL m;
  m.name = name;
  m.textures.push_back({1, texture});
  return m;
}

vnMODEL_KEY Key(const float pos[3], float angle, uint32_t time) {
  vnMODEL_KEY k;
  for (int i = 0; i < 3; ++i) k.pos[i] = pos[i];
  k.rot[0] = std::sin(angle / 2);
  k.rot[3] = std::cos(angle / 2);
  k.time = time;
  return k;
}

}  // namespace

vnMODEL vnMODELS_Soldier(const std::string& name, const std::vector<std::string>& anims,
                         uint32_t ticks) {
  vnMODEL m;
  m.name = name;
  m.id = 140;
  m.indexWord = 1;
  m.radius = 110;
  m.centre[2] = 90;
  m.materials.push_back(Material("Fatigues", "sprites/effects/fx_01.ppm"));
  vnMODEL_LOD lod;
  for (int32_t id = 0; id < static_cast<int32_t>(std::size(kNodes)); ++id) {
    const NODEDEF& d = kNodes[id];
    vnMODEL_NODE node;
    node.id = id;
    node.name = d.name;
    node.parentId = d.parent;
    node.kind = d.locator ? kLocator : 0;
    node.transform[0] = d.x;
    node.transform[1] = d.y;
    node.transform[2] = d.z;
    if (!d.locator && id > 0) {
      const float c[3] = {0, 0, -10}, h[3] = {6, 6, 10};
      vnMODELS_AddBox(node, c, h, 0);
    }
    lod.nodes.push_back(node);
  }
  for (vnMODEL_NODE& node : lod.nodes)
    for (const vnMODEL_NODE& other : lod.nodes) node.childCount += other.parentId == node.id;
  m.lods.push_back(lod);
  const float* pelvis = m.lods[0].nodes[1].transform;
  float angle = 0.02f;
  for (const std::string& animName : anims) {
    vnMODEL_ANIM anim;
    anim.name = animName;
    anim.length = ticks;
    vnMODEL_CHANNEL ch;
    ch.nodeId = 1;
    ch.keys.push_back(Key(pelvis, 0.0f, 0));
    ch.keys.push_back(Key(pelvis, angle, ticks));
    anim.channels.push_back(ch);
    m.anims.push_back(anim);
    angle += 0.001f;  // every animation a pose of its own
  }
  return m;
}

vnMODEL vnMODELS_Gun(const std::string& name) {
  vnMODEL m;
  m.name = name;
  m.id = 141;
  m.radius = 40;
  m.materials.push_back(Material("Metal", "sprites/editor/ball.ppm"));
  vnMODEL_LOD lod;
  vnMODEL_NODE root;
  root.name = "Root";
  root.childCount = 1;
  const float c[3] = {0, -20, 0}, h[3] = {3, 20, 4};
  vnMODELS_AddBox(root, c, h, 0);
  vnMODEL_NODE muzzle;
  muzzle.id = 1;
  muzzle.name = "g";
  muzzle.parentId = 0;
  muzzle.kind = kLocator;
  muzzle.transform[1] = -40;
  lod.nodes = {root, muzzle};
  m.lods.push_back(lod);
  return m;
}
