// Modal dialogs: controls by id, the dialog procedure's messages and the modal loop.
#include "platform/dialog/dialog.h"

#include "platform/dialog/internal.h"
#include "platform/trace.h"
#include "platform/window/window.h"

namespace {

// A headless dialog that nobody answers is cancelled; one that will not end is ended after
// this many frames, so that no run waits for ever.
constexpr int kMaxUnansweredFrames = 100;

PLAT_DialogDriver g_driver = nullptr;
void* g_driverUser = nullptr;

// Dialogs running, the innermost last: a command may run a dialog of its own.
std::vector<PLAT_Dialog*> g_running;

void Send(PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id) {
  if (d->ended) return;
  if (d->proc && d->proc(d, msg, id, d->user)) return;
  if (msg == PLAT_DlgMsg::Command && (id == PLAT_IDOK || id == PLAT_IDCANCEL))
    PLAT_DialogEnd(d, id);
  else if (msg == PLAT_DlgMsg::Close)
    Send(d, PLAT_DlgMsg::Command, PLAT_IDCANCEL);
}

PLATD_Control* Known(PLAT_Dialog* d, int32_t id, const char* what) {
  PLATD_Control* c = d ? PLATD_Find(d, id) : nullptr;
  if (!c) PLAT_Trace("PLATDLG: %s - dialog %d has no control %d\n", what,
                     d && d->tpl ? d->tpl->id : 0, id);
  return c;
}

bool IsList(const PLATD_Control& c) {
  return c.tpl.kind == PLAT_DlgKind::ListBox || c.tpl.kind == PLAT_DlgKind::ComboBox;
}

PLATD_Control* KnownList(PLAT_Dialog* d, int32_t id, const char* what) {
  PLATD_Control* c = Known(d, id, what);
  if (c && !IsList(*c)) {
    PLAT_Trace("PLATDLG: %s - control %d is not a list\n", what, id);
    return nullptr;
  }
  return c;
}

bool ValidTemplate(const PLAT_DlgTemplate& t) {
  if (t.width <= 0 || t.height <= 0 || t.count < 0 || (t.count > 0 && !t.controls) ||
      t.menuCount < 0 || (t.menuCount > 0 && !t.menu)) {
    PLAT_Trace("PLATDLG: PLAT_DialogRun() - template %d is malformed\n", t.id);
    return false;
  }
  return true;
}

// Who answers the dialog this frame: the test driver, the script, the user, or nobody. True
// when it is the user, who may take his time.
bool Drive(PLAT_Dialog* d) {
  if (g_driver) {
    g_driver(d, g_driverUser);
    return false;
  }
  if (PLATD_ScriptActive() && PLATD_ScriptStep(d)) return false;
  if (!PLAT_IsHeadless()) return true;
  if (d->unansweredFrames++ == 0) {
    PLAT_Trace("PLATDLG: nobody answers dialog %d; cancelled\n", d->tpl->id);
    PLAT_DialogPressKey(d, PLAT_DlgKey::Escape);
  } else if (d->unansweredFrames > kMaxUnansweredFrames) {
    PLAT_Trace("PLATDLG: dialog %d does not end; closed\n", d->tpl->id);
    PLAT_DialogEnd(d, -1);
  }
  return false;
}

// The dialogs beneath the one on top get no input, but are drawn again when uncovered: they
// would otherwise keep pieces of the windows that were over them.
void RepaintBeneath(const PLAT_Dialog* top) {
  for (PLAT_Dialog* d : g_running) {
    if (d == top || !d->exposed) continue;
    d->exposed = false;
    PLATD_DrawFrame(d);
    d->actions.clear();
  }
}

void Apply(PLAT_Dialog* d, const PLATD_Action& a) {
  switch (a.kind) {
    case PLATD_Action::Click: PLAT_DialogClick(d, a.id); break;
    case PLATD_Action::Pick: PLAT_DialogPick(d, a.id, a.index); break;
    case PLATD_Action::Menu: PLAT_DialogMenu(d, a.id); break;
    case PLATD_Action::Close: PLAT_DialogRequestClose(d); break;
  }
}

}  // namespace

PLATD_Control* PLATD_Find(PLAT_Dialog* dlg, int32_t id) {
  if (id == PLAT_IDSTATIC) return nullptr;
  for (PLATD_Control& c : dlg->controls)
    if (c.tpl.id == id) return &c;
  return nullptr;
}

const PLATD_Control* PLATD_Find(const PLAT_Dialog* dlg, int32_t id) {
  return PLATD_Find(const_cast<PLAT_Dialog*>(dlg), id);
}

std::string PLATD_Label(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&&" keeps one
    else if (text[i] == '&') continue;
    out += text[i];
  }
  return out;
}

int32_t PLAT_DialogRun(PLAT_Window* owner, const PLAT_DlgTemplate& tpl, PLAT_DlgProc proc,
                       void* user) {
  if (!ValidTemplate(tpl)) return -1;
  if (!PLAT_InitVideo()) return -1;
  PLATD_LoadScriptFromEnvironment();

  PLAT_Dialog d;
  d.tpl = &tpl;
  d.proc = proc;
  d.user = user;
  for (int32_t i = 0; i < tpl.count; ++i) {
    PLATD_Control c;
    c.tpl = tpl.controls[i];
    c.text = c.tpl.text ? c.tpl.text : "";
    d.controls.push_back(std::move(c));
  }
  if (!PLATD_OpenView(&d, owner) && !PLAT_IsHeadless()) {
    PLATD_CloseView(&d);
    return -1;
  }

  // The dialogs beneath show what their last command changed before this one covers them.
  for (PLAT_Dialog* beneath : g_running) beneath->exposed = true;
  g_running.push_back(&d);
  Send(&d, PLAT_DlgMsg::Init, 0);
  if (!d.ended) PLATD_ShowView(&d);
  d.owedFrames = PLATD_FRAMES_AFTER_INPUT;
  while (!d.ended) {
    PLATD_PumpEvents(&d);
    if (d.ended) break;
    RepaintBeneath(&d);
    const bool byUser = Drive(&d);
    if (d.ended) break;
    if (byUser && d.owedFrames == 0) {
      PLATD_WaitEvents();
      continue;
    }
    if (d.owedFrames > 0) --d.owedFrames;
    PLATD_DrawFrame(&d);
    std::vector<PLATD_Action> actions;
    actions.swap(d.actions);
    for (const PLATD_Action& a : actions) Apply(&d, a);
    // A command changes controls, or ran a dialog that covered this one.
    if (!actions.empty()) d.owedFrames = PLATD_FRAMES_AFTER_INPUT;
  }
  g_running.pop_back();
  PLATD_CloseView(&d);
  return d.result;
}

PLAT_Dialog* PLATD_RunningIn(const PLAT_Window* window) {
  for (PLAT_Dialog* d : g_running)
    if (window && d->window == window) return d;
  return nullptr;
}

void PLAT_DialogEnd(PLAT_Dialog* dlg, int32_t result) {
  if (!dlg || dlg->ended) return;
  dlg->ended = true;
  dlg->result = result;
}

bool PLAT_DialogEnded(const PLAT_Dialog* dlg) { return !dlg || dlg->ended; }
PLAT_Window* PLAT_DialogWindow(PLAT_Dialog* dlg) { return dlg ? dlg->window : nullptr; }
int32_t PLAT_DialogTemplateId(const PLAT_Dialog* dlg) { return dlg ? dlg->tpl->id : 0; }
bool PLAT_DialogHasControl(const PLAT_Dialog* dlg, int32_t id) {
  return dlg && PLATD_Find(dlg, id);
}

void PLAT_DialogEnable(PLAT_Dialog* dlg, int32_t id, bool enable) {
  if (PLATD_Control* c = Known(dlg, id, "PLAT_DialogEnable()")) c->enabled = enable;
}

bool PLAT_DialogIsEnabled(const PLAT_Dialog* dlg, int32_t id) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  return c && c->enabled;
}

void PLAT_DialogSetCheck(PLAT_Dialog* dlg, int32_t id, bool checked) {
  if (PLATD_Control* c = Known(dlg, id, "PLAT_DialogSetCheck()")) c->checked = checked;
}

bool PLAT_DialogGetCheck(const PLAT_Dialog* dlg, int32_t id) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  return c && c->checked;
}

void PLAT_DialogSetText(PLAT_Dialog* dlg, int32_t id, const char* text) {
  if (PLATD_Control* c = Known(dlg, id, "PLAT_DialogSetText()")) c->text = text ? text : "";
}

const char* PLAT_DialogGetText(const PLAT_Dialog* dlg, int32_t id) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  return c ? c->text.c_str() : "";
}

int32_t PLAT_DialogListAdd(PLAT_Dialog* dlg, int32_t id, const char* text) {
  PLATD_Control* c = KnownList(dlg, id, "PLAT_DialogListAdd()");
  if (!c) return -1;
  c->lines.emplace_back(text ? text : "");
  return static_cast<int32_t>(c->lines.size() - 1);
}

void PLAT_DialogListClear(PLAT_Dialog* dlg, int32_t id) {
  if (PLATD_Control* c = KnownList(dlg, id, "PLAT_DialogListClear()")) {
    c->lines.clear();
    c->sel = -1;
  }
}

int32_t PLAT_DialogListCount(const PLAT_Dialog* dlg, int32_t id) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  return c ? static_cast<int32_t>(c->lines.size()) : 0;
}

int32_t PLAT_DialogListGetSel(const PLAT_Dialog* dlg, int32_t id) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  return c ? c->sel : -1;
}

bool PLAT_DialogListSetSel(PLAT_Dialog* dlg, int32_t id, int32_t index) {
  PLATD_Control* c = KnownList(dlg, id, "PLAT_DialogListSetSel()");
  if (!c || index < -1 || index >= static_cast<int32_t>(c->lines.size())) return false;
  c->sel = index;
  return true;
}

const char* PLAT_DialogListText(const PLAT_Dialog* dlg, int32_t id, int32_t index) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  if (!c || index < 0 || index >= static_cast<int32_t>(c->lines.size())) return nullptr;
  return c->lines[static_cast<size_t>(index)].c_str();
}

bool PLAT_DialogClick(PLAT_Dialog* dlg, int32_t id) {
  PLATD_Control* c = dlg && !dlg->ended ? PLATD_Find(dlg, id) : nullptr;
  if (!c || !c->enabled) return false;
  switch (c->tpl.kind) {
    case PLAT_DlgKind::CheckBox:
      c->checked = !c->checked;
      [[fallthrough]];
    case PLAT_DlgKind::PushButton:
    case PLAT_DlgKind::DefPushButton:
      Send(dlg, PLAT_DlgMsg::Command, id);
      return true;
    default:
      return false;
  }
}

bool PLAT_DialogPick(PLAT_Dialog* dlg, int32_t id, int32_t index) {
  PLATD_Control* c = dlg && !dlg->ended ? PLATD_Find(dlg, id) : nullptr;
  if (!c || !c->enabled || !IsList(*c) || index < 0 ||
      index >= static_cast<int32_t>(c->lines.size()))
    return false;
  c->sel = index;
  Send(dlg, PLAT_DlgMsg::Command, id);
  return true;
}

void PLAT_DialogPressKey(PLAT_Dialog* dlg, PLAT_DlgKey key) {
  if (!dlg || dlg->ended) return;
  if (key == PLAT_DlgKey::Escape) {
    Send(dlg, PLAT_DlgMsg::Command, PLAT_IDCANCEL);
    return;
  }
  for (const PLATD_Control& c : dlg->controls) {
    if (c.tpl.kind != PLAT_DlgKind::DefPushButton) continue;
    if (c.enabled) Send(dlg, PLAT_DlgMsg::Command, c.tpl.id);
    return;
  }
  Send(dlg, PLAT_DlgMsg::Command, PLAT_IDOK);
}

bool PLAT_DialogMenu(PLAT_Dialog* dlg, int32_t id) {
  if (!dlg || dlg->ended) return false;
  for (int32_t i = 0; i < dlg->tpl->menuCount; ++i) {
    if (dlg->tpl->menu[i].id != id) continue;
    Send(dlg, PLAT_DlgMsg::SysCommand, id);
    return true;
  }
  return false;
}

void PLAT_DialogRequestClose(PLAT_Dialog* dlg) {
  if (dlg) Send(dlg, PLAT_DlgMsg::Close, 0);
}

bool PLAT_DialogSnapshot(PLAT_Dialog* dlg, const char* pngPath) {
  if (!dlg || dlg->ended || !pngPath || !*pngPath) return false;
  if (!dlg->gl) {
    PLAT_Trace("PLATDLG: PLAT_DialogSnapshot() - dialog %d is not drawn\n", dlg->tpl->id);
    return false;
  }
  dlg->snapshot = pngPath;
  return true;
}

bool PLAT_DialogDrawnRect(const PLAT_Dialog* dlg, int32_t id, PLAT_DlgRect* rect) {
  const PLATD_Control* c = dlg ? PLATD_Find(dlg, id) : nullptr;
  if (!c || !c->drawn) return false;
  if (rect) *rect = c->drawnRect;
  return true;
}

void PLAT_DialogSetDriver(PLAT_DialogDriver driver, void* user) {
  g_driver = driver;
  g_driverUser = driver ? user : nullptr;
}

bool PLAT_DialogHasDriver() { return g_driver != nullptr; }
