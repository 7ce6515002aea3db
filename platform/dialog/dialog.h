#pragma once
// Modal dialogs from templates. A template is data: a caption, a size in dialog units and the
// controls with their ids, kinds, texts and places. PLAT_DialogRun shows it in a window of its
// own and calls the dialog procedure until the procedure (or the default handling) ends it;
// every other window takes no input meanwhile.
//
// A dialog unit is a quarter of the dialog font's mean character width across and an eighth
// of its height down. Texts are UTF-8; '&' marks the mnemonic letter and "&&" is an ampersand.
//
// Nobody answers a dialog in a headless run: unless a test driver or a script presses its
// controls, it is cancelled (command 2) as Escape would. VANTORIA_DIALOG_SCRIPT names a script
// that drives every dialog and message box of the process (see PLAT_DialogLoadScript).
#include <cstdint>
#include <string>

struct PLAT_Window;
struct PLAT_Dialog;

// Command ids every dialog knows: Enter sends 1 (or the default button's id), Escape and the
// title bar's close button send 2.
constexpr int32_t PLAT_IDOK = 1;
constexpr int32_t PLAT_IDCANCEL = 2;
constexpr int32_t PLAT_IDSTATIC = -1;  // controls the code never addresses

enum class PLAT_DlgKind : uint8_t {
  PushButton,
  DefPushButton,  // the button Enter presses
  CheckBox,
  ListBox,
  ComboBox,  // a drop-down list
  Static,    // text
  Icon,      // the program's icon
  Picture,   // artwork
  // A message box's sign, 32 by 32 pixels.
  InfoIcon,
  WarningIcon,
  ErrorIcon,
  QuestionIcon,
};

struct PLAT_DlgControl {
  int32_t id;
  PLAT_DlgKind kind;
  const char* text;
  int16_t x, y, w, h;  // dialog units
};

// A line of the window menu (Alt+Space, or a right click on the dialog's background).
struct PLAT_DlgMenuItem {
  int32_t id;
  const char* text;
};

struct PLAT_DlgTemplate {
  int32_t id;
  const char* caption;
  int16_t width, height;  // dialog units
  const PLAT_DlgControl* controls;
  int32_t count;
  const PLAT_DlgMenuItem* menu;  // window menu items, none when null
  int32_t menuCount;
};

enum class PLAT_DlgMsg : uint8_t {
  Init,        // before the dialog is first shown
  Command,     // a button or check box was clicked, a list line picked: id is the control's
  SysCommand,  // a window menu item: id is the item's
  Close,       // the title bar's close button
};

// Returns true when it handled the message. Unhandled commands 1 and 2 end the dialog with
// that result, and an unhandled close request becomes command 2.
using PLAT_DlgProc = bool (*)(PLAT_Dialog* dlg, PLAT_DlgMsg msg, int32_t id, void* user);

// Runs the dialog modally over its owner (none: centred on the screen), kept inside the
// owner's screen. The dialogs it runs over are repainted meanwhile. The result is what
// PLAT_DialogEnd was given, or -1 when the dialog cannot be shown.
int32_t PLAT_DialogRun(PLAT_Window* owner, const PLAT_DlgTemplate& tpl, PLAT_DlgProc proc,
                       void* user);
// Ends the dialog once the current message has been handled.
void PLAT_DialogEnd(PLAT_Dialog* dlg, int32_t result);
bool PLAT_DialogEnded(const PLAT_Dialog* dlg);
// The window system asked every window to close (a signal, the session ending): each dialog
// still running is closed in turn, and so is any opened later.
bool PLAT_DialogQuitRequested();
// The dialog's window, as owner of the message boxes and dialogs it opens.
PLAT_Window* PLAT_DialogWindow(PLAT_Dialog* dlg);
int32_t PLAT_DialogTemplateId(const PLAT_Dialog* dlg);
bool PLAT_DialogHasControl(const PLAT_Dialog* dlg, int32_t id);

// Controls by id; an unknown id is traced and changes nothing.
void PLAT_DialogEnable(PLAT_Dialog* dlg, int32_t id, bool enable);
bool PLAT_DialogIsEnabled(const PLAT_Dialog* dlg, int32_t id);
void PLAT_DialogSetCheck(PLAT_Dialog* dlg, int32_t id, bool checked);
bool PLAT_DialogGetCheck(const PLAT_Dialog* dlg, int32_t id);
void PLAT_DialogSetText(PLAT_Dialog* dlg, int32_t id, const char* text);
const char* PLAT_DialogGetText(const PLAT_Dialog* dlg, int32_t id);  // "" when unknown

// List and combo boxes: lines in the order added, at most one selected.
int32_t PLAT_DialogListAdd(PLAT_Dialog* dlg, int32_t id, const char* text);  // index, or -1
void PLAT_DialogListClear(PLAT_Dialog* dlg, int32_t id);
int32_t PLAT_DialogListCount(const PLAT_Dialog* dlg, int32_t id);
int32_t PLAT_DialogListGetSel(const PLAT_Dialog* dlg, int32_t id);  // -1 when none
bool PLAT_DialogListSetSel(PLAT_Dialog* dlg, int32_t id, int32_t index);  // -1 clears
const char* PLAT_DialogListText(const PLAT_Dialog* dlg, int32_t id, int32_t index);  // or null

// Breaks a text into lines no wider than maxWidth dialog units in the dialog font, at spaces
// where it can; *width and *height (when given) receive the dialog units the lines take.
std::string PLAT_DialogWrapText(const char* text, int maxWidth, int* width, int* height);

// ---- What a user does, for test drivers and scripts ------------------------------------------

// A click: a button sends its command, a check box toggles and sends its command. False (and
// nothing happens) when the control is missing, disabled or not clickable.
bool PLAT_DialogClick(PLAT_Dialog* dlg, int32_t id);
// Picks a line of a list or combo box and sends the control's command; false when it cannot.
bool PLAT_DialogPick(PLAT_Dialog* dlg, int32_t id, int32_t index);
enum class PLAT_DlgKey : uint8_t { Enter, Escape };
void PLAT_DialogPressKey(PLAT_Dialog* dlg, PLAT_DlgKey key);
// Chooses a window menu item; false when the template has no such item.
bool PLAT_DialogMenu(PLAT_Dialog* dlg, int32_t id);
void PLAT_DialogRequestClose(PLAT_Dialog* dlg);
// Saves the dialog as the next frame draws it, as a PNG file; false when it cannot be drawn.
bool PLAT_DialogSnapshot(PLAT_Dialog* dlg, const char* pngPath);
// Where the last frame drew a control (a text: the lines it drew), in pixels of the dialog's
// client area; false when no frame drew it.
struct PLAT_DlgRect {
  int32_t x, y, w, h;
};
bool PLAT_DialogDrawnRect(const PLAT_Dialog* dlg, int32_t id, PLAT_DlgRect* rect);

// The test driver: called for the dialog on top before each frame it draws (the first after
// its Init), in place of the user. None restores the script or the user.
using PLAT_DialogDriver = void (*)(PLAT_Dialog* dlg, void* user);
void PLAT_DialogSetDriver(PLAT_DialogDriver driver, void* user);
bool PLAT_DialogHasDriver();

// Loads a script that drives every dialog and message box from now on; false with a trace
// naming the line when it cannot be read. One step a line, '#' starts a comment:
//   <dialog id> click <control id>
//   <dialog id> pick <control id> <line>
//   <dialog id> key enter|escape
//   <dialog id> menu <item id>
//   <dialog id> close
//   <dialog id> snapshot <png file>
//   answer ok|cancel|yes|no            the next message box
// Steps run in order, one a frame, each in the dialog on top when that is the dialog it names.
// Headless, message boxes the script does not answer take their default answer at once;
// elsewhere they are dialog PLAT_MSGBOX_DIALOG.
bool PLAT_DialogLoadScript(const char* path);
