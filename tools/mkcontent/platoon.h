#pragma once
// The demo tree's promotion table "units/vn_promote.txt" and the platoon in play
// "platoons/inplay.plt": a full strike team whose next mission is C1M1A.
#include <string>

bool vnMKCONTENT_Platoon(const std::string& root);
