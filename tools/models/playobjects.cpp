// Models of the feature objects in play.
#include "tools/models/playobjects.h"

#include "tools/models/models.h"

namespace {

constexpr uint32_t kLocator = 2;
constexpr uint32_t kDoorTicks = 2400;
constexpr uint32_t kTargetTicks = 1600;
constexpr uint32_t kExplosionTicks = 3200;

vnMODEL_MATERIAL Material(const std::string& name) {
  vnMODEL_MATERIAL m;
  m.name = name;
  m.textures.push_back({1, "sprites/editor/ball.ppm"});
  return m;
}

vnMODEL_NODE Node(int32_t id, const std::string& name, int32_t parent, float x, float y, float z) {
  vnMODEL_NODE n;
  n.id = id;
  n.name = name;
  n.parentId = parent;
  n.transform[0] = x;
  n.transform[1] = y;
  n.transform[2] = z;
  return n;
}

vnMODEL_NODE Locator(int32_t id, const std::string& name, int32_t parent, float x, float y,
                     float z) {
  vnMODEL_NODE n = Node(id, name, parent, x, y, z);
  n.kind = kLocator;
  return n;
}

vnMODEL Boxed(const std::string& name, uint32_t id, float radius, const float c[3],
              const float h[3]) {
  vnMODEL m;
  m.name = name;
  m.id = id;
  m.radius = radius;
  m.materials.push_back(Material(name));
  vnMODEL_NODE body = Node(0, "Body", -1, 0, 0, 0);
  vnMODELS_AddBox(body, c, h, 0);
  m.lods.push_back({{body}});
  return m;
}

vnMODEL_KEY Key(float x, float y, float z, float qx, float qw, uint32_t time) {
  vnMODEL_KEY k;
  k.pos[0] = x;
  k.pos[1] = y;
  k.pos[2] = z;
  k.rot[0] = qx;
  k.rot[3] = qw;
  k.time = time;
  return k;
}

// An animation of node 0 between two keys.
vnMODEL_ANIM Anim(const std::string& name, uint32_t ticks, const vnMODEL_KEY& from,
                  const vnMODEL_KEY& to) {
  vnMODEL_ANIM a;
  a.name = name;
  a.length = ticks;
  a.channels.push_back({0, {from, to}});
  return a;
}

// A boxed body with child nodes under it.
vnMODEL WithChildren(vnMODEL m, const std::vector<vnMODEL_NODE>& children) {
  std::vector<vnMODEL_NODE>& nodes = m.lods[0].nodes;
  nodes[0].childCount = static_cast<uint32_t>(children.size());
  nodes.insert(nodes.end(), children.begin(), children.end());
  return m;
}

}  // namespace

vnMODEL vnMODELS_Door(const std::string& name, uint32_t ticks) {
  const float c[3] = {0, 0, 150}, h[3] = {150, 20, 150};
  vnMODEL m = Boxed(name, 130, 220, c, h);
  m.anims.push_back(Anim("open", ticks, Key(0, 0, 0, 0, 1, 0), Key(0, 0, 300, 0, 1, ticks)));
  m.anims.push_back(Anim("close", ticks, Key(0, 0, 300, 0, 1, 0), Key(0, 0, 0, 0, 1, ticks)));
  return m;
}

vnMODEL vnMODELS_OneShot(const std::string& name, const std::string& anim, uint32_t ticks) {
  const float c[3] = {0, 0, 100}, h[3] = {100, 100, 100};
  vnMODEL m = Boxed(name, 131, 180, c, h);
  m.anims.push_back(Anim(anim, ticks, Key(0, 0, 0, 0, 1, 0), Key(0, 0, -200, 0, 1, ticks)));
  return m;
}

vnMODEL vnMODELS_Transport() {
  const float c[3] = {0, 0, 120}, h[3] = {150, 400, 120};
  vnMODEL m = Boxed("ZrTransport", 132, 450, c, h);
  const uint32_t t = VNMODELS_TRANSPORT_TICKS;
  // A gentle bob while it drives, a lean to each side in the turns.
  m.anims.push_back(Anim("go", t, Key(0, 0, 0, 0, 1, 0), Key(0, 0, 5, 0, 1, t)));
  m.anims.push_back(Anim("turnLeft", t, Key(0, 0, 0, 0, 1, 0), Key(0, 0, 0, 0.05f, 0.99875f, t)));
  m.anims.push_back(Anim("turnRight", t, Key(0, 0, 0, 0, 1, 0), Key(0, 0, 0, -0.05f, 0.99875f, t)));
  return m;
}

vnMODEL vnMODELS_PopTarget(const std::string& name, uint32_t ticks) {
  const float c[3] = {0, 0, 60}, h[3] = {40, 4, 60};
  vnMODEL m = Boxed(name, 133, 80, c, h);
  // Laid flat is a quarter turn about x.
  m.anims.push_back(Anim("up", ticks, Key(0, 0, 0, 0.70710678f, 0.70710678f, 0), Key(0, 0, 0, 0, 1, ticks)));
  m.anims.push_back(Anim("down", ticks, Key(0, 0, 0, 0, 1, 0), Key(0, 0, 0, 0.70710678f, 0.70710678f, ticks)));
  return m;
}

vnMODEL vnMODELS_Twin50() {
  const float bc[3] = {0, 0, 40}, bh[3] = {50, 50, 40};
  vnMODEL_NODE swivel = Node(1, "swivel", 0, 0, 0, 80);
  swivel.childCount = 1;
  const float sc[3] = {0, 60, 0}, sh[3] = {20, 80, 10};
  vnMODELS_AddBox(swivel, sc, sh, 0);
  return WithChildren(Boxed("Twin50", 134, 150, bc, bh),
                      {swivel, Locator(2, "g", 1, 0, 140, 0), Locator(3, "hold", 0, 0, -60, 84)});
}

vnMODEL vnMODELS_Twin80Canopy() {
  const float c[3] = {0, 0, 20}, h[3] = {30, 30, 20};
  return WithChildren(Boxed("twin80canopy", 135, 60, c, h),
                      {Locator(1, "PL", 0, -25, 0, 30), Locator(2, "PR", 0, 25, 0, 30),
                       Locator(3, "gL", 0, -25, 140, 30), Locator(4, "gR", 0, 25, 140, 30)});
}

vnMODEL vnMODELS_Twin80Gun(const std::string& name) {
  const float c[3] = {0, 50, 0}, h[3] = {10, 60, 10};
  return WithChildren(Boxed(name, 136, 120, c, h), {Locator(1, "ga", 0, 0, 110, 0)});
}

vnMODEL vnMODELS_ShockwaveRing() {
  const float c[3] = {0, 0, 0}, h[3] = {100, 100, 2};
  return Boxed("shockwave", 137, 100, c, h);
}

std::vector<std::pair<std::string, vnMODEL>> vnMODELS_PlayObjects() {
  std::vector<std::pair<std::string, vnMODEL>> out;
  for (const char* door : {"PodDoor_A.pow", "PodDoor_B.pow", "FortDoor_A.pow", "BaseDoor.POW",
                           "GateUndamaged.POW", "c2m3powrstatndoor.pow", "c2m3_baseDoor.pow"}) {
    const std::string file = door;
    out.emplace_back(file, vnMODELS_Door(file.substr(0, file.find('.')), kDoorTicks));
  }
  out.emplace_back("bugholeexplode2.pow",
                   vnMODELS_OneShot("bugholeexplode2", "bugholeexplode", kExplosionTicks));
  out.emplace_back("ZrTransport.pow", vnMODELS_Transport());
  out.emplace_back("TMar1Explode.pow", vnMODELS_OneShot("TMar1Explode", "explode", kExplosionTicks));
  for (const char* colour : {"blue", "green", "red"}) {
    const std::string name = std::string("zrtarg") + colour;
    out.emplace_back(name + ".pow", vnMODELS_PopTarget(name, kTargetTicks));
    out.emplace_back(name + "damaged.pow", vnMODELS_PopTarget(name + "damaged", kTargetTicks));
  }
  out.emplace_back("Twin50.pow", vnMODELS_Twin50());
  out.emplace_back("twin80canopy.pow", vnMODELS_Twin80Canopy());
  out.emplace_back("twin80leftgun.pow", vnMODELS_Twin80Gun("twin80leftgun"));
  out.emplace_back("twin80rightgun.pow", vnMODELS_Twin80Gun("twin80rightgun"));
  out.emplace_back("shockwave.pow", vnMODELS_ShockwaveRing());
  return out;
}
