// The mirror-plane command: an option prompt that stays up until Enter or
// Escape, each chosen option applied to the conduit and shown at once.

#include "kyrel_mirror_plane.h"

#include "conduit/kyrel_conduit.h"
#include "kyrel_plugin.h"

namespace {

// Option indices in the order the prompt adds them.
enum MirrorOption : int { kEnabledOption = 1, kPositionOption = 2, kDirectionOption = 3 };

// The normal from the plane's point to a picked point, or `previous` when
// the pick gives no direction (the point itself, or nothing finite).
ON_3dVector PickedNormal(const ON_3dPoint& picked, const ON_3dPoint& position,
                         const ON_3dVector& previous) {
  ON_3dVector normal = picked - position;
  ON_3dVector unit = normal;
  if (!normal.IsValid() || !unit.Unitize()) return previous;
  return normal; // kept unnormalised, as the conduit stores it
}

} // namespace

CKyrelMirrorPlane::CKyrelMirrorPlane(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {}

CKyrelMirrorPlane::~CKyrelMirrorPlane() = default;

ON_UUID CKyrelMirrorPlane::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"DF892906-9E21-4F3A-B12C-95AB0B2CDBBB");
  return id;
}

const wchar_t* CKyrelMirrorPlane::EnglishName() {
  return L"kyMirrorPlane";
}

const wchar_t* CKyrelMirrorPlane::LocalCommandName() {
  return L"kyMirrorPlane";
}

CRhinoCommand::result CKyrelMirrorPlane::RunCommand(const CRhinoCommandContext& context) {
  CKyrelConduit* conduit = CKyrelConduit::Instance();
  // The prompt's defaults within this run: the conduit's settings at the
  // start, then the user's own answers.
  bool enabled = conduit->IsMirroringEnabled();
  ON_3dPoint position = conduit->MirrorPosition();
  ON_3dVector direction = conduit->MirrorDirection();

  for (;;) {
    CRhinoGetOption go;
    go.AcceptNothing(true);
    go.SetCommandPrompt(L"Mirror Plane");
    go.AddCommandOptionToggle(L"Enabled", L"Off", L"On", enabled, &enabled);
    go.AddCommandOption(L"Position");
    go.AddCommandOption(L"Direction");
    if (go.GetOption() != CRhinoGet::option) return go.CommandResult();
    const CRhinoCommandOption* option = go.Option();
    if (option == nullptr) continue;

    switch (option->m_option_index) {
    case kEnabledOption:
      // The getter has flipped `enabled` already.
      conduit->EnableMirroring(enabled);
      break;
    case kPositionOption:
      if (RhinoGetPoint(L"Positition", false, position) == CRhinoCommand::success)
        conduit->SetMirrorPosition(position);
      break;
    case kDirectionOption: {
      CRhinoGetPoint gp;
      gp.DrawLineFromPoint(position, false);
      if (gp.GetPoint() == CRhinoGet::point)
        direction = PickedNormal(gp.Point(), position, direction);
      // Set again even without a pick, so the conduit holds what the
      // prompt showed.
      conduit->SetMirrorDirection(direction);
      break;
    }
    default:
      break;
    }
    context.m_doc.Redraw(CRhinoDoc::redraw_hint_default);
  }
}
