// Reading the native model file. Everything is parsed, checked and built
// first; the document changes only once the whole file was understood, and
// applying what was built cannot fail half-way.

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <vector>

#include "file_util.h"
#include "model_file.h"
#include "model_json.h"
#include "model_shapes.h"
#include "rhinoSdk.h"
#include "win_strings.h"

namespace kyrel::app {
namespace {

using namespace model_json;
using namespace model_shapes;
using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;

// Files the writer makes nest about ten deep; the limit keeps anything that
// walks the parsed tree recursively far from the end of the stack.
constexpr std::size_t kMaxNesting = 64;

// Where an instance reference points: a block of the file, by its place in
// the file, or one the document had before.
struct Target {
  int file_block = -1;
  const CRhinoInstanceDefinition* document_block = nullptr;
};

// An object record, checked and built off to the side. A reference gets its
// object only once its block is in the document; everything it could fail
// on has been read by then.
struct Built {
  std::unique_ptr<CRhinoObject> object;
  bool is_reference = false;
  ON_3dmObjectAttributes attributes;
  ON_Xform xform = ON_Xform::IdentityTransformation;
  Target target;
  UserDataRecords user_data;
};

// A block of the file with its members built. It keeps the name and id the
// file gave it, by which the file refers to it, and gets the ones it will
// have in the document.
struct Block {
  ON_wString file_name;
  ON_UUID file_id = ON_nil_uuid;
  ON_wString name;
  ON_UUID id = ON_nil_uuid;
  std::vector<Built> members;
};

struct Prepared {
  std::vector<ON_Layer> layers;
  std::vector<ON_Material> materials;
  std::vector<Block> blocks;
  std::vector<Built> objects;
  std::optional<double> absolute_tolerance;
  std::vector<std::string> notes;
};

void CheckFormat(const json& root) {
  if (!root.is_object() || root.value("format", std::string()) != "kyrel-model")
    throw ModelError{"it has no \"format\": \"kyrel-model\" marker"};
  const auto version = root.find("version");
  if (version == root.end() || !version->is_number_integer() || version->get<std::int64_t>() != 1)
    throw ModelError{"its version is not 1"};
}

std::vector<ON_Layer> LayersFrom(const json& root) {
  std::vector<ON_Layer> layers;
  const json& list = GetList(root, "layers", "the file");
  for (std::size_t i = 0; i < list.size(); ++i) {
    const json& l = list[i];
    if (!l.is_object()) throw ModelError{"layer " + std::to_string(i) + " is not a record"};
    ON_Layer layer;
    layer.SetName(GetText(l.value("name", json("")), "layer name"));
    layer.m_layer_id = GetUuid(l.value("id", json()), "layer id");
    if (l.contains("color")) layer.SetColor(GetColor(l["color"], "layer color"));
    layer.SetVisible(l.value("visible", true));
    layer.SetLocked(l.value("locked", false));
    // Checked against the material table once it is read.
    layer.SetRenderMaterialIndex(GetInt(l.value("material", json(-1)), "layer material", -1,
                                        std::numeric_limits<int>::max()));
    layers.push_back(layer);
  }
  return layers;
}

std::vector<ON_Material> MaterialsFrom(const json& root) {
  std::vector<ON_Material> materials;
  const json& list = GetList(root, "materials", "the file");
  for (std::size_t i = 0; i < list.size(); ++i) {
    const json& m = list[i];
    if (!m.is_object()) throw ModelError{"material " + std::to_string(i) + " is not a record"};
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
    if (l.RenderMaterialIndex() >= static_cast<int>(materials.size()))
      throw ModelError{"layer " + WideToUtf8(l.Name().Array()) +
                       " names a material that does not exist"};
}

// The block an instance record names, by id or else by name: one of the
// first `visible` blocks of the file (a block may only place blocks listed
// before it, so none contains itself), else one the document has.
Target Resolve(const json& record, const std::vector<Block>& blocks, std::size_t visible,
               const CRhinoDoc& doc, const std::string& where) {
  auto it = record.find("definition");
  if (it == record.end() || !it->is_string())
    throw ModelError{where + ": an instance needs its block's id or name"};
  const std::wstring text = Utf8ToWide(it->get<std::string>());
  const auto& table = doc.InstanceDefinitionTable();
  Target t;
  ON_UUID id = ON_nil_uuid;
  if (ON_UuidFromString(text.c_str(), id) && ON_UuidIsNotNil(id)) {
    for (std::size_t b = 0; b < visible && t.file_block < 0; ++b)
      if (blocks[b].file_id == id) t.file_block = static_cast<int>(b);
    if (t.file_block < 0)
      t.document_block = table.InstanceDefinition(table.FindInstanceDefinition(id));
  }
  if (t.file_block < 0 && !t.document_block) {
    for (std::size_t b = 0; b < visible && t.file_block < 0; ++b)
      if (blocks[b].file_name == ON_wString(text.c_str())) t.file_block = static_cast<int>(b);
    if (t.file_block < 0)
      t.document_block = table.InstanceDefinition(table.FindInstanceDefinition(text.c_str()));
  }
  if (t.file_block < 0 && !t.document_block)
    throw ModelError{where + ": no instance definition " + it->dump() +
                     (visible < blocks.size() ? " listed before it" : "")};
  return t;
}

class Reader {
public:
  Reader(const CRhinoDoc& doc, std::string folder, TableSizes tables)
      : doc_(doc), folder_(std::move(folder)), tables_(tables) {}

  // `visible`: how many of the file's blocks a reference may name.
  Built Object(const json& j, const std::string& where, const std::vector<Block>& blocks,
               std::size_t visible) const {
    Built b;
    b.attributes = AttributesFrom(j, where, tables_);
    const std::string type = TypeOf(j, where);
    if (type == "instance") {
      b.is_reference = true;
      b.target = Resolve(j, blocks, visible, doc_, where);
      if (j.contains("xform")) b.xform = GetXform(j["xform"], "instance transform");
    } else {
      b.object = ShapeFrom(type, j, where, b.attributes, folder_);
    }
    ReadUserData(j, where, b.user_data);
    return b;
  }

private:
  const CRhinoDoc& doc_;
  std::string folder_;
  TableSizes tables_;
};

std::vector<Block> BlocksFrom(const json& root, const Reader& reader) {
  std::vector<Block> blocks;
  const json& list = GetList(root, "instance_definitions", "the file");
  for (std::size_t i = 0; i < list.size(); ++i) {
    const json& d = list[i];
    const std::string where = "block " + std::to_string(i);
    if (!d.is_object() || !d.contains("name")) throw ModelError{where + " has no name"};
    Block block;
    block.file_name = GetText(d["name"], "block name");
    block.file_id = GetUuid(d.value("id", json()), "block id");
    blocks.push_back(std::move(block));
  }
  std::set<std::wstring> names;
  std::set<std::string> ids;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const Block& b = blocks[i];
    const std::string name = WideToUtf8(b.file_name.Array());
    if (!b.file_name.IsEmpty() && !names.insert(b.file_name.Array()).second)
      throw ModelError{"two blocks are named \"" + name + "\""};
    if (ON_UuidIsNotNil(b.file_id) &&
        !ids.insert(WideToUtf8(ON_UuidToString(b.file_id).Array())).second)
      throw ModelError{"two blocks have the id " + WideToUtf8(ON_UuidToString(b.file_id).Array())};
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const json& members = GetList(list[i], "objects", "block " + std::to_string(i));
    for (std::size_t k = 0; k < members.size(); ++k)
      blocks[i].members.push_back(reader.Object(members[k],
                                                "member " + std::to_string(k) + " of block " +
                                                    WideToUtf8(blocks[i].file_name.Array()),
                                                blocks, i));
  }
  return blocks;
}

// A block whose name the document already uses comes in as "Name (2)" (the
// first number free in both), and one whose id it uses gets a new id; the
// file's references follow their block either way.
void NameBlocks(std::vector<Block>& blocks, const CRhinoDoc& doc, std::vector<std::string>& notes) {
  const auto& table = doc.InstanceDefinitionTable();
  std::set<std::wstring> taken;
  for (const Block& b : blocks)
    taken.insert(b.file_name.Array());
  for (Block& b : blocks) {
    b.name = b.file_name;
    if (!b.file_name.IsEmpty() && table.FindInstanceDefinition(b.file_name.Array()) >= 0) {
      for (int n = 2;; ++n) {
        std::wstring candidate =
            std::wstring(b.file_name.Array()) + L" (" + std::to_wstring(n) + L")";
        if (table.FindInstanceDefinition(candidate.c_str()) < 0 && !taken.count(candidate)) {
          b.name = candidate.c_str();
          taken.insert(candidate);
          break;
        }
      }
      notes.push_back("block \"" + WideToUtf8(b.file_name.Array()) + "\" was imported as \"" +
                      WideToUtf8(b.name.Array()) + "\": the model has a block of that name");
    }
    b.id = b.file_id;
    if (ON_UuidIsNotNil(b.id) && table.FindInstanceDefinition(b.id) >= 0) ON_CreateUuid(b.id);
  }
}

// Reads, checks and builds everything; throws on the first fault, before
// the document has been touched.
Prepared Prepare(const json& root, const CRhinoDoc& doc, const std::string& folder) {
  Prepared p;
  p.layers = LayersFrom(root);
  p.materials = MaterialsFrom(root);
  CheckLayerMaterials(p.layers, p.materials);
  TableSizes tables;
  tables.layers = std::max<int>(1, static_cast<int>(p.layers.size()));
  tables.materials = static_cast<int>(p.materials.size());
  Reader reader(doc, folder, tables);
  p.blocks = BlocksFrom(root, reader);
  const json& objects = GetList(root, "objects", "the file");
  for (std::size_t i = 0; i < objects.size(); ++i)
    p.objects.push_back(
        reader.Object(objects[i], "object " + std::to_string(i), p.blocks, p.blocks.size()));
  auto settings = root.find("settings");
  if (settings != root.end() && settings->is_object() && settings->contains("absolute_tolerance")) {
    double tolerance = GetNumber((*settings)["absolute_tolerance"], "absolute tolerance");
    if (tolerance <= 0) throw ModelError{"the absolute tolerance must be positive"};
    p.absolute_tolerance = tolerance;
  }
  NameBlocks(p.blocks, doc, p.notes);
  return p;
}

// File indices into the document's tables, known once the tables are merged.
struct TableMaps {
  std::vector<int> layers, materials;
};

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

// The finished object of `b`, its layer and material mapped to the document.
std::unique_ptr<CRhinoObject> Finish(Built& b, const TableMaps& maps,
                                     const std::vector<const CRhinoInstanceDefinition*>& added) {
  if (b.is_reference) {
    const CRhinoInstanceDefinition* def = b.target.file_block >= 0
                                              ? added[static_cast<std::size_t>(b.target.file_block)]
                                              : b.target.document_block;
    b.object = std::make_unique<CRhinoInstanceObject>(b.attributes, def, b.xform);
  }
  ON_3dmObjectAttributes a = b.object->Attributes();
  if (!maps.layers.empty())
    a.m_layer_index = maps.layers[static_cast<std::size_t>(a.m_layer_index)];
  if (a.m_material_index >= 0)
    a.m_material_index = maps.materials[static_cast<std::size_t>(a.m_material_index)];
  b.object->SetAttributes(a);
  return std::move(b.object);
}

// Blocks go in file order, so every block a member places is in before it.
std::vector<const CRhinoInstanceDefinition*> AddBlocks(CRhinoDoc& doc, std::vector<Block>& blocks,
                                                       const TableMaps& maps) {
  auto& table = doc.InstanceDefinitionTable();
  std::vector<const CRhinoInstanceDefinition*> added;
  for (Block& block : blocks) {
    ON_SimpleArray<CRhinoObject*> members;
    for (Built& m : block.members) {
      std::unique_ptr<CRhinoObject> o = Finish(m, maps, added);
      m.user_data.AttachTo(*o);
      members.Append(o.release());
    }
    int index = table.AddInstanceDefinition(block.name.Array(), members, block.id);
    if (index < 0) // names and ids were made free above; still, never leak
      for (CRhinoObject* o : members)
        delete o;
    added.push_back(table.InstanceDefinition(index));
  }
  return added;
}

// Adds the objects in file order; returns how many the document took.
int Apply(CRhinoDoc& doc, Prepared& p) {
  const TableMaps maps = MergeTables(doc, p.layers, p.materials);
  const auto added_blocks = AddBlocks(doc, p.blocks, maps);
  int added = 0;
  for (Built& b : p.objects) {
    CRhinoObject* o = Finish(b, maps, added_blocks).release();
    if (doc.AddObject(o)) {
      b.user_data.AttachTo(*o);
      ++added;
    }
  }
  if (p.absolute_tolerance) doc.SetAbsoluteTolerance(*p.absolute_tolerance);
  return added;
}

} // namespace

// A damaged file must leave the document as it was, so reading is two
// steps: Prepare checks every record and builds every table entry and
// object off to the side, and only when all of it succeeded does Apply
// change the document.
bool ReadModelFile(const std::string& path, CRhinoDoc& doc, std::string& error, int* objects_added,
                   std::vector<std::string>* notes) {
  if (objects_added) *objects_added = 0;
  std::string text;
  if (!kyrel::platform::ReadWholeFile(path, text, error)) return false;
  if (NestingDepth(text) > kMaxNesting) {
    error = path + " cannot be read: its lists and records nest more than " +
            std::to_string(kMaxNesting) + " deep";
    return false;
  }
  json root = json::parse(text, nullptr, false);
  if (root.is_discarded()) {
    error = path + " is not a model file: it is not valid JSON (truncated or damaged?)";
    return false;
  }
  try {
    CheckFormat(root);
    auto folder_end = path.find_last_of('/');
    Prepared prepared =
        Prepare(root, doc, folder_end == std::string::npos ? "." : path.substr(0, folder_end));
    int added = Apply(doc, prepared);
    if (objects_added) *objects_added = added;
    if (notes) *notes = prepared.notes;
    return true;
  } catch (const ModelError& e) {
    error = path + " cannot be read: " + e.message;
  } catch (const nlohmann::json::exception& e) {
    error = path + " cannot be read: " + e.what();
  }
  return false;
}

} // namespace kyrel::app
