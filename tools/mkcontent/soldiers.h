#pragma once
// The infantry's models in the demo tree: a model per infantry type at the path its class builds,
// the two shared animation sets, the wounded and victim models, the guns they hold and the
// effect textures their lights and jets draw with.
#include <string>

bool vnMKCONTENT_Soldiers(const std::string& root);
