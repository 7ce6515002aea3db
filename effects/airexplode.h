#pragma once
// Marker drawing of the effects: how a status marker record looks in the 3D view.
//
// A marker is a bar of three screen-facing rectangles centred on the record's position as the
// current view projects it, sized in screen pixels so it reads the same at any distance:
// - pair C: the outer rectangle's half-width and half-height, in appearance word 1's colour;
// - pair B: the middle rectangle's, in a colour from word 3 (level 0) to word 2 (level 1);
// - pair A: the fill's: the inner rectangle cut at the level from its left edge, in a colour
//   from word 5 (level 0) to word 4 (level 1).
// Colours blend byte by byte, alpha included. Nothing is drawn behind the view's near plane.
struct SPW_DISPLAYNODE;
struct VNMARKERS;
struct VNMARKER;

// Draws one record into the view, whose matrices the draw list has pushed; the driver's
// render state gives the view's scale.
void vnAIREXPLODE_ObjectCallback(SPW_DISPLAYNODE* view, VNMARKERS* service, VNMARKER* marker);
