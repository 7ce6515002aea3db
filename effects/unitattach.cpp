// Releasing what hangs on a unit's scene object.
#include "effects/unitattach.h"

#include "world/shadow/shadow.h"

void vnUnit_ReleaseAttachment(SPW_DOBJECT* object) {
  if (VNSHADOW* shadow = vnShadow_Find(object)) vnShadow_Remove(shadow);
}
