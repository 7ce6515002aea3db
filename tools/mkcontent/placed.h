#pragma once
// The demo tree's models of placed objects: the ammunition dump's crate.
#include <string>

bool vnMKCONTENT_PlacedObjects(const std::string& root);
