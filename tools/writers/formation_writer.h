#pragma once
// Writes the formation file "formations.txt": named formations of up to 40 slots, each slot a
// facing and an offset from the formation's first slot.
#include <array>
#include <string>
#include <vector>

constexpr size_t VNWRITE_FORMATION_MAX_SLOTS = 40;
constexpr size_t VNWRITE_FORMATION_MAX_NAME = 63;

struct VNWRITE_FORMATION_SLOT {
  std::array<float, 3> facing{0.0f, -1.0f, 0.0f};
  std::array<float, 3> offset{};
};

struct VNWRITE_FORMATION {
  std::string name;  // no blanks nor ']'
  std::vector<VNWRITE_FORMATION_SLOT> slots;
};

// Per formation a "[ name ]" header, its count and every slot's orientation and offset, then a
// blank line. Floats are written so they read back exactly.
std::string vnWRITE_FormationsText(const std::vector<VNWRITE_FORMATION>& formations);
// <root>/formations.txt; false, after a trace, for a name or slot count the file cannot hold.
bool vnWRITE_Formations(const std::string& root, const std::vector<VNWRITE_FORMATION>& formations);
