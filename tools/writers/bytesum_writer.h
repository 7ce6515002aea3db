#pragma once
// Writes files that end in their byte sum (the check value of platoon files): the data, then
// the 32-bit sum of its bytes (each 0..255) as four little-endian bytes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The data followed by its byte sum.
std::vector<uint8_t> vnWRITE_WithByteSum(std::span<const uint8_t> data);
// Writes the data and its byte sum to a new file; false (with a trace) when it cannot.
bool vnWRITE_ByteSumFile(const std::string& path, std::span<const uint8_t> data);
