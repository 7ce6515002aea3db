#pragma once
// A sequence vehicle's ground shadow turned with the vehicle.
struct SPW_DOBJECT;
struct VNSHADOW;

// Lays the shadow along the object's forward direction on the ground; nothing without both,
// or while the object points straight up or down.
void vnSS_UpdateVehicleShadow(SPW_DOBJECT* object, VNSHADOW* shadow);
