// End to end: live sections in the pictures kyrel draws. Each case runs the
// example scripts (with a few steps of its own) through the real kyrel with
// the OpenGL engine, then probes the captures where known model points land.
//
// Cutters are hidden before a capture where their own surface would cover
// the cut: hidden cutting objects still cut.
#include <gtest/gtest.h>

#include "kyrel_run.h"
#include "view_probe.h"

namespace {

using kyrel_test::Capture;
using kyrel_test::Example;
using kyrel_test::Rgb;
using kyrel_test::RunResult;
using kyrel_test::TopView;

// Colours closer than this (in every channel) are the same surface.
constexpr int kSameColour = 12;

// Points of the box-and-sphere scene on the box's top face (z = 10): one far
// from the sphere, one over the steep rim of the sphere's bite (where the
// capped bite shows a surface turned away from the camera), the same rim
// mirrored into the opposite corner, and one outside the sphere near the
// corner it does not reach.
const ON_3dPoint kFarFromCut(2, 8, 10);
const ON_3dPoint kBiteRim(6.5, 8.5, 10);
const ON_3dPoint kOppositeRim(3.5, 1.5, 10);
const ON_3dPoint kOutsideSphere(2, 2, 10);

class LiveSectionsRun : public kyrel_test::KyrelRun {
protected:
  RunResult Run(const std::string& script, const std::string& model = "") {
    return Kyrel(kyrel_test::CapturesAtViewSize(script), model, "--view-size 640x480");
  }
  Capture Picture(const std::string& name) {
    Capture c;
    EXPECT_TRUE(c.Read(dir + "/" + name)) << name;
    return c;
  }
  // The box-and-sphere scene, the sphere made a cutter of the given mode.
  static std::string CutterScene(const char* mode) {
    return Example("box_and_sphere.macro") + "SelName \"Cutter\"\nkyClippingObject _Pause _Mode _" +
           mode + "\nSelNone\n";
  }
  static std::string HideCuttersAndCapture(const char* name) {
    return std::string("SelName \"Cutter\"\nHide\nViewCaptureToFile \"") + name + "\"\n";
  }

  const TopView box_view{ON_BoundingBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 10, 10))};

  static bool Same(const Rgb& a, const Rgb& b) { return a.DistanceTo(b) < kSameColour; }
  // A bite shows the cap, a surface turned from the light: darker than the
  // flat top face around it, and not the background seen through a hole.
  static bool Bitten(const Capture& c, const Rgb& at, const Rgb& flat) {
    return !Same(at, c.Background()) && at.Brightness() + 3 * kSameColour < flat.Brightness();
  }
  bool BitAt(const Capture& c, const ON_3dPoint& p) const {
    return Bitten(c, box_view.Probe(c, p), box_view.Probe(c, kFarFromCut));
  }
  bool FlatAt(const Capture& c, const ON_3dPoint& p) const {
    return Same(box_view.Probe(c, p), box_view.Probe(c, kFarFromCut));
  }
};

TEST_F(LiveSectionsRun, DifferenceBitesAndIntersectionKeepsTheInside) {
  RunResult r = Run(Example("section_bite.macro"));
  ASSERT_EQ(r.status, 0) << r.output;

  const Capture whole = Picture("bite_whole.png");
  const Rgb flat = box_view.Probe(whole, kFarFromCut);
  ASSERT_FALSE(Same(flat, whole.Background()))
      << "the box is not where the camera was expected to put it";
  EXPECT_TRUE(Same(box_view.Probe(whole, kOutsideSphere), flat));
  // Just beyond the box's corner nothing is drawn.
  EXPECT_TRUE(Same(box_view.Probe(whole, ON_3dPoint(-0.5, -0.5, 10)), whole.Background()));

  const Capture difference = Picture("bite_difference.png");
  EXPECT_TRUE(BitAt(difference, kBiteRim));
  EXPECT_TRUE(FlatAt(difference, kOutsideSphere));
  EXPECT_TRUE(FlatAt(difference, kOppositeRim));
  EXPECT_TRUE(Same(box_view.Probe(difference, kFarFromCut), flat));

  const Capture intersection = Picture("bite_intersection.png");
  EXPECT_TRUE(Same(box_view.Probe(intersection, kOutsideSphere), intersection.Background()));
  EXPECT_TRUE(Same(box_view.Probe(intersection, kFarFromCut), intersection.Background()));
  EXPECT_TRUE(Same(box_view.Probe(intersection, kOppositeRim), intersection.Background()));
}

TEST_F(LiveSectionsRun, PiecesOfOneObjectAreCutEachOnItsOwn) {
  RunResult r = Run(Example("section_pieces.macro"), KYREL_EXAMPLES "/section_pieces.kyd");
  ASSERT_EQ(r.status, 0) << r.output;
  const TopView view{ON_BoundingBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 28, 4))};

  // Rows at y = 2 (the two-lump polysurface), 14 (the two-piece mesh), both
  // 4 high, and 26 (the open sheet at height 2).
  struct Row {
    double y, z;
  };
  for (const Row row : {Row{2, 4}, Row{14, 4}, Row{26, 2}}) {
    SCOPED_TRACE("row at y = " + std::to_string(row.y));
    const Capture difference = Picture("pieces_difference.png");
    const Rgb bg = difference.Background();
    EXPECT_FALSE(Same(view.Probe(difference, ON_3dPoint(1, row.y, row.z)), bg));
    EXPECT_TRUE(Same(view.Probe(difference, ON_3dPoint(3, row.y, row.z)), bg));
    EXPECT_TRUE(Same(view.Probe(difference, ON_3dPoint(8, row.y, row.z)), bg));

    const Capture intersection = Picture("pieces_intersection.png");
    EXPECT_TRUE(Same(view.Probe(intersection, ON_3dPoint(1, row.y, row.z)), bg));
    EXPECT_FALSE(Same(view.Probe(intersection, ON_3dPoint(3, row.y, row.z)), bg));
    EXPECT_FALSE(Same(view.Probe(intersection, ON_3dPoint(8, row.y, row.z)), bg));
  }
  // The sheet is split, not capped: between its pieces (at x = 5, under
  // the sheet's plane) there is nothing.
  const Capture difference = Picture("pieces_difference.png");
  EXPECT_TRUE(Same(view.Probe(difference, ON_3dPoint(5, 26, 0)), difference.Background()));
}

TEST_F(LiveSectionsRun, BlockReferencesAreCutThroughTheirMembersWhereTheyStand) {
  RunResult r = Run(Example("section_block.macro"));
  ASSERT_EQ(r.status, 0) << r.output;
  const TopView view{ON_BoundingBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 4, 4))};
  const Capture whole = Picture("block_whole.png");
  const Capture cut = Picture("block_cut.png");
  const Rgb bg = whole.Background();
  for (double x : {1.0, 3.5, 6.5, 9.0})
    EXPECT_FALSE(Same(view.Probe(whole, ON_3dPoint(x, 2, 4)), bg)) << "x = " << x;
  EXPECT_FALSE(Same(view.Probe(cut, ON_3dPoint(1, 2, 4)), bg));
  EXPECT_TRUE(Same(view.Probe(cut, ON_3dPoint(3.5, 2, 4)), bg));
  EXPECT_TRUE(Same(view.Probe(cut, ON_3dPoint(6.5, 2, 4)), bg));
  EXPECT_FALSE(Same(view.Probe(cut, ON_3dPoint(9, 2, 4)), bg));
}

TEST_F(LiveSectionsRun, EditsOfTheCutterRedrawTheCut) {
  struct Case {
    const char* name;
    std::string steps;
    bool bite_at_corner, bite_at_opposite;
  };
  const Case cases[] = {
      {"mode back to none", "SelName \"Cutter\"\nkyClippingObject _Pause _Mode _None\nSelNone\n",
       false, false},
      {"moved", "SelName \"Cutter\"\nMove _Pause 10,10,10 0,0,10\nSelNone\n", false, true},
      {"moved, undone", "SelName \"Cutter\"\nMove _Pause 10,10,10 0,0,10\nSelNone\nUndo\n", true,
       false},
      {"moved, undone, redone",
       "SelName \"Cutter\"\nMove _Pause 10,10,10 0,0,10\nSelNone\nUndo\nRedo\n", false, true},
      {"copied", "SelName \"Cutter\"\nCopy _Pause 10,10,10 0,0,10\nSelNone\n", true, true},
      {"cleared by the toolbar macro", Example("clear_cutters.macro"), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r = Run(CutterScene("Difference") + c.steps + HideCuttersAndCapture("edited.png"));
    ASSERT_EQ(r.status, 0) << r.output;
    const Capture picture = Picture("edited.png");
    EXPECT_EQ(BitAt(picture, kBiteRim), c.bite_at_corner);
    EXPECT_EQ(FlatAt(picture, kBiteRim), !c.bite_at_corner);
    EXPECT_EQ(BitAt(picture, kOppositeRim), c.bite_at_opposite);
    EXPECT_EQ(FlatAt(picture, kOppositeRim), !c.bite_at_opposite);
  }
}

TEST_F(LiveSectionsRun, DeletedCutterStopsCuttingAndUndoBringsItBack) {
  const std::string deleted = CutterScene("Difference") + "SelName \"Cutter\"\nDelete\n";
  RunResult undone = Run(deleted + "ViewCaptureToFile \"deleted.png\"\nUndo\n" +
                         HideCuttersAndCapture("undone.png"));
  ASSERT_EQ(undone.status, 0) << undone.output;
  EXPECT_TRUE(FlatAt(Picture("deleted.png"), kBiteRim));
  EXPECT_TRUE(BitAt(Picture("undone.png"), kBiteRim));

  RunResult redone = Run(deleted + "Undo\nRedo\nViewCaptureToFile \"redone.png\"\n");
  ASSERT_EQ(redone.status, 0) << redone.output;
  EXPECT_TRUE(FlatAt(Picture("redone.png"), kBiteRim));
}

// A tube along a figure eight passes through itself where the eight
// crosses; a ball there bites into both branches, cut through a refined
// copy and capped: from above, the crossing shows a surface, the loops'
// holes stay open.
TEST_F(LiveSectionsRun, AMeshThatPassesThroughItselfIsCutThroughARefinedCopy) {
  std::string script = Example("self_crossing.macro");
  const std::string given = "\"examples/figure_eight.obj\"";
  script.replace(script.find(given), given.size(), "\"" KYREL_EXAMPLES "/figure_eight.obj\"");
  RunResult r = Run(script + "SetView _View _Top\nZoom _Mode _Box -6,-4,-1 6,4,1\n"
                             "ViewCaptureToFile \"crossing_top.png\"\n");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("is cut through refined copies"), std::string::npos) << r.output;
  const TopView view{ON_BoundingBox(ON_3dPoint(-6, -4, -1), ON_3dPoint(6, 4, 1))};
  const Capture top = Picture("crossing_top.png");
  EXPECT_FALSE(Same(view.Probe(top, ON_3dPoint(0, 0, 0)), top.Background()));
  EXPECT_TRUE(Same(view.Probe(top, ON_3dPoint(3, 0, 0)), top.Background()));
  EXPECT_FALSE(Same(view.Probe(top, ON_3dPoint(6, 0, 0)), top.Background()));
}

} // namespace
