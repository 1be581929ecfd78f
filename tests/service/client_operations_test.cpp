// What a client reads of the cut result through the service: an object's
// cut meshes with their placeholders, dropping an object's cache, and the
// rendering bracket that swaps cut objects for temporary mesh objects.

#include <gtest/gtest.h>

#include "support/service_scene.h"

using namespace service_test;
using test_meshes::Box;

namespace {

// A new document of the application, the active one while it lives; the
// scene on it goes first.
struct AppDocument {
  AppDocument() : document(RhinoApp().NewDocument()) {}
  ~AppDocument() { RhinoApp().CloseDocument(document); }
  CRhinoDoc* document;
};
struct ActiveScene : AppDocument, Scene {
  ActiveScene() : Scene(document) {}
};

Tarvik::Vantrel::IService& Client() {
  return Service();
}

int MarkedWith(CRhinoDoc& doc, int mark) {
  int n = 0;
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* o = it.First(); o != nullptr; o = it.Next())
    if (o->IsMarked() == mark) ++n;
  return n;
}

} // namespace

TEST(GetObjectMeshes, CuttingObjectsGiveOneEmptyPlaceholder) {
  ActiveScene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  ASSERT_NE(cutter, nullptr);
  ON_SimpleArray<const ON_Mesh*> meshes;
  ASSERT_TRUE(Client().GetObjectMeshes(cutter->RuntimeSerialNumber(), meshes));
  ASSERT_EQ(meshes.Count(), 1);
  EXPECT_EQ(meshes[0]->VertexCount(), 0);
}

TEST(GetObjectMeshes, EntriesInOrderWithRemovedOnesAsPlaceholders) {
  ActiveScene s;
  CRhinoMeshObject* box = s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1));
  TV_SectionCache* cache = AttachBuiltCache(*box, {-1, 0});
  ASSERT_NE(cache, nullptr);
  ON_SimpleArray<const ON_Mesh*> meshes;
  const ON_Mesh sentinel;
  meshes.Append(&sentinel); // appended to, never cleared
  ASSERT_TRUE(Client().GetObjectMeshes(box->RuntimeSerialNumber(), meshes));
  ASSERT_EQ(meshes.Count(), 3);
  EXPECT_EQ(meshes[0], &sentinel);
  EXPECT_EQ(meshes[1]->VertexCount(), 0);
  EXPECT_EQ(meshes[2], cache->m_phantom.m_caches[1].m_meshes[0]);

  // An invalidated cache still answers, with nothing.
  cache->Invalidate(true);
  meshes.Empty();
  EXPECT_TRUE(Client().GetObjectMeshes(box->RuntimeSerialNumber(), meshes));
  EXPECT_EQ(meshes.Count(), 0);
}

TEST(GetObjectMeshes, UnknownAndUncutObjectsAnswerFalse) {
  ActiveScene s;
  CRhinoMeshObject* plain = s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_FALSE(Client().GetObjectMeshes(plain->RuntimeSerialNumber(), meshes));
  EXPECT_FALSE(Client().GetObjectMeshes(0xFFFFFFF0u, meshes));
  EXPECT_EQ(meshes.Count(), 0);
  RhinoApp().SetActiveDoc(nullptr);
  EXPECT_FALSE(Client().GetObjectMeshes(plain->RuntimeSerialNumber(), meshes));
}

TEST(DiscardObjectCache, DropsTheCacheAndTheNextFrameBuildsAFreshOne) {
  ActiveScene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  CRhinoMeshObject* box = s.AddBox(ON_3dPoint(0.5, 0, 0), ON_3dPoint(2, 1, 1));
  ASSERT_TRUE(s.Frame());
  ASSERT_NE(CacheOf(box), nullptr);
  Client().DiscardObjectCache(box->RuntimeSerialNumber());
  EXPECT_EQ(CacheOf(box), nullptr);
  Client().DiscardObjectCache(0xFFFFFFF0u); // nothing to find: nothing happens
  ASSERT_TRUE(s.Frame());
  ASSERT_NE(CacheOf(box), nullptr);
  EXPECT_TRUE(CacheOf(box)->m_phantom.m_bBuilt);
}

TEST(RenderBracket, CutObjectsGiveWayToTemporaryMeshObjectsUntilTheEnd) {
  ActiveScene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  CRhinoMeshObject* cut = s.AddBox(ON_3dPoint(0.5, 0, 0), ON_3dPoint(2, 1, 1));
  CRhinoMeshObject* untouched = s.AddBox(ON_3dPoint(5, 0, 0), ON_3dPoint(6, 1, 1));
  ASSERT_TRUE(s.Frame());
  ASSERT_NE(CacheOf(cut), nullptr);
  const int objects_before = s.doc.ObjectCount();

  Client().BeginRender();
  EXPECT_EQ(CRhinoObject::m_no_show_mark, 1);
  EXPECT_EQ(cutter->IsMarked(), 1);
  EXPECT_EQ(cut->IsMarked(), 1);
  // The untouched box has a cache too (kept whole), so it gives way as well.
  EXPECT_EQ(untouched->IsMarked(), 1);
  EXPECT_EQ(MarkedWith(s.doc, -1), 2);
  EXPECT_EQ(s.doc.ObjectCount(), objects_before + 2);
  // The stand-in of the cut box holds the cut: the part outside the cutter.
  CRhinoObjectIterator it(s.doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  ON_BoundingBox cut_box;
  for (CRhinoObject* o = it.First(); o != nullptr; o = it.Next()) {
    const auto* stand_in = dynamic_cast<const CRhinoMeshObject*>(o);
    if (o->IsMarked() != -1 || stand_in == nullptr) continue;
    const ON_BoundingBox b = stand_in->Mesh()->BoundingBox();
    if (b.m_max.x < 3.0) cut_box = b;
  }
  ASSERT_TRUE(cut_box.IsValid());
  EXPECT_NEAR(cut_box.m_min.x, 1.0, 1e-6);
  EXPECT_NEAR(cut_box.m_max.x, 2.0, 1e-6);

  Client().EndRender();
  EXPECT_EQ(CRhinoObject::m_no_show_mark, 0);
  EXPECT_EQ(MarkedWith(s.doc, -1), 0);
  EXPECT_EQ(MarkedWith(s.doc, 1), 0);
  EXPECT_EQ(s.doc.ObjectCount(), objects_before);
}

TEST(RenderBracket, EndWithoutBeginClearsMarksAndTemporaryObjects) {
  ActiveScene s;
  CRhinoMeshObject* a = s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  CRhinoMeshObject* stray = s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1));
  a->Mark(7);
  stray->Mark(-1);
  Client().EndRender();
  EXPECT_EQ(a->IsMarked(), 0);
  EXPECT_TRUE(stray->IsDeleted());
}
