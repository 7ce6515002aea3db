#pragma once
// Unit icons: the icons over units (a soldier of the player, a unit to rescue), each kept by its
// unit's id with the player it is shown to, and their flashing: an icon flashes for a while
// after something happened to its soldier (he was resupplied). The icons ask whether to flash;
// time runs by Advance.
#include <cstdint>

// Icons shown at once: every unit of a strike team and those a mission marks, with room to spare.
constexpr int32_t VNUNITICON_MAX_ICONS = 64;

// Adds an icon over the unit for the player; 1, or 0 when the unit has one already, the id is 0
// or every icon is taken (traced).
int32_t vnUnitIcon_AddIcon(uint32_t unitId, uint32_t player);
// Removes the unit's icon and its flash.
void vnUnitIcon_Remove(uint32_t unitId);
// The player the unit's icon is shown to, 0 when it has none.
uint32_t vnUnitIcon_GetPlayer(uint32_t unitId);
// Removes every icon (a mission ends).
void vnUnitIcon_RemoveAll();

constexpr float VNUNITICON_FLASH_SECONDS = 3.0f;
// Icons that can flash at once: every fielded soldier of a platoon, with room to spare.
constexpr int32_t VNUNITICON_MAX_FLASHING = 32;

// Flashes the unit's icon for VNUNITICON_FLASH_SECONDS, from now (a flash under way restarts).
void vnUnitIcon_Flash(uint32_t unitId);
// The seconds the unit's icon still flashes, 0 when it does not.
float vnUnitIcon_FlashLeft(uint32_t unitId);
// Stops the unit's flash.
void vnUnitIcon_StopFlash(uint32_t unitId);
// Lets the seconds pass for every flashing icon.
void vnUnitIcon_Advance(float seconds);
// Stops every flash (a mission ends).
void vnUnitIcon_ClearFlashes();
