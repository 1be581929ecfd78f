// The clash-detection switch.

#include "kyrel_interfere.h"

#include "conduit/kyrel_conduit.h"
#include "kyrel_plugin.h"

CKyrelInterfere::CKyrelInterfere(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {
  // Switching detection changes no model data; an undo record would only
  // make Undo step over nothing.
  EnableUndo(false);
}

CKyrelInterfere::~CKyrelInterfere() = default;

ON_UUID CKyrelInterfere::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"BEE98080-A49D-41E9-AE4C-F5A2259A545A");
  return id;
}

const wchar_t* CKyrelInterfere::EnglishName() {
  return L"kyInterfere";
}

const wchar_t* CKyrelInterfere::LocalCommandName() {
  return L"kyInterfere";
}

CRhinoCommand::result CKyrelInterfere::RunCommand(const CRhinoCommandContext&) {
  CKyrelConduit* conduit = CKyrelConduit::Instance();
  // The panel is shown when detection goes on and hidden when it goes off.
  conduit->EnableInterfere(!conduit->IsInterfereEnabled(), CKyrelConduit::kPanelFollows);
  return success;
}
