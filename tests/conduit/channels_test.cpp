// The section conduit's channels seen from a frame: the far clipping
// plane and the render-mesh correction, culling of objects cut away
// entirely, the frame box with mirroring and client cutters, the display
// attributes of cutting and cut objects, and what a Wireframe view leaves
// alone.

#include <gtest/gtest.h>

#include <map>

#include "support/service_scene.h"

using namespace service_test;
using test_meshes::Box;

namespace {

constexpr unsigned kProbeChannels = 0x4 | 0x8 | 0x100 | 0x4000;

// Registered after the section conduit, so it sees what that conduit left
// in the channel and display attributes.
class Probe : public CRhinoDisplayConduit {
public:
  Probe() : CRhinoDisplayConduit(kProbeChannels, true) {}
  bool ExecConduit(CRhinoDisplayPipeline&, unsigned int channel, bool&) override {
    const CRhinoObject* object = m_pChannelAttrs->m_pObject;
    switch (channel) {
    case 0x8:
      box = m_pChannelAttrs->m_bounding_box;
      break;
    case 0x4000:
      if (object != nullptr) attrs[object] = *m_pDisplayAttrs;
      break;
    case 0x4:
      if (object != nullptr) ++culling_heard[object];
      break;
    case 0x100:
      if (object != nullptr) ++drawing_heard[object];
      break;
    default:
      break;
    }
    return true;
  }
  ON_BoundingBox box;
  std::map<const CRhinoObject*, CDisplayPipelineAttributes> attrs;
  std::map<const CRhinoObject*, int> culling_heard;
  std::map<const CRhinoObject*, int> drawing_heard;
};

// Shaded draws of a given mesh in the frames recorded so far.
int ShadedDrawsOf(Scene& s, const ON_Mesh* mesh) {
  int n = 0;
  for (const CRhinoRecordedCall* call : s.Engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh))
    if (call->m_mesh_address == mesh) ++n;
  return n;
}

// The last shaded draw of a given mesh, or of any mesh when it is null.
const CRhinoRecordedCall* LastShadedDrawOf(Scene& s, const ON_Mesh* mesh) {
  const CRhinoRecordedCall* last = nullptr;
  for (const CRhinoRecordedCall* call : s.Engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh))
    if (mesh == nullptr || call->m_mesh_address == mesh) last = call;
  return last;
}

void TopView(Scene& s) {
  ON_Viewport vp = s.view.Viewport().VP();
  vp.SetProjection(ON::parallel_view);
  vp.SetCameraLocation(ON_3dPoint(0, 0, 50));
  vp.SetCameraDirection(ON_3dVector(0, 0, -1));
  vp.SetCameraUp(ON_3dVector(0, 1, 0));
  ASSERT_TRUE(s.view.Viewport().SetVP(vp, true));
}

// Shaded, with back faces culled, so switching culling off shows.
void ShadedCullingBackFaces(Scene& s) {
  CDisplayPipelineAttributes mode = *CRhinoDisplayAttrsMgr::StdShadedAttrs();
  mode.m_bCullBackfaces = true;
  s.view.SetDisplayMode(mode);
}

bool SameMaterial(const CDisplayEngineMaterial& a, const CDisplayEngineMaterial& b) {
  return a.m_diffuse == b.m_diffuse && a.m_transparency == b.m_transparency &&
         a.m_shine == b.m_shine && a.m_specular == b.m_specular;
}

} // namespace

TEST(ClippingPlaneChannel, AddsOneEnabledFarPlaneFacingTheCamera) {
  Scene s;
  TopView(s);
  s.AddCutter(Box(ON_3dPoint(-1, -1, -1), ON_3dPoint(1, 1, 1)), 1);
  ASSERT_NE(s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)), nullptr);
  ASSERT_TRUE(s.Frame());
  // The box is drawn cut, as its section cache's mesh.
  const CRhinoRecordedCall* call = LastShadedDrawOf(s, nullptr);
  ASSERT_NE(call, nullptr);
  ASSERT_EQ(call->m_clipping_planes.size(), 1u);
  const ON_PlaneEquation& plane = call->m_clipping_planes[0];
  const auto frames = s.Engine().CallsOfKind(CRhinoRecordedCall::begin_frame);
  ASSERT_FALSE(frames.empty());
  const double far_distance = frames.back()->m_far;
  // Everything nearer than the far distance stays, what lies beyond goes.
  EXPECT_GT(plane.ValueAt(ON_3dPoint(0, 0, 1)), 0.0);
  EXPECT_GT(plane.ValueAt(ON_3dPoint(0, 0, 50 - 0.99 * far_distance)), 0.0);
  EXPECT_LT(plane.ValueAt(ON_3dPoint(0, 0, 50 - 1.01 * far_distance)), 0.0);
}

TEST(ClippingPlaneChannel, RenderMeshesLoseJaggedSeamsWhileCutting) {
  Scene s;
  ON_MeshParameters mp = s.doc.Properties().RenderMeshSettings();
  mp.m_bJaggedSeams = true;
  s.doc.Properties().SetRenderMeshSettings(mp);
  ASSERT_TRUE(s.Frame());
  EXPECT_TRUE(s.doc.Properties().RenderMeshSettings().m_bJaggedSeams); // nothing cuts yet
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  ASSERT_TRUE(s.Frame());
  EXPECT_FALSE(s.doc.Properties().RenderMeshSettings().m_bJaggedSeams);
}

TEST(ClippingPlaneChannel, NoPlaneWithOnlyDifferenceCuttersWhileClashesShow) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  ASSERT_NE(s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1)), nullptr);
  ASSERT_TRUE(s.Frame());
  ASSERT_EQ(LastShadedDrawOf(s, nullptr)->m_clipping_planes.size(), 1u);
  Conduit().m_interfere.m_bEnabled = true;
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  Conduit().m_interfere.m_bEnabled = false;
  ASSERT_FALSE(s.Engine().Calls().empty());
  for (const CRhinoRecordedCall& call : s.Engine().Calls())
    EXPECT_TRUE(call.m_clipping_planes.empty());
}

TEST(CullingChannel, ObjectCutAwayEntirelyIsNotDrawn) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  CRhinoMeshObject* gone = s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1));
  CRhinoMeshObject* partly = s.AddBox(ON_3dPoint(6, 0, 0), ON_3dPoint(7, 1, 1));
  ASSERT_TRUE(s.Frame()); // builds the cutting meshes (and unbuilds caches)
  ASSERT_NE(AttachBuiltCache(*gone, {-1, -1}), nullptr);
  TV_SectionCache* partly_cut = AttachBuiltCache(*partly, {-1, 0});
  ASSERT_NE(partly_cut, nullptr);
  Probe probe;
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(ShadedDrawsOf(s, gone->Mesh()), 0);
  EXPECT_EQ(probe.culling_heard[gone], 0); // later conduits are spared it
  EXPECT_EQ(probe.drawing_heard[gone], 0);
  // The part left is drawn in the object's place.
  EXPECT_EQ(ShadedDrawsOf(s, partly->Mesh()), 0);
  EXPECT_EQ(ShadedDrawsOf(s, partly_cut->m_phantom.m_caches[1].m_meshes[0]), 1);
  EXPECT_EQ(probe.culling_heard[partly], 2); // surface and wire pass
}

TEST(CullingChannel, CuttingObjectsAndEmptyCachesAreNeverCulled) {
  Scene s;
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 2);
  CRhinoMeshObject* empty = s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1));
  ASSERT_TRUE(s.Frame());
  ASSERT_NE(AttachBuiltCache(*cutter, {-1}), nullptr);
  ASSERT_NE(AttachBuiltCache(*empty, {}), nullptr);
  s.Engine().Clear();
  ASSERT_TRUE(s.Frame());
  // A cutting object is drawn as its cutting mesh.
  EXPECT_EQ(ShadedDrawsOf(s, &GeometryOf(cutter)->m_mesh), 1);
  EXPECT_EQ(ShadedDrawsOf(s, empty->Mesh()), 1);
}

TEST(BoundingBoxChannel, MirroringMakesRoomForTheMirroredModel) {
  Scene s;
  s.AddBox(ON_3dPoint(5, 1, 2), ON_3dPoint(6, 3, 4));
  Conduit().EnableMirroring(true);
  Probe probe;
  ASSERT_TRUE(s.Frame());
  Conduit().EnableMirroring(false);
  ASSERT_TRUE(probe.box.IsValid());
  EXPECT_NEAR(probe.box.m_min.x, -6.0, 1e-9);
  EXPECT_NEAR(probe.box.m_max.x, 6.0, 1e-9); // the model itself stays in the frame
  EXPECT_NEAR(probe.box.m_min.y, 1.0, 1e-9);
  EXPECT_NEAR(probe.box.m_max.z, 4.0, 1e-9);
}

TEST(BoundingBoxChannel, ObliqueMirrorStillHoldsTheWholeImage) {
  Scene s;
  s.AddBox(ON_3dPoint(2, 0, 0), ON_3dPoint(4, 2, 2));
  Conduit().SetMirrorDirection(ON_3dVector(1, 1, 0));
  Conduit().EnableMirroring(true);
  Probe probe;
  ASSERT_TRUE(s.Frame());
  Conduit().EnableMirroring(false);
  const ON_Xform mirror = ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 1, 0));
  const ON_BoundingBox model(ON_3dPoint(2, 0, 0), ON_3dPoint(4, 2, 2));
  for (int i = 0; i < 8; ++i) {
    const ON_3dPoint p = mirror * model.Corner(i);
    EXPECT_TRUE(probe.box.IsPointIn(p)) << "corner " << i;
  }
}

TEST(BoundingBoxChannel, ClientCuttersThatCutGrowTheBox) {
  Scene s;
  s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  TestClipper cutting(1, 0), idle(0, 0), missing(2, 0);
  cutting.mesh = Box(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 1, 1));
  idle.mesh = Box(ON_3dPoint(-20, 0, 0), ON_3dPoint(0, 1, 1));
  missing.mesh_present = false;
  s.Register(idle);
  s.Register(missing);
  s.Register(cutting);
  Probe probe;
  ASSERT_TRUE(s.Frame());
  EXPECT_NEAR(probe.box.m_max.x, 10.0, 1e-9);
  EXPECT_NEAR(probe.box.m_min.x, 0.0, 1e-9);
}

TEST(DisplayAttributesChannel, CuttingObjectsAreGhostedAndOthersShowTheirInside) {
  Scene s;
  ShadedCullingBackFaces(s);
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 1);
  CRhinoMeshObject* other = s.AddBox(ON_3dPoint(0.5, 0, 0), ON_3dPoint(2, 1, 1));
  Probe probe;
  ASSERT_TRUE(s.Frame());
  const CDisplayPipelineAttributes* ghosted = CRhinoDisplayAttrsMgr::StdGhostedAttrs();
  ASSERT_TRUE(probe.attrs.count(cutter));
  EXPECT_TRUE(SameMaterial(probe.attrs[cutter].m_material, ghosted->m_material));
  EXPECT_EQ(probe.attrs[cutter].m_mesh_edges.m_edge_pattern, 0xFFFFFFFFu); // shaded: solid
  ASSERT_TRUE(probe.attrs.count(other));
  EXPECT_FALSE(probe.attrs[other].m_bCullBackfaces);
  EXPECT_FALSE(SameMaterial(probe.attrs[other].m_material, ghosted->m_material));
  // What the channel changed is what got drawn.
  const CRhinoRecordedCall* cutter_draw = LastShadedDrawOf(s, &GeometryOf(cutter)->m_mesh);
  ASSERT_NE(cutter_draw, nullptr);
  EXPECT_TRUE(SameMaterial(cutter_draw->m_material, ghosted->m_material));
  const TV_SectionCache* other_cut = CacheOf(other);
  ASSERT_NE(other_cut, nullptr);
  ASSERT_EQ(other_cut->m_phantom.m_caches.Count(), 1);
  ASSERT_EQ(other_cut->m_phantom.m_caches[0].m_meshes.Count(), 1);
  const CRhinoRecordedCall* other_draw =
      LastShadedDrawOf(s, other_cut->m_phantom.m_caches[0].m_meshes[0]);
  ASSERT_NE(other_draw, nullptr);
  EXPECT_EQ(other_draw->m_cull, 0);
}

TEST(DisplayAttributesChannel, NothingChangesWhileNothingCuts) {
  Scene s;
  ShadedCullingBackFaces(s);
  CRhinoMeshObject* idle = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 0);
  CRhinoMeshObject* other = s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1));
  Conduit().EnableMirroring(true); // keeps the conduit on without cutting
  Probe probe;
  ASSERT_TRUE(s.Frame());
  Conduit().EnableMirroring(false);
  ASSERT_TRUE(probe.attrs.count(idle));
  EXPECT_FALSE(SameMaterial(probe.attrs[idle].m_material,
                            CRhinoDisplayAttrsMgr::StdGhostedAttrs()->m_material));
  EXPECT_TRUE(probe.attrs[other].m_bCullBackfaces);
}

TEST(WireframeViews, EveryChannelButDisplayAttributesIsLeftAlone) {
  Scene s;
  s.Wireframe();
  CRhinoMeshObject* cutter = s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 1);
  CRhinoMeshObject* gone = s.AddBox(ON_3dPoint(3, 0, 0), ON_3dPoint(4, 1, 1));
  Conduit().EnableMirroring(true);
  ASSERT_TRUE(s.Frame());
  ASSERT_EQ(Conduit().m_intersection_meshes.Count(), 1);
  ASSERT_NE(AttachBuiltCache(*gone, {-1}), nullptr);
  Probe probe;
  ASSERT_TRUE(s.Frame());
  Conduit().EnableMirroring(false);
  // 0x8: the box is the model's own.
  EXPECT_NEAR(probe.box.m_min.x, 0.0, 1e-9);
  // 0x4 and 0x100: the cut-away object is still drawn.
  EXPECT_EQ(probe.culling_heard[gone], 1);
  EXPECT_EQ(probe.drawing_heard[gone], 1);
  // 0x2: no clipping plane reached the engine.
  for (const CRhinoRecordedCall* call : s.Engine().CallsOfKind(CRhinoRecordedCall::clipping_planes))
    EXPECT_TRUE(call->m_clipping_planes.empty());
  // 0x4000: the cutting object is ghosted and dashed all the same.
  ASSERT_TRUE(probe.attrs.count(cutter));
  const CDisplayPipelineAttributes& a = probe.attrs[cutter];
  EXPECT_TRUE(SameMaterial(a.m_material, CRhinoDisplayAttrsMgr::StdGhostedAttrs()->m_material));
  EXPECT_EQ(a.m_surface_edges.m_edge_pattern, 0x0C3Fu);
  EXPECT_EQ(a.m_mesh_edges.m_edge_pattern, 0x0C3Fu);
  EXPECT_EQ(a.m_curve_pattern, 0x0C3Fu);
  EXPECT_EQ(a.m_mesh_wire_pattern, 0x0C3Fu);
  EXPECT_EQ(a.m_isocurve_pattern, 0x0C3Fu);
  EXPECT_EQ(a.m_clipping_plane_pattern, 0x0C3Fu);
  // Other objects keep their culling setting in Wireframe.
  EXPECT_EQ(probe.attrs[gone].m_bCullBackfaces,
            CRhinoDisplayAttrsMgr::StdWireframeAttrs()->m_bCullBackfaces);
}

TEST(NotificationCounter, CountsOnlyFramesOfTheModelAtRest) {
  Scene s;
  s.AddCutter(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), 1);
  ASSERT_TRUE(s.Frame());
  ON__UINT32 count = Conduit().m_notify_count;
  EXPECT_EQ(count, 1u);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_notify_count, ++count);

  CRhinoDisplayPipeline& pipeline = *s.view.DisplayPipeline();
  pipeline.SetInteractiveViewChange(true);
  ASSERT_TRUE(s.Frame());
  pipeline.SetInteractiveViewChange(false);
  EXPECT_EQ(Conduit().m_notify_count, count);

  pipeline.SetFeedbackMode(true);
  ASSERT_TRUE(s.Frame());
  pipeline.SetFeedbackMode(false);
  EXPECT_EQ(Conduit().m_notify_count, count);

  s.Wireframe();
  ASSERT_TRUE(s.Frame());
  s.Shaded();
  EXPECT_EQ(Conduit().m_notify_count, count);

  Conduit().m_interfere.m_bEnabled = true;
  ASSERT_TRUE(s.Frame());
  Conduit().m_interfere.m_bEnabled = false;
  EXPECT_EQ(Conduit().m_notify_count, count);

  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_notify_count, count + 1);
}
