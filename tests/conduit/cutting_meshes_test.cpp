// Where the cutting meshes come from and when they are rebuilt: document
// cutting objects and client cutters, the rebuild triggers (invalid
// records, stale stamps, rebuild levels, a changed number of sources),
// and what a rebuild does to the section caches of the document.

#include <gtest/gtest.h>

#include "support/service_scene.h"

using namespace service_test;
using test_meshes::Box;

namespace {

// An event the service hears, so the next frame runs an update.
void Touch(Scene& s) {
  s.AddBox(ON_3dPoint(100, 100, 100), ON_3dPoint(101, 101, 101));
}

// A plain object with a cache that looks built, to see rebuilds: every
// rebuild unbuilds it. The object is hidden, so no frame draws it and builds
// its cache again behind the test's back; hidden objects' caches are still
// invalidated.
struct Witness {
  CRhinoMeshObject* object = nullptr;
  TV_SectionCache* cache = nullptr;
  bool Built() const { return cache != nullptr && cache->m_phantom.m_bBuilt; }
  void Rebuild() {
    if (cache != nullptr) cache->m_phantom.m_bBuilt = true;
  }
};

Witness AddWitness(Scene& s) {
  Witness w;
  w.object = s.AddBox(ON_3dPoint(5, 5, 5), ON_3dPoint(6, 6, 6));
  if (w.object == nullptr) return w;
  ON_3dmObjectAttributes hidden = w.object->Attributes();
  hidden.SetMode(ON::hidden_object);
  if (!s.doc.ModifyObjectAttributes(CRhinoObjRef(w.object), hidden)) return w;
  w.cache = AttachBuiltCache(*w.object, {0});
  return w;
}

} // namespace

TEST(CuttingSources, OneIntersectionCutterGivesACopyOfItsJoinedMesh) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  ASSERT_NE(cutter, nullptr);
  ASSERT_TRUE(s.Frame());
  TV_SectionGeometry* geometry = GeometryOf(cutter);
  ASSERT_NE(geometry, nullptr);
  EXPECT_TRUE(geometry->m_bValid);
  EXPECT_EQ(geometry->m_mesh.FaceCount(), 6);
  ASSERT_EQ(Conduit().m_intersection_meshes.Count(), 1);
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 0);
  const ON_Mesh* cutting = Conduit().m_intersection_meshes[0];
  EXPECT_NE(cutting, &geometry->m_mesh); // owned by the conduit
  EXPECT_EQ(cutting->FaceCount(), 6);
  EXPECT_TRUE(cutting->IsClosed());
}

TEST(CuttingSources, TwoOverlappingDifferenceCuttersAreUnitedIntoOneMesh) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 2);
  s.AddCutter(Box(ON_3dPoint(1, 1, 1), ON_3dPoint(3, 3, 3)), 2);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 0);
  ASSERT_EQ(Conduit().m_difference_meshes.Count(), 1);
  const ON_Mesh* united = Conduit().m_difference_meshes[0];
  EXPECT_TRUE(united->IsClosed());
  ON_BoundingBox box;
  ASSERT_TRUE(united->GetBBox(box));
  EXPECT_NEAR(box.m_min.x, 0.0, 1e-9);
  EXPECT_NEAR(box.m_max.z, 3.0, 1e-9);
}

TEST(CuttingSources, ModesKeepTheirOwnListsAndModeNoneAddsNothing) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 1);
  s.AddCutter(Box(ON_3dPoint(5, 0, 0), ON_3dPoint(6, 1, 1)), 2);
  CRhinoMeshObject* idle = s.AddCutter(Box(ON_3dPoint(9, 0, 0), ON_3dPoint(10, 1, 1)), 0);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 1);
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 1);
  ASSERT_NE(GeometryOf(idle), nullptr);
  EXPECT_TRUE(GeometryOf(idle)->m_bValid);
}

TEST(CuttingSources, OpenCuttingSurfaceLosesItsRecordAtTheFirstUpdate) {
  Scene s;
  Witness w = AddWitness(s);
  CRhinoMeshObject* open = s.AddCutter(test_meshes::Quad(0, 0, 1, 1, 0), 2);
  ASSERT_NE(GeometryOf(open), nullptr);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(GeometryOf(open), nullptr);
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 0);
  // It still counted as a source in that update: caches were invalidated,
  // not destroyed.
  EXPECT_EQ(CacheOf(w.object), w.cache);
  EXPECT_FALSE(w.Built());
  // Dropping the record did not ask for another rebuild.
  EXPECT_FALSE(Service().m_bDocumentChanged);
  // Next update: no source left, so the caches go.
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(CacheOf(w.object), nullptr);
}

TEST(CuttingSources, UnmeshableCutterStaysInvalidAndRebuildsEveryUpdate) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  ASSERT_NE(cutter, nullptr);
  ON_Polyline line;
  line.Append(ON_3dPoint(0, 0, 0));
  line.Append(ON_3dPoint(1, 0, 0));
  CRhinoCurveObject* curve = s.doc.AddCurveObject(ON_PolylineCurve(line));
  ASSERT_NE(curve, nullptr);
  ASSERT_FALSE(curve->IsMeshable(ON::render_mesh));
  auto* record = new TV_SectionGeometry();
  record->m_mode = 2;
  ASSERT_TRUE(curve->AttachAttributeUserData(record));
  Witness w = AddWitness(s);
  ASSERT_TRUE(s.Frame());
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(GeometryOf(curve), nullptr);
    EXPECT_FALSE(GeometryOf(curve)->m_bValid);
    EXPECT_EQ(Conduit().m_difference_meshes.Count(), 0);
    w.Rebuild();
    Touch(s);
    ASSERT_TRUE(s.Frame());
    EXPECT_FALSE(w.Built()) << "update " << i;
  }
}

TEST(CuttingSources, ClientCutterWithoutChangeOffersNoMeshButCounts) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 2);
  TestClipper quiet(1, 0);
  s.Register(quiet);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 0);
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 1);
}

TEST(CuttingSources, ClientMeshIsTakenOnlyWhenReadyAndClosed) {
  Scene s;
  TestClipper not_ready(1, 1), open(1, 1), missing(1, 1), good(2, 1);
  not_ready.ready = false;
  open.mesh = test_meshes::Quad(0, 0, 1, 1, 0);
  missing.mesh_present = false;
  s.Register(not_ready);
  s.Register(open);
  s.Register(missing);
  s.Register(good);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 0);
  ASSERT_EQ(Conduit().m_difference_meshes.Count(), 1);
  EXPECT_NE(Conduit().m_difference_meshes[0], &good.mesh);
}

TEST(RebuildTriggers, QuietUpdateRightAfterARebuildKeepsTheCaches) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  Witness w = AddWitness(s);
  ASSERT_TRUE(s.Frame());
  ASSERT_FALSE(w.Built());
  w.Rebuild();
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_TRUE(w.Built());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 1);
}

TEST(RebuildTriggers, ChangeInTheNumberOfSourcesAloneForcesARebuild) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  TestClipper clipper(0, 0);
  s.Register(clipper);
  Witness w = AddWitness(s);
  ASSERT_TRUE(s.Frame());
  w.Rebuild();
  clipper.mode = 1; // one more source, still no mesh and no change level
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(w.Built());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 1);
}

TEST(RebuildTriggers, ClientChangeLevelForcesARebuild) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  TestClipper clipper(2, 0);
  s.Register(clipper);
  Witness w = AddWitness(s);
  ASSERT_TRUE(s.Frame());
  ASSERT_EQ(Conduit().m_difference_meshes.Count(), 0);
  w.Rebuild();
  clipper.level = 1;
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(w.Built());
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 1);
  EXPECT_EQ(Conduit().m_rebuild_level, 0);
}

TEST(RebuildTriggers, StaleStampForcesARebuild) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  Witness w = AddWitness(s);
  ASSERT_TRUE(s.Frame());
  w.Rebuild();
  // Two counted frames without an update leave the stamp behind.
  ASSERT_TRUE(s.Frame());
  ASSERT_TRUE(s.Frame());
  ASSERT_LT(GeometryOf(cutter)->m_update_stamp, Conduit().m_notify_count - 1u);
  EXPECT_TRUE(w.Built());
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(w.Built());
  EXPECT_EQ(GeometryOf(cutter)->m_update_stamp, Conduit().m_notify_count - 1u);
}

TEST(RebuildTriggers, InvalidatedRecordIsRebuiltFromItsObject) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  ASSERT_TRUE(s.Frame());
  GeometryOf(cutter)->Invalidate();
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_TRUE(GeometryOf(cutter)->m_bValid);
  EXPECT_EQ(GeometryOf(cutter)->m_mesh.FaceCount(), 6); // joined once, not twice
}

TEST(RebuildTriggers, RemovingTheLastCutterDestroysEveryCacheAndMesh) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 1);
  Witness w = AddWitness(s);
  CRhinoMeshObject* hidden = s.AddBox(ON_3dPoint(7, 7, 7), ON_3dPoint(8, 8, 8));
  ASSERT_NE(AttachBuiltCache(*hidden, {1}), nullptr);
  ON_3dmObjectAttributes attrs = hidden->Attributes();
  attrs.SetMode(ON::hidden_object);
  ASSERT_TRUE(s.doc.ModifyObjectAttributes(CRhinoObjRef(hidden), attrs));
  ASSERT_TRUE(s.Frame());
  ASSERT_EQ(Conduit().m_intersection_meshes.Count(), 1);

  ASSERT_TRUE(s.doc.DeleteObject(CRhinoObjRef(cutter)));
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_intersection_meshes.Count(), 0);
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 0);
  EXPECT_EQ(CacheOf(w.object), nullptr);
  EXPECT_EQ(CacheOf(hidden), nullptr);
}

TEST(RebuildTriggers, ClashDisplayFreezesTheCuttingMeshes) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), 2);
  ASSERT_TRUE(s.Frame());
  ASSERT_EQ(Conduit().m_difference_meshes.Count(), 1);
  Conduit().m_interfere.m_bEnabled = true;
  ASSERT_TRUE(s.doc.DeleteObject(CRhinoObjRef(cutter)));
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 1);
  Conduit().m_interfere.m_bEnabled = false;
  Touch(s);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_difference_meshes.Count(), 0);
}
