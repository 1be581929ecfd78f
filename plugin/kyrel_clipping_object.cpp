// The cutting-object command: pick closed objects, show their common mode,
// write the chosen one.

#include "kyrel_clipping_object.h"

#include "kyrel_plugin.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

namespace CuttingMode = Tarvik::Vantrel::CuttingMode;

// Surfaces, meshes and polysurfaces ...
constexpr unsigned int kCutterGeometryFilter = CRhinoGetObject::surface_object |
                                               CRhinoGetObject::mesh_object |
                                               CRhinoGetObject::polysrf_filter;
// ... and of those only the closed ones: a cutter must enclose a volume.
constexpr unsigned int kCutterAttributeFilter = CRhinoGetObject::closed_surface |
                                                CRhinoGetObject::closed_polysrf |
                                                CRhinoGetObject::closed_mesh;
static_assert(kCutterGeometryFilter == 0x200028 && kCutterAttributeFilter == 0xA0200);

// Redraw hint and the display mode (shaded) whose views show the change.
constexpr unsigned int kRedrawHint = 0;
constexpr int kShadedDisplayMode = 2;

// English and local values alike; the index of each is its mode.
const CRhinoCommandOptionValue kModeValues[] = {L"None", L"Intersection", L"Difference", L"Varies"};

TV_SectionGeometry* CuttingRecord(const CRhinoObject& object) {
  return TV_SectionGeometry::Cast(object.GetAttributeUserData(TV_SectionGeometry::UUID()));
}

int ModeOf(const CRhinoObject& object) {
  const TV_SectionGeometry* record = CuttingRecord(object);
  return record ? record->m_mode : CuttingMode::None;
}

// The mode all chosen objects share, or Varies when they differ. Objects
// without a record count as None.
int CommonMode(const CRhinoGetObject& go) {
  int mode = CuttingMode::None;
  for (int i = 0; i < go.ObjectCount(); ++i) {
    const CRhinoObject* object = go.Object(i).Object();
    if (!object) continue;
    int object_mode = ModeOf(*object);
    if (i == 0) {
      mode = object_mode;
    } else if (object_mode != mode) {
      return kCuttingModeVaries;
    }
  }
  return mode;
}

// Writes `mode` on one object: Intersection or Difference create or
// replace its record (invalidated, so the service rebuilds the cutting mesh
// from the object as it is now); None removes it.
void ApplyMode(CRhinoObject& object, int mode) {
  if (mode == CuttingMode::None) {
    object.DeleteAttributeUserData(TV_SectionGeometry::UUID());
    return;
  }
  TV_SectionGeometry* record = CuttingRecord(object);
  // A record that changes its mode is replaced rather than written over:
  // the host's undo sees records come and go, not their fields, and an
  // Undo after a mode change written in place would take back the command
  // before it instead.
  if (record && record->m_mode != mode) {
    object.DeleteAttributeUserData(TV_SectionGeometry::UUID());
    record = nullptr;
  }
  if (!record) {
    object.DeleteAttributeUserData(TV_SectionCache::UUID());
    auto* created = new TV_SectionGeometry();
    created->m_mode = mode;
    if (!object.AttachAttributeUserData(created)) {
      // The attributes refused it, so nobody else will free it.
      delete created;
      return;
    }
    record = CuttingRecord(object);
    if (!record) return;
  }
  record->Invalidate();
  record->m_mode = mode;
}

} // namespace

CKyrelClippingObject::CKyrelClippingObject(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {}

CKyrelClippingObject::~CKyrelClippingObject() = default;

ON_UUID CKyrelClippingObject::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"AAEB9D96-0352-4D68-AA17-4EF86240D6FB");
  return id;
}

const wchar_t* CKyrelClippingObject::EnglishName() {
  return L"kyClippingObject";
}

const wchar_t* CKyrelClippingObject::LocalCommandName() {
  return L"kyClippingObject";
}

CRhinoCommand::result CKyrelClippingObject::RunCommand(const CRhinoCommandContext& context) {
  CRhinoGetObject go;
  go.SetCommandPrompt(L"Select cutting objects");
  go.SetGeometryFilter(kCutterGeometryFilter);
  go.SetGeometryAttributeFilter(kCutterAttributeFilter);
  if (go.GetObjects(1, 0) != CRhinoGet::object) return go.CommandResult();

  const int current = CommonMode(go);
  const int value_count = current == kCuttingModeVaries ? 4 : 3;

  CRhinoGetOption gopt;
  gopt.AcceptNothing(true);
  gopt.SetCommandPrompt(go.ObjectCount() == 1 ? L"Cutting object mode" : L"Cutting objects mode");
  gopt.AddCommandOptionList(L"Mode", value_count, kModeValues, current);
  if (gopt.GetOption() != CRhinoGet::option) return go.CommandResult();

  const CRhinoCommandOption* option = gopt.Option();
  if (!option || option->m_list_option_current == current) return gopt.CommandResult();
  const int mode = option->m_list_option_current;
  // Varies is never written; it is only offered when it is already current.
  if (mode < CuttingMode::None || mode > CuttingMode::Difference) return gopt.CommandResult();

  CRhinoDoc& doc = context.m_doc;
  for (int i = 0; i < go.ObjectCount(); ++i) {
    CRhinoObject* object = const_cast<CRhinoObject*>(go.Object(i).Object());
    if (!object) continue;
    ApplyMode(*object, mode);
    doc.SetRedrawDisplayHint(kRedrawHint, kShadedDisplayMode);
  }
  doc.Regen();
  return gopt.CommandResult();
}
