#pragma once
// Writes platoon files ("platoons/*.plt"): INI text with CR LF line ends followed by its byte
// sum. Fields are plain values so that a fixture can also hold what the game would refuse.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct VNWRITE_PLATOON_UNIT {
  std::string name = "Name";
  uint32_t flags = 0;
  std::array<float, 7> stats{};
  int32_t rank = 0;
  int32_t kills = 0;
  int32_t experience = 0;
  int32_t missions = 0;
  int32_t profile = 22;
  // Out-of-suit type, suit, specialist and the four equipment words, by type name.
  std::array<std::string, 7> types = {"VN_UNIT_TYPE_TERRAN_ZR_0", "NULL", "NULL", "NULL",
                                      "NULL", "NULL", "NULL"};
  std::array<int32_t, 8> medals{};
};

constexpr char VNWRITE_PLATOON_GUID[] = "b7d192be-d3ee-4126-a5f1-5e0045ff9897";

struct VNWRITE_PLATOON {
  std::string name = "NoName";
  std::string guid = VNWRITE_PLATOON_GUID;
  std::string ltName = "Lt Name";
  std::string platoonName = "PlatName";
  int32_t profile = 2;
  int32_t insignia = 0;
  std::string currentLevel = "c1m2";
  int32_t up = 0;
  std::array<std::optional<VNWRITE_PLATOON_UNIT>, 57> units;
  std::vector<std::string> upgrades;  // base item type names, written as unit0, unit1, ...
};

// The file's text without its byte sum.
std::string vnWRITE_PlatoonText(const VNWRITE_PLATOON& platoon);
// The text and its byte sum; false (with a trace) when the file cannot be written.
bool vnWRITE_PlatoonFile(const std::string& path, const VNWRITE_PLATOON& platoon);
