#pragma once
// "kyExtractMesh": adds to the document, for each chosen object, mesh
// objects equal to what the user sees of it: its cut meshes where the
// cutting objects cut it, its render meshes where nothing cuts it. The new
// objects take their source's attributes; the sources stay as they are.
// Cutting objects, and objects the cutters remove entirely, give nothing.

#include "rhinoSdk.h"

class CKyrelPlugIn;

class CKyrelExtractMesh : public CRhinoCommand {
public:
  // The owning plug-in ties the command to it in the host.
  explicit CKyrelExtractMesh(const CKyrelPlugIn* plugin);
  ~CKyrelExtractMesh() override;

  ON_UUID CommandUUID() override;
  const wchar_t* EnglishName() override;
  const wchar_t* LocalCommandName() override;
  result RunCommand(const CRhinoCommandContext& context) override;
};
