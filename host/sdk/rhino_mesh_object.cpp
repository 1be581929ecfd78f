#include "rhino_mesh_object.h"

#include "rhino_display_attributes.h"
#include "rhino_display_pipeline.h"
#include "rhino_mesh_edges.h"

CRhinoMeshObject::CRhinoMeshObject() = default;

CRhinoMeshObject::CRhinoMeshObject(const ON_3dmObjectAttributes& attributes)
    : CRhinoObject(attributes) {}

CRhinoMeshObject::CRhinoMeshObject(const CRhinoMeshObject& src) : CRhinoObject(src) {
  if (src.m_mesh != nullptr) {
    m_mesh = new ON_Mesh(*src.m_mesh);
    m_bOwnsMesh = true;
  }
}

CRhinoMeshObject::~CRhinoMeshObject() {
  if (m_bOwnsMesh) delete m_mesh;
  m_mesh = nullptr;
}

ON::object_type CRhinoMeshObject::ObjectType() const {
  return ON::mesh_object;
}

unsigned int CRhinoMeshObject::SizeOf() const {
  unsigned int sz =
      CRhinoObject::SizeOf() + static_cast<unsigned int>(sizeof(*this) - sizeof(CRhinoObject));
  if (m_mesh != nullptr && m_bOwnsMesh) sz += m_mesh->SizeOf();
  return sz;
}

CRhinoObject* CRhinoMeshObject::DuplicateRhinoObject() const {
  return new CRhinoMeshObject(*this);
}

bool CRhinoMeshObject::TransformGeometry(const ON_Xform& xform) {
  if (m_mesh == nullptr || !m_bOwnsMesh) return false;
  return m_mesh->Transform(xform);
}

void CRhinoMeshObject::SetMesh(ON_Mesh* mesh) {
  if (mesh == m_mesh) {
    m_bOwnsMesh = (mesh != nullptr);
    return;
  }
  if (m_bOwnsMesh) delete m_mesh;
  m_mesh = mesh;
  m_bOwnsMesh = (mesh != nullptr);
}

void CRhinoMeshObject::SetMesh(const ON_Mesh& mesh) {
  SetMesh(new ON_Mesh(mesh));
}

void CRhinoMeshObject::SetBorrowedMesh(ON_Mesh* mesh) {
  if (m_bOwnsMesh && m_mesh != mesh) delete m_mesh;
  m_mesh = mesh;
  m_bOwnsMesh = false;
}

void CRhinoMeshObject::ReleaseBorrowedMesh() {
  if (!m_bOwnsMesh) m_mesh = nullptr;
}

void CRhinoMeshObject::Draw(CRhinoDisplayPipeline& pipeline) const {
  if (m_mesh == nullptr || m_mesh->FaceCount() == 0) return;
  const CDisplayPipelineAttributes* attrs = pipeline.DisplayAttrs();
  const CDisplayEdgeSettings& set = attrs->m_mesh_edges;
  if (set.m_bShowMeshWires) pipeline.DrawMeshWires(*m_mesh, attrs->m_display_color, 0);
  if (set.m_bShowNakedEdges && set.m_naked_edge_thickness >= 1) {
    const ON_Color c =
        rhino_sdk_internal::ReduceColor(set.m_naked_edge_color, set.m_naked_edge_color_reduction);
    rhino_sdk_internal::DrawNakedEdges(pipeline, *m_mesh, c, set.m_naked_edge_thickness,
                                       attrs->m_naked_edge_pattern);
  }
}

ON_BoundingBox CRhinoMeshObject::BoundingBox() const {
  return m_mesh ? m_mesh->BoundingBox() : ON_BoundingBox();
}

bool CRhinoMeshObject::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                           const ON_Xform* xform) const {
  if (m_mesh == nullptr || m_mesh->VertexCount() == 0) return bGrowBox && box.IsValid();
  ON_BoundingBox b;
  if (xform == nullptr) {
    b = m_mesh->BoundingBox();
  } else {
    // Transform the vertices, not the box: a rotated box is not tight.
    for (int i = 0; i < m_mesh->VertexCount(); ++i)
      b.Set((*xform) * m_mesh->Vertex(i), true);
  }
  if (bGrowBox && box.IsValid())
    box.Union(b);
  else
    box = b;
  return box.IsValid();
}

bool CRhinoMeshObject::IsSolid() const {
  return m_mesh != nullptr && m_mesh->IsClosed();
}

bool CRhinoMeshObject::IsMeshable(ON::mesh_type) const {
  return m_mesh != nullptr;
}

int CRhinoMeshObject::MeshCount(ON::mesh_type, const ON_MeshParameters*) const {
  return m_mesh != nullptr ? 1 : 0;
}

int CRhinoMeshObject::CreateMeshes(ON::mesh_type, const ON_MeshParameters&, bool) {
  return m_mesh != nullptr ? 1 : 0;
}

void CRhinoMeshObject::DestroyMeshes(ON::mesh_type, bool) {}

int CRhinoMeshObject::GetMeshes(ON::mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const {
  if (m_mesh == nullptr) return 0;
  meshes.Append(m_mesh);
  return 1;
}
