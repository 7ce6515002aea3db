// Models of placed objects: the ammunition crate and a collapsing block.
#include "tools/models/props.h"

#include <cmath>

#include "engine/math/vecmath.h"
#include "tools/models/models.h"

namespace {

constexpr float kLidOpenDegrees = 100.0f;

vnMODEL_MATERIAL Material(const std::string& name) {
  vnMODEL_MATERIAL m;
  m.name = name;
  m.textures.push_back({1, "sprites/editor/ball.ppm"});
  return m;
}

vnMODEL_KEY Key(const float pos[3], float degreesAboutX, uint32_t time) {
  vnMODEL_KEY k;
  const float half = degreesAboutX * SPW_PI / 360.0f;
  for (int i = 0; i < 3; ++i) k.pos[i] = pos[i];
  k.rot[0] = std::sin(half);
  k.rot[3] = std::cos(half);
  k.time = time;
  return k;
}

vnMODEL_ANIM Swing(const char* name, int32_t node, const float pos[3], float from, float to) {
  vnMODEL_ANIM anim;
  anim.name = name;
  anim.length = VNMODELS_LID_TICKS;
  vnMODEL_CHANNEL ch;
  ch.nodeId = node;
  ch.keys = {Key(pos, from, 0), Key(pos, to, VNMODELS_LID_TICKS)};
  anim.channels.push_back(ch);
  return anim;
}

}  // namespace

vnMODEL vnMODELS_AmmoDrop() {
  vnMODEL m;
  m.name = "ammo_drop";
  m.id = 120;
  m.radius = 90;
  m.centre[2] = 40;
  m.materials.push_back(Material("Crate"));
  vnMODEL_NODE crate;
  crate.id = 0;
  crate.name = "Crate";
  crate.childCount = 1;
  const float body[3] = {0, 0, 40}, bodyHalf[3] = {60, 40, 40};
  vnMODELS_AddBox(crate, body, bodyHalf, 0);
  // The lid's node sits on the hinge, at the top of the back edge.
  vnMODEL_NODE lid;
  lid.id = 1;
  lid.name = "Lid";
  lid.parentId = 0;
  lid.transform[1] = -40;
  lid.transform[2] = 80;
  const float top[3] = {0, 40, 3}, topHalf[3] = {62, 42, 3};
  vnMODELS_AddBox(lid, top, topHalf, 0);
  m.lods.push_back({{crate, lid}});
  m.anims.push_back(Swing("open", lid.id, lid.transform, 0, kLidOpenDegrees));
  m.anims.push_back(Swing("close", lid.id, lid.transform, kLidOpenDegrees, 0));
  return m;
}

vnMODEL vnMODELS_Collapse(const std::string& name, uint32_t ticks) {
  vnMODEL m;
  m.name = name;
  m.id = 121;
  m.radius = 120;
  m.materials.push_back(Material("Rubble"));
  vnMODEL_NODE block;
  block.id = 0;
  block.name = "Block";
  const float c[3] = {0, 0, 50}, h[3] = {100, 100, 50};
  vnMODELS_AddBox(block, c, h, 0);
  m.lods.push_back({{block}});
  vnMODEL_ANIM collapse;
  collapse.name = "collapse";
  collapse.length = ticks;
  vnMODEL_CHANNEL ch;
  ch.nodeId = 0;
  const float up[3] = {0, 0, 0}, down[3] = {0, 0, -100};
  ch.keys = {Key(up, 0, 0), Key(down, 0, ticks)};
  collapse.channels.push_back(ch);
  m.anims.push_back(collapse);
  return m;
}
