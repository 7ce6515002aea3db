#include "platform/window/msgbox.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/dialog/dialog.h"
#include "platform/trace.h"
#include "platform/window/window.h"

namespace {

struct ButtonSet {
  int count;
  PLAT_MsgBoxAnswer answers[3];
  const char* labels[3];
};

ButtonSet ButtonsOf(PLAT_MsgBoxButtons buttons) {
  using A = PLAT_MsgBoxAnswer;
  switch (buttons) {
    case PLAT_MsgBoxButtons::OkCancel:
      return {2, {A::Ok, A::Cancel, A::Ok}, {"OK", "Cancel", nullptr}};
    case PLAT_MsgBoxButtons::YesNo:
      return {2, {A::Yes, A::No, A::Yes}, {"Yes", "No", nullptr}};
    case PLAT_MsgBoxButtons::YesNoCancel:
      return {3, {A::Yes, A::No, A::Cancel}, {"Yes", "No", "Cancel"}};
    case PLAT_MsgBoxButtons::Ok:
    default:
      return {1, {A::Ok, A::Ok, A::Ok}, {"OK", nullptr, nullptr}};
  }
}

// Closing the box without a button counts as its last button (Cancel, No or OK).
PLAT_MsgBoxAnswer Dismissed(const ButtonSet& set) { return set.answers[set.count - 1]; }

bool Offers(const ButtonSet& set, PLAT_MsgBoxAnswer answer) {
  for (int i = 0; i < set.count; ++i)
    if (set.answers[i] == answer) return true;
  return false;
}

PLAT_MsgBoxDriver g_driver = nullptr;
void* g_driverUser = nullptr;

// ---- The box as a dialog ---------------------------------------------------------------------

// Dialog units: margins, the sign (32 by 32 pixels), the buttons and the widest text line.
constexpr int kEdge = 10;
constexpr int kGap = 8;
constexpr int kSignWidth = 22;
constexpr int kSignHeight = 20;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 4;
constexpr int kMaxTextWidth = 320;  // 480 pixels
constexpr int kMaxControls = 5;  // the sign, the text and three buttons

int32_t IdOf(PLAT_MsgBoxAnswer a) {
  switch (a) {
    case PLAT_MsgBoxAnswer::Cancel: return PLAT_IDCANCEL;
    case PLAT_MsgBoxAnswer::Yes: return PLAT_MSGBOX_YES;
    case PLAT_MsgBoxAnswer::No: return PLAT_MSGBOX_NO;
    case PLAT_MsgBoxAnswer::Ok:
    default: return PLAT_IDOK;
  }
}

bool HasSign(PLAT_MsgBoxIcon icon) { return icon != PLAT_MsgBoxIcon::None; }

PLAT_DlgKind SignOf(PLAT_MsgBoxIcon icon) {
  switch (icon) {
    case PLAT_MsgBoxIcon::Warning: return PLAT_DlgKind::WarningIcon;
    case PLAT_MsgBoxIcon::Error: return PLAT_DlgKind::ErrorIcon;
    case PLAT_MsgBoxIcon::Question: return PLAT_DlgKind::QuestionIcon;
    default: return PLAT_DlgKind::InfoIcon;
  }
}

struct BoxDialog {
  ButtonSet set;
  std::string text;  // wrapped
  PLAT_DlgControl controls[kMaxControls];
  PLAT_DlgTemplate tpl;

  // The sign at the left, the text beside it, the buttons centred under both.
  void Layout(const char* caption, PLAT_MsgBoxIcon icon) {
    const bool sign = HasSign(icon);
    int textWidth = 0, textHeight = 0;
    text = PLAT_DialogWrapText(text.c_str(), kMaxTextWidth, &textWidth, &textHeight);
    const int textX = kEdge + (sign ? kSignWidth + kGap : 0);
    const int top = sign ? std::max(kSignHeight, textHeight) : textHeight;
    const int textY = kEdge + (top - textHeight) / 2;
    const int rowWidth = set.count * kButtonWidth + (set.count - 1) * kButtonGap;
    const int width = std::max(textX + textWidth + kEdge, rowWidth + 2 * kEdge);
    const int buttonsY = kEdge + top + kGap;
    int n = 0;
    if (sign) controls[n++] = {PLAT_IDSTATIC, SignOf(icon), nullptr, kEdge, kEdge, kSignWidth, kSignHeight};
    controls[n++] = {PLAT_MSGBOX_TEXT, PLAT_DlgKind::Static, text.c_str(), static_cast<int16_t>(textX),
                     static_cast<int16_t>(textY), static_cast<int16_t>(textWidth),
                     static_cast<int16_t>(textHeight)};
    for (int i = 0; i < set.count; ++i) {
      const int x = (width - rowWidth) / 2 + i * (kButtonWidth + kButtonGap);
      // The first button is the default one, as Enter answers a headless box.
      controls[n++] = {IdOf(set.answers[i]), i == 0 ? PLAT_DlgKind::DefPushButton : PLAT_DlgKind::PushButton,
                       set.labels[i], static_cast<int16_t>(x), static_cast<int16_t>(buttonsY),
                       kButtonWidth, kButtonHeight};
    }
    tpl = {PLAT_MSGBOX_DIALOG, caption, static_cast<int16_t>(width),
           static_cast<int16_t>(buttonsY + kButtonHeight + kGap), controls, n, nullptr, 0};
  }

  static bool Proc(PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id, void* user) {
    auto* box = static_cast<BoxDialog*>(user);
    if (msg != PLAT_DlgMsg::Command) return false;  // a close becomes command 2
    for (int i = 0; i < box->set.count; ++i) {
      if (IdOf(box->set.answers[i]) != id) continue;
      PLAT_DialogEnd(d, i);
      return true;
    }
    if (id != PLAT_IDCANCEL) return false;
    PLAT_DialogEnd(d, box->set.count - 1);  // Escape without a Cancel button
    return true;
  }
};

}  // namespace

PLAT_MsgBoxAnswer PLAT_MessageBox(PLAT_Window* owner, const char* text, const char* caption,
                                  PLAT_MsgBoxButtons buttons, PLAT_MsgBoxIcon icon) {
  const ButtonSet set = ButtonsOf(buttons);
  if (!text) text = "";
  if (!caption) caption = "";
  PLAT_MsgBoxAnswer driven = set.answers[0];
  if (g_driver && g_driver(text, caption, buttons, icon, &driven, g_driverUser))
    return Offers(set, driven) ? driven : Dismissed(set);
  if (PLAT_IsHeadless()) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    // Nobody sees it; a test's dialog driver may still look at it and answer.
    if (!PLAT_DialogHasDriver()) return set.answers[0];
  }

  // Closing would answer No to "Are you sure you want to exit?" for ever.
  if (PLAT_DialogQuitRequested()) return set.answers[0];

  BoxDialog box{set, text, {}, {}};
  box.Layout(caption, icon);
  const int32_t pressed = PLAT_DialogRun(owner, box.tpl, BoxDialog::Proc, &box);
  if (pressed < 0 || pressed >= set.count) {
    // Nobody can answer: say it where a person may see it, and take the default.
    PLAT_Trace("PLATWIN: PLAT_MessageBox() - the box \"%s\" cannot be shown\n", caption);
    if (!PLAT_IsHeadless()) std::fprintf(stderr, "%s: %s\n", caption, text);
    return set.answers[0];
  }
  return set.answers[pressed];
}

void PLAT_SetMessageBoxDriver(PLAT_MsgBoxDriver driver, void* user) {
  g_driver = driver;
  g_driverUser = driver ? user : nullptr;
}
