#pragma once
// The ground shadow textures of the demo tree.
#include <string>

// Writes every slot's texture under root in both sizes; false (traced) when any cannot be
// written.
bool vnMKCONTENT_Shadows(const std::string& root);
