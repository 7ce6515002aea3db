#pragma once
// Message boxes. Headless, the caption and text go to standard error and the default answer
// is returned at once.
enum class PLAT_MsgBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PLAT_MsgBoxIcon { None, Info, Warning, Error, Question };
enum class PLAT_MsgBoxAnswer { Ok, Cancel, Yes, No };

struct PLAT_Window;

// The default answer is the first button (Ok or Yes).
PLAT_MsgBoxAnswer PLAT_MessageBox(PLAT_Window* owner, const char* text, const char* caption,
                                  PLAT_MsgBoxButtons buttons, PLAT_MsgBoxIcon icon);

// The test driver: sees every box before the user does; returning true with *answer set
// answers it (an answer that is not one of the box's buttons counts as closing the box).
using PLAT_MsgBoxDriver = bool (*)(const char* text, const char* caption,
                                   PLAT_MsgBoxButtons buttons, PLAT_MsgBoxIcon icon,
                                   PLAT_MsgBoxAnswer* answer, void* user);
void PLAT_SetMessageBoxDriver(PLAT_MsgBoxDriver driver, void* user);
