#pragma once
// Path helpers of the texture table.
#include <string>

#include "driver/texture/table.h"

// The name as a full path key ("\dir\file.ext": lower case, '\' separated, "." and ".."
// taken out), relative names against the working folder. False when it has no file name or
// does not fit.
bool SPPD_TextureFullPath(const char* name, char* out, int size);
// The working folder as a key, without a trailing '\'.
std::string SPPD_TextureCurrentFolder();
// The path from a folder to a file, as ".\sub\file" or "..\..\other\file".
std::string SPPD_TextureRelativePath(const std::string& fromFolder, const std::string& toFile);
