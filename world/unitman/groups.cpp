// Keyed unit groups: up to VNUNIT_GROUP_MAX units under a key, newest group first.
#include <cstring>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"
#include "world/unitman/orders.h"

namespace {

VNUNIT_GROUP* FindGroup(VNUNITMAN* manager, int32_t key) {
  for (VNUNIT_GROUP* group : SGE_ListRecords<VNUNIT_GROUP>(&manager->groups)) {
    if (group->nKey == key) return group;
  }
  return nullptr;
}

}  // namespace

int32_t vnUNITMAN_GroupAddUnit(VNUNITMAN* manager, VNUNIT* unit, int32_t key) {
  if (VNUNIT_GROUP* group = FindGroup(manager, key)) {
    if (group->nCount >= VNUNIT_GROUP_MAX) return 0;
    group->apMembers[group->nCount++] = unit;
    return 1;
  }
  auto* group = static_cast<VNUNIT_GROUP*>(SGE_MemCalloc(manager->pBlock, sizeof(VNUNIT_GROUP)));
  if (!group) {
    PLAT_Trace("vnUNITMAN_GroupAddUnit: no memory for group %d\n", key);
    return 0;
  }
  group->nKey = key;
  group->nCount = 1;
  group->apMembers[0] = unit;
  SGE_ListAddHead(&manager->groups, &group->link);
  return 1;
}

int32_t vnUNITMAN_GroupRemoveUnit(VNUNITMAN* manager, VNUNIT* unit, int32_t key) {
  VNUNIT_GROUP* group = FindGroup(manager, key);
  if (!group) return 0;
  for (int32_t i = 0; i < group->nCount; ++i) {
    if (group->apMembers[i] != unit) continue;
    std::memmove(&group->apMembers[i], &group->apMembers[i + 1],
                 sizeof(VNUNIT*) * static_cast<size_t>(group->nCount - i - 1));
    group->apMembers[--group->nCount] = nullptr;
    return 1;
  }
  return 0;
}

int32_t vnUNITMAN_GroupSend(VNUNITMAN* manager, int32_t key, int32_t msg, SGE_PARAM a,
                            SGE_PARAM b, const VNUNIT* excluded) {
  const VNUNIT_GROUP* group = FindGroup(manager, key);
  if (!group) return 0;
  // A member's controller may change the group while it handles the message: send to the
  // members as they were when the send began.
  VNUNIT* members[VNUNIT_GROUP_MAX];
  const int32_t count = group->nCount;
  std::memcpy(members, group->apMembers, sizeof(VNUNIT*) * static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (!members[i] || members[i] == excluded || !members[i]->pController) continue;
    SGE_Send(members[i]->pController, msg, a, b);
  }
  return 1;
}

void vnUNITMAN_FreeGroups(VNUNITMAN* manager) {
  while (SGE_DLLNODE* l = SGE_ListPopHead(&manager->groups)) SGE_MemFree(l);
}
