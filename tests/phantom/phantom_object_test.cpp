// The phantom object as the host sees it: meshes of visible pieces,
// borrowed looks of its source, unbuilding.

#include "phantom/phantom_object.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

ON_Mesh* NewTriangle(double x) {
  return new ON_Mesh(
      test_meshes::Triangle(ON_3dPoint(x, 0, 0), ON_3dPoint(x + 1, 0, 0), ON_3dPoint(x, 1, 0)));
}

// A brep box source (one render mesh per face) named "source".
std::unique_ptr<CRhinoBrepObject> BoxSource() {
  ON_3dmObjectAttributes attributes;
  attributes.m_name = L"source";
  auto object = std::make_unique<CRhinoBrepObject>(attributes);
  object->SetBrep(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)));
  object->CreateMeshes(ON::render_mesh, ON_MeshParameters());
  return object;
}

// Entries: removed (with a stray mesh), cut (two pieces), whole (one).
void FillEntries(CKyrelPhantomObject& phantom, const CRhinoObject* source) {
  DS_MeshCache& removed = phantom.m_caches.AppendNew();
  removed.m_clip_state = -1;
  removed.m_bComputed = true;
  removed.m_object = source;
  removed.m_meshes.Append(NewTriangle(100));
  DS_MeshCache& cut = phantom.m_caches.AppendNew();
  cut.m_clip_state = 0;
  cut.m_bComputed = true;
  cut.m_object = source;
  cut.m_mesh_index = 1;
  cut.m_meshes.Append(NewTriangle(0));
  cut.m_meshes.Append(NewTriangle(2));
  DS_MeshCache& whole = phantom.m_caches.AppendNew();
  whole.m_clip_state = 1;
  whole.m_bComputed = true;
  whole.m_object = source;
  whole.m_mesh_index = 4;
  whole.m_meshes.Append(NewTriangle(4));
  phantom.m_source = source;
  phantom.m_bBuilt = true;
}

TEST(PhantomObject, ShowsOnlyThePiecesOfVisibleEntries) {
  auto source = BoxSource();
  CKyrelPhantomObject phantom;
  FillEntries(phantom, source.get());

  EXPECT_EQ(phantom.ObjectType(), ON::mesh_object);
  EXPECT_EQ(phantom.MeshCount(ON::render_mesh), 4); // every entry's meshes
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_EQ(phantom.GetMeshes(ON::analysis_mesh, meshes), 3);
  ASSERT_EQ(meshes.Count(), 3);
  EXPECT_EQ(meshes[0], phantom.m_caches[1].m_meshes[0]);
  EXPECT_EQ(meshes[2], phantom.m_caches[2].m_meshes[0]);
  EXPECT_EQ(phantom.CreateMeshes(ON::render_mesh, ON_MeshParameters()), 0);
}

TEST(PhantomObject, BorrowsAttributesBoxAndSolidityFromItsSource) {
  auto source = BoxSource();
  CKyrelPhantomObject phantom;
  EXPECT_FALSE(phantom.BoundingBox().IsValid());
  EXPECT_FALSE(phantom.IsSolid());
  phantom.m_source = source.get();
  EXPECT_EQ(phantom.Attributes().m_name, ON_wString(L"source"));
  EXPECT_EQ(phantom.BoundingBox().m_max, ON_3dPoint(2, 2, 2));
  EXPECT_TRUE(phantom.IsSolid());
}

TEST(PhantomObject, PiecesAreDrawnWithTheAttributesOfTheirSourceMesh) {
  auto source = BoxSource();
  CKyrelPhantomObject phantom;
  FillEntries(phantom, source.get());
  const CDisplayPipelineAttributes given;
  const ON_Mesh& piece = *phantom.m_caches[1].m_meshes[0];
  // The base object answers with the attributes it is given, so a valid
  // index comes back with the same record; an index past the pieces too.
  EXPECT_EQ(&phantom.MeshDisplayAttributes(0, piece, given), &given);
  EXPECT_EQ(&phantom.MeshDisplayAttributes(7, piece, given), &given);
  EXPECT_EQ(&phantom.MeshDisplayAttributes(-1, piece, given), &given);
}

TEST(PhantomObject, DestroyMeshesUnbuildsButKeepsTheSource) {
  auto source = BoxSource();
  CKyrelPhantomObject phantom;
  FillEntries(phantom, source.get());
  const unsigned int built_size = phantom.SizeOf();
  std::vector<std::unique_ptr<ON_Mesh>> detached; // taken over by the test
  for (int i = 0; i < phantom.m_caches.Count(); ++i)
    for (int m = 0; m < phantom.m_caches[i].m_meshes.Count(); ++m)
      detached.emplace_back(phantom.m_caches[i].m_meshes[m]);

  phantom.DestroyMeshes(ON::any_mesh, false);
  EXPECT_FALSE(phantom.m_bBuilt);
  EXPECT_EQ(phantom.m_caches.Count(), 0);
  EXPECT_EQ(phantom.m_source, source.get());
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_EQ(phantom.GetMeshes(ON::render_mesh, meshes), 0);
  EXPECT_LT(phantom.SizeOf(), built_size);
  for (const auto& mesh : detached)
    EXPECT_EQ(mesh->FaceCount(), 1); // let go of, not deleted
}

// An open square: its four rim edges are naked.
ON_Mesh* NewSquare(double x) {
  return new ON_Mesh(test_meshes::Quad(x, 0, x + 1, 1, 0));
}

TEST(PhantomObject, DrawsTheEdgesOfVisiblePiecesAsItsSourceWouldShowThem) {
  CRhinoRecordingEngine engine;
  CRhinoDisplayPipeline pipeline(&engine);
  CDisplayPipelineAttributes mode;
  mode.m_surface_edges.m_bShowEdges = true;
  mode.m_surface_edges.m_bShowNakedEdges = true;
  mode.m_mesh_edges.m_bShowEdges = false;
  mode.m_mesh_edges.m_bShowMeshWires = true;
  pipeline.SetDisplayAttributes(mode);

  auto brep_source = BoxSource();
  CKyrelPhantomObject phantom;
  phantom.Draw(pipeline); // no source: nothing
  EXPECT_TRUE(engine.Calls().empty());

  phantom.m_source = brep_source.get();
  DS_MeshCache& removed = phantom.m_caches.AppendNew();
  removed.m_clip_state = -1;
  removed.m_meshes.Append(NewSquare(10));
  DS_MeshCache& cut = phantom.m_caches.AppendNew();
  cut.m_meshes.Append(NewSquare(0));
  phantom.Draw(pipeline);
  EXPECT_EQ(engine.CallsOfKind(CRhinoRecordedCall::line).size(), 4u); // the visible square only
  EXPECT_TRUE(engine.CallsOfKind(CRhinoRecordedCall::mesh_wires).empty());

  // A mesh source shows mesh wires when they are on, even without edges.
  engine.Clear();
  CRhinoMeshObject mesh_source;
  std::unique_ptr<ON_Mesh> square(NewSquare(0));
  mesh_source.SetMesh(*square);
  phantom.m_source = &mesh_source;
  phantom.Draw(pipeline);
  EXPECT_EQ(engine.CallsOfKind(CRhinoRecordedCall::mesh_wires).size(), 1u);

  // A surface source with edges off draws nothing, not even naked edges.
  engine.Clear();
  mode.m_surface_edges.m_bShowEdges = false;
  pipeline.SetDisplayAttributes(mode);
  phantom.m_source = brep_source.get();
  phantom.Draw(pipeline);
  EXPECT_TRUE(engine.CallsOfKind(CRhinoRecordedCall::line).empty());
}

TEST(PhantomObject, ItsOwnMeshIsEmptyAndOutlivesNothing) {
  auto phantom = std::make_unique<CKyrelPhantomObject>();
  ASSERT_NE(phantom->Mesh(), nullptr);
  EXPECT_EQ(phantom->Mesh(), &phantom->m_empty_mesh);
  EXPECT_EQ(phantom->Mesh()->FaceCount(), 0);
  phantom.reset(); // must not free the borrowed mesh twice (ASan)
}

} // namespace
