// The mirrored copy seen in recorded frames: every object drawn a second
// time under the reflection (shaded with its own attributes, or drawing
// itself in the wire pass), the model transform put back after each copy,
// clipping planes left alone, block members mirrored where the block puts
// them, cut objects mirrored as cut, cutting objects mirrored by their own
// drawing, and no copy without a plane normal.

#include <gtest/gtest.h>

#include <vector>

#include "support/service_scene.h"

using namespace service_test;
using test_meshes::Box;

namespace {

using Calls = std::vector<const CRhinoRecordedCall*>;

// The conduit draws an object's copy in the draw-object channel, before
// the host draws the object itself.
Calls ShadedDrawsOf(Scene& s, const ON_Mesh* mesh) {
  Calls out;
  for (const CRhinoRecordedCall* call : s.Engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh))
    if (call->m_mesh_address == mesh) out.push_back(call);
  return out;
}

bool Near(const ON_3dPoint& a, const ON_3dPoint& b) {
  return a.DistanceTo(b) < 1e-9;
}

// Where the call's model transform puts a model point.
ON_3dPoint Placed(const CRhinoRecordedCall* call, const ON_3dPoint& p) {
  return call->m_xform * p;
}

// Line calls, split by whether their transform is the identity.
struct Lines {
  Calls plain, transformed;
};

Lines LinesOf(Scene& s) {
  Lines lines;
  for (const CRhinoRecordedCall* call : s.Engine().CallsOfKind(CRhinoRecordedCall::line))
    (call->m_xform.IsIdentity() ? lines.plain : lines.transformed).push_back(call);
  return lines;
}

class MirroredDrawing : public ::testing::Test {
protected:
  void TearDown() override { ResetService(); }
};

} // namespace

TEST_F(MirroredDrawing, EachObjectIsShadedAgainInTheMirrorWithItsOwnAttributes) {
  Scene s;
  ON_3dmObjectAttributes red;
  red.SetColorSource(ON::color_from_object);
  red.m_color = ON_Color(255, 0, 0);
  CRhinoMeshObject* a = s.doc.AddMeshObject(Box(ON_3dPoint(2, 0, 1), ON_3dPoint(4, 2, 3)), &red);
  CRhinoMeshObject* b = s.AddBox(ON_3dPoint(5, 0, 0), ON_3dPoint(6, 1, 1));
  ASSERT_TRUE(a && b);
  Conduit().EnableMirroring(true);
  ASSERT_TRUE(s.Frame());

  const Calls drawn = ShadedDrawsOf(s, a->Mesh());
  ASSERT_EQ(drawn.size(), 2u);
  // The default plane is x = 0.
  EXPECT_TRUE(Near(Placed(drawn[0], ON_3dPoint(3, 1, 2)), ON_3dPoint(-3, 1, 2)));
  // The transform is put back after the copy: the host then draws the
  // object where it stands.
  EXPECT_TRUE(drawn[1]->m_xform.IsIdentity());
  EXPECT_EQ(drawn[0]->m_material.m_diffuse, drawn[1]->m_material.m_diffuse);
  EXPECT_NE(drawn[0]->m_material.m_diffuse,
            ON_Color(200, 200, 200)); // the object's red, not a default

  const Calls next = ShadedDrawsOf(s, b->Mesh());
  ASSERT_EQ(next.size(), 2u);
  EXPECT_TRUE(Near(Placed(next[0], ON_3dPoint(5, 0, 0)), ON_3dPoint(-5, 0, 0)));
  EXPECT_TRUE(next[1]->m_xform.IsIdentity());
  const Calls transforms = s.Engine().CallsOfKind(CRhinoRecordedCall::model_transform);
  ASSERT_FALSE(transforms.empty());
  EXPECT_TRUE(transforms.back()->m_xform.IsIdentity());

  Conduit().EnableMirroring(false);
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(ShadedDrawsOf(s, a->Mesh()).size(), 1u);
}

TEST_F(MirroredDrawing, ACurveIsMirroredInTheWirePassOnly) {
  Scene s;
  ON_Polyline points;
  points.Append(ON_3dPoint(1, 0, 0));
  points.Append(ON_3dPoint(2, 0, 0));
  points.Append(ON_3dPoint(2, 1, 0));
  ASSERT_NE(s.doc.AddCurveObject(ON_PolylineCurve(points)), nullptr);
  ASSERT_TRUE(s.Frame());
  const size_t once = LinesOf(s).plain.size();
  ASSERT_GT(once, 0u);

  Conduit().EnableMirroring(true);
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  const Lines lines = LinesOf(s);
  EXPECT_EQ(lines.plain.size(), once);
  // As many mirrored lines as there are lines: one copy, from the wire
  // pass, none from the surface pass.
  ASSERT_EQ(lines.transformed.size(), once);
  for (const CRhinoRecordedCall* line : lines.transformed) {
    EXPECT_LE(Placed(line, line->m_from).x, -1.0 + 1e-9);
    EXPECT_LE(Placed(line, line->m_to).x, -1.0 + 1e-9);
  }
  EXPECT_TRUE(s.Engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh).empty());
}

TEST_F(MirroredDrawing, ClippingPlanesAreNeverMirrored) {
  Scene s;
  ON_Plane plane;
  plane.origin = ON_3dPoint(3, 0, 10);
  plane.xaxis = ON_3dVector(1, 0, 0);
  plane.yaxis = ON_3dVector(0, 1, 0);
  plane.zaxis = ON_3dVector(0, 0, 1);
  plane.UpdateEquation();
  ASSERT_NE(s.doc.AddClippingPlaneObject(plane, 1.0, 1.0), nullptr);
  CRhinoMeshObject* box = s.AddBox(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1));
  ASSERT_NE(box, nullptr);
  Conduit().EnableMirroring(true);
  ASSERT_TRUE(s.Frame());

  ASSERT_EQ(ShadedDrawsOf(s, box->Mesh()).size(), 2u); // mirroring is on
  int plane_lines = 0;
  for (const CRhinoRecordedCall* line : s.Engine().CallsOfKind(CRhinoRecordedCall::line)) {
    if (line->m_from.z != 10.0) continue; // the box's own edges
    ++plane_lines;
    EXPECT_TRUE(line->m_xform.IsIdentity());
  }
  EXPECT_EQ(plane_lines, 4);
}

TEST_F(MirroredDrawing, BlockMembersAreMirroredOnceWhereTheBlockPutsThem) {
  Scene s;
  ON_SimpleArray<CRhinoObject*> members;
  auto* member = new CRhinoMeshObject();
  member->SetMesh(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  members.Append(member);
  auto* edge = new CRhinoCurveObject();
  ON_Polyline points;
  points.Append(ON_3dPoint(0, 0, 2));
  points.Append(ON_3dPoint(1, 0, 2));
  edge->SetCurve(ON_PolylineCurve(points));
  members.Append(edge);
  const int index = s.doc.InstanceDefinitionTable().AddInstanceDefinition(L"blk", members);
  ASSERT_GE(index, 0);
  const ON_Xform shift = ON_Xform::TranslationTransformation(ON_3dVector(5, 0, 0));
  ASSERT_NE(s.doc.AddInstanceObject(index, shift), nullptr);
  Conduit().EnableMirroring(true);
  ASSERT_TRUE(s.Frame());

  // Only the member's mesh: the reference itself adds no copy of its own
  // over the mirrored members.
  const Calls shaded = s.Engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  ASSERT_EQ(shaded.size(), 2u);
  for (const CRhinoRecordedCall* call : shaded)
    EXPECT_EQ(call->m_mesh_address, member->Mesh());
  // The reflection applies after the block's own placement.
  EXPECT_TRUE(Near(Placed(shaded[0], ON_3dPoint(0.5, 0.5, 0.5)), ON_3dPoint(-5.5, 0.5, 0.5)));
  EXPECT_TRUE(Near(Placed(shaded[1], ON_3dPoint(0.5, 0.5, 0.5)), ON_3dPoint(5.5, 0.5, 0.5)));

  // The wire pass mirrors exactly what it draws of the block in place.
  const Lines lines = LinesOf(s);
  ASSERT_FALSE(lines.transformed.empty());
  int placed = 0, mirrored = 0;
  for (const CRhinoRecordedCall* line : lines.transformed)
    (Placed(line, line->m_from).x > 0.0 ? placed : mirrored) += 1;
  EXPECT_GT(placed, 0);
  EXPECT_EQ(mirrored, placed);
}

TEST_F(MirroredDrawing, ACutObjectIsMirroredInItsCutState) {
  Scene s;
  ASSERT_NE(s.AddCutter(Box(ON_3dPoint(10, 10, 10), ON_3dPoint(11, 11, 11)), 2), nullptr);
  CRhinoMeshObject* box = s.AddBox(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1));
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(s.Frame()); // builds the cutting meshes
  TV_SectionCache* cache = AttachBuiltCache(*box, {0});
  ASSERT_NE(cache, nullptr);
  Conduit().EnableMirroring(true);
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());

  EXPECT_TRUE(ShadedDrawsOf(s, box->Mesh()).empty());
  const Calls cut = ShadedDrawsOf(s, cache->m_phantom.m_caches[0].m_meshes[0]);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_TRUE(Near(Placed(cut[0], ON_3dPoint(1, 1, 1)), ON_3dPoint(-1, 1, 1)));
  EXPECT_TRUE(cut[1]->m_xform.IsIdentity());
}

TEST_F(MirroredDrawing, APlaneWithoutNormalDrawsNoCopyAndALongNormalStillReflects) {
  Scene s;
  CRhinoMeshObject* box = s.AddBox(ON_3dPoint(2, 0, 1), ON_3dPoint(4, 2, 3));
  ASSERT_NE(box, nullptr);
  Conduit().SetMirrorDirection(ON_3dVector(0, 0, 0));
  Conduit().EnableMirroring(true);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(ShadedDrawsOf(s, box->Mesh()).size(), 1u);
  EXPECT_TRUE(LinesOf(s).transformed.empty());

  Conduit().SetMirrorPosition(ON_3dPoint(0, 0, 1));
  Conduit().SetMirrorDirection(ON_3dVector(0, 0, 2));
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  const Calls drawn = ShadedDrawsOf(s, box->Mesh());
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_TRUE(Near(Placed(drawn[0], ON_3dPoint(3, 1, 2)), ON_3dPoint(3, 1, 0)));
}

TEST_F(MirroredDrawing, ACuttingObjectWithoutPlaneNormalIsDrawnOnce) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(2, 0, 1), ON_3dPoint(4, 2, 3)), 2);
  ASSERT_NE(cutter, nullptr);
  Conduit().SetMirrorDirection(ON_3dVector(0, 0, 0));
  Conduit().EnableMirroring(true);
  ASSERT_TRUE(s.Frame());
  const TV_SectionGeometry* geometry = GeometryOf(cutter);
  ASSERT_TRUE(geometry != nullptr && geometry->m_bValid);
  EXPECT_EQ(ShadedDrawsOf(s, &geometry->m_mesh).size(), 1u);

  Conduit().SetMirrorDirection(ON_3dVector(1, 0, 0));
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  const Calls drawn = ShadedDrawsOf(s, &geometry->m_mesh);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_TRUE(Near(Placed(drawn[1], ON_3dPoint(3, 1, 2)), ON_3dPoint(-3, 1, 2)));
}
