// CRhinoDoc: redraw requests, regeneration, settings, reading and saving
// brackets.

#include <cmath>

#include "rhino_display_attributes.h"
#include "rhino_doc.h"
#include "rhino_event_dispatch.h"
#include "rhino_view.h"

namespace {

CRhinoDoc::SaveHandler& SaveHandlerSlot() {
  static CRhinoDoc::SaveHandler* handler = new CRhinoDoc::SaveHandler();
  return *handler;
}

// The views showing doc; a copy, since drawing may create or destroy views.
std::vector<CRhinoView*> ViewsOf(const CRhinoDoc* doc) {
  std::vector<CRhinoView*> views;
  for (CRhinoView* v : rhino_sdk_internal::AllViews())
    if (v->Document() == doc) views.push_back(v);
  return views;
}

bool StillAlive(const CRhinoView* view) {
  for (const CRhinoView* v : rhino_sdk_internal::AllViews())
    if (v == view) return true;
  return false;
}

} // namespace

void CRhinoDoc::Redraw(int hint) {
  m_bRedrawPending = false;
  for (CRhinoView* v : ViewsOf(this)) {
    if (!StillAlive(v)) continue;
    // A view asked to redraw while it draws (a conduit reacting to its own
    // frame) gets its new frame later instead of losing it.
    if (v->DisplayPipeline()->IsDrawingFrame())
      m_bRedrawPending = true;
    else
      v->Redraw(hint);
  }
}

bool CRhinoDoc::FlushDeferredRedraw() {
  if (!m_bRedrawPending) return false;
  Redraw(redraw_hint_default);
  return true;
}

void CRhinoDoc::SetRedrawDisplayHint(unsigned int, int display_mode) {
  if (m_command_stack.empty()) {
    DeferredRedraw();
    return;
  }
  // Two hints in one command: any mode wins over a particular one.
  if (m_bHintPending && m_hint_display_mode != display_mode) display_mode = 0;
  m_bHintPending = true;
  m_hint_display_mode = display_mode;
}

void CRhinoDoc::ApplyRedrawHint() {
  m_bHintPending = false;
  const int mode = m_hint_display_mode;
  m_hint_display_mode = 0;
  for (CRhinoView* v : ViewsOf(this)) {
    if (!StillAlive(v)) continue;
    if (mode == 0 || v->DisplayMode().m_display_mode == mode) v->Redraw(redraw_hint_default);
  }
}

void CRhinoDoc::Regen() {
  const ON_MeshParameters& settings = m_properties.RenderMeshSettings();
  {
    IterationGuard guard(*this);
    const size_t count = m_objects.size();
    for (size_t i = 0; i < count && i < m_objects.size(); ++i) {
      CRhinoObject* o = m_objects[i];
      if (o->IsDeleted() || !o->IsMeshable(ON::render_mesh)) continue;
      if (o->MeshCount(ON::render_mesh, nullptr) == 0) continue; // made when first drawn
      const ON_MeshParameters mp =
          o->HasCustomRenderMeshParameters() ? o->GetRenderMeshParameters() : settings;
      if (o->MeshCount(ON::render_mesh, &mp) > 0) continue; // already current
      o->CreateMeshes(ON::render_mesh, mp);
      rhino_sdk_internal::ForEachWatcher(
          [&](CRhinoEventWatcher& w) { w.OnUpdateObjectMesh(*this, *o, ON::render_mesh); });
    }
  }
  Redraw(redraw_hint_full);
}

bool CRhinoDoc::SetAbsoluteTolerance(double tolerance) {
  if (!std::isfinite(tolerance) || tolerance <= 0.0) return false;
  if (tolerance == AbsoluteTolerance()) return true;
  m_tolerance.store(tolerance, std::memory_order_relaxed);
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnDocumentPropertiesChanged(*this); });
  return true;
}

ON_BoundingBox CRhinoDoc::BoundingBox() const {
  ON_BoundingBox box;
  for (const CRhinoObject* o : m_objects) {
    if (!o->IsVisible()) continue;
    const ON_BoundingBox b = o->BoundingBox();
    if (!b.IsValid()) continue;
    if (box.IsValid())
      box.Union(b);
    else
      box = b;
  }
  return box;
}

bool CRhinoDoc::SaveDocument(const wchar_t* file_name, bool bUseDialog) {
  SaveHandler& handler = SaveHandlerSlot();
  if (!handler) return false;
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnBeginSaveDocument(*this, file_name, false); });
  const bool bSaved = handler(*this, file_name, bUseDialog);
  if (bSaved) {
    rhino_sdk_internal::ForEachWatcher(
        [&](CRhinoEventWatcher& w) { w.OnEndSaveDocument(*this, file_name, false); });
  }
  return bSaved;
}

void CRhinoDoc::SetSaveHandler(SaveHandler handler) {
  SaveHandlerSlot() = std::move(handler);
}

void CRhinoDoc::BeginOpenDocument(const wchar_t* file_name, bool bMerge, bool bReference) {
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnBeginOpenDocument(*this, file_name, bMerge, bReference); });
}

void CRhinoDoc::EndOpenDocument(const wchar_t* file_name, bool bMerge, bool bReference) {
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnEndOpenDocument(*this, file_name, bMerge, bReference); });
}
