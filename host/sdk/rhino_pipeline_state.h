#pragma once
// The drawing state of a display pipeline: model transform, z-bias, the
// face-culling stack, the pass being drawn and the feedback / interactive
// flags. Every change of transform, z-bias or culling is forwarded to the
// engine at once, so what is drawn next uses it.

#include <vector>

#include "engine/display_engine.h"
#include "opennurbs.h"

class CRhinoPipelineState {
public:
  enum pass : int { no_pass = 0, surface_pass = 1, wire_pass = 2, grip_pass = 3, overlay_pass = 4 };

  // Back to identity transform, z-bias 0, no culling, no pass, and pushes
  // that to engine (may be null).
  void Reset(CRhinoDisplayEngine* engine);

  const ON_Xform& ModelTransform() const { return m_model_xform; }
  void SetModelTransform(const ON_Xform& xform, CRhinoDisplayEngine* engine);

  int ZBiasMode() const { return m_zbias; }
  void SetZBiasMode(int mode, CRhinoDisplayEngine* engine);

  // Current culling mode (0 none, 1 back faces, 2 front faces).
  int CullFaceMode() const { return m_cull_stack.empty() ? 0 : m_cull_stack.back(); }
  void PushCullFaceMode(int mode, CRhinoDisplayEngine* engine);
  // Pops one level; popping an empty stack does nothing.
  void PopCullFaceMode(CRhinoDisplayEngine* engine);
  int CullFaceDepth() const { return static_cast<int>(m_cull_stack.size()); }

  pass CurrentPass() const { return m_pass; }
  void SetPass(pass p) { m_pass = p; }

  bool m_bFeedback = false;
  bool m_bInteractiveViewChange = false;

private:
  ON_Xform m_model_xform = ON_Xform::IdentityTransformation;
  int m_zbias = 0;
  std::vector<int> m_cull_stack;
  pass m_pass = no_pass;
};
