// CRhinoDisplayPipeline: binding, drawing state, drawing helpers and the
// per-object display attributes. The frame driver is in
// rhino_frame_driver.cpp.

#include "rhino_display_pipeline.h"

#include "rhino_doc.h"
#include "rhino_object.h"
#include "rhino_viewport.h"

namespace {

// Engine used when a pipeline has none: draws nothing, keeps nothing.
class NullDisplayEngine : public CRhinoDisplayEngine {
public:
  bool BeginFrame(const ON_Viewport&, ON_Color) override { return true; }
  void EndFrame() override {}
  void SetModelTransform(const ON_Xform&) override {}
  void SetZBias(int) override {}
  void SetCullFaceMode(int) override {}
  void SetClippingPlanes(const ON_SimpleArray<ON_PlaneEquation>&) override {}
  void DrawShadedMesh(const ON_Mesh&, const CDisplayEngineMaterial&) override {}
  void DrawMeshWires(const ON_Mesh&, ON_Color, int) override {}
  void DrawLine(const ON_3dPoint&, const ON_3dPoint&, ON_Color, int, unsigned int) override {}
  void DrawPoint(const ON_3dPoint&, ON_Color, int) override {}
  bool SaveFrameToPng(const std::string&, std::string& error) const override {
    error = "the view has no display engine";
    return false;
  }
  bool FramePixel(int, int, ON_Color&) const override { return false; }
};

bool IsSolidPattern(unsigned int pattern) {
  return pattern == 0u || pattern == 0xFFFFFFFFu;
}

// Shade of surfaces whose colour is only the default layer's black.
constexpr ON_Color kDefaultShadeColor(200, 200, 200);

} // namespace

CRhinoDisplayPipeline::CRhinoDisplayPipeline(CRhinoDisplayEngine* engine)
    : m_default_viewport(std::make_unique<CRhinoViewport>()), m_engine(engine),
      m_sink(std::make_unique<NullDisplayEngine>()),
      m_mode_attrs(*CRhinoDisplayAttrsMgr::StdWireframeAttrs()) {}

CRhinoDisplayPipeline::~CRhinoDisplayPipeline() = default;

const CDisplayPipelineAttributes* CRhinoDisplayPipeline::DisplayAttrs() const {
  if (m_object_attrs != nullptr) return m_object_attrs;
  return m_bInFrame ? &m_frame_attrs : &m_mode_attrs;
}

bool CRhinoDisplayPipeline::InterruptDrawing() const {
  return m_interrupt_query != nullptr && m_interrupt_query(m_interrupt_context);
}

void CRhinoDisplayPipeline::SetInterruptQuery(bool (*query)(void*), void* context) {
  m_interrupt_query = query;
  m_interrupt_context = context;
}

CRhinoDisplayEngine* CRhinoDisplayPipeline::Engine(bool) const {
  return m_engine != nullptr ? m_engine : m_sink.get();
}

void CRhinoDisplayPipeline::SetModelTransform(const ON_Xform& xform) {
  m_state.SetModelTransform(xform, Engine());
}

void CRhinoDisplayPipeline::SetZBiasMode(int mode) {
  m_state.SetZBiasMode(mode, Engine());
}

void CRhinoDisplayPipeline::PushCullFaceMode(int mode) {
  m_state.PushCullFaceMode(mode, Engine());
}

void CRhinoDisplayPipeline::PopCullFaceMode() {
  m_state.PopCullFaceMode(Engine());
}

const CRhinoViewport* CRhinoDisplayPipeline::GetRhinoVP() const {
  if (m_frame_viewport) return m_frame_viewport.get();
  return m_viewport != nullptr ? m_viewport : m_default_viewport.get();
}

void CRhinoDisplayPipeline::DrawShadedMesh(const ON_Mesh& mesh,
                                           const CDisplayPipelineAttributes* attrs) {
  if (mesh.FaceCount() == 0) return;
  const CDisplayPipelineAttributes* a = attrs ? attrs : DisplayAttrs();
  Engine()->DrawShadedMesh(mesh, a->m_material);
}

void CRhinoDisplayPipeline::DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness) {
  if (mesh.FaceCount() == 0) return;
  const CDisplayPipelineAttributes* a = DisplayAttrs();
  if (thickness <= 0) thickness = a->m_mesh_wire_thickness > 0 ? a->m_mesh_wire_thickness : 1;
  if (IsSolidPattern(a->m_mesh_wire_pattern)) {
    Engine()->DrawMeshWires(mesh, color, thickness);
    return;
  }
  // The engine draws wires solid; a patterned wire is drawn edge by edge.
  const ON_MeshTopology& top = mesh.Topology();
  for (int ei = 0; ei < top.TopEdgeCount(); ++ei) {
    const ON_MeshTopologyEdge& e = top.m_tope[ei];
    Engine()->DrawLine(top.TopVertexPoint(e.m_topvi[0]), top.TopVertexPoint(e.m_topvi[1]), color,
                       thickness, a->m_mesh_wire_pattern);
  }
}

void CRhinoDisplayPipeline::DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color,
                                     int thickness, unsigned int pattern) {
  if (!from.IsValid() || !to.IsValid()) return;
  Engine()->DrawLine(from, to, color, thickness > 0 ? thickness : 1, pattern);
}

void CRhinoDisplayPipeline::DrawPolyline(const ON_Polyline& polyline, ON_Color color, int thickness,
                                         unsigned int pattern) {
  for (int i = 1; i < polyline.Count(); ++i)
    DrawLine(polyline[i - 1], polyline[i], color, thickness, pattern);
}

void CRhinoDisplayPipeline::DrawPoint(const ON_3dPoint& point, ON_Color color, int size) {
  if (!point.IsValid()) return;
  Engine()->DrawPoint(point, color, size > 0 ? size : 1);
}

void CRhinoDisplayPipeline::MakeObjectDisplayAttributes(const CRhinoObject& object,
                                                        CDisplayPipelineAttributes& attrs) const {
  attrs = m_mode_attrs;
  const ON_3dmObjectAttributes& a = object.Attributes();
  const CRhinoDoc* doc = object.Document();
  if (doc == nullptr) doc = m_doc;

  // Display colour: the object's own or its layer's.
  ON_Color color = a.m_color;
  if (a.ColorSource() == ON::color_from_layer || a.ColorSource() == ON::color_from_parent)
    color = doc ? doc->LayerTable()[a.m_layer_index].Color() : ON_Color(0, 0, 0);
  else if (a.ColorSource() == ON::color_from_material && doc != nullptr)
    color = doc->MaterialTable()[a.m_material_index].Diffuse();
  color = ON_Color(color.Red(), color.Green(), color.Blue());

  // Shaded surfaces in the default layer's black show only a silhouette, so
  // objects that merely inherit that default shade in a neutral light grey;
  // their wires and edges keep the black. Colours someone chose (the
  // object's own, a material's, a layer's other than the default) shade as
  // they are.
  const bool inherits_default_black =
      (a.ColorSource() == ON::color_from_layer || a.ColorSource() == ON::color_from_parent) &&
      color ==
          ON_Color(ON_Layer().Color().Red(), ON_Layer().Color().Green(), ON_Layer().Color().Blue());
  const ON_Color shade_color = inherits_default_black ? kDefaultShadeColor : color;

  // Render material: the object's own or its layer's.
  const ON_Material* material = nullptr;
  if (doc != nullptr) {
    int index = a.m_material_index;
    if (a.MaterialSource() == ON::material_from_layer)
      index = doc->LayerTable()[a.m_layer_index].RenderMaterialIndex();
    material = &doc->MaterialTable()[index];
  }

  if (object.IsLocked())
    attrs.m_display_color = m_mode_attrs.m_locked_color;
  else if (object.IsSelected())
    attrs.m_display_color = m_mode_attrs.m_selection_color;
  else
    attrs.m_display_color = color;

  CDisplayEngineMaterial& m = attrs.m_material;
  if (m_mode_attrs.m_display_mode == CDisplayPipelineAttributes::ghosted_display) {
    // Ghosted: the object's colour, see-through.
    m.m_diffuse = shade_color;
    m.m_transparency = m_mode_attrs.m_surface_transparency;
  } else if (m_mode_attrs.m_bUseObjectMaterial && material != nullptr) {
    m.m_diffuse = material->Diffuse();
    m.m_specular = material->m_specular;
    m.m_emission = material->m_emission;
    m.m_shine = material->Shine() / ON_Material::MaxShine;
    m.m_transparency = material->Transparency();
  } else {
    m.m_diffuse = shade_color;
    m.m_transparency = m_mode_attrs.m_surface_transparency;
  }
  if (object.IsSelected() && m_mode_attrs.m_bShadeSurface)
    m.m_diffuse = m_mode_attrs.m_selection_color;
}

const CDisplayPipelineAttributes*
CRhinoDisplayPipeline::GetObjectDisplayAttrs(const CRhinoObject* object,
                                             const ON_3dmObjectAttributes*) {
  if (object == nullptr) return nullptr;
  if (m_object_attrs != nullptr && (object == m_current_object || object == m_channel.m_pObject))
    return m_object_attrs;
  auto& slot = m_attrs_cache[object->RuntimeSerialNumber()];
  if (!slot) slot = std::make_unique<CDisplayPipelineAttributes>();
  MakeObjectDisplayAttributes(*object, *slot);
  return slot.get();
}

const CRhinoObject* CRhinoDisplayPipeline::GetObjectOwner(int owner_index) const {
  if (owner_index < 0 || owner_index >= static_cast<int>(m_owners.size())) return nullptr;
  return m_owners[static_cast<size_t>(owner_index)];
}
