#pragma once
// "kyClippingObject": makes chosen closed objects cutting objects, changes
// how they cut, or makes them ordinary objects again. It only writes the
// cutting records (TV_SectionGeometry) on the objects' attributes; the
// display service finds them at its next update and does the cutting.

#include "rhinoSdk.h"

class CKyrelPlugIn;

class CKyrelClippingObject : public CRhinoCommand {
public:
  // The owning plug-in ties the command to it in the host.
  explicit CKyrelClippingObject(const CKyrelPlugIn* plugin);
  ~CKyrelClippingObject() override;

  ON_UUID CommandUUID() override;
  const wchar_t* EnglishName() override;
  const wchar_t* LocalCommandName() override;
  result RunCommand(const CRhinoCommandContext& context) override;
};

// The prompt's fourth mode value, offered only for a mixed selection and
// never written; the others are the service's cutting modes.
constexpr int kCuttingModeVaries = 3;
