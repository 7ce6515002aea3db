// Frame-animated objects: their animation time, their place in the scene and their removal.
#include <cstring>

#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/packed/packed.h"
#include "engine/scenepass/scenepass.h"
#include "platform/trace.h"

namespace {

const SPW_ANIMATION* ClassAnimation(int32_t classSlot, int32_t anim) {
  const SPW_DOBJTYPE* type = SPW_GetObjectType(classSlot);
  if (!type || !type->pAnims || anim < 0 || static_cast<uint32_t>(anim) >= type->dwNumAnims)
    return nullptr;
  return &type->pAnims[anim];
}

float KeyTime(const SPW_DOBJTYPE* type, const SPW_ANIMCHANNEL& channel, uint32_t k) {
  if (!type->pPacked) return channel.pPowKeys[k].fTime;
  uint32_t count = 0;
  const SPW_ROTATIONENTRY* table = SPW_GetRotationTable(&count);
  uint32_t r = SPW_PackedKeyRotation(channel.pPackedKeys[k]);
  return (table && r < count) ? table[r].fTime : 0.0f;
}

// Each node's cursor on the last key at or before the time.
void MoveKeyCursors(SPW_ANIMOBJECT* object, float ticks) {
  const SPW_DOBJTYPE* type = SPW_GetObjectType(object->nClass);
  const SPW_ANIMATION* anim = ClassAnimation(object->nClass, object->nAnim);
  if (!object->pKeyCursors || !type || !anim || !anim->pChannels) return;
  for (uint32_t n = 0; n < type->dwNumNodes; ++n) {
    const SPW_ANIMCHANNEL& channel = anim->pChannels[n];
    uint32_t cursor = 0;
    if (channel.pKeys)
      while (cursor + 1 < channel.dwNumKeys && KeyTime(type, channel, cursor + 1) <= ticks) ++cursor;
    object->pKeyCursors[n] = cursor;
  }
}

bool LinkedAtTop(const SPW_ANIMOBJECT* object) {
  const SGE_DLLNODE* l = &object->link.link;
  return !object->pParent && l->pNext && l->pNext != l;
}

// The parent's placement as a matrix: its angles, then its world position.
void ParentMatrix(const SPW_ANIMOBJECT* parent, SPW_MATRIX* out) {
  SPW_QUAT q;
  SPW_QuatFromEuler(&parent->vAngles, &q);
  SPW_QuatToMatrix(out, &q);
  out->m[3][0] = parent->vWorldPos.x;
  out->m[3][1] = parent->vWorldPos.y;
  out->m[3][2] = parent->vWorldPos.z;
}

// Pending events whose user data is the object go with it.
void DropEventsOf(SPW_SCENE* scene, const SPW_ANIMOBJECT* object) {
  if (!scene) return;
  for (SPW_BREAKPOINT* event : SGE_ListRecords<SPW_BREAKPOINT>(&scene->events))
    if (event->pUser == object) SGE_ListRemove(&event->link);
}

void FreeBreakpoints(SPW_ANIMOBJECT* object) {
  if (!object->pBreakpoints) return;
  const SPW_DOBJTYPE* type = SPW_GetObjectType(object->nClass);
  uint32_t lists = type ? type->dwNumAnims : 0;
  for (uint32_t a = 0; a < lists; ++a) SGE_ListFreeAll(&object->pBreakpoints[a]);
  SGE_MemFree(object->pBreakpoints);
  object->pBreakpoints = nullptr;
  object->pCurrentBreakpoint = nullptr;
}

}  // namespace

uint32_t SPW_GetClassAnimFrames(int32_t classSlot, int32_t anim) {
  const SPW_ANIMATION* a = ClassAnimation(classSlot, anim);
  return a ? static_cast<uint32_t>(static_cast<float>(a->dwLength) / SPW_TICKS_PER_FRAME) : 0;
}

int32_t SPW_SetObjectTime(SPW_ANIMOBJECT* object, float frame) {
  if (!object || (object->fFlags & SPW_AOBJ_FRAME_LOCKED)) return 0;
  const float length = static_cast<float>(SPW_GetClassAnimFrames(object->nClass, object->nAnim));
  if (frame == object->fFrame || frame < 0.0f || !(frame < length)) return 0;
  SPW_StoreObjectTime(object, frame);
  return 1;
}

void SPW_StoreObjectTime(SPW_ANIMOBJECT* object, float frame) {
  object->fFrame = frame;
  MoveKeyCursors(object, frame * SPW_TICKS_PER_FRAME);
}

int32_t SPW_PlaceObjectInScene(SPW_SCENE* scene, SPW_ANIMOBJECT* object) {
  if (!object) return 0;
  object->bNeedsPlacement = 0;
  if (object->pParent) {
    SPW_MATRIX m;
    ParentMatrix(object->pParent, &m);
    SPW_MatTransformPoint(&m, &object->vPos, &object->vWorldPos);
  } else {
    object->vWorldPos = object->vPos;
  }
  if (scene && LinkedAtTop(object)) {
    SGE_ListUnlink(&object->link.link);
    if (object->nClass == SPW_DLIGHT_TYPE)
      SGE_ListAddHead(&scene->objects, &object->link.link);
    else
      SGE_ListAddTail(&scene->objects, &object->link.link);
  }
  return 1;
}

int32_t SPW_DestroyAnimObject(SPW_ANIMOBJECT* object) {
  if (!object) return 0;
  if (object->pAttachment) {
    SGE_ListRemove(object->pAttachment);
    object->pAttachment = nullptr;
  }
  SGE_ListUnlink(&object->link.link);
  SPW_SCENE* scene = object->pScene;
  if (scene && scene->dwCreated) --scene->dwCreated;
  if (object->pKeyCursors) SGE_MemFree(object->pKeyCursors);
  object->pKeyCursors = nullptr;
  FreeBreakpoints(object);
  DropEventsOf(scene, object);
  while (SPW_ANIMOBJECT* child = SGE_ListFirstRecord<SPW_ANIMOBJECT>(&object->children))
    SPW_DestroyAnimObject(child);
  SGE_TASK* owner = object->pOwner;
  const int32_t classSlot = object->nClass;
  SGE_MemFree(object);
  // The owner learns of it after the record is gone: it must not touch the object.
  if (owner) SGE_SendMessage(owner, nullptr, SGM_SPW_ANIMOBJECT_DESTROYED,
                             SGE_PtrParam(object), 0);
  if (SPW_DOBJTYPE* type = SPW_GetObjectType(classSlot); type && type->dwNumInstances)
    --type->dwNumInstances;
  return 1;
}
