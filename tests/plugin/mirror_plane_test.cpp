// "kyMirrorPlane": the option prompt driven through the host's command
// line in a host session (switch, plane point, plane normal, how the
// command ends), and end to end through kyrel with the OpenGL engine,
// where the mirrored copy of a box shows up in the picture.
#include <string>
#include <vector>

#include "conduit/kyrel_conduit.h"
#include "kyrel_run.h"
#include "plugin_fixture.h"
#include "view_probe.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

bool Near(const ON_3dPoint& a, const ON_3dPoint& b) {
  return a.DistanceTo(b) < 1e-9;
}

class MirrorPlane : public PlugInTest {
protected:
  void SetUp() override {
    PlugInTest::SetUp();
    ASSERT_NE(StartWithPlugIn(), nullptr);
    // The conduit outlives sessions in this process: start from its
    // load-time settings.
    conduit().EnableMirroring(false);
    conduit().SetMirrorPosition(ON_3dPoint(0, 0, 0));
    conduit().SetMirrorDirection(ON_3dVector(1, 0, 0));
    ASSERT_TRUE(Run(L"ShadedViewport Box 2,0,1 4,2,3 \"box\""));
  }
  void TearDown() override {
    conduit().EnableMirroring(false);
    conduit().SetMirrorPosition(ON_3dPoint(0, 0, 0));
    conduit().SetMirrorDirection(ON_3dVector(1, 0, 0));
    PlugInTest::TearDown();
  }
  static CKyrelConduit& conduit() { return *CKyrelConduit::Instance(); }

  CRhinoCommand::result Mirror(const std::wstring& answers) {
    CaptureStdout();
    CRhinoCommand::result r = RunCommand(L"kyMirrorPlane", answers);
    output = GetCapturedStdout();
    return r;
  }
  bool Printed(const std::string& text) const { return output.find(text) != std::string::npos; }

  CRhinoRecordingEngine* Engine() {
    CRhinoView* view = RhinoApp().ActiveView();
    return view ? dynamic_cast<CRhinoRecordingEngine*>(&view->Engine()) : nullptr;
  }
  // For each frame recorded so far: whether it drew anything reflected.
  std::vector<bool> FramesWithCopies() {
    std::vector<bool> frames;
    for (const CRhinoRecordedCall& call : Engine()->Calls()) {
      if (call.m_kind == CRhinoRecordedCall::begin_frame) frames.push_back(false);
      if (call.m_kind == CRhinoRecordedCall::shaded_mesh && !frames.empty() &&
          !call.m_xform.IsIdentity())
        frames.back() = true;
    }
    return frames;
  }

  std::string output;
};

TEST_F(MirrorPlane, EnabledTwiceTurnsMirroringOnAndOffAgainEachShownAtOnce) {
  ASSERT_NE(Engine(), nullptr);
  Engine()->Clear();
  EXPECT_EQ(Mirror(L"_Enabled _Enabled _Enter"), CRhinoCommand::nothing);
  EXPECT_TRUE(Printed("Mirror Plane ( Enabled=Off  Position  Direction ): _Enabled")) << output;
  EXPECT_TRUE(Printed("Mirror Plane ( Enabled=On  Position  Direction ): _Enabled")) << output;
  EXPECT_FALSE(conduit().IsMirroringEnabled());
  // One frame after each choice: the first with the mirrored box, the
  // second without.
  const std::vector<bool> frames = FramesWithCopies();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_TRUE(frames[0]);
  EXPECT_FALSE(frames[1]);
}

TEST_F(MirrorPlane, ToolbarMacroFlipsTheSwitchAndEnds) {
  ASSERT_TRUE(Run(L"! _kyMirrorPlane _Enabled _Enter"));
  EXPECT_TRUE(conduit().IsMirroringEnabled());
  ASSERT_TRUE(Run(L"! _kyMirrorPlane _Enabled _Enter"));
  EXPECT_FALSE(conduit().IsMirroringEnabled());
}

TEST_F(MirrorPlane, PositionAnsweredMovesThePlaneAndCancelledLeavesIt) {
  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Mirror(L"_Position 1,2,3 _Enter"), CRhinoCommand::nothing);
  EXPECT_TRUE(Printed("Positition: 1,2,3")) << output;
  EXPECT_EQ(conduit().MirrorPosition(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(conduit().MirrorDirection(), ON_3dVector(1, 0, 0));
  EXPECT_TRUE(Near(conduit().m_mirror_xform * ON_3dPoint(3, 5, 7), ON_3dPoint(-1, 5, 7)));
  EXPECT_EQ(Doc().RedrawCount(), frames + 1);

  frames = Doc().RedrawCount();
  EXPECT_EQ(Mirror(L"_Position ! _Enter"), CRhinoCommand::nothing);
  EXPECT_EQ(conduit().MirrorPosition(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(Doc().RedrawCount(), frames + 1); // redrawn all the same
}

TEST_F(MirrorPlane, DirectionIsTheVectorFromThePlanePointToThePick) {
  conduit().SetMirrorPosition(ON_3dPoint(1, 0, 0));
  EXPECT_EQ(Mirror(L"_Direction 3,0,0 _Enter"), CRhinoCommand::nothing);
  EXPECT_TRUE(Printed("Point: 3,0,0")) << output;
  EXPECT_EQ(conduit().MirrorDirection(), ON_3dVector(2, 0, 0)); // not unitized

  // A position answered earlier in the same run is the base of the pick.
  EXPECT_EQ(Mirror(L"_Position 0,0,1 _Direction 0,0,4 _Enter"), CRhinoCommand::nothing);
  EXPECT_EQ(conduit().MirrorDirection(), ON_3dVector(0, 0, 3));
  EXPECT_TRUE(Near(conduit().m_mirror_xform * ON_3dPoint(2, 2, 3), ON_3dPoint(2, 2, -1)));
}

TEST_F(MirrorPlane, DirectionCancelledOrPickedAtThePlanePointKeepsThePreviousNormal) {
  conduit().SetMirrorPosition(ON_3dPoint(1, 0, 0));
  conduit().SetMirrorDirection(ON_3dVector(0, 2, 0));
  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Mirror(L"_Direction ! _Enter"), CRhinoCommand::nothing);
  EXPECT_EQ(conduit().MirrorDirection(), ON_3dVector(0, 2, 0));
  EXPECT_EQ(Doc().RedrawCount(), frames + 1);

  // No direction at all: the plane keeps its normal instead of losing it.
  EXPECT_EQ(Mirror(L"_Direction 1,0,0 _Enter"), CRhinoCommand::nothing);
  EXPECT_EQ(conduit().MirrorDirection(), ON_3dVector(0, 2, 0));
  EXPECT_TRUE(Near(conduit().m_mirror_xform * ON_3dPoint(0, 1, 0), ON_3dPoint(0, -1, 0)));
}

TEST_F(MirrorPlane, EnterAndEscapeEndWithTheOptionPromptsResult) {
  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Mirror(L"_Enter"), CRhinoCommand::nothing);
  EXPECT_EQ(Doc().RedrawCount(), frames); // nothing chosen, nothing shown
  // Escape ends it as cancelled; what was chosen before stays applied.
  EXPECT_EQ(Mirror(L"_Enabled !"), CRhinoCommand::cancel);
  EXPECT_TRUE(conduit().IsMirroringEnabled());
  // The next run starts from the conduit's settings.
  EXPECT_EQ(Mirror(L"_Enter"), CRhinoCommand::nothing);
  EXPECT_TRUE(Printed("Mirror Plane ( Enabled=On  Position  Direction ):")) << output;
}

// ---- end to end ----

using kyrel_test::Capture;
using kyrel_test::Rgb;
using kyrel_test::RunResult;
using kyrel_test::TopView;

constexpr int kSameColour = 12;
bool Same(const Rgb& a, const Rgb& b) {
  return a.DistanceTo(b) < kSameColour;
}

class MirrorPlaneRun : public kyrel_test::KyrelRun {
protected:
  Capture Picture(const std::string& name) {
    Capture c;
    EXPECT_TRUE(c.Read(dir + "/" + name)) << name;
    return c;
  }
};

TEST_F(MirrorPlaneRun, TheExampleShowsTheBoxReflectedInItsPlane) {
  RunResult r =
      Kyrel(kyrel_test::CapturesAtViewSize(kyrel_test::Example("mirror_plane.macro") + "List\n"),
            "", "--view-size 640x480");
  ASSERT_EQ(r.status, 0) << r.output;
  // The example zooms to its two boxes: "Box" (3..6 by 1..4, 3 high) and
  // "Marker" (-6..-5 by 7..8), and mirrors in the plane x = 1.
  const TopView view{ON_BoundingBox(ON_3dPoint(-6, 1, 0), ON_3dPoint(6, 8, 3))};
  const ON_3dPoint on_box(4.5, 2.5, 3);
  const ON_3dPoint on_image(-2.5, 2.5, 3);         // on_box reflected in x = 1
  const ON_3dPoint default_image_only(-5, 2.5, 3); // inside the image a plane at x = 0 would give
  const ON_3dPoint between(2, 2.5, 3);             // between the box and its image

  const Capture off = Picture("mirror_off.png");
  const Rgb box = view.Probe(off, on_box);
  ASSERT_FALSE(Same(box, off.Background()))
      << "the box is not where the camera was expected to put it";
  EXPECT_TRUE(Same(view.Probe(off, on_image), off.Background()));

  const Capture on = Picture("mirror_on.png");
  EXPECT_TRUE(Same(view.Probe(on, on_box), box));
  EXPECT_FALSE(Same(view.Probe(on, on_image), on.Background()));
  EXPECT_FALSE(Same(view.Probe(on, ON_3dPoint(-1.5, 1.5, 3)), on.Background()));
  EXPECT_TRUE(Same(view.Probe(on, default_image_only), on.Background()));
  EXPECT_TRUE(Same(view.Probe(on, between), on.Background()));

  const Capture again = Picture("mirror_off_again.png");
  EXPECT_TRUE(Same(view.Probe(again, on_image), again.Background()));
  EXPECT_TRUE(Same(view.Probe(again, on_box), box));
  // The copy is display-only: the document still holds two objects.
  EXPECT_TRUE(r.Has("2 objects.")) << r.output;
}

} // namespace
