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
