// The service object: construction, the clipping switch and registry, and
// the switching of the section conduit at the start and end of frames.

#include "service/kyrel_service.h"

#include "conduit/kyrel_conduit.h"

CKyrelService::CKyrelService() : CRhinoDisplayConduit(0, true) {
  Register();
  // Off until the first rebuild: m_bDocumentChanged already asks for one.
  CRhinoEventWatcher::Enable(false);
}

CKyrelService::~CKyrelService() = default;

bool CKyrelService::IsClippingEnabled() const {
  return CKyrelConduit::Instance()->m_bClippingEnabled;
}

void CKyrelService::EnableClipping(bool bEnable) {
  CKyrelConduit::Instance()->m_bClippingEnabled = bEnable;
}

void CKyrelService::AddClippingObject(Tarvik::Vantrel::IClippingObject* object) {
  // Every registered entry is called later without a check, so a null
  // from one careless client must not get in.
  if (object == nullptr) return;
  ON_SimpleArray<Tarvik::Vantrel::IClippingObject*>& registry =
      CKyrelConduit::Instance()->m_clipping_objects;
  if (registry.Search(object) < 0) registry.Append(object);
}

void CKyrelService::RemoveClippingObject(Tarvik::Vantrel::IClippingObject* object) {
  ON_SimpleArray<Tarvik::Vantrel::IClippingObject*>& registry =
      CKyrelConduit::Instance()->m_clipping_objects;
  const int index = registry.Search(object);
  if (index >= 0) registry.Remove(index);
}

bool CKyrelService::ExecConduit(CRhinoDisplayPipeline&, unsigned int, bool&) {
  return true;
}

void CKyrelService::NotifyConduit(int notification, CRhinoDisplayPipeline& pipeline) {
  (void)pipeline;
  CKyrelConduit* conduit = CKyrelConduit::Instance();
  if (notification == notify_frame_ends) {
    if (conduit->IsEnabled()) conduit->Disable();
    return;
  }
  if (notification != notify_frame_begins || conduit->IsEnabled()) return;

  bool bWanted = conduit->m_bClippingEnabled && conduit->m_clipping_objects.Count() > 0;
  // The rebuild needs the frame's document; a frame without one leaves the
  // request pending for the next frame that has one.
  if (m_bDocumentChanged && m_pDoc != nullptr) {
    conduit->m_pDoc = m_pDoc;
    conduit->UpdateCuttingMeshes(ON::render_mesh);
    conduit->m_pDoc = nullptr;
    m_bDocumentChanged = false;
    CRhinoEventWatcher::Enable(true);
  }
  if (conduit->m_intersection_meshes.Count() > 0 || conduit->m_difference_meshes.Count() > 0 ||
      conduit->IsInterfereEnabled() || conduit->IsMirroringEnabled())
    bWanted = true;
  if (bWanted) conduit->Enable();
}
