// End to end: clash detection through the real kyrel with the OpenGL engine.
// The example scripts build the scenes, switch detection on with
// kyInterfere, wait for the worker with Wait and work the "Interferences"
// panel with the host's panel commands; the test reads the panel listings,
// the selection listings and the captures.
#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "kyrel_run.h"
#include "view_probe.h"

namespace {

using kyrel_test::Capture;
using kyrel_test::Example;
using kyrel_test::Rgb;
using kyrel_test::RunResult;
using kyrel_test::TopView;

constexpr const char* kWaitTimedOut = "Wait: the background work is still running";

bool Red(const Rgb& c) {
  return c.r > 150 && c.g < 90 && c.b < 90;
}

int RedPixels(const Capture& c) {
  int n = 0;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x)
      n += Red(c.At(x, y)) ? 1 : 0;
  return n;
}

// What each run of `command` printed, in order: the lines after its
// "Command: <command>" line up to the next command.
std::vector<std::string> Listings(const std::string& output, const std::string& command) {
  std::vector<std::string> out;
  const std::string head = "Command: " + command + "\n";
  for (std::size_t at = output.find(head); at != std::string::npos;
       at = output.find(head, at + 1)) {
    const std::size_t begin = at + head.size();
    const std::size_t end = output.find("Command: ", begin);
    out.push_back(output.substr(begin, end == std::string::npos ? end : end - begin));
  }
  return out;
}

// The rows of a panel listing, "A | B" per row.
std::vector<std::string> Rows(const std::string& panel) {
  std::vector<std::string> rows;
  static const std::regex row(R"(  row \d+ \| \d+ \| ([^|\n]*) \| ([^|\n]*?)( \| selected)?\n)");
  for (std::sregex_iterator it(panel.begin(), panel.end(), row), end; it != end; ++it)
    rows.push_back((*it)[1].str() + " | " + (*it)[2].str());
  return rows;
}

// The names List reports selected.
std::vector<std::string> Selected(const std::string& list) {
  std::vector<std::string> names;
  static const std::regex line(R"re(name="([^"]*)"[^\n]*state=[a-z]+, selected)re");
  for (std::sregex_iterator it(list.begin(), list.end(), line), end; it != end; ++it)
    names.push_back((*it)[1].str());
  return names;
}

using Strings = std::vector<std::string>;

class InterfereRun : public kyrel_test::KyrelRun {
protected:
  RunResult Run(const std::string& script) {
    return Kyrel(kyrel_test::CapturesAtViewSize(script), "", "--view-size 640x480");
  }
  Capture Picture(const std::string& name) {
    Capture c;
    EXPECT_TRUE(c.Read(dir + "/" + name)) << name;
    return c;
  }
};

TEST_F(InterfereRun, EveryKindOfClashIsListedInOrderAndDrawnInRed) {
  std::string scene = Example("interfere_clashes.macro");
  scene.replace(scene.find("examples/wall.obj"), 17, KYREL_EXAMPLES "/wall.obj");
  RunResult r = Run(scene + "SelName \"Left\"\nSelName \"Right\"\nZoom _Mode _Selected\nSelNone\n"
                            "ViewCaptureToFile \"pair.png\"\n");
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_FALSE(r.Has(kWaitTimedOut)) << r.output;

  std::smatch unnamed;
  ASSERT_TRUE(std::regex_search(r.output, unnamed,
                                std::regex(R"(110,40,10\nAdded box ([0-9A-Fa-f-]{36})\.)")))
      << r.output;
  std::string unnamed_id = unnamed[1].str();
  for (char& ch : unnamed_id)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));

  const Strings panels = Listings(r.output, "Panel");
  ASSERT_EQ(panels.size(), 1u) << r.output;
  // Thirteen candidates: the hidden box is not one, the locked one is.
  EXPECT_TRUE(panels[0].find("progress 13 of 13") != std::string::npos) << panels[0];
  // Row-major candidate order, the object made first as "Object A"; the
  // open sheets cross the boxes in either order of creation, the two open
  // sheets crossing each other give nothing.
  EXPECT_EQ(Rows(panels[0]), (Strings{"Left | Right", "Right | Anchor", "Shell | Core",
                                      "Sheet | Crate", "Drum | Lid", unnamed_id + " | Tag"}))
      << panels[0];

  // Seen from the top: the overlap of "Left" and "Right" (5..10 in x and y)
  // and of "Right" and the locked "Anchor" (12..15) in red; the boxes
  // themselves show no surface.
  const TopView view{ON_BoundingBox(ON_3dPoint(0, 0, 0), ON_3dPoint(15, 15, 15))};
  const Capture pair = Picture("pair.png");
  EXPECT_TRUE(Red(view.Probe(pair, ON_3dPoint(7.5, 7.5, 10))));
  EXPECT_TRUE(Red(view.Probe(pair, ON_3dPoint(13.5, 13.5, 15))));
  for (const ON_3dPoint& p : {ON_3dPoint(1.5, 8, 10), ON_3dPoint(13, 7, 15)}) {
    const Rgb c = view.Probe(pair, p);
    EXPECT_LT(c.DistanceTo(pair.Background()), 12) << "surface drawn at " << p.x << "," << p.y;
  }
}

TEST_F(InterfereRun, PanelSelectsZoomsCancelsAndFollowsModelChanges) {
  RunResult r =
      Run(Example("interfere_panel.macro") + "Open \"" KYREL_EXAMPLES "/cut_box_by_sphere.kyd\"\n"
                                             "SelAll\nMove _Pause 0,0,0 5,0,0\n"
                                             "SelNone\nWait\nPanel\n");
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_FALSE(r.Has(kWaitTimedOut)) << r.output;

  const Strings panels = Listings(r.output, "Panel");
  ASSERT_EQ(panels.size(), 9u) << r.output;
  const Strings first{"Left | Right", "Right | Top"};
  EXPECT_EQ(Rows(panels[0]), first) << panels[0];

  // A row selects both objects of its clash; another row instead of it
  // deselects the first pair and selects its own; no row deselects all.
  const Strings lists = Listings(r.output, "List");
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(Selected(lists[0]), (Strings{"Left", "Right"}));
  EXPECT_EQ(Selected(lists[1]), (Strings{"Right", "Top"}));
  EXPECT_EQ(Selected(lists[2]), Strings{});

  // Double clicks zoom: to "Left" alone, then to "Left" and "Right"; the
  // clash region grows on screen each time and differs between the two.
  const int all = RedPixels(Picture("panel_all.png"));
  const int left = RedPixels(Picture("panel_left.png"));
  const int pair = RedPixels(Picture("panel_pair.png"));
  EXPECT_GT(all, 50);
  EXPECT_GT(left, 3 * all);
  EXPECT_GT(pair, 2 * all);
  EXPECT_NE(left, pair);

  // Docked at the top the list is hidden.
  EXPECT_TRUE(panels[1].find("docked top") != std::string::npos) << panels[1];
  EXPECT_TRUE(panels[1].find("(2 rows, hidden)") != std::string::npos) << panels[1];

  // Cancel empties the list; detection stays on, so the move of "Far"
  // against both boxes computes again.
  EXPECT_TRUE(panels[2].find("shown") != std::string::npos) << panels[2];
  EXPECT_EQ(Rows(panels[2]), Strings{}) << panels[2];
  const Strings moved{"Left | Right", "Left | Far", "Right | Top", "Right | Far"};
  EXPECT_EQ(Rows(panels[3]), moved) << panels[3];
  // Undo does not compute again: the results are those before it.
  EXPECT_EQ(Rows(panels[4]), moved) << panels[4];

  // Closing the panel switches detection off: no results, and a model
  // change computes nothing.
  EXPECT_TRUE(panels[5].find("hidden") != std::string::npos) << panels[5];
  EXPECT_EQ(Rows(panels[5]), Strings{});
  EXPECT_EQ(Rows(panels[6]), Strings{});
  // kyInterfere switches it on again and shows the panel.
  EXPECT_TRUE(panels[7].find("shown") != std::string::npos) << panels[7];
  EXPECT_EQ(Rows(panels[7]), first) << panels[7];
  // Opening another model switches it off (the opened model's sphere
  // overlaps its box, and moving both still lists nothing).
  EXPECT_TRUE(panels[8].find("hidden") != std::string::npos) << panels[8];
  EXPECT_EQ(Rows(panels[8]), Strings{}) << panels[8];
}

TEST_F(InterfereRun, KyInterfereTwiceLeavesDetectionOffAndThePanelHidden) {
  RunResult r = Run("Box 0,0,0 10,10,10 \"Left\"\nBox 5,5,5 15,15,15 \"Right\"\n"
                    "kyInterfere\nkyInterfere\nWait\nPanel\nShowPanel\nWait\nPanel\nUndo\n"
                    "List\n");
  ASSERT_EQ(r.status, 0) << r.output;
  const Strings panels = Listings(r.output, "Panel");
  ASSERT_EQ(panels.size(), 2u) << r.output;
  EXPECT_TRUE(panels[0].find("hidden") != std::string::npos) << panels[0];
  EXPECT_EQ(Rows(panels[0]), Strings{});
  // Showing the panel from the host's panel list switches detection on.
  EXPECT_EQ(Rows(panels[1]), Strings{"Left | Right"}) << panels[1];
  // kyInterfere left no undo record: Undo takes back the second box.
  EXPECT_EQ(Listings(r.output, "List").at(0).find("Right"), std::string::npos) << r.output;
}

} // namespace
