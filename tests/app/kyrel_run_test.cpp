// End-to-end: the kyrel executable with the test plug-in, driven by
// scripts, -c options and standard input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/png_file.h"

namespace {

struct RunResult {
  int status = -1;
  std::string output; // stdout and stderr together
};

class KyrelRun : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-run-XXXXXX").string();
    dir = mkdtemp(pattern.data()) ? pattern : "/tmp";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  RunResult Kyrel(const std::string& args, const std::string& stdin_text = "",
                  const std::string& engine = "--no-opengl") {
    std::string input = dir + "/stdin.txt";
    std::ofstream(input) << stdin_text;
    std::string command = "cd '" + dir + "' && KYREL_PROFILE='" + dir +
                          "/profile.json' TEST_PLUGIN_RUI='" TEST_RUI "' '" KYREL_EXE
                          "' --no-default-plugins " +
                          engine + " " + args + " < '" + input + "' 2>&1";
    RunResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
      r.output.append(buffer, n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
  std::string Script(const std::string& text) {
    std::string path = dir + "/script.txt";
    std::ofstream(path) << text;
    return "--script '" + path + "'";
  }
  static bool Has(const RunResult& r, const std::string& text) {
    return r.output.find(text) != std::string::npos;
  }
  std::string dir;
};

struct Picture : test_png::RgbImage {
  bool Read(const std::string& path) { return test_png::ReadPng(path, *this); }
  std::size_t Colours() const {
    std::set<std::tuple<int, int, int>> seen;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
      seen.insert({rgb[i], rgb[i + 1], rgb[i + 2]});
    return seen.size();
  }
};

TEST_F(KyrelRun, CapturesHaveTheSizeAskedForAndSmoothedEdges) {
  // Black wires of one box on a plain background: drawn without smoothing
  // a pixel is one or the other, smoothed the edges take shades between.
  RunResult r = Kyrel("--view-size 160x120 -c 'Box 0,0,0 4,3,2' -c 'WireframeViewport' "
                      "-c 'SetView _View _Perspective' -c 'ViewCaptureToFile \"default.png\"' "
                      "-c 'ViewCaptureToFile _Width=400 _Height=300 \"smooth.png\"' "
                      "-c 'ViewCaptureToFile _Smooth=No _Width=400 _Height=300 \"plain.png\"'",
                      "", "");
  ASSERT_EQ(r.status, 0) << r.output;
  Picture shown, smooth, plain;
  ASSERT_TRUE(shown.Read(dir + "/default.png")) << r.output;
  EXPECT_EQ(shown.width, 1600);
  EXPECT_EQ(shown.height, 1200);
  ASSERT_TRUE(smooth.Read(dir + "/smooth.png"));
  ASSERT_TRUE(plain.Read(dir + "/plain.png"));
  EXPECT_EQ(smooth.width, 400);
  EXPECT_EQ(smooth.height, 300);
  EXPECT_EQ(plain.width, 400);
  EXPECT_LE(plain.Colours(), 3u);
  EXPECT_GE(smooth.Colours(), 6u);
  EXPECT_GE(shown.Colours(), 6u);

  RunResult bad = Kyrel("-c 'ViewCaptureToFile _Width=0 \"x.png\"'", "", "");
  EXPECT_NE(bad.status, 0) << bad.output;
  EXPECT_FALSE(std::filesystem::exists(dir + "/x.png"));
}

TEST_F(KyrelRun, HelpExplainsOptionsAndMacros) {
  RunResult r = Kyrel("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Has(r, "--script"));
  EXPECT_TRUE(Has(r, "_Pause"));
  EXPECT_TRUE(Has(r, "ViewCaptureToFile"));
}

TEST_F(KyrelRun, TestPlugInGettersPanelAndToolbar) {
  RunResult r = Kyrel("--plugin '" TEST_PLUGIN "' " + Script(R"(# a comment line
Box 0,0,0 1,1,1 "box"
PlaneSrf 0,0,5 1,1 "plane"
SelAll
TestGetters _Pause _Mode _Difference _Enabled Position 1,0,0 3,0,0 _Enter
TestPanel
Wait 10
Panel "Test Panel"
PanelClick 1 0 "Test Panel"
PanelDoubleClick 2 1 "Test Panel"
PanelButton "Cancel" "Test Panel"
Toolbar
ToolbarButton "Shade and list"
SelNone
SelName "box"
ToolbarButton "Shade and list" right
)"));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "TestPlugIn: InitInstance")) << r.output;
  EXPECT_TRUE(Has(r, "TestPlugIn: profile Runs=\"\""));
  EXPECT_TRUE(Has(r, "TestGetters: object \"box\""));
  EXPECT_FALSE(Has(r, "TestGetters: object \"plane\"")); // not closed
  EXPECT_TRUE(Has(r, "Test options ( Mode=None  Enabled=Off  Position ): _Mode"));
  EXPECT_TRUE(Has(r, "TestGetters: mode Difference"));
  EXPECT_TRUE(Has(r, "TestGetters: enabled On"));
  EXPECT_TRUE(Has(r, "TestGetters: direction 2.000000,0.000000,0.000000"));
  EXPECT_TRUE(Has(r, "TestGetters: options ended with nothing, mode Difference, enabled On"));
  EXPECT_TRUE(Has(r, "TestPanel: shown"));
  EXPECT_TRUE(Has(r, "progress 3 of 3"));
  EXPECT_TRUE(Has(r, "row 2 | 3 | step 3 of 3"));
  EXPECT_TRUE(Has(r, "TestPanel: row 1 selected"));
  EXPECT_TRUE(Has(r, "TestPanel: double click on row 2 column 1"));
  EXPECT_TRUE(Has(r, "TestPanel: cancel clicked"));
  EXPECT_TRUE(Has(r, "\"Shade and list\"  left: _ShadedViewport _List"));
  EXPECT_TRUE(Has(r, "Command: _ShadedViewport"));
  // The right-click macro pauses for the selection and answers by name.
  EXPECT_TRUE(Has(r, "TestGetters: options ended with nothing, mode Difference, enabled Off"));
}

// One _Enter is one answer: after objects picked by name it answers the
// command's next prompt, not the object prompt again.
TEST_F(KyrelRun, EnterAfterObjectNamesAnswersTheNextPrompt) {
  RunResult r = Kyrel("--plugin '" TEST_PLUGIN "' " + Script(R"(Box 0,0,0 1,1,1 "box"
Sphere 5,0,0 1 "ball"
TestGetters "box" _Enter
TestGetters "ball" "box" _Mode _Intersection _Enter
List
)"));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "Select closed solids: \"box\"")) << r.output;
  EXPECT_TRUE(Has(r, "Test options ( Mode=None  Enabled=Off  Position ): _Enter")) << r.output;
  EXPECT_TRUE(Has(r, "TestGetters: options ended with nothing, mode None, enabled Off"))
      << r.output;
  EXPECT_TRUE(Has(r, "TestGetters: object \"ball\"")) << r.output;
  EXPECT_TRUE(Has(r, "TestGetters: options ended with nothing, mode Intersection, enabled Off"))
      << r.output;
  EXPECT_TRUE(Has(r, "Command: List")) << r.output; // the next line still runs as a command
  EXPECT_FALSE(Has(r, "no more input")) << r.output;
}

TEST_F(KyrelRun, ProfileEntriesPersistBetweenRuns) {
  std::string plugin = "--plugin '" TEST_PLUGIN "' -c List";
  EXPECT_EQ(Kyrel(plugin).status, 0);
  RunResult second = Kyrel(plugin);
  EXPECT_TRUE(Has(second, "TestPlugIn: profile Runs=\"1\"")) << second.output;
}

TEST_F(KyrelRun, SaveOfSelectedObjectsAsksForTheFileName) {
  RunResult r =
      Kyrel("--plugin '" TEST_PLUGIN "' -c 'Box 0,0,0 1,1,1 \"in\" Box 3,0,0 4,1,1 \"out\"' "
            "-c 'SelName \"in\" TestExportSelected \"sel.kyd\"' -c 'SaveAs \"all.kyd\"'");
  EXPECT_EQ(r.status, 0) << r.output;
  std::ifstream in(dir + "/sel.kyd");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("\"in\""), std::string::npos);
  EXPECT_EQ(text.str().find("\"out\""), std::string::npos);
  // The options were restored: a plain save writes everything.
  std::ifstream all(dir + "/all.kyd");
  std::stringstream all_text;
  all_text << all.rdbuf();
  EXPECT_NE(all_text.str().find("\"out\""), std::string::npos);
}

TEST_F(KyrelRun, MacrosFromStandardInputAndAModelArgument) {
  RunResult made = Kyrel("", "Box 0,0,0 1,1,1 \"b\"\nSaveAs \"m.kyd\"\n");
  ASSERT_EQ(made.status, 0) << made.output;
  RunResult listed = Kyrel("m.kyd -c List");
  EXPECT_EQ(listed.status, 0);
  EXPECT_TRUE(Has(listed, "name=\"b\"  type=polysurface"));
}

TEST_F(KyrelRun, OutputFolderIsMadeWhenMissing) {
  RunResult r = Kyrel("--out made/deeper -c 'Box 0,0,0 1,1,1 \"b\"' -c 'SaveAs \"m.kyd\"'");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(std::filesystem::exists(dir + "/made/deeper/m.kyd"));
  // A folder that cannot be made stops the run before any command.
  std::ofstream(dir + "/plain") << "a file, not a folder";
  RunResult blocked = Kyrel("--out plain/sub -c 'Box 0,0,0 1,1,1' -c List");
  EXPECT_EQ(blocked.status, 2);
  EXPECT_TRUE(Has(blocked, "cannot make the output folder plain/sub"));
  EXPECT_FALSE(Has(blocked, "1 object"));
}

TEST_F(KyrelRun, FailuresGiveMessagesAndExitCodes) {
  RunResult unknown = Kyrel("-c 'Frobnicate'");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_TRUE(Has(unknown, "Unknown command: Frobnicate"));
  RunResult bad_token = Kyrel("-c 'Box 0,0,x 1,1,1'");
  EXPECT_EQ(bad_token.status, 1);
  EXPECT_TRUE(Has(bad_token, "Bad point"));
  std::ofstream(dir + "/broken.kyd")
      << "{\"format\": \"kyrel-model\", \"version\": 1, \"objects\": [";
  RunResult broken = Kyrel("broken.kyd -c List");
  EXPECT_EQ(broken.status, 2);
  EXPECT_TRUE(Has(broken, "broken.kyd is not a model file"));
  RunResult missing = Kyrel("-c 'Open \"nothing.kyd\"'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Has(missing, "cannot open nothing.kyd"));
  RunResult plugin = Kyrel("--plugin /nonexistent/Plugin.rhp -c List");
  EXPECT_EQ(plugin.status, 2);
  EXPECT_TRUE(Has(plugin, "cannot load plug-in /nonexistent/Plugin.rhp"));
  RunResult not_plugin = Kyrel("--plugin '" KYREL_EXE "' -c List");
  EXPECT_EQ(not_plugin.status, 2);
}

// Imports of damaged model files change nothing the commands after them
// see; a block whose name the model has comes in renamed and the run says so.
TEST_F(KyrelRun, ImportRefusesDamageWholeAndRenamesCollidingBlocks) {
  RunResult made =
      Kyrel("-c 'Box 0,0,0 1,1,1 \"b\"' -c 'SelName \"b\"' -c 'Block 0,0,0 \"Post\"' -c 'SaveAs "
            "\"post.kyd\"'");
  ASSERT_EQ(made.status, 0) << made.output;
  std::ofstream(dir + "/deep.kyd")
      << "{\"format\": \"kyrel-model\", \"version\": 1, \"objects\": " << std::string(100000, '[')
      << std::string(100000, ']') << "}";
  // A good object, then a reference to a block the file does not have.
  std::ofstream(dir + "/half.kyd")
      << R"({"format": "kyrel-model", "version": 1, "instance_definitions": [
             {"name": "Post", "objects": [{"type": "box", "min": [0,0,0], "max": [1,1,1]}]}],
             "objects": [{"type": "box", "name": "extra", "min": [0,0,0], "max": [1,1,1]},
                         {"type": "instance", "definition": "Missing"}]})";
  RunResult r = Kyrel("post.kyd " + Script("Import \"deep.kyd\"\nImport \"half.kyd\"\n"
                                           "Import \"post.kyd\"\nList\n"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(Has(r, "nest more than 64 deep")) << r.output;
  EXPECT_TRUE(Has(r, "no instance definition \"Missing\"")) << r.output;
  EXPECT_TRUE(Has(r, "block \"Post\" was imported as \"Post (2)\"")) << r.output;
  EXPECT_FALSE(Has(r, "name=\"extra\"")) << r.output;
  EXPECT_TRUE(Has(r, "2 objects.")) << r.output; // the model's reference and the imported one
}

} // namespace
