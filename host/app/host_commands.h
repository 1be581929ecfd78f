#pragma once
// The host's own commands (Open, Save, Box, List, Panel, Wait, ...), and
// the helpers they share.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rhinoSdk.h"
#include "ui/rhino_command.h"
#include "ui/rhino_get.h"

namespace kyrel::app {

class HostCommand final : public CRhinoCommand {
public:
  using Body = std::function<CRhinoCommand::result(const CRhinoCommandContext&)>;
  HostCommand(const wchar_t* name, bool undo, Body body);
  ON_UUID CommandUUID() override { return m_id; }
  const wchar_t* EnglishName() override { return m_name.c_str(); }
  const wchar_t* LocalCommandName() override { return m_name.c_str(); }
  result RunCommand(const CRhinoCommandContext& context) override;

private:
  std::wstring m_name;
  ON_UUID m_id;
  Body m_body;
};

// Makes the host's commands once.
void RegisterHostCommands();

// Groups, each in its own file.
void AddFileCommands(std::vector<std::unique_ptr<HostCommand>>& out);
void AddSelectionCommands(std::vector<std::unique_ptr<HostCommand>>& out);
void AddEditCommands(std::vector<std::unique_ptr<HostCommand>>& out);
void AddCreateCommands(std::vector<std::unique_ptr<HostCommand>>& out);
void AddViewCommands(std::vector<std::unique_ptr<HostCommand>>& out);
void AddPanelCommands(std::vector<std::unique_ptr<HostCommand>>& out);

// ---- helpers for command bodies ----
void Say(const std::wstring& line);
void Complain(const std::wstring& line);
// Objects through an object getter (preselection first).
std::optional<std::vector<const CRhinoObject*>>
AskObjects(const wchar_t* prompt, unsigned int filter = 0, int min_count = 1);
std::optional<ON_3dPoint> AskPoint(const wchar_t* prompt);
std::optional<double> AskNumber(const wchar_t* prompt, bool positive);
std::optional<std::wstring> AskString(const wchar_t* prompt);
// The next token when it is a quoted string or a plain word, without
// prompting; for optional arguments.
std::optional<std::wstring> OptionalWord();
std::optional<double> OptionalNumber();
CRhinoView* ActiveView();
// Called while a command keeps the UI thread waiting (Wait), with what it
// waits for, so a window on the host keeps answering; null: nothing.
void SetBusyHook(void (*hook)(const std::string& status));
void CallBusyHook(const std::string& status);
std::wstring TypeName(const CRhinoObject& object);

} // namespace kyrel::app
