#pragma once
// A document with a shaded view, driven frame by frame through the real
// display pipeline, with the service and section conduit put back to their
// load-time state first. Shared by the service and conduit tests.

#include <memory>

#include "conduit/kyrel_conduit.h"
#include "rhinoSdk.h"
#include "service/kyrel_service.h"
#include "support/test_meshes.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace service_test {

// A client cutter whose answers a test sets, counting the update's calls.
class TestClipper : public Tarvik::Vantrel::IClippingObject {
public:
  explicit TestClipper(int mode = 1, int level = 1) : mode(mode), level(level) {}
  virtual ~TestClipper() = default;
  int ClippingMode() override { return mode; }
  int ChangeLevel() override {
    ++change_level_calls;
    return level;
  }
  bool IsMeshReady() override { return ready; }
  const ON_Mesh* Mesh() override { return mesh_present ? &mesh : nullptr; }

  int mode;
  int level;
  bool ready = true;
  bool mesh_present = true;
  ON_Mesh mesh = test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  int change_level_calls = 0;
};

inline CKyrelConduit& Conduit() {
  return *CKyrelConduit::Instance();
}
inline CKyrelService& Service() {
  return *CKyrelService::Instance();
}

// Puts the process-wide service and conduit back to their load-time state:
// no clients, no cutting meshes, nothing counted, a rebuild pending.
inline void ResetService() {
  CKyrelConduit& conduit = Conduit();
  conduit.m_clipping_objects.Empty();
  conduit.m_bClippingEnabled = true;
  conduit.EnableMirroring(false);
  conduit.SetMirrorPosition(ON_3dPoint(0, 0, 0));
  conduit.SetMirrorDirection(ON_3dVector(1, 0, 0));
  conduit.m_interfere.m_bEnabled = false;
  {
    // A frame of an empty document with a rebuild pending finds no source
    // and so drops every cutting mesh and forgets the last source count.
    CRhinoDoc empty;
    CRhinoView view(&empty, 64, 64);
    view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
    Service().m_bDocumentChanged = true;
    view.Redraw();
  }
  conduit.m_rebuild_level = 2;
  conduit.m_notify_count = 0;
  Service().m_bDocumentChanged = true;
}

// A document and a shaded view of it on the recording engine.
struct Scene {
  // A document of the test's own, or `app_document` (one the application
  // owns, so that it can be the active document).
  explicit Scene(CRhinoDoc* app_document = nullptr)
      : owned(app_document ? nullptr : std::make_unique<CRhinoDoc>()),
        doc(app_document ? *app_document : *owned) {
    ResetService();
    Shaded();
  }
  ~Scene() {
    for (TestClipper* clipper : registered)
      Service().RemoveClippingObject(clipper);
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  std::unique_ptr<CRhinoDoc> owned;
  CRhinoDoc& doc;
  CRhinoView view{&doc, 200, 150};
  std::vector<TestClipper*> registered;

  CRhinoRecordingEngine& Engine() { return static_cast<CRhinoRecordingEngine&>(view.Engine()); }
  void Shaded() { view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs()); }
  void Wireframe() { view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdWireframeAttrs()); }
  bool Frame() { return view.Redraw(); }
  void Register(TestClipper& clipper) {
    Service().AddClippingObject(&clipper);
    registered.push_back(&clipper);
  }

  // A mesh object that is a cutting object with the given mode.
  CRhinoMeshObject* AddCutter(const ON_Mesh& mesh, int mode) {
    CRhinoMeshObject* object = doc.AddMeshObject(mesh);
    if (object == nullptr) return nullptr;
    auto* geometry = new TV_SectionGeometry();
    geometry->m_mode = mode;
    if (!object->AttachAttributeUserData(geometry)) {
      delete geometry;
      return nullptr;
    }
    return object;
  }
  CRhinoMeshObject* AddBox(const ON_3dPoint& a, const ON_3dPoint& b) {
    return doc.AddMeshObject(test_meshes::Box(a, b));
  }
};

inline TV_SectionGeometry* GeometryOf(const CRhinoObject* object) {
  return object ? TV_SectionGeometry::Cast(object->GetAttributeUserData(TV_SectionGeometry::UUID()))
                : nullptr;
}

inline TV_SectionCache* CacheOf(const CRhinoObject* object) {
  return object ? TV_SectionCache::Cast(object->GetUserData(TV_SectionCache::UUID())) : nullptr;
}

// Attaches a section cache that looks built, with one entry per clip
// state given; returns it (owned by the object).
inline TV_SectionCache* AttachBuiltCache(CRhinoObject& object, std::initializer_list<int> states) {
  // A frame may have built the object's real cache already: this one takes its place.
  if (auto* built = TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()))) {
    if (!object.DetachUserData(built)) return nullptr;
    delete built;
  }
  auto* cache = new TV_SectionCache();
  cache->m_phantom.m_source = &object;
  for (int state : states) {
    DS_MeshCache& entry = cache->m_phantom.m_caches.AppendNew();
    entry.m_clip_state = state;
    entry.m_bComputed = true;
    entry.m_object = &object;
    entry.m_meshes.Append(new ON_Mesh(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1))));
  }
  cache->m_phantom.m_bBuilt = true;
  if (!object.AttachUserData(cache)) {
    delete cache;
    return nullptr;
  }
  return cache;
}

} // namespace service_test
