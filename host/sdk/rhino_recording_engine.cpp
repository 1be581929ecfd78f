#include "rhino_recording_engine.h"

CRhinoRecordedCall CRhinoRecordingEngine::Stamp(CRhinoRecordedCall::kind kind) const {
  CRhinoRecordedCall c;
  c.m_kind = kind;
  c.m_xform = m_xform;
  c.m_zbias = m_zbias;
  c.m_cull = m_cull;
  c.m_clipping_planes = m_planes;
  return c;
}

bool CRhinoRecordingEngine::BeginFrame(const ON_Viewport& viewport, ON_Color background) {
  if (m_frames_kept > 0) {
    // Keep the last frames_kept - 1 frames: this one makes the count.
    int frames = 0;
    auto first_kept = m_calls.end();
    while (first_kept != m_calls.begin() && frames < m_frames_kept - 1) {
      --first_kept;
      if (first_kept->m_kind == CRhinoRecordedCall::begin_frame) ++frames;
    }
    if (frames < m_frames_kept - 1) first_kept = m_calls.begin();
    m_calls.erase(m_calls.begin(), first_kept);
  }
  // A new frame starts from the engine's documented defaults.
  m_xform = ON_Xform::IdentityTransformation;
  m_zbias = 0;
  m_cull = 0;
  m_planes.clear();
  CRhinoRecordedCall c = Stamp(CRhinoRecordedCall::begin_frame);
  c.m_background = background;
  c.m_width = viewport.ScreenPortWidth();
  c.m_height = viewport.ScreenPortHeight();
  c.m_near = viewport.FrustumNear();
  c.m_far = viewport.FrustumFar();
  m_calls.push_back(std::move(c));
  m_bInFrame = true;
  return true;
}

void CRhinoRecordingEngine::EndFrame() {
  m_calls.push_back(Stamp(CRhinoRecordedCall::end_frame));
  if (m_bInFrame) ++m_frames;
  m_bInFrame = false;
}

void CRhinoRecordingEngine::SetModelTransform(const ON_Xform& xform) {
  m_xform = xform;
  m_calls.push_back(Stamp(CRhinoRecordedCall::model_transform));
}

void CRhinoRecordingEngine::SetZBias(int mode) {
  m_zbias = mode;
  m_calls.push_back(Stamp(CRhinoRecordedCall::zbias));
}

void CRhinoRecordingEngine::SetCullFaceMode(int mode) {
  m_cull = mode;
  m_calls.push_back(Stamp(CRhinoRecordedCall::cull_face));
}

void CRhinoRecordingEngine::SetClippingPlanes(const ON_SimpleArray<ON_PlaneEquation>& planes) {
  m_planes.assign(planes.begin(), planes.end());
  m_calls.push_back(Stamp(CRhinoRecordedCall::clipping_planes));
}

void CRhinoRecordingEngine::DrawShadedMesh(const ON_Mesh& mesh,
                                           const CDisplayEngineMaterial& material) {
  CRhinoRecordedCall c = Stamp(CRhinoRecordedCall::shaded_mesh);
  c.m_mesh_address = &mesh;
  c.m_vertex_count = mesh.VertexCount();
  c.m_face_count = mesh.FaceCount();
  c.m_mesh_box = mesh.BoundingBox();
  c.m_material = material;
  m_calls.push_back(std::move(c));
}

void CRhinoRecordingEngine::DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness) {
  CRhinoRecordedCall c = Stamp(CRhinoRecordedCall::mesh_wires);
  c.m_mesh_address = &mesh;
  c.m_vertex_count = mesh.VertexCount();
  c.m_face_count = mesh.FaceCount();
  c.m_mesh_box = mesh.BoundingBox();
  c.m_color = color;
  c.m_thickness = thickness;
  m_calls.push_back(std::move(c));
}

void CRhinoRecordingEngine::DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color,
                                     int thickness, unsigned int pattern) {
  CRhinoRecordedCall c = Stamp(CRhinoRecordedCall::line);
  c.m_from = from;
  c.m_to = to;
  c.m_color = color;
  c.m_thickness = thickness;
  c.m_pattern = pattern;
  m_calls.push_back(std::move(c));
}

void CRhinoRecordingEngine::DrawPoint(const ON_3dPoint& point, ON_Color color, int size) {
  CRhinoRecordedCall c = Stamp(CRhinoRecordedCall::point);
  c.m_from = point;
  c.m_to = point;
  c.m_color = color;
  c.m_thickness = size;
  m_calls.push_back(std::move(c));
}

bool CRhinoRecordingEngine::SaveFrameToPng(const std::string&, std::string& error) const {
  error = "the recording engine keeps no pixels";
  return false;
}

bool CRhinoRecordingEngine::FramePixel(int, int, ON_Color&) const {
  return false;
}

void CRhinoRecordingEngine::Note(const std::string& text) {
  CRhinoRecordedCall c = Stamp(CRhinoRecordedCall::note);
  c.m_note = text;
  m_calls.push_back(std::move(c));
}

std::vector<const CRhinoRecordedCall*>
CRhinoRecordingEngine::CallsOfKind(CRhinoRecordedCall::kind kind) const {
  std::vector<const CRhinoRecordedCall*> out;
  for (const CRhinoRecordedCall& c : m_calls)
    if (c.m_kind == kind) out.push_back(&c);
  return out;
}
