// The conduit object itself: its one instance, which display modes it
// works in, and the frame counter that stamps cutting objects.

#include "conduit/builds_ahead.h"
#include "conduit/cut_reuse.h"
#include "conduit/kyrel_conduit.h"
#include "userdata/section_geometry.h"

namespace {

// Channels: clipping planes, culling, bounding box, the ignored pre-object
// channel, object drawing, after all objects, per-object display attributes.
constexpr unsigned int kConduitChannels = 0x438E;

} // namespace

CKyrelConduit* CKyrelConduit::Instance() {
  // Made on first use and destroyed at unload, after nothing else in the
  // library can reach it any more.
  static CKyrelConduit conduit;
  return &conduit;
}

CKyrelConduit::CKyrelConduit()
    : CRhinoDisplayConduit(kConduitChannels, false), m_interfere(this),
      m_builds_ahead(std::make_unique<BuildsAhead>()), m_cut_reuse(std::make_unique<CutReuse>()) {
  m_mirror_xform.Mirror(m_mirror_position, m_mirror_direction);
}

CKyrelConduit::~CKyrelConduit() {
  DiscardCuttingMeshes();
}

bool CKyrelConduit::IsSupportedPipeline(const CRhinoDisplayPipeline& pipeline) {
  const CDisplayPipelineAttributes* attrs = pipeline.DisplayAttrs();
  const CDisplayPipelineAttributes* wireframe = CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  if (attrs == nullptr || wireframe == nullptr) return true;
  return attrs->Id() != wireframe->Id();
}

bool CKyrelConduit::IsCuttingActive() const {
  return m_intersection_meshes.Count() > 0 ||
         (m_difference_meshes.Count() > 0 && !IsInterfereEnabled());
}

void CKyrelConduit::NotifyConduit(int notification, CRhinoDisplayPipeline& pipeline) {
  if (!IsBound()) return;
  if (notification != notify_frame_begins) return;
  // Only frames that draw the model at rest in a supported mode count, so
  // dragging or feedback does not age the cutting objects' stamps.
  if (IsInterfereEnabled() || pipeline.InFeedbackMode() || pipeline.IsInteractiveViewChange() ||
      !IsSupportedPipeline(pipeline))
    return;
  ++m_notify_count;
}

bool IsCuttingObject(const CRhinoObject* object) {
  return object != nullptr && object->GetAttributeUserData(TV_SectionGeometry::UUID()) != nullptr;
}
