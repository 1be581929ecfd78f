#pragma once
// Commands: the base class the host's and the plug-ins' commands derive
// from, the command context, the command table and the runner.
//
// A command registers itself in the process-wide command table when it is
// constructed and leaves it when destroyed, so commands that are members
// of a plug-in object live and die with it. Names match without regard to
// case, and an English name may be given with a leading underscore.

#include <vector>

#include "opennurbs.h"

class CRhinoDoc;
class CRhinoPlugIn;

class CRhinoCommandContext {
public:
  explicit CRhinoCommandContext(CRhinoDoc& doc) : m_doc(doc) {}
  CRhinoDoc& Document() const { return m_doc; }
  CRhinoDoc& m_doc; // the document the command runs in
};

class CRhinoCommand {
public:
  // Command results. cancel: the user pressed Escape; nothing: Enter
  // without input; failure: the command could not do its work.
  enum result : int {
    success = 0,
    cancel = 1,
    nothing = 2,
    failure = 3,
    unknown_command = 4,
    cancel_all = 5,
  };

  // Registers the command. pPlugIn null: a command of the host itself.
  CRhinoCommand(bool bTransparent = false, bool bDoNotRepeat = false,
                const CRhinoPlugIn* pPlugIn = nullptr, bool bTestCommand = false);
  CRhinoCommand(const CRhinoCommand&) = delete;
  CRhinoCommand& operator=(const CRhinoCommand&) = delete;

  // ---- virtual operations; this slot order is relied on ----
  virtual ~CRhinoCommand();
  virtual ON_UUID CommandUUID() = 0;
  // The host's: the name the command table and macros use (EnglishName()).
  virtual const wchar_t* EnglishCommandName();
  virtual const wchar_t* EnglishName() = 0;
  virtual const wchar_t* LocalCommandName() = 0;
  virtual result RunCommand(const CRhinoCommandContext& context) = 0;
  virtual result ReplayHistory(const CRhinoCommandContext&) { return failure; }
  virtual result ReplayHistory(const CRhinoCommandContext&, int) { return failure; }
  virtual bool EditObjects(const CRhinoCommandContext&) { return false; }
  virtual void LoadProfile(const wchar_t*) {}
  virtual void SaveProfile(const wchar_t*) {}
  virtual void DoHelp() {}
  virtual void DynamicDraw() {}
  virtual const wchar_t* ContextHelpURL() const { return nullptr; }

  // Undo: enabled unless the command turns it off (in its constructor).
  // A command with undo disabled leaves no undo record.
  void EnableUndo(bool bEnable = true) { m_bUndoEnabled = bEnable; }
  bool IsUndoEnabled() const { return m_bUndoEnabled; }
  const CRhinoPlugIn* PlugIn() const { return m_plugin; }
  bool IsTransparent() const { return m_bTransparent; }
  bool IsRepeatable() const { return !m_bDoNotRepeat; }
  bool IsTestCommand() const { return m_bTestCommand; }

private:
  const CRhinoPlugIn* m_plugin;
  bool m_bTransparent;
  bool m_bDoNotRepeat;
  bool m_bTestCommand;
  bool m_bUndoEnabled = true;
};

// The process-wide table of commands.
class CRhinoCommandTable {
public:
  // The command whose English or local name matches (without regard to
  // case, "_" prefix allowed), or null. With several matches the most
  // recently registered wins, so a plug-in may shadow a host command.
  static CRhinoCommand* Find(const wchar_t* name);
  static CRhinoCommand* Find(const ON_UUID& command_id);
  // Every command, in registration order.
  static std::vector<CRhinoCommand*> Commands();
  // Commands of a plug-in (null: the host's own).
  static std::vector<CRhinoCommand*> Commands(const CRhinoPlugIn* plugin);
};

// Runs a command in `doc`: opens the command (with an undo record unless
// the command disabled undo), runs it, closes the command with its result.
// A command that throws ends with failure; nothing escapes.
CRhinoCommand::result RhinoRunCommand(CRhinoCommand& command, CRhinoDoc& doc);
// The text of a result ("success", "cancel", ...).
const wchar_t* RhinoCommandResultName(CRhinoCommand::result result);
