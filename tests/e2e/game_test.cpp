// The real game as a player meets it, on the demo tree that mkcontent writes and with the
// driver that demosetup records: the mouse moves along a path through the window's event
// queue, the pictures that go to the screen are read back, the pointer must be drawn where the
// mouse went, and closing the window ends the game with code 0. Headless in a window, and in
// full screen on a 1024x768 X server when xvfb-run is at hand.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPictureWidth = 640;  // the front end's mode
constexpr int kPictureHeight = 480;
constexpr int kPointerSide = 32;    // the pointer's quad, its hot spot at the top left
constexpr const char kXvfb[] = "/usr/bin/xvfb-run";

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

struct Point {
  double x, y;
};

std::optional<Picture> LoadPng(const std::string& path) {
  int w = 0, h = 0, n = 0;
  stbi_uc* data = stbi_load(path.c_str(), &w, &h, &n, 4);
  if (!data) return std::nullopt;
  Picture p{w, h, std::vector<uint8_t>(data, data + static_cast<size_t>(w) * h * 4)};
  stbi_image_free(data);
  return p;
}

// The demo pointer's green, scaled or not: the centre of the box around every such pixel.
std::optional<Point> FindPointer(const Picture& p) {
  int x0 = p.width, y0 = p.height, x1 = -1, y1 = -1;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* c = &p.rgba[(static_cast<size_t>(y) * p.width + x) * 4];
      if (!(c[1] > 200 && c[0] < 170 && c[2] < 170)) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return std::nullopt;
  return Point{(x0 + x1 + 1) / 2.0, (y0 + y1 + 1) / 2.0};
}

// The game in a folder of its own, driven through its test control file.
class Game {
 public:
  enum class Screen { HeadlessWindow, XFullScreen };

  Game(const vntest::TempDir& dir, Screen screen) : dir_(dir) {
    control_ = dir.file("control.txt");
    std::ofstream(control_).close();
    log_ = dir.file("stderr.txt");
    pid_ = fork();
    if (pid_ == 0) Exec(screen);
  }
  ~Game() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::string log() const { return vntest::readFile(log_); }

  void send(const std::string& line) {
    std::ofstream out(control_, std::ios::app);
    out << line << '\n';
  }

  // The next picture the game presents, once it is on disk.
  std::optional<Picture> picture(Clock::duration wait) {
    std::string path = dir_.file("frame" + std::to_string(dumps_++) + ".png");
    send("dump " + path);
    for (auto end = Clock::now() + wait; Clock::now() < end && alive();) {
      if (fs::exists(path)) return LoadPng(path);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

  // Presses the window's close button; the exit code, or -1 when the game does not end by
  // itself within the time.
  int close(Clock::duration wait) {
    send("close");
    for (auto end = Clock::now() + wait; Clock::now() < end;) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

 private:
  bool alive() {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    pid_ = -1;
    return false;
  }

  [[noreturn]] void Exec(Screen screen) {
    if (chdir(dir_.path().c_str()) != 0) _exit(126);
    setenv("VANTORIA_TEST_CONTROL", control_.c_str(), 1);
    // The programs' own code is leak-checked in process; the GL stack's is not ours to judge.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (!freopen(log_.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(126);
    if (screen == Screen::HeadlessWindow) {
      setenv("VANTORIA_WINDOWED", "1", 1);
      execl("./Vantoria", "Vantoria", static_cast<char*>(nullptr));
    } else {
      unsetenv("SDL_VIDEODRIVER");
      unsetenv("VANTORIA_HEADLESS");
      unsetenv("VANTORIA_WINDOWED");
      execl(kXvfb, "xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "./Vantoria",
            static_cast<char*>(nullptr));
    }
    _exit(127);
  }

  const vntest::TempDir& dir_;
  std::string control_, log_;
  pid_t pid_ = -1;
  int dumps_ = 0;
};

int RunShell(const std::string& cmd) {
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunShell("'" + std::string(VN_MKCONTENT_PATH) + "' '" + dir.path() + "' > /dev/null"),
              0);
    // The game finds its shared libraries beside its real file; the driver, a copy here, finds
    // the ones it needs beside it, as in an installed folder.
    fs::create_symlink(VN_GAME_PATH, dir.file("Vantoria"));
    fs::copy_file(VN_GFXDRV_PATH, dir.file("libgfxdrv.so"));
    for (const auto& e : fs::directory_iterator(fs::path(VN_GAME_PATH).parent_path())) {
      const std::string name = e.path().filename().string();
      if (name.rfind("libvn", 0) == 0 && e.path().extension() == ".so")
        fs::create_symlink(e.path(), dir.file(name));
    }
    // demosetup runs the driver's wizard, whose GL stack keeps allocations no leak checker can name.
    ASSERT_EQ(RunShell("cd '" + dir.path() + "' && ASAN_OPTIONS=detect_leaks=0 '" +
                       VN_DEMOSETUP_PATH + "' > /dev/null"),
              0);
  }

  // Moves the mouse along a path in screen pixels and checks, after each leg, that the pointer
  // is drawn where the mouse went; then closes the window.
  void PlayAndClose(Game::Screen screen) {
    Game game(dir, screen);
    // The first pictures come before the pointer task has loaded its shapes.
    std::optional<Picture> first;
    for (auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end;) {
      first = game.picture(std::chrono::seconds(60));
      if (!first || FindPointer(*first)) break;
    }
    ASSERT_TRUE(first) << game.log();
    // The picture fills the screen's height in full screen, centred; a window shows it 1:1.
    const double scale = std::min(double(first->width) / kPictureWidth,
                                  double(first->height) / kPictureHeight);
    const Point origin{(first->width - kPictureWidth * scale) / 2,
                       (first->height - kPictureHeight * scale) / 2};
    const double half = kPointerSide * scale / 2;
    std::optional<Point> start = FindPointer(*first);
    ASSERT_TRUE(start) << "no pointer on screen\n" << game.log();
    EXPECT_NEAR(start->x, origin.x + half, 3 * scale) << "the pointer starts in the corner";
    EXPECT_NEAR(start->y, origin.y + half, 3 * scale);

    struct Leg {
      int dx, dy;  // one step of the mouse, in screen pixels
      int steps;
    };
    const Leg legs[] = {{20, 15, 10}, {11, 7, 20}, {-30, 5, 10}, {7, -3, 13}};
    Point mouse{0, 0};
    for (const Leg& leg : legs) {
      for (int i = 0; i < leg.steps; ++i) {
        game.send("move " + std::to_string(leg.dx) + " " + std::to_string(leg.dy));
        // Half way, a picture: the leg's moves then reach the game over more than one pump.
        if (i == leg.steps / 2) {
          ASSERT_TRUE(game.picture(std::chrono::seconds(10))) << game.log();
        }
      }
      mouse.x += leg.dx * leg.steps;
      mouse.y += leg.dy * leg.steps;
      const Point want{origin.x + mouse.x + half, origin.y + mouse.y + half};
      // The moves reach the game over its next frames: look until the pointer settles there.
      std::optional<Point> seen;
      for (auto end = Clock::now() + std::chrono::seconds(5); Clock::now() < end;) {
        std::optional<Picture> p = game.picture(std::chrono::seconds(10));
        ASSERT_TRUE(p) << game.log();
        seen = FindPointer(*p);
        if (seen && std::abs(seen->x - want.x) <= 3 * scale && std::abs(seen->y - want.y) <= 3 * scale)
          break;
      }
      ASSERT_TRUE(seen) << "no pointer on screen\n" << game.log();
      // Later legs start from where this one ended: the first miss says it all.
      ASSERT_NEAR(seen->x, want.x, 3 * scale) << "mouse at " << mouse.x << "," << mouse.y;
      ASSERT_NEAR(seen->y, want.y, 3 * scale) << "mouse at " << mouse.x << "," << mouse.y;
    }
    EXPECT_EQ(game.close(std::chrono::seconds(30)), 0) << game.log();
  }

  vntest::ScopedRegistry registry;  // exported to the programs through the environment
  vntest::TempDir dir;
};

TEST_F(PlayerTest, InAWindowThePointerFollowsTheMouseAndClosingEndsTheGame) {
  PlayAndClose(Game::Screen::HeadlessWindow);
}

TEST_F(PlayerTest, InFullScreenOnAnXServerThePointerFollowsTheMouseOverTheScaledPicture) {
  if (access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no xvfb-run";
  PlayAndClose(Game::Screen::XFullScreen);
}

}  // namespace
