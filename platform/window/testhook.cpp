// Remote control of a running program for end-to-end tests, off unless VANTORIA_TEST_CONTROL
// names a file. The event pump reads the lines appended to it since the last pump:
//   move DX DY   the mouse moves by DX, DY window pixels, as an event in the window's queue
//   dump PATH    the next presented picture, as it goes to the screen, is written to PATH (PNG)
//   close        the window's close button is pressed
#include <SDL.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/trace.h"
#include "platform/window/internal.h"

namespace {

struct Control {
  std::string file;    // empty: no control
  long offset = 0;     // bytes already acted on
  std::string dump;    // where the next presented picture goes
  int x = 0, y = 0;    // the mouse after the moves read so far
};

Control g_control;

void Move(int dx, int dy) {
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(PLAT_MainWindow()));
  if (!sdl) return;
  g_control.x += dx;
  g_control.y += dy;
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = SDL_GetWindowID(sdl);
  e.motion.x = g_control.x;
  e.motion.y = g_control.y;
  e.motion.xrel = dx;
  e.motion.yrel = dy;
  SDL_PushEvent(&e);
}

void Close() {
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(PLAT_MainWindow()));
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = sdl ? SDL_GetWindowID(sdl) : 0;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
}

void Act(const std::string& line) {
  int dx = 0, dy = 0;
  char path[1024];
  if (std::sscanf(line.c_str(), "move %d %d", &dx, &dy) == 2)
    Move(dx, dy);
  else if (std::sscanf(line.c_str(), "dump %1023s", path) == 1)
    g_control.dump = path;
  else if (line == "close")
    Close();
  else if (!line.empty())
    PLAT_Trace("PLATWIN: test control: unknown line \"%s\"\n", line.c_str());
}

}  // namespace

void PLATW_ReadTestControl() {
  // Another file (or none) starts over from its beginning.
  const char* file = std::getenv("VANTORIA_TEST_CONTROL");
  if (!file || !*file) {
    if (!g_control.file.empty()) g_control = Control{};
    return;
  }
  if (g_control.file != file) {
    g_control = Control{};
    g_control.file = file;
  }
  FILE* f = std::fopen(g_control.file.c_str(), "rb");
  if (!f) return;
  std::string text;
  if (std::fseek(f, g_control.offset, SEEK_SET) == 0) {
    char buffer[512];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  }
  std::fclose(f);
  // Only whole lines: the writer may be half way through the next one.
  size_t end = text.rfind('\n');
  if (end == std::string::npos) return;
  g_control.offset += static_cast<long>(end + 1);
  // Moves follow one another from where the last motion left the pointer. SDL's own mouse
  // state does not see pushed motions, so a leg split over two pumps would jump back from it.
  if (!PLATW_LastPointer(&g_control.x, &g_control.y))
    SDL_GetMouseState(&g_control.x, &g_control.y);
  size_t start = 0;
  while (start <= end) {
    size_t next = text.find('\n', start);
    Act(text.substr(start, next - start));
    start = next + 1;
  }
}

bool PLATW_FrameDumpWanted() { return !g_control.dump.empty(); }

void PLATW_DeliverFrameDump(const uint8_t* rgbaTopDown, int width, int height) {
  std::string path;
  path.swap(g_control.dump);
  if (path.empty()) return;
  // Written beside its place and renamed, so that a reader never sees half a file.
  std::string part = path + ".part";
  if (!stbi_write_png(part.c_str(), width, height, 4, rgbaTopDown, width * 4) ||
      std::rename(part.c_str(), path.c_str()) != 0)
    PLAT_Trace("PLATWIN: test control: cannot write %s\n", path.c_str());
}
