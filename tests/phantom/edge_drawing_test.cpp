// Which edges of a mesh are drawn, in which colours, and that the pipeline
// state is put back.

#include "phantom/edge_drawing.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class EdgeDrawing : public ::testing::Test {
protected:
  int Lines() const {
    return static_cast<int>(engine_.CallsOfKind(CRhinoRecordedCall::line).size());
  }
  int Wires() const {
    return static_cast<int>(engine_.CallsOfKind(CRhinoRecordedCall::mesh_wires).size());
  }
  void Draw(const ON_Mesh* mesh, bool bMeshObject, const EdgeColouring& colouring = {}) {
    engine_.Clear();
    DrawMeshEdgeLines(pipeline_, mesh, attrs_, bMeshObject, colouring);
  }

  CRhinoRecordingEngine engine_;
  CRhinoDisplayPipeline pipeline_{&engine_};
  CDisplayPipelineAttributes attrs_;
};

// The render mesh of a brep box: one mesh per face, not welded.
ON_Mesh UnweldedBoxMesh() {
  std::unique_ptr<ON_Brep> brep(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ON_SimpleArray<const ON_Mesh*> faces;
  brep->GetMeshes(ON_MeshParameters(), faces);
  ON_Mesh joined;
  for (int i = 0; i < faces.Count(); ++i)
    joined.Append(*faces[i]);
  return joined;
}

TEST_F(EdgeDrawing, ABoxRenderMeshShowsItsTwelveEdgesAndAWeldedOneNone) {
  const ON_Mesh unwelded = UnweldedBoxMesh();
  Draw(&unwelded, false);
  EXPECT_EQ(Lines(), 12);

  const ON_Mesh welded =
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  Draw(&welded, false);
  EXPECT_EQ(Lines(), 0);

  const ON_Mesh sphere =
      test_meshes::WithFaceNormals(test_meshes::Sphere(ON_3dPoint(0, 0, 0), 1, 8, 12));
  Draw(&sphere, false);
  EXPECT_EQ(Lines(), 0);
}

TEST_F(EdgeDrawing, NothingToShowLeavesThePipelineStateAlone) {
  // A welded sphere has neither naked edges nor seams; an unwelded box has
  // seams only, which do not show while edges are off.
  const ON_Mesh sphere = test_meshes::Sphere(ON_3dPoint(0, 0, 0), 1, 8, 12);
  Draw(&sphere, false);
  EXPECT_TRUE(engine_.Calls().empty());
  const ON_Mesh unwelded = UnweldedBoxMesh();
  attrs_.m_surface_edges.m_bShowEdges = false;
  Draw(&unwelded, false);
  EXPECT_TRUE(engine_.Calls().empty());
  // Once a line shows, it is drawn with the edge bias, which is then put back.
  attrs_.m_surface_edges.m_bShowEdges = true;
  Draw(&unwelded, false);
  const auto biases = engine_.CallsOfKind(CRhinoRecordedCall::zbias);
  ASSERT_EQ(biases.size(), 2u);
  EXPECT_EQ(biases.back()->m_zbias, 0);
}

TEST_F(EdgeDrawing, NakedEdgesUseTheirOwnColourThicknessAndPattern) {
  const ON_Mesh grid =
      test_meshes::WithFaceNormals(test_meshes::Grid(0, 0, 1, 1, 0, 2)); // 2 x 2 welded quads
  attrs_.m_surface_edges.m_naked_edge_color = ON_Color(10, 20, 30);
  attrs_.m_surface_edges.m_naked_edge_thickness = 3;
  attrs_.m_naked_edge_pattern = 0x0C3F;
  Draw(&grid, false);
  const auto lines = engine_.CallsOfKind(CRhinoRecordedCall::line);
  ASSERT_EQ(lines.size(), 8u); // the rim only
  for (const CRhinoRecordedCall* line : lines) {
    EXPECT_EQ(line->m_color, ON_Color(10, 20, 30));
    EXPECT_EQ(line->m_thickness, 3);
    EXPECT_EQ(line->m_pattern, 0x0C3Fu);
    EXPECT_EQ(line->m_zbias, 1);
  }
  EXPECT_EQ(pipeline_.ZBiasMode(), 0); // put back

  attrs_.m_surface_edges.m_bShowNakedEdges = false;
  Draw(&grid, false);
  EXPECT_EQ(Lines(), 0);
}

TEST_F(EdgeDrawing, FacesSharingAVertexIndexAtTheEdgeAreWelded) {
  // Two triangles sharing vertex 0, but with separate copies of vertex 1:
  // the shared edge's ends are reached through index 0 by both faces.
  ON_Mesh mesh;
  mesh.SetVertex(0, ON_3dPoint(0, 0, 0));
  mesh.SetVertex(1, ON_3dPoint(1, 0, 0));
  mesh.SetVertex(2, ON_3dPoint(0, 1, 0));
  mesh.SetVertex(3, ON_3dPoint(1, 0, 0));
  mesh.SetVertex(4, ON_3dPoint(1, 1, 0));
  mesh.SetVertex(5, ON_3dPoint(0, 0, 0)); // a further copy, so both ends merge >1 vertex
  mesh.SetTriangle(0, 0, 1, 2);
  mesh.SetTriangle(1, 0, 4, 3);
  mesh.SetTriangle(2, 5, 2, 1); // far side, keeps vertex 5 in use
  attrs_.m_surface_edges.m_bShowNakedEdges = false;
  Draw(&mesh, false);
  // Edge 0-1 is shared by faces 0 and 1 through vertex index 0: not drawn.
  for (const CRhinoRecordedCall* line : engine_.CallsOfKind(CRhinoRecordedCall::line)) {
    const bool is_01 = (line->m_from == ON_3dPoint(0, 0, 0) && line->m_to == ON_3dPoint(1, 0, 0)) ||
                       (line->m_to == ON_3dPoint(0, 0, 0) && line->m_from == ON_3dPoint(1, 0, 0));
    EXPECT_FALSE(is_01);
  }
}

TEST_F(EdgeDrawing, MeshObjectsDrawWiresEvenWithoutEdges) {
  const ON_Mesh unwelded = UnweldedBoxMesh();
  attrs_.m_mesh_edges.m_edge_thickness = 0;
  attrs_.m_mesh_edges.m_naked_edge_thickness = 0;
  EdgeColouring colouring;
  colouring.m_bDrawMeshWires = true;
  colouring.m_wire_color = ON_Color(1, 2, 3);
  Draw(&unwelded, true, colouring);
  EXPECT_EQ(Wires(), 1);
  EXPECT_EQ(Lines(), 0);
  EXPECT_EQ(engine_.CallsOfKind(CRhinoRecordedCall::mesh_wires)[0]->m_color, ON_Color(1, 2, 3));
  Draw(nullptr, true, colouring);
  EXPECT_EQ(Wires(), 0);
}

TEST_F(EdgeDrawing, ColoursAreReducedOrBlended) {
  EXPECT_EQ(ReduceEdgeColor(ON_Color(200, 100, 50), 0), ON_Color(200, 100, 50));
  EXPECT_EQ(ReduceEdgeColor(ON_Color(200, 100, 50), 100), ON_Color(0, 0, 0));
  EXPECT_EQ(ReduceEdgeColor(ON_Color(200, 100, 51), 50), ON_Color(100, 50, 25));
  EXPECT_EQ(ReduceEdgeColor(ON_Color(200, 100, 50), 250), ON_Color(0, 0, 0)); // clamped
  EXPECT_EQ(BlendEdgeColor(ON_Color(0, 8, 255), ON_Color(8, 0, 255)), ON_Color(7, 1, 255));
  EXPECT_EQ(ReduceEdgeColor(ON_Color(255, 255, 255, 99), 0).Alpha(), 0);

  const ON_Mesh unwelded = UnweldedBoxMesh();
  attrs_.m_surface_edges.m_edge_color = ON_Color(0, 0, 0);
  attrs_.m_blend_edge_colors = 1;
  EdgeColouring colouring;
  colouring.m_blend_color = ON_Color(80, 160, 240);
  Draw(&unwelded, false, colouring);
  ASSERT_GT(Lines(), 0);
  EXPECT_EQ(engine_.CallsOfKind(CRhinoRecordedCall::line)[0]->m_color, ON_Color(70, 140, 210));
}

TEST_F(EdgeDrawing, SurfaceEdgeColoursFollowTheirUsageWhenAsked) {
  const ON_Mesh unwelded = UnweldedBoxMesh();
  attrs_.m_display_color = ON_Color(0, 200, 0);
  attrs_.m_surface_edges.m_edge_color = ON_Color(200, 0, 0);
  attrs_.m_surface_edges.m_edge_color_usage = 0;
  EdgeColouring colouring;
  colouring.m_bUseColorUsage = true;
  Draw(&unwelded, false, colouring);
  ASSERT_GT(Lines(), 0);
  EXPECT_EQ(engine_.CallsOfKind(CRhinoRecordedCall::line)[0]->m_color, ON_Color(0, 200, 0));
  attrs_.m_surface_edges.m_edge_color_usage = 1;
  Draw(&unwelded, false, colouring);
  EXPECT_EQ(engine_.CallsOfKind(CRhinoRecordedCall::line)[0]->m_color, ON_Color(200, 0, 0));
}

} // namespace
