// Writing the native model file.

#include <nlohmann/json.hpp>

#include "file_util.h"
#include "model_file.h"
#include "model_json.h"
#include "rhinoSdk.h"

namespace kyrel::app {
namespace {

using namespace model_json;

json UserDataList(const ON_Object& owner, const char* on) {
  json list = json::array();
  for (ON_UserData* ud = owner.FirstUserData(); ud; ud = ud->Next()) {
    if (!ud->Archive() || !ud->ClassId()) continue;
    ON_BinaryArchive archive;
    if (!ud->Write(archive)) continue;
    list.push_back({{"on", on},
                    {"class", Uuid(ud->ClassId()->Uuid())},
                    {"userdata_id", Uuid(ud->m_userdata_uuid)},
                    {"data", Base64(archive.Buffer())}});
  }
  return list;
}

json BrepJson(const ON_Brep& brep) {
  json faces = json::array(), edges = json::array();
  for (int i = 0; i < brep.m_F.Count(); ++i) {
    const ON_BrepFace& f = brep.m_F[i];
    json poly = json::array();
    for (int k = 0; k < f.m_polygon.Count(); ++k)
      poly.push_back(Point(f.m_polygon[k]));
    faces.push_back({{"kind", static_cast<int>(f.m_kind)},
                     {"lump", f.m_lump_index},
                     {"origin", Point(f.m_plane.origin)},
                     {"xaxis", Vector(f.m_plane.xaxis)},
                     {"yaxis", Vector(f.m_plane.yaxis)},
                     {"zaxis", Vector(f.m_plane.zaxis)},
                     {"radius", f.m_radius},
                     {"height", f.m_height},
                     {"reversed", f.m_bRev},
                     {"polygon", poly}});
  }
  for (int i = 0; i < brep.m_E.Count(); ++i) {
    const ON_BrepEdge& e = brep.m_E[i];
    json fi = json::array();
    for (int k = 0; k < e.m_fi.Count(); ++k)
      fi.push_back(e.m_fi[k]);
    edges.push_back({{"start", Point(e.m_start)},
                     {"end", Point(e.m_end)},
                     {"closed", e.m_bClosed},
                     {"faces", fi}});
  }
  return {{"faces", faces}, {"edges", edges}};
}

json MeshJson(const ON_Mesh& mesh) {
  json v = json::array(), f = json::array();
  for (int i = 0; i < mesh.m_V.Count(); ++i)
    v.push_back({mesh.m_V[i].x, mesh.m_V[i].y, mesh.m_V[i].z});
  for (int i = 0; i < mesh.m_F.Count(); ++i) {
    const ON_MeshFace& face = mesh.m_F[i];
    if (face.IsTriangle())
      f.push_back({face.vi[0], face.vi[1], face.vi[2]});
    else
      f.push_back({face.vi[0], face.vi[1], face.vi[2], face.vi[3]});
  }
  return {{"vertices", v}, {"faces", f}};
}

const char* ModeName(ON::object_mode mode) {
  switch (mode) {
  case ON::hidden_object:
    return "hidden";
  case ON::locked_object:
    return "locked";
  default:
    return "normal";
  }
}

// Null when the object has nothing this file can hold.
json ObjectJson(const CRhinoObject& o, const ModelWriteOptions& options) {
  const ON_3dmObjectAttributes& a = o.Attributes();
  json j = {{"id", Uuid(a.m_uuid)},      {"name", Text(a.m_name)},
            {"layer", a.m_layer_index},  {"material", a.m_material_index},
            {"color", Color(a.m_color)}, {"color_source", static_cast<int>(a.ColorSource())},
            {"mode", ModeName(a.Mode())}};
  if (a.UserStringCount() > 0) {
    json strings = json::object();
    for (const auto& [key, value] : a.UserStrings())
      strings[key.ToUtf8()] = value.ToUtf8();
    j["user_strings"] = strings;
  }
  if (const auto* m = dynamic_cast<const CRhinoMeshObject*>(&o)) {
    if (!m->Mesh()) return nullptr;
    j["type"] = "mesh";
    j.update(MeshJson(*m->Mesh()));
  } else if (const auto* b = dynamic_cast<const CRhinoBrepObject*>(&o)) {
    if (!b->Brep()) return nullptr;
    j["type"] = "brep";
    j.update(BrepJson(*b->Brep()));
  } else if (const auto* c = dynamic_cast<const CRhinoCurveObject*>(&o)) {
    if (!c->Curve()) return nullptr;
    j["type"] = "polyline";
    json pts = json::array();
    for (int i = 0; i < c->Curve()->m_pline.Count(); ++i)
      pts.push_back(Point(c->Curve()->m_pline[i]));
    j["points"] = pts;
  } else if (const auto* r = dynamic_cast<const CRhinoInstanceObject*>(&o)) {
    if (!r->InstanceDefinition()) return nullptr;
    j["type"] = "instance";
    j["definition"] = Uuid(r->InstanceDefinition()->Id());
    j["xform"] = Xform(r->InstanceXform());
  } else if (const auto* p = dynamic_cast<const CRhinoClippingPlaneObject*>(&o)) {
    ON_3dPoint corners[4];
    p->GetCorners(corners);
    j["type"] = "clipping_plane";
    j["origin"] = Point(p->Plane().origin);
    j["xaxis"] = Vector(p->Plane().xaxis);
    j["yaxis"] = Vector(p->Plane().yaxis);
    j["half_width"] = corners[0].DistanceTo(corners[1]) / 2;
    j["half_height"] = corners[1].DistanceTo(corners[2]) / 2;
  } else {
    return nullptr;
  }
  if (options.user_data) {
    json ud = UserDataList(a, "attributes");
    for (auto& u : UserDataList(o, "object"))
      ud.push_back(u);
    if (!ud.empty()) j["user_data"] = ud;
  }
  return j;
}

} // namespace

bool WriteModelFile(const std::string& path, const CRhinoDoc& doc, const ModelWriteOptions& options,
                    std::string& error) {
  json root = {{"format", "kyrel-model"}, {"version", 1}};
  root["settings"] = {{"absolute_tolerance", doc.AbsoluteTolerance()}};
  json layers = json::array();
  for (int i = 0; i < doc.LayerTable().LayerCount(); ++i) {
    const ON_Layer& l = doc.LayerTable()[i];
    layers.push_back({{"name", Text(l.Name())},
                      {"id", Uuid(l.m_layer_id)},
                      {"color", Color(l.Color())},
                      {"visible", l.IsVisible()},
                      {"locked", l.IsLocked()},
                      {"material", l.RenderMaterialIndex()},
                      {"deleted", doc.LayerTable().IsDeleted(i)}});
  }
  root["layers"] = layers;
  root["current_layer"] = doc.LayerTable().CurrentLayerIndex();
  json materials = json::array();
  for (int i = 0; i < doc.MaterialTable().MaterialCount(); ++i) {
    const ON_Material& m = doc.MaterialTable()[i];
    materials.push_back({{"name", Text(m.m_material_name)},
                         {"id", Uuid(m.m_material_id)},
                         {"ambient", Color(m.m_ambient)},
                         {"diffuse", Color(m.m_diffuse)},
                         {"emission", Color(m.m_emission)},
                         {"specular", Color(m.m_specular)},
                         {"transparency", m.m_transparency},
                         {"shine", m.m_shine}});
  }
  root["materials"] = materials;
  json defs = json::array();
  const auto& idefs = doc.InstanceDefinitionTable();
  for (int i = 0; i < idefs.InstanceDefinitionCount(); ++i) {
    const CRhinoInstanceDefinition* d = idefs.InstanceDefinition(i);
    if (!d || d->IsDeleted()) continue;
    json members = json::array();
    ModelWriteOptions all = options;
    all.selected_only = false;
    for (int k = 0; k < d->ObjectCount(); ++k)
      if (const CRhinoObject* m = d->Object(k)) {
        json mj = ObjectJson(*m, all);
        if (!mj.is_null()) members.push_back(mj);
      }
    defs.push_back({{"name", Text(d->Name())}, {"id", Uuid(d->Id())}, {"objects", members}});
  }
  root["instance_definitions"] = defs;
  json objects = json::array();
  for (const CRhinoObject* o : doc.ObjectList()) {
    if (!o || o->IsDeleted() || o->IsReference() || o->IsHiddenByMark()) continue;
    if (options.selected_only && !o->IsSelected()) continue;
    json j = ObjectJson(*o, options);
    if (!j.is_null()) objects.push_back(j);
  }
  root["objects"] = objects;
  return kyrel::platform::WriteFileAtomically(path, root.dump(1) + "\n", error);
}

} // namespace kyrel::app
