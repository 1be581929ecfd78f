#pragma once
// "kyExportClippedMeshes": writes what the user sees of the chosen objects
// (the meshes "kyExtractMesh" would add) to a file the user names, through
// the host's own save of the selection. The meshes exist in the document
// only while the file is written, as selected temporary objects; the
// command records no undo, so nothing of them can come back. The chosen
// objects are left deselected; other objects that were selected (ones the
// command does not take, such as curves) are kept out of the file and
// selected again afterwards.

#include "rhinoSdk.h"

class CKyrelPlugIn;

class CKyrelExportClippedMeshes : public CRhinoCommand {
public:
  // The owning plug-in ties the command to it in the host. Undo is
  // disabled for the command's whole life.
  explicit CKyrelExportClippedMeshes(const CKyrelPlugIn* plugin);
  ~CKyrelExportClippedMeshes() override;

  ON_UUID CommandUUID() override;
  const wchar_t* EnglishName() override;
  const wchar_t* LocalCommandName() override;
  // Success also when the user cancels the file prompt: the document is
  // then as it was (apart from the deselection).
  result RunCommand(const CRhinoCommandContext& context) override;
};
