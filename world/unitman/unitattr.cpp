// A unit's copy of its type's attribute values: raw words read as ints or floats.
#include <bit>

#include "world/unitman/unitman.h"

float vnUNIT_AttrFloat(const VNUNIT* unit, int32_t value) {
  return std::bit_cast<float>(unit->adwAttr[value]);
}

void vnUNIT_SetAttrInt(VNUNIT* unit, int32_t value, int32_t v) {
  unit->adwAttr[value] = static_cast<uint32_t>(v);
}

void vnUNIT_SetAttrFloat(VNUNIT* unit, int32_t value, float v) {
  unit->adwAttr[value] = std::bit_cast<uint32_t>(v);
}
