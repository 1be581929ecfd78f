#include "rhino_command.h"

#include <algorithm>
#include <cwctype>
#include <exception>

#include "rhino_app.h"
#include "rhino_command_input.h"
#include "rhino_doc.h"

namespace {

std::vector<CRhinoCommand*>& Table() {
  static auto* table =
      new std::vector<CRhinoCommand*>; // commands of unloading libraries leave it late
  return *table;
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b)
    if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b)))
      return false;
  return *a == *b;
}

} // namespace

CRhinoCommand::CRhinoCommand(bool bTransparent, bool bDoNotRepeat, const CRhinoPlugIn* pPlugIn,
                             bool bTestCommand)
    : m_plugin(pPlugIn), m_bTransparent(bTransparent), m_bDoNotRepeat(bDoNotRepeat),
      m_bTestCommand(bTestCommand) {
  Table().push_back(this);
}

CRhinoCommand::~CRhinoCommand() {
  auto& table = Table();
  table.erase(std::remove(table.begin(), table.end(), this), table.end());
}

const wchar_t* CRhinoCommand::EnglishCommandName() {
  return EnglishName();
}

CRhinoCommand* CRhinoCommandTable::Find(const wchar_t* name) {
  if (!name) return nullptr;
  if (*name == L'_') ++name;
  if (!*name) return nullptr;
  auto& table = Table();
  for (auto it = table.rbegin(); it != table.rend(); ++it) {
    CRhinoCommand* c = *it;
    if (SameName(c->EnglishCommandName(), name) || SameName(c->LocalCommandName(), name)) return c;
  }
  return nullptr;
}

CRhinoCommand* CRhinoCommandTable::Find(const ON_UUID& id) {
  for (CRhinoCommand* c : Table())
    if (c->CommandUUID() == id) return c;
  return nullptr;
}

std::vector<CRhinoCommand*> CRhinoCommandTable::Commands() {
  return Table();
}

std::vector<CRhinoCommand*> CRhinoCommandTable::Commands(const CRhinoPlugIn* plugin) {
  std::vector<CRhinoCommand*> out;
  for (CRhinoCommand* c : Table())
    if (c->PlugIn() == plugin) out.push_back(c);
  return out;
}

CRhinoCommand::result RhinoRunCommand(CRhinoCommand& command, CRhinoDoc& doc) {
  doc.BeginUndoRecord(&command, command.IsUndoEnabled());
  CRhinoCommand::result rc = CRhinoCommand::failure;
  try {
    CRhinoCommandContext context(doc);
    rc = command.RunCommand(context);
  } catch (const std::exception& e) {
    ON_wString what(e.what());
    RhinoCommandInput().Error(std::wstring(command.EnglishCommandName()) + L" failed: " +
                              what.Array());
    rc = CRhinoCommand::failure;
  } catch (...) {
    RhinoCommandInput().Error(std::wstring(command.EnglishCommandName()) + L" failed.");
    rc = CRhinoCommand::failure;
  }
  doc.EndUndoRecord(static_cast<int>(rc));
  // The command may have closed its own document (by opening another);
  // nothing may touch doc after this.
  RhinoApp().CommandEnded(&doc);
  return rc;
}

const wchar_t* RhinoCommandResultName(CRhinoCommand::result result) {
  switch (result) {
  case CRhinoCommand::success:
    return L"success";
  case CRhinoCommand::cancel:
    return L"cancel";
  case CRhinoCommand::nothing:
    return L"nothing";
  case CRhinoCommand::failure:
    return L"failure";
  case CRhinoCommand::unknown_command:
    return L"unknown command";
  case CRhinoCommand::cancel_all:
    return L"cancel";
  }
  return L"unknown";
}
