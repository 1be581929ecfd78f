// Reading the native model file. Everything is parsed and built first;
// the document changes only once the whole file was understood.

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "file_util.h"
#include "mesh_io.h"
#include "model_file.h"
#include "model_json.h"
#include "rhinoSdk.h"
#include "win_strings.h"

namespace kyrel::app {
namespace {

using namespace model_json;

const json& Need(const json& j, const char* key, const std::string& where) {
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
  for (const json& face : f) {
    if (!face.is_array() || (face.size() != 3 && face.size() != 4))
      throw ModelError{where + ": a face must list 3 or 4 vertex indices"};
    int vi[4];
    for (std::size_t k = 0; k < face.size(); ++k) {
      if (!face[k].is_number_integer()) throw ModelError{where + ": face indices must be integers"};
      vi[k] = face[k].get<int>();
      if (vi[k] < 0 || vi[k] >= n)
        throw ModelError{where + ": a face uses vertex " + std::to_string(vi[k]) + " of " +
                         std::to_string(n)};
    }
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
  int kind = Need(f, "kind", where).get<int>();
  if (kind < 0 || kind > 5) throw ModelError{where + ": unknown face kind " + std::to_string(kind)};
  face.m_kind = static_cast<ON_BrepFace::Kind>(kind);
  face.m_plane.origin = GetPoint(Need(f, "origin", where), "face origin");
  face.m_plane.xaxis = GetVector(Need(f, "xaxis", where), "face x axis");
  face.m_plane.yaxis = GetVector(Need(f, "yaxis", where), "face y axis");
  face.m_plane.zaxis = GetVector(Need(f, "zaxis", where), "face z axis");
  face.m_plane.UpdateEquation();
  face.m_radius = GetNumber(f.value("radius", json(0.0)), "face radius");
  face.m_height = GetNumber(f.value("height", json(0.0)), "face height");
  face.m_bRev = f.value("reversed", false);
  for (const json& p : f.value("polygon", json::array()))
    face.m_polygon.Append(GetPoint(p, "face corner"));
  face.m_lump_index = 0;
  face.m_ei.Empty();
  return face;
}

// The brep of one lump: its faces, and the edges whose first face is in it.
// Face indices in the file count over all lumps; here they are the lump's.
std::unique_ptr<ON_Brep> LumpFrom(const json& faces, const json& edges,
                                  const std::vector<int>& lump_of, int lump,
                                  const std::string& where) {
  // A one-lump seed whose faces and edges are replaced.
  std::unique_ptr<ON_Brep> part(ON_Brep::CreatePlanarSurface(ON_Plane(), 1, 1));
  if (!part) throw ModelError{where + ": cannot build a brep"};
  part->m_F.Empty();
  part->m_E.Empty();
  std::vector<int> global_to_local(faces.size(), -1);
  for (std::size_t i = 0; i < faces.size(); ++i) {
    if (lump_of[i] != lump) continue;
    ON_BrepFace face = FaceFrom(faces[i], where);
    face.m_face_index = part->m_F.Count();
    part->m_F.Append(face);
    global_to_local[i] = face.m_face_index;
  }
  for (const json& e : edges) {
    const json& fi = Need(e, "faces", where);
    if (!fi.is_array() || fi.empty() || fi.size() > 2)
      throw ModelError{where + ": an edge needs one or two faces"};
    int f0 = fi[0].get<int>(), f1 = fi.size() > 1 ? fi[1].get<int>() : -1;
    if (f0 < 0 || f0 >= static_cast<int>(faces.size()) || f1 >= static_cast<int>(faces.size()))
      throw ModelError{where + ": an edge names a face that does not exist"};
    if (lump_of[static_cast<std::size_t>(f0)] != lump) continue;
    ON_BrepEdge& edge = part->m_E.AppendNew();
    edge.m_edge_index = part->m_E.Count() - 1;
    edge.m_start = GetPoint(Need(e, "start", where), "edge start");
    edge.m_end = GetPoint(Need(e, "end", where), "edge end");
    edge.m_bClosed = e.value("closed", false);
    for (int g : {f0, f1}) {
      if (g < 0) continue;
      int local = global_to_local[static_cast<std::size_t>(g)];
      if (local < 0) throw ModelError{where + ": an edge joins faces of two lumps"};
      edge.m_fi.Append(local);
      part->m_F[local].m_ei.Append(edge.m_edge_index);
    }
  }
  return part;
}

ON_Brep* BrepFrom(const json& j, const std::string& where) {
  const json& faces = Need(j, "faces", where);
  const json& edges = j.contains("edges") ? j["edges"] : json::array();
  if (!faces.is_array() || faces.empty() || !edges.is_array())
    throw ModelError{where + ": a brep needs faces"};
  // Faces are grouped by lump; each lump is built on its own and appended.
  std::vector<int> lump_of;
  int lumps = 0;
  for (const json& f : faces) {
    int lump = f.value("lump", 0);
    if (lump < 0 || lump > 100000) throw ModelError{where + ": bad lump index"};
    lump_of.push_back(lump);
    lumps = std::max(lumps, lump + 1);
  }
  auto result = std::make_unique<ON_Brep>();
  for (int lump = 0; lump < lumps; ++lump) {
    std::unique_ptr<ON_Brep> part = LumpFrom(faces, edges, lump_of, lump, where);
    if (part->FaceCount() > 0) result->Append(*part);
  }
  return result.release();
}

struct Built {
  std::unique_ptr<CRhinoObject> object;
  std::vector<std::pair<bool, ON_UserData*>>
      user_data; // (on attributes, record), owned until attached
  ~Built() {
    for (auto& u : user_data)
      delete u.second;
  }
};

ON_3dmObjectAttributes AttributesFrom(const json& j, const std::string& where, int layer_count,
                                      int material_count) {
  ON_3dmObjectAttributes a;
  a.m_uuid = GetUuid(j.value("id", json()), "object id");
  a.m_name = GetText(j.value("name", json()), "object name");
  a.m_layer_index = j.value("layer", 0);
  if (a.m_layer_index < 0 || a.m_layer_index >= layer_count)
    throw ModelError{where + ": no layer " + std::to_string(a.m_layer_index)};
  a.m_material_index = j.value("material", -1);
  if (a.m_material_index < -1 || a.m_material_index >= material_count)
    throw ModelError{where + ": no material " + std::to_string(a.m_material_index)};
  if (j.contains("color")) a.m_color = GetColor(j["color"], "object color");
  int source = j.value("color_source", 0);
  if (source < 0 || source > 3) throw ModelError{where + ": bad color source"};
  a.SetColorSource(static_cast<ON::object_color_source>(source));
  std::string mode = j.value("mode", std::string("normal"));
  if (mode == "hidden")
    a.SetMode(ON::hidden_object);
  else if (mode == "locked")
    a.SetMode(ON::locked_object);
  else if (mode != "normal")
    throw ModelError{where + ": unknown mode \"" + mode + "\""};
  return a;
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
  for (const json& p : Need(j, "points", where))
    pl.Append(GetPoint(p, "polyline point"));
  if (pl.Count() < 2) throw ModelError{where + ": a polyline needs two points"};
  auto o = std::make_unique<CRhinoCurveObject>(a);
  o->SetCurve(ON_PolylineCurve(pl));
  return o;
}

// The definition is looked up in the document, by id or else by name.
std::unique_ptr<CRhinoObject> InstanceObject(const json& j, const std::string& where,
                                             const ON_3dmObjectAttributes& a, CRhinoDoc& doc) {
  const CRhinoInstanceDefinition* def = nullptr;
  const json& d = Need(j, "definition", where);
  ON_UUID id = ON_nil_uuid;
  if (d.is_string() &&
      ON_UuidFromString(kyrel::platform::Utf8ToWide(d.get<std::string>()).c_str(), id)) {
    int index = doc.InstanceDefinitionTable().FindInstanceDefinition(id);
    def = doc.InstanceDefinitionTable().InstanceDefinition(index);
  } else if (d.is_string()) {
    int index = doc.InstanceDefinitionTable().FindInstanceDefinition(
        kyrel::platform::Utf8ToWide(d.get<std::string>()).c_str());
    def = doc.InstanceDefinitionTable().InstanceDefinition(index);
  }
  if (!def) throw ModelError{where + ": no instance definition " + d.dump()};
  ON_Xform x = j.contains("xform") ? GetXform(j["xform"], "instance transform")
                                   : ON_Xform::IdentityTransformation;
  return std::make_unique<CRhinoInstanceObject>(a, def, x);
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

// Appends the record's user data to `built`, which owns each record as soon
// as it is read, so a later failure frees them.
void ReadUserData(const json& j, const std::string& where, Built& built) {
  for (const json& u : j.value("user_data", json::array())) {
    ON_UUID class_id = GetUuid(Need(u, "class", where), "user data class");
    const ON_ClassId* cls = ON_ClassId::ClassId(class_id);
    // User data of a class this process does not know is left out, as a
    // plug-in that is not loaded would leave it.
    if (!cls) continue;
    std::unique_ptr<ON_Object> made(cls->Create());
    auto* ud = dynamic_cast<ON_UserData*>(made.get());
    if (!ud) continue;
    std::vector<unsigned char> bytes =
        FromBase64(Need(u, "data", where).get<std::string>(), "user data");
    ON_BinaryArchive archive(bytes.data(), bytes.size());
    if (!ud->Read(archive) || archive.ReadFailed())
      throw ModelError{where + ": its " + std::string(cls->ClassName()) +
                       " user data cannot be read"};
    made.release();
    built.user_data.emplace_back(u.value("on", std::string("attributes")) == "attributes", ud);
  }
}

class Reader {
public:
  Reader(CRhinoDoc& doc, std::string folder) : doc_(doc), folder_(std::move(folder)) {}

  std::unique_ptr<Built> Object(const json& j, const std::string& where, int layer_count,
                                int material_count) {
    if (!j.is_object()) throw ModelError{where + " is not an object record"};
    auto built = std::make_unique<Built>();
    ON_3dmObjectAttributes a = AttributesFrom(j, where, layer_count, material_count);
    std::string type = Need(j, "type", where).is_string() ? j["type"].get<std::string>() : "";
    built->object = Shape(type, j, where, a);
    ReadUserData(j, where, *built);
    return built;
  }

private:
  std::unique_ptr<CRhinoObject> Shape(const std::string& type, const json& j,
                                      const std::string& where, const ON_3dmObjectAttributes& a) {
    if (type == "mesh") {
      auto o = std::make_unique<CRhinoMeshObject>(a);
      o->SetMesh(MeshFrom(j, where, folder_));
      return o;
    }
    if (type == "brep") return BrepObject(BrepFrom(j, where), a, where);
    if (type == "box") return BrepObject(BoxFrom(j, where), a, where);
    if (type == "sphere") return BrepObject(SphereFrom(j, where), a, where);
    if (type == "cylinder" || type == "cone")
      return BrepObject(CylinderOrConeFrom(j, where, type == "cylinder"), a, where);
    if (type == "planar_surface") return BrepObject(PlanarSurfaceFrom(j, where), a, where);
    if (type == "polyline") return PolylineObject(j, where, a);
    if (type == "instance") return InstanceObject(j, where, a, doc_);
    if (type == "clipping_plane") return ClippingPlaneObject(j, where, a);
    throw ModelError{where + ": unknown object type \"" + type + "\""};
  }

  CRhinoDoc& doc_;
  std::string folder_;
};

// A definition of the file with its members built, not yet in the document.
struct Definition {
  ON_wString name;
  ON_UUID id;
  std::vector<std::unique_ptr<Built>> members;
};

// Everything the file holds, checked and built off to the side.
struct Prepared {
  std::vector<ON_Layer> layers;
  std::vector<ON_Material> materials;
  std::vector<Definition> definitions;
  std::vector<json> object_records;
  // The objects other than instance references, in file order; references
  // can only be built once their definitions are in the document.
  std::vector<std::unique_ptr<Built>> plain;
  std::optional<double> absolute_tolerance;
};

// File indices into the document's tables, known once the tables are merged.
struct TableMaps {
  std::vector<int> layers, materials;
};

bool IsInstanceRecord(const json& o) {
  return o.is_object() && o.value("type", std::string()) == "instance";
}

void CheckFormat(const json& root) {
  if (!root.is_object() || root.value("format", std::string()) != "kyrel-model")
    throw ModelError{"it has no \"format\": \"kyrel-model\" marker"};
  if (root.value("version", 0) != 1) throw ModelError{"its version is not 1"};
}

std::vector<ON_Layer> LayersFrom(const json& root) {
  std::vector<ON_Layer> layers;
  for (const json& l : root.value("layers", json::array())) {
    ON_Layer layer;
    layer.SetName(GetText(l.value("name", json("")), "layer name"));
    layer.m_layer_id = GetUuid(l.value("id", json()), "layer id");
    if (l.contains("color")) layer.SetColor(GetColor(l["color"], "layer color"));
    layer.SetVisible(l.value("visible", true));
    layer.SetLocked(l.value("locked", false));
    layer.SetRenderMaterialIndex(l.value("material", -1));
    layers.push_back(layer);
  }
  return layers;
}

std::vector<ON_Material> MaterialsFrom(const json& root) {
  std::vector<ON_Material> materials;
  for (const json& m : root.value("materials", json::array())) {
    ON_Material mat;
    mat.m_material_name = GetText(m.value("name", json("")), "material name");
    mat.m_material_id = GetUuid(m.value("id", json()), "material id");
    if (m.contains("ambient")) mat.m_ambient = GetColor(m["ambient"], "ambient colour");
    if (m.contains("diffuse")) mat.m_diffuse = GetColor(m["diffuse"], "diffuse colour");
    if (m.contains("emission")) mat.m_emission = GetColor(m["emission"], "emission colour");
    if (m.contains("specular")) mat.m_specular = GetColor(m["specular"], "specular colour");
    mat.SetTransparency(GetNumber(m.value("transparency", json(0.0)), "transparency"));
    mat.SetShine(GetNumber(m.value("shine", json(0.0)), "shine"));
    materials.push_back(mat);
  }
  return materials;
}

// Layer and material indices in the file are the file's own; they map to
// the document's only after the tables are merged.
void CheckLayerMaterials(const std::vector<ON_Layer>& layers,
                         const std::vector<ON_Material>& materials) {
  for (const ON_Layer& l : layers)
    if (l.RenderMaterialIndex() < -1 ||
        l.RenderMaterialIndex() >= static_cast<int>(materials.size()))
      throw ModelError{"layer " + kyrel::platform::WideToUtf8(l.Name().Array()) +
                       " names a material that does not exist"};
}

std::vector<Definition> DefinitionsFrom(const json& root, Reader& reader, int layer_count,
                                        int material_count) {
  std::vector<Definition> definitions;
  for (const json& d : root.value("instance_definitions", json::array())) {
    Definition def;
    def.name = GetText(Need(d, "name", "an instance definition"), "definition name");
    def.id = GetUuid(d.value("id", json()), "definition id");
    int k = 0;
    for (const json& o : Need(d, "objects", "an instance definition"))
      def.members.push_back(reader.Object(o,
                                          "member " + std::to_string(k++) + " of block " +
                                              kyrel::platform::WideToUtf8(def.name.Array()),
                                          layer_count, material_count));
    definitions.push_back(std::move(def));
  }
  return definitions;
}

// Whether `d`, an instance record's "definition", names a definition of the
// file (by id or name) or one the document has already.
bool DefinitionKnown(const json& d, const std::vector<Definition>& definitions, CRhinoDoc& doc) {
  bool known = false;
  for (const auto& def : definitions) {
    std::string id_text = kyrel::platform::WideToUtf8(ON_UuidToString(def.id).Array());
    known = known || (d.is_string() &&
                      (d.get<std::string>() == id_text ||
                       d.get<std::string>() == kyrel::platform::WideToUtf8(def.name.Array())));
  }
  if (!known && d.is_string()) {
    ON_UUID id = ON_nil_uuid;
    std::wstring name = kyrel::platform::Utf8ToWide(d.get<std::string>());
    known = (ON_UuidFromString(name.c_str(), id) &&
             doc.InstanceDefinitionTable().FindInstanceDefinition(id) >= 0) ||
            doc.InstanceDefinitionTable().FindInstanceDefinition(name.c_str()) >= 0;
  }
  return known;
}

// Instance references are built only after their definitions are added,
// so everything they could fail on is checked here, before that.
void CheckInstanceRecords(const std::vector<json>& records,
                          const std::vector<Definition>& definitions, CRhinoDoc& doc,
                          int layer_count, int material_count) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    const json& o = records[i];
    if (!IsInstanceRecord(o)) continue;
    const json& d = Need(o, "definition", "object " + std::to_string(i));
    if (!DefinitionKnown(d, definitions, doc))
      throw ModelError{"object " + std::to_string(i) + ": no instance definition " + d.dump()};
    AttributesFrom(o, "object " + std::to_string(i), layer_count, material_count);
    if (o.contains("xform")) GetXform(o["xform"], "instance transform");
    Built user_data_only;
    ReadUserData(o, "object " + std::to_string(i), user_data_only);
  }
}

// Reads and builds everything; throws on the first fault, before the
// document has been touched.
Prepared Prepare(const json& root, CRhinoDoc& doc, Reader& reader) {
  Prepared p;
  p.layers = LayersFrom(root);
  p.materials = MaterialsFrom(root);
  CheckLayerMaterials(p.layers, p.materials);
  const int layer_count = std::max<int>(1, static_cast<int>(p.layers.size()));
  const int material_count = static_cast<int>(p.materials.size());
  p.definitions = DefinitionsFrom(root, reader, layer_count, material_count);
  for (const json& o : root.value("objects", json::array()))
    p.object_records.push_back(o);
  CheckInstanceRecords(p.object_records, p.definitions, doc, layer_count, material_count);
  for (std::size_t i = 0; i < p.object_records.size(); ++i) {
    if (IsInstanceRecord(p.object_records[i])) continue;
    p.plain.push_back(reader.Object(p.object_records[i], "object " + std::to_string(i), layer_count,
                                    material_count));
  }
  if (root.contains("settings") && root["settings"].contains("absolute_tolerance"))
    p.absolute_tolerance = GetNumber(root["settings"]["absolute_tolerance"], "absolute tolerance");
  return p;
}

// An existing layer of the same name is reused (and takes the file's
// settings), so reading a file twice does not double its layers.
TableMaps MergeTables(CRhinoDoc& doc, const std::vector<ON_Layer>& layers,
                      const std::vector<ON_Material>& materials) {
  TableMaps maps;
  for (const ON_Material& m : materials)
    maps.materials.push_back(doc.MaterialTable().AddMaterial(m));
  for (ON_Layer l : layers) {
    if (l.RenderMaterialIndex() >= 0)
      l.SetRenderMaterialIndex(maps.materials[static_cast<std::size_t>(l.RenderMaterialIndex())]);
    int existing = doc.LayerTable().FindLayer(l.Name().Array());
    if (existing >= 0) {
      doc.LayerTable().ModifyLayer(l, existing);
      maps.layers.push_back(existing);
    } else {
      maps.layers.push_back(doc.LayerTable().AddLayer(l));
    }
  }
  return maps;
}

void Remap(CRhinoObject& o, const TableMaps& maps) {
  ON_3dmObjectAttributes a = o.Attributes();
  if (!maps.layers.empty())
    a.m_layer_index = maps.layers[static_cast<std::size_t>(a.m_layer_index)];
  if (a.m_material_index >= 0)
    a.m_material_index = maps.materials[static_cast<std::size_t>(a.m_material_index)];
  o.SetAttributes(a);
}

void AttachUserData(CRhinoObject* o, Built& b) {
  for (auto& [on_attributes, ud] : b.user_data) {
    bool ok = on_attributes ? o->AttachAttributeUserData(ud) : o->AttachUserData(ud);
    if (!ok) delete ud;
  }
  b.user_data.clear();
}

void AddDefinitions(CRhinoDoc& doc, std::vector<Definition>& definitions, const TableMaps& maps) {
  for (auto& def : definitions) {
    ON_SimpleArray<CRhinoObject*> members;
    for (auto& m : def.members) {
      Remap(*m->object, maps);
      AttachUserData(m->object.get(), *m);
      members.Append(m->object.release());
    }
    doc.InstanceDefinitionTable().AddInstanceDefinition(def.name.Array(), members, def.id);
  }
}

// Adds the objects in file order; returns how many the document took.
int AddObjects(CRhinoDoc& doc, Reader& reader, Prepared& p, const TableMaps& maps) {
  const int layer_count = std::max<int>(1, static_cast<int>(p.layers.size()));
  const int material_count = static_cast<int>(p.materials.size());
  int added = 0;
  std::size_t next_plain = 0;
  for (std::size_t i = 0; i < p.object_records.size(); ++i) {
    std::unique_ptr<Built> b;
    if (IsInstanceRecord(p.object_records[i]))
      b = reader.Object(p.object_records[i], "object " + std::to_string(i), layer_count,
                        material_count);
    else
      b = std::move(p.plain[next_plain++]);
    Remap(*b->object, maps);
    CRhinoObject* o = b->object.release();
    if (doc.AddObject(o)) {
      AttachUserData(o, *b);
      ++added;
    }
  }
  return added;
}

int Apply(CRhinoDoc& doc, Reader& reader, Prepared& p) {
  const TableMaps maps = MergeTables(doc, p.layers, p.materials);
  AddDefinitions(doc, p.definitions, maps);
  int added = AddObjects(doc, reader, p, maps);
  if (p.absolute_tolerance) doc.SetAbsoluteTolerance(*p.absolute_tolerance);
  return added;
}

} // namespace

// A damaged file must leave the document as it was, so reading is two
// steps: Prepare checks every record and builds every table entry and
// object off to the side, and only when all of it succeeded does Apply
// change the document.
bool ReadModelFile(const std::string& path, CRhinoDoc& doc, std::string& error,
                   int* objects_added) {
  if (objects_added) *objects_added = 0;
  std::string text;
  if (!kyrel::platform::ReadWholeFile(path, text, error)) return false;
  json root = json::parse(text, nullptr, false);
  if (root.is_discarded()) {
    error = path + " is not a model file: it is not valid JSON (truncated or damaged?)";
    return false;
  }
  try {
    CheckFormat(root);
    auto folder_end = path.find_last_of('/');
    Reader reader(doc, folder_end == std::string::npos ? "." : path.substr(0, folder_end));
    Prepared prepared = Prepare(root, doc, reader);
    int added = Apply(doc, reader, prepared);
    if (objects_added) *objects_added = added;
    return true;
  } catch (const ModelError& e) {
    error = path + " cannot be read: " + e.message;
  } catch (const nlohmann::json::exception& e) {
    error = path + " cannot be read: " + e.what();
  }
  return false;
}

} // namespace kyrel::app
