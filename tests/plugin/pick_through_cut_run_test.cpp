// End to end: clicking on a cut object in kyrel. A slab is bitten through
// its whole thickness by a Difference sphere; SelPoint picks at pixels of
// the top view where known model points land, and kyrel reports what each
// pick selected.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "kyrel_run.h"
#include "view_probe.h"

namespace {

using kyrel_test::Example;
using kyrel_test::RunResult;
using kyrel_test::TopView;

// The slab 10 x 10 x 2 and the sphere of radius 5 centred at (10, 10, 3):
// over (8.5, 8.5) the sphere reaches below the slab, so nothing of the slab
// remains under that pixel; over (6.8, 6.8) it reaches down to z = 0.87,
// so the pick meets the cap of the bite; (3, 3) is far from the sphere.
const char* const kScene = "Box 0,0,0 10,10,2 \"Box\"\n"
                           "Sphere 10,10,3 5 \"Cutter\"\n"
                           "ShadedViewport\n"
                           "SetView _View _Top\n"
                           "SelName \"Box\"\n"
                           "Zoom _Mode _Selected\n"
                           "SelNone\n";
const char* const kHideSphere = "SelName \"Cutter\"\nHide\n";
// Hidden cutting objects still cut, and are not picked.
const char* const kCutWithHiddenSphere = "Show\n"
                                         "SelNone\n"
                                         "SelName \"Cutter\"\n"
                                         "kyClippingObject _Pause _Mode _Difference\n"
                                         "Hide\n"
                                         "SelNone\n";
const ON_3dPoint kRemains(3, 3, 2);
const ON_3dPoint kThroughTheBite(8.5, 8.5, 2);
const ON_3dPoint kOnTheCap(6.8, 6.8, 0.87);

class PickThroughCutRun : public kyrel_test::KyrelRun {
protected:
  // "SelNone", then "SelPoint" at the pixel where `world` lands.
  std::string PickAt(const ON_3dPoint& world) const {
    const ON_3dPoint pixel = view.Pixel(world);
    std::ostringstream line;
    line << "SelNone\nSelPoint " << std::lround(pixel.x) << " " << std::lround(pixel.y) << "\n";
    return line.str();
  }
  // What each SelPoint of the run reported, in order: the picked object's
  // name, or "" when nothing was picked.
  static std::vector<std::string> Picks(const RunResult& r) {
    std::vector<std::string> picks;
    std::istringstream lines(r.output);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("Nothing picked.", 0) == 0) {
        picks.emplace_back();
      } else if (line.rfind("Picked ", 0) == 0) {
        const std::size_t open = line.find('"'), close = line.rfind('"');
        picks.push_back(open < close ? line.substr(open + 1, close - open - 1) : "?");
      }
    }
    return picks;
  }

  const TopView view{ON_BoundingBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 10, 2))};
};

TEST_F(PickThroughCutRun, ThePickFindsTheBoxOnlyWhereItStillIs) {
  // Before the cut (the sphere hidden) the box is picked at every one of
  // the three pixels: so they all land on it, and a miss after the cut is
  // the cut's doing.
  const std::string probes = PickAt(kRemains) + PickAt(kThroughTheBite) + PickAt(kOnTheCap);
  RunResult r = Kyrel(
      std::string(kScene) + kHideSphere + probes + kCutWithHiddenSphere + probes + "List\n", "");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<std::string> expected = {"Box", "Box", "Box", "Box", "", "Box"};
  EXPECT_EQ(Picks(r), expected) << r.output;
  // The last pick (on the cap) left the box selected.
  EXPECT_TRUE(r.Has("name=\"Box\"  type=")) << r.output;
  EXPECT_EQ(r.Count("state=normal, selected"), 1u) << r.output;
}

TEST_F(PickThroughCutRun, TheSphereIsPickedInTheBiteWhileItIsShown) {
  // The cutter is drawn ghosted, not cut: the pick in the bite finds it.
  RunResult r = Kyrel(std::string(kScene) +
                          "SelName \"Cutter\"\nkyClippingObject _Pause _Mode _Difference\n" +
                          PickAt(kThroughTheBite),
                      "");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Picks(r), std::vector<std::string>{"Cutter"}) << r.output;
}

TEST_F(PickThroughCutRun, APickAfterTheCutterMovedSeesTheCutWhereTheCutterIsNow) {
  // A frame shows the bite; then the cutter moves away from (8.5, 8.5) and
  // the next pick there, with no frame drawn in between, finds the box:
  // a pick sees the model as it is, not as the last frame drew it.
  RunResult r = Kyrel(std::string(kScene) +
                          "SelName \"Cutter\"\nkyClippingObject _Pause _Mode _Difference\n"
                          "SelNone\nViewCaptureToFile _Width=640 _Height=480 \"cut.png\"\n" +
                          PickAt(kThroughTheBite) + "SelName \"Cutter\"\nMove 10,10,0 14,4,0\n" +
                          PickAt(kThroughTheBite),
                      "", "");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<std::string> expected = {"Cutter", "Box"};
  EXPECT_EQ(Picks(r), expected) << r.output;
}

TEST_F(PickThroughCutRun, ExampleScriptPicksTheRemainderAndMissesTheBite) {
  RunResult r = Kyrel(Example("pick_through_cut.macro"), "");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<std::string> expected = {"Box", "", "Box"};
  EXPECT_EQ(Picks(r), expected) << r.output;
}

} // namespace
