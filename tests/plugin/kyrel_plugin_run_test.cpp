// End to end: the kyrel executable loads Kyrel.rhp from beside itself and
// runs the example models and macros of the cutting-object command.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct RunResult {
  int status = -1;
  std::string output;  // stdout and stderr together
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class KyrelPlugInRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-plugin-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  // Runs kyrel on the example model with a script made of `script` lines.
  RunResult Kyrel(const std::string& script, const std::string& model = KYREL_EXAMPLES "/cut_box_by_sphere.kyd") {
    std::string script_path = dir + "/script.macro";
    std::ofstream(script_path) << script;
    // Registry, profile and per-user folders of the run stay in the test's
    // folder: no installation is found, so no updater starts.
    std::string command = "cd '" + dir + "' && KYREL_REGISTRY='" + dir + "/registry.json' KYREL_PROFILE='" + dir +
                          "/profile.json' XDG_DATA_HOME='" + dir + "/data' XDG_CONFIG_HOME='" + dir +
                          "/config' '" KYREL_EXE "' --no-opengl '" + model + "' --script '" + script_path +
                          "' < /dev/null 2>&1";
    RunResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) r.output.append(buffer, n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
  static std::string Example(const char* name) { return ReadText(std::string(KYREL_EXAMPLES "/") + name); }
  static bool Has(const RunResult& r, const std::string& text) { return r.output.find(text) != std::string::npos; }
  static std::size_t Count(const RunResult& r, const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = r.output.find(text); at != std::string::npos; at = r.output.find(text, at + 1)) ++n;
    return n;
  }
  std::string dir;
};

TEST_F(KyrelPlugInRun, ExampleMakesTheSphereADifferenceCutter) {
  RunResult r = Kyrel(Example("cut_box_by_sphere.macro") + "kyClippingObject \"Cutter\" _Enter _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_FALSE(Has(r, "Note:")) << r.output;  // the default plug-in was there
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=None ): _Mode")) << r.output;
  EXPECT_TRUE(Has(r, "Mode <None> ( None  Intersection  Difference ): _Difference")) << r.output;
  // Asked again, the sphere shows the mode it was given.
  EXPECT_TRUE(Has(r, "Select cutting objects: \"Cutter\"")) << r.output;
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=Difference ): _Enter")) << r.output;
  EXPECT_FALSE(Has(r, "Varies")) << r.output;
}

TEST_F(KyrelPlugInRun, ToolbarClearMacroMakesCuttersOrdinaryAgain) {
  RunResult r = Kyrel(Example("cut_box_by_sphere.macro") + Example("clear_cutters.macro") +
                      "kyClippingObject \"Cutter\" _Enter _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "Command: _kyClippingobject")) << r.output;
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=None ): _Enter")) << r.output;
}

TEST_F(KyrelPlugInRun, VariesAppearsOnlyForMixedSelections) {
  RunResult r = Kyrel(
      "kyClippingObject \"Box\" _Mode _Intersection\n"
      "kyClippingObject \"Cutter\" _Mode _Difference\n"
      "kyClippingObject \"Box\" \"Cutter\" _Mode _Varies\n"
      "kyClippingObject \"Box\" _Enter _Enter\n"
      "kyClippingObject \"Cutter\" _Enter _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "Cutting objects mode ( Mode=Varies ): _Mode")) << r.output;
  EXPECT_TRUE(Has(r, "Mode <Varies> ( None  Intersection  Difference  Varies ): _Varies")) << r.output;
  // Varies changed nothing: each keeps its own mode.
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=Intersection ): _Enter")) << r.output;
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=Difference ): _Enter")) << r.output;
}

TEST_F(KyrelPlugInRun, EnterAtTheModePromptEndsWithSuccess) {
  RunResult r = Kyrel("kyClippingObject \"Box\" _Enter _Enter\nkyClippingObject \"Box\" _Enter _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_FALSE(Has(r, "failed")) << r.output;
  EXPECT_EQ(Count(r, "Cutting object mode ( Mode=None ): _Enter"), 2u) << r.output;
}

TEST_F(KyrelPlugInRun, OpenSurfaceIsRefusedByTheClosedFilter) {
  RunResult r = Kyrel("SelName \"Sheet\"\nkyClippingObject _Pause _Mode _Difference\n");
  EXPECT_EQ(r.status, 1) << r.output;  // a script that cannot go on is an input error
  EXPECT_TRUE(Has(r, "No selected object fits \"Select cutting objects\"")) << r.output;
  EXPECT_FALSE(Has(r, "Cutting object mode")) << r.output;
}

TEST_F(KyrelPlugInRun, CuttingModesAreNotSavedWithTheModel) {
  RunResult made = Kyrel(Example("cut_box_by_sphere.macro") + "SaveAs \"saved.kyd\"\n");
  ASSERT_EQ(made.status, 0) << made.output;
  RunResult reopened = Kyrel("kyClippingObject \"Cutter\" _Enter _Enter\n", dir + "/saved.kyd");
  EXPECT_EQ(reopened.status, 0) << reopened.output;
  EXPECT_TRUE(Has(reopened, "Cutting object mode ( Mode=None ): _Enter")) << reopened.output;
}

}  // namespace
