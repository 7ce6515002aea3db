// The feature unit class's table: for each unit type it serves, the two feature classes it binds,
// its models, its flags and the lift of its locator.
#include <iterator>

#include "world/featunit/featunit.h"
#include "world/unittype/unittype.h"

namespace {

// Destroyed by a mission script, through a destruction model; weapons do nothing.
constexpr uint32_t kScripted = VNFEATUNIT_F_DESTRUCTION_MODEL;

constexpr VNFEATUNIT_TYPE kTypes[] = {
    {VN_UNIT_TYPE_PE_SNOW_MOUND, "Snow Mound", nullptr, nullptr, nullptr,
     VNFEATUNIT_F_DAMAGEABLE | VNFEATUNIT_F_STATUS_BAR, 4.0f},
    {VN_UNIT_TYPE_PE_BARREL, "Barrel", "Barrel_Destroyed", nullptr, nullptr,
     VNFEATUNIT_F_PLAIN | VNFEATUNIT_F_DAMAGEABLE, 0.0f},
    {VN_UNIT_TYPE_PE_EGG_CLUSTER, "Egg Fall", "Egg Fall Destroyed", nullptr,
     "Export/Pows/eggfallhitsc3m2-01.pow",
     VNFEATUNIT_F_DAMAGEABLE | VNFEATUNIT_F_STATUS_BAR | VNFEATUNIT_F_COMPONENT, 0.0f},
    {VN_UNIT_TYPE_PE_BUGHOLE, "Bug Hole", "BugHoleClosed", nullptr, nullptr,
     VNFEATUNIT_F_DAMAGEABLE | VNFEATUNIT_F_STATUS_BAR, 4.0f},
    {VN_UNIT_TYPE_PE_BRIDGE1_C2M1, "Bridge", "Bridge Damaged", "Export/Pows/MeltingBridge1.pow",
     nullptr, kScripted, 0.0f},
    {VN_UNIT_TYPE_PE_BRIDGE2_C2M1, "Bridge", "Bridge Damaged", "Export/Pows/MeltingBridge2.pow",
     nullptr, kScripted, 0.0f},
    {VN_UNIT_TYPE_PE_BRIDGE_C2M7, "Bridge", "Bridge Damaged", "Export/Pows/DESTROYEDBRIDGE.POW",
     nullptr, kScripted, 0.0f},
    {VN_UNIT_TYPE_PE_ROCKWALL_C1M7, "FORT WALL", "FORT WALL DESTROYED",
     "Export/Pows/collapsing_wall.pow", nullptr, kScripted, 0.0f},
    {VN_UNIT_TYPE_PE_HAND_C3M3, "Hand", "Hand Damaged", "Export/Pows/Hand.pow", nullptr, kScripted,
     0.0f},
    {VN_UNIT_TYPE_PE_GEOTHERMAL_GENERATOR, "GeoThermalGenerator", nullptr, nullptr,
     "Export/Pows/c2m6gtsfans.pow", VNFEATUNIT_F_COMPONENT, 0.0f},
};
static_assert(std::size(kTypes) == 10);

}  // namespace

const VNFEATUNIT_TYPE* vnFEATUNIT_GetType(int32_t type) {
  for (const VNFEATUNIT_TYPE& t : kTypes)
    if (t.nType == type) return &t;
  return nullptr;
}
