// The unit type table and the queries over it.
#include "world/unittype/unittype.h"

#include <cstdio>

#include "engine/kernel/tasktypes.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "world/unittype/attributes.h"

namespace {

constexpr char kPowFolder[] = "Export/POWs";
constexpr char kVariantNames[VN_UNIT_TYPE_VARIANTS][3] = {"h1", "h2", "h3", "h4"};
// Room for any prefix and the level and side texts the callers pass.
constexpr size_t kPowNameSize = 260;

// Indexed by type; the order follows VN_UNIT_TYPE_INDEX.
constexpr VNUNIT_TYPE kTypes[VN_UNIT_TYPE_COUNT] = {
    {"VN_UNIT_TYPE_AMMO_ENERGY_CELL_0", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 0
    {"VN_UNIT_TYPE_AMMO_FUEL", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 1
    {"VN_UNIT_TYPE_AMMO_GRENADE_0", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 2
    {"VN_UNIT_TYPE_AMMO_MINE_0", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 3
    {"VN_UNIT_TYPE_AMMO_MISSILE_0", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 4
    {"VN_UNIT_TYPE_AMMO_NUKE_0", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 5
    {"VN_UNIT_TYPE_AMMO_SCATTER_SHOT_0", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 6
    {"VN_UNIT_TYPE_AMMO_STANDARD_BULLET", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 7
    {"VN_UNIT_TYPE_AMMO_PLASMA_PACK", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 8
    {"VN_UNIT_TYPE_AMMO_SHOTGUN_SHELL", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 9
    {"VN_UNIT_TYPE_AMMO_REVOLVER_BULLET", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 10
    {"VN_UNIT_TYPE_AMMO_SPECIAL", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 11
    {"VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 12
    {"VN_UNIT_TYPE_BUG_CORTEX", VNTT_BUG_CORTEX, "", 0x0, {-1, -1, -1, -1}},  // 13
    {"VN_UNIT_TYPE_BUG_GRAVEN", VNTT_BUG_CORTEX, "", 0x0, {-1, -1, -1, -1}},  // 14
    {"VN_UNIT_TYPE_BUG_CHAMELEON", VNTT_BUG_CHAMELEON, "", 0x0, {-1, -1, -1, -1}},  // 15
    {"VN_UNIT_TYPE_BUG_CHARIOT", VNTT_BUG_CHARIOT, "", 0x0, {-1, -1, -1, -1}},  // 16
    {"VN_UNIT_TYPE_BUG_BLISTERBOMBER", VNTT_BUG_BLISTERBOMBER, "", 0x0, {-1, -1, -1, -1}},  // 17
    {"VN_UNIT_TYPE_BUG_CONSORT", VNTT_BUG_CONSORT, "", 0x0, {-1, -1, -1, -1}},  // 18
    {"VN_UNIT_TYPE_BUG_HOPPER", VNTT_BUG_HOPPER, "", 0x0, {-1, -1, -1, -1}},  // 19
    {"VN_UNIT_TYPE_BUG_LARVAL", VNTT_BUG_LARVAL, "", 0x0, {-1, -1, -1, -1}},  // 20
    {"VN_UNIT_TYPE_BUG_PLASMA", VNTT_BUG_PLASMA, "", 0x0, {-1, -1, -1, -1}},  // 21
    {"VN_UNIT_TYPE_BUG_RHINO", VNTT_BUG_RHINO, "", 0x0, {-1, -1, -1, -1}},  // 22
    {"VN_UNIT_TYPE_BUG_ROYALWARRIOR", VNTT_BUG_ROYALWARRIOR, "", 0x0, {-1, -1, -1, -1}},  // 23
    {"VN_UNIT_TYPE_BUG_SPITBUG", VNTT_BUG_SPITBUG, "", 0x0, {-1, -1, -1, -1}},  // 24
    {"VN_UNIT_TYPE_BUG_TANKER", VNTT_BUG_TANKER, "", 0x0, {-1, -1, -1, -1}},  // 25
    {"VN_UNIT_TYPE_BUG_WARRIOR", VNTT_BUG_WARRIOR, "", 0x0, {-1, -1, -1, -1}},  // 26
    {"VN_UNIT_TYPE_BUG_WORKER", VNTT_BUG_WORKER, "", 0x0, {-1, -1, -1, -1}},  // 27
    {"VN_UNIT_TYPE_BUG_PSYCHO_WORKER", VNTT_BUG_WORKER, "", 0x0, {-1, -1, -1, -1}},  // 28
    {"VN_UNIT_TYPE_PE_AMMO_DUMP", VNTT_PE_AMMO_DUMP, "", 0x0, {-1, -1, -1, -1}},  // 29
    {"VN_UNIT_TYPE_PE_SNOW_MOUND", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 30
    {"VN_UNIT_TYPE_PE_BARREL", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 31
    {"VN_UNIT_TYPE_PE_BRIDGE", 0, "", 0x0, {-1, -1, -1, -1}},  // 32
    {"VN_UNIT_TYPE_PE_EGG_CLUSTER", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 33
    {"VN_UNIT_TYPE_PE_BUGHOLE", VNTT_BUGHOLE, "", 0x0, {-1, -1, -1, -1}},  // 34
    {"VN_UNIT_TYPE_PE_DOME", VNTT_DOME, "", 0x0, {-1, -1, -1, -1}},  // 35
    {"VN_UNIT_TYPE_PE_DROPCAPSULE", VNTT_DROPCAPSULE, "", 0x0, {-1, -1, -1, -1}},  // 36
    {"VN_UNIT_TYPE_PE_DROPSHIP", 0, "", 0x0, {-1, -1, -1, -1}},  // 37
    {"VN_UNIT_TYPE_PE_DROPSEQUENCE", 0, "", 0x0, {-1, -1, -1, -1}},  // 38
    {"VN_UNIT_TYPE_PE_DS10SHIP", VNTT_DS10SHIP, "", 0x0, {-1, -1, -1, -1}},  // 39
    {"VN_UNIT_TYPE_PE_CAPTURESHIP", VNTT_CAPTURESHIP, "", 0x0, {-1, -1, -1, -1}},  // 40
    {"VN_UNIT_TYPE_PE_MEDEVACBOAT", VNTT_MEDEVACBOAT, "", 0x0, {-1, -1, -1, -1}},  // 41
    {"VN_UNIT_TYPE_PE_POPTARGET_BLUE", VNTT_POPTARGET, "", 0x0, {-1, -1, -1, -1}},  // 42
    {"VN_UNIT_TYPE_PE_POPTARGET_GREEN", VNTT_POPTARGET, "", 0x0, {-1, -1, -1, -1}},  // 43
    {"VN_UNIT_TYPE_PE_POPTARGET_RED", VNTT_POPTARGET, "", 0x0, {-1, -1, -1, -1}},  // 44
    {"VN_UNIT_TYPE_PE_POWERGATE", VNTT_DROPCAPSULE, "", 0x0, {-1, -1, -1, -1}},  // 45
    {"VN_UNIT_TYPE_PE_GATE", 0, "", 0x0, {-1, -1, -1, -1}},  // 46
    {"VN_UNIT_TYPE_PE_GUNTOWER", 0, "", 0x0, {-1, -1, -1, -1}},  // 47
    {"VN_UNIT_TYPE_PE_LAVA", 0, "", 0x0, {-1, -1, -1, -1}},  // 48
    {"VN_UNIT_TYPE_PE_LIGHTENTITY", 0, "", 0x0, {-1, -1, -1, -1}},  // 49
    {"VN_UNIT_TYPE_PE_QUEENBUG", 0, "", 0x0, {-1, -1, -1, -1}},  // 50
    {"VN_UNIT_TYPE_PE_ROCK", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 51
    {"VN_UNIT_TYPE_PE_GIB_PLASMA", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 52
    {"VN_UNIT_TYPE_PE_GIB_TANKER", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 53
    {"VN_UNIT_TYPE_PE_STATIONARY_VEHICLE", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 54
    {"VN_UNIT_TYPE_PE_CONSTRUCTION_VEHICLE", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 55
    {"VN_UNIT_TYPE_PE_FARM_VEHICLE", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 56
    {"VN_UNIT_TYPE_PE_DRUM", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 57
    {"VN_UNIT_TYPE_PE_DRUM_GROUP", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 58
    {"VN_UNIT_TYPE_PE_FUNG", VNTT_PE_PROP, "", 0x0, {-1, -1, -1, -1}},  // 59
    {"VN_UNIT_TYPE_PE_SOLARCOLLECTOR", 0, "", 0x0, {-1, -1, -1, -1}},  // 60
    {"VN_UNIT_TYPE_PE_THREESTATUES", VNTT_PE_THREESTATUES, "", 0x0, {-1, -1, -1, -1}},  // 61
    {"VN_UNIT_TYPE_PE_SWITCH", 0, "", 0x0, {-1, -1, -1, -1}},  // 62
    {"VN_UNIT_TYPE_PE_TELEPORTER", VNTT_PE_TELEPORTER, "", 0x0, {-1, -1, -1, -1}},  // 63
    {"VN_UNIT_TYPE_PE_WATER", 0, "", 0x0, {-1, -1, -1, -1}},  // 64
    {"VN_UNIT_TYPE_PE_FORTWALL", VNTT_PE_FORTWALL, "", 0x0, {-1, -1, -1, -1}},  // 65
    {"VN_UNIT_TYPE_PE_BRIDGE1_C2M1", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 66
    {"VN_UNIT_TYPE_PE_BRIDGE2_C2M1", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 67
    {"VN_UNIT_TYPE_PE_BRIDGE_C2M7", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 68
    {"VN_UNIT_TYPE_PE_ROCKWALL_C1M7", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 69
    {"VN_UNIT_TYPE_PE_HAND_C3M3", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 70
    {"VN_UNIT_TYPE_PE_GEOTHERMAL_GENERATOR", VNTT_FEATURE_UNIT, "", 0x0, {-1, -1, -1, -1}},  // 71
    {"VN_UNIT_TYPE_PROJECTILE_BOMB_0", VNTT_PROJECTILE_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 72
    {"VN_UNIT_TYPE_PROJECTILE_BOMB_1", VNTT_PROJECTILE_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 73
    {"VN_UNIT_TYPE_PROJECTILE_BOMB_2", VNTT_PROJECTILE_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 74
    {"VN_UNIT_TYPE_PROJECTILE_BOMB_3", VNTT_PROJECTILE_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 75
    {"VN_UNIT_TYPE_PROJECTILE_BUGPLASMA", VNTT_PROJECTILE_BUGPLASMA, "", 0x0, {-1, -1, -1, -1}},  // 76
    {"VN_UNIT_TYPE_PROJECTILE_BUGSPARK", 0, "", 0x0, {-1, -1, -1, -1}},  // 77
    {"VN_UNIT_TYPE_PROJECTILE_BUGSPIT", VNTT_PROJECTILE_BUGSPIT, "", 0x0, {-1, -1, -1, -1}},  // 78
    {"VN_UNIT_TYPE_PROJECTILE_FLAME_MANAGER", VNTT_PROJECTILE_FLAME_MANAGER, "", 0x0, {-1, -1, -1, -1}},  // 79
    {"VN_UNIT_TYPE_PROJECTILE_GRENADE_0", VNTT_PROJECTILE_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 80
    {"VN_UNIT_TYPE_PROJECTILE_GRENADE_1", VNTT_PROJECTILE_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 81
    {"VN_UNIT_TYPE_PROJECTILE_MINE_0", VNTT_PROJECTILE_MINE, "", 0x0, {-1, -1, -1, -1}},  // 82
    {"VN_UNIT_TYPE_PROJECTILE_MISSILE_0", VNTT_PROJECTILE_MISSILE, "", 0x0, {-1, -1, -1, -1}},  // 83
    {"VN_UNIT_TYPE_PROJECTILE_MISSILE_1", VNTT_PROJECTILE_MISSILE, "", 0x0, {-1, -1, -1, -1}},  // 84
    {"VN_UNIT_TYPE_PROJECTILE_MISSILE_2", VNTT_PROJECTILE_MISSILE, "", 0x0, {-1, -1, -1, -1}},  // 85
    {"VN_UNIT_TYPE_PROJECTILE_NUKE_0", VNTT_PROJECTILE_NUKE, "", 0x0, {-1, -1, -1, -1}},  // 86
    {"VN_UNIT_TYPE_PROJECTILE_NUKE_1", VNTT_PROJECTILE_NUKE, "", 0x0, {-1, -1, -1, -1}},  // 87
    {"VN_UNIT_TYPE_PROJECTILE_NUKE_2", VNTT_PROJECTILE_NUKE, "", 0x0, {-1, -1, -1, -1}},  // 88
    {"VN_UNIT_TYPE_PROJECTILE_CAPTURE_0", VNTT_PROJECTILE_CAPTURE, "", 0x0, {-1, -1, -1, -1}},  // 89
    {"VN_UNIT_TYPE_PROJECTILE_CAPTURE_1", VNTT_PROJECTILE_CAPTURE, "", 0x0, {-1, -1, -1, -1}},  // 90
    {"VN_UNIT_TYPE_PROJECTILE_BIGROCK", VNTT_BIGROCK, "", 0x0, {-1, -1, -1, -1}},  // 91
    {"VN_UNIT_TYPE_SUIT_COMMAND_0", VNTT_SUIT_COMMAND, "tcom1", 0x8, {176, -1, -1, -1}},  // 92
    {"VN_UNIT_TYPE_SUIT_COMMAND_0_FEM", VNTT_SUIT_COMMAND, "tcom1", 0x8, {176, -1, -1, -1}},  // 93
    {"VN_UNIT_TYPE_SUIT_COMMAND_1", VNTT_SUIT_COMMAND, "tcom2", 0x5, {188, -1, -1, -1}},  // 94
    {"VN_UNIT_TYPE_SUIT_COMMAND_1_FEM", VNTT_SUIT_COMMAND, "tcom2", 0x5, {188, -1, -1, -1}},  // 95
    {"VN_UNIT_TYPE_SUIT_COMMAND_2", VNTT_SUIT_COMMAND, "tcom3", 0x7, {188, -1, -1, -1}},  // 96
    {"VN_UNIT_TYPE_SUIT_COMMAND_2_FEM", VNTT_SUIT_COMMAND, "tcom3", 0x7, {188, -1, -1, -1}},  // 97
    {"VN_UNIT_TYPE_SUIT_BRAKKAR_0", VNTT_SUIT_BRAKKAR, "tmar1", 0x8, {156, -1, -1, -1}},  // 98
    {"VN_UNIT_TYPE_SUIT_BRAKKAR_0_FEM", VNTT_SUIT_BRAKKAR, "tmar1", 0x8, {156, -1, -1, -1}},  // 99
    {"VN_UNIT_TYPE_SUIT_BRAKKAR_1", VNTT_SUIT_BRAKKAR, "tmar2", 0x5, {190, -1, -1, -1}},  // 100
    {"VN_UNIT_TYPE_SUIT_BRAKKAR_1_FEM", VNTT_SUIT_BRAKKAR, "tmar2", 0x5, {190, -1, -1, -1}},  // 101
    {"VN_UNIT_TYPE_SUIT_BRAKKAR_2", VNTT_SUIT_BRAKKAR, "tmar3", 0x7, {190, -1, -1, -1}},  // 102
    {"VN_UNIT_TYPE_SUIT_BRAKKAR_2_FEM", VNTT_SUIT_BRAKKAR, "tmar3", 0x7, {190, -1, -1, -1}},  // 103
    {"VN_UNIT_TYPE_SUIT_SCOUT_0", VNTT_SUIT_SCOUT, "tsco1", 0x8, {156, -1, -1, -1}},  // 104
    {"VN_UNIT_TYPE_SUIT_SCOUT_0_FEM", VNTT_SUIT_SCOUT, "tsco1", 0x8, {156, -1, -1, -1}},  // 105
    {"VN_UNIT_TYPE_SUIT_SCOUT_1", VNTT_SUIT_SCOUT, "tsco2", 0x5, {165, -1, -1, -1}},  // 106
    {"VN_UNIT_TYPE_SUIT_SCOUT_1_FEM", VNTT_SUIT_SCOUT, "tsco2", 0x5, {165, -1, -1, -1}},  // 107
    {"VN_UNIT_TYPE_SUIT_SCOUT_2", VNTT_SUIT_SCOUT, "tsco3", 0x7, {167, -1, -1, -1}},  // 108
    {"VN_UNIT_TYPE_SUIT_SCOUT_2_FEM", VNTT_SUIT_SCOUT, "tsco3", 0x7, {167, -1, -1, -1}},  // 109
    {"VN_UNIT_TYPE_TERRAN_CIVILIAN", VNTT_TERRAN_CIVILIAN, "tcivil1", 0x0, {-1, -1, -1, -1}},  // 110
    {"VN_UNIT_TYPE_TERRAN_CIVILIAN_FEM", VNTT_TERRAN_CIVILIAN, "tcivil1", 0x0, {-1, -1, -1, -1}},  // 111
    {"VN_UNIT_TYPE_TERRAN_CIVILIAN2", VNTT_TERRAN_CIVILIAN, "tcivil2", 0x0, {-1, -1, -1, -1}},  // 112
    {"VN_UNIT_TYPE_TERRAN_CIVILIAN2_FEM", VNTT_TERRAN_CIVILIAN, "tcivil2", 0x0, {-1, -1, -1, -1}},  // 113
    {"VN_UNIT_TYPE_TERRAN_CIVILIAN3", VNTT_TERRAN_CIVILIAN, "tcivil3", 0x0, {-1, -1, -1, -1}},  // 114
    {"VN_UNIT_TYPE_TERRAN_CIVILIAN3_FEM", VNTT_TERRAN_CIVILIAN, "tcivil3", 0x0, {-1, -1, -1, -1}},  // 115
    {"VN_UNIT_TYPE_TERRAN_COMBATENG", VNTT_TERRAN_COMBATENG, "tengin", 0x1, {-1, -1, 208, -1}},  // 116
    {"VN_UNIT_TYPE_TERRAN_COMBATENG_FEM", VNTT_TERRAN_COMBATENG, "tengin", 0x1, {-1, -1, 208, -1}},  // 117
    {"VN_UNIT_TYPE_TERRAN_COMMS", VNTT_TERRAN_INFANTRY, "tcomms", 0x7, {190, -1, -1, -1}},  // 118
    {"VN_UNIT_TYPE_TERRAN_COMMS_FEM", VNTT_TERRAN_INFANTRY, "tcomms", 0x7, {190, -1, -1, -1}},  // 119
    {"VN_UNIT_TYPE_TERRAN_MEDIC", VNTT_TERRAN_INFANTRY, "tmedic", 0x7, {167, -1, 208, 208}},  // 120
    {"VN_UNIT_TYPE_TERRAN_MEDIC_FEM", VNTT_TERRAN_INFANTRY, "tmedic", 0x7, {167, -1, 208, 208}},  // 121
    {"VN_UNIT_TYPE_TERRAN_ZR_0", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 122
    {"VN_UNIT_TYPE_TERRAN_ZR_0_FEM", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {167, -1, -1, -1}},  // 123
    {"VN_UNIT_TYPE_TERRAN_MIST", VNTT_TERRAN_MIST, "tmist", 0x1, {192, -1, -1, -1}},  // 124
    {"VN_UNIT_TYPE_TERRAN_MIST_FEM", VNTT_TERRAN_MIST, "tmist", 0x1, {192, -1, -1, -1}},  // 125
    {"VN_UNIT_TYPE_TERRAN_PSYCHIC", VNTT_TERRAN_PSYCHIC, "tpsyker", 0x1, {167, -1, 208, -1}},  // 126
    {"VN_UNIT_TYPE_TERRAN_PSYCHIC_FEM", VNTT_TERRAN_PSYCHIC, "tpsyker", 0x1, {167, -1, 208, -1}},  // 127
    {"VN_UNIT_TYPE_TERRAN_ZR_DRAVIK", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 128
    {"VN_UNIT_TYPE_TERRAN_ZR_SGT_DUNWELL", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 129
    {"VN_UNIT_TYPE_TERRAN_ZR_COL_KORVALD", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 130
    {"VN_UNIT_TYPE_TERRAN_ZR_C2M5_VOLUNTEER", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 131
    {"VN_UNIT_TYPE_TERRAN_ZR_COL_TOVAR", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 132
    {"VN_UNIT_TYPE_TERRAN_ZR_MAJOR_FERRAND", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 133
    {"VN_UNIT_TYPE_TERRAN_ZR_ENSIGN_MARENKO", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 134
    {"VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {-1, -1, -1, -1}},  // 135
    {"VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE_FEM", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {-1, -1, -1, -1}},  // 136
    {"VN_UNIT_TYPE_TERRAN_ZOMBIE", VNTT_TERRAN_INFANTRY, "tcivil1", 0x0, {-1, -1, -1, -1}},  // 137
    {"VN_UNIT_TYPE_TERRAN_ZOMBIE_FEM", VNTT_TERRAN_INFANTRY, "tcivil1", 0x0, {-1, -1, -1, -1}},  // 138
    {"VN_UNIT_TYPE_TERRAN_CAMERAMAN", VNTT_TERRAN_CIVILIAN, "tcameraman", 0x0, {-1, -1, -1, -1}},  // 139
    {"VN_UNIT_TYPE_TERRAN_SCIENTIST", VNTT_TERRAN_CIVILIAN, "tscient", 0x0, {-1, -1, -1, -1}},  // 140
    {"VN_UNIT_TYPE_TERRAN_SCIENTIST_FEM", VNTT_TERRAN_CIVILIAN, "tscient", 0x0, {-1, -1, -1, -1}},  // 141
    {"VN_UNIT_TYPE_TERRAN_CHILD", VNTT_TERRAN_CIVILIAN, "tchild", 0x0, {-1, -1, -1, -1}},  // 142
    {"VN_UNIT_TYPE_WEAPON_AIRSTRIKE", VNTT_WEAPON_AIRSTRIKE, "", 0x0, {-1, -1, -1, -1}},  // 143
    {"VN_UNIT_TYPE_WEAPON_BUG_CLAW_CHAMELEON", VNTT_WEAPON_BUG_CLAW, "", 0x0, {-1, -1, -1, -1}},  // 144
    {"VN_UNIT_TYPE_WEAPON_BUG_CLAW_HOPPER", VNTT_WEAPON_BUG_CLAW, "", 0x0, {-1, -1, -1, -1}},  // 145
    {"VN_UNIT_TYPE_WEAPON_BUG_CLAW_RHINO", VNTT_WEAPON_BUG_CLAW, "", 0x0, {-1, -1, -1, -1}},  // 146
    {"VN_UNIT_TYPE_WEAPON_BUG_CLAW_ROYALWARRIOR", VNTT_WEAPON_BUG_CLAW, "", 0x0, {-1, -1, -1, -1}},  // 147
    {"VN_UNIT_TYPE_WEAPON_BUG_CLAW_WARRIOR", VNTT_WEAPON_BUG_CLAW, "", 0x0, {-1, -1, -1, -1}},  // 148
    {"VN_UNIT_TYPE_WEAPON_BUG_POUNCE_ROYALWARRIOR", VNTT_WEAPON_BUG_CLAW, "", 0x0, {-1, -1, -1, -1}},  // 149
    {"VN_UNIT_TYPE_WEAPON_BUG_RHINOCHARGE", VNTT_WEAPON_BUG_RHINOCHARGE, "", 0x0, {-1, -1, -1, -1}},  // 150
    {"VN_UNIT_TYPE_WEAPON_BUGEXPLODE", VNTT_WEAPON_BUGEXPLODE, "", 0x0, {-1, -1, -1, -1}},  // 151
    {"VN_UNIT_TYPE_WEAPON_BUGFART", VNTT_WEAPON_BUGFART, "", 0x0, {-1, -1, -1, -1}},  // 152
    {"VN_UNIT_TYPE_WEAPON_BUGPLASMA", VNTT_WEAPON_BUGPLASMA, "", 0x0, {-1, -1, -1, -1}},  // 153
    {"VN_UNIT_TYPE_WEAPON_BUGSPARK", VNTT_WEAPON_BUGSPARK, "", 0x0, {-1, -1, -1, -1}},  // 154
    {"VN_UNIT_TYPE_WEAPON_BUGSPIT_0", VNTT_WEAPON_BUGSPIT, "", 0x0, {-1, -1, -1, -1}},  // 155
    {"VN_UNIT_TYPE_WEAPON_CHAINCANNON_0", VNTT_WEAPON_CHAINCANNON, "wcc", 0xC, {-1, -1, -1, -1}},  // 156
    {"VN_UNIT_TYPE_WEAPON_CHAINCANNON_1", VNTT_WEAPON_CHAINCANNON, "wcc", 0xC, {-1, -1, -1, -1}},  // 157
    {"VN_UNIT_TYPE_WEAPON_FLAME_0", VNTT_WEAPON_FLAME, "", 0x0, {-1, -1, -1, -1}},  // 158
    {"VN_UNIT_TYPE_WEAPON_FLAME_1", VNTT_WEAPON_FLAME, "", 0x0, {-1, -1, -1, -1}},  // 159
    {"VN_UNIT_TYPE_WEAPON_GRENADE_0", VNTT_WEAPON_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 160
    {"VN_UNIT_TYPE_WEAPON_GRENADE_1", VNTT_WEAPON_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 161
    {"VN_UNIT_TYPE_WEAPON_GUNTOWER", 0, "", 0x0, {-1, -1, -1, -1}},  // 162
    {"VN_UNIT_TYPE_WEAPON_LARVALSPIT_0", VNTT_WEAPON_LARVALSPIT, "", 0x0, {-1, -1, -1, -1}},  // 163
    {"VN_UNIT_TYPE_WEAPON_LARVALSPIT_1", VNTT_WEAPON_LARVALSPIT, "", 0x0, {-1, -1, -1, -1}},  // 164
    {"VN_UNIT_TYPE_WEAPON_LIGHTCANNON_0", VNTT_WEAPON_LIGHTCANNON, "wlc", 0x4, {-1, -1, -1, -1}},  // 165
    {"VN_UNIT_TYPE_WEAPON_LIGHTCANNON_1", VNTT_WEAPON_LIGHTCANNON, "wlc", 0xC, {-1, -1, -1, -1}},  // 166
    {"VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0", VNTT_WEAPON_LIGHTRIFLE, "wlr", 0x1, {-1, -1, -1, -1}},  // 167
    {"VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_1", VNTT_WEAPON_LIGHTRIFLE, "wlr", 0x1, {-1, -1, -1, -1}},  // 168
    {"VN_UNIT_TYPE_WEAPON_MINE", VNTT_WEAPON_MINE, "", 0x0, {-1, -1, -1, -1}},  // 169
    {"VN_UNIT_TYPE_WEAPON_MISSILE_0", VNTT_WEAPON_MISSILE, "wm", 0xA, {-1, -1, -1, -1}},  // 170
    {"VN_UNIT_TYPE_WEAPON_MISSILE_1", VNTT_WEAPON_MISSILE, "wm", 0xA, {-1, -1, -1, -1}},  // 171
    {"VN_UNIT_TYPE_WEAPON_NUKEMISSILE_0", VNTT_WEAPON_MISSILE, "", 0x0, {-1, -1, -1, -1}},  // 172
    {"VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1", VNTT_WEAPON_MISSILE, "", 0x0, {-1, -1, -1, -1}},  // 173
    {"VN_UNIT_TYPE_WEAPON_PHEROMONE_0", VNTT_WEAPON_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 174
    {"VN_UNIT_TYPE_WEAPON_PHEROMONE_1", VNTT_WEAPON_GRENADE, "", 0x0, {-1, -1, -1, -1}},  // 175
    {"VN_UNIT_TYPE_WEAPON_PLASMACANNON_0", VNTT_WEAPON_PLASMACANNON, "wpc", 0x8, {-1, -1, -1, -1}},  // 176
    {"VN_UNIT_TYPE_WEAPON_PLASMACANNON_1", VNTT_WEAPON_PLASMACANNON, "wpc", 0x8, {-1, -1, -1, -1}},  // 177
    {"VN_UNIT_TYPE_WEAPON_PLASMAGUN_0", VNTT_WEAPON_PLASMAGUN, "", 0x0, {-1, -1, -1, -1}},  // 178
    {"VN_UNIT_TYPE_WEAPON_PLASMAGUN_1", VNTT_WEAPON_PLASMAGUN, "", 0x0, {-1, -1, -1, -1}},  // 179
    {"VN_UNIT_TYPE_WEAPON_PSYCHIC_CONTROL_BUG", 0, "", 0x0, {-1, -1, -1, -1}},  // 180
    {"VN_UNIT_TYPE_WEAPON_PSYCHIC_CONTROL_TERRAN", 0, "", 0x0, {-1, -1, -1, -1}},  // 181
    {"VN_UNIT_TYPE_WEAPON_PSYCHIC_PSYCHOKINESIS", VNTT_WEAPON_PSYCHOKINESIS, "", 0x0, {-1, -1, -1, -1}},  // 182
    {"VN_UNIT_TYPE_WEAPON_PSYCHIC_SIGHT_0", 0, "", 0x0, {-1, -1, -1, -1}},  // 183
    {"VN_UNIT_TYPE_WEAPON_PSYCHIC_SIGHT_1", 0, "", 0x0, {-1, -1, -1, -1}},  // 184
    {"VN_UNIT_TYPE_WEAPON_REVOLVER", VNTT_WEAPON_REVOLVER, "wrv", 0x1, {-1, -1, -1, -1}},  // 185
    {"VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_0", VNTT_WEAPON_SPECIMENCAPTURE, "", 0x0, {-1, -1, -1, -1}},  // 186
    {"VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_1", VNTT_WEAPON_SPECIMENCAPTURE, "", 0x0, {-1, -1, -1, -1}},  // 187
    {"VN_UNIT_TYPE_WEAPON_SHOTGUN_0", 0, "wsg", 0x4, {-1, -1, -1, -1}},  // 188
    {"VN_UNIT_TYPE_WEAPON_SHOTGUN_1", 0, "wsg", 0x4, {-1, -1, -1, -1}},  // 189
    {"VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0", VNTT_WEAPON_SMARTRIFLE, "wsr", 0x1, {-1, -1, -1, -1}},  // 190
    {"VN_UNIT_TYPE_WEAPON_SMARTRIFLE_1", VNTT_WEAPON_SMARTRIFLE, "wsr", 0x1, {-1, -1, -1, -1}},  // 191
    {"VN_UNIT_TYPE_WEAPON_SNIPER", VNTT_WEAPON_SNIPER, "wsn", 0x1, {-1, -1, -1, -1}},  // 192
    {"VN_UNIT_TYPE_WEAPON_TANKERFLAME", VNTT_WEAPON_TANKERFLAME, "", 0x0, {-1, -1, -1, -1}},  // 193
    {"VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE", VNTT_WEAPON_CLASS1DOUBLE, "", 0x0, {-1, -1, -1, -1}},  // 194
    {"VN_UNIT_TYPE_TECH_NERVEGAS", VNTT_NERVEGAS, "", 0x0, {-1, -1, -1, -1}},  // 195
    {"VN_UNIT_TYPE_TECH_NOVABOMB", VNTT_NOVABOMB, "", 0x0, {-1, -1, -1, -1}},  // 196
    {"VN_UNIT_TYPE_WEAPON_MICROROCKETS", VNTT_WEAPON_MICROROCKETS, "", 0x0, {-1, -1, -1, -1}},  // 197
    {"VN_UNIT_TYPE_WEAPON_TWIN50", VNTT_WEAPON_TWINGUN, "", 0x0, {-1, -1, -1, -1}},  // 198
    {"VN_UNIT_TYPE_WEAPON_TWIN80", VNTT_WEAPON_TWINGUN, "", 0x0, {-1, -1, -1, -1}},  // 199
    {"VN_UNIT_TYPE_WEAPON_ENGSHOCK", VNTT_WEAPON_ENGSHOCK, "", 0x0, {-1, -1, -1, -1}},  // 200
    {"VN_UNIT_TYPE_VEHICLE_TRANSPORT", VNTT_VEHICLE_TRANSPORT, "", 0x0, {-1, -1, -1, -1}},  // 201
    {"VN_UNIT_TYPE_SCOUT_CAM", VNTT_SCOUT_CAM, "", 0x0, {-1, -1, -1, -1}},  // 202
    {"VN_UNIT_TYPE_TECH_COMBAT_HARNESS", VNTT_TECH_COMBAT_HARNESS, "", 0x0, {-1, -1, -1, -1}},  // 203
    {"VN_UNIT_TYPE_TECH_TARGETING_SYSTEM_1", 0, "", 0x0, {-1, -1, -1, -1}},  // 204
    {"VN_UNIT_TYPE_TECH_TARGETING_SYSTEM_2", 0, "", 0x0, {-1, -1, -1, -1}},  // 205
    {"VN_UNIT_TYPE_TECH_FIELD_BINOCULARS_1", 0, "", 0x0, {-1, -1, -1, -1}},  // 206
    {"VN_UNIT_TYPE_TECH_FIELD_BINOCULARS_2", 0, "", 0x0, {-1, -1, -1, -1}},  // 207
    {"VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1", 0, "", 0x0, {-1, -1, -1, -1}},  // 208
    {"VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_2", 0, "", 0x0, {-1, -1, -1, -1}},  // 209
    {"VN_UNIT_TYPE_AMMO_SNIPER_BULLET", VNTT_AMMO, "", 0x0, {-1, -1, -1, -1}},  // 210
    {"VN_UNIT_TYPE_TERRAN_ZR_QUELLIN", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 211
    {"VN_UNIT_TYPE_TERRAN_ZR_HALVICK", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 212
    {"VN_UNIT_TYPE_TERRAN_ZR_TOBRIN", VNTT_TERRAN_INFANTRY, "tcap", 0x7, {190, -1, -1, -1}},  // 213
};

bool InRange(int32_t type) { return type >= 0 && type < VN_UNIT_TYPE_COUNT; }

}  // namespace

const VNUNIT_TYPE* vnUNITMAN_GetTypeInfo(int32_t type) {
  if (!InRange(type)) {
    PLAT_Trace("vnUNITMAN_GetTypeInfo: no unit type %d\n", type);
    return nullptr;
  }
  return &kTypes[type];
}

int32_t vnUNITMAN_FindTypeByName(const char* name) {
  if (!name) return -1;
  for (int32_t i = 0; i < VN_UNIT_TYPE_COUNT; ++i) {
    if (PLAT_EqualNoCase(kTypes[i].pszName, name)) return i;
  }
  return -1;
}

int32_t vnUNITTYPE_SharedFlags(int32_t typeA, int32_t typeB) {
  if (!InRange(typeA) || !InRange(typeB)) return 0;
  return kTypes[typeA].fVariants & kTypes[typeB].fVariants;
}

int32_t vnUNITTYPE_FlagBitIndex(int32_t flags) {
  const uint32_t bits = static_cast<uint32_t>(flags);
  int32_t index = -1;
  for (int32_t i = 0; i < 32; ++i) {
    if (bits & (1u << i)) index = i;
  }
  return index;
}

const char* vnUNITTYPE_FlagBitName(int32_t flags) {
  const int32_t bit = vnUNITTYPE_FlagBitIndex(flags);
  if (bit < 0 || bit >= VN_UNIT_TYPE_VARIANTS) return "";
  return kVariantNames[bit];
}

const char* vnUNITMAN_BuildPowName(int32_t type, int32_t flags, const char* level,
                                   const char* side) {
  static char name[kPowNameSize];
  name[0] = '\0';
  if (!InRange(type)) {
    PLAT_Trace("vnUNITMAN_BuildPowName: no unit type %d\n", type);
    return name;
  }
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(type);
  const int32_t rank = row ? vnUNITATTR_Int(*row, VN_ATTR_RANK) : 0;
  const int n = std::snprintf(name, sizeof name, "%s/%s_%s%d%s%s.pow", kPowFolder,
                              vnUNITTYPE_FlagBitName(flags), kTypes[type].pszModelPrefix,
                              rank + 1, level ? level : "", side ? side : "");
  if (n < 0 || static_cast<size_t>(n) >= sizeof name) {
    PLAT_Trace("vnUNITMAN_BuildPowName: the model name of type %d is too long\n", type);
    name[0] = '\0';
  }
  return name;
}

const char* vnUNITMAN_BuildPowPath(int32_t type, const char* a, const char* b) {
  static char path[kPowNameSize];
  path[0] = '\0';
  if (!InRange(type)) {
    PLAT_Trace("vnUNITMAN_BuildPowPath: no unit type %d\n", type);
    return path;
  }
  const int n = std::snprintf(path, sizeof path, "%s/%s%s%s.pow", kPowFolder,
                              kTypes[type].pszModelPrefix, a ? a : "", b ? b : "");
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
    PLAT_Trace("vnUNITMAN_BuildPowPath: the model path of type %d is too long\n", type);
    path[0] = '\0';
  }
  return path;
}

bool vnUNITTYPE_IsSceneryProp(int32_t type) {
  return (type >= VN_UNIT_TYPE_PE_ROCK && type <= VN_UNIT_TYPE_PE_STATIONARY_VEHICLE) ||
         (type >= VN_UNIT_TYPE_PE_DRUM && type <= VN_UNIT_TYPE_PE_FUNG);
}

bool vnUNITTYPE_IsDebris(int32_t type) {
  return (type >= VN_UNIT_TYPE_PE_ROCK && type <= VN_UNIT_TYPE_PE_STATIONARY_VEHICLE) ||
         type == VN_UNIT_TYPE_PE_FUNG;
}
