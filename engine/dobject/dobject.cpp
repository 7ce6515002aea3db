// Creation, destruction and naming of dynamic objects.
#include "engine/dobject/dobject.h"

float SPW_TimeScale = 1.0f;

SPW_DOBJECT* SPW_CreateDynamicObject(SPW_SCENE*, int32_t, SPW_DOBJECT*, int32_t,
                                     const SPW_TRANSFORM*, uint32_t) { return nullptr; }
SPW_DOBJECT* SPW_CreateDynamicObjectEx(SPW_SCENE*, int32_t, SPW_DOBJECT*, int32_t,
                                       const SPW_TRANSFORM*, uint32_t, int32_t) { return nullptr; }
int32_t SPW_CreateDynamicObjectData(SPW_SCENE*, SPW_DOBJECT*, int32_t, SPW_DOBJECT*, int32_t,
                                    const SPW_TRANSFORM*, uint32_t) { return 0; }
int32_t SPW_DestroyDynamicObject(SPW_DOBJECT*) { return 0; }
int32_t SPW_FindAnimationByName(const SPW_DOBJECT*, const char*) { return 0; }
int32_t SPW_LookupAnimationByName(const SPW_DOBJECT*, const char*) { return -1; }
int32_t SPW_SetAnimationTime(SPW_DOBJECT*, int32_t, float) { return 0; }
int32_t SPW_SetAnimationTimeFrames(SPW_DOBJECT*, int32_t, float) { return 0; }
int32_t SPW_SetAnimationSpeed(SPW_DOBJECT*, int32_t, float) { return 0; }
int32_t SPW_SetAnimationFlags(SPW_DOBJECT*, int32_t, uint32_t) { return 0; }
int32_t SPW_ClearAnimationFlags(SPW_DOBJECT*, int32_t, uint32_t) { return 0; }
int32_t SPW_SetNodeAnimation(SPW_DOBJECT*, SPW_NODEINST*, int32_t, int32_t, SPW_NODEPROC,
                             uint32_t) { return 0; }
int32_t SPW_SetAllNodesAnimation(SPW_DOBJECT*, int32_t, int32_t, SPW_NODEPROC, uint32_t) {
  return 0;
}
int32_t SPW_PlayAnimation(SPW_DOBJECT*, int32_t, int32_t, SPW_NODEPROC, uint32_t, uint32_t,
                          float) { return 0; }
SPW_NODESELECTION* SPW_SelectNodes(SPW_DOBJECT*, uint32_t, const char* const*) { return nullptr; }
int32_t SPW_SetNodeListAnimation(SPW_DOBJECT*, SPW_NODESELECTION*, int32_t, int32_t,
                                 SPW_NODEPROC, uint32_t) { return 0; }
void SPW_FreeNodeSelection(SPW_NODESELECTION*) {}
int32_t SPW_FindNodeByName(const SPW_DOBJECT*, const char*) { return -1; }
int32_t SPW_AddAnimBreakpoint(SPW_DOBJECT*, float, uint32_t, int32_t, SPW_EVENTFN,
                              const uint32_t*) { return 0; }
int32_t SPW_AddAnimBreakpointFrames(SPW_DOBJECT*, float, uint32_t, int32_t, SPW_EVENTFN,
                                    const uint32_t*) { return 0; }
int32_t SPW_AddAnimEndBreakpoint(SPW_DOBJECT*, uint32_t, int32_t, SPW_EVENTFN, const uint32_t*) {
  return 0;
}
void SPW_ClearAnimBreakpoints(SPW_DOBJECT*, int32_t) {}
void SPW_ClearAllAnimBreakpoints(SPW_DOBJECT*) {}
int32_t SPW_AttachObjectName(SPW_DOBJECT*, SPW_DOBJECT*, int32_t, int32_t, const char*,
                             const char*) { return 0; }
int32_t SPW_DetachObject(SPW_DOBJECT*) { return 0; }
int32_t SPW_FindNamedNode(SPW_DOBJECT*, const char*, SPW_DOBJECT**, int32_t*) { return 0; }
int32_t SPW_FindNamedNodeEx(SPW_DOBJECT*, const char*, SPW_DOBJECT**, int32_t*, SPW_FINDNODEFN,
                            void*) { return 0; }
int32_t SPW_GetNodeWorldTransform(SPW_DOBJECT*, int32_t, SPW_MATRIX*, float*) { return 0; }
int32_t SPW_GetNamedNodeTransform(SPW_DOBJECT*, const char*, SPW_MATRIX*, float*) { return 0; }
void SPW_SetObjectName(SPW_DOBJECT*, const char*) {}
SPW_DOBJECT* SPW_FindObjectByName(SPW_SCENE*, const char*) { return nullptr; }
void SPW_AnimateObjects(SPW_DOBJECT*) {}
int32_t SPW_DefaultNodeProc(SPW_DOBJECT*, SPW_NODEINST*, const SPW_TRANSFORM*,
                            const SPW_TRANSFORM*) { return 0; }
SPW_MATRIX* SPW_TransformToMatrix(const SPW_TRANSFORM*, SPW_MATRIX* out) { return out; }
SPW_MATRIX* SPW_CameraMatrix(const SPW_TRANSFORM*, SPW_MATRIX* out) { return out; }
