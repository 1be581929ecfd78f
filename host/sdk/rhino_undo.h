#pragma once
// Host-internal: the document's undo and redo records.
//
// A record is the list of changes one command made, in order. Undo applies
// their inverses newest first; redo applies them again oldest first. Each
// change that names an object holds it (CRhinoObject::m_undo_references),
// so the document keeps a deleted object alive while a record can bring it
// back. Attribute changes keep the other attributes (user data included);
// attribute user data that a change removed is kept by the record.

#include <deque>
#include <memory>
#include <vector>

#include "rhino_object.h"

class CRhinoCommand;
class CRhinoDoc;

class CRhinoUndoRecord {
public:
  enum action_kind : int {
    added,              // m_object was added
    deleted,            // m_object was deleted
    undeleted,          // m_object was undeleted
    replaced,           // m_object (old) was replaced by m_other (new)
    attributes_changed, // m_attributes holds the other attributes
    userdata_attached,  // m_userdata was attached (held here while undone)
    userdata_detached,  // m_userdata was removed (held here while detached)
    definition_added,   // instance definition m_definition was added
    definition_deleted, // instance definition m_definition was deleted
    layer_added,        // layer m_definition was added
    layer_deleted,      // layer m_definition was deleted
  };

  CRhinoUndoRecord(unsigned int serial, const CRhinoCommand* command)
      : m_serial(serial), m_command(command) {}
  ~CRhinoUndoRecord();
  CRhinoUndoRecord(const CRhinoUndoRecord&) = delete;
  CRhinoUndoRecord& operator=(const CRhinoUndoRecord&) = delete;

  unsigned int Serial() const { return m_serial; }
  const CRhinoCommand* Command() const { return m_command; }
  bool IsEmpty() const { return m_actions.empty(); }

  void AddObjectAction(action_kind kind, CRhinoObject* object, CRhinoObject* other = nullptr);
  // The record takes the old attributes (moved from).
  void AddAttributesAction(CRhinoObject* object, ON_3dmObjectAttributes&& old_attributes);
  // userdata_detached: the record owns user_data.
  void AddUserDataAction(action_kind kind, CRhinoObject* object, ON_UserData* user_data);
  // definition_added / definition_deleted: the definition's table index;
  // layer_added / layer_deleted: the layer's.
  void AddDefinitionAction(action_kind kind, int index);

  // Applies the inverse of every action (newest first) / every action again
  // (oldest first) through doc.
  void Undo(CRhinoDoc& doc);
  void Redo(CRhinoDoc& doc);

private:
  struct Action {
    action_kind kind;
    CRhinoObject* object = nullptr;
    CRhinoObject* other = nullptr;
    std::unique_ptr<ON_3dmObjectAttributes> attributes;
    ON_UserData* userdata = nullptr;
    bool bOwnsUserData = false;
    int definition = -1;
  };
  void Apply(CRhinoDoc& doc, Action& a, bool bUndo);
  static void Hold(CRhinoObject* object);
  static void Release(CRhinoObject* object);

  unsigned int m_serial;
  const CRhinoCommand* m_command;
  std::vector<Action> m_actions;
};

class CRhinoUndoHistory {
public:
  explicit CRhinoUndoHistory(CRhinoDoc& doc) : m_doc(doc) {}

  // Opens a record; returns its serial number.
  unsigned int Begin(const CRhinoCommand* command);
  // The record being recorded, or null.
  CRhinoUndoRecord* Recording() { return m_recording.get(); }
  // Closes the record: kept (true) when it holds changes, dropped otherwise.
  // A kept record clears the redo list.
  bool End(unsigned int* serial, const CRhinoCommand** command);

  bool CanUndo() const { return !m_undo.empty(); }
  bool CanRedo() const { return !m_redo.empty(); }
  int UndoCount() const { return static_cast<int>(m_undo.size()); }
  int RedoCount() const { return static_cast<int>(m_redo.size()); }
  // Moves the newest undo record to the redo list (or back), applying it.
  bool Undo();
  bool Redo();
  void Clear();
  void SetMax(int count);

private:
  void Purge(std::unique_ptr<CRhinoUndoRecord> record);
  void Trim();

  CRhinoDoc& m_doc;
  std::unique_ptr<CRhinoUndoRecord> m_recording;
  std::deque<std::unique_ptr<CRhinoUndoRecord>> m_undo; // oldest first
  std::deque<std::unique_ptr<CRhinoUndoRecord>> m_redo; // most recently undone last
  unsigned int m_next_serial = 1;
  int m_max = 50;
};
