#pragma once
// CKyrelService: the process-wide display service. Clients reach it as
// Tarvik::Vantrel::IService through the exported TarvikVantrelService().
//
// Besides the client interface it is a display conduit that asks for no
// channel (it only hears the frame notifications, with which it switches
// the section conduit on and off) and a document event watcher (which
// tells it that the cutting meshes need a rebuild). It owns no geometry:
// every list it touches lives in the section conduit.
//
// The IService base comes first, so an IService* and a CKyrelService* to
// the service are the same address.
//
// One static object of the library, constructed at load; its watcher is
// registered and switched off at once and switched on again only after
// each rebuild, so any burst of document events costs one rebuild.

#include "rhinoSdk.h"
#include "api/service_interface.h"

class CKyrelService : public Tarvik::Vantrel::IService,
                      private CRhinoDisplayConduit,
                      private CRhinoEventWatcher {
public:
  CKyrelService();
  ~CKyrelService() override;
  CKyrelService(const CKyrelService&) = delete;
  CKyrelService& operator=(const CKyrelService&) = delete;

  // The service object; never null.
  static CKyrelService* Instance();

  // ---- Tarvik::Vantrel::IService ----
  bool IsClippingEnabled() const override;
  void EnableClipping(bool bEnable) override;
  void AddClippingObject(Tarvik::Vantrel::IClippingObject* object) override;
  void RemoveClippingObject(Tarvik::Vantrel::IClippingObject* object) override;
  void DiscardObjectCache(unsigned int serial) override;
  bool GetObjectMeshes(unsigned int serial, ON_SimpleArray<const ON_Mesh*>& meshes) override;
  void BeginRender() override;
  void EndRender() override;

  // A document event arrived since the cutting meshes were last rebuilt.
  // Starts true, so the first frame builds them.
  bool m_bDocumentChanged = true;

private:
  // ---- conduit: frame notifications only ----
  bool ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel,
                   bool& bTerminateChannel) override;
  // 4: rebuild after document events, then switch the section conduit on
  // when it has anything to do; 5: switch it off.
  void NotifyConduit(int notification, CRhinoDisplayPipeline& pipeline) override;

  // ---- watcher: each event marks the document changed and switches the
  // watcher off until the next rebuild ----
  void DocumentChanged();
  void OnNewDocument(CRhinoDoc& doc) override;
  void OnEndOpenDocument(CRhinoDoc& doc, const wchar_t* file_name, bool bMerge,
                         bool bReference) override;
  void OnDocumentPropertiesChanged(CRhinoDoc& doc) override;
  void OnAppSettingsChanged() override;
  void OnBeginCommand(CRhinoDoc& doc, const CRhinoCommand* command) override;
  void OnEndCommand(CRhinoDoc& doc, const CRhinoCommand* command, int result) override;
  void OnAddObject(CRhinoDoc& doc, CRhinoObject& object) override;
  void OnDeleteObject(CRhinoDoc& doc, CRhinoObject& object) override;
  void OnReplaceObject(CRhinoDoc& doc, CRhinoObject& old_object, CRhinoObject& new_object) override;
  void OnUnDeleteObject(CRhinoDoc& doc, CRhinoObject& object) override;
  void OnModifyObjectAttributes(CRhinoDoc& doc, CRhinoObject& object,
                                const ON_3dmObjectAttributes& old_attributes) override;
  void OnUpdateObjectMesh(CRhinoDoc& doc, CRhinoObject& object, ON::mesh_type mesh_type) override;
  void LayerTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void LinetypeTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void InstanceDefinitionTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void LightTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void MaterialTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void TextureMappingTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void GroupTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void FontTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void DimStyleTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void HatchPatternTableEvent(table_event type, CRhinoDoc& doc, int index) override;
  void UndoEvent(undo_event type, unsigned int record_serial_number,
                 const CRhinoCommand* command) override;
};
