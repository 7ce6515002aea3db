// Screens: one file that is both a B2D file and a layout of push-button groups. The groups are
// the B2D set sections "F%d"; their "PB%d" keys place the buttons.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/gui/gui.h"
#include "engine/gui/guistate.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

constexpr float kLayoutDepth = 1.0f;

// Reads a line as the formats "%[^"]" and %d do: quoted names and blank-separated integers.
// A number out of range fails, so a damaged line ends its list instead of giving a wrong value.
struct Scan {
  const char* p;
  bool Name(char* out, size_t size) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '"') return false;
    const char* end = std::strchr(p + 1, '"');
    if (!end || end == p + 1) return false;
    const size_t n = std::min(static_cast<size_t>(end - p - 1), size - 1);
    std::memcpy(out, p + 1, n);
    out[n] = 0;
    p = end + 1;
    return true;
  }
  bool Int(int32_t* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    p = end;
    return true;
  }
};

bool ReadButton(const char* section, int32_t k, const char* file, GUI_LAYOUTBUTTON* out) {
  char key[16], line[GUI_LAYOUT_LINE_SIZE];
  std::snprintf(key, sizeof key, "PB%d", k);
  if (PLAT_IniGetString(section, key, "", line, sizeof line, file) == 0) return false;
  Scan s{line};
  if (s.Name(out->szName, sizeof out->szName) && s.Name(out->szSet, sizeof out->szSet) &&
      s.Int(&out->nSkip) && s.Int(&out->x) && s.Int(&out->y) && s.Int(&out->w) && s.Int(&out->h))
    return true;
  PLAT_Trace("GUI_ReadLayout: %s: [%s] %s has fewer than seven values; no further buttons\n",
             file, section, key);
  return false;
}

bool ReadGroupHeader(const char* section, const char* file, GUI_LAYOUTGROUP* out) {
  char line[GUI_LAYOUT_LINE_SIZE];
  if (PLAT_IniGetString(section, "D", "", line, sizeof line, file) == 0) return false;
  Scan s{line};
  return s.Name(out->szName, sizeof out->szName) && s.Int(&out->anValue[0]) &&
         s.Int(&out->anValue[1]);
}

void ReadButtons(GUI_LAYOUTGROUP* group, const char* section, const char* file) {
  for (int32_t k = 0;; ++k) {
    GUI_LAYOUTBUTTON b{};
    if (!ReadButton(section, k, file, &b)) return;
    auto* copy = static_cast<GUI_LAYOUTBUTTON*>(SGE_MemAlloc(SPW_ObjsMem, sizeof b));
    if (!copy) {
      PLAT_Trace("GUI_ReadLayout: out of memory at [%s] PB%d\n", section, k);
      return;
    }
    *copy = b;
    SGE_ListAddTail(&group->buttons, &copy->link);
  }
}

int32_t LookUp(const GUI_NAMEVALUE* names, const char* name) {
  for (; names && names->pszName; ++names)
    if (PLAT_EqualNoCase(names->pszName, name)) return names->nValue;
  return -1;
}

void SetFrame(GUI_CONTROL* c, const SPW_B2DSET* set, int32_t id, int32_t slot) {
  GUI_SendControl(c, SGM_GUI_SET_FRAME, SGE_PtrParam(GUI_GetSprite(set, id)), slot);
}

GUI_CONTROL* CreateButton(const GUI_LAYOUTBUTTON& b, int32_t key, const SPW_B2DFILE* file,
                          SPW_DISPLAYNODE* node, SGE_TASK* parentTask) {
  GUI_CONTROL* c = GUI_CreateControl(node, nullptr, parentTask, VNTT_GUI_PUSHBUTTON, 0, nullptr,
                                     nullptr, static_cast<uint32_t>(key), nullptr, nullptr);
  if (!c) return nullptr;
  if (!c->pTask) {
    GUI_DestroyControl(c);
    return nullptr;
  }
  c->nX = b.x;
  c->nY = b.y;
  c->nW = b.w;
  c->nH = b.h;
  c->fDepth = kLayoutDepth;
  GUI_PlaceControl(c, 0, 0);
  const SPW_B2DSET* set = file ? SPW_B2D_FindSet(file, b.szSet) : nullptr;
  SetFrame(c, set, GUI_FRAME_NORMAL, GUI_SLOT_NORMAL);
  SetFrame(c, set, GUI_FRAME_PRESSED, GUI_SLOT_PRESSED);
  SetFrame(c, set, GUI_FRAME_HIGHLIGHTED, GUI_SLOT_HIGHLIGHTED);
  return c;
}

}  // namespace

GUI_LAYOUT* GUI_ReadLayout(const char* fileName) {
  if (!fileName) return nullptr;
  auto* layout = static_cast<GUI_LAYOUT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(GUI_LAYOUT)));
  if (!layout) {
    PLAT_Trace("GUI_ReadLayout: out of memory for %s\n", fileName);
    return nullptr;
  }
  SGE_ListInit(&layout->groups);
  // The reader asks for many keys in a row: keep one parse for all of them.
  const std::string path = PLAT_ResolvePath(fileName);
  PLAT_IniHold hold(path.c_str());
  for (int32_t n = 0;; ++n) {
    char section[16];
    std::snprintf(section, sizeof section, "F%d", n);
    GUI_LAYOUTGROUP header{};
    if (!ReadGroupHeader(section, path.c_str(), &header)) break;
    auto* group = static_cast<GUI_LAYOUTGROUP*>(SGE_MemAlloc(SPW_ObjsMem, sizeof header));
    if (!group) {
      PLAT_Trace("GUI_ReadLayout: out of memory at [%s] of %s\n", section, fileName);
      break;
    }
    *group = header;
    SGE_ListInit(&group->buttons);
    SGE_ListAddTail(&layout->groups, &group->link);
    ReadButtons(group, section, path.c_str());
  }
  return layout;
}

void GUI_FreeLayout(GUI_LAYOUT* layout) {
  if (!layout) return;
  while (!SGE_ListIsEmpty(&layout->groups)) {
    auto* group = SGE_ListRecord<GUI_LAYOUTGROUP>(SGE_ListPopHead(&layout->groups));
    SGE_ListFreeAll(&group->buttons);
    SGE_MemFree(group);
  }
  SGE_MemFree(layout);
}

GUI_LAYOUTGROUP* GUI_FindLayoutGroup(const GUI_LAYOUT* layout, const char* name) {
  if (!layout || !name) return nullptr;
  for (GUI_LAYOUTGROUP* g : SGE_ListRecords<GUI_LAYOUTGROUP>(&layout->groups)) {
    if (PLAT_EqualNoCase(g->szName, name)) return g;
  }
  return nullptr;
}

int32_t GUI_CreateButtons(const GUI_LAYOUTGROUP* group, const SPW_B2DFILE* file,
                          SPW_DISPLAYNODE* node, SGE_TASK* parentTask,
                          const GUI_NAMEVALUE* names, int32_t baseId, SGE_DLLNODE* list) {
  if (!group || !list) return 0;
  int32_t made = 0, key = 0;
  for (const GUI_LAYOUTBUTTON* button : SGE_ListRecords<GUI_LAYOUTBUTTON>(&group->buttons)) {
    const GUI_LAYOUTBUTTON& b = *button;
    const int32_t index = key++;  // skipped buttons keep their place
    if (b.nSkip != 0) continue;
    auto* ref = static_cast<GUI_CONTROLREF*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(GUI_CONTROLREF)));
    GUI_CONTROL* c = ref ? CreateButton(b, index, file, node, parentTask) : nullptr;
    if (!c) {
      PLAT_Trace("GUI_CreateButtons: button \"%s\" of group \"%s\" not created\n", b.szName,
                 group->szName);
      if (ref) SGE_MemFree(ref);
      continue;
    }
    c->nId = baseId + LookUp(names, b.szName);
    ref->pControl = c;
    SGE_ListAddTail(list, &ref->link);
    ++made;
  }
  return made;
}

GUI_SCREEN* GUI_LoadScreen(const char* fileName, SGE_TASK* parentTask, SPW_DISPLAYNODE* node,
                           const GUI_SCREENENTRY* entries, const GUI_NAMEVALUE* names,
                           int32_t count) {
  if (!fileName || !node || count < 0 || (count > 0 && !entries)) {
    PLAT_Trace("GUI_LoadScreen: needs a file, a node and its entries\n");
    return nullptr;
  }
  auto* screen = static_cast<GUI_SCREEN*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(GUI_SCREEN)));
  const uint32_t n = static_cast<uint32_t>(count > 0 ? count : 1);
  if (screen) {
    screen->ppSets = static_cast<SPW_B2DSET**>(SGE_MemCalloc(SPW_ObjsMem, n * sizeof(void*)));
    screen->pButtons = static_cast<SGE_DLLNODE*>(SGE_MemCalloc(SPW_ObjsMem, n * sizeof(SGE_DLLNODE)));
  }
  if (!screen || !screen->ppSets || !screen->pButtons) {
    PLAT_Trace("GUI_LoadScreen: out of memory for %s\n", fileName);
    if (screen) {
      if (screen->ppSets) SGE_MemFree(screen->ppSets);
      if (screen->pButtons) SGE_MemFree(screen->pButtons);
      SGE_MemFree(screen);
    }
    return nullptr;
  }
  screen->nCount = count;
  for (int32_t i = 0; i < count; ++i) SGE_ListInit(&screen->pButtons[i]);
  screen->pFile = SPW_B2D_Load(fileName, node->pDisplay);
  if (names) screen->pLayout = GUI_ReadLayout(fileName);
  for (int32_t i = 0; i < count; ++i) {
    const GUI_SCREENENTRY& e = entries[i];
    screen->ppSets[i] = screen->pFile ? SPW_B2D_FindSet(screen->pFile, e.pszGroup) : nullptr;
    const GUI_LAYOUTGROUP* group = GUI_FindLayoutGroup(screen->pLayout, e.pszGroup);
    if (!group) continue;
    GUI_CreateButtons(group, screen->pFile, node, parentTask, names, 0, &screen->pButtons[i]);
    GUI_ShowList(&screen->pButtons[i], 0);
    for (GUI_CONTROLREF* ref : SGE_ListRecords<GUI_CONTROLREF>(&screen->pButtons[i])) {
      GUI_CONTROL* c = ref->pControl;
      c->nDragType = e.nDragType;
      c->dwDropMask = e.dwDropMask;
    }
  }
  return screen;
}

int32_t GUI_FreeScreen(GUI_SCREEN* screen) {
  if (!screen) return 0;
  for (int32_t i = 0; i < screen->nCount; ++i) GUI_FreeList(&screen->pButtons[i]);
  GUI_FreeLayout(screen->pLayout);
  if (screen->pFile) SPW_B2D_Free(screen->pFile);
  SGE_MemFree(screen->ppSets);
  SGE_MemFree(screen->pButtons);
  SGE_MemFree(screen);
  return 1;
}

void GUI_ResolveSprites(const GUI_SPRITEREF* refs, const GUI_SCREEN* screen, int32_t count) {
  if (!refs || !screen) return;
  for (int32_t i = 0; i < count; ++i) {
    const GUI_SPRITEREF& r = refs[i];
    if (!r.ppFrame) continue;
    const bool inRange = r.nSet >= 0 && r.nSet < screen->nCount;
    *r.ppFrame = inRange ? SPW_B2D_GetFrame(screen->ppSets[r.nSet], nullptr, r.nId) : nullptr;
  }
}
