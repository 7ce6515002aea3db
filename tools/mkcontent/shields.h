#pragma once
// The demo tree's shield domes and fly-by aircraft: their models under EXPORT/Pows and the
// spark and thruster textures.
#include <string>

bool vnMKCONTENT_Shields(const std::string& root);
