// Building models through the real IFC worker (node and web-ifc): a small
// model in millimetres written here, every kind of damaged file made from
// it, and, where the shared sample models are present, the Duplex house.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "file_formats.h"
#include "ifc_import.h"
#include "model_file.h"
#include "rhinoSdk.h"

namespace {

namespace fs = std::filesystem;

// A proxy of two separate blocks (2..3 m and 5..6 m along x), a member
// that is a tetrahedron with one face turned the wrong way, a space, and
// an opening that must never become an object; lengths in millimetres.
const std::string kModel = R"(ISO-10303-21;
HEADER;
FILE_DESCRIPTION((''),'2;1');
FILE_NAME('small.ifc','2026-12-08T00:00:00',(''),(''),'','','');
FILE_SCHEMA(('IFC4'));
ENDSEC;
DATA;
#1=IFCCARTESIANPOINT((0.,0.,0.));
#2=IFCDIRECTION((0.,0.,1.));
#3=IFCAXIS2PLACEMENT3D(#1,$,$);
#4=IFCGEOMETRICREPRESENTATIONCONTEXT($,'Model',3,1.E-05,#3,$);
#5=IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);
#6=IFCUNITASSIGNMENT((#5));
#7=IFCPROJECT('0KyTProjxxxxxxxxxxxxxx',$,'P',$,$,$,$,(#4),#6);
#8=IFCLOCALPLACEMENT($,#3);
#9=IFCBUILDINGSTOREY('0KyTStorxxxxxxxxxxxxxx',$,'Ground',$,$,#8,$,$,.ELEMENT.,0.);
#10=IFCRELAGGREGATES('0KyTAgg1xxxxxxxxxxxxxx',$,$,$,#7,(#9));
#20=IFCCARTESIANPOINT((0.,0.));
#21=IFCAXIS2PLACEMENT2D(#20,$);
#22=IFCRECTANGLEPROFILEDEF(.AREA.,$,#21,1000.,500.);
#23=IFCCARTESIANPOINT((2500.,250.,0.));
#24=IFCAXIS2PLACEMENT3D(#23,$,$);
#25=IFCEXTRUDEDAREASOLID(#22,#24,#2,300.);
#26=IFCCARTESIANPOINT((5500.,250.,0.));
#27=IFCAXIS2PLACEMENT3D(#26,$,$);
#28=IFCEXTRUDEDAREASOLID(#22,#27,#2,300.);
#29=IFCSHAPEREPRESENTATION(#4,'Body','SweptSolid',(#25,#28));
#30=IFCPRODUCTDEFINITIONSHAPE($,$,(#29));
#31=IFCBUILDINGELEMENTPROXY('0KyTPrxyxxxxxxxxxxxxxx',$,'Two blocks',$,$,#8,#30,$,$);
#40=IFCCARTESIANPOINTLIST3D(((0.,0.,0.),(1000.,0.,0.),(0.,1000.,0.),(0.,0.,1000.)));
#41=IFCTRIANGULATEDFACESET(#40,$,.T.,((1,3,2),(1,2,4),(1,4,3),(2,4,3)),$);
#42=IFCSHAPEREPRESENTATION(#4,'Body','Tessellation',(#41));
#43=IFCPRODUCTDEFINITIONSHAPE($,$,(#42));
#46=IFCCARTESIANPOINT((0.,2000.,0.));
#45=IFCAXIS2PLACEMENT3D(#46,$,$);
#44=IFCLOCALPLACEMENT(#8,#45);
#47=IFCMEMBER('0KyTTetrxxxxxxxxxxxxxx',$,'Tetra',$,$,#44,#43,$,$);
#50=IFCCARTESIANPOINT((0.,-3000.,0.));
#51=IFCAXIS2PLACEMENT3D(#50,$,$);
#52=IFCEXTRUDEDAREASOLID(#22,#51,#2,2000.);
#53=IFCSHAPEREPRESENTATION(#4,'Body','SweptSolid',(#52));
#54=IFCPRODUCTDEFINITIONSHAPE($,$,(#53));
#55=IFCSPACE('0KyTSpacxxxxxxxxxxxxxx',$,'Room',$,$,#8,#54,$,.ELEMENT.,.SPACE.,$);
#60=IFCOPENINGELEMENT('0KyTOpenxxxxxxxxxxxxxx',$,'Hole',$,$,#8,#30,$,.OPENING.);
#61=IFCRELCONTAINEDINSPATIALSTRUCTURE('0KyTContxxxxxxxxxxxxxx',$,$,$,(#31,#47),#9);
#62=IFCRELAGGREGATES('0KyTAgg2xxxxxxxxxxxxxx',$,$,$,#9,(#55));
ENDSEC;
END-ISO-10303-21;
)";

const std::string kProxy = "0KyTPrxyxxxxxxxxxxxxxx";
const std::string kTetra = "0KyTTetrxxxxxxxxxxxxxx";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string UserString(const CRhinoObject& o, const wchar_t* key) {
  ON_wString value;
  o.Attributes().GetUserString(key, value);
  return value.ToUtf8();
}

const CRhinoObject* ByGlobalId(const CRhinoDoc& doc, const std::string& id) {
  for (const CRhinoObject* o : doc.ObjectList())
    if (o && UserString(*o, kyrel::app::kIfcGlobalIdKey) == id) return o;
  return nullptr;
}

// Volume of each closed shell, and how many shells are open, found by
// splitting the mesh where no vertex is shared.
struct Shells {
  std::vector<double> closed_volumes;
  int open = 0;
};
Shells ShellsOf(const ON_Mesh& mesh) {
  std::vector<int> parent(static_cast<std::size_t>(mesh.VertexCount()));
  for (std::size_t i = 0; i < parent.size(); ++i)
    parent[i] = static_cast<int>(i);
  auto root = [&](int v) {
    while (parent[static_cast<std::size_t>(v)] != v) v = parent[static_cast<std::size_t>(v)];
    return v;
  };
  for (int f = 0; f < mesh.FaceCount(); ++f)
    for (int k = 1; k < 3; ++k)
      parent[static_cast<std::size_t>(root(mesh.m_F[f].vi[k]))] = root(mesh.m_F[f].vi[0]);
  std::map<int, ON_Mesh> pieces;
  std::map<std::pair<int, int>, int> index;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const int r = root(mesh.m_F[f].vi[0]);
    ON_Mesh& piece = pieces[r];
    int v[3];
    for (int k = 0; k < 3; ++k) {
      auto [it, fresh] = index.try_emplace({r, mesh.m_F[f].vi[k]}, piece.VertexCount());
      if (fresh) piece.AppendVertex(mesh.Vertex(mesh.m_F[f].vi[k]));
      v[k] = it->second;
    }
    piece.AppendTriangle(v[0], v[1], v[2]);
  }
  Shells out;
  for (auto& [r, piece] : pieces) {
    if (piece.IsClosed())
      out.closed_volumes.push_back(piece.Volume());
    else
      ++out.open;
  }
  return out;
}

class IfcImport : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kyrel-ifc-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    // A reader that hangs must end the test in its limit, not the suite's.
    setenv("KYREL_IFC_TIME_LIMIT", "30", 1);
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) fs::remove_all(dir_, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

TEST_F(IfcImport, ElementsComeInMetresAsOutwardShellsWithWhatTheyAre) {
  CRhinoDoc doc;
  std::string error;
  int added = 0;
  std::vector<std::string> notes;
  ASSERT_TRUE(kyrel::app::ImportFile(Write("small.ifc", kModel), doc, error, &added, &notes))
      << error;
  EXPECT_EQ(added, 3); // proxy, member, space; never the opening
  ASSERT_EQ(doc.ObjectCount(), 3);

  const CRhinoObject* proxy = ByGlobalId(doc, kProxy);
  ASSERT_NE(proxy, nullptr);
  EXPECT_EQ(UserString(*proxy, kyrel::app::kIfcClassKey), "IfcBuildingElementProxy");
  EXPECT_EQ(UserString(*proxy, kyrel::app::kIfcStoreyKey), "Ground");
  EXPECT_EQ(UserString(*proxy, kyrel::app::kIfcSourceFileKey), "small.ifc");
  EXPECT_EQ(proxy->Attributes().m_name.ToUtf8(), "Two blocks");
  const ON_Layer& layer = doc.LayerTable()[proxy->Attributes().m_layer_index];
  EXPECT_EQ(layer.Name().ToUtf8(), "small.ifc::IfcBuildingElementProxy");
  EXPECT_TRUE(proxy->IsVisible());

  // Millimetres become metres; the two blocks stay two closed shells of
  // 1 x 0.5 x 0.3 m each, turned outward.
  const ON_Mesh* mesh = static_cast<const CRhinoMeshObject*>(proxy)->Mesh();
  ASSERT_NE(mesh, nullptr);
  const ON_BoundingBox box = mesh->BoundingBox();
  EXPECT_NEAR(box.m_min.x, 2.0, 1e-6);
  EXPECT_NEAR(box.m_max.x, 6.0, 1e-6);
  EXPECT_NEAR(box.m_max.y, 0.5, 1e-6);
  EXPECT_NEAR(box.m_max.z, 0.3, 1e-6);
  Shells shells = ShellsOf(*mesh);
  EXPECT_EQ(shells.open, 0);
  ASSERT_EQ(shells.closed_volumes.size(), 2u);
  for (double v : shells.closed_volumes)
    EXPECT_NEAR(v, 0.15, 1e-6);

  // The tetrahedron came with a face turned inward: one outward shell.
  const CRhinoObject* tetra = ByGlobalId(doc, kTetra);
  ASSERT_NE(tetra, nullptr);
  shells = ShellsOf(*static_cast<const CRhinoMeshObject*>(tetra)->Mesh());
  ASSERT_EQ(shells.closed_volumes.size(), 1u);
  EXPECT_NEAR(shells.closed_volumes[0], 1.0 / 6.0, 1e-6);
  EXPECT_NEAR(tetra->BoundingBox().m_min.y, 2.0, 1e-6);

  // The space is there, on a layer of its own that is hidden.
  const CRhinoObject* space = ByGlobalId(doc, "0KyTSpacxxxxxxxxxxxxxx");
  ASSERT_NE(space, nullptr);
  EXPECT_FALSE(space->IsVisible());
  EXPECT_EQ(doc.LayerTable()[space->Attributes().m_layer_index].Name().ToUtf8(),
            "small.ifc::IfcSpace");

  // What the element is survives the native model file.
  ASSERT_TRUE(kyrel::app::WriteDocumentFile(dir_ + "/small.kyd", doc, false, error)) << error;
  CRhinoDoc again;
  ASSERT_TRUE(kyrel::app::ReadModelFile(dir_ + "/small.kyd", again, error)) << error;
  const CRhinoObject* back = ByGlobalId(again, kProxy);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(UserString(*back, kyrel::app::kIfcClassKey), "IfcBuildingElementProxy");
  EXPECT_EQ(UserString(*back, kyrel::app::kIfcStoreyKey), "Ground");
  EXPECT_EQ(UserString(*back, kyrel::app::kIfcSourceFileKey), "small.ifc");
}

// Each damaged file ends in a reason, or in the sound elements with the
// broken ones named by GlobalId; the document is never changed by a refusal
// and never gets an empty success.
TEST_F(IfcImport, DamagedFilesEndInAReasonOrNameTheElementsLeftOut) {
  std::string deep;
  for (int i = 0; i < 1000; ++i)
    deep += "#" + std::to_string(1000 + i) + "=IFCBOOLEANRESULT(.DIFFERENCE.," +
            (i == 0 ? std::string("#25") : "#" + std::to_string(999 + i)) + ",#28);\n";
  std::string corrupted = kModel;
  static constexpr char kGarbage[] = "\x01\xff\xfe garbage \x80\x02";
  corrupted.insert(corrupted.find("#41="), std::string(kGarbage, sizeof kGarbage - 1));
  std::mt19937 random(7);
  std::string noise(100000, '\0');
  for (char& c : noise)
    c = static_cast<char>(random() & 0xFF);
  const std::string cycle = "#70=IFCBOOLEANRESULT(.DIFFERENCE.,#71,#28);\n"
                            "#71=IFCBOOLEANRESULT(.DIFFERENCE.,#70,#25);\n";

  struct Case {
    const char* name;
    std::string bytes;
    const char* refused_with;  // a file refused as a whole, with this in the reason
    std::string left_out;      // or loaded without this element, named in a note
  };                           // neither: refused with a reason or loaded, either way
  const std::vector<Case> cases = {
      {"empty", "", "empty", ""},
      {"random", noise, "not an IFC file", ""},
      {"truncated", kModel.substr(0, kModel.size() / 2), "cut short", ""},
      {"unterminated string", Replace(kModel, "'Tetra',", "'Tetra,"), "never closed", ""},
      {"unterminated comment", Replace(kModel, "DATA;\n", "DATA;\n/* no end\n"), "never closed",
       ""},
      {"corrupted", corrupted, nullptr, ""},
      {"dangling reference", Replace(kModel, "$,#8,#30,$,$);", "$,#8,#999,$,$);"), nullptr,
       kProxy},
      {"wrongly typed reference", Replace(kModel, "$,#8,#30,$,$);", "$,#8,#2,$,$);"), nullptr,
       kProxy},
      {"cyclic placement", Replace(kModel, "#44=IFCLOCALPLACEMENT(#8,", "#44=IFCLOCALPLACEMENT(#44,"),
       nullptr, kTetra},
      {"cyclic boolean",
       Replace(Replace(kModel, "(#25,#28)", "(#70)"), "ENDSEC;\nEND", cycle + "ENDSEC;\nEND"),
       nullptr, kProxy},
      {"deep boolean chain",
       Replace(Replace(kModel, "(#25,#28)", "(#1999)"), "ENDSEC;\nEND", deep + "ENDSEC;\nEND"),
       nullptr, kProxy},
      {"huge coordinate", Replace(kModel, "((5500.,250.,0.))", "((5.E20,250.,0.))"), nullptr,
       kProxy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRhinoDoc doc;
    ON_Mesh mesh;
    mesh.AppendVertex(ON_3dPoint(0, 0, 0));
    mesh.AppendVertex(ON_3dPoint(1, 0, 0));
    mesh.AppendVertex(ON_3dPoint(0, 1, 0));
    mesh.AppendTriangle(0, 1, 2);
    doc.AddMeshObject(mesh);
    const int layers = doc.LayerTable().LayerCount();
    std::string error;
    int added = 0;
    std::vector<std::string> notes;
    const bool ok = kyrel::app::ImportFile(Write("bad.ifc", c.bytes), doc, error, &added, &notes);
    if (!c.refused_with && c.left_out.empty()) {
      EXPECT_TRUE(ok ? added > 0 : !error.empty() && doc.ObjectCount() == 1) << error;
      continue;
    }
    if (c.refused_with) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find(c.refused_with), std::string::npos) << error;
      EXPECT_EQ(doc.ObjectCount(), 1);
      EXPECT_EQ(doc.LayerTable().LayerCount(), layers);
      continue;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(added, 2); // the two sound elements of three
    EXPECT_EQ(ByGlobalId(doc, c.left_out), nullptr);
    bool named = false;
    for (const std::string& note : notes)
      named = named || (note.find("1 of 3") != std::string::npos &&
                        note.find(c.left_out) != std::string::npos);
    EXPECT_TRUE(named) << (notes.empty() ? "" : notes.back());
  }
}

// The shared sample models: next to the source tree, or where
// KYREL_SHARED_IFC says.
std::string SharedIfc() {
  if (const char* given = std::getenv("KYREL_SHARED_IFC"); given && *given) return given;
  return (fs::path(KYREL_SOURCE_DIR).parent_path() / "shared" / "ifc").string();
}

TEST_F(IfcImport, DuplexModelsShareOneFrameInMetres) {
  const std::string shared = SharedIfc();
  if (!fs::exists(shared + "/Duplex_A_20110907.ifc"))
    GTEST_SKIP() << "no sample models in " << shared << " (CI has them)";
  CRhinoDoc doc;
  std::string error;
  ASSERT_TRUE(kyrel::app::ImportFile(shared + "/Duplex_A_20110907.ifc", doc, error)) << error;
  ASSERT_TRUE(kyrel::app::ImportFile(shared + "/Duplex_Electrical_20121207.ifc", doc, error))
      << error;
  ASSERT_TRUE(kyrel::app::ImportFile(shared + "/bath-csg-solid.ifc", doc, error)) << error;

  ON_BoundingBox architecture, electrical, bath;
  int elements[3] = {0, 0, 0};
  int meshes = 0, closed = 0, inward = 0;
  for (const CRhinoObject* o : doc.ObjectList()) {
    const std::string file = UserString(*o, kyrel::app::kIfcSourceFileKey);
    const bool space = UserString(*o, kyrel::app::kIfcClassKey) == "IfcSpace";
    const int which = file == "Duplex_A_20110907.ifc" ? 0 : file == "bath-csg-solid.ifc" ? 2 : 1;
    if (!space) ++elements[which];
    ON_BoundingBox& box = which == 0 ? architecture : which == 1 ? electrical : bath;
    box.Union(o->BoundingBox());
    if (space) continue;
    const Shells shells = ShellsOf(*static_cast<const CRhinoMeshObject*>(o)->Mesh());
    ++meshes;
    if (shells.open == 0) ++closed;
    for (double v : shells.closed_volumes)
      if (v < 0) ++inward;
  }
  EXPECT_EQ(elements[0], 215);
  EXPECT_EQ(elements[1], 103);
  EXPECT_EQ(elements[2], 1);
  // The electrical model, in feet, lands inside the architectural one.
  for (int k = 0; k < 3; ++k) {
    EXPECT_GE(electrical.m_min[k], architecture.m_min[k] - 0.01) << k;
    EXPECT_LE(electrical.m_max[k], architecture.m_max[k] + 0.01) << k;
  }
  EXPECT_GT(architecture.m_max.z - architecture.m_min.z, 9.0);
  EXPECT_LT(architecture.m_max.z - architecture.m_min.z, 12.0);
  // A CSG block placed by its corner, not its centre.
  EXPECT_NEAR(bath.m_min.x, 0.0, 1e-3);
  EXPECT_NEAR(bath.m_max.x, 2.0, 1e-3);
  EXPECT_NEAR(bath.m_max.y, 0.8, 1e-3);
  EXPECT_NEAR(bath.m_max.z, 0.8, 1e-3);
  EXPECT_GT(closed, meshes * 85 / 100);
  EXPECT_EQ(inward, 0);
}

} // namespace
