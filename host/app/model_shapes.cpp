// The shapes, attributes and user data of model-file records.

#include "model_shapes.h"

#include <algorithm>

#include "file_util.h"
#include "mesh_io.h"
#include "win_strings.h"

namespace kyrel::app::model_shapes {
namespace {

using namespace model_json;

const json& Need(const json& j, const char* key, const std::string& where) {
  if (!j.is_object()) throw ModelError{where + " is not a record"};
  auto it = j.find(key);
  if (it == j.end()) throw ModelError{where + ": \"" + key + "\" is missing"};
  return *it;
}

ON_Mesh* MeshFrom(const json& j, const std::string& where, const std::string& folder) {
  auto mesh = std::make_unique<ON_Mesh>();
  if (j.contains("file")) {
    ON_wString name = GetText(j["file"], "mesh file");
    std::string path = kyrel::platform::NativePath(name.Array());
    if (!path.empty() && path[0] != '/') path = folder + "/" + path;
    std::string error;
    if (!ReadMeshFile(path, *mesh, error)) throw ModelError{where + ": " + error};
    return mesh.release();
  }
  const json& v = Need(j, "vertices", where);
  const json& f = Need(j, "faces", where);
  if (!v.is_array() || !f.is_array())
    throw ModelError{where + ": vertices and faces must be lists"};
  for (const json& p : v)
    mesh->AppendVertex(GetPoint(p, "a mesh vertex"));
  const int n = mesh->VertexCount();
  if (n == 0) throw ModelError{where + ": the mesh has no vertices"};
  for (const json& face : f) {
    if (!face.is_array() || (face.size() != 3 && face.size() != 4))
      throw ModelError{where + ": a face must list 3 or 4 vertex indices"};
    int vi[4];
    for (std::size_t k = 0; k < face.size(); ++k)
      vi[k] = GetInt(face[k], (where + ": a face's vertex").c_str(), 0, n - 1);
    if (face.size() == 3)
      mesh->AppendTriangle(vi[0], vi[1], vi[2]);
    else
      mesh->AppendQuad(vi[0], vi[1], vi[2], vi[3]);
  }
  if (mesh->FaceCount() == 0) throw ModelError{where + ": the mesh has no faces"};
  mesh->ComputeFaceNormals();
  return mesh.release();
}

ON_BrepFace FaceFrom(const json& f, const std::string& where) {
  ON_BrepFace face;
  face.m_kind = static_cast<ON_BrepFace::Kind>(GetInt(Need(f, "kind", where), "face kind", 0, 5));
  face.m_plane.origin = GetPoint(Need(f, "origin", where), "face origin");
  face.m_plane.xaxis = GetVector(Need(f, "xaxis", where), "face x axis");
  face.m_plane.yaxis = GetVector(Need(f, "yaxis", where), "face y axis");
  face.m_plane.zaxis = GetVector(Need(f, "zaxis", where), "face z axis");
  face.m_plane.UpdateEquation();
  face.m_radius = GetNumber(f.value("radius", json(0.0)), "face radius");
  face.m_height = GetNumber(f.value("height", json(0.0)), "face height");
  face.m_bRev = f.value("reversed", false);
  for (const json& p : GetList(f, "polygon", where))
    face.m_polygon.Append(GetPoint(p, "face corner"));
  face.m_lump_index = 0;
  face.m_ei.Empty();
  return face;
}

// An edge's one or two faces, as indices into the file's face list.
std::pair<int, int> EdgeFaces(const json& e, int face_count, const std::string& where) {
  const json& fi = Need(e, "faces", where);
  if (!fi.is_array() || fi.empty() || fi.size() > 2)
    throw ModelError{where + ": an edge needs one or two faces"};
  const char* what = "an edge's face";
  return {GetInt(fi[0], what, 0, face_count - 1),
          fi.size() > 1 ? GetInt(fi[1], what, 0, face_count - 1) : -1};
}

// The brep of one lump: the faces listed, and the edges whose first face is
// one of them. Face indices in the file count over all lumps; here they are
// the lump's.
std::unique_ptr<ON_Brep> LumpFrom(const json& faces, const json& edges,
                                  const std::vector<std::size_t>& face_list,
                                  const std::vector<std::size_t>& edge_list,
                                  const std::vector<int>& lump_of, int lump,
                                  const std::string& where) {
  // A one-lump seed whose faces and edges are replaced.
  std::unique_ptr<ON_Brep> part(ON_Brep::CreatePlanarSurface(ON_Plane(), 1, 1));
  if (!part) throw ModelError{where + ": cannot build a brep"};
  part->m_F.Empty();
  part->m_E.Empty();
  std::vector<int> global_to_local(faces.size(), -1);
  for (std::size_t i : face_list) {
    ON_BrepFace face = FaceFrom(faces[i], where);
    face.m_face_index = part->m_F.Count();
    part->m_F.Append(face);
    global_to_local[i] = face.m_face_index;
  }
  const int face_count = static_cast<int>(faces.size());
  for (std::size_t k : edge_list) {
    const json& e = edges[k];
    auto [f0, f1] = EdgeFaces(e, face_count, where);
    ON_BrepEdge& edge = part->m_E.AppendNew();
    edge.m_edge_index = part->m_E.Count() - 1;
    edge.m_start = GetPoint(Need(e, "start", where), "edge start");
    edge.m_end = GetPoint(Need(e, "end", where), "edge end");
    edge.m_bClosed = e.value("closed", false);
    for (int g : {f0, f1}) {
      if (g < 0) continue;
      if (lump_of[static_cast<std::size_t>(g)] != lump)
        throw ModelError{where + ": an edge joins faces of two lumps"};
      int local = global_to_local[static_cast<std::size_t>(g)];
      edge.m_fi.Append(local);
      part->m_F[local].m_ei.Append(edge.m_edge_index);
    }
  }
  return part;
}

ON_Brep* BrepFrom(const json& j, const std::string& where) {
  const json& faces = Need(j, "faces", where);
  const json& edges = GetList(j, "edges", where);
  if (!faces.is_array() || faces.empty()) throw ModelError{where + ": a brep needs faces"};
  // Faces and edges are sorted by lump in one pass; each lump is built on
  // its own and appended.
  const int face_count = static_cast<int>(std::min<std::size_t>(faces.size(), 1u << 30));
  std::vector<int> lump_of;
  std::vector<std::vector<std::size_t>> lump_faces, lump_edges;
  for (const json& f : faces) {
    if (!f.is_object()) throw ModelError{where + ": a brep face is not a record"};
    int lump = GetInt(f.value("lump", json(0)), "lump index", 0, face_count - 1);
    lump_of.push_back(lump);
    if (lump_faces.size() <= static_cast<std::size_t>(lump)) {
      lump_faces.resize(static_cast<std::size_t>(lump) + 1);
      lump_edges.resize(static_cast<std::size_t>(lump) + 1);
    }
    lump_faces[static_cast<std::size_t>(lump)].push_back(lump_of.size() - 1);
  }
  for (std::size_t k = 0; k < edges.size(); ++k) {
    int f0 = EdgeFaces(edges[k], face_count, where).first;
    lump_edges[static_cast<std::size_t>(lump_of[static_cast<std::size_t>(f0)])].push_back(k);
  }
  auto result = std::make_unique<ON_Brep>();
  for (std::size_t lump = 0; lump < lump_faces.size(); ++lump) {
    if (lump_faces[lump].empty()) continue;
    std::unique_ptr<ON_Brep> part = LumpFrom(faces, edges, lump_faces[lump], lump_edges[lump],
                                             lump_of, static_cast<int>(lump), where);
    result->Append(*part);
  }
  return result.release();
}

std::unique_ptr<CRhinoObject> BrepObject(ON_Brep* brep, const ON_3dmObjectAttributes& a,
                                         const std::string& where) {
  if (!brep) throw ModelError{where + ": the shape is degenerate"};
  auto o = std::make_unique<CRhinoBrepObject>(a);
  o->SetBrep(brep);
  return o;
}

ON_Brep* BoxFrom(const json& j, const std::string& where) {
  ON_3dPoint lo = GetPoint(Need(j, "min", where), "box min"),
             hi = GetPoint(Need(j, "max", where), "box max");
  if (lo.x >= hi.x || lo.y >= hi.y || lo.z >= hi.z)
    throw ModelError{where + ": the box has no volume"};
  return ON_Brep::CreateBox(lo, hi);
}

ON_Brep* SphereFrom(const json& j, const std::string& where) {
  double r = GetNumber(Need(j, "radius", where), "sphere radius");
  if (r <= 0) throw ModelError{where + ": the radius must be positive"};
  return ON_Brep::CreateSphere(GetPoint(Need(j, "center", where), "sphere center"), r);
}

ON_Brep* CylinderOrConeFrom(const json& j, const std::string& where, bool cylinder) {
  double r = GetNumber(Need(j, "radius", where), "radius"),
         h = GetNumber(Need(j, "height", where), "height");
  if (r <= 0 || h <= 0) throw ModelError{where + ": radius and height must be positive"};
  ON_3dVector axis = j.contains("axis") ? GetVector(j["axis"], "axis") : ON_3dVector(0, 0, 1);
  if (axis.Length() == 0) throw ModelError{where + ": the axis has no length"};
  ON_Plane base(GetPoint(Need(j, "base", where), "base"), axis);
  bool capped = j.value("capped", true);
  return cylinder ? ON_Brep::CreateCylinder(base, r, h, capped)
                  : ON_Brep::CreateCone(base, r, h, capped);
}

ON_Brep* PlanarSurfaceFrom(const json& j, const std::string& where) {
  double w = GetNumber(Need(j, "width", where), "width"),
         h = GetNumber(Need(j, "height", where), "height");
  if (w <= 0 || h <= 0) throw ModelError{where + ": width and height must be positive"};
  ON_3dVector normal =
      j.contains("normal") ? GetVector(j["normal"], "normal") : ON_3dVector(0, 0, 1);
  if (normal.Length() == 0) throw ModelError{where + ": the normal has no length"};
  return ON_Brep::CreatePlanarSurface(
      ON_Plane(GetPoint(Need(j, "origin", where), "origin"), normal), w, h);
}

std::unique_ptr<CRhinoObject> PolylineObject(const json& j, const std::string& where,
                                             const ON_3dmObjectAttributes& a) {
  ON_Polyline pl;
  const json& points = Need(j, "points", where);
  if (!points.is_array()) throw ModelError{where + ": the points must be a list"};
  for (const json& p : points)
    pl.Append(GetPoint(p, "polyline point"));
  if (pl.Count() < 2) throw ModelError{where + ": a polyline needs two points"};
  auto o = std::make_unique<CRhinoCurveObject>(a);
  o->SetCurve(ON_PolylineCurve(pl));
  return o;
}

std::unique_ptr<CRhinoObject> ClippingPlaneObject(const json& j, const std::string& where,
                                                  const ON_3dmObjectAttributes& a) {
  ON_Plane plane;
  plane.origin = GetPoint(Need(j, "origin", where), "origin");
  if (j.contains("normal")) {
    plane = ON_Plane(plane.origin, GetVector(j["normal"], "normal"));
  } else {
    ON_3dVector x = GetVector(Need(j, "xaxis", where), "x axis"),
                y = GetVector(Need(j, "yaxis", where), "y axis");
    plane = ON_Plane(plane.origin, plane.origin + x, plane.origin + y);
  }
  if (!plane.IsValid()) throw ModelError{where + ": the clipping plane is degenerate"};
  return std::make_unique<CRhinoClippingPlaneObject>(
      a, plane, GetNumber(j.value("half_width", json(1.0)), "half width"),
      GetNumber(j.value("half_height", json(1.0)), "half height"));
}

} // namespace

UserDataRecords::~UserDataRecords() {
  for (auto& r : records_)
    delete r.second;
}

void UserDataRecords::AttachTo(CRhinoObject& o) {
  for (auto& [on_attributes, ud] : records_) {
    bool ok = on_attributes ? o.AttachAttributeUserData(ud) : o.AttachUserData(ud);
    if (!ok) delete ud;
  }
  records_.clear();
}

ON_3dmObjectAttributes AttributesFrom(const json& j, const std::string& where,
                                      const TableSizes& tables) {
  if (!j.is_object()) throw ModelError{where + " is not an object record"};
  ON_3dmObjectAttributes a;
  a.m_uuid = GetUuid(j.value("id", json()), "object id");
  a.m_name = GetText(j.value("name", json()), "object name");
  if (j.contains("layer"))
    a.m_layer_index = GetInt(j["layer"], (where + ": layer").c_str(), 0, tables.layers - 1);
  else
    a.m_layer_index = 0;
  a.m_material_index =
      j.contains("material")
          ? GetInt(j["material"], (where + ": material").c_str(), -1, tables.materials - 1)
          : -1;
  if (j.contains("color")) a.m_color = GetColor(j["color"], "object color");
  a.SetColorSource(static_cast<ON::object_color_source>(
      GetInt(j.value("color_source", json(0)), (where + ": color source").c_str(), 0, 3)));
  if (auto strings = j.find("user_strings"); strings != j.end()) {
    if (!strings->is_object()) throw ModelError{where + ": its user strings must be a record"};
    for (const auto& [key, value] : strings->items()) {
      if (key.empty() || !value.is_string())
        throw ModelError{where + ": a user string needs a name and a text"};
      a.SetUserString(ON_wString::FromUtf8(key), ON_wString::FromUtf8(value.get<std::string>()));
    }
  }
  std::string mode = j.value("mode", std::string("normal"));
  if (mode == "hidden")
    a.SetMode(ON::hidden_object);
  else if (mode == "locked")
    a.SetMode(ON::locked_object);
  else if (mode != "normal")
    throw ModelError{where + ": unknown mode \"" + mode + "\""};
  return a;
}

std::string TypeOf(const json& j, const std::string& where) {
  const json& type = Need(j, "type", where);
  if (!type.is_string()) throw ModelError{where + ": its type must be text"};
  return type.get<std::string>();
}

std::unique_ptr<CRhinoObject> ShapeFrom(const std::string& type, const json& j,
                                        const std::string& where, const ON_3dmObjectAttributes& a,
                                        const std::string& folder) {
  if (type == "mesh") {
    auto o = std::make_unique<CRhinoMeshObject>(a);
    o->SetMesh(MeshFrom(j, where, folder));
    return o;
  }
  if (type == "brep") return BrepObject(BrepFrom(j, where), a, where);
  if (type == "box") return BrepObject(BoxFrom(j, where), a, where);
  if (type == "sphere") return BrepObject(SphereFrom(j, where), a, where);
  if (type == "cylinder" || type == "cone")
    return BrepObject(CylinderOrConeFrom(j, where, type == "cylinder"), a, where);
  if (type == "planar_surface") return BrepObject(PlanarSurfaceFrom(j, where), a, where);
  if (type == "polyline") return PolylineObject(j, where, a);
  if (type == "clipping_plane") return ClippingPlaneObject(j, where, a);
  throw ModelError{where + ": unknown object type \"" + type + "\""};
}

void ReadUserData(const json& j, const std::string& where, UserDataRecords& out) {
  for (const json& u : GetList(j, "user_data", where)) {
    ON_UUID class_id = GetUuid(Need(u, "class", where), "user data class");
    const ON_ClassId* cls = ON_ClassId::ClassId(class_id);
    // User data of a class this process does not know is left out, as a
    // plug-in that is not loaded would leave it.
    if (!cls) continue;
    const json& data = Need(u, "data", where);
    if (!data.is_string()) throw ModelError{where + ": user data must be base64 text"};
    const bool on_attributes = u.value("on", std::string("attributes")) == "attributes";
    std::unique_ptr<ON_Object> made(cls->Create());
    auto* ud = dynamic_cast<ON_UserData*>(made.get());
    if (!ud) continue;
    std::vector<unsigned char> bytes = FromBase64(data.get<std::string>(), "user data");
    ON_BinaryArchive archive(bytes.data(), bytes.size());
    if (!ud->Read(archive) || archive.ReadFailed())
      throw ModelError{where + ": its " + std::string(cls->ClassName()) +
                       " user data cannot be read"};
    made.release();
    out.Add(on_attributes, ud);
  }
}

} // namespace kyrel::app::model_shapes
