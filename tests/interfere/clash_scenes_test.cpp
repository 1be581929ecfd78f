// Clash detection on small scenes whose answers are known by hand: which
// pairs clash, in which order, and what region each clash shows.

#include <gtest/gtest.h>

#include "clash_scene.h"

namespace {

using namespace clash_test;

// A vertical sheet x = 0.5 spanning y and z from -1 to 2.
ON_Mesh VerticalSheet() {
  // Seven cells a side, so no grid line runs along a face of the box.
  ON_Mesh sheet = test_meshes::Grid(-1.0, -1.0, 2.0, 2.0, 0.0, 7);
  ON_Xform turn;
  turn.Rotation(-ON_PI / 2, ON_3dVector(0, 1, 0), ON_3dPoint(0, 0, 0));
  sheet.Transform(turn); // (x, y, 0) -> (0, y, x)
  sheet.Transform(ON_Xform::TranslationTransformation(ON_3dVector(0.5, 0, 0)));
  return sheet;
}

TEST(ClashScenes, OverlapAndContainmentAreFoundInCollectionOrderWithTheirRegions) {
  ClashScene scene;
  // Two boxes overlapping in a 0.5 x 1 x 1 slab, and apart from them a
  // small box wholly inside a big one with the surfaces apart.
  CRhinoObject* a = scene.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  CRhinoObject* b = scene.AddBox(ON_3dPoint(0.5, 0, 0), ON_3dPoint(1.5, 1, 1));
  CRhinoObject* inner = scene.AddBox(ON_3dPoint(11, 1, 1), ON_3dPoint(12, 2, 3));
  CRhinoObject* outer = scene.AddBox(ON_3dPoint(10, 0, 0), ON_3dPoint(14, 4, 4));
  ASSERT_TRUE(scene.Detect());

  const std::vector<Clash> clashes = Results();
  ASSERT_EQ(clashes.size(), 2u);
  EXPECT_TRUE(SamePair(clashes[0], a, b));
  EXPECT_TRUE(clashes[0].closed);
  EXPECT_NEAR(clashes[0].volume, 0.5, 0.5e-6);
  // Found by containment: the region is the whole inner box, and the
  // pair is still (earlier, later).
  EXPECT_TRUE(SamePair(clashes[1], inner, outer));
  EXPECT_NEAR(clashes[1].volume, 2.0, 2e-6);

  EXPECT_EQ(Conduit().InterferencesCount(), 2);
  ON_UuidPair pair;
  EXPECT_TRUE(Conduit().GetInterferenceAt(1, pair));
  EXPECT_EQ(pair.m_uuid[0], inner->ModelObjectId());
  ON_UuidPair untouched(ON_nil_uuid, ON_nil_uuid);
  EXPECT_FALSE(Conduit().GetInterferenceAt(2, untouched));
  EXPECT_FALSE(Conduit().GetInterferenceAt(-1, untouched));
  EXPECT_TRUE(ON_UuidIsNil(untouched.m_uuid[0]));
}

TEST(ClashScenes, AnOpenSheetClashesWithAClosedBoxInEitherOrderButNotWithAnotherSheet) {
  for (const bool sheet_first : {true, false}) {
    SCOPED_TRACE(sheet_first ? "sheet first" : "box first");
    ClashScene scene;
    CRhinoObject* sheet = nullptr;
    CRhinoObject* box = nullptr;
    if (sheet_first) sheet = scene.Add(VerticalSheet());
    box = scene.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
    if (!sheet_first) sheet = scene.Add(VerticalSheet());
    // A second sheet crossing the first at right angles, outside the box:
    // open surfaces never clash with each other.
    ON_Mesh crossing = test_meshes::Grid(-1.0, -1.0, 2.0, 2.0, 1.5, 3);
    ASSERT_NE(scene.Add(crossing), nullptr);
    ASSERT_TRUE(scene.Detect());

    const std::vector<Clash> clashes = Results();
    ASSERT_EQ(clashes.size(), 1u);
    const CRhinoObject* first = sheet_first ? sheet : box;
    const CRhinoObject* second = sheet_first ? box : sheet;
    EXPECT_TRUE(SamePair(clashes[0], first, second));
    // The region is the part of the sheet inside the box: a unit square.
    EXPECT_FALSE(clashes[0].closed);
    EXPECT_NEAR(clashes[0].area, 1.0, 1e-6);
  }
}

TEST(ClashScenes, HiddenObjectsTakeNoPartLockedOnesDoAndAPolysurfaceIsOneSolid) {
  ClashScene scene;
  CRhinoObject* locked = scene.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1), ON::locked_object);
  scene.AddBox(ON_3dPoint(0.5, 0.5, 0.5), ON_3dPoint(2, 2, 2), ON::hidden_object);
  // A box polysurface: six face meshes that meet only along seams, joined
  // into one open mesh and closed again by stitching.
  std::unique_ptr<ON_Brep> brep(
      ON_Brep::CreateBox(ON_3dPoint(0.25, 0.25, 0.75), ON_3dPoint(0.75, 0.75, 1.25)));
  ASSERT_TRUE(brep);
  CRhinoObject* polysurface = scene.doc->AddBrepObject(*brep);
  ASSERT_NE(polysurface, nullptr);
  ASSERT_TRUE(scene.Detect());

  const std::vector<Clash> clashes = Results();
  ASSERT_EQ(clashes.size(), 1u);
  EXPECT_TRUE(SamePair(clashes[0], locked, polysurface));
  EXPECT_TRUE(clashes[0].closed);
  EXPECT_NEAR(clashes[0].volume, 0.5 * 0.5 * 0.25, 1e-6);
}

TEST(ClashScenes, AShellWithALargeOpeningStaysOpenAndContainsNothing) {
  ClashScene scene;
  // A box without its top face around a small box: filling the opening
  // would invent a solid that swallows the small box.
  ON_Mesh open_box = test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(4, 4, 4));
  for (int f = 0; f < open_box.FaceCount(); ++f) {
    bool top = true;
    for (int k = 0; k < 4; ++k)
      top = top && open_box.Vertex(open_box.m_F[f].vi[k]).z > 3.5;
    if (top) {
      open_box.m_F.Remove(f);
      break;
    }
  }
  open_box.DestroyRuntimeCache();
  ASSERT_EQ(open_box.FaceCount(), 5);
  ASSERT_FALSE(open_box.IsClosed());
  scene.Add(open_box);
  scene.AddBox(ON_3dPoint(1, 1, 1), ON_3dPoint(2, 2, 2));
  ASSERT_TRUE(scene.Detect());
  EXPECT_EQ(Results().size(), 0u);
}

TEST(ClashScenes, SwitchingModelChangesCancelAndDocumentsDriveTheComputation) {
  ClashScene scene;
  CRhinoObject* a = scene.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  scene.AddBox(ON_3dPoint(0.5, 0, 0), ON_3dPoint(1.5, 1, 1));
  ASSERT_TRUE(scene.Detect());
  ASSERT_EQ(Results().size(), 1u);

  // Enabling again changes nothing: no new computation, results kept.
  Conduit().EnableInterfere(true, false);
  EXPECT_FALSE(Engine().IsBusy());
  EXPECT_EQ(Results().size(), 1u);

  // Cancel: results gone, detection stays on.
  Conduit().StopInterfereComputing();
  EXPECT_EQ(Conduit().InterferencesCount(), 0);
  EXPECT_TRUE(Conduit().IsInterfereEnabled());

  // A recorded model change restarts it: the moved box now clashes more.
  const unsigned int record = scene.doc->BeginUndoRecord(nullptr);
  ASSERT_NE(record, 0u);
  const ON_Xform move = ON_Xform::TranslationTransformation(ON_3dVector(0.25, 0, 0));
  ASSERT_NE(scene.doc->TransformObject(CRhinoObjRef(a), move), nullptr);
  scene.doc->EndUndoRecord();
  ASSERT_TRUE(WaitUntilIdle());
  std::vector<Clash> clashes = Results();
  ASSERT_EQ(clashes.size(), 1u);
  EXPECT_NEAR(clashes[0].volume, 0.75, 1e-6);

  // Undo does not restart: the results stay as the change left them.
  Conduit().StopInterfereComputing();
  ASSERT_TRUE(scene.doc->Undo());
  EXPECT_FALSE(Engine().IsBusy());
  EXPECT_EQ(Conduit().InterferencesCount(), 0);

  // A computation started while detection is off still runs and stores.
  Conduit().EnableInterfere(false, false);
  Conduit().StartInterfereComputing();
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Conduit().InterferencesCount(), 1);
  EXPECT_FALSE(Conduit().IsInterfereEnabled());

  // A new document switches detection off and clears the results.
  Conduit().EnableInterfere(true, false);
  ASSERT_TRUE(WaitUntilIdle());
  CRhinoDoc* other = RhinoApp().NewDocument();
  EXPECT_FALSE(Conduit().IsInterfereEnabled());
  EXPECT_EQ(Conduit().InterferencesCount(), 0);
  RhinoApp().CloseDocument(other);
  RhinoApp().SetActiveDoc(scene.doc);
}

TEST(ClashScenes, TheSweepAndTheContactTestFindWhatThePlainPairLoopFinds) {
  const std::vector<ON_Mesh> meshes = RandomScene(99, 150);
  ClashScene scene;
  for (const ON_Mesh& mesh : meshes)
    ASSERT_NE(scene.Add(mesh), nullptr);

  Engine().m_bBroadPhase = false;
  Engine().m_bContactTest = false;
  ASSERT_TRUE(scene.Detect());
  const std::vector<Clash> plain = Results();
  Engine().m_bBroadPhase = true;
  Engine().m_bContactTest = true;
  ASSERT_TRUE(scene.Detect());
  const std::vector<Clash> swept = Results();

  ASSERT_GE(plain.size(), 5u);
  ASSERT_EQ(swept.size(), plain.size());
  for (size_t k = 0; k < plain.size(); ++k) {
    EXPECT_EQ(swept[k].a, plain[k].a) << "clash " << k;
    EXPECT_EQ(swept[k].b, plain[k].b) << "clash " << k;
    EXPECT_NEAR(swept[k].volume, plain[k].volume, 1e-9) << "clash " << k;
    EXPECT_NEAR(swept[k].area, plain[k].area, 1e-9) << "clash " << k;
  }
}

} // namespace
