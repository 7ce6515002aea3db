#pragma once
// Message boxes: dialogs of their own (PLAT_MSGBOX_DIALOG), centred on their owner with the
// text wrapped. Headless, the caption and text go to standard error and the default answer is
// returned at once, unless a test's dialog driver is there to look at the box and answer it.
#include <cstdint>

enum class PLAT_MsgBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PLAT_MsgBoxIcon { None, Info, Warning, Error, Question };
enum class PLAT_MsgBoxAnswer { Ok, Cancel, Yes, No };

struct PLAT_Window;

// The box's dialog id and its controls' (OK and Cancel are the dialogs' own 1 and 2).
constexpr int32_t PLAT_MSGBOX_DIALOG = 0;
constexpr int32_t PLAT_MSGBOX_TEXT = 100;
constexpr int32_t PLAT_MSGBOX_YES = 6;
constexpr int32_t PLAT_MSGBOX_NO = 7;

// The default answer is the first button (Ok or Yes).
PLAT_MsgBoxAnswer PLAT_MessageBox(PLAT_Window* owner, const char* text, const char* caption,
                                  PLAT_MsgBoxButtons buttons, PLAT_MsgBoxIcon icon);

// The test driver: sees every box before the user does; returning true with *answer set
// answers it (an answer that is not one of the box's buttons counts as closing the box).
using PLAT_MsgBoxDriver = bool (*)(const char* text, const char* caption,
                                   PLAT_MsgBoxButtons buttons, PLAT_MsgBoxIcon icon,
                                   PLAT_MsgBoxAnswer* answer, void* user);
void PLAT_SetMessageBoxDriver(PLAT_MsgBoxDriver driver, void* user);
