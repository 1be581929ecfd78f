// Picking at a pixel: mesh and curve hits, depth order, pick filters and
// the pick context's mesh test.

#include <gtest/gtest.h>

#include <cmath>

#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

namespace {

// A view looking down -z at the origin from above, 200 x 200 pixels.
struct PickScene {
  CRhinoDoc doc;
  CRhinoView view{&doc, 200, 200};
  PickScene() { view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs()); }
  void Frame() { view.Viewport().ZoomExtents(doc.BoundingBox()); }
  // Pixel of a world point.
  ON_3dPoint Pixel(const ON_3dPoint& p) const {
    ON_3dPoint s;
    view.Viewport().VP().GetScreenCoordinates(p, s);
    return s;
  }
};

class RejectNamed : public CRhinoPickFilter {
public:
  explicit RejectNamed(const wchar_t* name) : m_name(name) { Register(); }
  bool AllowPick(const CRhinoPickContext& context, const CRhinoObject* object, bool) override {
    ++asked;
    last_view = context.m_view;
    return object->Attributes().m_name != m_name;
  }
  ON_wString m_name;
  int asked = 0;
  CRhinoView* last_view = nullptr;
};

} // namespace

TEST(Picking, BoxIsHitAtItsPixelAndBackgroundIsNot) {
  PickScene s;
  CRhinoBrepObject* box = AddBox(s.doc, ON_3dPoint(-1, -1, -1), ON_3dPoint(1, 1, 1));
  s.doc.AddMeshObject(Box(ON_3dPoint(10, 10, 0), ON_3dPoint(11, 11, 1)));
  s.Frame();
  const ON_3dPoint c = s.Pixel(ON_3dPoint(0, 0, 1));
  auto hits = s.view.Pick(static_cast<int>(c.x), static_cast<int>(c.y));
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].m_object, box);
  EXPECT_NEAR(hits[0].m_point.z, 1.0, 1e-6); // the top face, nearest to the camera

  const ON_3dPoint empty = s.Pixel(ON_3dPoint(5, -5, 0));
  EXPECT_TRUE(s.view.Pick(static_cast<int>(empty.x), static_cast<int>(empty.y)).empty());
}

TEST(Picking, HitsAreSortedNearestFirst) {
  PickScene s;
  CRhinoMeshObject* low = s.doc.AddMeshObject(Box(ON_3dPoint(-1, -1, 0), ON_3dPoint(1, 1, 1)));
  CRhinoMeshObject* high = s.doc.AddMeshObject(Box(ON_3dPoint(-1, -1, 5), ON_3dPoint(1, 1, 6)));
  s.Frame();
  const ON_3dPoint c = s.Pixel(ON_3dPoint(0, 0, 0));
  auto hits = s.view.Pick(static_cast<int>(c.x), static_cast<int>(c.y));
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].m_object, high);
  EXPECT_EQ(hits[1].m_object, low);
  EXPECT_LT(hits[0].m_depth, hits[1].m_depth);
}

TEST(Picking, CurvesWithinAFewPixelsLockedAndHiddenNever) {
  PickScene s;
  CRhinoCurveObject* line = AddLine(s.doc, ON_3dPoint(-5, 0, 0), ON_3dPoint(5, 0, 0));
  ON_3dmObjectAttributes locked;
  locked.SetMode(ON::locked_object);
  s.doc.AddMeshObject(Box(ON_3dPoint(-1, 3, 0), ON_3dPoint(1, 4, 1)), &locked);
  s.Frame();
  const ON_3dPoint on = s.Pixel(ON_3dPoint(2, 0, 0));
  auto hits = s.view.Pick(static_cast<int>(on.x), static_cast<int>(on.y) + 2);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].m_object, line);
  EXPECT_LE(hits[0].m_distance, 3.0);
  EXPECT_TRUE(s.view.Pick(static_cast<int>(on.x), static_cast<int>(on.y) + 12).empty());
  const ON_3dPoint lk = s.Pixel(ON_3dPoint(0, 3.5, 1));
  EXPECT_TRUE(s.view.Pick(static_cast<int>(lk.x), static_cast<int>(lk.y)).empty());
}

TEST(Picking, FiltersRemoveHitsAndSeeTheView) {
  PickScene s;
  ON_3dmObjectAttributes named;
  named.m_name = L"skip";
  s.doc.AddMeshObject(Box(ON_3dPoint(-1, -1, 2), ON_3dPoint(1, 1, 3)), &named);
  CRhinoMeshObject* kept = s.doc.AddMeshObject(Box(ON_3dPoint(-1, -1, 0), ON_3dPoint(1, 1, 1)));
  s.Frame();
  const ON_3dPoint c = s.Pixel(ON_3dPoint(0, 0, 0));
  {
    RejectNamed filter(L"skip");
    auto hits = s.view.Pick(static_cast<int>(c.x), static_cast<int>(c.y));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].m_object, kept);
    EXPECT_EQ(filter.asked, 2);
    EXPECT_EQ(filter.last_view, &s.view);
  }
  // The filter unregistered when destroyed.
  EXPECT_EQ(s.view.Pick(static_cast<int>(c.x), static_cast<int>(c.y)).size(), 2u);
}

TEST(Picking, ViewsWithoutDocumentAndObjectsWithoutMeshesPickNothing) {
  CRhinoView lonely(nullptr, 50, 50);
  EXPECT_TRUE(lonely.Pick(25, 25).empty());
  EXPECT_TRUE(lonely.Redraw());
  PickScene s;
  EXPECT_TRUE(s.view.Pick(100, 100).empty());
  EXPECT_TRUE(s.view.Pick(-40, 100000).empty());
}

TEST(PickContext, PickMeshShadedAndWires) {
  ON_Viewport vp;
  vp.SetScreenSize(100, 100);
  ON_Mesh square = test_meshes::Quad(-1, -1, 1, 1, 0);
  ON_BoundingBox box = square.BoundingBox();
  vp.DollyExtents(box);
  CRhinoPickContext ctx;
  ASSERT_TRUE(ctx.SetPickPoint(vp, 50, 50, 3));
  ON_3dPoint p;
  double bary[4] = {0, 0, 0, 0};
  ON_3dVector n;
  double depth = -1, dist = -1;
  int kind = -1, face = -1;
  ASSERT_TRUE(ctx.PickMesh(&square, CRhinoPickContext::pick_mesh_shaded, &p, bary, &n, &depth,
                           &dist, &kind, &face));
  EXPECT_NEAR(p.x, 0.0, 0.05);
  EXPECT_NEAR(p.z, 0.0, 1e-9);
  EXPECT_NEAR(bary[0] + bary[1] + bary[2] + bary[3], 1.0, 1e-9);
  EXPECT_EQ(kind, CRhinoPickContext::hit_face);
  EXPECT_EQ(face, 0);
  EXPECT_NEAR(std::fabs(n.z), 1.0, 1e-9);
  EXPECT_GE(depth, 0.0);
  EXPECT_LE(depth, 1.0);
  // The same call as the display service makes, with most outputs null.
  EXPECT_TRUE(ctx.PickMesh(&square, 1, &p, nullptr, nullptr, &depth, &dist, &kind, &face));
  // Wires: the middle of a face is far from every edge.
  EXPECT_FALSE(ctx.PickMesh(&square, CRhinoPickContext::pick_mesh_wires, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr));
  ON_3dPoint edge;
  vp.GetScreenCoordinates(ON_3dPoint(1, 0, 0), edge);
  ASSERT_TRUE(ctx.SetPickPoint(vp, edge.x - 1, edge.y, 3));
  EXPECT_TRUE(ctx.PickMesh(&square, CRhinoPickContext::pick_mesh_wires, nullptr, nullptr, nullptr,
                           nullptr, &dist, &kind, nullptr));
  EXPECT_EQ(kind, CRhinoPickContext::hit_edge);
  EXPECT_FALSE(
      ctx.PickMesh(nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  ON_Mesh empty;
  EXPECT_FALSE(
      ctx.PickMesh(&empty, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}
