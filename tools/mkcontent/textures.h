#pragma once
// Generated demo textures: a few source images in the tree's texture folders.
#include <string>

// Writes them under root (making the folders); false (traced) when any cannot be written.
bool vnMKCONTENT_Textures(const std::string& root);
