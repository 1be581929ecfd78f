#include "rhino_brep_object.h"

#include <memory>

#include "rhino_display_attributes.h"
#include "rhino_display_pipeline.h"
#include "rhino_doc.h"
#include "rhino_mesh_edges.h"

CRhinoBrepObject::CRhinoBrepObject() = default;

CRhinoBrepObject::CRhinoBrepObject(const ON_3dmObjectAttributes& attributes)
    : CRhinoObject(attributes) {}

CRhinoBrepObject::CRhinoBrepObject(const CRhinoBrepObject& src) : CRhinoObject(src) {
  if (src.m_brep != nullptr) m_brep = new ON_Brep(*src.m_brep);
  for (int s = 0; s < 3; ++s) {
    m_mesh_sets[s].parameters = src.m_mesh_sets[s].parameters;
    for (const ON_Mesh* m : src.m_mesh_sets[s].meshes)
      m_mesh_sets[s].meshes.Append(m ? new ON_Mesh(*m) : nullptr);
  }
}

CRhinoBrepObject::~CRhinoBrepObject() {
  for (int s = 0; s < 3; ++s)
    ClearSlot(s, true);
  delete m_brep;
}

ON::object_type CRhinoBrepObject::ObjectType() const {
  return ON::brep_object;
}

unsigned int CRhinoBrepObject::SizeOf() const {
  unsigned int sz =
      CRhinoObject::SizeOf() + static_cast<unsigned int>(sizeof(*this) - sizeof(CRhinoObject));
  if (m_brep != nullptr) sz += m_brep->SizeOf();
  for (const MeshSet& set : m_mesh_sets)
    for (const ON_Mesh* m : set.meshes)
      if (m != nullptr) sz += m->SizeOf();
  return sz;
}

CRhinoObject* CRhinoBrepObject::DuplicateRhinoObject() const {
  return new CRhinoBrepObject(*this);
}

bool CRhinoBrepObject::TransformGeometry(const ON_Xform& xform) {
  if (m_brep == nullptr) return false;
  if (!m_brep->Transform(xform)) return false;
  for (int s = 0; s < 3; ++s)
    ClearSlot(s, true);
  m_edges_valid = false;
  return true;
}

const ON_Geometry* CRhinoBrepObject::Geometry() const {
  return m_brep;
}

void CRhinoBrepObject::SetBrep(ON_Brep* brep) {
  if (brep == m_brep) return;
  for (int s = 0; s < 3; ++s)
    ClearSlot(s, true);
  delete m_brep;
  m_brep = brep;
  m_edges_valid = false;
}

void CRhinoBrepObject::SetBrep(const ON_Brep& brep) {
  SetBrep(new ON_Brep(brep));
}

int CRhinoBrepObject::SlotOf(ON::mesh_type mesh_type) {
  switch (mesh_type) {
  case ON::render_mesh:
    return 0;
  case ON::analysis_mesh:
    return 1;
  case ON::preview_mesh:
    return 2;
  default:
    return -1;
  }
}

void CRhinoBrepObject::ClearSlot(int slot, bool bDeleteMeshes) {
  if (slot < 0 || slot > 2) return;
  if (bDeleteMeshes)
    for (ON_Mesh* m : m_mesh_sets[slot].meshes)
      delete m;
  m_mesh_sets[slot].meshes.Empty();
  if (slot == 0) m_edges_valid = false;
}

void CRhinoBrepObject::Draw(CRhinoDisplayPipeline& pipeline) const {
  if (m_brep == nullptr) return;
  const CDisplayPipelineAttributes* attrs = pipeline.DisplayAttrs();
  const CDisplayEdgeSettings& set = attrs->m_surface_edges;
  const bool bEdges = set.m_bShowEdges && set.m_edge_thickness >= 1;
  const bool bNaked = set.m_bShowNakedEdges && set.m_naked_edge_thickness >= 1;
  if (!bEdges && !bNaked) return;
  if (!m_edges_valid) {
    ON_SimpleArray<const ON_Mesh*> meshes;
    for (const ON_Mesh* m : m_mesh_sets[0].meshes)
      meshes.Append(m);
    if (meshes.Count() == 0) {
      // Without render meshes, draw the outlines of the faces' own meshes.
      for (const ON_BrepFace& f : m_brep->m_F)
        if (f.CachedMesh() != nullptr) meshes.Append(f.CachedMesh());
    }
    rhino_sdk_internal::ComputeMeshSetEdges(meshes, m_edges);
    m_edges_valid = meshes.Count() > 0;
  }
  using rhino_sdk_internal::ReduceColor;
  const auto pick = [&](int usage, ON_Color own) {
    return usage != CDisplayPipelineAttributes::edge_color_from_display ? own
                                                                        : attrs->m_display_color;
  };
  if (bEdges) {
    const ON_Color c =
        ReduceColor(pick(set.m_edge_color_usage, set.m_edge_color), set.m_edge_color_reduction);
    for (const ON_Line& l : m_edges.seams)
      pipeline.DrawLine(l.from, l.to, c, set.m_edge_thickness, set.m_edge_pattern);
  }
  // The naked edges are the brep's outline: drawn with the naked settings
  // when those are on, otherwise as ordinary edges.
  if (bNaked) {
    const ON_Color c = ReduceColor(pick(set.m_naked_edge_color_usage, set.m_naked_edge_color),
                                   set.m_naked_edge_color_reduction);
    for (const ON_Line& l : m_edges.naked)
      pipeline.DrawLine(l.from, l.to, c, set.m_naked_edge_thickness, attrs->m_naked_edge_pattern);
  } else if (bEdges) {
    const ON_Color c =
        ReduceColor(pick(set.m_edge_color_usage, set.m_edge_color), set.m_edge_color_reduction);
    for (const ON_Line& l : m_edges.naked)
      pipeline.DrawLine(l.from, l.to, c, set.m_edge_thickness, set.m_edge_pattern);
  }
}

ON_BoundingBox CRhinoBrepObject::BoundingBox() const {
  return m_brep ? m_brep->BoundingBox() : ON_BoundingBox();
}

bool CRhinoBrepObject::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                           const ON_Xform* xform) const {
  if (m_brep == nullptr) return bGrowBox && box.IsValid();
  if (xform == nullptr) return CRhinoObject::GetTightBoundingBox(box, bGrowBox, nullptr);
  ON_Brep copy(*m_brep);
  copy.Transform(*xform);
  ON_BoundingBox b = copy.BoundingBox();
  if (bGrowBox && box.IsValid())
    box.Union(b);
  else
    box = b;
  return box.IsValid();
}

bool CRhinoBrepObject::IsSolid() const {
  return m_brep != nullptr && m_brep->IsSolid();
}

bool CRhinoBrepObject::IsMeshable(ON::mesh_type) const {
  return m_brep != nullptr && m_brep->FaceCount() > 0;
}

int CRhinoBrepObject::MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp) const {
  const int slot = SlotOf(mesh_type);
  if (slot < 0) {
    // default / any: the first type that has meshes
    for (int s = 0; s < 3; ++s)
      if (m_mesh_sets[s].meshes.Count() > 0) return m_mesh_sets[s].meshes.Count();
    return 0;
  }
  const MeshSet& set = m_mesh_sets[slot];
  if (set.meshes.Count() == 0) return 0;
  if (mp != nullptr && set.parameters.CompareGeometrySettings(*mp) != 0) return 0;
  return set.meshes.Count();
}

int CRhinoBrepObject::CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                                   bool bIgnoreCustom) {
  int slot = SlotOf(mesh_type);
  if (slot < 0) slot = 0; // default and any mean render meshes here
  if (m_brep == nullptr || m_brep->FaceCount() == 0) return 0;
  ON_MeshParameters use = mp;
  if (slot == 0 && !bIgnoreCustom && HasCustomRenderMeshParameters())
    use = GetRenderMeshParameters();
  ClearSlot(slot, true);
  for (const ON_BrepFace& face : m_brep->m_F) {
    const ON_Mesh* m = face.Mesh(use);
    if (m != nullptr && m->FaceCount() > 0) m_mesh_sets[slot].meshes.Append(new ON_Mesh(*m));
  }
  m_mesh_sets[slot].parameters = use;
  return m_mesh_sets[slot].meshes.Count();
}

void CRhinoBrepObject::DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes) {
  const int slot = SlotOf(mesh_type);
  if (slot >= 0) {
    ClearSlot(slot, bDeleteMeshes);
    return;
  }
  for (int s = 0; s < 3; ++s)
    ClearSlot(s, bDeleteMeshes);
}

int CRhinoBrepObject::GetMeshes(ON::mesh_type mesh_type,
                                ON_SimpleArray<const ON_Mesh*>& meshes) const {
  int slot = SlotOf(mesh_type);
  if (slot < 0) {
    slot = 0;
    for (int s = 0; s < 3; ++s)
      if (m_mesh_sets[s].meshes.Count() > 0) {
        slot = s;
        break;
      }
  }
  int n = 0;
  for (const ON_Mesh* m : m_mesh_sets[slot].meshes) {
    if (m == nullptr) continue;
    meshes.Append(m);
    ++n;
  }
  return n;
}
