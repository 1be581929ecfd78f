#pragma once
// CRhinoApp: the process-wide host application: its documents and views,
// the active ones, and idle processing (deferred redraws).
//
// RhinoApp() gives the one application object; it is created on first use
// and never destroyed (static objects of plug-in libraries may still reach
// it while they are destroyed). Documents and views it makes are owned by
// it until closed or destroyed; Shutdown() closes everything.

#include <atomic>
#include <memory>
#include <vector>

#include "engine/display_engine.h"

class CRhinoDoc;
class CRhinoView;
class CRhinoFileWriteOptions; // defined by the file-writing side (ui/)

class CRhinoApp {
public:
  CRhinoApp() = default;
  CRhinoApp(const CRhinoApp&) = delete;
  CRhinoApp& operator=(const CRhinoApp&) = delete;

  // The host's major version: 5.
  int ExeVersion() const { return 5; }
  int ExeServiceRelease() const { return 0; }

  // ---- documents ----
  // The active document, or null. May be read from any thread (workers read
  // its tolerance); the document itself is only safe to use there while the
  // UI thread keeps it open.
  CRhinoDoc* ActiveDoc() const { return m_active_doc.load(std::memory_order_acquire); }
  // Makes doc (one of the application's documents, or null) active.
  bool SetActiveDoc(CRhinoDoc* doc);
  // A new empty document that becomes the active one; fires OnNewDocument.
  CRhinoDoc* NewDocument();
  // Fires OnCloseDocument, detaches the document's views from it and
  // destroys it. False for a document the application does not own. A
  // document a command is running in (a command that opens another model
  // closes its own) is destroyed only when that command has ended.
  bool CloseDocument(CRhinoDoc* doc);
  // Host-internal: the command running in doc has ended; a document closed
  // meanwhile goes now.
  void CommandEnded(CRhinoDoc* doc);
  std::vector<CRhinoDoc*> Documents() const;

  // ---- views ----
  // The active view, or null.
  CRhinoView* ActiveView() const { return m_active_view; }
  bool SetActiveView(CRhinoView* view); // fires OnSetActiveView
  // A new view onto doc (may be null) that the application owns; engine
  // null gives a recording engine. The first view becomes active. Fires
  // OnCreateView.
  CRhinoView* CreateView(CRhinoDoc* doc, int width, int height,
                         std::unique_ptr<CRhinoDisplayEngine> engine = nullptr);
  // Fires OnDestroyView and destroys a view the application owns.
  bool DestroyView(CRhinoView* view);
  // The application's views onto doc (null: all of them).
  std::vector<CRhinoView*> Views(const CRhinoDoc* doc = nullptr) const;

  // ---- idle ----
  // Idle processing: draws the documents whose redraw was deferred and
  // frees their deleted objects that no undo record holds; returns how many
  // documents were drawn.
  int ProcessDeferredRedraws();

  // Tells the event watchers that application settings changed.
  void AppSettingsChanged();

  // Destroys every view and closes every document.
  void Shutdown();

  // The application's file-write options; defined where that type is.
  CRhinoFileWriteOptions& FileWriteOptions();

  // Host-internal: a view that is going away stops being active.
  void ViewDestroyed(CRhinoView* view);

private:
  std::vector<std::unique_ptr<CRhinoDoc>> m_docs;
  // Closed while a command ran in them; destroyed when it ends.
  std::vector<std::unique_ptr<CRhinoDoc>> m_closed_docs;
  std::vector<std::unique_ptr<CRhinoView>> m_views;
  std::atomic<CRhinoDoc*> m_active_doc{nullptr};
  CRhinoView* m_active_view = nullptr;
};

// The application object.
CRhinoApp& RhinoApp();
