#include "rhino_display_attributes.h"

namespace {

// Ids of the standard modes (functions, so they are usable during static
// initialisation of other libraries), fixed so that saved settings and conduits can
// recognise them across runs.
ON_UUID kWireframeId() {
  return ON_UuidFromString("6A7B1F3E-2C44-4E0B-9D2A-1B0C7E5F9A01");
}
ON_UUID kShadedId() {
  return ON_UuidFromString("6A7B1F3E-2C44-4E0B-9D2A-1B0C7E5F9A02");
}
ON_UUID kRenderedId() {
  return ON_UuidFromString("6A7B1F3E-2C44-4E0B-9D2A-1B0C7E5F9A03");
}
ON_UUID kGhostedId() {
  return ON_UuidFromString("6A7B1F3E-2C44-4E0B-9D2A-1B0C7E5F9A04");
}

CDisplayPipelineAttributes MakeWireframe() {
  CDisplayPipelineAttributes a;
  a.SetId(kWireframeId());
  a.SetEnglishName(L"Wireframe");
  a.m_display_mode = CDisplayPipelineAttributes::wireframe_display;
  a.m_bShadeSurface = false;
  a.m_mesh_edges.m_bShowMeshWires = true;
  a.m_background_color = ON_Color(160, 160, 160);
  return a;
}

CDisplayPipelineAttributes MakeShaded() {
  CDisplayPipelineAttributes a;
  a.SetId(kShadedId());
  a.SetEnglishName(L"Shaded");
  a.m_display_mode = CDisplayPipelineAttributes::shaded_display;
  a.m_bShadeSurface = true;
  a.m_mesh_edges.m_bShowMeshWires = false;
  return a;
}

CDisplayPipelineAttributes MakeRendered() {
  CDisplayPipelineAttributes a;
  a.SetId(kRenderedId());
  a.SetEnglishName(L"Rendered");
  a.m_display_mode = CDisplayPipelineAttributes::rendered_display;
  a.m_bShadeSurface = true;
  a.m_bUseObjectMaterial = true;
  // Rendered views look at closed solids from outside, so back faces are
  // culled unless a conduit switches it off for an object it opened up.
  a.m_bCullBackfaces = true;
  a.m_surface_edges.m_bShowEdges = false;
  a.m_surface_edges.m_bShowNakedEdges = false;
  a.m_mesh_edges.m_bShowEdges = false;
  a.m_mesh_edges.m_bShowNakedEdges = false;
  a.m_background_color = ON_Color(255, 255, 255);
  return a;
}

CDisplayPipelineAttributes MakeGhosted() {
  CDisplayPipelineAttributes a;
  a.SetId(kGhostedId());
  a.SetEnglishName(L"Ghosted");
  a.m_display_mode = CDisplayPipelineAttributes::ghosted_display;
  a.m_bShadeSurface = true;
  a.m_surface_transparency = 0.6;
  a.m_material.m_diffuse = ON_Color(190, 200, 215);
  a.m_material.m_transparency = 0.6;
  a.m_material.m_shine = 0.1;
  a.m_mesh_edges.m_bShowMeshWires = false;
  return a;
}

} // namespace

CDisplayPipelineAttributes::CDisplayPipelineAttributes() = default;

const CDisplayPipelineAttributes* CRhinoDisplayAttrsMgr::StdWireframeAttrs() {
  static const CDisplayPipelineAttributes attrs = MakeWireframe();
  return &attrs;
}

const CDisplayPipelineAttributes* CRhinoDisplayAttrsMgr::StdShadedAttrs() {
  static const CDisplayPipelineAttributes attrs = MakeShaded();
  return &attrs;
}

const CDisplayPipelineAttributes* CRhinoDisplayAttrsMgr::StdRenderedAttrs() {
  static const CDisplayPipelineAttributes attrs = MakeRendered();
  return &attrs;
}

const CDisplayPipelineAttributes* CRhinoDisplayAttrsMgr::StdGhostedAttrs() {
  static const CDisplayPipelineAttributes attrs = MakeGhosted();
  return &attrs;
}

const CDisplayPipelineAttributes* CRhinoDisplayAttrsMgr::FindDisplayAttrs(const ON_UUID& id) {
  for (const CDisplayPipelineAttributes* a :
       {StdWireframeAttrs(), StdShadedAttrs(), StdRenderedAttrs(), StdGhostedAttrs()}) {
    if (a->Id() == id) return a;
  }
  return nullptr;
}

const CDisplayPipelineAttributes* CRhinoDisplayAttrsMgr::StdAttrsForMode(int display_mode) {
  switch (display_mode) {
  case CDisplayPipelineAttributes::shaded_display:
    return StdShadedAttrs();
  case CDisplayPipelineAttributes::rendered_display:
    return StdRenderedAttrs();
  case CDisplayPipelineAttributes::ghosted_display:
    return StdGhostedAttrs();
  default:
    return StdWireframeAttrs();
  }
}
