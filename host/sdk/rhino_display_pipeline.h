#pragma once
// CRhinoDisplayPipeline: draws frames of a document through a display
// engine, calling every registered conduit at the channels it asked for.
//
// A view owns one pipeline (and the engine the pipeline draws with); a
// pipeline can also be made on its own for a document and a viewport
// (tests, off-screen captures). The frame driver (DrawFrame) is described
// in rhino_frame_driver.cpp; its order:
//   notification 4 -> channel 0x8 (box, sizes near/far) -> channel 0x2
//   (clipping planes) -> channel 0x80 once -> surface pass (shaded modes) ->
//   wire pass -> channel 0x200 -> notification 5.
// Per object and pass: channel attributes reset, then 0x4000, 0x4, 0x100;
// the host draws the channel's current object when the draw flag is still
// true. Objects are the document's visible objects (normal and locked, not
// deleted, not hidden by the no-show mark) in document order.
//
// Ownership: the pipeline never owns the document, view or viewport it is
// bound to; the engine is owned by the caller (the view) and must outlive
// the pipeline. All pointers may be null: a pipeline without a document
// draws an empty frame; without an engine it draws into a sink that keeps
// nothing.

#include <map>
#include <memory>
#include <vector>

#include "engine/display_engine.h"
#include "opennurbs.h"
#include "rhino_channel_attributes.h"
#include "rhino_display_attributes.h"
#include "rhino_pipeline_state.h"

class CRhinoDoc;
class CRhinoObject;
class CRhinoView;
class CRhinoViewport;
class CRhinoDisplayConduit;

class CRhinoDisplayPipeline {
public:
  // engine: not owned, may be null.
  explicit CRhinoDisplayPipeline(CRhinoDisplayEngine* engine = nullptr);
  ~CRhinoDisplayPipeline();
  CRhinoDisplayPipeline(const CRhinoDisplayPipeline&) = delete;
  CRhinoDisplayPipeline& operator=(const CRhinoDisplayPipeline&) = delete;

  // ---- binding ----
  void SetDocument(CRhinoDoc* doc) { m_doc = doc; }
  CRhinoDoc* Document() const { return m_doc; }
  // The viewport frames are drawn from; null: the pipeline's own default.
  void SetViewport(const CRhinoViewport* viewport) { m_viewport = viewport; }
  void SetView(CRhinoView* view) { m_view = view; }
  CRhinoView* View() const { return m_view; }
  void SetEngine(CRhinoDisplayEngine* engine) { m_engine = engine; }
  // The display mode frames are drawn in (copied).
  void SetDisplayAttributes(const CDisplayPipelineAttributes& attrs) { m_mode_attrs = attrs; }
  const CDisplayPipelineAttributes& DisplayModeAttributes() const { return m_mode_attrs; }

  // ---- the frame driver ----
  // Draws one frame. False when the engine could not start a frame or a
  // frame is already being drawn by this pipeline (re-entrant redraws are
  // refused rather than corrupting the running frame).
  bool DrawFrame();
  bool IsDrawingFrame() const { return m_bInFrame; }
  unsigned int FrameCount() const { return m_frame_count; }
  // Told of every document object a pass reaches (done counts from 1; 0
  // when a pass starts), so a host can show how far a long frame is: the
  // first frame after a change builds what conduits cache. One for all
  // pipelines; null to stop.
  using DrawProgress = void (*)(int pass, size_t done, size_t total);
  static void SetDrawProgress(DrawProgress progress) { s_draw_progress = progress; }

  // ---- what is being drawn ----
  // The current display attributes: the per-object record while an object is
  // being drawn, otherwise the display mode's record. Never null.
  const CDisplayPipelineAttributes* DisplayAttrs() const;
  bool InFeedbackMode() const { return m_state.m_bFeedback; }
  void SetFeedbackMode(bool bFeedback) { m_state.m_bFeedback = bFeedback; }
  // The view is being redrawn during an interactive change (dragged or spun).
  bool IsInteractiveViewChange() const { return m_state.m_bInteractiveViewChange; }
  void SetInteractiveViewChange(bool bInteractive) {
    m_state.m_bInteractiveViewChange = bInteractive;
  }
  bool InOverlayMode() const { return m_state.CurrentPass() == CRhinoPipelineState::overlay_pass; }
  bool DrawingSurfaces() const {
    return m_state.CurrentPass() == CRhinoPipelineState::surface_pass;
  }
  bool DrawingWires() const { return m_state.CurrentPass() == CRhinoPipelineState::wire_pass; }
  bool DrawingGrips() const { return m_state.CurrentPass() == CRhinoPipelineState::grip_pass; }
  // True when the user asked to stop drawing (the installed query says so).
  bool InterruptDrawing() const;
  // Installs the query InterruptDrawing asks (null: never interrupted).
  void SetInterruptQuery(bool (*query)(void* context), void* context);

  // ---- state ----
  // The engine drawn with; never null (a sink that keeps nothing when the
  // pipeline has no engine). bCreate is accepted for callers that pass it
  // and has no effect.
  CRhinoDisplayEngine* Engine(bool bCreate = true) const;
  const ON_Xform& ModelTransform() const { return m_state.ModelTransform(); }
  void SetModelTransform(const ON_Xform& xform);
  int ZBiasMode() const { return m_state.ZBiasMode(); }
  void SetZBiasMode(int mode);
  // Culling modes: 0 none, 1 cull back faces, 2 cull front faces.
  int CullFaceMode() const { return m_state.CullFaceMode(); }
  void PushCullFaceMode(int mode);
  void PopCullFaceMode();

  // ---- drawing (world coordinates, under the model transform) ----
  // attrs null: the current display attributes.
  void DrawShadedMesh(const ON_Mesh& mesh, const CDisplayPipelineAttributes* attrs = nullptr);
  // thickness 0: the current attributes' mesh wire thickness. Wires use the
  // current attributes' mesh wire pattern.
  void DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness = 0);
  void DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color, int thickness = 1,
                unsigned int pattern = 0xFFFFFFFFu);
  void DrawPolyline(const ON_Polyline& polyline, ON_Color color, int thickness = 1,
                    unsigned int pattern = 0xFFFFFFFFu);
  void DrawPoint(const ON_3dPoint& point, ON_Color color, int size = 3);
  // Draws the object's shaded meshes (surface pass) or its Draw (other
  // passes) with the object's display attributes, as the host does for the
  // channel's current object.
  void DrawObject(const CRhinoObject& object);

  // ---- per-object answers ----
  // The object's display attributes in this pipeline: while an object's
  // channels run, the object being drawn and the channel's current object
  // (a substitute) share the one per-object record; any other object gets a
  // record made for it that lives until the next frame. override_attributes
  // may be null. Null only for a null object.
  const CDisplayPipelineAttributes*
  GetObjectDisplayAttrs(const CRhinoObject* object,
                        const ON_3dmObjectAttributes* override_attributes = nullptr);
  // The owner (an instance reference) at the channel's object owner index,
  // or null when the object is drawn for itself.
  const CRhinoObject* GetObjectOwner(int owner_index) const;
  // The viewport frames are drawn from; never null.
  const CRhinoViewport* GetRhinoVP() const;
  // The channel attributes of the running frame.
  CChannelAttributes& ChannelAttributes() { return m_channel; }

  // Fills attrs with the display mode's record adjusted for object (colour,
  // material, selection and lock highlighting). An object whose colour is
  // only the default layer's black is shaded light grey (200,200,200); its
  // display colour, used for wires and edges, stays black.
  void MakeObjectDisplayAttributes(const CRhinoObject& object,
                                   CDisplayPipelineAttributes& attrs) const;

private:
  // frame driver (rhino_frame_driver.cpp)
  void Notify(int notification);
  void RunChannel(unsigned int channel);
  void DrawPass(CRhinoPipelineState::pass pass);
  void DrawDocumentObject(const CRhinoObject& object, int owner_index, int depth);
  void DrawWithAttributes(const CRhinoObject& object, const CDisplayPipelineAttributes& attrs);
  void BindConduit(CRhinoDisplayConduit& conduit);
  static void UnbindConduit(CRhinoDisplayConduit& conduit);

  CRhinoDoc* m_doc = nullptr;
  CRhinoView* m_view = nullptr;
  const CRhinoViewport* m_viewport = nullptr;
  std::unique_ptr<CRhinoViewport> m_default_viewport;
  CRhinoDisplayEngine* m_engine = nullptr;
  std::unique_ptr<CRhinoDisplayEngine> m_sink;
  CDisplayPipelineAttributes m_mode_attrs;
  // The mode's record as conduits see it during a frame (changes they make
  // outside an object last for that frame only).
  CDisplayPipelineAttributes m_frame_attrs;
  // The viewport of the running frame, near and far sized to the frame's box.
  std::unique_ptr<CRhinoViewport> m_frame_viewport;
  CRhinoPipelineState m_state;
  CChannelAttributes m_channel;
  // Per-object record of the object whose channels are running, or null.
  CDisplayPipelineAttributes* m_object_attrs = nullptr;
  const CRhinoObject* m_current_object = nullptr;
  // Owners (instance references) of the members being drawn, outermost first.
  std::vector<const CRhinoObject*> m_owners;
  // Records made by GetObjectDisplayAttrs for other objects, per frame.
  std::map<unsigned int, std::unique_ptr<CDisplayPipelineAttributes>> m_attrs_cache;
  bool (*m_interrupt_query)(void*) = nullptr;
  void* m_interrupt_context = nullptr;
  bool m_bInFrame = false;
  unsigned int m_frame_count = 0;
  static inline DrawProgress s_draw_progress = nullptr;
};
