#pragma once
// CRhinoDoc: a model: its objects, tables, settings, undo history and the
// redraw requests for the views that show it.
//
// Ownership: the document owns every object added to it, deleted ones
// included. A deleted object is destroyed once no undo or redo record can
// bring it back, and only at a safe point: the end of the outermost command,
// a change of the undo history, PurgeDeletedObjects (the application's idle
// time) or the document's end; never while an iteration over the document
// runs. So a caller may keep reading an object it has just deleted.
// Objects handed to AddObject / ReplaceObject that belong to no document are
// owned by the document from the call on, accepted or not: a refused object
// is destroyed, so callers never keep a pointer to what they handed over.
//
// Events: every change is reported to the registered event watchers right
// after it happened (see rhino_event_watcher.h for the order around
// commands and undo).
//
// Undo: changes are recorded while an undo record is open
// (BeginUndoRecord .. EndUndoRecord, which the command framework calls
// around every command). A command that disables undo opens no record; its
// changes are not undoable and leave the history as it was. Changes made
// outside a command are not recorded either. Undo and Redo restore objects
// and their attributes, attribute user data included (copied as each record
// class copies itself).
//
// Threads: everything on the UI thread, except AbsoluteTolerance(), which
// may be read from any thread.

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "rhino_doc_properties.h"
#include "rhino_instance.h"
#include "rhino_layer_table.h"
#include "rhino_material_table.h"
#include "rhino_object.h"
#include "rhino_objref.h"

class CRhinoCommand;
class CRhinoHistory; // never defined by this host; AddMeshObject accepts only null
class CRhinoMeshObject;
class CRhinoBrepObject;
class CRhinoCurveObject;
class CRhinoInstanceObject;
class CRhinoClippingPlaneObject;
class CRhinoUndoHistory;
class CRhinoUndoRecord;

class CRhinoDoc {
public:
  // Redraw hints (host decision):
  //   redraw_hint_default (0): redraw the frames;
  //   redraw_hint_view (1): the view changed (same as 0 here);
  //   redraw_hint_full (2): full redraw, also re-reading the document box.
  enum redraw_hint : int { redraw_hint_default = 0, redraw_hint_view = 1, redraw_hint_full = 2 };

  CRhinoDoc();
  virtual ~CRhinoDoc();
  CRhinoDoc(const CRhinoDoc&) = delete;
  CRhinoDoc& operator=(const CRhinoDoc&) = delete;

  // Unique for the life of the process, never 0.
  unsigned int RuntimeSerialNumber() const { return m_serial; }
  const ON_wString& FileName() const { return m_file_name; }
  void SetFileName(const wchar_t* file_name) { m_file_name = file_name; }
  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool bModified) { m_bModified = bModified; }

  // ---- objects ----
  // Adds object (see ownership above). bReference: the object comes from a
  // linked file (reference category, not recorded for undo). bQuiet: no
  // OnAddObject event. Refused: null, objects of a document, objects
  // without usable geometry (a mesh object without faces, a brep object
  // without a brep, ...). Returns whether the document accepted it.
  bool AddObject(CRhinoObject* object, bool bReference = false, bool bQuiet = false);
  // New mesh object with a copy of mesh; attributes null: default attributes
  // on the current layer. history must be null. Null when refused.
  CRhinoMeshObject* AddMeshObject(const ON_Mesh& mesh,
                                  const ON_3dmObjectAttributes* attributes = nullptr,
                                  CRhinoHistory* history = nullptr, bool bReference = false);
  CRhinoBrepObject* AddBrepObject(const ON_Brep& brep,
                                  const ON_3dmObjectAttributes* attributes = nullptr);
  CRhinoCurveObject* AddCurveObject(const ON_PolylineCurve& curve,
                                    const ON_3dmObjectAttributes* attributes = nullptr);
  // Null when the index names no (undeleted) definition.
  CRhinoInstanceObject* AddInstanceObject(int instance_definition_index, const ON_Xform& xform,
                                          const ON_3dmObjectAttributes* attributes = nullptr);
  CRhinoClippingPlaneObject*
  AddClippingPlaneObject(const ON_Plane& plane, double half_width, double half_height,
                         const ON_3dmObjectAttributes* attributes = nullptr);

  // Deletes the referenced object (it stays in the document for undo and
  // undelete). bQuiet: no message to the user (this host never shows one).
  // bIgnoreModes: delete locked and hidden objects too; otherwise those are
  // refused. False for objects of other documents or already deleted.
  bool DeleteObject(const CRhinoObjRef& objref, bool bQuiet = true, bool bIgnoreModes = false);
  // Brings back a deleted object still held by the document.
  bool UndeleteObject(const CRhinoObject* object);
  // Puts new_object in the referenced object's place (same id, same place
  // in document order); the old object is kept deleted for undo. See the
  // ownership rules above for new_object. False when refused.
  bool ReplaceObject(const CRhinoObjRef& objref, CRhinoObject* new_object);
  // Transformed copy of the object that replaces it (bDeleteOriginal) or is
  // added beside it with a new id. Null when refused.
  CRhinoObject* TransformObject(const CRhinoObjRef& objref, const ON_Xform& xform,
                                bool bDeleteOriginal = true, bool bIgnoreModes = false);
  // Replaces the object's attributes with a copy of new_attributes (the id
  // stays). Recorded for undo; reported with OnModifyObjectAttributes.
  bool ModifyObjectAttributes(const CRhinoObjRef& objref,
                              const ON_3dmObjectAttributes& new_attributes, bool bQuiet = false);

  // The undeleted object with that id / runtime serial number, or null.
  CRhinoObject* LookupObject(const ON_UUID& id) const;
  CRhinoObject* LookupObjectByRuntimeSerialNumber(unsigned int serial_number) const;
  // Undeleted objects of the document.
  int ObjectCount() const;
  // Destroys deleted objects no undo record holds (a safe point, see
  // above); returns how many. Does nothing inside a command or iteration.
  int PurgeDeletedObjects();

  // Deselects every object; returns how many were selected.
  int UnselectAll(bool bIgnorePersistentSelections = false);

  // ---- views ----
  // Draws every view of the document now.
  void Redraw(int hint = redraw_hint_default);
  // Asks for one redraw of the document's views later (the application
  // draws pending documents when it is idle, see CRhinoApp).
  void DeferredRedraw() { m_bRedrawPending = true; }
  bool IsRedrawPending() const { return m_bRedrawPending; }
  // Draws now when a redraw is pending; returns whether it drew.
  bool FlushDeferredRedraw();
  // The views are redrawn when the current command ends. display_mode is a
  // CDisplayPipelineAttributes::display_mode value: only views in that mode
  // are redrawn (0: every view). Outside a command: a deferred redraw.
  void SetRedrawDisplayHint(unsigned int hint, int display_mode = 0);
  // Remakes render meshes made with other settings than the document's
  // current ones (reported with OnUpdateObjectMesh), then redraws all views.
  void Regen();
  // Number of frames the document's views have drawn (for tests and logs).
  unsigned int RedrawCount() const { return m_redraw_count; }

  // ---- settings ----
  double AbsoluteTolerance() const { return m_tolerance.load(std::memory_order_relaxed); }
  // Values that are not finite and positive are refused.
  bool SetAbsoluteTolerance(double tolerance);
  // Box of the visible objects (normal and locked, not hidden by marks); empty
  // for an empty document.
  ON_BoundingBox BoundingBox() const;
  CRhinoDocProperties& Properties() { return m_properties; }
  const CRhinoDocProperties& Properties() const { return m_properties; }
  CRhinoLayerTable& LayerTable() { return m_layers; }
  const CRhinoLayerTable& LayerTable() const { return m_layers; }
  CRhinoMaterialTable& MaterialTable() { return m_materials; }
  const CRhinoMaterialTable& MaterialTable() const { return m_materials; }
  CRhinoInstanceDefinitionTable& InstanceDefinitionTable() { return m_idefs; }
  const CRhinoInstanceDefinitionTable& InstanceDefinitionTable() const { return m_idefs; }

  // ---- commands and undo ----
  // Opens a command: fires OnBeginCommand and, when bUndoEnabled, opens an
  // undo record (UndoEvent begin_recording). Commands may nest (a command
  // running another); only the outermost opens a record. Returns the record's
  // serial number, or 0 when none was opened.
  unsigned int BeginUndoRecord(const CRhinoCommand* command, bool bUndoEnabled = true);
  // Closes the innermost command: closes its record when it opened one
  // (UndoEvent end_recording when the record holds changes; an empty
  // record is dropped silently), then fires OnEndCommand with
  // command_result, then carries out a redraw hint set during the command.
  // Does nothing without an open command.
  void EndUndoRecord(int command_result = 0);
  bool IsCommandRunning() const { return !m_command_stack.empty(); }
  bool IsRecordingUndo() const;

  bool CanUndo() const;
  bool CanRedo() const;
  // Undoes the newest record (UndoEvent begin_undo / end_undo around the
  // object events that restore the model). False when there is none or an
  // undo record is open (so the command that calls Undo must run with undo
  // disabled).
  bool Undo();
  bool Redo();
  int UndoRecordCount() const;
  int RedoRecordCount() const;
  // Drops the whole history (UndoEvent purge_record per record).
  void ClearUndoRecords();
  // Most records kept; older ones are dropped (default 50, at least 1).
  void SetMaxUndoRecords(int count);

  // ---- reading ----
  // The file reader brackets reading a file into the document with these:
  // OnBeginOpenDocument / OnEndOpenDocument to the event watchers.
  void BeginOpenDocument(const wchar_t* file_name, bool bMerge, bool bReference);
  void EndOpenDocument(const wchar_t* file_name, bool bMerge, bool bReference);

  // ---- saving ----
  // Writes the document; the application installs the writer (file formats
  // live there). file_name null: the writer asks for the target file and
  // format. bUseDialog: the writer may prompt. False without a writer or
  // when writing failed or was cancelled.
  virtual bool SaveDocument(const wchar_t* file_name = nullptr, bool bUseDialog = true);
  using SaveHandler =
      std::function<bool(CRhinoDoc& doc, const wchar_t* file_name, bool bUseDialog)>;
  static void SetSaveHandler(SaveHandler handler);

  // ---- host internals ----
  // Objects in document order, deleted ones included (null never). Used by
  // iterators and the display; hold an IterationGuard while walking.
  const std::vector<CRhinoObject*>& ObjectList() const { return m_objects; }
  // While any guard is alive, no object of the document is freed.
  class IterationGuard {
  public:
    explicit IterationGuard(const CRhinoDoc& doc);
    ~IterationGuard();
    IterationGuard(const IterationGuard&) = delete;
    IterationGuard& operator=(const IterationGuard&) = delete;

  private:
    const CRhinoDoc& m_doc;
  };
  // Fires OnSelectObject / OnDeselectObject for the object's new state.
  void ObjectSelectionChanged(const CRhinoObject& object);
  // Called by views after each frame they drew for the document.
  void CountRedraw() { ++m_redraw_count; }
  // Attribute user data attached to or removed from a document object:
  // recorded for undo (the record keeps a detached record alive) and
  // reported with OnModifyObjectAttributes. Called by CRhinoObject.
  void AttributeUserDataAttached(CRhinoObject& object, ON_UserData* user_data,
                                 const ON_3dmObjectAttributes& old_attributes);
  void AttributeUserDataDetached(CRhinoObject& object, ON_UserData* user_data,
                                 const ON_3dmObjectAttributes& old_attributes);

private:
  friend class CRhinoUndoHistory;
  friend class CRhinoUndoRecord;
  friend class CRhinoInstanceDefinitionTable; // record their changes for undo
  friend class CRhinoLayerTable;
  bool AcceptObject(CRhinoObject* object) const;
  void RecordAdd(CRhinoObject* object);
  int FreeUnreachableObjects();
  void ApplyRedrawHint();
  // Undo/redo primitives (no recording, events fired).
  void RestoreDeleted(CRhinoObject* object);
  void RemoveAdded(CRhinoObject* object);
  void SwapReplaced(CRhinoObject* current, CRhinoObject* previous);
  void SwapAttributes(CRhinoObject* object, ON_3dmObjectAttributes& attributes);
  bool DetachAttributeUserDataForUndo(CRhinoObject* object, ON_UserData* user_data);
  bool AttachAttributeUserDataForUndo(CRhinoObject* object, ON_UserData* user_data);
  void FireModifyAttributes(CRhinoObject& object, const ON_3dmObjectAttributes& old_attributes);
  CRhinoUndoRecord* RecordingUndo() const;

  unsigned int m_serial;
  ON_wString m_file_name;
  bool m_bModified = false;
  mutable std::vector<CRhinoObject*> m_objects; // owned
  mutable int m_iteration_depth = 0;
  std::atomic<double> m_tolerance{0.001};
  CRhinoDocProperties m_properties;
  CRhinoLayerTable m_layers;
  CRhinoMaterialTable m_materials;
  CRhinoInstanceDefinitionTable m_idefs;
  std::unique_ptr<CRhinoUndoHistory> m_undo;
  struct CommandFrame {
    const CRhinoCommand* command;
    unsigned int record_serial;
  };
  std::vector<CommandFrame> m_command_stack;
  bool m_bRedrawPending = false;
  bool m_bHintPending = false;
  int m_hint_display_mode = 0;
  unsigned int m_redraw_count = 0;
};
