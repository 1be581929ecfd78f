#include "rhino_view.h"

#include <algorithm>

#include "rhino_app.h"
#include "rhino_doc.h"
#include "rhino_recording_engine.h"

namespace {

std::vector<CRhinoView*>& ViewRegistry() {
  static std::vector<CRhinoView*>* views = new std::vector<CRhinoView*>();
  return *views;
}

} // namespace

namespace rhino_sdk_internal {
const std::vector<CRhinoView*>& AllViews() {
  return ViewRegistry();
}
} // namespace rhino_sdk_internal

CRhinoView::CRhinoView(CRhinoDoc* doc, int width, int height,
                       std::unique_ptr<CRhinoDisplayEngine> engine)
    : m_doc(doc), m_engine(engine ? std::move(engine) : std::make_unique<CRhinoRecordingEngine>()),
      m_pipeline(m_engine.get()) {
  m_viewport.SetScreenSize(width > 0 ? width : 1, height > 0 ? height : 1);
  m_pipeline.SetDocument(doc);
  m_pipeline.SetView(this);
  m_pipeline.SetViewport(&m_viewport);
  m_pipeline.SetDisplayAttributes(*CRhinoDisplayAttrsMgr::StdWireframeAttrs());
  ViewRegistry().push_back(this);
}

CRhinoView::~CRhinoView() {
  auto& views = ViewRegistry();
  views.erase(std::remove(views.begin(), views.end(), this), views.end());
  RhinoApp().ViewDestroyed(this);
}

void CRhinoView::SetDocument(CRhinoDoc* doc) {
  m_doc = doc;
  m_pipeline.SetDocument(doc);
}

void CRhinoView::SetDisplayMode(const CDisplayPipelineAttributes& attrs) {
  m_pipeline.SetDisplayAttributes(attrs);
}

bool CRhinoView::SetDisplayMode(const ON_UUID& display_mode_id) {
  const CDisplayPipelineAttributes* attrs =
      CRhinoDisplayAttrsMgr::FindDisplayAttrs(display_mode_id);
  if (attrs == nullptr) return false;
  m_pipeline.SetDisplayAttributes(*attrs);
  return true;
}

bool CRhinoView::Redraw(int) {
  const bool bDrawn = m_pipeline.DrawFrame();
  if (bDrawn && m_doc != nullptr) m_doc->CountRedraw();
  return bDrawn;
}

bool CRhinoView::ZoomExtents() {
  if (m_doc == nullptr) return false;
  return m_viewport.ZoomExtents(m_doc->BoundingBox());
}

bool CRhinoView::CaptureToPng(const std::string& utf8_path, std::string& error, int width,
                              int height) {
  const int w0 = m_viewport.Width(), h0 = m_viewport.Height();
  const int w = width > 0 ? width : w0, h = height > 0 ? height : h0;
  if (w < 1 || h < 1 || w > 16384 || h > 16384) {
    error = "bad picture size";
    return false;
  }
  const ON_Viewport saved = m_viewport.VP();
  if (w != w0 || h != h0) m_viewport.SetScreenSize(w, h);
  bool bOk = m_pipeline.DrawFrame();
  if (!bOk) error = "the frame could not be drawn";
  if (bOk) bOk = m_engine->SaveFrameToPng(utf8_path, error);
  if (w != w0 || h != h0) m_viewport.SetVP(saved, false);
  return bOk;
}
