#pragma once
// CRhinoEventWatcher: the base class through which code outside the host
// hears about document, command, object, table, view and undo changes.
//
// A watcher hears nothing until Register() is called. Registered watchers
// are called on the UI thread in registration order; a watcher that is
// disabled (Enable(false)) is skipped but stays registered. A watcher that
// is destroyed unregisters itself, so static watchers of libraries that are
// unloaded before the host ends are safe. Watchers may register, unregister,
// enable or disable themselves or others from inside an event: a watcher
// registered during an event first hears the next event; one unregistered
// during an event is not called again.
//
// Order of events for a command that adds an object (host decision):
//   OnBeginCommand, UndoEvent(begin_recording), OnAddObject, ...,
//   UndoEvent(end_recording), OnEndCommand.
// end_recording is sent only when the record holds at least one change, so
// it always means "a model change is complete". Undo and redo send
// begin_undo / end_undo (begin_redo / end_redo) around the object events
// that restore the model.

#include "opennurbs.h"

class CRhinoDoc;
class CRhinoObject;
class CRhinoView;
class CRhinoCommand; // defined by the command framework (ui/); only passed by pointer here

class CRhinoEventWatcher {
public:
  // Values of the undo events. end_recording (2) is relied on by clients.
  enum undo_event : int {
    no_undo_event = 0,
    begin_recording = 1,
    end_recording = 2,
    begin_undo = 3,
    end_undo = 4,
    begin_redo = 5,
    end_redo = 6,
    purge_record = 7, // a record was dropped from the undo or redo list
  };

  // What happened to a table entry; the index is the entry's table index.
  enum table_event : int {
    table_added = 0,
    table_deleted = 1,
    table_undeleted = 2,
    table_modified = 3,
    table_sorted = 4, // index is -1
    table_current_changed = 5,
  };

  CRhinoEventWatcher();
  virtual ~CRhinoEventWatcher(); // unregisters
  CRhinoEventWatcher(const CRhinoEventWatcher&) = delete;
  CRhinoEventWatcher& operator=(const CRhinoEventWatcher&) = delete;

  // From Register() on (and until UnRegister()) the host calls the events.
  // Registering twice is harmless.
  void Register();
  void UnRegister();
  bool IsRegistered() const;
  // A disabled watcher receives no events. Watchers start enabled.
  void Enable(bool bEnable);
  bool IsEnabled() const;

  // ---- virtual events; every default does nothing ----
  // documents
  virtual void OnCloseDocument(CRhinoDoc& doc);
  virtual void OnNewDocument(CRhinoDoc& doc);
  virtual void OnBeginOpenDocument(CRhinoDoc& doc, const wchar_t* file_name, bool bMerge,
                                   bool bReference);
  virtual void OnEndOpenDocument(CRhinoDoc& doc, const wchar_t* file_name, bool bMerge,
                                 bool bReference);
  virtual void OnBeginSaveDocument(CRhinoDoc& doc, const wchar_t* file_name, bool bExportSelected);
  virtual void OnEndSaveDocument(CRhinoDoc& doc, const wchar_t* file_name, bool bExportSelected);
  virtual void OnDocumentPropertiesChanged(CRhinoDoc& doc);
  virtual void OnAppSettingsChanged();
  // commands; command may be null for changes the host makes itself.
  // result: the command's result value as the command framework defines it.
  virtual void OnBeginCommand(CRhinoDoc& doc, const CRhinoCommand* command);
  virtual void OnEndCommand(CRhinoDoc& doc, const CRhinoCommand* command, int result);
  // objects
  virtual void OnAddObject(CRhinoDoc& doc, CRhinoObject& object);
  virtual void OnDeleteObject(CRhinoDoc& doc, CRhinoObject& object);
  virtual void OnReplaceObject(CRhinoDoc& doc, CRhinoObject& old_object, CRhinoObject& new_object);
  virtual void OnUnDeleteObject(CRhinoDoc& doc, CRhinoObject& object);
  // The object is about to be destroyed for good (no undo can bring it back).
  virtual void OnPurgeObject(CRhinoDoc& doc, CRhinoObject& object);
  virtual void OnSelectObject(CRhinoDoc& doc, const CRhinoObject& object);
  virtual void OnDeselectObject(CRhinoDoc& doc, const CRhinoObject& object);
  virtual void OnModifyObjectAttributes(CRhinoDoc& doc, CRhinoObject& object,
                                        const ON_3dmObjectAttributes& old_attributes);
  virtual void OnUpdateObjectMesh(CRhinoDoc& doc, CRhinoObject& object, ON::mesh_type mesh_type);
  // tables
  virtual void LayerTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void LinetypeTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void InstanceDefinitionTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void LightTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void MaterialTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void TextureMappingTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void GroupTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void FontTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void DimStyleTableEvent(table_event type, CRhinoDoc& doc, int index);
  virtual void HatchPatternTableEvent(table_event type, CRhinoDoc& doc, int index);
  // views
  virtual void OnCreateView(CRhinoView* view);
  virtual void OnDestroyView(CRhinoView* view);
  virtual void OnSetActiveView(CRhinoView* view);
  // undo; record_serial_number is the record's number (0 when none)
  virtual void UndoEvent(undo_event type, unsigned int record_serial_number,
                         const CRhinoCommand* command);

private:
  bool m_bEnabled = true;
};
