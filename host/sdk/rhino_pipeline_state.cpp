#include "rhino_pipeline_state.h"

void CRhinoPipelineState::Reset(CRhinoDisplayEngine* engine) {
  m_model_xform = ON_Xform::IdentityTransformation;
  m_zbias = 0;
  m_cull_stack.clear();
  m_pass = no_pass;
  if (engine != nullptr) {
    engine->SetModelTransform(m_model_xform);
    engine->SetZBias(0);
    engine->SetCullFaceMode(0);
  }
}

void CRhinoPipelineState::SetModelTransform(const ON_Xform& xform, CRhinoDisplayEngine* engine) {
  m_model_xform = xform;
  if (engine != nullptr) engine->SetModelTransform(xform);
}

void CRhinoPipelineState::SetZBiasMode(int mode, CRhinoDisplayEngine* engine) {
  m_zbias = mode;
  if (engine != nullptr) engine->SetZBias(mode);
}

void CRhinoPipelineState::PushCullFaceMode(int mode, CRhinoDisplayEngine* engine) {
  m_cull_stack.push_back(mode);
  if (engine != nullptr) engine->SetCullFaceMode(mode);
}

void CRhinoPipelineState::PopCullFaceMode(CRhinoDisplayEngine* engine) {
  if (m_cull_stack.empty()) return;
  m_cull_stack.pop_back();
  if (engine != nullptr) engine->SetCullFaceMode(CullFaceMode());
}
