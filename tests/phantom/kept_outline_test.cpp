// The outlines a section cache keeps for its meshes draw exactly the lines
// that finding them from each mesh at draw time gives: same segments, same
// kinds, same order, for pieces kept whole, cut, and split open.

#include "phantom/phantom_object.h"
#include "section/section_builder.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct DrawnLine {
  ON_3dPoint from, to;
  ON_Color color;
  int thickness;
  unsigned int pattern;
  bool operator==(const DrawnLine&) const = default;
};

class KeptOutlines : public ::testing::Test {
protected:
  void SetUp() override {
    doc_ = RhinoApp().NewDocument();
    mode_.m_surface_edges.m_bShowEdges = true;
    mode_.m_surface_edges.m_bShowNakedEdges = true;
    mode_.m_surface_edges.m_edge_color = ON_Color(200, 0, 0);
    mode_.m_surface_edges.m_edge_color_usage = 1;
    mode_.m_surface_edges.m_naked_edge_color = ON_Color(0, 0, 200);
    mode_.m_surface_edges.m_naked_edge_color_usage = 1;
    mode_.m_surface_edges.m_naked_edge_thickness = 2;
    mode_.m_mesh_edges = mode_.m_surface_edges;
    pipeline_.SetDisplayAttributes(mode_);
  }
  void TearDown() override {
    for (ON_SimpleArray<ON_Mesh*>* list : {&intersection_, &difference_})
      for (int i = 0; i < list->Count(); ++i)
        delete (*list)[i];
    RhinoApp().CloseDocument(doc_);
  }

  const CRhinoObject* AddBrepBox(const ON_3dPoint& min, const ON_3dPoint& max) {
    auto* object = new CRhinoBrepObject();
    object->SetBrep(ON_Brep::CreateBox(min, max));
    EXPECT_TRUE(doc_->AddObject(object));
    return object;
  }
  // A box's six faces, not welded to each other, without the top face: an
  // open mesh with naked edges round the opening and seams elsewhere.
  const CRhinoObject* AddOpenBox(const ON_3dPoint& min, const ON_3dPoint& max) {
    std::unique_ptr<ON_Brep> brep(ON_Brep::CreateBox(min, max));
    ON_SimpleArray<const ON_Mesh*> faces;
    brep->GetMeshes(ON_MeshParameters(), faces);
    ON_Mesh open;
    for (int i = 0; i < faces.Count(); ++i)
      if (faces[i]->BoundingBox().m_min.z < max.z - 1e-9) open.Append(*faces[i]);
    auto* object = new CRhinoMeshObject();
    object->SetMesh(open);
    EXPECT_TRUE(doc_->AddObject(object));
    return object;
  }

  // The phantom of the object built against the current cutters.
  std::unique_ptr<CKyrelPhantomObject> Build(const CRhinoObject& object) {
    auto phantom = std::make_unique<CKyrelPhantomObject>();
    phantom->m_source = &object;
    phantom->m_bBuilt = true;
    BuildSectionCache(phantom->m_caches, pipeline_, object, ON::render_mesh, intersection_,
                      difference_);
    return phantom;
  }

  std::vector<DrawnLine> Draw(const CKyrelPhantomObject& phantom) {
    engine_.Clear();
    phantom.Draw(pipeline_);
    std::vector<DrawnLine> lines;
    for (const CRhinoRecordedCall* call : engine_.CallsOfKind(CRhinoRecordedCall::line))
      lines.push_back(
          {call->m_from, call->m_to, call->m_color, call->m_thickness, call->m_pattern});
    return lines;
  }

  // Draws the phantom from its kept outlines, then with them dropped (each
  // mesh's outline found again from its topology), and expects the same.
  void ExpectKeptOutlinesDrawAsFound(CKyrelPhantomObject& phantom, int expected_lines) {
    for (int i = 0; i < phantom.m_caches.Count(); ++i)
      ASSERT_EQ(phantom.m_caches[i].m_outlines.size(),
                static_cast<size_t>(phantom.m_caches[i].m_meshes.Count()));
    const std::vector<DrawnLine> kept = Draw(phantom);
    for (int i = 0; i < phantom.m_caches.Count(); ++i)
      phantom.m_caches[i].m_outlines.clear();
    const std::vector<DrawnLine> found = Draw(phantom);
    EXPECT_EQ(static_cast<int>(kept.size()), expected_lines);
    EXPECT_TRUE(kept == found);
  }

  int Naked(const std::vector<DrawnLine>& lines) const {
    int count = 0;
    for (const DrawnLine& line : lines)
      count += line.color == ON_Color(0, 0, 200, 0) ? 1 : 0;
    return count;
  }

  CRhinoDoc* doc_ = nullptr;
  CRhinoRecordingEngine engine_;
  CRhinoDisplayPipeline pipeline_{&engine_};
  CDisplayPipelineAttributes mode_;
  ON_SimpleArray<ON_Mesh*> intersection_;
  ON_SimpleArray<ON_Mesh*> difference_;
};

TEST_F(KeptOutlines, DrawTheLinesFoundFromEachPiece) {
  difference_.Append(new ON_Mesh(test_meshes::Box(ON_3dPoint(0.5, -1, -1), ON_3dPoint(3, 0.5, 3))));

  // Far from the cutter: kept whole, its twelve box edges are seams.
  auto whole = Build(*AddBrepBox(ON_3dPoint(10, 10, 10), ON_3dPoint(11, 11, 11)));
  ASSERT_EQ(whole->m_caches.Count(), 1);
  EXPECT_EQ(whole->m_caches[0].m_clip_state, 1);
  ExpectKeptOutlinesDrawAsFound(*whole, 12);

  // An open, unwelded box split by the cutter: naked edges along the cut
  // and the opening, seams between the faces, in topology order.
  auto split = Build(*AddOpenBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_EQ(split->m_caches.Count(), 1);
  EXPECT_EQ(split->m_caches[0].m_clip_state, 0);
  const std::vector<DrawnLine> lines = Draw(*split);
  EXPECT_GT(Naked(lines), 0);
  EXPECT_LT(Naked(lines), static_cast<int>(lines.size()));
  ExpectKeptOutlinesDrawAsFound(*split, static_cast<int>(lines.size()));

  // A closed brep box bitten at a corner: the capped piece.
  auto bitten = Build(*AddBrepBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_EQ(bitten->m_caches.Count(), 1);
  EXPECT_EQ(bitten->m_caches[0].m_clip_state, 0);
  ExpectKeptOutlinesDrawAsFound(*bitten, static_cast<int>(Draw(*bitten).size()));
}

TEST_F(KeptOutlines, DrawTheLinesOfPiecesKeptInsideAnIntersectionCutter) {
  intersection_.Append(new ON_Mesh(test_meshes::Box(ON_3dPoint(-5, -5, -5), ON_3dPoint(5, 5, 5))));
  // Wholly inside: no boolean cuts it, the point test keeps a copy.
  auto inside = Build(*AddOpenBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_EQ(inside->m_caches.Count(), 1);
  EXPECT_EQ(inside->m_caches[0].m_clip_state, 1);
  const std::vector<DrawnLine> lines = Draw(*inside);
  EXPECT_EQ(Naked(lines), 4); // round the opening
  ExpectKeptOutlinesDrawAsFound(*inside, 12);
}

TEST_F(KeptOutlines, AreDroppedWithTheMeshesTheyBelongTo) {
  difference_.Append(new ON_Mesh(test_meshes::Box(ON_3dPoint(0.5, -1, -1), ON_3dPoint(3, 0.5, 3))));
  auto split = Build(*AddOpenBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_FALSE(split->m_caches[0].m_outlines.empty());
  const unsigned int built_size = split->m_caches[0].SizeOf();
  split->m_caches[0].DestroyMeshes(true);
  EXPECT_TRUE(split->m_caches[0].m_outlines.empty());
  EXPECT_LT(split->m_caches[0].SizeOf(), built_size);
}

} // namespace
