#pragma once
// The demo tree's 3D objects: the model library as POW and packed object files under
// EXPORT/Pows, and the packed tables their keys and materials index.
#include <string>

bool vnMKCONTENT_Models(const std::string& root);
