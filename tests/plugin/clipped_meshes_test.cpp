// "kyExtractMesh" and "kyExportClippedMeshes" in a host session on the
// extract example. What the cut shows becomes mesh objects: the Difference
// and the Intersection cut of the same closed mesh split its volume between
// them; every source stays as it was; objects only partly cut keep their
// untouched parts; what the cutters remove, and the cutters themselves,
// give nothing. The export leaves the model and its undo history as they
// were.
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "file_formats.h"
#include "kyrel_run.h"
#include "plugin_fixture.h"
#include "rhino_split_disjoint_mesh.h"
#include "support/test_meshes.h"
#include "userdata/section_geometry.h"

namespace {

// Disjoint pieces, as the host counts them.
int PieceCount(const ON_Mesh& mesh) {
  ON_SimpleArray<ON_Mesh*> unused;
  return RhinoSplitDisjointMesh(mesh, unused, true);
}

using kyrel_test::Example;
using test_meshes::Area;

// What one new mesh object holds, with the name of the object it came from.
struct Extracted {
  std::wstring source;
  int layer = -1;
  double volume = 0;
  double area = 0;
  bool closed = false;
  int pieces = 0;
};

// The source's render meshes taken together.
ON_Mesh RenderMesh(const CRhinoObject& object) {
  ON_SimpleArray<const CRhinoObject*> objects;
  objects.Append(&object);
  ON_ClassArray<CRhinoObjRef> pairs;
  RhinoGetRenderMeshes(objects, pairs, true, false);
  ON_Mesh joined;
  for (int i = 0; i < pairs.Count(); ++i)
    if (pairs[i].Mesh()) joined.Append(*pairs[i].Mesh());
  return joined;
}

bool Near(double a, double b, double relative) {
  return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

class ClippedMeshes : public PlugInTest {
protected:
  void SetUp() override {
    PlugInTest::SetUp();
    ASSERT_NE(StartWithPlugIn(), nullptr);
  }

  // The example script with the cutter in `mode`. The session's recording
  // engine keeps no pixels, so each picture becomes a plain redraw, which
  // draws the same frame and so builds the same section caches.
  static std::wstring Script(const std::string& script, const std::string& mode) {
    std::string text;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == '#') continue;
      if (line.rfind("ViewCaptureToFile", 0) == 0) line = "ShadedViewport";
      const std::size_t at = line.find("_Difference");
      if (at != std::string::npos) line.replace(at, 11, "_" + mode);
      text += line + "\n";
    }
    return std::wstring(text.begin(), text.end());
  }
  // The part of the example before its extraction: the model opened, the
  // sheet added, the cutter set to `mode` and the view drawn.
  void OpenCutScene(const std::string& mode) {
    // Opened outside any command: the host's Open command frees the
    // document it runs in before the command has ended.
    std::string error;
    ASSERT_TRUE(kyrel::app::OpenFile(KYREL_EXAMPLES "/extract_meshes.kyd", error)) << error;
    std::string script = Example("extract_meshes.macro");
    script = script.substr(0, script.find("SelAll\nkyExtractMesh"));
    ASSERT_TRUE(Run(Script(script, mode)));
    Remember();
  }
  void Remember() {
    before.clear();
    for (const CRhinoObject* o : Doc().ObjectList())
      if (!o->IsDeleted()) before.insert(ON_UuidToString(o->ModelObjectId()).Array());
  }
  // The mesh objects added since Remember, in document order.
  std::vector<Extracted> Added() {
    std::vector<Extracted> added;
    for (const CRhinoObject* o : Doc().ObjectList()) {
      if (o->IsDeleted() || before.count(ON_UuidToString(o->ModelObjectId()).Array())) continue;
      const auto* mesh_object = dynamic_cast<const CRhinoMeshObject*>(o);
      if (!mesh_object || !mesh_object->Mesh()) {
        ADD_FAILURE() << "a new object that is not a mesh object";
        continue;
      }
      const ON_Mesh& m = *mesh_object->Mesh();
      added.push_back({o->Attributes().m_name.Array(), o->Attributes().m_layer_index, m.Volume(),
                       Area(m), m.IsClosed(), PieceCount(m)});
    }
    return added;
  }
  static std::vector<Extracted> From(const std::vector<Extracted>& all, const wchar_t* source) {
    std::vector<Extracted> some;
    for (const Extracted& e : all)
      if (e.source == source) some.push_back(e);
    return some;
  }
  static double Volume(const std::vector<Extracted>& some) {
    double v = 0;
    for (const Extracted& e : some)
      v += e.volume;
    return v;
  }

  std::set<std::wstring> before;
};

TEST_F(ClippedMeshes, DifferenceAndIntersectionShareTheVolumeAndLeaveTheSourcesAlone) {
  OpenCutScene("Difference");
  // What the sources are before anything is extracted.
  struct Source {
    ON_UUID id;
    ON::object_type type;
    ON_BoundingBox box;
    int layer;
    ON_Color color;
    double volume;
    double area;
  };
  std::map<std::wstring, Source> sources;
  for (const wchar_t* name : {L"Ring", L"Pieces", L"Lone", L"Bead", L"Sheet", L"Cutter"}) {
    const CRhinoObject* o = Named(name);
    ASSERT_NE(o, nullptr);
    const ON_Mesh m = RenderMesh(*o);
    sources[name] = {
        o->ModelObjectId(),      o->ObjectType(), o->BoundingBox(), o->Attributes().m_layer_index,
        o->Attributes().m_color, m.Volume(),      Area(m)};
  }
  ASSERT_TRUE(Run(L"SelAll kyExtractMesh _Pause"));
  const std::vector<Extracted> difference = Added();

  for (const auto& [name, was] : sources) {
    const CRhinoObject* o = Named(name.c_str());
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->ModelObjectId() == was.id);
    EXPECT_EQ(o->ObjectType(), was.type);
    EXPECT_EQ(o->Attributes().m_layer_index, was.layer);
    EXPECT_EQ(o->Attributes().m_color, was.color);
    EXPECT_TRUE(o->BoundingBox().m_min == was.box.m_min && o->BoundingBox().m_max == was.box.m_max);
    EXPECT_EQ(RenderMesh(*o).Volume(), was.volume);
  }
  // Each new object has its source's layer (the model's parts are on
  // "Parts", the sheet made by the script on the current layer).
  for (const Extracted& e : difference)
    EXPECT_EQ(e.layer, sources[e.source].layer);

  // The ring loses a closed, capped piece; the cutter gives nothing.
  const std::vector<Extracted> ring_d = From(difference, L"Ring");
  ASSERT_EQ(ring_d.size(), 1u);
  EXPECT_TRUE(ring_d[0].closed);
  EXPECT_LT(ring_d[0].volume, sources[L"Ring"].volume * 0.95);
  EXPECT_TRUE(From(difference, L"Cutter").empty());
  // Of the three tori of "Pieces" the one across the cutter's surface is
  // cut, the one inside it is gone and the far one shows whole, as an
  // object of its own.
  const std::vector<Extracted> pieces_d = From(difference, L"Pieces");
  ASSERT_EQ(pieces_d.size(), 2u);
  EXPECT_TRUE(pieces_d[0].closed && pieces_d[1].closed);
  // The sheet loses a disc that is wider than it: one object of two pieces.
  const std::vector<Extracted> sheet_d = From(difference, L"Sheet");
  ASSERT_EQ(sheet_d.size(), 1u);
  EXPECT_FALSE(sheet_d[0].closed);
  EXPECT_EQ(sheet_d[0].pieces, 2);
  // Nothing touches the box: one object per render mesh.
  ON_SimpleArray<const ON_Mesh*> lone_meshes;
  Named(L"Lone")->GetMeshes(ON::render_mesh, lone_meshes);
  const std::vector<Extracted> lone_d = From(difference, L"Lone");
  ASSERT_EQ(lone_d.size(), static_cast<std::size_t>(lone_meshes.Count()));
  double lone_area = 0;
  for (const Extracted& e : lone_d)
    lone_area += e.area;
  EXPECT_TRUE(Near(lone_area, 24.0, 1e-9));
  const std::vector<Extracted> bead_d = From(difference, L"Bead");
  ASSERT_EQ(bead_d.size(), 1u);
  EXPECT_TRUE(bead_d[0].closed);

  OpenCutScene("Intersection");
  ASSERT_TRUE(Run(L"SelAll kyExtractMesh _Pause"));
  const std::vector<Extracted> intersection = Added();
  // The box lies outside the cutter. Of "Pieces" the inner part of the cut
  // torus and the whole torus inside the cutter show, the far one not: the
  // whole one is kept too, as its own object.
  EXPECT_TRUE(From(intersection, L"Lone").empty());
  EXPECT_TRUE(From(intersection, L"Cutter").empty());
  const std::vector<Extracted> pieces_i = From(intersection, L"Pieces");
  ASSERT_EQ(pieces_i.size(), 2u);
  for (const wchar_t* closed : {L"Ring", L"Pieces", L"Bead"}) {
    const std::vector<Extracted> inside = From(intersection, closed);
    ASSERT_FALSE(inside.empty());
    for (const Extracted& e : inside)
      EXPECT_TRUE(e.closed);
    const double whole = sources[closed].volume;
    EXPECT_TRUE(Near(Volume(From(difference, closed)) + Volume(inside), whole, 1e-6))
        << Volume(From(difference, closed)) << " + " << Volume(inside) << " vs " << whole;
  }
  const std::vector<Extracted> sheet_i = From(intersection, L"Sheet");
  ASSERT_EQ(sheet_i.size(), 1u);
  EXPECT_TRUE(Near(sheet_d[0].area + sheet_i[0].area, sources[L"Sheet"].area, 1e-6));
}

TEST_F(ClippedMeshes, CutObjectsComeFirstAndCuttersGiveNothing) {
  OpenCutScene("Difference");
  // Chosen by name: the untouched box first, then the cut ring.
  ASSERT_TRUE(Run(L"SelNone kyExtractMesh \"Lone\" \"Ring\" _Enter"));
  const std::vector<Extracted> added = Added();
  ASSERT_GE(added.size(), 2u);
  EXPECT_EQ(added.front().source, L"Ring");
  for (std::size_t i = 1; i < added.size(); ++i)
    EXPECT_EQ(added[i].source, L"Lone");

  Remember();
  EXPECT_EQ(RunCommand(L"kyExtractMesh", L"\"Cutter\" _Enter"), CRhinoCommand::success);
  EXPECT_TRUE(Added().empty());
}

TEST_F(ClippedMeshes, ACutterMovedSinceTheLastFrameCutsNoMore) {
  OpenCutScene("Difference");
  const double whole = RenderMesh(*Named(L"Ring")).Volume();
  // Moving draws nothing: the ring's cache still holds the old cut.
  ASSERT_TRUE(Run(L"SelName \"Cutter\" Move _Pause 0,0,0 0,0,30 SelNone"));
  Remember();
  ASSERT_TRUE(Run(L"kyExtractMesh \"Ring\" _Enter"));
  const std::vector<Extracted> ring = Added();
  ASSERT_EQ(ring.size(), 1u);
  EXPECT_TRUE(ring[0].closed);
  EXPECT_TRUE(Near(ring[0].volume, whole, 1e-12)) << ring[0].volume << " vs " << whole;
}

TEST_F(ClippedMeshes, ExportWritesOnlyTheMeshesAndLeavesNoTraceInTheModel) {
  OpenCutScene("Difference");
  // A curve selected with everything else: the command does not take it.
  ON_3dmObjectAttributes path;
  path.m_name = L"Path";
  ON_Polyline line;
  line.Append(ON_3dPoint(-9, -3, 0));
  line.Append(ON_3dPoint(9, -3, 0));
  ASSERT_NE(Doc().AddCurveObject(ON_PolylineCurve(line), &path), nullptr);
  Remember();
  const int undo_records = Doc().UndoRecordCount();

  ASSERT_TRUE(Run(L"SelAll kyExportClippedMeshes _Pause \"clipped.kyd\""));
  // One mesh per shown mesh: the ring, two tori of "Pieces", the bead, the
  // sheet and the box's six faces; nothing else.
  const std::string file = ReadFile(dir + "/clipped.kyd");
  std::size_t meshes = 0;
  for (std::size_t at = file.find("\"type\": \"mesh\""); at != std::string::npos;
       at = file.find("\"type\": \"mesh\"", at + 1))
    ++meshes;
  EXPECT_EQ(meshes, 11u);
  EXPECT_EQ(file.find("\"type\": \"polyline\""), std::string::npos);
  EXPECT_EQ(file.find("\"type\": \"instance\""), std::string::npos);

  EXPECT_TRUE(Added().empty());
  int objects = 0;
  for (const CRhinoObject* o : Doc().ObjectList()) {
    if (o->IsDeleted()) continue;
    ++objects;
    EXPECT_EQ(o->IsSelected() != 0, o->Attributes().m_name == L"Path");
  }
  EXPECT_EQ(objects, static_cast<int>(before.size()));
  EXPECT_EQ(Doc().UndoRecordCount(), undo_records);
  // Undo reaches past the export to the cut itself.
  ASSERT_TRUE(Run(L"Undo"));
  EXPECT_EQ(Named(L"Cutter")->GetAttributeUserData(TV_SectionGeometry::UUID()), nullptr);
  EXPECT_TRUE(Added().empty());
}

} // namespace
