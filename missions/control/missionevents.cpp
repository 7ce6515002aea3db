// Mission events from the world to the mission controller.
#include "missions/control/missionevents.h"

#include "missions/control/misscont.h"

int32_t vnMISSCONT_RaiseEvent(int32_t event, SGE_PARAM p1, SGE_PARAM p2) {
  SGE_TASK* controller = vnMISSCONT_GetTask();
  return controller ? SGE_Send(controller, event, p1, p2) : 0;
}
