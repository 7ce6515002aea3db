// The platoon manager's attribute rows.
#include "frontend/platman.h"

// The platoon manager reads the same file with the same line format as the unit manager, so it
// shares the rows the mission read rather than keeping a second copy of them.
const VNUNIT_ATTR* vnPLATMAN_GetAttributes() { return vnUNITATTR_LoadedRow(0); }
