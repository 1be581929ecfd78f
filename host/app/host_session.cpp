#include "host_session.h"

#include "file_formats.h"
#include "host_commands.h"
#include "rhino_app.h"
#include "rhino_doc.h"
#include "rhino_recording_engine.h"
#include "rhino_view.h"
#include "ui/rhino_dockbar.h"
#include "ui/rhino_plugin_manager.h"
#include "win_messages.h"
#include "win_strings.h"

#if __has_include("engine/opengl_engine.h")
#include "engine/opengl_engine.h"
#define KYREL_HAVE_OPENGL_ENGINE 1
#endif

namespace kyrel::app {

HostSession& HostSession::Instance() {
  static auto* session = new HostSession;
  return *session;
}

void HostSession::MakeView(CRhinoDoc* doc) {
  std::unique_ptr<CRhinoDisplayEngine> engine;
#ifdef KYREL_HAVE_OPENGL_ENGINE
  if (options_.opengl) engine = CreateOpenGLDisplayEngine();
#endif
  // Without pictures the view records its calls. A command is checked by
  // the few frames it drew; a long session must not keep them all.
  constexpr int kRecordedFrames = 16;
  if (!engine) engine = std::make_unique<CRhinoRecordingEngine>(kRecordedFrames);
  CRhinoView* view =
      RhinoApp().CreateView(doc, options_.view_width, options_.view_height, std::move(engine));
  if (view) {
    view->SetName(L"Perspective");
    RhinoApp().SetActiveView(view);
  }
}

void HostSession::Start(const SessionOptions& options) {
  if (started_) return;
  options_ = options;
  started_ = true;
  input_.Reset();
  SetRhinoCommandInput(&input_);
  RegisterHostCommands();
  CRhinoDoc::SetSaveHandler([](CRhinoDoc& doc, const wchar_t* file_name, bool bUseDialog) {
    return SaveDocumentInteractively(doc, file_name, bUseDialog);
  });
  EnsureDocument();
}

CRhinoDoc* HostSession::EnsureDocument() {
  if (CRhinoDoc* doc = RhinoApp().ActiveDoc()) return doc;
  CRhinoDoc* doc = RhinoApp().NewDocument();
  if (RhinoApp().Views().empty())
    MakeView(doc);
  else
    for (CRhinoView* v : RhinoApp().Views())
      v->SetDocument(doc);
  return doc;
}

void HostSession::ReplaceDocument(CRhinoDoc* doc) {
  CRhinoDoc* old = nullptr;
  for (CRhinoDoc* d : RhinoApp().Documents())
    if (d != doc) old = d;
  for (CRhinoView* v : RhinoApp().Views())
    v->SetDocument(doc);
  RhinoApp().SetActiveDoc(doc);
  if (old) RhinoApp().CloseDocument(old);
  if (RhinoApp().Views().empty()) MakeView(doc);
  for (CRhinoView* v : RhinoApp().Views())
    v->ZoomExtents();
}

std::string HostSession::OutputPath(const std::wstring& name) const {
  std::string native = kyrel::platform::NativePath(name);
  if (native.empty() || native[0] == '/' || options_.out_dir.empty() || options_.out_dir == ".")
    return native;
  return options_.out_dir + "/" + native;
}

bool HostSession::LoadPlugIn(const std::string& path, std::string& error) {
  return CRhinoPlugInManager::Instance().LoadPlugIn(path, error) != nullptr;
}

void HostSession::Stop() {
  if (!started_) return;
  // Work that is still queued belongs to windows that are about to go.
  kyrel::platform::PumpMessages();
  CRhinoPlugInManager::Instance().UnloadAll([] {
    RhinoUiDockBarManager().DestroyAllDockBars();
    RhinoApp().Shutdown();
  });
  RhinoUiDockBarManager().DestroyAllDockBars();
  RhinoApp().Shutdown();
  CRhinoDoc::SetSaveHandler(nullptr);
  SetRhinoCommandInput(nullptr);
  started_ = false;
}

} // namespace kyrel::app
