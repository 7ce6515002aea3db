#pragma once
// The demo tree's models of the feature objects in play, under EXPORT/Pows.
#include <string>

bool vnMKCONTENT_PlayObjects(const std::string& root);
