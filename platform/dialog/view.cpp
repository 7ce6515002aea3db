// A dialog's window: its SDL window and GL context, Dear ImGui drawing the controls at their
// template places, and the window system's events.
#include <SDL.h>
#include <SDL_opengl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/dialog/internal.h"
#include "platform/files.h"
#include "platform/trace.h"
#include "platform/window/internal.h"
#include "platform/window/window.h"

namespace {

// Dialog base units of an 8-point dialog font: a quarter of 6 pixels across, an eighth of 13
// pixels down.
constexpr int kBaseX = 6;
constexpr int kBaseY = 13;
constexpr float kFontPixels = 13.0f;
// Latin and Cyrillic glyphs, for the captions and buttons in both languages.
constexpr const char* kFontFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                      "/usr/share/fonts/TTF/DejaVuSans.ttf"};
constexpr const char kMenuPopup[] = "##windowmenu";
constexpr int kFrameMs = 15;
// A dialog waiting for the user sleeps this long at most between looks at its events.
constexpr int kIdleWaitMs = 500;

// The window system asked every window to close (a signal, the session ending): each dialog
// still running is closed in turn.
bool g_quitRequested = false;

ImU32 Rgb(int r, int g, int b) { return IM_COL32(r, g, b, 255); }

void ClassicStyle(ImGuiStyle* s) {
  ImGui::StyleColorsLight(s);
  s->WindowPadding = ImVec2(0, 0);
  s->WindowRounding = 0;
  // An edge of its own: without a window manager's frame a box over a dialog of the same
  // grey would not stand out.
  s->WindowBorderSize = 1;
  s->FrameRounding = 0;
  s->FrameBorderSize = 1;
  s->FramePadding = ImVec2(3, 2);
  s->PopupRounding = 0;
  s->PopupBorderSize = 1;
  s->ScrollbarRounding = 0;
  s->GrabRounding = 0;
  ImVec4* c = s->Colors;
  const ImVec4 face(0.831f, 0.816f, 0.784f, 1.0f);  // the classic 3D face grey
  c[ImGuiCol_WindowBg] = face;
  c[ImGuiCol_PopupBg] = face;
  c[ImGuiCol_Text] = ImVec4(0, 0, 0, 1);
  c[ImGuiCol_TextDisabled] = ImVec4(0.5f, 0.5f, 0.5f, 1);
  c[ImGuiCol_Border] = ImVec4(0.25f, 0.25f, 0.25f, 1);
  c[ImGuiCol_Button] = face;
  c[ImGuiCol_ButtonHovered] = ImVec4(0.88f, 0.87f, 0.85f, 1);
  c[ImGuiCol_ButtonActive] = ImVec4(0.70f, 0.69f, 0.66f, 1);
  c[ImGuiCol_FrameBg] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_FrameBgHovered] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_FrameBgActive] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_CheckMark] = ImVec4(0, 0, 0, 1);
  c[ImGuiCol_Header] = ImVec4(0.04f, 0.14f, 0.42f, 1);  // selected list line
  c[ImGuiCol_HeaderHovered] = ImVec4(0.80f, 0.85f, 0.95f, 1);
  c[ImGuiCol_HeaderActive] = ImVec4(0.04f, 0.14f, 0.42f, 1);
}

ImFont* AddDialogFont(ImFontAtlas* atlas, bool traceMissing) {
  for (const char* file : kFontFiles) {
    if (!PLAT_FileExists(file)) continue;
    if (ImFont* font = atlas->AddFontFromFileTTF(file, kFontPixels, nullptr,
                                                 atlas->GetGlyphRangesCyrillic()))
      return font;
  }
  if (traceMissing) PLAT_Trace("PLATDLG: no DejaVu Sans font; Cyrillic texts cannot be shown\n");
  return atlas->AddFontDefault();
}

// The dialog font outside any dialog, to lay texts out before their dialog opens.
const ImFont* MeasuringFont() {
  static ImFontAtlas atlas;
  static ImFont* font = nullptr;
  if (!font) {
    font = AddDialogFont(&atlas, false);
    atlas.Build();
  }
  return font;
}

// The owner's screen, or the first one; false when the window system knows none.
bool ScreenOf(SDL_Window* owner, SDL_Rect* screen) {
  int display = owner ? SDL_GetWindowDisplayIndex(owner) : 0;
  if (display < 0) display = 0;
  return SDL_GetDisplayUsableBounds(display, screen) == 0 ||
         SDL_GetDisplayBounds(display, screen) == 0;
}

// Centres w by h pixels on the owner (none: on the screen) and then moves it inside the
// owner's screen, frame included, so that an owner near an edge keeps its dialogs in sight.
void Place(SDL_Window* owner, int w, int h, int* x, int* y) {
  SDL_Rect screen{};
  const bool known = ScreenOf(owner, &screen);
  if (!known && !owner) {
    *x = *y = SDL_WINDOWPOS_CENTERED;
    return;
  }
  SDL_Rect centre = screen;
  // The owner's frame stands in for the dialog's, which does not exist yet.
  int top = 0, left = 0, bottom = 0, right = 0;
  if (owner) {
    SDL_GetWindowPosition(owner, &centre.x, &centre.y);
    SDL_GetWindowSize(owner, &centre.w, &centre.h);
    SDL_GetWindowBordersSize(owner, &top, &left, &bottom, &right);
  }
  *x = centre.x + (centre.w - w) / 2;
  *y = centre.y + (centre.h - h) / 2;
  if (!known) return;
  // Too big for the screen: its top left corner stays on it.
  *x = std::max(std::min(*x, screen.x + screen.w - w - right), screen.x + left);
  *y = std::max(std::min(*y, screen.y + screen.h - h - bottom), screen.y + top);
}

SDL_Window* CreateSdlWindow(const PLAT_Dialog* d, PLAT_Window* owner) {
  int x = 0, y = 0;
  Place(static_cast<SDL_Window*>(PLAT_NativeWindow(owner)), d->pixelWidth, d->pixelHeight, &x, &y);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  const char* caption = d->tpl->caption ? d->tpl->caption : "";
  PLATW_PinGlDriver();
  return SDL_CreateWindow(caption, x, y, d->pixelWidth, d->pixelHeight,
                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

bool IsOurs(const PLAT_Dialog* d, uint32_t windowId) {
  return d->window && PLATW_FindWindow(windowId) == d->window;
}

// The window system asks for (part of) a window to be drawn again.
bool Uncovers(const SDL_Event& e) {
  if (e.type != SDL_WINDOWEVENT) return false;
  switch (e.window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      return true;
    default:
      return false;
  }
}

// The window id an input event carries; 0 for events of no window.
uint32_t EventWindow(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
  }
}

void OnKey(PLAT_Dialog* d, const SDL_KeyboardEvent& k) {
  if (k.repeat) return;
  switch (k.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      PLAT_DialogPressKey(d, PLAT_DlgKey::Enter);
      break;
    case SDLK_ESCAPE:
      if (d->menuShown) {  // Escape closes the open menu first
        d->closeMenu = true;
        return;
      }
      PLAT_DialogPressKey(d, PLAT_DlgKey::Escape);
      break;
    case SDLK_SPACE:
      if (k.keysym.mod & KMOD_ALT) d->openMenu = true;
      break;
    default:
      break;
  }
}

void DrawPicture(ImDrawList* dl, ImVec2 a, ImVec2 b) {
  // Artwork: a night sky over a horizon, in a sunken frame.
  float horizon = a.y + (b.y - a.y) * 0.68f;
  dl->AddRectFilledMultiColor(a, ImVec2(b.x, horizon), Rgb(8, 12, 40), Rgb(8, 12, 40),
                              Rgb(120, 60, 30), Rgb(120, 60, 30));
  dl->AddRectFilledMultiColor(ImVec2(a.x, horizon), b, Rgb(40, 28, 16), Rgb(40, 28, 16),
                              Rgb(12, 8, 4), Rgb(12, 8, 4));
  dl->AddRect(a, b, Rgb(64, 64, 64));
  dl->AddLine(ImVec2(a.x, b.y - 1), ImVec2(b.x, b.y - 1), Rgb(255, 255, 255));
  dl->AddLine(ImVec2(b.x - 1, a.y), ImVec2(b.x - 1, b.y), Rgb(255, 255, 255));
}

void DrawIcon(ImDrawList* dl, ImVec2 a) {
  // The program's emblem: a shield in 32 by 32 pixels.
  ImVec2 top(a.x + 16, a.y + 2);
  dl->AddQuadFilled(ImVec2(a.x + 4, a.y + 6), top, ImVec2(a.x + 28, a.y + 6),
                    ImVec2(a.x + 16, a.y + 30), Rgb(40, 70, 140));
  dl->AddQuad(ImVec2(a.x + 4, a.y + 6), top, ImVec2(a.x + 28, a.y + 6),
              ImVec2(a.x + 16, a.y + 30), Rgb(0, 0, 0));
  dl->AddLine(ImVec2(a.x + 16, a.y + 6), ImVec2(a.x + 16, a.y + 26), Rgb(230, 200, 60), 2.0f);
}

// A message box's sign in 32 by 32 pixels: a disc or a triangle with its mark.
void DrawSign(ImDrawList* dl, ImVec2 a, PLAT_DlgKind kind) {
  const ImVec2 c(a.x + 16, a.y + 16);
  const ImU32 white = Rgb(255, 255, 255);
  switch (kind) {
    case PLAT_DlgKind::WarningIcon:
      dl->AddTriangleFilled(ImVec2(c.x, a.y + 1), ImVec2(a.x + 31, a.y + 30),
                            ImVec2(a.x + 1, a.y + 30), Rgb(250, 200, 30));
      dl->AddTriangle(ImVec2(c.x, a.y + 1), ImVec2(a.x + 31, a.y + 30), ImVec2(a.x + 1, a.y + 30),
                      Rgb(0, 0, 0));
      dl->AddRectFilled(ImVec2(c.x - 2, a.y + 9), ImVec2(c.x + 2, a.y + 21), Rgb(0, 0, 0));
      dl->AddRectFilled(ImVec2(c.x - 2, a.y + 24), ImVec2(c.x + 2, a.y + 28), Rgb(0, 0, 0));
      break;
    case PLAT_DlgKind::ErrorIcon:
      dl->AddCircleFilled(c, 15, Rgb(200, 30, 30), 32);
      dl->AddLine(ImVec2(c.x - 7, c.y - 7), ImVec2(c.x + 7, c.y + 7), white, 4.0f);
      dl->AddLine(ImVec2(c.x + 7, c.y - 7), ImVec2(c.x - 7, c.y + 7), white, 4.0f);
      break;
    case PLAT_DlgKind::QuestionIcon:
      dl->AddCircleFilled(c, 15, Rgb(40, 90, 190), 32);
      dl->PathArcTo(ImVec2(c.x, c.y - 5), 5.5f, 3.3f, 7.1f, 12);
      dl->PathLineTo(ImVec2(c.x, c.y + 4));
      dl->PathStroke(white, 0, 3.5f);
      dl->AddRectFilled(ImVec2(c.x - 2, c.y + 7), ImVec2(c.x + 2, c.y + 11), white);
      break;
    default:  // information
      dl->AddCircleFilled(c, 15, Rgb(40, 90, 190), 32);
      dl->AddRectFilled(ImVec2(c.x - 2, c.y - 10), ImVec2(c.x + 2, c.y - 6), white);
      dl->AddRectFilled(ImVec2(c.x - 2, c.y - 3), ImVec2(c.x + 2, c.y + 10), white);
      break;
  }
}

void DrawControl(PLAT_Dialog* d, PLATD_Control& c, int index) {
  const PLAT_DlgControl& t = c.tpl;
  ImVec2 pos(static_cast<float>(PLATD_PixelsX(t.x)), static_cast<float>(PLATD_PixelsY(t.y)));
  ImVec2 size(static_cast<float>(PLATD_PixelsX(t.w)), static_cast<float>(PLATD_PixelsY(t.h)));
  ImVec2 origin = ImGui::GetWindowPos();
  ImVec2 a(origin.x + pos.x, origin.y + pos.y);
  ImVec2 b(a.x + size.x, a.y + size.y);
  ImDrawList* dl = ImGui::GetWindowDrawList();
  std::string label = PLATD_Label(c.text) + "##c" + std::to_string(index);
  ImGui::SetCursorPos(pos);
  ImGui::PushID(index);
  if (!c.enabled) ImGui::BeginDisabled();
  switch (t.kind) {
    case PLAT_DlgKind::PushButton:
    case PLAT_DlgKind::DefPushButton:
      if (ImGui::Button(label.c_str(), size)) d->actions.push_back({PLATD_Action::Click, t.id, -1});
      if (t.kind == PLAT_DlgKind::DefPushButton) dl->AddRect(a, b, Rgb(0, 0, 0), 0, 0, 2.0f);
      break;
    case PLAT_DlgKind::CheckBox: {
      bool shown = c.checked;
      ImGui::PushTextWrapPos(pos.x + size.x);
      if (ImGui::Checkbox(label.c_str(), &shown))
        d->actions.push_back({PLATD_Action::Click, t.id, -1});
      ImGui::PopTextWrapPos();
      break;
    }
    case PLAT_DlgKind::ListBox:
      if (ImGui::BeginListBox("##list", size)) {
        for (size_t i = 0; i < c.lines.size(); ++i) {
          ImGui::PushID(static_cast<int>(i));
          bool selected = c.sel == static_cast<int32_t>(i);
          if (selected) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1, 1, 1, 1));
          if (ImGui::Selectable(c.lines[i].c_str(), selected))
            d->actions.push_back({PLATD_Action::Pick, t.id, static_cast<int32_t>(i)});
          if (selected) ImGui::PopStyleColor();
          ImGui::PopID();
        }
        ImGui::EndListBox();
      }
      break;
    case PLAT_DlgKind::ComboBox: {
      const char* preview =
          c.sel >= 0 && c.sel < static_cast<int32_t>(c.lines.size()) ? c.lines[c.sel].c_str() : "";
      ImGui::SetNextItemWidth(size.x);
      if (ImGui::BeginCombo("##combo", preview)) {
        for (size_t i = 0; i < c.lines.size(); ++i) {
          ImGui::PushID(static_cast<int>(i));
          if (ImGui::Selectable(c.lines[i].c_str(), c.sel == static_cast<int32_t>(i)))
            d->actions.push_back({PLATD_Action::Pick, t.id, static_cast<int32_t>(i)});
          ImGui::PopID();
        }
        ImGui::EndCombo();
      }
      break;
    }
    case PLAT_DlgKind::Static:
      ImGui::PushTextWrapPos(pos.x + size.x);
      ImGui::TextUnformatted(PLATD_Label(c.text).c_str());
      ImGui::PopTextWrapPos();
      break;
    case PLAT_DlgKind::Icon:
      DrawIcon(dl, a);
      break;
    case PLAT_DlgKind::Picture:
      DrawPicture(dl, a, b);
      break;
    case PLAT_DlgKind::InfoIcon:
    case PLAT_DlgKind::WarningIcon:
    case PLAT_DlgKind::ErrorIcon:
    case PLAT_DlgKind::QuestionIcon:
      DrawSign(dl, a, t.kind);
      break;
  }
  if (!c.enabled) ImGui::EndDisabled();
  ImGui::PopID();
  // Artwork is drawn straight into the window and is no item of its own.
  const bool artwork = t.kind >= PLAT_DlgKind::Icon;
  const ImVec2 min = artwork ? a : ImGui::GetItemRectMin();
  const ImVec2 max = artwork ? b : ImGui::GetItemRectMax();
  c.drawn = true;
  c.drawnRect = {static_cast<int32_t>(min.x - origin.x), static_cast<int32_t>(min.y - origin.y),
                 static_cast<int32_t>(max.x - min.x), static_cast<int32_t>(max.y - min.y)};
}

void DrawMenu(PLAT_Dialog* d) {
  bool background = ImGui::IsWindowHovered() && !ImGui::IsAnyItemHovered() &&
                    ImGui::IsMouseReleased(ImGuiMouseButton_Right);
  if (d->openMenu || background) ImGui::OpenPopup(kMenuPopup);
  d->openMenu = false;
  d->menuShown = ImGui::BeginPopup(kMenuPopup);
  if (!d->menuShown) return;
  if (d->closeMenu) {
    ImGui::CloseCurrentPopup();
    d->menuShown = false;
  }
  d->closeMenu = false;
  if (ImGui::MenuItem("Close")) d->actions.push_back({PLATD_Action::Close, 0, -1});
  if (d->tpl->menuCount > 0) ImGui::Separator();
  for (int32_t i = 0; i < d->tpl->menuCount; ++i) {
    const PLAT_DlgMenuItem& m = d->tpl->menu[i];
    std::string text = PLATD_Label(m.text ? m.text : "") + "##m" + std::to_string(i);
    if (ImGui::MenuItem(text.c_str())) d->actions.push_back({PLATD_Action::Menu, m.id, -1});
  }
  ImGui::EndPopup();
}

void SaveSnapshot(PLAT_Dialog* d) {
  std::string path;
  path.swap(d->snapshot);
  const int w = d->pixelWidth;
  const int h = d->pixelHeight;
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  // GL's rows run bottom up; the file's top down.
  std::vector<unsigned char> flipped(pixels.size());
  const size_t row = static_cast<size_t>(w) * 4;
  for (int y = 0; y < h; ++y)
    std::memcpy(&flipped[static_cast<size_t>(y) * row], &pixels[static_cast<size_t>(h - 1 - y) * row], row);
  for (size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255;
  std::string real = PLAT_ResolvePath(path.c_str());
  if (!stbi_write_png(real.c_str(), w, h, 4, flipped.data(), static_cast<int>(row)))
    PLAT_Trace("PLATDLG: cannot write the snapshot %s\n", real.c_str());
}

}  // namespace

int PLATD_PixelsX(int dlu) { return (dlu * kBaseX + 2) / 4; }
int PLATD_PixelsY(int dlu) { return (dlu * kBaseY + 4) / 8; }
int PLATD_UnitsX(int pixels) { return (pixels * 4 + kBaseX - 1) / kBaseX; }
int PLATD_UnitsY(int pixels) { return (pixels * 8 + kBaseY - 1) / kBaseY; }

std::string PLAT_DialogWrapText(const char* text, int maxWidth, int* width, int* height) {
  const ImFont* font = MeasuringFont();
  // ImGui breaks a line whose width reaches the wrap width: keep a pixel to spare.
  const float wrap = static_cast<float>(std::max(PLATD_PixelsX(maxWidth) - 1, 1));
  std::string out;
  float widest = 0;
  int lines = 0;
  const char* s = text ? text : "";
  const char* const end = s + std::strlen(s);
  for (;;) {
    const char* eol = static_cast<const char*>(std::memchr(s, '\n', static_cast<size_t>(end - s)));
    if (!eol) eol = end;
    do {  // a paragraph, one line at least even when empty
      const char* cut = font->CalcWordWrapPositionA(1.0f, s, eol, wrap);
      if (cut == s && s < eol) {  // not even a word fits: a character a line
        do ++cut;
        while (cut < eol && (*cut & 0xC0) == 0x80);
      }
      const char* last = cut;
      while (last > s && (last[-1] == ' ' || last[-1] == '\t')) --last;
      widest = std::max(widest, font->CalcTextSizeA(font->FontSize, FLT_MAX, 0.0f, s, last).x);
      if (lines++ > 0) out += '\n';
      out.append(s, last);
      s = cut;
      while (s < eol && (*s == ' ' || *s == '\t')) ++s;
    } while (s < eol);
    if (eol == end) break;
    s = eol + 1;
  }
  if (width) *width = PLATD_UnitsX(static_cast<int>(std::ceil(widest)) + 1);
  if (height) *height = PLATD_UnitsY(static_cast<int>(std::ceil(font->FontSize)) * lines);
  return out;
}

bool PLATD_OpenView(PLAT_Dialog* d, PLAT_Window* owner) {
  // A dialog opened over a GL window (the game's, another dialog's) hands its contexts back.
  d->prevGlWindow = SDL_GL_GetCurrentWindow();
  d->prevGl = SDL_GL_GetCurrentContext();
  d->prevImgui = ImGui::GetCurrentContext();
  d->pixelWidth = PLATD_PixelsX(d->tpl->width);
  d->pixelHeight = PLATD_PixelsY(d->tpl->height);
  SDL_Window* sdl = CreateSdlWindow(d, owner);
  if (!sdl) {
    PLAT_Trace("PLATDLG: dialog %d: no window: %s\n", d->tpl->id, SDL_GetError());
    return false;
  }
  d->window = PLATW_AdoptWindow(sdl);
  SDL_GLContext gl = SDL_GL_CreateContext(sdl);
  if (!gl) {
    PLAT_Trace("PLATDLG: dialog %d: no GL context: %s\n", d->tpl->id, SDL_GetError());
    return false;
  }
  d->gl = gl;
  SDL_GL_MakeCurrent(sdl, gl);
  SDL_GL_SetSwapInterval(PLAT_IsHeadless() ? 0 : 1);

  IMGUI_CHECKVERSION();
  d->imgui = ImGui::CreateContext();
  ImGui::SetCurrentContext(d->imgui);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // dialogs keep no layout between runs
  io.LogFilename = nullptr;
  AddDialogFont(io.Fonts, true);
  ClassicStyle(&ImGui::GetStyle());
  ImGui_ImplSDL2_InitForOpenGL(sdl, gl);
  ImGui_ImplOpenGL2_Init();
  return true;
}

void PLATD_ShowView(PLAT_Dialog* d) {
  if (!d->window) return;
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(d->window));
  SDL_ShowWindow(sdl);
  SDL_RaiseWindow(sdl);
}

void PLATD_CloseView(PLAT_Dialog* d) {
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(d->window));
  if (d->imgui) {
    ImGui::SetCurrentContext(d->imgui);
    if (d->gl) SDL_GL_MakeCurrent(sdl, d->gl);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(d->imgui);
    d->imgui = nullptr;
  }
  if (d->gl) {
    SDL_GL_MakeCurrent(sdl, nullptr);
    SDL_GL_DeleteContext(d->gl);
    d->gl = nullptr;
  }
  if (d->window) {
    PLATW_ReleaseWindow(d->window);
    d->window = nullptr;
  }
  ImGui::SetCurrentContext(d->prevImgui);
  if (d->prevGl && d->prevGlWindow)
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(d->prevGlWindow), d->prevGl);
}

void PLATD_PumpEvents(PLAT_Dialog* d) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (d->imgui) ImGui::SetCurrentContext(d->imgui);
  SDL_PumpEvents();
  SDL_Event e;
  // Every other window is disabled while a dialog runs: their input is dropped.
  while (!d->ended && SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    if (e.type == SDL_QUIT) {
      g_quitRequested = true;
      PLAT_PostQuit(0);
      continue;
    }
    if (!IsOurs(d, EventWindow(e))) {
      if (Uncovers(e))
        if (PLAT_Dialog* beneath = PLATD_RunningIn(PLATW_FindWindow(e.window.windowID)))
          beneath->exposed = true;
      continue;
    }
    d->owedFrames = std::max(d->owedFrames, PLATD_FRAMES_AFTER_INPUT);
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
      PLAT_DialogRequestClose(d);
      continue;
    }
    if (e.type == SDL_KEYDOWN) OnKey(d, e.key);
    if (d->imgui) ImGui_ImplSDL2_ProcessEvent(&e);
  }
  if (g_quitRequested && !d->ended) PLAT_DialogRequestClose(d);
}

bool PLAT_DialogQuitRequested() { return g_quitRequested; }

void PLATD_WaitEvents() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
}

void PLATD_DrawFrame(PLAT_Dialog* d) {
  if (!d->gl || !d->imgui) return;
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(d->window));
  SDL_GL_MakeCurrent(sdl, d->gl);
  ImGui::SetCurrentContext(d->imgui);
  ImGui_ImplOpenGL2_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGui::NewFrame();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(static_cast<float>(d->pixelWidth),
                                  static_cast<float>(d->pixelHeight)));
  ImGui::Begin("##dialog", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
  for (size_t i = 0; i < d->controls.size(); ++i) DrawControl(d, d->controls[i], static_cast<int>(i));
  DrawMenu(d);
  ImGui::End();
  ImGui::Render();

  glViewport(0, 0, d->pixelWidth, d->pixelHeight);
  const ImVec4 face = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
  glClearColor(face.x, face.y, face.z, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  if (!d->snapshot.empty()) SaveSnapshot(d);
  SDL_GL_SwapWindow(sdl);
  if (!PLAT_IsHeadless()) SDL_Delay(kFrameMs);
}
