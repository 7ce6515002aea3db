// A unit's object list: the scene objects its controller made, each held by one of the
// manager's link nodes, so that the controller's destruction can find and end them all.
#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "world/unitman/unitman.h"

namespace {

VNUNIT_LINKNODE* AsNode(SGE_DLLNODE* n) { return reinterpret_cast<VNUNIT_LINKNODE*>(n); }

}  // namespace

int32_t vnUNIT_AddObject(VNUNIT* unit, SPW_DOBJECT* object) {
  if (!unit || !object) return 0;
  VNUNIT_LINKNODE* node = vnUNITMAN_TakeLinkNode(vnUNITMAN_Get());
  if (!node) return 0;
  node->pData = object;
  SGE_ListAddTail(&unit->list, &node->link);
  return 1;
}

SPW_DOBJECT* vnUNIT_FirstObject(const VNUNIT* unit) {
  SGE_DLLNODE* first = unit ? SGE_ListFirst(&unit->list) : nullptr;
  return first ? static_cast<SPW_DOBJECT*>(AsNode(first)->pData) : nullptr;
}

void vnUNIT_DestroyObjects(VNUNIT* unit) {
  if (!unit) return;
  VNUNITMAN* manager = vnUNITMAN_Get();
  // Each node leaves the list before its object goes, so the walk never meets a freed one.
  while (SGE_DLLNODE* n = SGE_ListPopHead(&unit->list)) {
    auto* object = static_cast<SPW_DOBJECT*>(AsNode(n)->pData);
    AsNode(n)->pData = nullptr;
    vnUNITMAN_ReturnLinkNode(manager, AsNode(n));
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
