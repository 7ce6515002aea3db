#pragma once
// What a unit's scene object leaves behind in the world services when it goes.
struct SPW_DOBJECT;

// Removes the object's ground shadow, when it has one.
void vnUnit_ReleaseAttachment(SPW_DOBJECT* object);
