#pragma once
// Formation nodes: the marker objects that show for half a second where the units of a group
// order are going, one kind where a unit gets there and another where the path network stops
// it short. The unit manager runs this service on SGM_TASK_TIMER, SGM_UNITMAN_SHOW_FORMATION,
// SGM_UNITMAN_MOVE_GROUP, SGM_UNITMAN_BOUNCE_GROUP and SGM_UNITMAN_PLACE_FORMATION; the rank
// programs share its node list.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "world/unitman/unitman.h"

struct SPW_DOBJECT;

// The marker files, in the order of VNUNITMAN::apFormationTypes: two pairs (reached, stopped).
constexpr int32_t VNFORMNODE_REACHED = 0;
constexpr int32_t VNFORMNODE_STOPPED = 1;
constexpr int32_t VNFORMNODE_FIRST_PAIR = 0;
constexpr int32_t VNFORMNODE_SECOND_PAIR = 2;
inline constexpr const char* VNFORMNODE_MARKER_FILES[VNUNITMAN_FORMATION_MARKERS] = {
    "Export/Pows/FormationGO.POW", "Export/Pows/FormationNO.POW", "Export/Pows/DNYFormationGO.POW",
    "Export/Pows/DNYFormationNO.POW"};

// Node timer kinds: 1 after a formation or rank order, 2 after a group move; any other kind
// leaves no timer.
constexpr int32_t VNFORMNODE_TIMER_NONE = 0;
constexpr int32_t VNFORMNODE_TIMER_FORMATION = 1;
constexpr int32_t VNFORMNODE_TIMER_GROUP = 2;
constexpr uint32_t VNFORMNODE_TIMER_MS = 500;

// A node of the manager's node list: its marker object.
struct VNFORMNODE {
  SGE_DLLNODE link;
  SPW_DOBJECT* pObject;
};

// What SGM_UNITMAN_SHOW_FORMATION and SGM_UNITMAN_PLACE_FORMATION carry in p2 (p1 is the formation
// name): the group key (the leader's unit id, else the highest rank leads), the point and the
// facing of the formation.
struct VNFORMNODE_ORDER {
  int32_t nKey;
  SPW_VECTOR vPoint;
  SPW_VECTOR vDir;
};

// Loads the four marker types at scale 1.0 into the manager; the number loaded. A type that
// fails to load stays null and its markers are not shown.
int32_t vnFORMNODE_LoadMarkerTypes(VNUNITMAN* ctx);

// Stops a running node timer (first clearing the nodes when `clear` is set); kinds 1 and 2
// start a new repeating 500 ms timer for the task.
void vnFORMNODE_SetTimer(VNUNITMAN* ctx, SGE_TASK* task, int32_t kind, int32_t clear);
// SGM_TASK_TIMER (6): when the timer is the node timer, clears the nodes, stops it and ends the
// rank's pending trail. 1 when it was the node timer, else 0.
int32_t vnFORMNODE_OnTimer(VNUNITMAN* ctx, SGE_TASK* task, SGE_TIMER* timer);
// Destroys every node's marker and frees the node.
void vnFORMNODE_Clear(VNUNITMAN* ctx, SGE_TASK* task);
// The manager's destruction: stops the timer and clears the nodes.
void vnFORMNODE_Reset(VNUNITMAN* ctx, SGE_TASK* task);

// SGM_UNITMAN_PLACE_FORMATION (307): puts the selected units in the named formation at once, the
// leader at the point. 1 when a group was placed, 0 for an unknown name or no selected unit.
int32_t vnFORMNODE_PlaceFormation(VNUNITMAN* ctx, SGE_TASK* task, const char* name, int32_t key,
                                  const SPW_VECTOR* point, const SPW_VECTOR* direction);
// SGM_UNITMAN_SHOW_FORMATION (302): sends the selected units to their slots of the named formation
// around the leader and shows the nodes. 1 or 0 as above.
int32_t vnFORMNODE_ShowFormation(VNUNITMAN* ctx, SGE_TASK* task, const char* name, int32_t key,
                                 const SPW_VECTOR* point, const SPW_VECTOR* direction);
// Messages 304 (msg 614) and 305 (msg 622): p1 the target point, p2 the reference unit. Moves
// the selected units keeping their spacing and shows the nodes; 1, or 0 with none selected.
int32_t vnFORMNODE_MoveGroup(VNUNITMAN* ctx, SGE_TASK* task, const SPW_VECTOR* point,
                             const VNUNIT* reference, int32_t msg);

// Shared with the rank programs: a node with a new marker of the given type slot at the
// transform, linked into the manager's list; null when the node or the marker cannot be made.
VNFORMNODE* vnFORMNODE_Create(VNUNITMAN* ctx, int32_t markerType, const SPW_TRANSFORM* t);
// The object type slot of marker `which` (0-3), or -1 when it is not loaded.
int32_t vnFORMNODE_MarkerSlot(const VNUNITMAN* ctx, int32_t which);
// Destroys the node's marker and frees the node (unlinked first when linked).
void vnFORMNODE_Free(VNFORMNODE* node);
// The highest link type the unit's paths may use (SGM_MOVER_GET_LINK_TYPE to its mover), the
// sweeps' allowed gate type; 0 without a mover.
uint32_t vnFORMNODE_UnitLinkType(const VNUNIT* unit);
// The shortest turn from one direction onto another (neither need be unit length); opposite
// directions give a half turn about z, a zero direction no turn.
SPW_QUAT* vnFORMNODE_TurnBetween(const SPW_VECTOR* from, const SPW_VECTOR* to, SPW_QUAT* out);
