// The effect class table.
#include "effects/effectclass.h"

#include "engine/kernel/tasktypes.h"
#include "engine/sprite/sprite.h"
#include "missions/control/effecttexture.h"
#include "platform/trace.h"

namespace {

// Keys of the sets.
enum SETKEY : uint32_t {
  kSet666 = 0x666, kSet667 = 0x667, kSet668 = 0x668, kSet669 = 0x669, kSet670 = 0x670, kSet800 = 0x800
};

struct CLASSDEF {
  const char* pszTexture;
  uint32_t dwSet;
  SPW_UV start, end, step, size;
  float fFrames;
};

constexpr float k64 = 1.0f / 64.0f;
constexpr float k256 = 1.0f / 256.0f;
constexpr float k31_128 = 31.0f / 128.0f;

// The texture's folder and extension are part of each name.
constexpr CLASSDEF kClasses[VNEFFECT_CLASSES] = {
    {"sprites/effects/BUGblood1.ppm", kSet666, {k64, k64}, {1, 1}, {9 * k64, 9 * k64}, {9 * k64, 9 * k64}, 10},
    {"sprites/effects/BUGblood1.ppm", kSet666, {k64, 19 * k64}, {1, 1}, {9 * k64, 9 * k64}, {9 * k64, 9 * k64}, 10},
    {"sprites/effects/BUGblood1.ppm", kSet666, {k64, 37 * k64}, {1, 1}, {9 * k64, 9 * k64}, {9 * k64, 9 * k64}, 10},
    {"sprites/effects/bloodGroundSplatB.ppm", kSet666, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 4},
    {"sprites/effects/bloodGroundSplat.ppm", kSet666, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 4},
    {"sprites/effects/bloodGroundSplatO.ppm", kSet666, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 4},
    {"sprites/effects/AlphaSmoke2.ppm", kSet666, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 16},
    {"sprites/effects/fx_01.ppm", kSet669, {0.5f, 0.5f}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 16},
    {"sprites/effects/smoke2.ppm", kSet668, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 15},
    {"sprites/effects/smoke.ppm", kSet666, {0, 0}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, 1},
    {"sprites/effects/smoky.ppm", kSet669, {0, 0}, {1, 1}, {0.25f, 0.1875f}, {0.25f, 0.1875f}, 16},
    {"sprites/effects/smoke.ppm", kSet666, {0, 0}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, 16},
    {"sprites/effects/smoke.ppm", kSet666, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 4},
    {"sprites/effects/Dust.ppm", kSet666, {0, 0}, {1, 1}, {1, 1}, {1, 1}, 1},
    {"sprites/effects/Dust.ppm", kSet666, {0, 0}, {1, 1}, {1, 1}, {1, 1}, 16},
    {"sprites/effects/TankerFlame.ppm", kSet666, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 16},
    {"sprites/effects/spotfire_nofade.ppm", kSet670, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 15},
    {"sprites/effects/plasmathrower.ppm", kSet666, {0, 0}, {1, 1}, {0.25f, 32.0f / 129.0f}, {0.25f, 32.0f / 129.0f}, 16},
    {"sprites/effects/fx_01.ppm", kSet666, {0.5f, 0.5f}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 2},
    {"sprites/effects/fx_01.ppm", kSet668, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 2},
    {"sprites/effects/fx_01.ppm", kSet668, {0, 0.5f}, {0.5f, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 2},
    {"sprites/effects/TeleGlow.ppm", kSet670, {0, 0}, {1, 1}, {1, 1}, {1, 1}, 15},
    {"sprites/effects/laserhits02.ppm", kSet667, {0, 0.5625f}, {0.8671875f, 1}, {37 * k256, 37 * k256}, {37 * k256, 37 * k256}, 16},
    {"sprites/effects/laserhits02.ppm", kSet668, {0, 0}, {0.9375f, 1}, {0.1875f, 0.1875f}, {0.1875f, 0.1875f}, 15},
    {"sprites/effects/laserhits02.ppm", kSet667, {0, 0.5625f}, {0.8671875f, 1}, {37 * k256, 37 * k256}, {37 * k256, 37 * k256}, 5},
    {"sprites/effects/Cons_lightningDest.ppm", kSet666, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 4},
    {"sprites/effects/globule_impact.ppm", kSet666, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 7},
    {"sprites/effects/mistmiss.ppm", kSet668, {0, 0}, {1, 1}, {0.5f, 0.5f}, {0.5f, 0.5f}, 4},
    {"sprites/effects/lemon64.ppm", kSet669, {0.5f, 0.25f}, {0.75f, 0.5f}, {0, 0}, {0.25f, 0.25f}, 1},
    {"sprites/effects/plasma_trail.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 15},
    {"sprites/effects/bugplasma.ppm", kSet800, {0, 0}, {1, 1}, {1.0f / 3.0f, 0.2f}, {1.0f / 3.0f, 0.2f}, 16},
    {"sprites/effects/plasmaair.ppm", kSet800, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 16},
    {"sprites/effects/globule.ppm", kSet666, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 16},
    {"sprites/effects/mushstart.ppm", kSet669, {k256, k256}, {1, 1}, {0.25f, 0.25f}, {k31_128, k31_128}, 16},
    {"sprites/effects/AirExplode.ppm", kSet666, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 16},
    {"sprites/effects/airexplode2.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {0.25f, 0.25f}, 15},
    {"sprites/effects/airexplode3.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {k31_128, k31_128}, 16},
    {"sprites/effects/airexplode4.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {k31_128, k31_128}, 16},
    {"sprites/effects/airexplode5.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {k31_128, k31_128}, 16},
    {"sprites/effects/airexplode6.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {k31_128, k31_128}, 16},
    {"sprites/effects/airexplode7.ppm", kSet667, {0, 0}, {1, 1}, {0.25f, 0.25f}, {k31_128, k31_128}, 16},
    {"sprites/effects/Rain.ppm", kSet666, {0, 0}, {1, 1}, {1, 1}, {1, 1}, 1},
    {"sprites/effects/LENSGlow.ppm", kSet666, {0, 0}, {1, 1}, {1, 1}, {1, 1}, 1},
};

// The live table. It goes with its task: an effect that asks after the mission gets nothing
// rather than a set that was freed.
VNEFFECT_TABLE* g_table = nullptr;

void Create(VNEFFECT_TABLE* self) {
  PLAT_Trace("[SPRITEDEFS] Creating all sprite references.\n");
  for (int32_t i = 0; i < VNEFFECT_CLASSES; ++i) {
    const CLASSDEF& c = kClasses[i];
    self->afFrames[i] = c.fFrames;
    self->apClasses[i] = SPW_CreateSpriteSet(vnMISSCONT_GetEffectTextureID(c.pszTexture), c.dwSet,
                                             &c.start, &c.end, &c.step, &c.size, c.fFrames);
  }
  g_table = self;
}

void Destroy(VNEFFECT_TABLE* self) {
  for (int32_t i = 0; i < VNEFFECT_CLASSES; ++i) {
    if (self->apClasses[i]) SPW_DestroySpriteSet(kClasses[i].dwSet);
    self->apClasses[i] = nullptr;
  }
  if (g_table == self) g_table = nullptr;
  PLAT_Trace("[SPRITEDEFS] All sprite references deleted\n");
}

bool Valid(int32_t index) { return g_table && index >= 0 && index < VNEFFECT_CLASSES; }

}  // namespace

SGE_RESULT vnSPRITEDEFS_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                SGE_PARAM p2) {
  if (VNEFFECT_TABLE* self = SGE_TaskData<VNEFFECT_TABLE>(task)) {
    if (msg == SGM_TASK_CREATE) Create(self);
    if (msg == SGM_TASK_DESTROY) Destroy(self);
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t vnSPRITEDEFS_Register() {
  return SGE_RegisterTaskType(VNTT_SPRITEDEFS, vnSPRITEDEFS_Handler, SGE_TTF_ALLOC_DATA,
                              static_cast<int32_t>(sizeof(VNEFFECT_TABLE)), "SPRITEDEFS");
}

SPW_SPRITESET* vnEFFECT_GetClass(int32_t index) { return Valid(index) ? g_table->apClasses[index] : nullptr; }

float vnEFFECT_GetClassValue(int32_t index) { return Valid(index) ? g_table->afFrames[index] : 0.0f; }
