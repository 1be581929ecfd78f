#pragma once
// "kyMirrorPlane": switches the mirrored display on and off and places the
// mirror plane (a point on it and its normal). The command keeps nothing:
// the switch, point and normal live in the display service's conduit for
// the rest of the host process, and each answer is applied at once.
//
// A normal picked at the plane's point itself (the zero vector) is
// refused: the previous normal is kept, as when the pick is cancelled.

#include "rhinoSdk.h"

class CKyrelPlugIn;

class CKyrelMirrorPlane : public CRhinoCommand {
public:
  // The owning plug-in ties the command to it in the host.
  explicit CKyrelMirrorPlane(const CKyrelPlugIn* plugin);
  ~CKyrelMirrorPlane() override;

  ON_UUID CommandUUID() override;
  const wchar_t* EnglishName() override;
  const wchar_t* LocalCommandName() override;
  result RunCommand(const CRhinoCommandContext& context) override;
};
