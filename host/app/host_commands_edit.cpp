// Hide, Show, Lock, Unlock, Delete, Move, Copy, Undo, Redo, Wait.

#include <chrono>

#include "host_commands.h"
#include "interrupt_signal.h"
#include "terminal_progress.h"
#include "ui/rhino_background_work.h"
#include "win_messages.h"

namespace kyrel::app {

namespace {

CRhinoCommand::result SetMode(CRhinoDoc& doc, const std::vector<const CRhinoObject*>& objects,
                              ON::object_mode mode) {
  int n = 0;
  for (const CRhinoObject* o : objects) {
    ON_3dmObjectAttributes a = o->Attributes();
    a.SetMode(mode);
    if (mode != ON::normal_object) const_cast<CRhinoObject*>(o)->Select(false, true, true, false);
    if (doc.ModifyObjectAttributes(CRhinoObjRef(o), a)) ++n;
  }
  Say(std::to_wstring(n) + L" objects changed.");
  return CRhinoCommand::success;
}

std::vector<const CRhinoObject*> InMode(CRhinoDoc& doc, ON::object_mode mode) {
  std::vector<const CRhinoObject*> out;
  for (const CRhinoObject* o : doc.ObjectList())
    if (o && !o->IsDeleted() && o->Mode() == mode) out.push_back(o);
  return out;
}

CRhinoCommand::result Transform(CRhinoDoc& doc, bool keep_original) {
  auto objects = AskObjects(keep_original ? L"Select objects to copy" : L"Select objects to move");
  if (!objects) return CRhinoCommand::cancel;
  auto from = AskPoint(L"Point to move from");
  if (!from) return CRhinoCommand::cancel;
  auto to = AskPoint(L"Point to move to");
  if (!to) return CRhinoCommand::cancel;
  ON_Xform xform = ON_Xform::TranslationTransformation(*to - *from);
  int n = 0;
  for (const CRhinoObject* o : *objects)
    if (doc.TransformObject(CRhinoObjRef(o), xform, !keep_original, false)) ++n;
  Say(std::to_wstring(n) + (keep_original ? L" objects copied." : L" objects moved."));
  return n > 0 ? CRhinoCommand::success : CRhinoCommand::failure;
}

CRhinoCommand::result HideCommand(const CRhinoCommandContext& c) {
  auto objects = AskObjects(L"Select objects to hide");
  return objects ? SetMode(c.m_doc, *objects, ON::hidden_object) : CRhinoCommand::cancel;
}

CRhinoCommand::result ShowCommand(const CRhinoCommandContext& c) {
  return SetMode(c.m_doc, InMode(c.m_doc, ON::hidden_object), ON::normal_object);
}

CRhinoCommand::result LockCommand(const CRhinoCommandContext& c) {
  auto objects = AskObjects(L"Select objects to lock");
  return objects ? SetMode(c.m_doc, *objects, ON::locked_object) : CRhinoCommand::cancel;
}

CRhinoCommand::result UnlockCommand(const CRhinoCommandContext& c) {
  return SetMode(c.m_doc, InMode(c.m_doc, ON::locked_object), ON::normal_object);
}

CRhinoCommand::result DeleteCommand(const CRhinoCommandContext& c) {
  auto objects = AskObjects(L"Select objects to delete");
  if (!objects) return CRhinoCommand::cancel;
  int n = 0;
  for (const CRhinoObject* o : *objects)
    if (c.m_doc.DeleteObject(CRhinoObjRef(o), true, false)) ++n;
  Say(std::to_wstring(n) + L" objects deleted.");
  return CRhinoCommand::success;
}

CRhinoCommand::result MoveCommand(const CRhinoCommandContext& c) {
  return Transform(c.m_doc, false);
}

CRhinoCommand::result CopyCommand(const CRhinoCommandContext& c) {
  return Transform(c.m_doc, true);
}

CRhinoCommand::result UndoCommand(const CRhinoCommandContext& c) {
  if (!c.m_doc.Undo()) {
    Say(L"Nothing to undo.");
    return CRhinoCommand::nothing;
  }
  return CRhinoCommand::success;
}

CRhinoCommand::result RedoCommand(const CRhinoCommandContext& c) {
  if (!c.m_doc.Redo()) {
    Say(L"Nothing to redo.");
    return CRhinoCommand::nothing;
  }
  return CRhinoCommand::success;
}

CRhinoCommand::result WaitCommand(const CRhinoCommandContext&) {
  // Optional limit in seconds (default 60).
  double limit = OptionalNumber().value_or(60.0);
  if (limit < 0) limit = 0;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long long>(limit * 1000));
  auto quiet_since = Clock::now();
  ProgressLine progress;
  for (;;) {
    int dispatched = kyrel::platform::PumpMessages();
    RhinoApp().ProcessDeferredRedraws();
    if (TakeInterrupt()) {
      progress.Finish(true);
      // Ctrl-C stops the work waited for, as its own Cancel would.
      if (RhinoCancelBackgroundWork() == 0) {
        Say(L"Wait: interrupted.");
        return CRhinoCommand::cancel;
      }
      Say(L"Wait: background work cancelled.");
    }
    bool busy = dispatched > 0 || kyrel::platform::HasPendingMessages() ||
                kyrel::platform::HasActiveTimers() || RhinoBackgroundWorkBusy();
    if (busy) quiet_since = Clock::now();
    const std::string status = BackgroundProgressText();
    if (!status.empty()) progress.Show("Waiting: " + status + " (Ctrl-C cancels)");
    CallBusyHook(status.empty() ? "Waiting" : "Waiting: " + status);
    // Idle once nothing happened for a moment: workers report progress
    // at least every half second while they run.
    if (!busy && Clock::now() - quiet_since > std::chrono::milliseconds(700)) {
      progress.Finish(false);
      return CRhinoCommand::success;
    }
    if (Clock::now() > deadline) {
      progress.Finish(true);
      Say(L"Wait: the background work is still running after " +
          std::to_wstring(static_cast<int>(limit)) + L" seconds; going on.");
      return CRhinoCommand::nothing;
    }
    kyrel::platform::WaitForMessage(20);
  }
}

} // namespace

void AddEditCommands(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"Hide", true, HideCommand));
  out.push_back(std::make_unique<HostCommand>(L"Show", true, ShowCommand));
  out.push_back(std::make_unique<HostCommand>(L"Lock", true, LockCommand));
  out.push_back(std::make_unique<HostCommand>(L"Unlock", true, UnlockCommand));
  out.push_back(std::make_unique<HostCommand>(L"Delete", true, DeleteCommand));
  out.push_back(std::make_unique<HostCommand>(L"Move", true, MoveCommand));
  out.push_back(std::make_unique<HostCommand>(L"Copy", true, CopyCommand));
  // Undo and redo change the history, so they must not record themselves.
  out.push_back(std::make_unique<HostCommand>(L"Undo", false, UndoCommand));
  out.push_back(std::make_unique<HostCommand>(L"Redo", false, RedoCommand));
  out.push_back(std::make_unique<HostCommand>(L"Wait", false, WaitCommand));
}

} // namespace kyrel::app
