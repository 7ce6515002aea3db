// Engine and game start and shutdown, the message loop, and the hand-over to Setup.
#include "shell/app.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "engine/collide/collide.h"
#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "engine/input/appstate.h"
#include "engine/input/koinput.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/program.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/packed/packed.h"
#include "engine/profiler/profiler.h"
#include "engine/scene/scene.h"
#include "engine/scenepass/scenepass.h"
#include "engine/sprite/sprite.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"
#include "platform/window/window.h"
#include "shell/discover.h"
#include "shell/frame.h"
#include "shell/locale.h"
#include "shell/options.h"
#include "shell/roottask.h"
#include "shell/sound/sound.h"
#include "shell/state.h"
#include "shell/util.h"

namespace {

constexpr const char kWindowTitle[] = "Vantoria";
constexpr const char kSetupProgram[] = "Setup.exe";

KOPROFILE_GROUP* g_profileGroups[2] = {};
PLAT_Library* g_driverModule = nullptr;

bool CreateProfileGroups() {
  static const char* const kSystemCounters[] = {"FSyncs", "Anim", "PDisplays", "DORender"};
  g_profileGroups[0] = KOPROFILE_CreateGroup(4, "System");
  if (!g_profileGroups[0]) return false;
  for (int32_t i = 0; i < 4; ++i) KOPROFILE_NameCounter(g_profileGroups[0], i, kSystemCounters[i]);
  SPW_SetDObjectProfiler(g_profileGroups[0], 3);  // "DORender"
  g_profileGroups[1] = KOPROFILE_CreateGroup(1, "DObject system");
  return g_profileGroups[1] != nullptr;
}

// Undoes the driver part of game start: the display, then the library.
void ReleaseDriver() {
  if (SPW_DISPLAY* display = vnMAIN_GetDisplay()) {
    SPW_DestroyDriverDisplay(display);
    vnMAIN_SetDisplay(nullptr);
  }
  if (g_driverModule) {
    vnMAIN_UnloadDriver(g_driverModule);
    g_driverModule = nullptr;
  }
}

// Game start failed after the window: give the program over to Setup.
int32_t FailToSetup() {
  ReleaseDriver();
  vnMAIN_RunSetup();
  vnMAIN_DestroyWindow();
  vnLOCALE_Free();
  return 0;
}

// The packed key and material tables; a missing one is traced and the game goes on without it.
void LoadPackedTables() {
  static const struct {
    const char* file;
    int32_t (*load)(const char*);
  } kTables[] = {{SPW_POSITION_TABLE_FILE, SPW_LoadPositionTable},
                 {SPW_ROTATION_TABLE_FILE, SPW_LoadRotationTable},
                 {SPW_MATERIALS_FILE, SPW_LoadMaterials}};
  for (const auto& t : kTables) {
    char path[260];
    std::snprintf(path, sizeof path, "EXPORT/Pows/%s", t.file);
    if (!t.load(path)) PLAT_Trace("VNMAIN: packed table %s not loaded\n", path);
  }
  uint32_t positions = 0, rotations = 0;
  SPW_GetPositionTable(&positions);
  SPW_GetRotationTable(&rotations);
  PLAT_Trace("VNMAIN: packed tables: %u positions, %u rotations, %u materials\n", positions,
             rotations, SPW_GetMaterialCount());
  if (!SPW_GetMaterialCount()) PLAT_Trace("VNMAIN: textures named by materials stay unresolved\n");
}

// The scene passes run in every unpaused frame, in this order; the time scale follows the frame.
void StartScenePasses() {
  SPW_InitScenePasses();
  SPW_InitSprites();
  // Scenes free their feature trees, and decals find their items, through the collision code.
  SPW_InstallCollideHooks();
  static const VNMAIN_WORLDPASS kPasses[VN_NUM_WORLD_PASSES] = {
      SPW_AnimatePass, SPW_UpdatePass, SPW_ProcedurePass, SPW_SpritePass, SPW_EventPass};
  for (int32_t i = 0; i < VN_NUM_WORLD_PASSES; ++i) vnMAIN_SetWorldPass(i, kPasses[i]);
  vnMAIN_SetTimeScaleFn(SPW_SetTimeScale);
}

void StopScenePasses() {
  for (int32_t i = 0; i < VN_NUM_WORLD_PASSES; ++i) vnMAIN_SetWorldPass(i, nullptr);
  vnMAIN_SetTimeScaleFn(nullptr);
}

}  // namespace

KOPROFILE_GROUP* vnMAIN_GetProfileGroup(int32_t index) {
  return (index >= 0 && index < 2) ? g_profileGroups[index] : nullptr;
}

int32_t SPW_InitEngine() {
  PLAT_SRand(static_cast<uint32_t>(std::time(nullptr)));
  SGE_ClearQuit();
  SGE_SetAppActive(1);
  PLAT_Trace("VNMAIN: Initialising engine...\n");
  if (!SGE_InitMemoryAndKernel(0)) {
    PLAT_Trace("SPW_InitEngine: memory start failed\n");
    return 0;
  }
  if (!SPW_CreateEngineBlocks()) {
    PLAT_Trace("SPW_InitEngine: engine blocks failed\n");
    return 0;
  }
  if (!SPW_ResetObjectTypes()) return 0;
  StartScenePasses();
  SGE_SetWindow(nullptr);
  if (!KOPROFILE_Init() || !CreateProfileGroups()) {
    PLAT_Trace("SPW_InitEngine: profiler start failed\n");
    return 0;
  }
  KOINPUT_SetCooperative(vnMAIN_GetSwitches()->bNonExclusive ? 0 : 1);
  if (!KOINPUT_Init()) {
    PLAT_Trace("SPW_InitEngine: input start failed\n");
    return 0;
  }
  SGE_InitFrameTiming();
  return 1;
}

void SPW_ShutdownEngine() {
  StopScenePasses();
  SPW_LoadPositionTable(nullptr);
  SPW_LoadRotationTable(nullptr);
  SPW_LoadMaterials(nullptr);
  SPW_ReleaseObjectTypes();
  KOINPUT_Shutdown();
  g_profileGroups[0] = g_profileGroups[1] = nullptr;
  SPW_SetDObjectProfiler(nullptr, -1);
  SPW_ReleaseEngineBlocks();
  SGE_ShutdownKernelAndMemory();
  PLAT_ShutdownVideo();
}

int32_t vnMAIN_CreateWindow() {
  if (!PLAT_InitVideo()) {
    PLAT_Trace("vnMAIN_CreateWindow: no video system\n");
    return 0;
  }
  PLAT_ShowCursor(false);
  PLAT_Window* window =
      PLAT_CreateWindow(kWindowTitle, VN_FRONTEND_WIDTH, VN_FRONTEND_HEIGHT, PLAT_WINDOW_OPENGL);
  if (!window) return 0;
  SGE_SetWindow(window);
  // The input devices follow the new window.
  KOINPUT_Shutdown();
  return KOINPUT_Init();
}

void vnMAIN_DestroyWindow() {
  if (PLAT_Window* window = SGE_GetWindow()) {
    PLAT_DestroyWindow(window);
    SGE_SetWindow(nullptr);
  }
}

int32_t vnMAIN_PrecacheCommon() {
  uint32_t start = PLAT_TimeMs();
  PLAT_Trace(">> Begin non-terrain precaching...\n");
  PLAT_Trace(">> Non-terrain precaching took %u ms\n", PLAT_TimeMs() - start);
  return 1;
}

int32_t vnMAIN_PrecacheTerrain(const char* terrainName) {
  SPPD_DRIVERTABLE* drv = vnMAIN_GetDriver();
  if (!terrainName || !drv || !drv->SPPD_PreCacheTextures) {
    PLAT_Trace("vnMAIN_PrecacheTerrain: no terrain name or no driver\n");
    return 1;
  }
  char path[260];
  std::snprintf(path, sizeof path, "Export/Terrain/%s", terrainName);
  uint32_t start = PLAT_TimeMs();
  drv->SPPD_PreCacheTextures(vnMAIN_GetDisplay(), path, 0);
  PLAT_Trace(">> Terrain precaching of %s took %u ms\n", terrainName, PLAT_TimeMs() - start);
  return 1;
}

int32_t vnMAIN_InitGame() {
  if (!vnLOCALE_Init()) PLAT_Trace("vnMAIN_InitGame: locale strings not loaded\n");
  if (!vnMAIN_CreateWindow()) return FailToSetup();
  // The trial: a sound start that fails ends the game here, with no hand-over to Setup.
  if (!vnSOUND_Init()) {
    vnMAIN_DestroyWindow();
    vnLOCALE_Free();
    return 0;
  }
  vnSOUND_Close();

  g_driverModule = vnMAIN_LoadDriver();
  if (!g_driverModule) return FailToSetup();
  SPW_DISPLAY* display = SPW_BindDriver(SGE_GetWindow(), g_driverModule);
  if (!display) return FailToSetup();
  vnMAIN_SetDisplay(display);

  SPPD_MODE mode{};
  mode.Width = VN_FRONTEND_WIDTH;
  mode.Height = VN_FRONTEND_HEIGHT;
  SPPD_DRIVERTABLE* drv = vnMAIN_GetDriver();
  if (!drv->SPPD_Modify ||
      drv->SPPD_Modify(display, &mode, SGE_GetWindow(), VN_FRONTEND_MODE_MASK) != 1) {
    PLAT_Trace("vnMAIN_InitGame: front-end display mode refused\n");
    return FailToSetup();
  }
  SPW_FitMouseToDisplay(display);
  vnUTIL_CentreWindow();
  vnMAIN_PrecacheCommon();
  vnUTIL_CentreWindow();
  PLAT_ShowWindow(SGE_GetWindow(), true);

  if (!vnROOT_Create()) {
    vnMAIN_ShowReinstallBox();
    // The program ends: give the device, the library and the window back first.
    ReleaseDriver();
    vnMAIN_DestroyWindow();
    vnLOCALE_Free();
    return 0;
  }
  return 1;
}

void vnMAIN_DeinitGame() {
  PLAT_Trace("VNMAIN: Shutting down...\n");
  vnROOT_Destroy();
  if (PLAT_Window* window = SGE_GetWindow()) PLAT_ShowWindow(window, false);
  ReleaseDriver();
  vnMAIN_DestroyWindow();
  vnLOCALE_Free();
}

void vnMAIN_ShowReinstallBox() {
  PLAT_MessageBox(SGE_GetWindow(), "Please uninstall and then reinstall Vantoria",
                  "Reinstall Required", PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::None);
}

void vnMAIN_RunSetup() {
  std::string setup = PLAT_ProgramFileName(kSetupProgram);
  PLAT_Trace("VNMAIN: starting %s\n", setup.c_str());
  if (!PLAT_ExecProgram(setup.c_str(), nullptr, 0)) vnMAIN_ShowReinstallBox();
}

int vnMAIN_Run(const char* cmdline) {
  VNOPTIONS* options = vnOPTIONS_Get();
  vnOPTIONS_Load(options);
  vnOPTIONS_ApplySound(options);
  vnMAIN_ParseCommandLine(cmdline ? cmdline : "", vnMAIN_MutableSwitches());

  if (!SPW_InitEngine()) {
    SPW_ShutdownEngine();
    return VN_EXIT_START_FAILED;
  }
  LoadPackedTables();
  if (!vnMAIN_InitGame()) {
    SPW_ShutdownEngine();
    return VN_EXIT_START_FAILED;
  }

  int exitCode = 0;
  while (!SGE_QuitRequested()) {
    PLAT_Event ev;
    if (PLAT_PollEvent(&ev)) {
      if (ev.type == PLAT_EventType::Quit) {
        exitCode = ev.code;
        break;
      }
      if (ev.type == PLAT_EventType::Activate) {
        if (ev.active) PLAT_ShowCursor(false);
        SGE_SetAppActive(ev.active ? 1 : 0);
      } else if (ev.type == PLAT_EventType::Destroy) {
        PLAT_PostQuit(0);
      }
    } else if (vnMAIN_Frame()) {
      break;
    }
  }
  vnMAIN_DeinitGame();
  SPW_ShutdownEngine();
  return exitCode;
}
