#pragma once
// "kyInterfere": switches the background clash detection of the display
// service on when it is off and off when it is on, showing or hiding the
// "Interferences" panel with it. No prompt, no options, no undo record.

#include "rhinoSdk.h"

class CKyrelPlugIn;

class CKyrelInterfere : public CRhinoCommand {
public:
  // The owning plug-in ties the command to it in the host.
  explicit CKyrelInterfere(const CKyrelPlugIn* plugin);
  ~CKyrelInterfere() override;

  ON_UUID CommandUUID() override;
  const wchar_t* EnglishName() override;
  const wchar_t* LocalCommandName() override;
  result RunCommand(const CRhinoCommandContext& context) override;
};
