#pragma once
// The DS10's thruster flames, drawn from the fly-by's node on the mission's effect draw list.
struct VNFLYBY;
struct VNFX_ATTACHNODE;

// A flame behind each engine and, while it flickers on, a flash over it; nothing for a node of
// another value, without the first plane's object or once the node is gone.
void vnFlyBy_DrawThrusters(VNFLYBY* flyby, const VNFX_ATTACHNODE* node);
