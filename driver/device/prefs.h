#pragma once
// The driver's display settings under its own key:
// software\KOR\SPPD\v1.00.000\Display\{SPPD_GUID}\Preferences.
#include <cstdint>

#include "driver/core/state.h"
#include "engine/driver/sppd.h"

constexpr const char SPPD_PREFERENCES_KEY[] = "Preferences";

// 1 when every value was read, -1 when a key cannot be opened or any value is missing; the
// values that were there are filled in regardless. Full Screen always comes back as 1.
int32_t SPPD_ReadPreferences(SPPD_DRIVERSTATE* prefs);
// 1 when every value was written, else -1 (a GUID that cannot be written writes nothing).
int32_t SPPD_SavePreferences(const SPPD_DRIVERSTATE* prefs);
