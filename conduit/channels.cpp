// The conduit's answer to each drawing channel of a frame. Every path
// returns true: the host is never told that a channel failed.
//
// Plain Wireframe views are "unsupported": nothing is cut or mirrored
// there, and only the per-object display attributes channel still runs,
// so cutting objects show ghosted and dashed in every view.

#include "conduit/kyrel_conduit.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

namespace CuttingMode = Tarvik::Vantrel::CuttingMode;

// A dash-and-dot stipple for the outlines of cutting objects in Wireframe.
constexpr unsigned int kCutterPattern = 0x0C3F;

} // namespace

bool CKyrelConduit::ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel,
                                bool& bTerminateChannel) {
  if (!IsBound() || m_pChannelAttrs == nullptr) return true;
  const bool bSupported = IsSupportedPipeline(pipeline);
  switch (channel) {
  case channel_clipping_planes:
    if (bSupported && IsCuttingActive()) ClippingPlanesChannel();
    break;
  case channel_object_culling:
    if (bSupported && m_pChannelAttrs->m_bDrawObject && !IsInterfereEnabled())
      CullingChannel(pipeline, bTerminateChannel);
    break;
  case channel_bounding_box:
    if (bSupported) BoundingBoxChannel();
    break;
  case channel_draw_object:
    if (bSupported && m_pChannelAttrs->m_bDrawObject) DrawObjectChannel(pipeline);
    break;
  case channel_post_objects:
    if (bSupported && IsInterfereEnabled()) DrawInterferences(pipeline);
    break;
  case channel_object_display_attrs:
    if (m_pChannelAttrs->m_bDrawObject && IsCuttingActive())
      ObjectDisplayAttributesChannel(bSupported);
    break;
  default:
    break; // 0x80 is asked for but has nothing to do
  }
  return true;
}

void CKyrelConduit::ClippingPlanesChannel() {
  if (m_pVP != nullptr && !m_pPipeline->InOverlayMode()) {
    // A plane at the far distance, facing the camera, given in camera
    // coordinates and moved into the world.
    const ON_Viewport& vp = m_pVP->VP();
    ON_3dVector z = vp.CameraZ();
    z.Unitize();
    ON_ClippingPlaneInfo plane;
    plane.m_plane_equation = ON_PlaneEquation(z.x, z.y, z.z, vp.FrustumFar());
    plane.m_plane_id = ON_nil_uuid;
    plane.m_bEnabled = true;
    ON_Xform camera_to_world;
    if (vp.GetXform(ON::camera_cs, ON::world_cs, camera_to_world))
      plane.m_plane_equation.Transform(camera_to_world);
    m_pChannelAttrs->m_clipping_planes.Append(plane);
  }
  // Render meshes made with jagged seams would show the seams as gaps in
  // the capped cuts, so they are made without while cutting is active.
  if (m_pDoc != nullptr) {
    const ON_MeshParameters& settings = m_pDoc->Properties().RenderMeshSettings();
    if (settings.m_bJaggedSeams) {
      ON_MeshParameters smooth(settings);
      smooth.m_bJaggedSeams = false;
      m_pDoc->Properties().SetRenderMeshSettings(smooth);
    }
  }
}

void CKyrelConduit::CullingChannel(CRhinoDisplayPipeline& pipeline, bool& bTerminateChannel) {
  const CRhinoObject* object = m_pChannelAttrs->m_pObject;
  if (object == nullptr || IsCuttingObject(object)) return;
  const TV_SectionCache* cache = ObjectCache(pipeline, *object);
  if (cache == nullptr || cache->m_phantom.m_caches.Count() == 0) return;
  for (int i = 0; i < cache->m_phantom.m_caches.Count(); ++i)
    if (cache->m_phantom.m_caches[i].m_clip_state >= 0) return;
  // Cut away entirely: neither the host nor later conduits draw it.
  m_pChannelAttrs->m_bDrawObject = false;
  bTerminateChannel = true;
}

void CKyrelConduit::BoundingBoxChannel() {
  ON_BoundingBox& box = m_pChannelAttrs->m_bounding_box;
  if (m_bMirroring && m_pDoc != nullptr) {
    // The frame has to hold the model and its mirror image. All eight
    // corners are mirrored, so an oblique plane still gives a box that
    // holds the whole image.
    ON_BoundingBox mirrored = m_pDoc->BoundingBox();
    if (mirrored.Transform(m_mirror_xform)) box.Union(mirrored);
  }
  for (int i = 0; i < m_clipping_objects.Count(); ++i) {
    Tarvik::Vantrel::IClippingObject* clipper = m_clipping_objects[i];
    const int mode = clipper->ClippingMode();
    if (mode != CuttingMode::Intersection && mode != CuttingMode::Difference) continue;
    const ON_Mesh* mesh = clipper->Mesh();
    if (mesh != nullptr) mesh->GetBBox(box, true);
  }
}

void CKyrelConduit::DrawObjectChannel(CRhinoDisplayPipeline& pipeline) {
  const CRhinoObject* object = m_pChannelAttrs->m_pObject;
  if (object == nullptr) return;
  if (!DrawObject(pipeline, *object)) return;
  if (pipeline.DrawingSurfaces() || pipeline.DrawingWires()) {
    if (m_pChannelAttrs->m_pObject == object)
      m_pChannelAttrs->m_bDrawObject = false; // drawn here
    else
      m_pChannelAttrs->m_bObjectSubstituted = true; // the host draws the substitute
  }
}

void CKyrelConduit::ObjectDisplayAttributesChannel(bool bSupported) {
  CDisplayPipelineAttributes* attrs = m_pDisplayAttrs;
  if (attrs == nullptr) return;
  if (IsCuttingObject(m_pChannelAttrs->m_pObject)) {
    const CDisplayPipelineAttributes* ghosted = CRhinoDisplayAttrsMgr::StdGhostedAttrs();
    if (ghosted != nullptr) attrs->m_material = ghosted->m_material;
    if (!bSupported) {
      attrs->m_surface_edges.m_edge_pattern = kCutterPattern;
      attrs->m_mesh_edges.m_edge_pattern = kCutterPattern;
      attrs->m_curve_pattern = kCutterPattern;
      attrs->m_mesh_wire_pattern = kCutterPattern;
      attrs->m_isocurve_pattern = kCutterPattern;
      attrs->m_clipping_plane_pattern = kCutterPattern;
    }
  } else if (bSupported) {
    // Cut objects are open where they were cut; their inside must show.
    attrs->m_bCullBackfaces = false;
  }
}
