// The native model file: what a round trip keeps, which user data travels,
// and how damaged files are refused without touching the document.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app_fixture.h"
#include "file_formats.h"
#include "model_file.h"
#include "support/test_meshes.h"
#include "win_strings.h"

// User data that archives itself, and user data that does not.
class SavedNote : public ON_UserData {
  ON_OBJECT_DECLARE(SavedNote);

public:
  SavedNote() {
    m_userdata_uuid = ON_UuidFromString(L"{4E2A6C8E-0B1D-4F3A-9C5E-7A9B1D3F5A62}");
    m_userdata_copycount = 1;
  }
  bool Archive() const override { return true; }
  bool Write(ON_BinaryArchive& a) const override {
    return a.WriteString(m_text) && a.WriteInt(m_value);
  }
  bool Read(ON_BinaryArchive& a) override { return a.ReadString(m_text) && a.ReadInt(&m_value); }
  ON_wString m_text;
  int m_value = 0;
};
ON_OBJECT_IMPLEMENT(SavedNote, ON_UserData, "4E2A6C8E-0B1D-4F3A-9C5E-7A9B1D3F5A62")

class CacheNote : public ON_UserData {
  ON_OBJECT_DECLARE(CacheNote);

public:
  CacheNote() { m_userdata_uuid = ON_UuidFromString(L"{6B8D0F2A-4C6E-4A1B-8D3F-5A7C9E1B3D74}"); }
  bool Archive() const override { return false; }
};
ON_OBJECT_IMPLEMENT(CacheNote, ON_UserData, "6B8D0F2A-4C6E-4A1B-8D3F-5A7C9E1B3D74")

namespace {

class ModelFiles : public HostTest {
protected:
  std::string Path(const char* name) { return temp.path + "/" + name; }
  void WriteText(const char* name, const std::string& text) { std::ofstream(Path(name)) << text; }
  std::string ReadText(const char* name) {
    std::ifstream in(Path(name));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(ModelFiles, RoundTripKeepsObjectsIdsNamesTablesBlocksAndArchivedUserData) {
  CRhinoDoc& doc = Doc();
  ON_Layer layer;
  layer.SetName(L"Walls");
  layer.SetColor(ON_Color(10, 20, 30));
  int walls = doc.LayerTable().AddLayer(layer);
  ON_Material material;
  material.m_material_name = L"Steel";
  material.m_diffuse = ON_Color(90, 91, 92);
  int steel = doc.MaterialTable().AddMaterial(material);
  ASSERT_TRUE(Run(L"Box 0,0,0 4,2,1 \"box\" Sphere 10,0,0 2 \"ball\" Cylinder 0,10,0 1 3 \"post\" "
                  L"PlaneSrf 0,0,5 2,3 \"roof\""));
  ON_Mesh mesh = test_meshes::Quad(0, 0, 1, 1, 0);
  mesh.AppendTriangle(0, 1, 2);
  ON_3dmObjectAttributes a;
  a.m_name = L"sheet";
  a.m_layer_index = walls;
  a.m_material_index = steel;
  a.SetMode(ON::locked_object);
  ASSERT_NE(doc.AddMeshObject(mesh, &a), nullptr);
  ASSERT_TRUE(Run(
      L"SelName \"post\" Block 0,0,0 \"postblock\" Insert \"postblock\" 20,0,0 \"copy of post\""));
  auto* ball = const_cast<CRhinoObject*>(Named(L"ball"));
  ASSERT_NE(ball, nullptr);
  auto* note = new SavedNote;
  note->m_text = L"kept";
  note->m_value = 42;
  ASSERT_TRUE(ball->AttachAttributeUserData(note));
  ASSERT_TRUE(ball->AttachAttributeUserData(new CacheNote));
  const ON_UUID ball_id = ball->ModelObjectId();
  const int count = doc.ObjectCount();

  std::string error;
  ASSERT_TRUE(kyrel::app::WriteModelFile(Path("round.kyd"), doc, {}, error)) << error;
  ASSERT_TRUE(kyrel::app::OpenFile(Path("round.kyd"), error)) << error;
  CRhinoDoc& reread = Doc();
  ASSERT_NE(&reread, &doc);
  EXPECT_EQ(reread.ObjectCount(), count);
  const CRhinoObject* ball2 = reread.LookupObject(ball_id);
  ASSERT_NE(ball2, nullptr);
  EXPECT_EQ(ball2->Attributes().m_name, ON_wString(L"ball"));
  auto* saved = SavedNote::Cast(
      ball2->GetAttributeUserData(ON_UuidFromString(L"{4E2A6C8E-0B1D-4F3A-9C5E-7A9B1D3F5A62}")));
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->m_text, ON_wString(L"kept"));
  EXPECT_EQ(saved->m_value, 42);
  EXPECT_EQ(
      ball2->GetAttributeUserData(ON_UuidFromString(L"{6B8D0F2A-4C6E-4A1B-8D3F-5A7C9E1B3D74}")),
      nullptr);

  const CRhinoObject* sheet = Named(L"sheet");
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(sheet->IsLocked());
  EXPECT_EQ(reread.LayerTable()[sheet->Attributes().m_layer_index].Name(), ON_wString(L"Walls"));
  EXPECT_EQ(reread.MaterialTable()[sheet->Attributes().m_material_index].m_diffuse.Red(), 90);
  const auto* sheet_mesh = dynamic_cast<const CRhinoMeshObject*>(sheet)->Mesh();
  EXPECT_EQ(sheet_mesh->QuadCount(), 1);
  EXPECT_EQ(sheet_mesh->TriangleCount(), 1);

  // Breps come back as solids with the same box; the block keeps its member.
  const auto* box = dynamic_cast<const CRhinoBrepObject*>(Named(L"box"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->Brep()->IsSolid());
  EXPECT_NEAR(box->BoundingBox().m_max.x, 4.0, 1e-9);
  EXPECT_TRUE(dynamic_cast<const CRhinoBrepObject*>(Named(L"ball"))->Brep()->IsSolid());
  EXPECT_EQ(reread.InstanceDefinitionTable().FindInstanceDefinition(L"postblock") >= 0, true);
  const auto* copy = dynamic_cast<const CRhinoInstanceObject*>(Named(L"copy of post"));
  ASSERT_NE(copy, nullptr);
  EXPECT_NEAR(copy->BoundingBox().Center().x, 20.0, 1e-6);
}

TEST_F(ModelFiles, SelectedOnlyWritesTheSelection) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"a\" Box 2,0,0 3,1,1 \"b\" SelName \"b\""));
  std::string error;
  kyrel::app::ModelWriteOptions options;
  options.selected_only = true;
  ASSERT_TRUE(kyrel::app::WriteModelFile(Path("sel.kyd"), Doc(), options, error)) << error;
  std::string text = ReadText("sel.kyd");
  EXPECT_EQ(text.find("\"a\""), std::string::npos);
  EXPECT_NE(text.find("\"b\""), std::string::npos);
}

TEST_F(ModelFiles, ShorthandShapesAndMeshFilesAreRead) {
  WriteText("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  WriteText("short.kyd", R"({"format": "kyrel-model", "version": 1,
    "layers": [{"name": "Default"}, {"name": "Second"}],
    "objects": [
      {"type": "box", "name": "b", "min": [0,0,0], "max": [1,2,3], "layer": 1},
      {"type": "sphere", "name": "s", "center": [5,0,0], "radius": 1},
      {"type": "cylinder", "name": "c", "base": [0,5,0], "radius": 1, "height": 2},
      {"type": "planar_surface", "name": "p", "origin": [0,0,9], "width": 2, "height": 1},
      {"type": "polyline", "name": "l", "points": [[0,0,0],[1,1,1]]},
      {"type": "mesh", "name": "m", "file": "tri.obj"},
      {"type": "clipping_plane", "name": "cp", "origin": [0,0,0], "normal": [0,0,1]}]})");
  std::string error;
  int added = 0;
  ASSERT_TRUE(kyrel::app::ReadModelFile(Path("short.kyd"), Doc(), error, &added)) << error;
  EXPECT_EQ(added, 7);
  EXPECT_EQ(dynamic_cast<const CRhinoBrepObject*>(Named(L"p"))->Brep()->FaceCount(), 1);
  EXPECT_EQ(Doc().LayerTable()[Named(L"b")->Attributes().m_layer_index].Name(),
            ON_wString(L"Second"));
  EXPECT_EQ(dynamic_cast<const CRhinoMeshObject*>(Named(L"m"))->Mesh()->FaceCount(), 1);
}

// Each damaged file is refused with a message and the document keeps
// exactly what it had.
TEST_F(ModelFiles, DamagedFilesChangeNothing) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"keep\""));
  std::string good =
      R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "box", "name": "x", "min": [0,0,0], "max": [1,1,1]}]})";
  const std::pair<const char*, std::string> bad[] = {
      {"truncated", good.substr(0, good.size() / 2)},
      {"not json", "hello"},
      {"no marker", R"({"objects": []})"},
      {"future version", R"({"format": "kyrel-model", "version": 7})"},
      {"bad face index", R"({"format": "kyrel-model", "version": 1, "objects": [
          {"type": "box", "name": "x", "min": [0,0,0], "max": [1,1,1]},
          {"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,7]]}]})"},
      {"unknown type",
       R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "teapot"}]})"},
      {"missing layer",
       R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1], "layer": 5}]})"},
      {"nan point",
       R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "sphere", "center": [0,"x",0], "radius": 1}]})"},
      {"unknown block",
       R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "instance", "definition": "nothing"}]})"},
      {"bad user data",
       R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1],
          "user_data": [{"class": "4E2A6C8E-0B1D-4F3A-9C5E-7A9B1D3F5A62", "data": "AA=="}]}]})"},
      {"missing mesh file",
       R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "mesh", "file": "none.obj"}]})"},
      // The tolerance and block references are applied last; a fault in
      // either must still be found before the first change.
      {"bad tolerance",
       R"({"format": "kyrel-model", "version": 1, "settings": {"absolute_tolerance": "fine"},
          "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]}]})"},
      {"block reference with bad user data",
       R"({"format": "kyrel-model", "version": 1,
          "instance_definitions": [{"name": "B", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]}]}],
          "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]},
                      {"type": "instance", "definition": "B",
                       "user_data": [{"class": "4E2A6C8E-0B1D-4F3A-9C5E-7A9B1D3F5A62", "data": "AA=="}]}]})"},
      // Nesting deep enough to exhaust the stack of anything that walks it
      // recursively is refused before it is parsed.
      {"deep lists", R"({"format": "kyrel-model", "version": 1, "objects": )" +
                         std::string(100000, '[') + std::string(100000, ']') + "}"},
      {"deep layer name", R"({"format": "kyrel-model", "version": 1, "layers": [{"name": )" +
                              std::string(100000, '[') + std::string(100000, ']') + "}]}"},
      {"fractional layer",
       R"({"format": "kyrel-model", "version": 1, "layers": [{"name": "A"}, {"name": "B"}],
          "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1], "layer": 0.5}]})"},
      {"huge face index", R"({"format": "kyrel-model", "version": 1, "objects": [
          {"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,1e300]]}]})"},
      {"huge lump", R"({"format": "kyrel-model", "version": 1, "objects": [{"type": "brep",
          "faces": [{"kind": 0, "lump": 4000000000, "origin": [0,0,0], "xaxis": [1,0,0],
                     "yaxis": [0,1,0], "zaxis": [0,0,1]}]}]})"},
      {"two blocks of one name",
       R"({"format": "kyrel-model", "version": 1, "instance_definitions": [
          {"name": "B", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]}]},
          {"name": "B", "objects": [{"type": "box", "min": [0,0,0], "max": [2,2,2]}]}]})"},
      {"block placing a later block",
       R"({"format": "kyrel-model", "version": 1, "instance_definitions": [
          {"name": "A", "objects": [{"type": "instance", "definition": "B"}]},
          {"name": "B", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]}]}]})"},
      {"block with a bad member after a good block",
       R"({"format": "kyrel-model", "version": 1, "instance_definitions": [
          {"name": "Fine", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]}]},
          {"name": "Broken", "objects": [{"type": "box", "min": [0,0,0], "max": [0,1,1]}]}],
          "layers": [{"name": "New layer"}]})"},
  };
  for (const auto& [what, text] : bad) {
    WriteText("bad.kyd", text);
    std::string error;
    int before = Doc().ObjectCount(), layers = Doc().LayerTable().LayerCount(),
        blocks = Doc().InstanceDefinitionTable().InstanceDefinitionCount();
    EXPECT_FALSE(kyrel::app::ReadModelFile(Path("bad.kyd"), Doc(), error)) << what;
    EXPECT_FALSE(error.empty()) << what;
    EXPECT_EQ(Doc().ObjectCount(), before) << what;
    EXPECT_EQ(Doc().LayerTable().LayerCount(), layers) << what;
    EXPECT_EQ(Doc().InstanceDefinitionTable().InstanceDefinitionCount(), blocks) << what;
  }
  // Open of a damaged file keeps the open document.
  std::string error;
  EXPECT_FALSE(kyrel::app::OpenFile(Path("bad.kyd"), error));
  EXPECT_NE(Named(L"keep"), nullptr);
  EXPECT_FALSE(kyrel::app::OpenFile(Path("absent.kyd"), error));
  EXPECT_NE(error.find("absent.kyd"), std::string::npos);
}

// Importing a file whose block shares a name and an id with one of the
// model: the model's block stays as it was, the file's comes in as
// "Name (2)" with a new id, and the file's references (by name and by id,
// nested ones included) place the file's block.
TEST_F(ModelFiles, ImportRenamesCollidingBlocksAndItsReferencesFollow) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"small\" SelName \"small\" Block 0,0,0 \"Post\""));
  const auto& table = Doc().InstanceDefinitionTable();
  const CRhinoInstanceDefinition* mine =
      table.InstanceDefinition(table.FindInstanceDefinition(L"Post"));
  ASSERT_NE(mine, nullptr);
  const std::string id = kyrel::platform::WideToUtf8(ON_UuidToString(mine->Id()).Array());
  WriteText("blocks.kyd", R"J({"format": "kyrel-model", "version": 1, "instance_definitions": [
      {"name": "Post", "id": ")J" +
                              id +
                              R"J(", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,5]}]},
      {"name": "Post (2)", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,7]}]},
      {"name": "Pair", "objects": [{"type": "instance", "definition": ")J" +
                              id + R"J("}]}],
    "objects": [{"type": "instance", "name": "by name", "definition": "Post"},
                {"type": "instance", "name": "nested", "definition": "Pair"}]})J");
  std::string error;
  int added = 0;
  std::vector<std::string> notes;
  ASSERT_TRUE(kyrel::app::ImportFile(Path("blocks.kyd"), Doc(), error, &added, &notes)) << error;
  EXPECT_EQ(added, 2);
  EXPECT_EQ(mine->BoundingBox().m_max.z, 1.0); // the model's block is untouched
  const int renamed = table.FindInstanceDefinition(L"Post (3)");
  ASSERT_GE(renamed, 0); // "Post (2)" is the file's own second block
  EXPECT_NE(table.InstanceDefinition(renamed)->Id(), mine->Id());
  EXPECT_GE(table.FindInstanceDefinition(L"Post (2)"), 0);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("\"Post (3)\""), std::string::npos) << notes[0];
  for (const wchar_t* name : {L"by name", L"nested"}) {
    const CRhinoObject* o = Named(name);
    ASSERT_NE(o, nullptr) << name;
    EXPECT_NEAR(o->BoundingBox().m_max.z, 5.0, 1e-9) << name;
  }
}

TEST_F(ModelFiles, FailedWriteKeepsTheOldFile) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"a\" SaveAs \"keep.kyd\""));
  std::string before = ReadText("keep.kyd");
  ASSERT_FALSE(before.empty());
  std::string error;
  // A folder where the temporary file cannot be made.
  EXPECT_FALSE(kyrel::app::WriteModelFile("/proc/kyrel-no/keep.kyd", Doc(), {}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(kyrel::app::WriteDocumentFile(Path("keep.unknown"), Doc(), false, error));
  EXPECT_EQ(ReadText("keep.kyd"), before);
}

} // namespace
