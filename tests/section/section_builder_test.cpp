// Cutting objects by Intersection and Difference cutters: which parts an
// object falls into, what each entry records, and the geometry that stays.

#include "section/section_builder.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double kSphereVolume = 4.0 / 3.0 * M_PI; // unit sphere

class SectionBuilder : public ::testing::Test {
protected:
  void SetUp() override {
    doc_ = RhinoApp().NewDocument();
    view_ = RhinoApp().CreateView(doc_, 64, 48);
  }
  void TearDown() override {
    for (int i = 0; i < intersection_.Count(); ++i)
      delete intersection_[i];
    for (int i = 0; i < difference_.Count(); ++i)
      delete difference_[i];
    RhinoApp().DestroyView(view_);
    RhinoApp().CloseDocument(doc_);
  }

  // A mesh object in the document (the document owns it).
  CRhinoMeshObject* AddMesh(const ON_Mesh& mesh) {
    auto* object = new CRhinoMeshObject();
    object->SetMesh(mesh);
    EXPECT_TRUE(doc_->AddObject(object));
    return object;
  }
  CRhinoBrepObject* AddBrep(ON_Brep* brep) {
    auto* object = new CRhinoBrepObject();
    object->SetBrep(brep);
    EXPECT_TRUE(doc_->AddObject(object));
    return object;
  }

  void Build(const CRhinoObject& object) {
    BuildSectionCache(entries_, *view_->DisplayPipeline(), object, ON::render_mesh,
                      intersection_, difference_);
  }

  // Sum of the volumes of an entry's meshes.
  static double EntryVolume(const DS_MeshCache& entry) {
    double volume = 0.0;
    for (int i = 0; i < entry.m_meshes.Count(); ++i)
      volume += test_meshes::Volume(*entry.m_meshes[i]);
    return volume;
  }

  CRhinoDoc* doc_ = nullptr;
  CRhinoView* view_ = nullptr;
  ON_ClassArray<DS_MeshCache> entries_;
  ON_SimpleArray<ON_Mesh*> intersection_;
  ON_SimpleArray<ON_Mesh*> difference_;
};

ON_Mesh* NewSphere(const ON_3dPoint& centre, double radius) {
  return new ON_Mesh(test_meshes::WithFaceNormals(test_meshes::Sphere(centre, radius, 32, 64)));
}
ON_Mesh* NewBox(const ON_3dPoint& min, const ON_3dPoint& max) {
  return new ON_Mesh(test_meshes::WithFaceNormals(test_meshes::Box(min, max)));
}

TEST_F(SectionBuilder, DifferenceTakesACappedBiteOutOfAClosedMesh) {
  const auto* box = AddMesh(
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2))));
  difference_.Append(NewSphere(ON_3dPoint(2, 2, 2), 1.0));
  Build(*box);

  ASSERT_EQ(entries_.Count(), 1);
  const DS_MeshCache& entry = entries_[0];
  EXPECT_TRUE(entry.m_bComputed);
  EXPECT_EQ(entry.m_clip_state, 0);
  EXPECT_EQ(entry.m_object, box);
  ASSERT_EQ(entry.m_meshes.Count(), 1);
  EXPECT_TRUE(entry.m_meshes[0]->IsClosed());
  EXPECT_TRUE(entry.m_meshes[0]->HasFaceNormals());
  EXPECT_NEAR(EntryVolume(entry), 8.0 - kSphereVolume / 8, 0.01);
}

TEST_F(SectionBuilder, IntersectionKeepsOnlyWhatLiesInside) {
  const auto* box = AddMesh(
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2))));
  intersection_.Append(NewSphere(ON_3dPoint(2, 2, 2), 1.0));
  Build(*box);
  ASSERT_EQ(entries_.Count(), 1);
  const DS_MeshCache& entry = entries_[0];
  EXPECT_EQ(entry.m_clip_state, 0);
  ASSERT_EQ(entry.m_meshes.Count(), 1);
  EXPECT_TRUE(entry.m_meshes[0]->IsClosed());
  EXPECT_NEAR(EntryVolume(entry), kSphereVolume / 8, 0.01);
}

TEST_F(SectionBuilder, BoundingBoxesAndOnePointDecideUncutObjects) {
  // Outside every Intersection cutter's box: removed without a boolean.
  intersection_.Append(NewSphere(ON_3dPoint(1.5, 1.5, 1.5), 1.5));
  const auto* far = AddMesh(test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(10, 10, 10), ON_3dPoint(11, 11, 11))));
  Build(*far);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_TRUE(entries_[0].m_bComputed);
  EXPECT_EQ(entries_[0].m_clip_state, -1);
  EXPECT_EQ(entries_[0].m_meshes.Count(), 0);

  // Inside the cutter: kept whole, one copy.
  entries_.Empty();
  const auto* inner = AddMesh(test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(1.3, 1.3, 1.3), ON_3dPoint(1.7, 1.7, 1.7))));
  Build(*inner);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_EQ(entries_[0].m_clip_state, 1);
  ASSERT_EQ(entries_[0].m_meshes.Count(), 1);
  EXPECT_NEAR(EntryVolume(entries_[0]), 0.4 * 0.4 * 0.4, 1e-6);

  // In the cutter's box corner but outside the sphere: removed.
  entries_.Empty();
  const auto* corner = AddMesh(test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(0.3, 0.3, 0.3))));
  Build(*corner);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_EQ(entries_[0].m_clip_state, -1);
  EXPECT_EQ(entries_[0].m_meshes.Count(), 0);
}

TEST_F(SectionBuilder, DifferenceKeepsUntouchedAndRemovesSwallowedObjects) {
  difference_.Append(NewSphere(ON_3dPoint(1.5, 1.5, 1.5), 1.5));
  // Near the cutter (boxes overlap) without touching it: one whole copy,
  // the fresh entry's state left at 0.
  const auto* corner = AddMesh(test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(0.3, 0.3, 0.3))));
  Build(*corner);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_TRUE(entries_[0].m_bComputed);
  EXPECT_EQ(entries_[0].m_clip_state, 0);
  ASSERT_EQ(entries_[0].m_meshes.Count(), 1);
  EXPECT_NEAR(EntryVolume(entries_[0]), 0.027, 1e-6);

  // Far from it: kept whole by the box test, state 1.
  entries_.Empty();
  const auto* far = AddMesh(test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(10, 10, 10), ON_3dPoint(11, 11, 11))));
  Build(*far);
  EXPECT_EQ(entries_[0].m_clip_state, 1);
  EXPECT_EQ(entries_[0].m_meshes.Count(), 1);

  // Swallowed: removed.
  entries_.Empty();
  const auto* inner = AddMesh(test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(1.3, 1.3, 1.3), ON_3dPoint(1.7, 1.7, 1.7))));
  Build(*inner);
  EXPECT_EQ(entries_[0].m_clip_state, -1);
  EXPECT_EQ(entries_[0].m_meshes.Count(), 0);
}

TEST_F(SectionBuilder, DifferenceCutsTheJoinedIntersectionPieces) {
  const auto* bar = AddMesh(
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(4, 1, 1))));
  intersection_.Append(NewBox(ON_3dPoint(1, -1, -1), ON_3dPoint(3, 2, 2)));
  difference_.Append(NewBox(ON_3dPoint(1.5, -1, -1), ON_3dPoint(2.5, 0.5, 2)));
  Build(*bar);
  ASSERT_EQ(entries_.Count(), 1);
  const DS_MeshCache& entry = entries_[0];
  EXPECT_EQ(entry.m_clip_state, 0);
  ASSERT_EQ(entry.m_meshes.Count(), 1);
  EXPECT_NEAR(EntryVolume(entry), 2.0 - 0.5, 1e-5);
}

TEST_F(SectionBuilder, EachLumpAndEachDisjointPieceIsItsOwnPart) {
  difference_.Append(NewSphere(ON_3dPoint(0, 0, 2), 1.0));

  ON_Brep* lumps = ON_Brep::CreateBox(ON_3dPoint(-1, -1, 0), ON_3dPoint(1, 1, 2));
  std::unique_ptr<ON_Brep> second(ON_Brep::CreateBox(ON_3dPoint(5, -1, 0), ON_3dPoint(7, 1, 2)));
  lumps->Append(*second);
  const auto* brep = AddBrep(lumps);
  Build(*brep);
  ASSERT_EQ(entries_.Count(), 2);
  EXPECT_EQ(entries_[0].m_clip_state, 0);
  EXPECT_EQ(entries_[0].m_mesh_index, 0);
  EXPECT_NEAR(EntryVolume(entries_[0]), 8.0 - kSphereVolume / 2, 0.03);
  EXPECT_NEAR(EntryVolume(entries_[1]), 8.0, 1e-5); // untouched lump
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(entries_[i].m_object, brep);

  entries_.Empty();
  ON_Mesh pieces =
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(-1, -1, 0), ON_3dPoint(1, 1, 2)));
  pieces.Append(
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(5, -1, 0), ON_3dPoint(7, 1, 2))));
  const auto* mesh = AddMesh(pieces);
  Build(*mesh);
  ASSERT_EQ(entries_.Count(), 2);
  EXPECT_NEAR(EntryVolume(entries_[0]) + EntryVolume(entries_[1]),
              16.0 - kSphereVolume / 2, 0.03);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(entries_[i].m_mesh_index, 0);
}

TEST_F(SectionBuilder, OpenSurfacesAreSplitWithoutCaps) {
  const auto* sheet =
      AddMesh(test_meshes::WithFaceNormals(test_meshes::Grid(-2, -2, 2, 2, 0.0, 8)));
  difference_.Append(NewSphere(ON_3dPoint(0, 0, 0), 1.0));
  Build(*sheet);
  ASSERT_EQ(entries_.Count(), 1);
  const DS_MeshCache& entry = entries_[0];
  EXPECT_EQ(entry.m_clip_state, 0);
  ASSERT_EQ(entry.m_meshes.Count(), 1);
  EXPECT_FALSE(entry.m_meshes[0]->IsClosed());
  // The square less the disc the sphere cuts out (within tessellation).
  EXPECT_NEAR(test_meshes::Area(*entry.m_meshes[0]), 16.0 - M_PI, 0.05);
}

// An object the Intersection keeps whole (state 1) is still cut by the
// Difference: a closed one gets a capped bite, an open one a hole.
TEST_F(SectionBuilder, DifferenceCutsWhatTheIntersectionKeepsWhole) {
  intersection_.Append(NewBox(ON_3dPoint(-10, -10, -10), ON_3dPoint(10, 10, 10)));
  difference_.Append(NewSphere(ON_3dPoint(0, 0, 0), 1.0));
  const auto* box = AddMesh(
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2))));
  const auto* sheet =
      AddMesh(test_meshes::WithFaceNormals(test_meshes::Grid(-2, -2, 2, 2, 0.0, 8)));
  Build(*box);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_EQ(entries_[0].m_clip_state, 0);
  EXPECT_NEAR(EntryVolume(entries_[0]), 8.0 - kSphereVolume / 8, 0.01);

  entries_.Empty();
  Build(*sheet);
  ASSERT_EQ(entries_.Count(), 1);
  const DS_MeshCache& entry = entries_[0];
  EXPECT_EQ(entry.m_clip_state, 0);
  ASSERT_EQ(entry.m_meshes.Count(), 1);
  EXPECT_NEAR(test_meshes::Area(*entry.m_meshes[0]), 16.0 - M_PI, 0.05);
}

TEST_F(SectionBuilder, InstanceReferencesAreCutThroughTheirMembers) {
  ON_SimpleArray<CRhinoObject*> members;
  auto* member = new CRhinoMeshObject();
  member->SetMesh(
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2))));
  members.Append(member);
  const int index = doc_->InstanceDefinitionTable().AddInstanceDefinition(L"block", members);
  ASSERT_GE(index, 0);
  auto* reference = new CRhinoInstanceObject(
      ON_3dmObjectAttributes(), doc_->InstanceDefinitionTable().InstanceDefinition(index),
      ON_Xform::TranslationTransformation(ON_3dVector(10, 0, 0)));
  ASSERT_TRUE(doc_->AddObject(reference));

  difference_.Append(NewSphere(ON_3dPoint(12, 2, 2), 1.0)); // at the moved corner
  Build(*reference);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_EQ(entries_[0].m_object, reference);
  EXPECT_EQ(entries_[0].m_clip_state, 0);
  EXPECT_NEAR(EntryVolume(entries_[0]), 8.0 - kSphereVolume / 8, 0.01);
}

TEST_F(SectionBuilder, ObjectsWithoutFacesGetNoEntries) {
  difference_.Append(NewSphere(ON_3dPoint(0, 0, 0), 1.0));
  ON_Mesh points_only;
  points_only.SetVertex(0, ON_3dPoint(0, 0, 0));
  CRhinoMeshObject empty_object; // documents refuse such objects
  empty_object.SetMesh(points_only);
  const CRhinoObject* empty = &empty_object;
  Build(*empty);
  EXPECT_EQ(entries_.Count(), 0);
}

// An object and a cutter that are one solid twice (the cutter's faces in
// another order): nothing is cut, as the surfaces coincide everywhere, yet
// the object lies wholly inside the cutter, so Intersection keeps it whole
// and Difference removes it.
TEST_F(SectionBuilder, ACutterIdenticalToTheObjectKeepsItWholeOrRemovesIt) {
  const ON_Mesh sphere =
      test_meshes::WithFaceNormals(test_meshes::Sphere(ON_3dPoint(1, 2, 3), 1.0, 16, 32));
  ON_Mesh reordered = sphere;
  for (int f = 0; f < reordered.FaceCount(); ++f)
    reordered.m_F[f] = sphere.m_F[sphere.FaceCount() - 1 - f];
  reordered.m_FN.Empty();
  reordered.ComputeFaceNormals();
  const double volume = test_meshes::Volume(sphere);
  const auto* object = AddMesh(sphere);

  intersection_.Append(new ON_Mesh(reordered));
  Build(*object);
  ASSERT_EQ(entries_.Count(), 1);
  ASSERT_GE(entries_[0].m_meshes.Count(), 1);
  EXPECT_NEAR(EntryVolume(entries_[0]), volume, 1e-5 * volume);

  entries_.Empty();
  delete intersection_[0];
  intersection_.Empty();
  difference_.Append(new ON_Mesh(reordered));
  Build(*object);
  ASSERT_EQ(entries_.Count(), 1);
  int faces = 0;
  for (int i = 0; i < entries_[0].m_meshes.Count(); ++i)
    faces += entries_[0].m_meshes[i]->FaceCount();
  EXPECT_EQ(faces, 0);
}

} // namespace
