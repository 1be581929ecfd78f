// End to end on a building model: the example macro imports the hand-made
// IFC file, cuts a storey with a section box, and reports the clashes of
// its ducts and pipes with the rest. What must hold: exactly the clashes
// built into the model (not the duct through its opening), components
// named by the GlobalIds written in the IFC file, and the scope options.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "kyrel_run.h"
#include "zip_entries.h"

namespace {

using kyrel_test::ReadZip;
using kyrel_test::RunResult;
using nlohmann::json;

const std::string kIfc = KYREL_EXAMPLES "/building/small_building.ifc";

// GlobalId -> name, as the IFC file itself writes them.
std::map<std::string, std::string> GlobalIdsOfTheFile() {
  std::map<std::string, std::string> ids;
  const std::string text = kyrel_test::ReadText(kIfc);
  static const std::regex element("=IFC[A-Z]+\\('([0-9A-Za-z_$]{22})',\\$,'([^']*)'");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), element);
       it != std::sregex_iterator(); ++it)
    ids[(*it)[1]] = (*it)[2];
  return ids;
}

class IfcClashReportRun : public kyrel_test::KyrelRun {};

TEST_F(IfcClashReportRun, MepClashesNameTheirElementsByGlobalId) {
  std::string script = kyrel_test::Example("building/section_and_clashes.macro");
  script = std::regex_replace(script, std::regex("\"examples/building/small_building.ifc\""),
                              "\"" + kIfc + "\"");
  // The same clashes once more: pairs within one file left out, and
  // penetrations up to 0.15 counted as touching.
  script += "kyClashReport _WithinFiles=No \"out/across_files\"\n"
            "kyClashReport _Between \"class=IfcDuct*;class=IfcPipe*\" "
            "\"!class=IfcDuct*;!class=IfcPipe*\" _Touching=0.15 \"out/deep\"\n";
  RunResult r = Kyrel(script, "", "--view-size 640x480");
  ASSERT_EQ(r.status, 0) << r.output;
  for (const char* picture : {"building_whole.png", "building_level1.png"})
    EXPECT_TRUE(std::filesystem::exists(dir + "/" + picture)) << picture;

  const json report =
      json::parse(kyrel_test::ReadText(dir + "/out/building_mep_clashes.json"), nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << r.output;
  // 11 elements take part (the space is hidden, so is the section box):
  // 3 ducts and pipes against the 8 others.
  EXPECT_EQ(report["objects_tested"], 11);
  EXPECT_EQ(report["pairs_tested"], 24);

  const auto ids = GlobalIdsOfTheFile();
  std::set<std::set<std::string>> pairs;
  std::map<std::string, std::string> kyrel_ids; // GlobalId -> Kyrel id
  for (const json& c : report["clashes"]) {
    std::set<std::string> pair;
    for (const char* side : {"object_a", "object_b"}) {
      const json& o = c[side];
      pair.insert(o["name"].get<std::string>());
      const std::string global_id = o["global_id"];
      ASSERT_TRUE(ids.count(global_id)) << global_id;
      EXPECT_EQ(ids.at(global_id), o["name"]);
      EXPECT_EQ(o["storey"], "Level 1");
      EXPECT_EQ(o["file"], "small_building.ifc");
      EXPECT_EQ(o["layer"], "small_building.ifc::" + o["ifc_class"].get<std::string>());
      kyrel_ids[global_id] = o["id"];
    }
    pairs.insert(pair);
  }
  const std::set<std::set<std::string>> built_in = {{"Duct 1", "Wall A (south)"},
                                                    {"Duct 1", "Beam 1"},
                                                    {"Pipe 1", "Wall A (south)"}};
  EXPECT_EQ(pairs, built_in) << report["clashes"].dump(1);

  // BCF: both components by their GlobalId, Kyrel's id as the authoring
  // tool's; the IFC classes in the title; the IFC file in the header.
  const auto files = ReadZip(dir + "/out/building_mep_clashes.bcf");
  int topics = 0;
  for (const auto& [name, text] : files) {
    if (name.size() < 15 || name.compare(name.size() - 15, 15, "/viewpoint.bcfv") != 0) continue;
    const std::string folder = name.substr(0, name.size() - 15);
    pugi::xml_document viewpoint, markup;
    ASSERT_TRUE(viewpoint.load_string(text.c_str()));
    ASSERT_TRUE(markup.load_string(files.at(folder + "/markup.bcf").c_str()));
    int components = 0;
    for (pugi::xml_node c : viewpoint.child("VisualizationInfo").child("Components")
                                .child("Selection")
                                .children("Component")) {
      const std::string guid = c.attribute("IfcGuid").value();
      ASSERT_TRUE(kyrel_ids.count(guid)) << guid;
      std::string tool_id = kyrel_ids.at(guid);
      for (char& ch : tool_id)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      EXPECT_EQ(c.child_value("AuthoringToolId"), tool_id);
      ++components;
    }
    EXPECT_EQ(components, 2);
    const std::string title = markup.child("Markup").child("Topic").child_value("Title");
    EXPECT_TRUE(title.find("(IfcDuctSegment)") != std::string::npos ||
                title.find("(IfcPipeSegment)") != std::string::npos)
        << title;
    EXPECT_STREQ(markup.child("Markup").child("Header").child("File").child_value("Filename"),
                 "small_building.ifc");
    ++topics;
  }
  EXPECT_EQ(topics, 3);

  // One file: no pair runs between two files.
  const json across =
      json::parse(kyrel_test::ReadText(dir + "/out/across_files.json"), nullptr, false);
  ASSERT_FALSE(across.is_discarded());
  EXPECT_EQ(across["pairs_tested"], 0);
  EXPECT_EQ(across["clashes"].size(), 0u);
  // The pipe reaches 0.1 into the wall, the duct 0.2 into wall and beam.
  const json deep = json::parse(kyrel_test::ReadText(dir + "/out/deep.json"), nullptr, false);
  ASSERT_FALSE(deep.is_discarded());
  EXPECT_EQ(deep["clashes"].size(), 2u);
  EXPECT_EQ(deep["left_out"]["touching"], 1);
  for (const json& c : deep["clashes"])
    EXPECT_GT(c["penetration_depth"].get<double>(), 0.15);
}

} // namespace
