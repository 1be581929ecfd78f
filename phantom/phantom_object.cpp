#include "phantom_object.h"

#include "phantom/edge_drawing.h"
#include "section/mesh_types.h"

namespace {

bool IsVisibleEntry(const DS_MeshCache& entry) {
  return entry.m_clip_state >= 0;
}

} // namespace

CKyrelPhantomObject::CKyrelPhantomObject() {
  SetBorrowedMesh(&m_empty_mesh);
}

CKyrelPhantomObject::CKyrelPhantomObject(const CKyrelPhantomObject& src)
    : CRhinoMeshObject(), m_bBuilt(false), m_source(src.m_source) {
  SetBorrowedMesh(&m_empty_mesh);
}

CKyrelPhantomObject::~CKyrelPhantomObject() {
  // The base must never free the mesh it was lent.
  ReleaseBorrowedMesh();
}

unsigned int CKyrelPhantomObject::SizeOf() const {
  unsigned int size = CRhinoObject::SizeOf();
  for (int i = 0; i < m_caches.Count(); ++i)
    size += m_caches[i].SizeOf();
  return size;
}

ON::object_type CKyrelPhantomObject::ObjectType() const {
  return ON::mesh_object;
}

ON_BoundingBox CKyrelPhantomObject::BoundingBox() const {
  return m_source ? m_source->BoundingBox() : ON_BoundingBox();
}

const ON_3dmObjectAttributes& CKyrelPhantomObject::Attributes() const {
  return m_source ? m_source->Attributes() : CRhinoMeshObject::Attributes();
}

bool CKyrelPhantomObject::IsSolid() const {
  return m_source ? m_source->IsSolid() : false;
}

int CKyrelPhantomObject::MeshCount(ON::mesh_type, const ON_MeshParameters*) const {
  int count = 0;
  for (int i = 0; i < m_caches.Count(); ++i)
    count += m_caches[i].m_meshes.Count();
  return count;
}

int CKyrelPhantomObject::CreateMeshes(ON::mesh_type, const ON_MeshParameters&, bool) {
  return 0;
}

void CKyrelPhantomObject::DestroyMeshes(ON::mesh_type, bool bDeleteMeshes) {
  m_bBuilt = false;
  for (int i = 0; i < m_caches.Count(); ++i)
    m_caches[i].DestroyMeshes(bDeleteMeshes);
  m_caches.Empty();
}

int CKyrelPhantomObject::GetMeshes(ON::mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const {
  int appended = 0;
  for (int i = 0; i < m_caches.Count(); ++i) {
    const DS_MeshCache& entry = m_caches[i];
    if (!IsVisibleEntry(entry)) continue;
    for (int m = 0; m < entry.m_meshes.Count(); ++m) {
      meshes.Append(entry.m_meshes[m]);
      ++appended;
    }
  }
  return appended;
}

const DS_MeshCache* CKyrelPhantomObject::VisibleEntryOf(int mesh_index) const {
  if (mesh_index < 0) return nullptr;
  for (int i = 0; i < m_caches.Count(); ++i) {
    const DS_MeshCache& entry = m_caches[i];
    if (!IsVisibleEntry(entry)) continue;
    if (mesh_index < entry.m_meshes.Count()) return &entry;
    mesh_index -= entry.m_meshes.Count();
  }
  return nullptr;
}

const CDisplayPipelineAttributes&
CKyrelPhantomObject::MeshDisplayAttributes(int mesh_index, const ON_Mesh& mesh,
                                           const CDisplayPipelineAttributes& attrs) const {
  (void)mesh;
  if (m_source == nullptr) return attrs;
  const DS_MeshCache* entry = VisibleEntryOf(mesh_index);
  if (entry == nullptr || entry->m_object == nullptr) return attrs;
  ON_SimpleArray<const ON_Mesh*> source_meshes;
  entry->m_object->GetMeshes(ObjectMeshType(*m_source), source_meshes);
  if (entry->m_mesh_index < 0 || entry->m_mesh_index >= source_meshes.Count() ||
      source_meshes[entry->m_mesh_index] == nullptr)
    return attrs;
  return m_source->MeshDisplayAttributes(entry->m_mesh_index, *source_meshes[entry->m_mesh_index],
                                         attrs);
}

void CKyrelPhantomObject::Draw(CRhinoDisplayPipeline& pipeline) const {
  if (m_source == nullptr) return;
  const bool bMeshSource = m_source->ObjectType() == ON::mesh_object;
  const CDisplayPipelineAttributes& attrs = *pipeline.DisplayAttrs();
  // Without edges a surface-like source shows no naked edges either.
  const bool show = bMeshSource
                        ? (attrs.m_mesh_edges.m_bShowEdges || attrs.m_mesh_edges.m_bShowMeshWires)
                        : attrs.m_surface_edges.m_bShowEdges;
  if (!show) return;
  for (int i = 0; i < m_caches.Count(); ++i) {
    const DS_MeshCache& entry = m_caches[i];
    if (!IsVisibleEntry(entry)) continue;
    // Outlines kept with the entry are used only while they match its
    // meshes one for one.
    const bool bKept = entry.m_outlines.size() == static_cast<size_t>(entry.m_meshes.Count());
    for (int m = 0; m < entry.m_meshes.Count(); ++m)
      DrawMeshEdges(pipeline, entry.m_meshes[m], bMeshSource,
                    bKept ? &entry.m_outlines[static_cast<size_t>(m)] : nullptr);
  }
}

void CKyrelPhantomObject::DrawMeshEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                                        bool bMeshSource, const DS_MeshOutline* outline) const {
  const CDisplayPipelineAttributes& attrs = *pipeline.DisplayAttrs();
  EdgeColouring colouring;
  colouring.m_bDrawMeshWires = bMeshSource && attrs.m_mesh_edges.m_bShowMeshWires;
  colouring.m_wire_color = attrs.m_display_color;
  colouring.m_blend_color = attrs.m_display_color;
  colouring.m_bUseColorUsage = true;
  DrawMeshEdgeLines(pipeline, mesh, attrs, bMeshSource, colouring, outline);
}
