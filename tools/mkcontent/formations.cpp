// Formations are drawn with the leader in slot 0 heading along +Y: the others stand beside it
// (x) or behind it (-y), everyone facing the heading.
#include "tools/mkcontent/formations.h"

#include "tools/writers/formation_writer.h"

namespace {

constexpr int kSlots = 12;
constexpr float kSpacing = 3.0f;  // metres between neighbours, a soldier's reach apart

VNWRITE_FORMATION_SLOT Slot(float x, float y) {
  VNWRITE_FORMATION_SLOT s;
  s.facing = {0.0f, 1.0f, 0.0f};
  s.offset = {x, y, 0.0f};
  return s;
}

// Side by side, alternating right and left of the leader.
VNWRITE_FORMATION Line() {
  VNWRITE_FORMATION f{"Line", {Slot(0.0f, 0.0f)}};
  for (int i = 1; i < kSlots; ++i) {
    const float side = i % 2 ? 1.0f : -1.0f;
    f.slots.push_back(Slot(side * kSpacing * static_cast<float>((i + 1) / 2), 0.0f));
  }
  return f;
}

// One behind the other.
VNWRITE_FORMATION Column() {
  VNWRITE_FORMATION f{"Column", {}};
  for (int i = 0; i < kSlots; ++i) f.slots.push_back(Slot(0.0f, -kSpacing * static_cast<float>(i)));
  return f;
}

// The leader at the point, pairs fanning out behind it.
VNWRITE_FORMATION Wedge() {
  VNWRITE_FORMATION f{"Wedge", {Slot(0.0f, 0.0f)}};
  for (int i = 1; i < kSlots; ++i) {
    const float rank = static_cast<float>((i + 1) / 2);
    const float side = i % 2 ? 1.0f : -1.0f;
    f.slots.push_back(Slot(side * kSpacing * rank, -kSpacing * rank));
  }
  return f;
}

}  // namespace

bool vnMKCONTENT_Formations(const std::string& root) {
  return vnWRITE_Formations(root, {Line(), Column(), Wedge()});
}
