#include "platform/window/msgbox.h"

#include <SDL.h>

#include <cstdio>

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

Uint32 FlagsOf(PLAT_MsgBoxIcon icon) {
  switch (icon) {
    case PLAT_MsgBoxIcon::Error:
      return SDL_MESSAGEBOX_ERROR;
    case PLAT_MsgBoxIcon::Warning:
      return SDL_MESSAGEBOX_WARNING;
    default:
      return SDL_MESSAGEBOX_INFORMATION;
  }
}

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
    return set.answers[0];
  }

  SDL_MessageBoxButtonData data[3] = {};
  for (int i = 0; i < set.count; ++i) {
    data[i].buttonid = i;
    data[i].text = set.labels[i];
  }
  data[0].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  data[set.count - 1].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;

  SDL_MessageBoxData box = {};
  box.flags = FlagsOf(icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.window = static_cast<SDL_Window*>(PLAT_NativeWindow(owner));
  box.title = caption;
  box.message = text;
  box.numbuttons = set.count;
  box.buttons = data;
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) {
    // Nobody can answer: say it where a person may see it, and take the default.
    PLAT_Trace("[PLATWIN]: PLAT_MessageBox() - %s\n", SDL_GetError());
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return set.answers[0];
  }
  if (pressed < 0 || pressed >= set.count) return Dismissed(set);
  return set.answers[pressed];
}

void PLAT_SetMessageBoxDriver(PLAT_MsgBoxDriver driver, void* user) {
  g_driver = driver;
  g_driverUser = driver ? user : nullptr;
}
