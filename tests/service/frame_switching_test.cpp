// How the service drives the section conduit from the frame notifications:
// rebuilds only after document events (one per burst), switches the
// conduit on only when it has work and off at every frame's end.

#include <gtest/gtest.h>

#include "support/service_scene.h"

using namespace service_test;
using test_meshes::Box;

namespace {

// Hears channel 0x2 after the section conduit, so it sees whether that
// conduit ran in the frame.
class PlaneWatcher : public CRhinoDisplayConduit {
public:
  PlaneWatcher() : CRhinoDisplayConduit(channel_clipping_planes, true) {}
  bool ExecConduit(CRhinoDisplayPipeline&, unsigned int, bool&) override {
    planes = m_pChannelAttrs->m_clipping_planes.Count();
    section_conduit_on = Conduit().IsEnabled();
    return true;
  }
  int planes = -1;
  bool section_conduit_on = false;
};

} // namespace

TEST(ConduitSwitching, OnDuringAFrameWithCuttersAndOffAfterIt) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  s.AddBox(ON_3dPoint(1, 1, 1), ON_3dPoint(3, 3, 3));
  PlaneWatcher watcher;
  ASSERT_TRUE(s.Frame());
  EXPECT_TRUE(watcher.section_conduit_on);
  EXPECT_EQ(watcher.planes, 1);
  EXPECT_FALSE(Conduit().IsEnabled());
}

TEST(ConduitSwitching, PlainDocumentLeavesTheSectionConduitOff) {
  Scene s;
  s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  PlaneWatcher watcher;
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(watcher.section_conduit_on);
  EXPECT_EQ(watcher.planes, 0);
}

TEST(ConduitSwitching, MirroringAloneSwitchesTheConduitOn) {
  Scene s;
  s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  Conduit().EnableMirroring(true);
  PlaneWatcher watcher;
  ASSERT_TRUE(s.Frame());
  EXPECT_TRUE(watcher.section_conduit_on);
  EXPECT_EQ(watcher.planes, 0); // nothing cuts
  Conduit().EnableMirroring(false);
}

TEST(ConduitSwitching, ClientCuttersAloneNeedTheClippingSwitch) {
  Scene s;
  s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  TestClipper clipper(1, 0); // cuts, but offers no mesh
  s.Register(clipper);
  Service().EnableClipping(false);
  PlaneWatcher watcher;
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(clipper.change_level_calls, 1); // the pending rebuild still ran
  EXPECT_FALSE(watcher.section_conduit_on);
  Service().EnableClipping(true);
  ASSERT_TRUE(s.Frame());
  EXPECT_TRUE(watcher.section_conduit_on);
  EXPECT_EQ(clipper.change_level_calls, 1); // no event, no update
}

TEST(ConduitSwitching, CuttingMeshesFromClientsSwitchItOnEvenWithClippingOff) {
  Scene s;
  s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  TestClipper clipper(2, 1);
  s.Register(clipper);
  Service().EnableClipping(false);
  PlaneWatcher watcher;
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 1);
  EXPECT_TRUE(watcher.section_conduit_on);
  Service().EnableClipping(true);
}

TEST(RebuildRequests, BurstOfEventsCostsOneUpdate) {
  Scene s;
  TestClipper clipper(1, 0);
  s.Register(clipper);
  ASSERT_TRUE(s.Frame());
  ASSERT_EQ(clipper.change_level_calls, 1);
  ASSERT_FALSE(Service().m_bDocumentChanged);

  for (int i = 0; i < 10; ++i)
    s.AddBox(ON_3dPoint(i, 0, 0), ON_3dPoint(i + 1, 1, 1));
  EXPECT_TRUE(Service().m_bDocumentChanged);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(clipper.change_level_calls, 2);
  ASSERT_TRUE(s.Frame());
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(clipper.change_level_calls, 2);
}

TEST(RebuildRequests, TheWatcherIsBackOnAfterEachUpdate) {
  Scene s;
  CRhinoMeshObject* box = s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  ASSERT_TRUE(s.Frame());
  ASSERT_FALSE(Service().m_bDocumentChanged);
  // Any of the watched events re-arms the rebuild: attributes, deletion,
  // document settings, undo records.
  ASSERT_TRUE(s.doc.ModifyObjectAttributes(CRhinoObjRef(box), box->Attributes()));
  EXPECT_TRUE(Service().m_bDocumentChanged);
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(Service().m_bDocumentChanged);
  ON_MeshParameters mp = s.doc.Properties().AnalysisMeshSettings();
  mp.m_bComputeCurvature = !mp.m_bComputeCurvature;
  s.doc.Properties().SetAnalysisMeshSettings(mp);
  EXPECT_TRUE(Service().m_bDocumentChanged);
  ASSERT_TRUE(s.Frame());
  s.doc.BeginUndoRecord(nullptr);
  EXPECT_TRUE(Service().m_bDocumentChanged);
  s.doc.EndUndoRecord();
}

TEST(RebuildRequests, AFrameWithoutDocumentKeepsTheRebuildPending) {
  Scene s;
  TestClipper clipper(1, 0);
  s.Register(clipper);
  CRhinoView bare(nullptr, 32, 32);
  bare.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  ASSERT_TRUE(bare.Redraw());
  EXPECT_TRUE(Service().m_bDocumentChanged);
  EXPECT_EQ(clipper.change_level_calls, 0);
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(Service().m_bDocumentChanged);
  EXPECT_EQ(clipper.change_level_calls, 1);
}
