#pragma once
// The demo tree's screen art: the font sets the root task loads, rasterised from DejaVu, and
// the image the screen fades draw with.
#include <string>

// Writes Fonts/Fonts.b2d and Fonts/Font.b2d with their glyph sheets, and
// sprites/effects/fadeblank.ppm with its low-resolution variant; false (traced) on any failure.
bool vnMKCONTENT_Fonts(const std::string& root);
