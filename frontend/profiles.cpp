// The portrait profiles of the soldiers.
#include <array>
#include <string>

#include "frontend/platman.h"

namespace {

// Runs of rows that show a numbered portrait: the first row, how many, the folder and stem, and
// whether they are women. Every other row is empty.
struct PORTRAITRUN {
  int32_t nFirst;
  int32_t nCount;
  const char* pszStem;
  int32_t bWoman;
};
constexpr PORTRAITRUN kRuns[] = {
    {2, 13, "Common/ProfileIcons/Male/PIML_", 0},
    {15, 5, "Common/ProfileIcons/Female/PIFL_", 1},
    {22, 60, "Common/ProfileIcons/Male/PIM_", 0},
    {84, 22, "Common/ProfileIcons/Female/PIF_", 1},
};

// The story characters, one picture each for both sizes: woman, voice bank.
constexpr int32_t kFirstStory = 107;
struct STORY {
  int32_t bWoman;
  int32_t nVoice;
};
constexpr STORY kStory[] = {{0, 0}, {1, 1}, {0, 3}, {0, 4}, {1, 5},
                            {0, 6}, {0, 0}, {1, 1}, {0, 3}, {0, 4}};
static_assert(kFirstStory + std::size(kStory) == VNSOLDIER_PROFILES);

struct TABLE {
  std::array<VNSOLDIER_PROFILE, VNSOLDIER_PROFILES> rows{};
  std::array<std::string, VNSOLDIER_PROFILES> portraits;
  std::array<std::string, VNSOLDIER_PROFILES> large;
  TABLE() {
    for (int32_t i = 0; i < VNSOLDIER_PROFILES; ++i) rows[i] = {i, 0, "", "", VNSOLDIER_NO_VOICE};
    for (const PORTRAITRUN& run : kRuns) {
      for (int32_t k = 0; k < run.nCount; ++k) {
        const int32_t i = run.nFirst + k;
        portraits[i] = run.pszStem + std::to_string(k) + ".ppm";
        large[i] = run.pszStem + std::to_string(k) + "_H.ppm";
        // The generic voices: the men's bank and the women's.
        rows[i] = {i, run.bWoman, portraits[i].c_str(), large[i].c_str(), run.bWoman};
      }
    }
    for (int32_t k = 0; k < static_cast<int32_t>(std::size(kStory)); ++k) {
      const int32_t i = kFirstStory + k;
      portraits[i] = "Common/ProfileIcons/Special/PIS_" + std::to_string(k) + ".ppm";
      rows[i] = {i, kStory[k].bWoman, portraits[i].c_str(), portraits[i].c_str(), kStory[k].nVoice};
    }
  }
};

}  // namespace

const VNSOLDIER_PROFILE* vnPLATMAN_GetProfile(int32_t index) {
  static const TABLE table;
  if (index < 0 || index >= VNSOLDIER_PROFILES) return nullptr;
  return &table.rows[static_cast<size_t>(index)];
}
