// The infantry's frame: the soldier's update, the medic's next patient and the treatment glow
// at the hand.
#include "engine/dobject/dobject.h"
#include "terran/behave.h"
#include "terran/infantry_internal.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"

namespace {

// The right hand's locator, where the glow shows.
constexpr int32_t kHandNode = 12;

void PlaceGlow(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  SPW_MATRIX m{};
  float scale = 1.0f;
  if (s->model && SPW_GetNodeWorldTransform(s->model, kHandNode, &m, &scale))
    self->treatmentGlow.glowPosition = {m.m[3][0], m.m[3][1], m.m[3][2]};
  else
    self->treatmentGlow.glowPosition = s->unit->vPos;
}

// The glow runs while the soldier treats someone and finishes its puffs after.
void TreatmentStep(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  VNFX_JET* glow = &self->treatmentGlow;
  if (s->treating == 1) {
    if (self->treatmentGlowRunning && vnFX_JetIsIdle(glow)) self->treatmentGlowRunning = 0;
    if (!self->treatmentGlowRunning) {
      const VNORDER* order = vnORDER_Current(s->unit);
      const int32_t target = order ? order->anWord[VNTERUNIT_ORDER_WORD_TARGET] : 0;
      self->treatmentGlowRunning = vnFX_JetStart(glow, s->unit->dwId, target);
    }
  } else if (self->treatmentGlowRunning) {
    vnFX_JetStop(glow);
    if (vnFX_JetIsIdle(glow)) {
      self->treatmentGlowRunning = 0;
      return;
    }
  } else {
    return;
  }
  PlaceGlow(self);
  vnFX_JetUpdate(glow);
}

}  // namespace

void vnINFANTRY_Frame(VNINFANTRY* self, SGE_TASK* task, SGE_PARAM p1, SGE_PARAM p2) {
  VNTERUNIT* s = &self->soldier;
  if (!vnTERUNIT_IsDying(s)) {
    if (s->scripted) {
      vnTERUNIT_ScriptedUpdate(p1, vnUNITMAN_GetHumanPlayer(), task, s);
    } else {
      (self->frame ? self->frame : vnTERUNIT_Update)(p1, p2, task, s);
      vnTERUNIT_SendIfIdle(s, SGM_INFANTRY_HEAL);
    }
  }
  TreatmentStep(self);
  if (s->lowerState == VN_TERUNIT_LOWER_DEAD) vnTERUNIT_DeadBodyStep(task, s->model, s);
}
