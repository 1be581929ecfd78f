#include "rhino_app.h"

#include <algorithm>

#include "memory_reuse.h"
#include "rhino_doc.h"
#include "rhino_event_dispatch.h"
#include "rhino_view.h"

CRhinoApp& RhinoApp() {
  // Never destroyed: plug-in statics may reach the application while the
  // process ends (see the header).
  static CRhinoApp* app = (kyrel::platform::KeepFreedMemoryForReuse(), new CRhinoApp());
  return *app;
}

bool CRhinoApp::SetActiveDoc(CRhinoDoc* doc) {
  if (doc != nullptr) {
    const bool bOwned =
        std::any_of(m_docs.begin(), m_docs.end(),
                    [&](const std::unique_ptr<CRhinoDoc>& d) { return d.get() == doc; });
    if (!bOwned) return false;
  }
  m_active_doc = doc;
  return true;
}

CRhinoDoc* CRhinoApp::NewDocument() {
  m_docs.push_back(std::make_unique<CRhinoDoc>());
  CRhinoDoc* doc = m_docs.back().get();
  m_active_doc = doc;
  rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) { w.OnNewDocument(*doc); });
  return doc;
}

bool CRhinoApp::CloseDocument(CRhinoDoc* doc) {
  auto it = std::find_if(m_docs.begin(), m_docs.end(),
                         [&](const std::unique_ptr<CRhinoDoc>& d) { return d.get() == doc; });
  if (it == m_docs.end()) return false;
  rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) { w.OnCloseDocument(*doc); });
  // Every view (the application's and any other) lets go of the document.
  for (CRhinoView* v : rhino_sdk_internal::AllViews())
    if (v->Document() == doc) v->SetDocument(nullptr);
  if (m_active_doc == doc) m_active_doc = nullptr;
  std::unique_ptr<CRhinoDoc> closing = std::move(*it);
  m_docs.erase(it);
  if (closing->IsCommandRunning())
    m_closed_docs.push_back(std::move(closing));
  else
    closing.reset();
  if (m_active_doc == nullptr && !m_docs.empty()) m_active_doc = m_docs.back().get();
  return true;
}

void CRhinoApp::CommandEnded(CRhinoDoc* doc) {
  if (doc->IsCommandRunning()) return;
  std::erase_if(m_closed_docs, [&](const std::unique_ptr<CRhinoDoc>& d) { return d.get() == doc; });
}

std::vector<CRhinoDoc*> CRhinoApp::Documents() const {
  std::vector<CRhinoDoc*> docs;
  for (const auto& d : m_docs)
    docs.push_back(d.get());
  return docs;
}

bool CRhinoApp::SetActiveView(CRhinoView* view) {
  if (view != nullptr) {
    const auto& all = rhino_sdk_internal::AllViews();
    if (std::find(all.begin(), all.end(), view) == all.end()) return false;
  }
  m_active_view = view;
  rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) { w.OnSetActiveView(view); });
  return true;
}

CRhinoView* CRhinoApp::CreateView(CRhinoDoc* doc, int width, int height,
                                  std::unique_ptr<CRhinoDisplayEngine> engine) {
  m_views.push_back(std::make_unique<CRhinoView>(doc, width, height, std::move(engine)));
  CRhinoView* view = m_views.back().get();
  rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) { w.OnCreateView(view); });
  if (m_active_view == nullptr) SetActiveView(view);
  return view;
}

bool CRhinoApp::DestroyView(CRhinoView* view) {
  auto it = std::find_if(m_views.begin(), m_views.end(),
                         [&](const std::unique_ptr<CRhinoView>& v) { return v.get() == view; });
  if (it == m_views.end()) return false;
  rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) { w.OnDestroyView(view); });
  std::unique_ptr<CRhinoView> dying = std::move(*it);
  m_views.erase(it);
  dying.reset(); // the view's destructor clears the active view
  return true;
}

void CRhinoApp::ViewDestroyed(CRhinoView* view) {
  if (m_active_view != view) return;
  m_active_view = m_views.empty() ? nullptr : m_views.front().get();
  if (m_active_view == view) m_active_view = nullptr;
}

std::vector<CRhinoView*> CRhinoApp::Views(const CRhinoDoc* doc) const {
  std::vector<CRhinoView*> views;
  for (const auto& v : m_views)
    if (doc == nullptr || v->Document() == doc) views.push_back(v.get());
  return views;
}

int CRhinoApp::ProcessDeferredRedraws() {
  int drawn = 0;
  for (CRhinoDoc* d : Documents()) {
    if (d->FlushDeferredRedraw()) ++drawn;
    // Idle time is a safe point for freeing deleted objects.
    d->PurgeDeletedObjects();
  }
  return drawn;
}

void CRhinoApp::Shutdown() {
  while (!m_views.empty())
    DestroyView(m_views.back().get());
  while (!m_docs.empty())
    CloseDocument(m_docs.back().get());
  m_active_doc = nullptr;
  m_active_view = nullptr;
}

void CRhinoApp::AppSettingsChanged() {
  rhino_sdk_internal::ForEachWatcher([](CRhinoEventWatcher& w) { w.OnAppSettingsChanged(); });
}
