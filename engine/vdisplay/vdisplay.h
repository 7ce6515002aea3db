#pragma once
// Virtual displays: camera views of a scene, each a display node whose render target is an
// SPW_VDISPLAY record. Every frame its callbacks take the camera's transform, set the driver's
// view state for the node's rectangle, clear, and open and close the driver's pass.
//
// View space: the eye at the origin looking down -z, y up, x right. mView takes world points
// into view space; mCamera is the camera's world transform (view space to world). The render
// state gets mCamera as its first matrix (the driver turns the view's clip planes into world
// space with it) and mView as its second. Main thread only.
#include <cstdint>

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/math/vecmath.h"

struct SPW_SCENE;
struct SPW_DOBJECT;

// Field order is shared with the driver, which reads the scene and fInvDepth; the record's data
// reference carries the size SPW_VDISPLAY_RECORD_SIZE, by which the driver recognises it.
struct SPW_VDISPLAY {
  SPW_SCENE* pScene;
  int32_t nValue[2];  // the caller's, kept for the view's users
  float fFar;
  float fNear;
  float fInvNear;
  float fInvDepth;  // 1 / (far - near); 1.0 when far is not beyond near
  SPW_MATRIX mView;
  SPW_MATRIX mCamera;
  float fFovX, fFovY;          // radians
  float fTanHalfX, fTanHalfY;  // tangents of the half angles
  SPW_DOBJECT* pCamera;        // none: the matrices stay as set
  int32_t nRenderValue[2];     // render state words 15 and 16
  int32_t nRenderValue19;      // render state word 19
  int32_t nLayer;              // display layer: the node key and the depth slice
};

// Callback keys on a virtual display's node.
constexpr uint32_t SPW_VDISPLAY_KEY_CAMERA = 100;
constexpr uint32_t SPW_VDISPLAY_KEY_VIEWSTATE = 200;
constexpr uint32_t SPW_VDISPLAY_KEY_CLEAR = 300;
constexpr uint32_t SPW_VDISPLAY_KEY_PRERENDER = 400;
constexpr uint32_t SPW_VDISPLAY_KEY_POSTRENDER = 600;

// Render state mask of the view state: words 1 to 8, both matrices, the planes, word 19, the
// colour, white constant colour at full alpha, and the fog colour of the record.
constexpr uint32_t SPW_VDISPLAY_STATE_MASK =
    SPPD_RS_VIEW_WORDS | SPPD_RS_CONST_RGB_WHITE | SPPD_RS_CONST_ALPHA_FULL;
// Clip planes of a view, in this order: near, far, left, right, top, bottom.
constexpr int32_t SPW_VDISPLAY_NUM_PLANES = 6;

// The node, or none when the display has no driver table, the layer is unknown, memory is
// short or the node cannot be made. rect and offset as for SPW_CreateDisplayNode; userData is
// the node's value (it needs shared data when not 0).
SPW_DISPLAYNODE* SPW_CreateVDisplay(SPW_DISPLAY* display, SPW_SCENE* scene, SPW_DOBJECT* camera,
                                    SPW_DISPLAYNODE* parent, int32_t layer, const SPW_RECT* rect,
                                    const SPW_POINT* offset, int32_t renderValue0,
                                    int32_t renderValue1, uint32_t nodeFlags,
                                    SGE_DATAREF* shared, float fNear, float fFar,
                                    int32_t userData, int32_t value0, int32_t value1, float fovX,
                                    float fovY, int32_t renderValue19);
// Releases the record (freed with its last reference) and destroys the node; 0.
int32_t SPW_DestroyVDisplay(SPW_DISPLAYNODE* node);
// The view state for the node's visible rectangle now: 1, or -1 when nothing of it is visible
// or it is not a virtual display.
int32_t SPW_UpdateVDisplay(SPW_DISPLAYNODE* node);
// The record behind a node, none unless its render target is a virtual display.
SPW_VDISPLAY* SPW_GetVDisplay(const SPW_DISPLAYNODE* node);

// The view state as written for a viewport (the planes point into the caller's arrays).
struct SPW_VIEWSTATE {
  SPPD_RENDERSTATE rs;
  float afNormals[SPW_VDISPLAY_NUM_PLANES][3];
  float afPoints[SPW_VDISPLAY_NUM_PLANES][3];
};
// Fills the state for the view through the viewport with the node's colour as fog. 1, or 0
// for an unknown layer.
int32_t SPW_BuildViewState(const SPW_VDISPLAY* view, const SPPD_VIEWPORT* vp, uint32_t colour,
                           SPW_VIEWSTATE* out);

// The camera's view: mCamera = its world transform, mView the inverse. 0 for no camera.
int32_t SPW_SetViewFromTransform(SPW_VDISPLAY* view, const SPW_MATRIX* cameraWorld);

// 2 atan(tan(fov / 2) x width / height); the field as given for a display without height.
float SPW_GetHorizontalFov(const SPW_DISPLAY* display, float fovY);
// Level of detail for the distance value x on the view, at most levels; 0 for no levels.
int32_t SPW_ChooseLOD(const SPW_DISPLAYNODE* view, float x, int32_t levels);
