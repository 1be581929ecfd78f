#pragma once
// CRhinoRecordingEngine: a display engine that draws nothing and keeps a
// list of every call with the state current at the time (model transform,
// z-bias, culling, clipping planes), so tests can check what a frame drew.
// Meshes are not kept: a call records the mesh's address (identity only,
// never dereferenced later), its vertex and face counts and its box.

#include <string>
#include <vector>

#include "engine/display_engine.h"

struct CRhinoRecordedCall {
  enum kind : int {
    begin_frame,
    end_frame,
    model_transform,
    zbias,
    cull_face,
    clipping_planes,
    shaded_mesh,
    mesh_wires,
    line,
    point,
    note, // a label a test or conduit added with Note()
  };

  kind m_kind = note;
  // State when the call was made.
  ON_Xform m_xform = ON_Xform::IdentityTransformation;
  int m_zbias = 0;
  int m_cull = 0;
  std::vector<ON_PlaneEquation> m_clipping_planes;
  // begin_frame
  ON_Color m_background;
  int m_width = 0, m_height = 0;
  double m_near = 0.0, m_far = 0.0;
  // shaded_mesh and mesh_wires
  const void* m_mesh_address = nullptr;
  int m_vertex_count = 0;
  int m_face_count = 0;
  ON_BoundingBox m_mesh_box;
  CDisplayEngineMaterial m_material;
  // mesh_wires, line, point
  ON_Color m_color;
  int m_thickness = 0;
  unsigned int m_pattern = 0;
  ON_3dPoint m_from, m_to;
  // note
  std::string m_note;
};

class CRhinoRecordingEngine : public CRhinoDisplayEngine {
public:
  // `frames_kept`: 0 keeps every call (tests read across frames); n > 0
  // drops calls older than the last n frames when a frame begins, so a
  // long session without pictures does not grow with every frame it draws.
  explicit CRhinoRecordingEngine(int frames_kept = 0) : m_frames_kept(frames_kept) {}

  bool BeginFrame(const ON_Viewport& viewport, ON_Color background) override;
  void EndFrame() override;
  void SetModelTransform(const ON_Xform& xform) override;
  void SetZBias(int mode) override;
  void SetCullFaceMode(int mode) override;
  void SetClippingPlanes(const ON_SimpleArray<ON_PlaneEquation>& planes) override;
  void DrawShadedMesh(const ON_Mesh& mesh, const CDisplayEngineMaterial& material) override;
  void DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness) override;
  void DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color, int thickness,
                unsigned int pattern) override;
  void DrawPoint(const ON_3dPoint& point, ON_Color color, int size) override;
  // The recording engine keeps no pixels: both answer false.
  bool SaveFrameToPng(const std::string& utf8_path, std::string& error) const override;
  bool FramePixel(int x, int y, ON_Color& color) const override;

  // Adds a label to the list (for tests that interleave their own events).
  void Note(const std::string& text);
  const std::vector<CRhinoRecordedCall>& Calls() const { return m_calls; }
  // Calls of one kind, in order.
  std::vector<const CRhinoRecordedCall*> CallsOfKind(CRhinoRecordedCall::kind kind) const;
  void Clear() { m_calls.clear(); }
  int FrameCount() const { return m_frames; }
  bool InFrame() const { return m_bInFrame; }

private:
  CRhinoRecordedCall Stamp(CRhinoRecordedCall::kind kind) const;

  std::vector<CRhinoRecordedCall> m_calls;
  int m_frames_kept = 0;
  ON_Xform m_xform = ON_Xform::IdentityTransformation;
  int m_zbias = 0;
  int m_cull = 0;
  std::vector<ON_PlaneEquation> m_planes;
  int m_frames = 0;
  bool m_bInFrame = false;
};
