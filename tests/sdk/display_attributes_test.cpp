// Display modes, the per-object display attributes the pipeline makes,
// object drawing with edge settings, and framing a box.

#include <gtest/gtest.h>

#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

TEST(DisplayModes, StandardModesAreDistinctAndSettled) {
  const CDisplayPipelineAttributes* w = CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  const CDisplayPipelineAttributes* s = CRhinoDisplayAttrsMgr::StdShadedAttrs();
  const CDisplayPipelineAttributes* r = CRhinoDisplayAttrsMgr::StdRenderedAttrs();
  const CDisplayPipelineAttributes* g = CRhinoDisplayAttrsMgr::StdGhostedAttrs();
  EXPECT_EQ(w, CRhinoDisplayAttrsMgr::StdWireframeAttrs()); // one record per process
  EXPECT_NE(w->Id(), s->Id());
  EXPECT_NE(s->Id(), r->Id());
  EXPECT_NE(r->Id(), g->Id());
  EXPECT_TRUE(ON_UuidIsNotNil(w->Id()));
  EXPECT_FALSE(w->m_bShadeSurface);
  EXPECT_TRUE(s->m_bShadeSurface && r->m_bShadeSurface && g->m_bShadeSurface);
  EXPECT_GT(g->m_material.m_transparency, 0.0);
  EXPECT_EQ(CRhinoDisplayAttrsMgr::FindDisplayAttrs(g->Id()), g);
  EXPECT_EQ(CRhinoDisplayAttrsMgr::FindDisplayAttrs(ON_nil_uuid), nullptr);
  EXPECT_EQ(CRhinoDisplayAttrsMgr::StdAttrsForMode(2), s);
  EXPECT_EQ(CRhinoDisplayAttrsMgr::StdAttrsForMode(99), w);
  CDisplayPipelineAttributes copy(*s);
  EXPECT_EQ(copy.Id(), s->Id());
}

TEST(ObjectDisplayAttributes, ColourFromLayerObjectSelectionAndMaterial) {
  CRhinoDoc doc;
  ON_Layer red;
  red.SetName(L"red");
  red.SetColor(ON_Color(255, 0, 0));
  ON_3dmObjectAttributes on_red;
  on_red.m_layer_index = doc.LayerTable().AddLayer(red);
  CRhinoMeshObject* layered =
      doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &on_red);
  ON_3dmObjectAttributes own = on_red;
  own.SetColorSource(ON::color_from_object);
  own.m_color = ON_Color(0, 0, 255);
  CRhinoMeshObject* blue = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &own);
  ON_Material green;
  green.SetDiffuse(ON_Color(0, 200, 0));
  ON_3dmObjectAttributes material = on_red;
  material.SetMaterialSource(ON::material_from_object);
  material.m_material_index = doc.MaterialTable().AddMaterial(green);
  CRhinoMeshObject* rendered =
      doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &material);

  CRhinoView view(&doc, 10, 10);
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  CRhinoDisplayPipeline& dp = *view.DisplayPipeline();
  EXPECT_EQ(dp.GetObjectDisplayAttrs(layered)->m_display_color, ON_Color(255, 0, 0));
  EXPECT_EQ(dp.GetObjectDisplayAttrs(layered)->m_material.m_diffuse, ON_Color(255, 0, 0));
  EXPECT_EQ(dp.GetObjectDisplayAttrs(blue)->m_display_color, ON_Color(0, 0, 255));
  EXPECT_EQ(dp.GetObjectDisplayAttrs(layered)->Id(), CRhinoDisplayAttrsMgr::StdShadedAttrs()->Id());

  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdRenderedAttrs());
  EXPECT_EQ(dp.GetObjectDisplayAttrs(rendered)->m_material.m_diffuse, ON_Color(0, 200, 0));
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdGhostedAttrs());
  EXPECT_GT(dp.GetObjectDisplayAttrs(layered)->m_material.m_transparency, 0.0);

  blue->Select(true);
  EXPECT_EQ(dp.GetObjectDisplayAttrs(blue)->m_display_color,
            CRhinoDisplayAttrsMgr::StdGhostedAttrs()->m_selection_color);
}

TEST(ObjectDrawing, BoxEdgesFollowTheSurfaceEdgeSettings) {
  CRhinoDoc doc;
  AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  CRhinoView view(&doc, 100, 100);
  auto& engine = static_cast<CRhinoRecordingEngine&>(view.Engine());
  CDisplayPipelineAttributes attrs = *CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  attrs.m_surface_edges.m_edge_color_usage = CDisplayPipelineAttributes::edge_color_from_settings;
  attrs.m_surface_edges.m_edge_color = ON_Color(200, 100, 50);
  attrs.m_surface_edges.m_edge_color_reduction = 50;
  attrs.m_surface_edges.m_edge_thickness = 3;
  attrs.m_surface_edges.m_edge_pattern = 0x0C3F;
  view.SetDisplayMode(attrs);
  view.Redraw();
  const auto lines = engine.CallsOfKind(CRhinoRecordedCall::line);
  // A box's render meshes are six unwelded faces; their seams are the
  // twelve box edges, each drawn once.
  ASSERT_EQ(lines.size(), 12u);
  for (const CRhinoRecordedCall* l : lines) {
    EXPECT_EQ(l->m_color, ON_Color(100, 50, 25));
    EXPECT_EQ(l->m_thickness, 3);
    EXPECT_EQ(l->m_pattern, 0x0C3Fu);
    EXPECT_NEAR(l->m_from.DistanceTo(l->m_to), 1.0, 1e-9);
  }

  attrs.m_surface_edges.m_bShowEdges = false;
  attrs.m_surface_edges.m_bShowNakedEdges = false;
  view.SetDisplayMode(attrs);
  engine.Clear();
  view.Redraw();
  EXPECT_TRUE(engine.CallsOfKind(CRhinoRecordedCall::line).empty());
}

TEST(ObjectDrawing, MeshWiresNakedEdgesAndCurvePatterns) {
  CRhinoDoc doc;
  ON_Mesh open = Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  open.m_F.Remove(1); // no top: four naked edges
  open.DestroyRuntimeCache();
  doc.AddMeshObject(open);
  AddLine(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(5, 0, 0));
  doc.AddClippingPlaneObject(ON_Plane::World_xy, 2, 2);
  CRhinoView view(&doc, 100, 100);
  auto& engine = static_cast<CRhinoRecordingEngine&>(view.Engine());
  CDisplayPipelineAttributes attrs = *CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  attrs.m_mesh_edges.m_bShowNakedEdges = true;
  attrs.m_mesh_edges.m_naked_edge_color = ON_Color(9, 9, 9);
  attrs.m_mesh_edges.m_naked_edge_thickness = 2;
  attrs.m_naked_edge_pattern = 0xFF00FF00u;
  attrs.m_curve_pattern = 0x00FF00FFu;
  view.SetDisplayMode(attrs);
  view.Redraw();
  EXPECT_EQ(engine.CallsOfKind(CRhinoRecordedCall::mesh_wires).size(), 1u);
  int naked = 0, curve = 0, plane = 0;
  for (const CRhinoRecordedCall* l : engine.CallsOfKind(CRhinoRecordedCall::line)) {
    if (l->m_pattern == 0xFF00FF00u && l->m_color == ON_Color(9, 9, 9) && l->m_thickness == 2)
      ++naked;
    if (l->m_pattern == 0x00FF00FFu) ++curve;
    if (l->m_pattern == attrs.m_clipping_plane_pattern) ++plane;
  }
  EXPECT_EQ(naked, 4);
  EXPECT_EQ(curve, 1);
  EXPECT_EQ(plane, 4); // the clipping plane's rectangle
}

TEST(Framing, DollyExtentsPutsTheBoxInView) {
  ON_Viewport vp;
  vp.SetScreenSize(400, 300);
  ON_BoundingBox world(ON_3dPoint(100, 100, 0), ON_3dPoint(110, 104, 6));
  ON_Xform to_camera;
  ASSERT_TRUE(vp.GetXform(ON::world_cs, ON::camera_cs, to_camera));
  ON_BoundingBox camera_box = world;
  camera_box.Transform(to_camera);

  ON_Viewport zoomed;
  ASSERT_TRUE(RhinoDollyExtents(vp, camera_box, zoomed));
  EXPECT_EQ(zoomed.CameraDirection(), vp.CameraDirection());
  ON_3dPoint corners[8];
  world.GetCorners(corners);
  for (const ON_3dPoint& c : corners) {
    ON_3dPoint sc;
    ASSERT_TRUE(zoomed.GetScreenCoordinates(c, sc));
    EXPECT_GE(sc.x, -1e-6);
    EXPECT_LE(sc.x, 400 + 1e-6);
    EXPECT_GE(sc.y, -1e-6);
    EXPECT_LE(sc.y, 300 + 1e-6);
    EXPECT_GE(sc.z, 0.0); // between near and far
    EXPECT_LE(sc.z, 1.0);
  }
  EXPECT_NEAR(zoomed.TargetPoint().x, 105.0, 1e-9);

  ON_Viewport untouched = vp;
  EXPECT_FALSE(RhinoDollyExtents(vp, ON_BoundingBox(), untouched));
  EXPECT_EQ(untouched.CameraLocation(), vp.CameraLocation());

  CRhinoViewport rvp(vp);
  EXPECT_TRUE(rvp.SetTarget(ON_3dPoint(1, 2, 3), true));
  EXPECT_EQ(rvp.Target(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(rvp.VP().CameraDirection(), vp.CameraDirection());
  EXPECT_FALSE(rvp.SetTarget(ON_3dPoint::UnsetPoint, true));
}

TEST(ObjectDrawing, OpenSurfaceOutlineUsesNakedSettingsWhenOn) {
  CRhinoDoc doc;
  std::unique_ptr<ON_Brep> plane(ON_Brep::CreatePlanarSurface(ON_Plane::World_xy, 2, 1));
  ASSERT_NE(doc.AddBrepObject(*plane), nullptr);
  CRhinoView view(&doc, 100, 100);
  auto& engine = static_cast<CRhinoRecordingEngine&>(view.Engine());
  CDisplayPipelineAttributes attrs = *CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  CDisplayEdgeSettings& set = attrs.m_surface_edges;
  set.m_edge_color_usage = set.m_naked_edge_color_usage =
      CDisplayPipelineAttributes::edge_color_from_settings;
  set.m_edge_color = ON_Color(10, 10, 10);
  set.m_naked_edge_color = ON_Color(200, 0, 0);
  set.m_naked_edge_thickness = 2;
  set.m_bShowNakedEdges = true;
  view.SetDisplayMode(attrs);
  view.Redraw();
  auto lines = engine.CallsOfKind(CRhinoRecordedCall::line);
  ASSERT_EQ(lines.size(), 4u);
  for (const CRhinoRecordedCall* l : lines) {
    EXPECT_EQ(l->m_color, ON_Color(200, 0, 0));
    EXPECT_EQ(l->m_thickness, 2);
  }
  set.m_bShowNakedEdges = false; // the outline is still an edge
  view.SetDisplayMode(attrs);
  engine.Clear();
  view.Redraw();
  lines = engine.CallsOfKind(CRhinoRecordedCall::line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0]->m_color, ON_Color(10, 10, 10));
}
