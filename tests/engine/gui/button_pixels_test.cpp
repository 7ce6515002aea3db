// Push buttons drawn through the driver's code in offscreen OpenGL, read back as pixels.
#include <gtest/gtest.h>

#include "engine/gui/gui.h"
#include "engine/kernel/kernel.h"
#include "tests/engine/quad/screen_fixture.h"
#include "tools/writers/gui_writer.h"

namespace screentest {
namespace {

using drawtest::Near;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kBlack = 0xFF000000;

class ButtonPixels : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(SGE_InitKernel(), 1);
    GUI_ResetState();
    ASSERT_EQ(GUI_RegisterTaskTypes(), 1);
  }
  void TearDown() override {
    GUI_FreeScreen(screen);
    GUI_ResetState();
    SGE_ShutdownKernel();
    ScreenTest::TearDown();
  }
  GUI_SCREEN* screen = nullptr;
};

// One sheet cut in quarters: the up frame red, the pressed frame green, the highlighted blue.
vnGUI_LAYOUT ButtonLayout() {
  vnGUI_LAYOUT layout;
  layout.sheet.textures.push_back({"button.ppm", 1, Image(128, 32, [](uint32_t x, uint32_t) {
                                     return x < 32 ? kRed : x < 64 ? kGreen : kBlue;
                                   })});
  vnB2D_SET set{"Buttons", {0, 0}, {}};
  set.frames.push_back({"up", 1, GUI_FRAME_NORMAL, 0, 0, 32, 32, 0, 0, 0.25f, 1});
  set.frames.push_back({"down", 1, GUI_FRAME_PRESSED, 0, 0, 32, 32, 0.25f, 0, 0.25f, 1});
  set.frames.push_back({"over", 1, GUI_FRAME_HIGHLIGHTED, 0, 0, 32, 32, 0.5f, 0, 0.25f, 1});
  layout.sheet.sets.push_back(set);
  layout.buttons.push_back({{"Up", "Buttons", 0, 100, 100, 32, 32},
                            {"Over", "Buttons", 0, 200, 100, 32, 32},
                            {"Down", "Buttons", 0, 300, 100, 32, 32},
                            {"Off", "Buttons", 0, 400, 100, 32, 32}});
  return layout;
}

TEST_F(ButtonPixels, AButtonShowsTheFrameOfItsState) {
  ASSERT_TRUE(vnWRITE_GUILayoutFile(dir.file("buttons.b2d"), ButtonLayout()));
  const GUI_NAMEVALUE names[] = {{"Up", 1}, {"Over", 2}, {"Down", 3}, {"Off", 4}, {nullptr, 0}};
  const GUI_SCREENENTRY entry{"Buttons", 0, 0};
  screen = GUI_LoadScreen("buttons.b2d", nullptr, &node, &entry, names, 1);
  ASSERT_NE(screen, nullptr);
  SGE_DLLNODE* list = &screen->pButtons[0];
  ASSERT_EQ(SGE_ListCount(list), 4);
  GUI_ShowList(list, 1);
  SGE_Send(GUI_FindControl(list, 2)->pTask, SGM_GUI_MODE_HIGHLIGHT, 0, 0);
  SGE_Send(GUI_FindControl(list, 3)->pTask, SGM_GUI_MODE_PRESSED, 0, 0);
  GUI_SetActive(GUI_FindControl(list, 4), 0);
  GUI_SendToList(&node, list, 0);
  EndFrame();

  struct Case {
    const char* what;
    int x, y;
    uint32_t want;
  };
  const Case cases[] = {
      {"up", 116, 116, kRed},          {"up, left edge", 100, 100, kRed},
      {"up, outside", 98, 116, kBlack}, {"over", 216, 116, kBlue},
      {"down", 316, 116, kGreen},      {"down, right edge", 331, 131, kGreen},
      {"down, outside", 333, 116, kBlack},
      {"inactive: the up frame darkened", 416, 116, 0xFF4C0000},
  };
  for (const Case& c : cases) EXPECT_TRUE(Near(Pixel(c.x, c.y), c.want, 4)) << c.what;
}

TEST_F(ButtonPixels, HiddenButtonsDrawNothing) {
  ASSERT_TRUE(vnWRITE_GUILayoutFile(dir.file("buttons.b2d"), ButtonLayout()));
  const GUI_NAMEVALUE names[] = {{nullptr, 0}};
  const GUI_SCREENENTRY entry{"Buttons", 0, 0};
  screen = GUI_LoadScreen("buttons.b2d", nullptr, &node, &entry, names, 1);
  ASSERT_NE(screen, nullptr);
  GUI_SendToList(&node, &screen->pButtons[0], 0);  // the screen's buttons start hidden
  EndFrame();
  EXPECT_TRUE(Near(Pixel(116, 116), kBlack));
}

}  // namespace
}  // namespace screentest

namespace screentest {
namespace {

// Labels as the driver receives them: centred on the button, pushed one pixel right and down
// while pressed, brighter when highlighted and dimmed when inactive.
class ButtonLabel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    GUI_ResetState();
    ASSERT_EQ(GUI_RegisterTaskTypes(), 1);
    rec.node.rect = {0, 0, 640, 480};
    font = static_cast<SPW_FONT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_FONT)));
    ASSERT_NE(font, nullptr);
    font->nHeight = 10;
    SPW_B2DFRAME& g = font->aGlyphs['A'];
    g.nId = 'A';
    g.nWidth = 8;
    g.nHeight = 10;
    g.du = g.dv = 1;
    g.nTextureId = 1;
    font->aGlyphs['_'] = g;
    font->aGlyphs['_'].nId = '_';
  }
  void TearDown() override {
    GUI_ResetState();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
  }
  RecordingDisplay rec;
  SPW_FONT* font = nullptr;
};

TEST_F(ButtonLabel, TheLabelFollowsTheButtonsState) {
  GUI_CONTROL* b = GUI_CreateControl(&rec.node, nullptr, nullptr, VNTT_GUI_PUSHBUTTON,
                                     GUI_PB_CLICK, nullptr, nullptr, 0, nullptr, nullptr);
  ASSERT_NE(b, nullptr);
  b->nX = 100;
  b->nY = 100;
  b->nW = 40;
  b->nH = 20;
  GUI_PlaceControl(b, 0, 0);  // centre (120, 110)
  const GUI_LABEL label{font, "A", {0, 0}, 0xFF808080, 0};
  SGE_Send(b->pTask, SGM_GUI_SET_TEXT, SGE_PtrParam(&label), 0);
  struct Case {
    const char* what;
    void (*set)(GUI_CONTROL*);
    float x, y;
    uint32_t colour;
  };
  const Case cases[] = {
      {"normal", [](GUI_CONTROL*) {}, 116, 105, 0xFF808080},
      {"highlighted", [](GUI_CONTROL* c) { SGE_Send(c->pTask, SGM_GUI_MODE_HIGHLIGHT, 0, 0); },
       116, 105, 0xFFA6A6A6},
      {"pressed", [](GUI_CONTROL* c) { SGE_Send(c->pTask, SGM_GUI_MODE_PRESSED, 0, 0); }, 117,
       106, 0xFF808080},
      {"inactive", [](GUI_CONTROL* c) {
         SGE_Send(c->pTask, SGM_GUI_MODE_NORMAL, 0, 0);
         GUI_SetActive(c, 0);
       }, 116, 105, 0xFF262626},
  };
  for (const Case& c : cases) {
    c.set(b);
    Calls().clear();
    SGE_Send(b->pTask, SGM_GUI_DRAW, SGE_PtrParam(&rec.node), 0);
    ASSERT_EQ(Calls().size(), 1u) << c.what;  // no frames: the label alone
    const SPPD_VERTEX& v = Calls()[0].v[0];
    EXPECT_FLOAT_EQ(v.x, c.x) << c.what;
    EXPECT_FLOAT_EQ(v.y, c.y) << c.what;
    EXPECT_EQ(v.dwColour, c.colour) << c.what;
  }
  SGE_Send(b->pTask, SGM_GUI_SET_TEXT, 0, 0);
  Calls().clear();
  SGE_Send(b->pTask, SGM_GUI_DRAW, SGE_PtrParam(&rec.node), 0);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(ButtonLabel, AnEditBoxDrawsItsTextAndTheCursorInItsColour) {
  GUI_CONTROL* box = GUI_CreateControl(&rec.node, nullptr, nullptr, VNTT_GUI_EDITBOX, 0, nullptr,
                                       nullptr, 0, nullptr, nullptr);
  ASSERT_NE(box, nullptr);
  box->nX = 100;
  box->nY = 100;
  box->nW = 200;
  box->nH = 20;
  GUI_PlaceControl(box, 0, 0);
  SGE_Send(box->pTask, SGM_EDIT_SET_FONT, SGE_PtrParam(font), 0);
  SGE_Send(box->pTask, SGM_EDIT_SET_COLOUR, 0xFF402010, 0);
  SGE_Send(box->pTask, SGM_EDIT_SET_TEXT, SGE_PtrParam("AA"), 0);
  SGE_Send(box->pTask, SGM_EDIT_SET_CURSOR, 1, -1);
  auto draw = [&] {
    Calls().clear();
    SGE_Send(box->pTask, SGM_GUI_DRAW, SGE_PtrParam(&rec.node), 0);
  };
  draw();
  ASSERT_EQ(Calls().size(), 2u);  // no focus: no cursor
  EXPECT_FLOAT_EQ(Calls()[0].v[0].x, 100);
  EXPECT_FLOAT_EQ(Calls()[0].v[0].y, 100);
  EXPECT_EQ(Calls()[0].v[0].dwColour, 0xFF402010u);

  GUI_SetFocus(box);
  SGE_Send(box->pTask, SGM_GUI_POINTER_ENTER, 0, 0);
  draw();
  ASSERT_EQ(Calls().size(), 3u);
  EXPECT_FLOAT_EQ(Calls()[2].v[0].x, 108);  // after the one glyph before the cursor
  EXPECT_EQ(Calls()[2].v[0].dwColour, 0xFF804020u);  // doubled while highlighted

  GUI_ReleaseFocus(1);
  SGE_Send(box->pTask, SGM_GUI_POINTER_LEAVE, 0, 0);
  GUI_SetActive(box, 0);
  draw();
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0].v[0].dwColour, 0xFF201008u);  // halved while inactive
}

}  // namespace
}  // namespace screentest
