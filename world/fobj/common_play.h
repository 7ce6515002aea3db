#pragma once
// What the feature objects in play (doors, pop-up targets, the transport, the twin guns) share:
// their models' transforms and visibility, animations played by name, their controllers found
// from a unit id, and their reports to the mission.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitman.h"

struct SPW_DOBJECT;
struct VNMARKER;

// The answer function of a class in play: SGM_TASK_CREATE makes the instance with Create; until it
// has a unit it answers nothing else; every other message goes to Answer.
template <typename T, void (*Create)(T*, VNUNIT*, const VNUNIT_CREATE*),
          SGE_RESULT (*Answer)(T*, SGE_TASK*, int32_t, SGE_PARAM, SGE_PARAM)>
SGE_RESULT vnFOBJPLAY_Answer(T* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) {
    Create(self, SGE_ParamPtr<VNUNIT>(p1), SGE_ParamPtr<const VNUNIT_CREATE>(p2));
    return 1;
  }
  return self->pUnit ? Answer(self, task, msg, p1, p2) : 0;
}

// The rotation about z that turns +y onto the ground direction (none for a zero direction).
SPW_QUAT vnFOBJPLAY_Facing(const SPW_VECTOR& dir);
// The direction the rotation turns +y onto.
SPW_VECTOR vnFOBJPLAY_Forward(const SPW_QUAT& rot);

void vnFOBJPLAY_Show(SPW_DOBJECT* object, bool shown);
bool vnFOBJPLAY_Shown(const SPW_DOBJECT* object);
// Plays the animation on all nodes from the time (1/30-second frames) at the speed, once or
// looping; 0 for no object or no such animation.
int32_t vnFOBJPLAY_Play(SPW_DOBJECT* object, int32_t anim, float frames, float speed, bool once);
// Puts the object in the animation's last pose, standing still.
int32_t vnFOBJPLAY_EndPose(SPW_DOBJECT* object, int32_t anim);
// The animation's length in ticks, 0 for none.
float vnFOBJPLAY_Length(const SPW_DOBJECT* object, int32_t anim);

// The instance of the controller of the unit when it is a task of the class, else null.
void* vnFOBJPLAY_Controller(uint32_t unitId, int32_t classId);

// Tells the running mission script that the door or target was destroyed (574).
void vnFOBJPLAY_ReportDestroyed(const VNUNIT* unit, SGE_PARAM p2);
// Writes the vector where p1 points; 0 for no place.
int32_t vnFOBJPLAY_WriteVector(SGE_PARAM out, const SPW_VECTOR& v);
// SGM_UNIT_SEQUENCE_TRANSFORM (3093): the kept transform takes the sequence's position and rotation
// (p1), and the unit moves there.
void vnFOBJPLAY_SequenceTransform(VNUNIT* unit, SPW_TRANSFORM* kept, SGE_PARAM transform);
// Shows a hidden status bar (its timer restarting) or hides a shown one.
void vnFOBJPLAY_ToggleBar(VNMARKER* bar, float* timer);
// Plays the sound effect at the point.
void vnFOBJPLAY_Sound(int32_t effect, const SPW_VECTOR& at);
