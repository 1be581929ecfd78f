#pragma once
// CRhinoDisplayConduit: code outside the host that takes part in drawing.
//
// A conduit asks for a set of channels (bit values below) at construction
// and registers itself with the host right away, so static conduits of
// libraries are known once the library is loaded. The host calls
// NotifyConduit at the start (4) and end (5) of every frame and ExecConduit
// for each asked-for channel, always with the context bound (m_pDoc,
// m_pVP, m_pChannelAttrs, m_pDisplayAttrs, m_pPipeline); between calls those
// members are null. Only enabled conduits are called, in registration
// order; a conduit enabled while a notification is being delivered still
// hears that notification when the host reaches it. The destructor
// unregisters, also after every document and view is gone.
//
// Constructor flag (host decision): true = enabled from construction,
// false = starts disabled until Enable() is called.
//
// Channel order of a frame and the meaning of the channel values: see
// ARCHITECTURE ("A frame") and CRhinoDisplayPipeline::DrawFrame.

#include "opennurbs.h"

class CRhinoDoc;
class CRhinoViewport;
class CRhinoDisplayPipeline;
class CChannelAttributes;
class CDisplayPipelineAttributes;

class CRhinoDisplayConduit {
public:
  // Channel values.
  enum channel : unsigned int {
    channel_clipping_planes = 0x2,        // append extra clipping planes
    channel_object_culling = 0x4,         // clear m_bDrawObject to skip an object
    channel_bounding_box = 0x8,           // replace or grow the frame's box
    channel_pre_objects = 0x80,           // once per frame, before the object passes
    channel_draw_object = 0x100,          // draw or substitute the current object
    channel_post_objects = 0x200,         // once per frame, after all objects
    channel_object_display_attrs = 0x4000 // change the current object's display attributes
  };

  // Notification codes.
  enum notification : int {
    notify_frame_begins = 4,
    notify_frame_ends = 5,
  };

  CRhinoDisplayConduit(unsigned int channel_set, bool bEnabled);
  virtual ~CRhinoDisplayConduit();
  CRhinoDisplayConduit(const CRhinoDisplayConduit&) = delete;
  CRhinoDisplayConduit& operator=(const CRhinoDisplayConduit&) = delete;

  // One call per asked-for channel; return value is ignored by this host
  // but should be true. Set bTerminateChannel to stop later conduits from
  // hearing this channel for this object. Default: nothing, true.
  virtual bool ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel,
                           bool& bTerminateChannel);
  // Numbered notifications (codes above). Default: nothing.
  virtual void NotifyConduit(int notification, CRhinoDisplayPipeline& pipeline);

  bool IsEnabled() const { return m_bEnabled; }
  void Enable() { m_bEnabled = true; }
  void Disable() { m_bEnabled = false; }
  void Enable(bool bEnable) { m_bEnabled = bEnable; }
  unsigned int ChannelSet() const { return m_channels; }
  void SetChannelSet(unsigned int channel_set) { m_channels = channel_set; }
  bool WantsChannel(unsigned int channel) const { return (m_channels & channel) != 0; }

  // True while the host has bound a pipeline context (inside its calls).
  bool IsBound() const { return m_pPipeline != nullptr; }

  // ---- bound context, set by the host around each call ----
  // The pipeline's document, or null for a view without one. Writable: a
  // conduit may point another conduit at a document for a while.
  CRhinoDoc* m_pDoc = nullptr;
  // The pipeline's viewport, or null.
  const CRhinoViewport* m_pVP = nullptr;
  CChannelAttributes* m_pChannelAttrs = nullptr;
  // The current display attributes: the per-object record while an object's
  // channels run, otherwise the view's display-mode record.
  CDisplayPipelineAttributes* m_pDisplayAttrs = nullptr;
  CRhinoDisplayPipeline* m_pPipeline = nullptr;

private:
  unsigned int m_channels;
  bool m_bEnabled;
};

namespace rhino_sdk_internal {

// Calls fn for every registered conduit that is enabled when it is reached,
// in registration order; conduits registered during the walk are reached
// too. Host-internal.
void ForEachEnabledConduit(void (*fn)(CRhinoDisplayConduit&, void*), void* context);
int RegisteredConduitCount();

} // namespace rhino_sdk_internal
