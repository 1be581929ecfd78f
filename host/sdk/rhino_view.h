#pragma once
// CRhinoView: a window onto a document: a viewport, a display mode, a
// display engine and the pipeline that draws frames through it.
//
// Ownership: the view owns its engine, pipeline and viewport; the document
// is not owned and may be null (the view then draws empty frames and picks
// nothing). Every view registers itself at construction so documents can
// redraw the views that show them; the application owns the views it makes
// (CRhinoApp::CreateView), tests may make their own.

#include <memory>
#include <string>
#include <vector>

#include "engine/display_engine.h"
#include "rhino_display_attributes.h"
#include "rhino_display_pipeline.h"
#include "rhino_pick.h"
#include "rhino_viewport.h"

class CRhinoDoc;

class CRhinoView {
public:
  // engine null: a recording engine (rhino_recording_engine.h).
  CRhinoView(CRhinoDoc* doc, int width, int height,
             std::unique_ptr<CRhinoDisplayEngine> engine = nullptr);
  ~CRhinoView();
  CRhinoView(const CRhinoView&) = delete;
  CRhinoView& operator=(const CRhinoView&) = delete;

  CRhinoDoc* Document() const { return m_doc; }
  void SetDocument(CRhinoDoc* doc);
  const ON_wString& Name() const { return m_name; }
  void SetName(const wchar_t* name) { m_name = name; }

  CRhinoViewport& Viewport() { return m_viewport; }
  const CRhinoViewport& Viewport() const { return m_viewport; }
  CRhinoViewport& ActiveViewport() { return m_viewport; }
  CRhinoDisplayPipeline* DisplayPipeline() { return &m_pipeline; }
  CRhinoDisplayEngine& Engine() { return *m_engine; }
  const CRhinoDisplayEngine& Engine() const { return *m_engine; }

  // The display mode (copied).
  void SetDisplayMode(const CDisplayPipelineAttributes& attrs);
  // A standard mode by id; false when the id names none.
  bool SetDisplayMode(const ON_UUID& display_mode_id);
  const CDisplayPipelineAttributes& DisplayMode() const {
    return m_pipeline.DisplayModeAttributes();
  }

  // Draws a frame now (the hint is accepted for callers that pass one).
  bool Redraw(int hint = 0);
  unsigned int FrameCount() const { return m_pipeline.FrameCount(); }
  // Frames the document's visible objects; false for an empty document.
  bool ZoomExtents();

  // Draws a frame of width x height pixels (0: the view's size) and saves it
  // as PNG through the engine. False with the reason in error (the engine
  // keeps no pixels, bad size, write failed); the view's size is restored.
  bool CaptureToPng(const std::string& utf8_path, std::string& error, int width = 0,
                    int height = 0);

  // Picks at pixel (x, y): objects hit by their meshes (shaded faces) or
  // curves and wires (within pixel_tolerance pixels), nearest first, each
  // passed through the registered pick filters. Locked, hidden and no-show
  // objects are never picked.
  std::vector<CRhinoPickHit> Pick(int x, int y, double pixel_tolerance = 3.0);

private:
  CRhinoDoc* m_doc;
  ON_wString m_name;
  CRhinoViewport m_viewport;
  std::unique_ptr<CRhinoDisplayEngine> m_engine;
  CRhinoDisplayPipeline m_pipeline;
};

namespace rhino_sdk_internal {
// Every view alive, in creation order.
const std::vector<CRhinoView*>& AllViews();
} // namespace rhino_sdk_internal
