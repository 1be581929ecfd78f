#include "rhino_object.h"

#include <atomic>

#include "rhino_display_attributes.h"
#include "rhino_doc.h"

int CRhinoObject::m_no_show_mark = 0;

namespace {

unsigned int NextRuntimeSerialNumber() {
  static std::atomic<unsigned int> next{1};
  unsigned int sn = next.fetch_add(1);
  if (sn == 0) sn = next.fetch_add(1); // 0 means "no object" to callers
  return sn;
}

} // namespace

CRhinoObject::CRhinoObject() : m_runtime_serial_number(NextRuntimeSerialNumber()) {}

CRhinoObject::CRhinoObject(const ON_3dmObjectAttributes& attributes)
    : m_attributes(attributes), m_runtime_serial_number(NextRuntimeSerialNumber()) {}

CRhinoObject::CRhinoObject(const CRhinoObject& src)
    : ON_Object(src), m_attributes(src.m_attributes),
      m_runtime_serial_number(NextRuntimeSerialNumber()),
      m_bCustomMeshParameters(src.m_bCustomMeshParameters),
      m_custom_mesh_parameters(src.m_custom_mesh_parameters),
      m_analysis_modes(src.m_analysis_modes) {}

CRhinoObject::~CRhinoObject() = default;

ON::object_type CRhinoObject::ObjectType() const {
  return ON::unknown_object_type;
}

ON_UUID CRhinoObject::ModelObjectId() const {
  return Attributes().m_uuid;
}

unsigned int CRhinoObject::SizeOf() const {
  return static_cast<unsigned int>(sizeof(*this)) + ON_Object::SizeOf() -
         static_cast<unsigned int>(sizeof(ON_Object)) + m_attributes.SizeOf();
}

CRhinoObject* CRhinoObject::DuplicateRhinoObject() const {
  return nullptr;
}

bool CRhinoObject::TransformGeometry(const ON_Xform&) {
  return false;
}

const ON_Geometry* CRhinoObject::Geometry() const {
  return nullptr;
}

const ON_3dmObjectAttributes& CRhinoObject::Attributes() const {
  return m_attributes;
}

bool CRhinoObject::SetAttributes(const ON_3dmObjectAttributes& attributes) {
  if (m_doc != nullptr) return m_doc->ModifyObjectAttributes(CRhinoObjRef(this), attributes);
  const ON_UUID id = m_attributes.m_uuid;
  m_attributes = attributes;
  if (ON_UuidIsNotNil(id)) m_attributes.m_uuid = id;
  return true;
}

ON_UserData* CRhinoObject::GetAttributeUserData(const ON_UUID& userdata_uuid) const {
  return m_attributes.GetUserData(userdata_uuid);
}

bool CRhinoObject::AttachAttributeUserData(ON_UserData* user_data) {
  if (user_data == nullptr || m_bDeleted) return false;
  if (m_doc == nullptr) return m_attributes.AttachUserData(user_data);
  ON_3dmObjectAttributes old_attributes(m_attributes);
  if (!m_attributes.AttachUserData(user_data)) return false;
  m_doc->AttributeUserDataAttached(*this, user_data, old_attributes);
  return true;
}

bool CRhinoObject::DeleteAttributeUserData(const ON_UUID& userdata_uuid) {
  ON_UserData* ud = m_attributes.GetUserData(userdata_uuid);
  if (ud == nullptr) return false;
  if (m_doc == nullptr || m_bDeleted) {
    m_attributes.DetachUserData(ud);
    delete ud;
    return true;
  }
  ON_3dmObjectAttributes old_attributes(m_attributes);
  m_attributes.DetachUserData(ud);
  m_doc->AttributeUserDataDetached(*this, ud, old_attributes); // takes ownership
  return true;
}

ON::object_mode CRhinoObject::Mode() const {
  const ON_3dmObjectAttributes& a = Attributes();
  ON::object_mode mode = a.Mode();
  if (m_doc != nullptr) {
    const ON_Layer& layer = m_doc->LayerTable()[a.m_layer_index];
    if (!layer.IsVisible()) return ON::hidden_object;
    if (layer.IsLocked() && mode == ON::normal_object) mode = ON::locked_object;
  }
  return mode;
}

bool CRhinoObject::IsVisible() const {
  return !m_bDeleted && !IsHiddenByMark() && Mode() != ON::hidden_object;
}

int CRhinoObject::Select(bool bSelect, bool, bool bPersistentSelect, bool,
                         bool bIgnoreModes) const {
  if (bSelect) {
    if (m_bDeleted || IsHiddenByMark()) return 0;
    const ON::object_mode mode = Mode();
    if (!bIgnoreModes && mode != ON::normal_object) return 0;
    const int was = m_selection;
    m_selection = bPersistentSelect ? 2 : 1;
    if (was == 0 && m_doc != nullptr) m_doc->ObjectSelectionChanged(*this);
    return m_selection;
  }
  const int was = m_selection;
  m_selection = 0;
  if (was != 0 && m_doc != nullptr) m_doc->ObjectSelectionChanged(*this);
  return 0;
}

ON_BoundingBox CRhinoObject::BoundingBox() const {
  ON_BoundingBox box;
  if (const ON_Geometry* g = Geometry()) g->GetBBox(box, false);
  return box;
}

bool CRhinoObject::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                       const ON_Xform* xform) const {
  ON_BoundingBox b = BoundingBox();
  if (!b.IsValid()) return bGrowBox && box.IsValid();
  if (xform != nullptr) b.Transform(*xform);
  if (bGrowBox && box.IsValid())
    box.Union(b);
  else
    box = b;
  return box.IsValid();
}

bool CRhinoObject::IsSolid() const {
  return false;
}

bool CRhinoObject::IsMeshable(ON::mesh_type) const {
  return false;
}

int CRhinoObject::MeshCount(ON::mesh_type, const ON_MeshParameters*) const {
  return 0;
}

int CRhinoObject::CreateMeshes(ON::mesh_type, const ON_MeshParameters&, bool) {
  return 0;
}

void CRhinoObject::DestroyMeshes(ON::mesh_type, bool) {}

int CRhinoObject::GetMeshes(ON::mesh_type, ON_SimpleArray<const ON_Mesh*>&) const {
  return 0;
}

ON_MeshParameters CRhinoObject::GetRenderMeshParameters() const {
  if (m_bCustomMeshParameters) return m_custom_mesh_parameters;
  if (m_doc != nullptr) return m_doc->Properties().RenderMeshSettings();
  return ON_MeshParameters();
}

void CRhinoObject::SetCustomRenderMeshParameters(const ON_MeshParameters* mp) {
  m_bCustomMeshParameters = (mp != nullptr);
  m_custom_mesh_parameters = mp ? *mp : ON_MeshParameters();
}

const CDisplayPipelineAttributes&
CRhinoObject::MeshDisplayAttributes(int, const ON_Mesh&,
                                    const CDisplayPipelineAttributes& attrs) const {
  return attrs;
}

int CRhinoObject::GetSubObjects(ON_SimpleArray<CRhinoObject*>&, const CRhinoViewport*) const {
  return 0;
}

const CRhinoVisualAnalysisMode* CRhinoObject::InShadedAnalysisMode() const {
  for (const CRhinoVisualAnalysisMode& m : m_analysis_modes)
    if (m.m_bShaded) return &m;
  return nullptr;
}

bool CRhinoObject::EnableAnalysisMode(const CRhinoVisualAnalysisMode& mode, bool bEnable) {
  for (size_t i = 0; i < m_analysis_modes.size(); ++i) {
    if (m_analysis_modes[i].m_id == mode.m_id) {
      if (bEnable)
        m_analysis_modes[i] = mode;
      else
        m_analysis_modes.erase(m_analysis_modes.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  if (!bEnable) return false;
  m_analysis_modes.push_back(mode);
  return true;
}

void CRhinoObject::Draw(CRhinoDisplayPipeline&) const {}
