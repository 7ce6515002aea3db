#pragma once
// The dome's draw from its attachment node.
struct VNDOME;
struct VNFX_ATTACHNODE;

// The shown faces, each from both sides, into the view the node's list draws; nothing for a
// node of another value or while the flicker hides the dome.
void vnDome_Draw(const VNDOME* dome, const VNFX_ATTACHNODE* node);
