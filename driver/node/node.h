#pragma once
// driver/node: the object node renderers. SPPD_RenderNode records the per-node state below,
// decides from the node's distance whether it is drawn, fogged or faded in, and hands it to
// one of the six exported renderers, which read that state (one set for the library: the
// driver draws on the main thread only).
#include <bit>
#include <cstdint>

#include "driver/core/state.h"
#include "engine/driver/sppd.h"
#include "engine/object/object.h"

// Entries of the shared-vertex table: vertex indices of a node must lie below it.
constexpr uint32_t SPPD_NODE_MAX_VERTICES = 65536;
// Lights of one node that the renderers take; the engine passes at most four.
constexpr uint32_t SPPD_NODE_MAX_LIGHTS = 100;
// Face flags (the fourth value of a face): never culled as a back face.
constexpr uint32_t SPPD_FACE_DOUBLE_SIDED = 0x1;
// A node whose nearest surface comes within this many units past the near distance fades in.
constexpr float SPPD_NODE_FADE_RANGE = 6.0f;
constexpr float SPPD_NODE_FADE_RATE = -0.2f;
// Mean of a face's three depths.
constexpr float SPPD_NODE_THIRD = 0.33333334f;

// Four floats in one register, for the work the renderers do on every face and vertex.
using SPPD_FLOAT4 = float __attribute__((vector_size(16)));
using SPPD_INT4 = int32_t __attribute__((vector_size(16)));
inline SPPD_FLOAT4 SPPD_Float4(float v) { return SPPD_FLOAT4{v, v, v, v}; }

// What the renderers need of a light: its direction into the node's object space (toward
// the light) and its colour times its intensity for the node (r, g, b, 0).
struct SPPD_NODELIGHT {
  float dir[3];
  SPPD_FLOAT4 colour;
};

// One entry per vertex index: the buffer and position where the vertex was last written.
struct SPPD_SHAREDVERTEX {
  uint32_t dwStamp;
  uint16_t wPosition;
  uint16_t wSerial;
};

struct SPPD_NODESTATE {
  SPW_DISPLAY* pDisplay;
  SPPD_DRIVERSTATE* pState;
  float m[16];  // object to view, translation in 12-14
  const SPW_DOBJVERTEX* pVertices;
  uint32_t dwNumVertices;
  SPW_LIGHT** ppLights;
  uint32_t dwNumLights;
  SPPD_NODELIGHT aLights[SPPD_NODE_MAX_LIGHTS];
  float fNear;
  float fInvDepthSpan;  // 1 / (far - near) of the view being drawn
  // Projection: render state words 5-8 and the derived depth mapping.
  float fScaleX, fScaleY, fCentreX, fCentreY;
  float fDepthOffset, fDepthFactor;
  float colour[4];          // the colour argument, r, g, b, a in 0..255
  SPPD_FLOAT4 base;         // the colour argument's r, g, b, 0: where every face starts
  uint32_t dwColourAlpha;   // the colour argument's alpha as the top byte of a face colour
  SPPD_FLOAT4 sunColour;    // the scene's directional light, r, g, b, 0
  float sunDir[3];     // in object space
  float eye[3];        // in object space
  uint32_t dwFog;      // specular word of every vertex: fog byte on top
  uint32_t dwAlpha;    // node alpha in the top byte, when faded
  uint32_t dwStamp;
  SPPD_SHAREDVERTEX* pShared;  // the shared-vertex table
};

SPPD_NODESTATE* SPPD_NodeState();
SPPD_SHAREDVERTEX* SPPD_NodeSharedVertices();
// Zeroes the shared-vertex table, starts the node stamp at 1 and forgets the last node (at
// SPPD_Create).
void SPPD_NodeReset();
// Forgets the last node when it was drawn on the state's display (at SPPD_Destroy): the
// renderers must not reach a destroyed display's lists.
void SPPD_NodeForget(const SPPD_DRIVERSTATE* state);

// A face's normal (its first three values, floats) and flags (its fourth).
inline void SPPD_FaceNormal(const SPW_DOBJFACE& f, float n[3]) {
  for (int i = 0; i < 3; ++i) n[i] = std::bit_cast<float>(f.adwValue[i]);
}
inline uint32_t SPPD_FaceFlags(const SPW_DOBJFACE& f) { return f.adwValue[3]; }

// A channel rounded to nearest and held in a byte, as the engine packs colours: a channel
// past 255 or below 0 must not spill into its neighbour.
inline uint32_t SPPD_NodeChannel(float v) {
  if (!(v > 0.0f)) return 0;
  return v >= 255.0f ? 255u : static_cast<uint32_t>(v + 0.5f);
}

// The flat colour of a face from its object-space normal: the colour argument, the sun
// where the face looks into it, each light where the face looks toward it; r, g and b held
// at 255 at most; ARGB with the colour argument's alpha. Without a branch: a face that misses
// a light gets its product masked to nothing, so that the sum is what adding only the lights
// that reach the face gives, whatever the light's colour.
inline uint32_t SPPD_NodeFaceColour(const SPPD_NODESTATE& s, const float n[3]) {
  const SPPD_FLOAT4 zero = {};
  SPPD_FLOAT4 c = s.base;
  const float sun = n[0] * s.sunDir[0] + n[1] * s.sunDir[1] + n[2] * s.sunDir[2];
  c -= SPPD_Float4(sun) < zero ? sun * s.sunColour : zero;
  for (uint32_t i = 0; i < s.dwNumLights; ++i) {
    const SPPD_NODELIGHT& l = s.aLights[i];
    const float p = n[0] * l.dir[0] + n[1] * l.dir[1] + n[2] * l.dir[2];
    c += SPPD_Float4(p) > zero ? p * l.colour : zero;
  }
  // As SPPD_NodeChannel on each channel: NaN and below 0 to 0, past 255 to 255.
  c = c > zero ? c : zero;
  const SPPD_FLOAT4 top = {255.0f, 255.0f, 255.0f, 255.0f};
  c = c < top ? c : top;
  const SPPD_INT4 byte = __builtin_convertvector(c + 0.5f, SPPD_INT4);
  return s.dwColourAlpha | static_cast<uint32_t>(byte[0]) << 16 |
         static_cast<uint32_t>(byte[1]) << 8 | static_cast<uint32_t>(byte[2]);
}
