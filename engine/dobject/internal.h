#pragma once
// Shared by the dynamic-object files.
#include <cstdint>
#include <string_view>

#include "engine/dobject/dobject.h"

// The object's type, none for a bad slot.
SPW_DOBJTYPE* SPW_DObjectType(const SPW_DOBJECT* object);
// A name field of at most `size` characters, as far as its terminator.
std::string_view SPW_BoundedName(const char* name, size_t size);
// The animation count of the object's type; 0 without a type.
uint32_t SPW_DObjectAnimCount(const SPW_DOBJECT* object);
// 1 when the slot indexes one of the type's animations.
bool SPW_ValidSlot(const SPW_DOBJECT* object, int32_t slot);
// Points the slot's current breakpoint at the first one after the time (the first when none).
void SPW_SeatBreakpoint(SPW_DOBJECT* object, int32_t slot);
// Frees a slot's breakpoints.
void SPW_FreeBreakpoints(SPW_DOBJECT* object, int32_t slot);
// Drops the scene's pending events whose user data is the object.
void SPW_DropObjectEvents(SPW_DOBJECT* object);
