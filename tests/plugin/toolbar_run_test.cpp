// End to end through kyrel: the plug-in installs its toolbar collection in
// the user's profile after a new installation and the host opens it at the
// next start; the buttons' macros run the plug-in's commands; the updater
// of an installation is started and not waited for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "kyrel_run.h"

namespace {

using kyrel_test::Example;
using kyrel_test::ReadText;
using kyrel_test::RunResult;

const std::string kCode = "{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}";
const std::string kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool WaitForFile(const std::string& path, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!std::filesystem::exists(path)) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

class ToolbarRun : public kyrel_test::KyrelRun {
protected:
  void SetProductCode(const std::string& code) {
    std::ofstream(dir + "/registry.json")
        << "{ \"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\TarvikCAD\\\\Kyrel\\\\1.0\": { \"ProductCode\": "
           "{ \"type\": \"REG_SZ\", \"value\": "
        << Json(code) << " } } }\n";
  }
  std::string VersionFolder() const { return dir + "/data/McNeel/Rhinoceros/5.0"; }
  std::string Collection() const { return VersionFolder() + "/UI/Kyrel.rui"; }
  // The updater where the common program-files folder points.
  std::string InstallUpdater() {
    const std::string folder = dir + "/programs/TarvikCAD/Update";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(UPDATER_STAND_IN, folder + "/TarvikUpdate");
    return folder + "/TarvikUpdate";
  }
};

TEST_F(ToolbarRun, FirstRunInstallsTheCollectionLaterRunsOpenItNewInstallationsRewriteIt) {
  SetProductCode(kCode);
  std::filesystem::create_directories(VersionFolder());
  for (const char* old : {"Kyrel_16.tb", "Kyrel_24.tb", "Kyrel_32.tb", "Other_24.tb"})
    std::ofstream(VersionFolder() + "/" + old) << "version 4";

  // The host loads the plug-in before its profile: the collection written
  // at this first profile load is opened from the next start on.
  RunResult first = Kyrel("Toolbar\n", "");
  ASSERT_EQ(first.status, 0) << first.output;
  EXPECT_TRUE(first.Has("No toolbar collections are open.")) << first.output;
  const std::string embedded = ReadText(KYREL_TOOLBAR_COLLECTION);
  ASSERT_FALSE(embedded.empty());
  EXPECT_EQ(ReadText(Collection()), embedded);
  for (const char* old : {"Kyrel_16.tb", "Kyrel_24.tb", "Kyrel_32.tb"})
    EXPECT_FALSE(std::filesystem::exists(VersionFolder() + "/" + old)) << old;
  EXPECT_TRUE(std::filesystem::exists(VersionFolder() + "/Other_24.tb"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(VersionFolder() + "/UI"), {}), 1);
  EXPECT_NE(ReadText(dir + "/profile.json").find(kCode), std::string::npos);

  // Same installation: the file is left alone (a mark added to it stays).
  std::ofstream(Collection(), std::ios::app) << "<!-- the user's -->\n";
  RunResult second = Kyrel("Toolbar\n", "");
  ASSERT_EQ(second.status, 0) << second.output;
  EXPECT_EQ(ReadText(Collection()), embedded + "<!-- the user's -->\n");
  EXPECT_TRUE(second.Has("Collection \"Kyrel\"")) << second.output;
  EXPECT_TRUE(second.Has("  Toolbar \"Kyrel\"\n")) << second.output;
  EXPECT_TRUE(
      second.Has("    \"Kyrel Mirror\"  left: ! _kyMirrorPlane  right: ! _kyMirrorPlane _Enabled "
                 "_Enter \n"))
      << second.output;
  EXPECT_TRUE(second.Has("    \"Clipping Object\"  left: ! _kyClippingobject  right: ! "
                         "_kyClippingobject _pause _mode _none\n"))
      << second.output;
  EXPECT_TRUE(second.Has("    \"ToolBarItem 02\"  left: _ShadedViewport _kyInterfere   right: "
                         "_kyInterfere _WireframeViewport\n"))
      << second.output;
  EXPECT_TRUE(second.Has("    (spacer)\n    \"Save\"  left: ! _kyExportClippedMeshes\n"))
      << second.output;

  // Another installation: the file is written afresh.
  SetProductCode("{99999999-AAAA-4BBB-8CCC-0123456789AB}");
  RunResult third = Kyrel("", "");
  ASSERT_EQ(third.status, 0) << third.output;
  EXPECT_EQ(ReadText(Collection()), embedded);
}

TEST_F(ToolbarRun, ButtonsRunTheirCommands) {
  SetProductCode(kCode);
  ASSERT_EQ(Kyrel("", "").status, 0); // installs the collection
  // Left click: the command, answered by what follows as a user would.
  // Right click: the clear macros on the selection and the mirror switch.
  RunResult r = Kyrel("SelName \"Cutter\"\n"
                      "ToolbarButton \"Clipping Object\"\n"
                      "_Mode _Difference\n"
                      "SelNone\n"
                      "kyClippingObject \"Cutter\" _Enter\n"
                      "SelAll\n"
                      "ToolbarButton \"Clipping Object\" Right\n"
                      "SelNone\n"
                      "kyClippingObject \"Cutter\" _Enter\n"
                      "ToolbarButton \"Kyrel Mirror\"\n"
                      "_Position 1,0,0 _Direction 4,0,0 _Enabled _Enter\n"
                      "kyMirrorPlane _Enter\n"
                      "ToolbarButton \"Kyrel Mirror\" Right\n"
                      "kyMirrorPlane _Enter\n",
                      KYREL_EXAMPLES "/cut_box_by_sphere.kyd");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(r.Has("Command: _kyClippingobject\nCutting object mode ( Mode=None ): _Mode\n"))
      << r.output;
  EXPECT_TRUE(r.Has("Select cutting objects: \"Cutter\"\n"
                    "Cutting object mode ( Mode=Difference ): _Enter\n"))
      << r.output;
  EXPECT_TRUE(r.Has("Cutting objects mode ( Mode=Varies ): _mode\n")) << r.output;
  EXPECT_TRUE(r.Has("Select cutting objects: \"Cutter\"\n"
                    "Cutting object mode ( Mode=None ): _Enter\n"))
      << r.output;
  EXPECT_TRUE(r.Has("Command: kyMirrorPlane\nMirror Plane ( Enabled=On  Position  Direction ): "
                    "_Enter\n"))
      << r.output;
  EXPECT_TRUE(r.Has("Command: kyMirrorPlane\nMirror Plane ( Enabled=Off  Position  Direction ): "
                    "_Enter\n"))
      << r.output;
}

TEST_F(ToolbarRun, InterfereButtonsSwitchClashDetectionOnAndOff) {
  SetProductCode(kCode);
  ASSERT_EQ(Kyrel("", "").status, 0); // installs the collection
  RunResult r = Kyrel("ToolbarButton \"ToolBarItem 02\"\nWait\nPanel\n"
                      "ToolbarButton \"ToolBarItem 02\" Right\nWait\nPanel\n",
                      KYREL_EXAMPLES "/cut_box_by_sphere.kyd");
  ASSERT_EQ(r.status, 0) << r.output;
  // Start: a shaded view and the box's clash with the sphere listed.
  EXPECT_TRUE(r.Has("Command: _ShadedViewport\nPerspective view: shaded.\nCommand: _kyInterfere\n"))
      << r.output;
  EXPECT_TRUE(r.Has("Panel \"Interferences\": shown")) << r.output;
  EXPECT_TRUE(r.Has("  row 0 | 1 | Box | Cutter\n")) << r.output;
  // Stop: detection off, the panel gone, back to wireframe.
  EXPECT_TRUE(
      r.Has("Command: _kyInterfere\nCommand: _WireframeViewport\nPerspective view: wireframe.\n"))
      << r.output;
  EXPECT_TRUE(r.Has("Panel \"Interferences\": hidden")) << r.output;
  EXPECT_TRUE(r.Has("(0 rows, hidden)")) << r.output;
}

TEST_F(ToolbarRun, SaveButtonExportsTheChosenObjectsAndLeavesTheModelAsItWas) {
  SetProductCode(kCode);
  ASSERT_EQ(Kyrel("", "").status, 0); // installs the collection
  const std::string file = dir + "/box.stl";
  RunResult r =
      Kyrel("List\nSelName \"Box\"\nToolbarButton \"Save\"\n_Pause\n\"" + file + "\"\nList\n",
            KYREL_EXAMPLES "/cut_box_by_sphere.kyd");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(r.Has("Command: _kyExportClippedMeshes\n")) << r.output;
  ASSERT_TRUE(std::filesystem::exists(file)) << r.output;
  EXPECT_GT(std::filesystem::file_size(file), 84u); // more than an empty binary STL
  // The temporary meshes are gone again: both listings name the same objects.
  const size_t first = r.output.find("Command: List");
  const size_t second = r.output.rfind("Command: List");
  ASSERT_NE(first, second);
  const std::string before = r.output.substr(first, r.output.find("Command:", first + 1) - first);
  const std::string after = r.output.substr(second);
  EXPECT_EQ(std::count(before.begin(), before.end(), '\n'),
            std::count(after.begin(), after.end(), '\n'))
      << r.output;
}

TEST_F(ToolbarRun, UpdaterGetsTheUninstallKeyAsItsOneArgumentAndIsNotWaitedFor) {
  const std::string updater = InstallUpdater();
  SetProductCode(kCode);
  RunResult r = Kyrel("", "");
  ASSERT_EQ(r.status, 0) << r.output;
  // kyrel has ended while the updater still waits to be let go.
  EXPECT_FALSE(std::filesystem::exists(updater + ".received"));
  std::ofstream(updater + ".go") << "";
  ASSERT_TRUE(WaitForFile(updater + ".received", std::chrono::seconds(10)));
  EXPECT_EQ(ReadText(updater + ".received"),
            "arguments=1\nargument=" + kUninstallKey + kCode + "\nniceness=19\n");
}

TEST_F(ToolbarRun, CodesThatCouldBreakOutOfTheArgumentStartNothing) {
  const std::string updater = InstallUpdater();
  std::ofstream(updater + ".go") << "";
  for (const std::string code : {"{A}\" \"--elevate", "{A}\\", "{A}\\\" --x"}) {
    SetProductCode(code);
    RunResult r = Kyrel("", "");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(WaitForFile(updater + ".received", std::chrono::milliseconds(1500))) << code;
  }
}

} // namespace
