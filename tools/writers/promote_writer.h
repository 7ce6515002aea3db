#pragma once
// Writes the promotion table "units/vn_promote.txt": eight lines, ranks 1 to 8, of the seven
// stat increments of reaching the rank.
#include <array>
#include <string>

using VNWRITE_PROMOTIONS = std::array<std::array<float, 7>, 8>;

// False (with a trace) when the file cannot be written.
bool vnWRITE_PromoteFile(const std::string& path, const VNWRITE_PROMOTIONS& rows);
