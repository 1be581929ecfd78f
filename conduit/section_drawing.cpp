// Cutting objects drawn as their own cutting mesh: shaded with back faces
// culled in the surface pass, their edges dashed in the wire pass, and
// both once more through the mirror while mirroring is on.

#include "conduit/kyrel_conduit.h"
#include "phantom/edge_drawing.h"
#include "userdata/section_geometry.h"

namespace {

// The dash-and-dot stipple of cutting objects' edges.
constexpr unsigned int kCuttingEdgePattern = 0x0C3F;
constexpr int kCullBackFaces = 1;

} // namespace

bool CKyrelConduit::DrawSectionGeometry(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
                                        const CDisplayPipelineAttributes* attrs,
                                        const TV_SectionGeometry* geometry) {
  if (geometry == nullptr || !geometry->m_bValid) return false;
  const ON_Mesh& mesh = geometry->m_mesh;
  // A plane without a normal mirrors to the identity: its copy would only
  // be drawn over the cutting object itself.
  const bool mirrored = m_bMirroring && !m_mirror_xform.IsIdentity();

  if (pipeline.DrawingSurfaces()) {
    pipeline.PushCullFaceMode(kCullBackFaces);
    pipeline.DrawShadedMesh(mesh, attrs);
    if (mirrored) {
      const ON_Xform saved = pipeline.ModelTransform();
      pipeline.SetModelTransform(m_mirror_xform * saved);
      pipeline.DrawShadedMesh(mesh, attrs);
      pipeline.SetModelTransform(saved);
    }
    pipeline.PopCullFaceMode();
  }
  if (!pipeline.DrawingWires()) return true;

  // The conduit's own attributes are the object's record while its
  // channels run, so the dashed pattern reaches the edges drawn below.
  CDisplayPipelineAttributes* own = m_pDisplayAttrs;
  unsigned int saved_surface_pattern = 0, saved_mesh_pattern = 0;
  if (own != nullptr) {
    saved_surface_pattern = own->m_surface_edges.m_edge_pattern;
    saved_mesh_pattern = own->m_mesh_edges.m_edge_pattern;
    own->m_surface_edges.m_edge_pattern = kCuttingEdgePattern;
    own->m_mesh_edges.m_edge_pattern = kCuttingEdgePattern;
  }
  const bool bMeshObject = object.ObjectType() == ON::mesh_object;
  DrawObjectEdges(pipeline, &mesh, attrs, bMeshObject);
  if (mirrored) {
    const ON_Xform saved = pipeline.ModelTransform();
    pipeline.SetModelTransform(m_mirror_xform * saved);
    DrawObjectEdges(pipeline, &mesh, attrs, bMeshObject);
    pipeline.SetModelTransform(saved);
  }
  if (own != nullptr) {
    own->m_mesh_edges.m_edge_pattern = saved_mesh_pattern;
    own->m_surface_edges.m_edge_pattern = saved_surface_pattern;
  }
  return true;
}

void CKyrelConduit::DrawObjectEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                                    const CDisplayPipelineAttributes* attrs, bool bMeshObject) {
  if (mesh == nullptr || attrs == nullptr) return;
  EdgeColouring colouring;
  colouring.m_bDrawMeshWires = bMeshObject;
  colouring.m_wire_color = attrs->m_display_color;
  colouring.m_blend_color =
      m_pDisplayAttrs ? m_pDisplayAttrs->m_display_color : attrs->m_display_color;
  DrawMeshEdgeLines(pipeline, mesh, *attrs, bMeshObject, colouring);
}
