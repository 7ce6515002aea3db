#pragma once
// The demo tree's models of the scenery classes.
#include <string>

bool vnMKCONTENT_Scenery(const std::string& root);
