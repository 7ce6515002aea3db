// Dialog scripts: the steps of VANTORIA_DIALOG_SCRIPT press controls and answer message boxes
// in place of the user, across every program the script's environment reaches.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "platform/dialog/internal.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"

namespace {

// A step that waits this many frames for its dialog lets the dialog go its own way.
constexpr int kMaxWaitFrames = 200;
constexpr size_t kMaxLine = 1024;

struct Step {
  enum Kind { Click, Pick, Key, Menu, Close, Snapshot, Answer } kind;
  int32_t dialog = 0;
  int32_t id = 0;
  int32_t index = 0;
  PLAT_DlgKey key = PLAT_DlgKey::Enter;
  PLAT_MsgBoxAnswer answer = PLAT_MsgBoxAnswer::Ok;
  std::string file;
  int line = 0;
};

std::deque<Step> g_steps;
bool g_envChecked = false;
int g_waited = 0;

bool ParseInt(const char* text, int32_t* out) {
  if (!text) return false;
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

bool ParseAnswer(const char* word, PLAT_MsgBoxAnswer* out) {
  static const struct {
    const char* name;
    PLAT_MsgBoxAnswer answer;
  } kAnswers[] = {{"ok", PLAT_MsgBoxAnswer::Ok},
                  {"cancel", PLAT_MsgBoxAnswer::Cancel},
                  {"yes", PLAT_MsgBoxAnswer::Yes},
                  {"no", PLAT_MsgBoxAnswer::No}};
  for (const auto& a : kAnswers) {
    if (!PLAT_EqualNoCase(word, a.name)) continue;
    *out = a.answer;
    return true;
  }
  return false;
}

// One line's words: at most five, the rest of a snapshot line being its file name.
bool ParseStep(char* text, Step* s) {
  char* words[5] = {};
  int n = 0;
  for (char* w = std::strtok(text, " \t\r\n"); w && n < 5; w = std::strtok(nullptr, " \t\r\n"))
    words[n++] = w;
  if (n == 0) return false;
  if (PLAT_EqualNoCase(words[0], "answer"))
    return n == 2 && (s->kind = Step::Answer, ParseAnswer(words[1], &s->answer));
  if (n < 2 || !ParseInt(words[0], &s->dialog)) return false;
  const char* verb = words[1];
  if (PLAT_EqualNoCase(verb, "click")) return n == 3 && (s->kind = Step::Click, ParseInt(words[2], &s->id));
  if (PLAT_EqualNoCase(verb, "menu")) return n == 3 && (s->kind = Step::Menu, ParseInt(words[2], &s->id));
  if (PLAT_EqualNoCase(verb, "close")) return n == 2 && (s->kind = Step::Close, true);
  if (PLAT_EqualNoCase(verb, "pick"))
    return n == 4 && (s->kind = Step::Pick, ParseInt(words[2], &s->id) && ParseInt(words[3], &s->index));
  if (PLAT_EqualNoCase(verb, "snapshot")) {
    s->kind = Step::Snapshot;
    s->file = n == 3 ? words[2] : "";
    return !s->file.empty();
  }
  if (PLAT_EqualNoCase(verb, "key") && n == 3) {
    s->kind = Step::Key;
    if (PLAT_EqualNoCase(words[2], "enter")) s->key = PLAT_DlgKey::Enter;
    else if (PLAT_EqualNoCase(words[2], "escape")) s->key = PLAT_DlgKey::Escape;
    else return false;
    return true;
  }
  return false;
}

// Message boxes take the script's answer when its next step is one; others print as headless
// boxes do and take their first button.
bool AnswerBox(const char* text, const char* caption, PLAT_MsgBoxButtons, PLAT_MsgBoxIcon,
               PLAT_MsgBoxAnswer* answer, void*) {
  if (!g_steps.empty() && g_steps.front().kind == Step::Answer) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    *answer = g_steps.front().answer;
    g_steps.pop_front();
    g_waited = 0;
    return true;
  }
  return false;
}

void Run(PLAT_Dialog* d, const Step& s) {
  bool done = true;
  switch (s.kind) {
    case Step::Click: done = PLAT_DialogClick(d, s.id); break;
    case Step::Pick: done = PLAT_DialogPick(d, s.id, s.index); break;
    case Step::Key: PLAT_DialogPressKey(d, s.key); break;
    case Step::Menu: done = PLAT_DialogMenu(d, s.id); break;
    case Step::Close: PLAT_DialogRequestClose(d); break;
    case Step::Snapshot: done = PLAT_DialogSnapshot(d, s.file.c_str()); break;
    case Step::Answer: break;
  }
  if (!done) PLAT_Trace("PLATDLG: script line %d did nothing in dialog %d\n", s.line, s.dialog);
}

}  // namespace

bool PLAT_DialogLoadScript(const char* path) {
  PLAT_FileHandle f(PLAT_FOpen(path ? path : "", "r"));
  if (!f) {
    PLAT_Trace("PLATDLG: cannot open the dialog script %s\n", path ? path : "(none)");
    return false;
  }
  std::deque<Step> steps;
  char buf[kMaxLine];
  int line = 0;
  while (std::fgets(buf, sizeof buf, f.get())) {
    ++line;
    if (!std::strchr(buf, '\n') && !std::feof(f.get())) {
      PLAT_Trace("PLATDLG: %s line %d is too long\n", path, line);
      return false;
    }
    if (char* hash = std::strchr(buf, '#')) *hash = '\0';
    char copy[kMaxLine];
    std::memcpy(copy, buf, sizeof copy);
    if (!std::strtok(copy, " \t\r\n")) continue;  // blank
    Step s;
    s.line = line;
    if (!ParseStep(buf, &s)) {
      PLAT_Trace("PLATDLG: %s line %d is not a step\n", path, line);
      return false;
    }
    steps.push_back(std::move(s));
  }
  g_steps.swap(steps);
  g_waited = 0;
  PLAT_SetMessageBoxDriver(AnswerBox, nullptr);
  return true;
}

void PLATD_LoadScriptFromEnvironment() {
  if (g_envChecked) return;
  g_envChecked = true;
  const char* path = std::getenv("VANTORIA_DIALOG_SCRIPT");
  if (path && *path) PLAT_DialogLoadScript(path);
}

bool PLATD_ScriptActive() { return !g_steps.empty(); }

bool PLATD_ScriptStep(PLAT_Dialog* d) {
  if (g_steps.empty()) return false;
  const Step& s = g_steps.front();
  if (s.kind == Step::Answer || s.dialog != PLAT_DialogTemplateId(d)) {
    if (++g_waited <= kMaxWaitFrames) return true;
    PLAT_Trace("PLATDLG: script line %d is not for dialog %d\n", s.line, PLAT_DialogTemplateId(d));
    return false;
  }
  g_waited = 0;
  Step step = s;
  g_steps.pop_front();
  Run(d, step);
  return true;
}
