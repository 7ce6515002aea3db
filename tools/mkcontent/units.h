#pragma once
// The unit attribute rows "units/vn_db_attr.txt" of every unit type and the weapon damage
// modifiers "units/VN_WeaponMods.txt".
#include <string>

bool vnMKCONTENT_Units(const std::string& root);
