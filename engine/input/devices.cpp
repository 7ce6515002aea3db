// Start and stop of the devices, and the device table.
#include <cstring>

#include "engine/input/inputstate.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"
#include "platform/window/window.h"

KOINPUT_STATE g_koInput = {0, 1, 0, {}, {}, {}, 0};

namespace {

PLAT_Cooperation Level() {
  return g_koInput.nCooperative ? PLAT_Cooperation::ExclusiveForeground
                                : PLAT_Cooperation::NonExclusiveBackground;
}

void FreeDevice(KOINPUT_DEVICE* dev) {
  PLAT_InputClose(dev->pDevice);
  SGE_MemFree(dev);
}

void RemoveFromTable(KOINPUT_DEVICE* dev) {
  for (int32_t i = 0; i < g_koInput.nDevices; ++i) {
    if (g_koInput.devices[i] != dev) continue;
    for (int32_t j = i + 1; j < g_koInput.nDevices; ++j) g_koInput.devices[j - 1] = g_koInput.devices[j];
    g_koInput.devices[--g_koInput.nDevices] = nullptr;
    return;
  }
}

bool AddToTable(KOINPUT_DEVICE* dev) {
  for (int32_t i = 0; i < g_koInput.nDevices; ++i)
    if (g_koInput.devices[i] == dev) return true;
  if (g_koInput.nDevices >= KOINPUT_MAX_DEVICES) {
    PLAT_Trace("KOINPUT: device table full, \"%s\" left out\n", dev->instance.name);
    return false;
  }
  g_koInput.devices[g_koInput.nDevices++] = dev;
  return true;
}

KOINPUT_DEVICE* NewRecord(const PLAT_DeviceInfo& info) {
  auto* dev = static_cast<KOINPUT_DEVICE*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(KOINPUT_DEVICE)));
  if (!dev)
    PLAT_Trace("KOINPUT: \"%s\" skipped - %s\n", info.name,
               SGE_GetInputErrorName(KOINPUT_ERR_OUTOFMEMORY));
  return dev;
}

// One call per attached device; a device that fails is skipped and the next one tried.
void AddDevice(const PLAT_DeviceInfo& info) {
  PLAT_InputDevice* handle = PLAT_InputOpen(info);
  if (!handle) {
    PLAT_Trace("KOINPUT: \"%s\" skipped - %s\n", info.name,
               SGE_GetInputErrorName(KOINPUT_ERR_OPEN));
    return;
  }
  KOINPUT_DEVICE* dev = nullptr;
  if (info.kind == PLAT_DeviceKind::Mouse) {
    // One system mouse however many are attached: a later one replaces the earlier handle.
    dev = KOINPUT_FindDevice(KOINPUT_TYPE_MOUSE);
    if (dev) {
      PLAT_InputClose(dev->pDevice);
      dev->pDevice = nullptr;
    } else {
      dev = NewRecord(info);
    }
    if (!dev) {
      PLAT_InputClose(handle);
      return;
    }
    dev->nType = KOINPUT_TYPE_MOUSE;
  } else if (info.kind == PLAT_DeviceKind::Keyboard) {
    dev = NewRecord(info);
    if (!dev) {
      PLAT_InputClose(handle);
      return;
    }
    dev->nType = KOINPUT_TYPE_KEYBOARD;
    dev->pKeys = dev->keyBuffers[dev->nBuffer];
    dev->pLastKeys = dev->keyBuffers[dev->nBuffer ^ 1];
  } else {
    PLAT_InputClose(handle);
    return;
  }
  dev->pDevice = handle;
  dev->instance = info;
  dev->caps = KOINPUT_CAPS{info.buttons, info.axes};
  if (!PLAT_InputSetCooperation(handle, PLAT_MainWindow(), Level())) {
    PLAT_Trace("KOINPUT: \"%s\" skipped - %s\n", info.name,
               SGE_GetInputErrorName(KOINPUT_ERR_COOPERATION));
    RemoveFromTable(dev);
    FreeDevice(dev);
    return;
  }
  if (!AddToTable(dev)) FreeDevice(dev);
}

}  // namespace

int32_t KOINPUT_Init() {
  if (g_koInput.bStarted) KOINPUT_Shutdown();
  g_koInput.nDevices = 0;
  std::memset(g_koInput.devices, 0, sizeof g_koInput.devices);
  SGE_ListInit(&g_koInput.subscribers);
  SGE_ListInit(&g_koInput.dropped);
  if (!PLAT_InitVideo()) {
    PLAT_Trace("KOINPUT_Init: %s\n", SGE_GetInputErrorName(KOINPUT_ERR_NOVIDEO));
    return 0;
  }
  PLAT_DeviceInfo found[KOINPUT_MAX_DEVICES];
  int count = PLAT_InputEnumDevices(found, KOINPUT_MAX_DEVICES);
  for (int i = 0; i < count; ++i) AddDevice(found[i]);
  g_koInput.bStarted = 1;
  return 1;
}

void KOINPUT_Shutdown() {
  if (!g_koInput.bStarted) return;
  for (int32_t i = 0; i < g_koInput.nDevices; ++i) FreeDevice(g_koInput.devices[i]);
  std::memset(g_koInput.devices, 0, sizeof g_koInput.devices);
  g_koInput.nDevices = 0;
  SGE_ListFreeAll(&g_koInput.subscribers);
  KOINPUT_FreeDropped();
  g_koInput.bStarted = 0;
}

KOINPUT_DEVICE* KOINPUT_GetDevice(int32_t index) {
  if (index < 0 || index >= g_koInput.nDevices) return nullptr;
  return g_koInput.devices[index];
}

KOINPUT_DEVICE* KOINPUT_FindDevice(int32_t typeMask) {
  for (int32_t i = 0; i < g_koInput.nDevices; ++i)
    if (g_koInput.devices[i]->nType & typeMask) return g_koInput.devices[i];
  return nullptr;
}

int32_t KOINPUT_GetDeviceCount() { return g_koInput.nDevices; }

void KOINPUT_SetCooperative(int32_t flag) { g_koInput.nCooperative = flag ? 1 : 0; }

KOINPUT_DEVICE* KOINPUT_SetMouseRect(KOINPUT_DEVICE* dev, int32_t left, int32_t top,
                                     int32_t width, int32_t height) {
  if (!dev) {
    PLAT_Trace("KOINPUT_SetMouseRect: no device\n");
    return nullptr;
  }
  // Callers get their device back either way; only a mouse has a rectangle to set.
  if (dev->nType != KOINPUT_TYPE_MOUSE) {
    PLAT_Trace("KOINPUT_SetMouseRect: device %d is not a mouse\n", dev->nType);
    return dev;
  }
  dev->nLeft = left;
  dev->nTop = top;
  dev->nWidth = width;
  dev->nHeight = height;
  return dev;
}
