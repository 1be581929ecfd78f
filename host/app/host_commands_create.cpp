// Box, Sphere, Cylinder, PlaneSrf (each with an optional quoted name after
// its input), Block, Insert.

#include <algorithm>
#include <cmath>
#include <memory>

#include "host_commands.h"

namespace kyrel::app {

namespace {

ON_3dmObjectAttributes NewAttributes(CRhinoDoc& doc) {
  ON_3dmObjectAttributes a;
  a.m_layer_index = doc.LayerTable().CurrentLayerIndex();
  if (auto name = OptionalWord()) a.m_name = name->c_str();
  return a;
}

CRhinoCommand::result AddBrep(CRhinoDoc& doc, ON_Brep* brep, const wchar_t* what) {
  std::unique_ptr<ON_Brep> owned(brep);
  if (!owned) {
    Complain(std::wstring(L"The ") + what + L" is degenerate.");
    return CRhinoCommand::failure;
  }
  ON_3dmObjectAttributes a = NewAttributes(doc);
  CRhinoBrepObject* o = doc.AddBrepObject(*owned, &a);
  if (!o) {
    Complain(std::wstring(L"The ") + what + L" could not be added.");
    return CRhinoCommand::failure;
  }
  Say(std::wstring(L"Added ") + what + L" " + ON_UuidToString(o->ModelObjectId()).Array() + L".");
  return CRhinoCommand::success;
}

CRhinoCommand::result BoxCommand(const CRhinoCommandContext& c) {
  auto a = AskPoint(L"First corner of box");
  if (!a) return CRhinoCommand::cancel;
  auto b = AskPoint(L"Opposite corner of box");
  if (!b) return CRhinoCommand::cancel;
  if (a->x == b->x || a->y == b->y || a->z == b->z) {
    Complain(L"The box corners must differ in x, y and z.");
    return CRhinoCommand::failure;
  }
  return AddBrep(c.m_doc, ON_Brep::CreateBox(*a, *b), L"box");
}

CRhinoCommand::result SphereCommand(const CRhinoCommandContext& c) {
  auto center = AskPoint(L"Center of sphere");
  if (!center) return CRhinoCommand::cancel;
  auto r = AskNumber(L"Radius", true);
  if (!r) return CRhinoCommand::cancel;
  return AddBrep(c.m_doc, ON_Brep::CreateSphere(*center, *r), L"sphere");
}

CRhinoCommand::result CylinderCommand(const CRhinoCommandContext& c) {
  auto base = AskPoint(L"Base of cylinder");
  if (!base) return CRhinoCommand::cancel;
  auto r = AskNumber(L"Radius", true);
  if (!r) return CRhinoCommand::cancel;
  auto h = AskNumber(L"Height", true);
  if (!h) return CRhinoCommand::cancel;
  return AddBrep(c.m_doc,
                 ON_Brep::CreateCylinder(ON_Plane(*base, ON_3dVector(0, 0, 1)), *r, *h, true),
                 L"cylinder");
}

CRhinoCommand::result PlaneSrfCommand(const CRhinoCommandContext& c) {
  auto a = AskPoint(L"First corner of plane");
  if (!a) return CRhinoCommand::cancel;
  auto b = AskPoint(L"Other corner of plane");
  if (!b) return CRhinoCommand::cancel;
  double w = std::fabs(b->x - a->x), h = std::fabs(b->y - a->y);
  if (w == 0 || h == 0) {
    Complain(L"The plane corners must differ in x and y.");
    return CRhinoCommand::failure;
  }
  ON_3dPoint origin(std::min(a->x, b->x), std::min(a->y, b->y), a->z);
  // Width along x and height along y, as the corners were given; a plane
  // made from its normal alone would choose its own axes.
  const ON_Plane plane(origin, origin + ON_3dVector(1, 0, 0), origin + ON_3dVector(0, 1, 0));
  return AddBrep(c.m_doc, ON_Brep::CreatePlanarSurface(plane, w, h), L"planar surface");
}

CRhinoCommand::result BlockCommand(const CRhinoCommandContext& c) {
  auto objects = AskObjects(L"Select objects to define block");
  if (!objects) return CRhinoCommand::cancel;
  auto base = AskPoint(L"Block base point");
  if (!base) return CRhinoCommand::cancel;
  auto name = AskString(L"Block definition name");
  if (!name) return CRhinoCommand::cancel;
  auto& table = c.m_doc.InstanceDefinitionTable();
  if (name->empty() || table.FindInstanceDefinition(name->c_str()) >= 0) {
    Complain(L"A block needs a new name; \"" + *name + L"\" is taken or empty.");
    return CRhinoCommand::failure;
  }
  // Members are copies moved so that the base point is their origin; the
  // objects themselves are replaced by one reference to the block.
  ON_Xform to_origin = ON_Xform::TranslationTransformation(ON_3dPoint(0, 0, 0) - *base);
  ON_SimpleArray<CRhinoObject*> members;
  for (const CRhinoObject* o : *objects) {
    CRhinoObject* copy = o->DuplicateRhinoObject();
    if (!copy) continue;
    copy->TransformGeometry(to_origin);
    members.Append(copy);
  }
  int index = table.AddInstanceDefinition(name->c_str(), members);
  if (index < 0) {
    Complain(L"The block could not be defined.");
    return CRhinoCommand::failure;
  }
  for (const CRhinoObject* o : *objects)
    c.m_doc.DeleteObject(CRhinoObjRef(o), true, false);
  c.m_doc.AddInstanceObject(index,
                            ON_Xform::TranslationTransformation(*base - ON_3dPoint(0, 0, 0)));
  Say(L"Defined block \"" + *name + L"\" with " + std::to_wstring(members.Count()) + L" objects.");
  return CRhinoCommand::success;
}

CRhinoCommand::result InsertCommand(const CRhinoCommandContext& c) {
  auto name = AskString(L"Block name");
  if (!name) return CRhinoCommand::cancel;
  int index = c.m_doc.InstanceDefinitionTable().FindInstanceDefinition(name->c_str());
  if (index < 0) {
    Complain(L"There is no block named \"" + *name + L"\".");
    return CRhinoCommand::failure;
  }
  auto at = AskPoint(L"Insertion point");
  if (!at) return CRhinoCommand::cancel;
  ON_3dmObjectAttributes a = NewAttributes(c.m_doc);
  CRhinoInstanceObject* o = c.m_doc.AddInstanceObject(
      index, ON_Xform::TranslationTransformation(*at - ON_3dPoint(0, 0, 0)), &a);
  if (!o) return CRhinoCommand::failure;
  Say(L"Inserted block \"" + *name + L"\" " + ON_UuidToString(o->ModelObjectId()).Array() + L".");
  return CRhinoCommand::success;
}

} // namespace

void AddCreateCommands(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"Box", true, BoxCommand));
  out.push_back(std::make_unique<HostCommand>(L"Sphere", true, SphereCommand));
  out.push_back(std::make_unique<HostCommand>(L"Cylinder", true, CylinderCommand));
  out.push_back(std::make_unique<HostCommand>(L"PlaneSrf", true, PlaneSrfCommand));
  out.push_back(std::make_unique<HostCommand>(L"Block", true, BlockCommand));
  out.push_back(std::make_unique<HostCommand>(L"Insert", true, InsertCommand));
}

} // namespace kyrel::app
