// End to end: the clash reports of the example model through the real
// kyrel with the OpenGL engine. The JSON is checked against the model's
// known clashes, the BCF file is read back with the zip and XML libraries
// that wrote it, and the clearance option against two boxes 5 apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "kyrel_run.h"
#include "zip_entries.h"
#include "view_probe.h"

namespace {

using kyrel_test::Capture;
using kyrel_test::Example;
using kyrel_test::ReadZip;
using kyrel_test::RunResult;
using nlohmann::json;

const std::string kModel = KYREL_EXAMPLES "/clash_report.kyd";

ON_3dPoint Xyz(const pugi::xml_node& node) {
  return ON_3dPoint(node.child("X").text().as_double(NAN), node.child("Y").text().as_double(NAN),
                    node.child("Z").text().as_double(NAN));
}

ON_3dPoint JsonPoint(const json& p) {
  return ON_3dPoint(p[0].get<double>(), p[1].get<double>(), p[2].get<double>());
}

// The names of the element children of `node`, in order.
std::vector<std::string> Children(const pugi::xml_node& node) {
  std::vector<std::string> names;
  for (pugi::xml_node child : node.children())
    if (child.type() == pugi::node_element) names.push_back(child.name());
  return names;
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsGuid(const std::string& text) {
  static const std::regex guid("[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-"
                               "[0-9a-fA-F]{12}");
  return std::regex_match(text, guid);
}

class ClashReportRun : public kyrel_test::KyrelRun {
protected:
  RunResult Run(const std::string& script) { return Kyrel(script, kModel, "--view-size 640x480"); }
  json Json(const std::string& name) {
    return json::parse(kyrel_test::ReadText(dir + "/" + name), nullptr, false);
  }
};

TEST_F(ClashReportRun, JsonListsTheKnownClashesWithExactFiguresAndTheClearance) {
  RunResult r = Run(Example("clash_report.macro") + "kyClashReport _Clearance=4 \"at4\"\n");
  ASSERT_EQ(r.status, 0) << r.output;
  const json report = Json("out/clash_report.json");
  ASSERT_FALSE(report.is_discarded()) << r.output;

  EXPECT_EQ(report["model"], "clash_report.kyd");
  EXPECT_EQ(report["objects_tested"], 8);
  EXPECT_EQ(report["pairs_tested"], 28);
  EXPECT_DOUBLE_EQ(report["tolerances"]["clearance"].get<double>(), 6.0);

  // The panel's order and its names; figures of the regions.
  const json& clashes = report["clashes"];
  ASSERT_EQ(clashes.size(), 3u) << clashes.dump(1);
  struct Known {
    const char *a, *b, *kind, *measure;
    double size, depth;
    ON_3dPoint centre;
  };
  const Known known[] = {
      // The overlap of two 10-unit boxes offset by 5: a 5-unit cube whose
      // far corners lie 5 inside the other box.
      {"Left", "Right", "boolean region", "volume", 125.0, 5.0, ON_3dPoint(7.5, 7.5, 7.5)},
      // Containment: the inner box whole, 5 from the outer one's faces.
      {"Shell", "Core", "containment", "volume", 1000.0, 5.0, ON_3dPoint(40, 10, 10)},
      // The sheet's square inside the crate, 5 from its walls at its middle.
      {"Sheet", "Crate", "split region", "area", 100.0, 5.0, ON_3dPoint(75, 5, 5)},
  };
  std::set<int> ranks;
  for (size_t i = 0; i < 3; ++i) {
    const json& c = clashes[i];
    SCOPED_TRACE(c.dump(1));
    EXPECT_EQ(c["number"], static_cast<int>(i) + 1);
    EXPECT_EQ(c["object_a"]["name"], known[i].a);
    EXPECT_EQ(c["object_b"]["name"], known[i].b);
    EXPECT_EQ(c["object_a"]["layer"], "Default");
    EXPECT_EQ(c["kind"], known[i].kind);
    EXPECT_EQ(c["region_closed"], std::string(known[i].measure) == "volume");
    ASSERT_TRUE(c.contains(known[i].measure));
    EXPECT_NEAR(c[known[i].measure].get<double>(), known[i].size, 1e-6 * known[i].size);
    // At a corner of the region (the boxes) exactly; in the middle of a
    // face (the sheet's) to the last step of the search, never beyond.
    const double depth = c["penetration_depth"].get<double>();
    EXPECT_LE(depth, known[i].depth + 1e-9);
    EXPECT_GE(depth, known[i].depth - 1e-4);
    EXPECT_LT(JsonPoint(c["centre"]).DistanceTo(known[i].centre), 1e-6);
    EXPECT_EQ(IsGuid(c["object_a"]["id"]), true);
    ranks.insert(c["severity_rank"].get<int>());
  }
  // Largest volume first; the open region after the closed ones.
  EXPECT_EQ(clashes[1]["severity_rank"], 1);
  EXPECT_EQ(clashes[0]["severity_rank"], 2);
  EXPECT_EQ(clashes[2]["severity_rank"], 3);

  // "Pump" and "Tank" face each other 5 apart: found at 6, the facing
  // points on their facing faces; clashing pairs never appear.
  const json& clearances = report["clearances"];
  ASSERT_EQ(clearances.size(), 1u) << clearances.dump(1);
  EXPECT_EQ(clearances[0]["issue"], "clearance");
  EXPECT_EQ(clearances[0]["object_a"]["name"], "Pump");
  EXPECT_EQ(clearances[0]["object_b"]["name"], "Tank");
  EXPECT_NEAR(clearances[0]["distance"].get<double>(), 5.0, 1e-9);
  const ON_3dPoint pa = JsonPoint(clearances[0]["point_a"]);
  const ON_3dPoint pb = JsonPoint(clearances[0]["point_b"]);
  EXPECT_NEAR(pa.x, 110.0, 1e-9);
  EXPECT_NEAR(pb.x, 115.0, 1e-9);
  EXPECT_NEAR(pa.DistanceTo(pb), 5.0, 1e-9);

  const json at4 = Json("at4.json");
  ASSERT_FALSE(at4.is_discarded());
  EXPECT_EQ(at4["clearances"].size(), 0u);
  EXPECT_EQ(at4["clashes"].size(), 3u);
  EXPECT_TRUE(r.Has("3 clash(es), 0 clearance issue(s)")) << r.output;

  // The page: one row and one embedded picture per clash, the clearance.
  const std::string html = kyrel_test::ReadText(dir + "/out/clash_report.html");
  const RunResult page{0, html};
  EXPECT_EQ(page.Count("src=\"data:image/png;base64,"), 3u);
  EXPECT_TRUE(html.find("Pump") != std::string::npos);
}

TEST_F(ClashReportRun, BcfHoldsOneValidTopicPerClashWithItsCameraAndSnapshot) {
  RunResult r = Run(Example("clash_report.macro"));
  ASSERT_EQ(r.status, 0) << r.output;
  const json report = Json("out/clash_report.json");
  ASSERT_FALSE(report.is_discarded()) << r.output;
  std::map<std::string, const json*> by_names;
  for (const json& c : report["clashes"])
    by_names[c["object_a"]["name"].get<std::string>() + "|" +
             c["object_b"]["name"].get<std::string>()] = &c;

  const std::map<std::string, std::string> files = ReadZip(dir + "/out/clash_report.bcf");
  ASSERT_TRUE(files.count("bcf.version")) << r.output;
  pugi::xml_document version;
  ASSERT_TRUE(version.load_string(files.at("bcf.version").c_str()));
  EXPECT_STREQ(version.child("Version").attribute("VersionId").value(), "2.1");

  std::set<std::string> topics;
  for (const auto& [name, data] : files)
    if (name.size() > 11 && name.compare(name.size() - 11, 11, "/markup.bcf") == 0)
      topics.insert(name.substr(0, name.size() - 11));
  ASSERT_EQ(topics.size(), 3u);

  for (const std::string& folder : topics) {
    SCOPED_TRACE(folder);
    EXPECT_TRUE(IsGuid(folder));
    pugi::xml_document markup, viewpoint;
    ASSERT_TRUE(markup.load_string(files.at(folder + "/markup.bcf").c_str()));
    ASSERT_TRUE(files.count(folder + "/viewpoint.bcfv"));
    ASSERT_TRUE(viewpoint.load_string(files.at(folder + "/viewpoint.bcfv").c_str()));

    // Markup: Header?, Topic, Viewpoints, in the schema's order; the topic
    // with its required attribute and elements, also in order.
    const pugi::xml_node root = markup.child("Markup");
    EXPECT_EQ(Children(root), (std::vector<std::string>{"Header", "Topic", "Viewpoints"}));
    const pugi::xml_node topic = root.child("Topic");
    EXPECT_EQ(topic.attribute("Guid").value(), folder);
    EXPECT_EQ(Children(topic), (std::vector<std::string>{"Title", "Index", "Labels", "CreationDate",
                                                         "CreationAuthor", "Description"}));
    EXPECT_TRUE(std::regex_match(topic.child_value("CreationDate"),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    const pugi::xml_node views = root.child("Viewpoints");
    EXPECT_TRUE(IsGuid(views.attribute("Guid").value()));
    EXPECT_STREQ(views.child_value("Viewpoint"), "viewpoint.bcfv");
    EXPECT_STREQ(views.child_value("Snapshot"), "snapshot.png");

    // Viewpoint: the two objects selected, visibility, a perspective
    // camera aimed at the clash's centre.
    const pugi::xml_node info = viewpoint.child("VisualizationInfo");
    EXPECT_STREQ(info.attribute("Guid").value(), views.attribute("Guid").value());
    EXPECT_EQ(Children(info), (std::vector<std::string>{"Components", "PerspectiveCamera"}));
    const pugi::xml_node components = info.child("Components");
    EXPECT_EQ(Children(components), (std::vector<std::string>{"Selection", "Visibility"}));
    std::vector<std::string> ids;
    for (pugi::xml_node c : components.child("Selection").children("Component")) {
      EXPECT_TRUE(
          std::regex_match(c.attribute("IfcGuid").value(), std::regex("[0-9A-Za-z_$]{22}")));
      ids.push_back(c.child_value("AuthoringToolId"));
    }
    ASSERT_EQ(ids.size(), 2u);
    const pugi::xml_node camera = info.child("PerspectiveCamera");
    EXPECT_EQ(Children(camera), (std::vector<std::string>{"CameraViewPoint", "CameraDirection",
                                                          "CameraUpVector", "FieldOfView"}));
    const double fov = camera.child("FieldOfView").text().as_double();
    EXPECT_GE(fov, 45.0);
    EXPECT_LE(fov, 60.0);

    const std::string title = topic.child_value("Title");
    const json* clash = nullptr;
    for (const auto& [names, c] : by_names)
      if (title.find(names.substr(0, names.find('|')) + " / " +
                     names.substr(names.find('|') + 1)) != std::string::npos)
        clash = c;
    ASSERT_NE(clash, nullptr) << title;
    EXPECT_EQ(Upper(ids[0]), (*clash)["object_a"]["id"].get<std::string>());
    EXPECT_EQ(Upper(ids[1]), (*clash)["object_b"]["id"].get<std::string>());
    const ON_3dPoint centre = JsonPoint((*clash)["centre"]);
    const ON_3dPoint eye = Xyz(camera.child("CameraViewPoint"));
    ON_3dVector direction = Xyz(camera.child("CameraDirection")) - ON_3dPoint::Origin;
    ON_3dVector to_centre = centre - eye;
    ASSERT_TRUE(direction.Unitize() && to_centre.Unitize());
    EXPECT_GT(direction * to_centre, 1.0 - 1e-9) << "camera not aimed at the clash";
    const ON_3dVector up = Xyz(camera.child("CameraUpVector")) - ON_3dPoint::Origin;
    EXPECT_NEAR(up * direction, 0.0, 1e-9);

    // The snapshot is a PNG that shows the clash region in red.
    ASSERT_TRUE(files.count(folder + "/snapshot.png"));
    const std::string png_path = dir + "/snapshot.png";
    std::ofstream(png_path, std::ios::binary) << files.at(folder + "/snapshot.png");
    Capture picture;
    ASSERT_TRUE(picture.Read(png_path));
    EXPECT_EQ(picture.Width(), 640);
    int red = 0;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) {
        const kyrel_test::Rgb c = picture.At(x, y);
        red += (c.r > 150 && c.g < 90 && c.b < 90) ? 1 : 0;
      }
    EXPECT_GT(red, 100) << "no clash region in red";
  }
}

TEST_F(ClashReportRun, WithoutCompletedResultsItSaysSoWritesNothingAndFails) {
  RunResult r = Run("kyClashReport \"early\"\n");
  EXPECT_NE(r.status, 0) << r.output;
  EXPECT_TRUE(r.Has("Clash detection is off")) << r.output;
  EXPECT_FALSE(std::filesystem::exists(dir + "/early.json"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/early.bcf"));
}

// The same solid twice: two boxes made alike, and a real mesh beside a copy
// of it whose faces are listed the other way round. The surfaces coincide
// everywhere, so nothing is cut; yet each pair is one clash whose region is
// the whole solid, reported as a duplicate.
TEST_F(ClashReportRun, SolidsInTheSamePlaceAreDuplicates) {
  // The ring moved away from the boxes, once as it is and once with its
  // faces in reverse order.
  std::istringstream ring(Example("ring.obj"));
  std::string vertices, faces;
  std::vector<std::string> face_lines;
  for (std::string line; std::getline(ring, line);) {
    double x, y, z;
    if (std::sscanf(line.c_str(), "v %lf %lf %lf", &x, &y, &z) == 3)
      vertices += "v " + std::to_string(x + 100.0) + " " + std::to_string(y) + " " +
                  std::to_string(z) + "\n";
    else if (line.rfind("f ", 0) == 0)
      face_lines.push_back(line);
  }
  ASSERT_GT(face_lines.size(), 1000u);
  for (const std::string& f : face_lines)
    faces += f + "\n";
  std::ofstream(dir + "/ring_as_given.obj") << "o ring\n" << vertices << faces;
  faces.clear();
  for (auto f = face_lines.rbegin(); f != face_lines.rend(); ++f)
    faces += *f + "\n";
  std::ofstream(dir + "/ring_reversed.obj") << "o ring copy\n" << vertices << faces;

  RunResult r = Kyrel("Box 0,0,0 10,10,10 \"A\"\nBox 0,0,0 10,10,10 \"B\"\n"
                      "Import \"ring_as_given.obj\"\nImport \"ring_reversed.obj\"\n"
                      "kyInterfere\nWait\nkyClashReport \"same\"\n",
                      "");
  ASSERT_EQ(r.status, 0) << r.output;
  const json report = Json("same.json");
  ASSERT_FALSE(report.is_discarded()) << r.output;
  const json& clashes = report["clashes"];
  ASSERT_EQ(clashes.size(), 2u) << clashes.dump(1);
  std::map<std::string, double> volume_of;
  for (const json& c : clashes) {
    SCOPED_TRACE(c.dump(1));
    EXPECT_EQ(c["kind"], "duplicate");
    EXPECT_EQ(c["region_closed"], true);
    volume_of[c["object_a"]["name"].get<std::string>()] = c["volume"].get<double>();
  }
  EXPECT_NEAR(volume_of["A"], 1000.0, 1e-6);
  // The ring's polyhedron is a little smaller than the torus it stands for
  // (2 pi^2 R r^2 = 177.65).
  EXPECT_GT(volume_of["ring"], 170.0);
  EXPECT_LT(volume_of["ring"], 177.7);
}

} // namespace
