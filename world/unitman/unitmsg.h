#pragma once
// Messages the world framework sends to a unit's controller; the unit classes answer them.
#include <cstdint>

constexpr int32_t SGM_UNIT_SET_USER = 545;
constexpr int32_t SGM_UNIT_SET_PROFILE = 546;
constexpr int32_t SGM_UNIT_SET_NAME = 547;
constexpr int32_t SGM_UNIT_SET_DORMANT = 549;
constexpr int32_t SGM_UNIT_SET_DORMANT_ACTIVITY = 550;
constexpr int32_t SGM_UNIT_SET_VISIBLE = 552;
constexpr int32_t SGM_UNIT_REFILL_ITEM = 576;    // p1 item type, p2 slot 2 or 3
constexpr int32_t SGM_SUIT_SHIELD_EXPIRED = 578;  // suit tiers 1 and 2
constexpr int32_t SGM_WEAPON_GET_AMMO_TYPE = 581;
constexpr int32_t SGM_UNIT_TAKE_WEAPON = 582;     // p1 the weapon's unit id
constexpr int32_t SGM_UNIT_SET_POSITION_FACING = 587;
constexpr int32_t SGM_UNIT_SHIELD_EXPIRED = 603;  // every other unit
constexpr int32_t SGM_WEAPON_AMMO_NEEDED = 609;   // p1 weapon type: the rounds it lacks
constexpr int32_t SGM_UNIT_GOTO_POINT = 614;
constexpr int32_t SGM_UNIT_BOUNCE_TO_POINT = 622;
constexpr int32_t SGM_UNIT_BOUNCE_CHECK = 640;    // 0 go, 1 refuse, 2 go and end the group order
constexpr int32_t SGM_UNIT_GET_ORDER = 1055;
constexpr int32_t SGM_WEAPON_DOUBLE_TYPE = 1062;
constexpr int32_t SGM_WEAPON_DOUBLE_FIRST = 1063;
