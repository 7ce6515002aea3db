// The retrieval boat manager task.
#include "world/retboat/retboat.h"

#include "engine/memory/memblock.h"
#include "missions/control/missiondef.h"
#include "missions/control/sequences.h"
#include "platform/trace.h"
#include "world/unitman/unitman.h"

namespace {

// Creatures carry the second immunity class; they are captured, not evacuated.
constexpr uint32_t kCapturable = VNUNIT_F_IMMUNE2;

template <typename Match>
VNRETBOAT_ENTRY* FindEntry(VNRETBOAT_MANAGER* m, Match match) {
  for (VNRETBOAT_ENTRY* entry : SGE_ListRecords<VNRETBOAT_ENTRY>(&m->entries))
    if (match(entry)) return entry;
  return nullptr;
}

// Loads the sequence and starts it for the unit, offset to the unit's position raised by height.
void Launch(VNRETBOAT_ENTRY* entry, const char* sequence, const VNUNIT* unit, int32_t height) {
  entry->pDef = vnSS_LoadDefinition(sequence);
  entry->pRunner = vnSS_Start(entry->pDef, unit->dwId, height);
  const SPW_VECTOR at = {unit->vPos.x, unit->vPos.y, unit->vPos.z + static_cast<float>(height)};
  vnSS_SetOffset(entry->pRunner, &at);
}

int32_t Ask(const VNUNIT* unit, int32_t msg) {
  return unit && unit->pController ? SGE_Send(unit->pController, msg, 0, 0) : 0;
}

// A captured creature leaves at once, lifted at the height its capturer names.
bool Capture(VNRETBOAT_ENTRY* entry, const VNUNIT* creature) {
  const int32_t capturer = Ask(creature, SGM_UNIT_GET_CAPTURER);
  if (!capturer) return false;
  const int32_t height =
      Ask(vnUNITMAN_GetUnit(static_cast<uint32_t>(capturer)), SGM_UNIT_GET_CAPTURE_HEIGHT);
  Launch(entry, VNRETBOAT_CAPTURE_SEQUENCE, creature, height);
  return true;
}

// An evacuation uses one boat of the allowance; the boat comes when the timer fires.
bool Evacuate(SGE_TASK* task, VNRETBOAT_MANAGER* m, VNRETBOAT_ENTRY* entry) {
  if (m->nAvailable < 1) return false;
  --m->nAvailable;
  entry->pTimer = SGE_AddTimer(task, VNRETBOAT_EVAC_DELAY_MS, nullptr, 0);
  return true;
}

VNRETBOAT_ENTRY* AddBoat(SGE_TASK* task, VNRETBOAT_MANAGER* m, uint32_t unitId) {
  const VNUNIT* unit = vnUNITMAN_GetUnit(unitId);
  if (!unit || FindEntry(m, [unitId](VNRETBOAT_ENTRY* e) { return e->dwUnitId == unitId; })) {
    return nullptr;
  }
  auto* entry = static_cast<VNRETBOAT_ENTRY*>(SGE_MemCalloc(SGE_GameMem, sizeof(VNRETBOAT_ENTRY)));
  if (!entry) {
    PLAT_Trace(
        "Fail to allocate memory for ret boat (RetBoatManager: SGM_RETBOAT_MANAGER_ADD_BOAT)\n");
    return nullptr;
  }
  entry->dwUnitId = unitId;
  const bool sent = (unit->dwFlags & kCapturable) ? Capture(entry, unit) : Evacuate(task, m, entry);
  if (!sent) {
    SGE_MemFree(entry);
    return nullptr;
  }
  SGE_ListAddTail(&m->entries, &entry->link);
  return entry;
}

// The evacuation boat of the timer's entry comes, unless its unit is gone meanwhile.
void BoatArrives(VNRETBOAT_MANAGER* m, SGE_TIMER* timer) {
  VNRETBOAT_ENTRY* entry = FindEntry(m, [timer](VNRETBOAT_ENTRY* e) { return e->pTimer == timer; });
  if (!entry) return;
  entry->pTimer = nullptr;  // the kernel ends a one-shot timer after this message
  if (const VNUNIT* unit = vnUNITMAN_GetUnit(entry->dwUnitId)) {
    Launch(entry, VNRETBOAT_EVAC_SEQUENCE, unit, 0);
  }
}

void Destroy(VNRETBOAT_MANAGER* m) {
  while (VNRETBOAT_ENTRY* entry = SGE_ListRecord<VNRETBOAT_ENTRY>(SGE_ListPopHead(&m->entries))) {
    if (entry->pTimer) SGE_KillTimer(entry->pTimer);
    SGE_MemFree(entry);
  }
}

SGE_RESULT RetBoatManager(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  auto* m = SGE_TaskData<VNRETBOAT_MANAGER>(task);
  switch (msg) {
    case SGM_TASK_CREATE:
      SGE_ListInit(&m->entries);
      m->nAvailable = vnMISSCONT_GetRetBoatAllowance();
      return 1;
    case SGM_TASK_DESTROY:
      Destroy(m);
      break;
    case SGM_TASK_TIMER:
      BoatArrives(m, SGE_ParamPtr<SGE_TIMER>(p1));
      return 1;
    case SGM_RETBOAT_MANAGER_ADD_BOAT:
      return AddBoat(task, m, static_cast<uint32_t>(p1)) ? 1 : 0;
    case SGM_RETBOAT_MANAGER_ADD_THREE:
      m->nAvailable += VNRETBOAT_RAISE;
      return 1;
    case SGM_RETBOAT_MANAGER_GET_AVAILABLE:
      return m->nAvailable;
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

}  // namespace

int32_t vnRETBOAT_Register() {
  return SGE_RegisterTaskType(VNTT_RETBOAT_MANAGER, RetBoatManager, SGE_TTF_ZERO_DATA,
                              sizeof(VNRETBOAT_MANAGER), "RetBoatManager");
}

int32_t vnRETBOAT_AddBoat(uint32_t unitId) {
  SGE_TASK* manager = vnMISSCONT_GetRetBoatManager();
  return manager && SGE_Send(manager, SGM_RETBOAT_MANAGER_ADD_BOAT, unitId, 0) ? 1 : 0;
}

int32_t vnRETBOAT_GetAvailableCount() {
  SGE_TASK* manager = vnMISSCONT_GetRetBoatManager();
  return manager ? SGE_Send(manager, SGM_RETBOAT_MANAGER_GET_AVAILABLE, 0, 0) : 0;
}

