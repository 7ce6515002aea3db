// A unit's object list: the scene objects its controller made, each held by one of the
// manager's link nodes, so that the controller's destruction can find and end them all.
#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

int32_t vnUNIT_AddObject(VNUNIT* unit, SPW_DOBJECT* object) {
  if (!unit || !object) return 0;
  VNUNIT_LINKNODE* node = vnUNITMAN_TakeLinkNode(vnUNITMAN_Get());
  if (!node) return 0;
  node->pData = object;
  SGE_ListAddTail(&unit->list, &node->link);
  return 1;
}

SPW_DOBJECT* vnUNIT_FirstObject(const VNUNIT* unit) {
  const VNUNIT_LINKNODE* first = unit ? SGE_ListFirstRecord<VNUNIT_LINKNODE>(&unit->list) : nullptr;
  return first ? static_cast<SPW_DOBJECT*>(first->pData) : nullptr;
}

void vnUNIT_DestroyObjects(VNUNIT* unit) {
  if (!unit) return;
  VNUNITMAN* manager = vnUNITMAN_Get();
  // Each node leaves the list before its object goes, so the walk never meets a freed one.
  while (auto* node = SGE_ListRecord<VNUNIT_LINKNODE>(SGE_ListPopHead(&unit->list))) {
    auto* object = static_cast<SPW_DOBJECT*>(node->pData);
    node->pData = nullptr;
    vnUNITMAN_ReturnLinkNode(manager, node);
    SPW_DestroyDynamicObject(object);
  }
}

SPW_DOBJECT* vnUNIT_CreateObject(VNUNIT* unit, const char* file, float scale,
                                 const SPW_TRANSFORM* at) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (!unit || !file || !at || !scene || !SPW_LoadObject(file, nullptr, &slot, scale)) return nullptr;
  SPW_DOBJECT* object = SPW_CreateDynamicObject(scene, slot, nullptr, 0, at, 0);
  if (object && !vnUNIT_AddObject(unit, object)) {
    SPW_DestroyDynamicObject(object);
    object = nullptr;
  }
  return object;
}

namespace {

void MarkBody(VNUNIT* unit, uint32_t bit, int32_t clear) {
  VNMOVER_RECORD* body = unit ? unit->pMove : nullptr;
  if (!body) return;
  if (clear)
    body->dwFlags &= ~bit;
  else
    body->dwFlags |= bit;
}

}  // namespace

void vnUNIT_SetObjectFlag08(VNUNIT* unit, int32_t clear) { MarkBody(unit, VNMOVER_F_LIFTED, clear); }

void vnUNIT_SetObjectFlag10(VNUNIT* unit, int32_t clear) {
  MarkBody(unit, VNMOVER_F_WITHDRAWN, clear);
}
