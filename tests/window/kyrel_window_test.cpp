// kyrel --window on a virtual display, used with real input events: the
// pointer moves, clicks and drags, and keys are typed, through the X test
// extension (xdotool). Every step waits for what the window prints on its
// command line (echoed on standard output) or shows, with a deadline;
// nothing waits for a fixed time.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/png_file.h"
#include "support/pty_terminal.h"
#include "virtual_display.h"

namespace {

using test_display::VirtualDisplay;
using test_terminal::Terminal;

struct Box {
  int x = 0, y = 0, w = 0, h = 0;
  int CentreX() const { return x + w / 2; }
  int CentreY() const { return y + h / 2; }
};

// The rest of the line after the last `marker` in `text`.
std::string After(const std::string& text, const std::string& marker) {
  const std::size_t at = text.rfind(marker);
  if (at == std::string::npos) return {};
  const std::size_t from = at + marker.size();
  return text.substr(from, text.find_first_of("\r\n", from) - from);
}

// "x,y wxh" as a box; all zero when it does not parse.
Box ParseBox(const std::string& text) {
  Box b;
  if (std::sscanf(text.c_str(), "%d,%d %dx%d", &b.x, &b.y, &b.w, &b.h) != 4) return Box{};
  return b;
}

class KyrelWindow : public ::testing::Test {
protected:
  void SetUp() override {
    if (!test_display::ToolsInstalled()) GTEST_SKIP() << "Xvfb and xdotool are not installed";
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-win-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    // An installation: the plug-in installs its toolbar collection at its
    // first run, and opens it from the next one on.
    std::ofstream(dir + "/registry.json")
        << "{ \"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\TarvikCAD\\\\Kyrel\\\\1.0\": { "
           "\"ProductCode\": { \"type\": \"REG_SZ\", \"value\": \"{1D2C3B4A-0000-4000-8000-"
           "00000000C0DE}\" } } }\n";
    display = std::make_unique<VirtualDisplay>();
    ASSERT_TRUE(display->Ready()) << "Xvfb did not start";
    setenv("DISPLAY", display->Name().c_str(), 1);
    // Under the leak checker: what libdbus keeps is not kyrel's (see the file).
    setenv("LSAN_OPTIONS", "suppressions=" LSAN_SUPPRESSIONS, 1);
  }
  void TearDown() override {
    window.reset();
    display.reset();
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
  }
  // kyrel --window with `args`; waits until the window shows its view.
  void Start(std::vector<std::string> args) {
    args.insert(args.begin(), {KYREL_EXE, "--window", "--out", dir});
    window = std::make_unique<Terminal>(dir, args);
    ASSERT_TRUE(window->Started());
    ASSERT_TRUE(window->WaitFor("the view is at ")) << window->Output();
  }
  // Runs WindowLayout by typing it, and waits for its last line.
  void Layout() {
    ASSERT_TRUE(display->TypeLine("WindowLayout"));
    ASSERT_TRUE(window->WaitFor("Window layout:")) << window->Output();
    ASSERT_TRUE(window->WaitFor("End of the layout.")) << window->Output();
  }
  std::string Camera() const { return After(window->Output(), "camera at "); }
  void Exit() {
    ASSERT_TRUE(display->TypeLine("Exit"));
    EXPECT_EQ(window->WaitForExit(), 0) << window->Output();
  }

  std::string dir;
  std::unique_ptr<VirtualDisplay> display;
  std::unique_ptr<Terminal> window;
};

TEST_F(KyrelWindow, WithoutADisplayItSaysSoAndFails) {
  unsetenv("DISPLAY");
  Terminal t(dir, {KYREL_EXE, "--window", "--demo"});
  ASSERT_TRUE(t.Started());
  EXPECT_EQ(t.WaitForExit(), 2) << t.Output();
  EXPECT_NE(t.Output().find("--window needs a display"), std::string::npos) << t.Output();
}

TEST_F(KyrelWindow, ShowsTheViewAsTheOffscreenEngineDrawsIt) {
  Start({"--demo", "-c", "ShadedViewport", "-c", "WindowLayout"});
  ASSERT_TRUE(window->WaitFor("Window layout:")) << window->Output();
  ASSERT_TRUE(window->WaitFor("End of the layout.")) << window->Output();
  const Box view = ParseBox(After(window->Output(), "view at "));
  ASSERT_GT(view.w, 100) << window->Output();
  // Typed into the window: the same view, offscreen, at the window's size.
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(view.CentreX()) + " " +
                           std::to_string(view.y + view.h + 150)));
  ASSERT_TRUE(display->TypeLine("ViewCaptureToFile _Smooth=No _Width=" + std::to_string(view.w) +
                                " _Height=" + std::to_string(view.h) + " \"view.png\""));
  ASSERT_TRUE(window->WaitFor("Captured ")) << window->Output();
  ASSERT_TRUE(display->TypeLine("WindowCapture \"window.png\""));
  ASSERT_TRUE(window->WaitFor("Captured the window")) << window->Output();
  Exit();

  test_png::RgbImage offscreen, shown;
  ASSERT_TRUE(test_png::ReadPng(dir + "/view.png", offscreen));
  ASSERT_TRUE(test_png::ReadPng(dir + "/window.png", shown));
  ASSERT_EQ(offscreen.width, view.w);
  ASSERT_EQ(offscreen.height, view.h);
  ASSERT_GE(shown.width, view.x + view.w);
  ASSERT_GE(shown.height, view.y + view.h);
  long differing = 0, coloured = 0;
  for (int y = 0; y < view.h; ++y)
    for (int x = 0; x < view.w; ++x) {
      const unsigned char* a = &offscreen.rgb[(static_cast<std::size_t>(y) * view.w + x) * 3];
      const unsigned char* b =
          &shown.rgb[(static_cast<std::size_t>(y + view.y) * shown.width + x + view.x) * 3];
      bool differs = false;
      for (int c = 0; c < 3; ++c)
        differs = differs || std::abs(int(a[c]) - int(b[c])) > 6;
      differing += differs;
      coloured += std::abs(int(a[0]) - int(a[2])) > 40; // the objects' own colours
    }
  EXPECT_GT(coloured, view.w * view.h / 50) << "the view shows no objects";
  EXPECT_LE(differing, view.w * view.h / 1000) << differing << " pixels differ";
}

TEST_F(KyrelWindow, ClicksPickThroughTheCutAndTheMouseOrbitsZoomsAndPans) {
  // A slab with a hole bitten through it by a hidden sphere, a floor under
  // it; seen from the top.
  Start({"-c", "Box 0,0,0 10,10,2 \"Slab\"", "-c", "Box -3,-3,-6 13,13,-5 \"Floor\"", "-c",
         "Sphere 10,10,3 5 \"Cutter\"", "-c", "ShadedViewport", "-c", "SetView _View _Top", "-c",
         "SelName \"Cutter\"", "-c", "kyClippingObject _Pause _Mode _Difference", "-c", "Hide",
         "-c", "SelNone", "-c", "WindowPixel 3,3,2", "-c", "WindowPixel 8.5,8.5,2", "-c",
         "WindowLayout"});
  ASSERT_TRUE(window->WaitFor("Window layout:")) << window->Output();
  ASSERT_TRUE(window->WaitFor("End of the layout.")) << window->Output();
  int sx = 0, sy = 0, hx = 0, hy = 0;
  ASSERT_EQ(std::sscanf(After(window->Output(), "3,3,2 is at window pixel ").c_str(), "%d,%d", &sx,
                        &sy),
            2)
      << window->Output();
  ASSERT_EQ(std::sscanf(After(window->Output(), "8.5,8.5,2 is at window pixel ").c_str(), "%d,%d",
                        &hx, &hy),
            2)
      << window->Output();

  // On the slab's remaining top face: the slab.
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(sx) + " " + std::to_string(sy) +
                           " click 1"));
  ASSERT_TRUE(window->WaitFor("Selected \"Slab\".")) << window->Output();
  // In the hole: what is seen through it, the floor, and not the slab the
  // hole was cut from.
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(hx) + " " + std::to_string(hy) +
                           " click 1"));
  ASSERT_TRUE(window->WaitFor("Selected \"Floor\".")) << window->Output();

  const std::string before = Camera();
  ASSERT_FALSE(before.empty()) << window->Output();
  const Box view = ParseBox(After(window->Output(), "view at "));
  const std::string cx = std::to_string(view.CentreX()), cy = std::to_string(view.CentreY());
  ASSERT_TRUE(display->Xdo("mousemove " + cx + " " + cy + " mousedown 3 mousemove " +
                           std::to_string(view.CentreX() + 60) + " " + cy + " mousemove " +
                           std::to_string(view.CentreX() + 120) + " " +
                           std::to_string(view.CentreY() + 40) + " mouseup 3"));
  Layout();
  const std::string orbited = Camera();
  EXPECT_NE(orbited, before) << window->Output();
  // The wheel zooms in at the cursor, a middle drag pans: the camera moves
  // each time.
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(sx) + " " + std::to_string(sy) +
                           " click 4 click 4"));
  Layout();
  const std::string zoomed = Camera();
  EXPECT_NE(zoomed, orbited) << window->Output();
  ASSERT_TRUE(display->Xdo("mousemove " + cx + " " + cy + " mousedown 2 mousemove " +
                           std::to_string(view.CentreX() - 80) + " " + cy + " mouseup 2"));
  Layout();
  EXPECT_NE(Camera(), zoomed) << window->Output();
  Exit();
}

// The pixel WindowPixel printed for `point` ("x,y,z" as given).
bool PixelOf(const std::string& output, const std::string& point, int& x, int& y) {
  return std::sscanf(After(output, point + " is at window pixel ").c_str(), "%d,%d", &x, &y) == 2;
}

TEST_F(KyrelWindow, ADragMovesACutterAndTheCutFollows) {
  Start({"-c", "Box 0,0,0 10,10,2 \"Slab\"", "-c", "Box -3,-3,-6 13,13,-5 \"Floor\"", "-c",
         "Sphere 10,10,3 5 \"Cutter\"", "-c", "ShadedViewport", "-c", "SetView _View _Top", "-c",
         "SelName \"Cutter\"", "-c", "kyClippingObject _Pause _Mode _Difference", "-c",
         "SelNone", "-c", "WindowPixel 8.5,8.5,2", "-c", "WindowPixel 10,10,0", "-c",
         "WindowPixel 14,4,0", "-c", "WindowLayout"});
  ASSERT_TRUE(window->WaitFor("End of the layout.")) << window->Output();
  int hx = 0, hy = 0, fx = 0, fy = 0, tx = 0, ty = 0;
  ASSERT_TRUE(PixelOf(window->Output(), "8.5,8.5,2", hx, hy)) << window->Output();
  ASSERT_TRUE(PixelOf(window->Output(), "10,10,0", fx, fy)) << window->Output();
  ASSERT_TRUE(PixelOf(window->Output(), "14,4,0", tx, ty)) << window->Output();
  const auto at = [](int x, int y) { return std::to_string(x) + " " + std::to_string(y); };

  // Over the hole the cutter is what the click finds, the slab is cut away.
  ASSERT_TRUE(display->Xdo("mousemove " + at(hx, hy) + " click 1"));
  ASSERT_TRUE(window->WaitFor("Selected \"Cutter\".")) << window->Output();
  ASSERT_TRUE(display->TypeLine("Move"));
  ASSERT_TRUE(window->WaitFor("Command: Move")) << window->Output();
  // A drag from the cutter's centre to the new place, the cutter following.
  ASSERT_TRUE(display->Xdo("mousemove " + at(fx, fy) + " mousedown 1 mousemove " +
                           at((fx + tx) / 2, (fy + ty) / 2) + " mousemove " + at(tx, ty) +
                           " mouseup 1"));
  ASSERT_TRUE(window->WaitFor("1 objects moved.")) << window->Output();
  // The slab is whole again where the hole was: the cut followed the move.
  ASSERT_TRUE(display->Xdo("mousemove " + at(hx, hy) + " click 1"));
  ASSERT_TRUE(window->WaitFor("Selected \"Slab\".")) << window->Output();
  Exit();
}

TEST_F(KyrelWindow, WindowAndCrossingDragsAndModifierClicksSelect) {
  // Three boxes in a row, seen from the top, shaded (so a click on a face
  // picks it).
  Start({"-c", "Box 0,0,0 2,2,1 \"A\"", "-c", "Box 4,0,0 6,2,1 \"B\"", "-c",
         "Box 8,0,0 10,2,1 \"C\"", "-c", "ShadedViewport", "-c", "SetView _View _Top", "-c",
         "WindowPixel -1,3,1", "-c",
         "WindowPixel 7,-1,1", "-c", "WindowPixel 9,1.5,1", "-c", "WindowPixel 5,0.5,1", "-c",
         "WindowPixel 1,1,1", "-c", "WindowLayout"});
  ASSERT_TRUE(window->WaitFor("End of the layout.")) << window->Output();
  int wx0 = 0, wy0 = 0, wx1 = 0, wy1 = 0, cx = 0, cy = 0, bx = 0, by = 0, ax = 0, ay = 0;
  ASSERT_TRUE(PixelOf(window->Output(), "-1,3,1", wx0, wy0)) << window->Output();
  ASSERT_TRUE(PixelOf(window->Output(), "7,-1,1", wx1, wy1)) << window->Output();
  ASSERT_TRUE(PixelOf(window->Output(), "9,1.5,1", cx, cy)) << window->Output();
  ASSERT_TRUE(PixelOf(window->Output(), "5,0.5,1", bx, by)) << window->Output();
  ASSERT_TRUE(PixelOf(window->Output(), "1,1,1", ax, ay)) << window->Output();
  const auto at = [](int x, int y) { return std::to_string(x) + " " + std::to_string(y); };
  const auto drag = [&](int x0, int y0, int x1, int y1) {
    return display->Xdo("mousemove " + at(x0, y0) + " mousedown 1 mousemove " +
                        at((x0 + x1) / 2, (y0 + y1) / 2) + " mousemove " + at(x1, y1) +
                        " mouseup 1");
  };
  // Dragged to the right: what lies wholly inside, A and B, not C.
  ASSERT_TRUE(drag(wx0, wy0, wx1, wy1));
  ASSERT_TRUE(window->WaitFor("Selected \"A\", \"B\".")) << window->Output();
  // Dragged to the left from inside C to inside B: what it touches (no
  // corner of either lies in the rectangle; their edges cross it).
  ASSERT_TRUE(drag(cx, cy, bx, by));
  ASSERT_TRUE(window->WaitFor("Selected \"B\", \"C\".")) << window->Output();
  // Ctrl takes C out again; shift adds A to B.
  ASSERT_TRUE(display->Xdo("mousemove " + at(cx, cy) + " keydown ctrl click 1 keyup ctrl"));
  ASSERT_TRUE(window->WaitFor("Deselected \"C\".")) << window->Output();
  ASSERT_TRUE(display->Xdo("mousemove " + at(ax, ay) + " keydown shift click 1 keyup shift"));
  ASSERT_TRUE(window->WaitFor("Selected \"A\".")) << window->Output();
  // Typed as a new user would: a beginning, Tab, Enter.
  ASSERT_TRUE(display->Xdo("type --delay 25 Li"));
  ASSERT_TRUE(display->Xdo("key Tab key Return"));
  ASSERT_TRUE(window->WaitFor("Command: List")) << window->Output();
  ASSERT_TRUE(window->WaitFor("3 objects.")) << window->Output();
  const std::string& out = window->Output();
  const std::size_t list = out.rfind("Command: List");
  ASSERT_NE(list, std::string::npos);
  const std::string listed = out.substr(list);
  EXPECT_NE(listed.find("name=\"A\"  type=polysurface  layer=\"Default\"  state=normal, selected"),
            std::string::npos)
      << listed;
  EXPECT_NE(listed.find("name=\"B\"  type=polysurface  layer=\"Default\"  state=normal, selected"),
            std::string::npos)
      << listed;
  EXPECT_NE(listed.find("name=\"C\"  type=polysurface  layer=\"Default\"  state=normal\r"),
            std::string::npos)
      << listed;
  Exit();
}

// The rows the clash panel lists after an offscreen run on the demo model.
std::vector<std::string> OffscreenPanelRows(const std::string& dir) {
  const std::string command = "cd '" + dir + "' && KYREL_REGISTRY='" + dir +
                              "/registry.json' KYREL_PROFILE='" + dir +
                              "/profile-offscreen.json' XDG_DATA_HOME='" + dir +
                              "/data' '" KYREL_EXE "' --demo -c kyInterfere -c Wait -c Panel 2>&1";
  std::vector<std::string> rows;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return rows;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    std::string line(buffer);
    if (line.rfind("  row ", 0) == 0) rows.push_back(line.substr(0, line.find_first_of("\r\n")));
  }
  pclose(pipe);
  return rows;
}

TEST_F(KyrelWindow, ToolbarStartsClashDetectionAndADoubleClickOnARowZooms) {
  const std::vector<std::string> expected = OffscreenPanelRows(dir);
  ASSERT_FALSE(expected.empty()) << "the offscreen run listed no clash";

  Start({"--demo", "-c", "WindowLayout"});
  ASSERT_TRUE(window->WaitFor("Window layout:")) << window->Output();
  ASSERT_TRUE(window->WaitFor("End of the layout.")) << window->Output();
  const Box button = ParseBox(After(window->Output(), "toolbar button \"ToolBarItem 02\" at "));
  ASSERT_GT(button.w, 0) << window->Output();
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(button.CentreX()) + " " +
                           std::to_string(button.CentreY()) + " click 1"));
  ASSERT_TRUE(window->WaitFor("_kyInterfere")) << window->Output();
  ASSERT_TRUE(display->TypeLine("Wait"));
  ASSERT_TRUE(window->WaitFor("Command: Wait")) << window->Output();
  ASSERT_TRUE(display->TypeLine("Panel"));
  for (const std::string& row : expected)
    ASSERT_TRUE(window->WaitFor(row)) << row << "\n" << window->Output();

  Layout();
  const std::string before = Camera();
  const Box cell = ParseBox(After(window->Output(), "row 0 column 0 \"1\" at "));
  ASSERT_GT(cell.w, 0) << window->Output();
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(cell.CentreX()) + " " +
                           std::to_string(cell.CentreY()) + " click --repeat 2 --delay 60 1"));
  // The double click zooms to the clash's two objects: the camera moves.
  // (The window handles its events in order: the click before the keys.)
  Layout();
  EXPECT_NE(Camera(), before) << window->Output();
  // The right click runs the button's other macro: detection off again.
  ASSERT_TRUE(display->Xdo("mousemove " + std::to_string(button.CentreX()) + " " +
                           std::to_string(button.CentreY()) + " click 3"));
  ASSERT_TRUE(window->WaitFor("_WireframeViewport")) << window->Output();
  Exit();
}

} // namespace
