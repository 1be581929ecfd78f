// CRhinoDoc: command brackets and the undo history.

#include "rhino_doc.h"
#include "rhino_event_dispatch.h"
#include "rhino_undo.h"

unsigned int CRhinoDoc::BeginUndoRecord(const CRhinoCommand* command, bool bUndoEnabled) {
  const bool bOutermost = m_command_stack.empty();
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnBeginCommand(*this, command); });
  unsigned int serial = 0;
  if (bOutermost && bUndoEnabled) {
    serial = m_undo->Begin(command);
    rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) {
      w.UndoEvent(CRhinoEventWatcher::begin_recording, serial, command);
    });
  }
  m_command_stack.push_back({command, serial});
  return serial;
}

void CRhinoDoc::EndUndoRecord(int command_result) {
  if (m_command_stack.empty()) return;
  const CommandFrame frame = m_command_stack.back();
  m_command_stack.pop_back();
  if (frame.record_serial != 0) {
    unsigned int serial = 0;
    const CRhinoCommand* command = nullptr;
    if (m_undo->End(&serial, &command)) {
      rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) {
        w.UndoEvent(CRhinoEventWatcher::end_recording, serial, command);
      });
    }
  }
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnEndCommand(*this, frame.command, command_result); });
  if (m_command_stack.empty()) {
    if (m_bHintPending) ApplyRedrawHint();
    FreeUnreachableObjects();
  }
}

bool CRhinoDoc::IsRecordingUndo() const {
  return RecordingUndo() != nullptr;
}

bool CRhinoDoc::CanUndo() const {
  return m_undo->CanUndo() && !IsRecordingUndo();
}
bool CRhinoDoc::CanRedo() const {
  return m_undo->CanRedo() && !IsRecordingUndo();
}

bool CRhinoDoc::Undo() {
  return m_undo->Undo();
}

bool CRhinoDoc::Redo() {
  return m_undo->Redo();
}

int CRhinoDoc::UndoRecordCount() const {
  return m_undo->UndoCount();
}
int CRhinoDoc::RedoRecordCount() const {
  return m_undo->RedoCount();
}

void CRhinoDoc::ClearUndoRecords() {
  m_undo->Clear();
  FreeUnreachableObjects();
}

void CRhinoDoc::SetMaxUndoRecords(int count) {
  m_undo->SetMax(count);
  FreeUnreachableObjects();
}
