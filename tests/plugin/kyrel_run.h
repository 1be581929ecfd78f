// Runs the real kyrel executable (which loads Kyrel.rhp from beside itself)
// on a model and a script, in a temporary folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kyrel_test {

struct RunResult {
  int status = -1;
  std::string output; // stdout and stderr together

  bool Has(const std::string& text) const { return output.find(text) != std::string::npos; }
  std::size_t Count(const std::string& text) const {
    std::size_t n = 0;
    for (std::size_t at = output.find(text); at != std::string::npos;
         at = output.find(text, at + 1))
      ++n;
    return n;
  }
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string Example(const std::string& name) {
  return ReadText(std::string(KYREL_EXAMPLES "/") + name);
}

// `script` with every capture made at the size of a 640 x 480 view, where
// TopView puts the probes; captures are otherwise larger than the view.
inline std::string CapturesAtViewSize(std::string script) {
  const std::string capture = "ViewCaptureToFile ";
  for (std::size_t at = script.find(capture); at != std::string::npos;
       at = script.find(capture, at + 1))
    script.insert(at + capture.size(), "_Width=640 _Height=480 ");
  return script;
}

class KyrelRun : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) std::filesystem::remove_all(dir, ec); // kept for a look when a case fails
  }

  // Runs kyrel with a script made of `script` lines; `model` may be empty.
  // `engine_options` chooses the drawing (`--no-opengl` draws no pictures).
  RunResult Kyrel(const std::string& script, const std::string& model,
                  const std::string& engine_options = "--no-opengl") {
    const std::string script_path = dir + "/script.macro";
    std::ofstream(script_path) << script;
    // Registry, profile, program files and per-user folders of the run stay
    // in the test's folder: unless a test puts an installation and an
    // updater there, none is found, so no updater starts.
    std::string command =
        "cd '" + dir + "' && KYREL_REGISTRY='" + dir + "/registry.json' KYREL_PROFILE='" + dir +
        "/profile.json' KYREL_PROGRAM_FILES='" + dir + "/programs' XDG_DATA_HOME='" + dir +
        "/data' XDG_CONFIG_HOME='" + dir + "/config' '" KYREL_EXE "' " + engine_options + " ";
    if (!model.empty()) command += "'" + model + "' ";
    command += "--script '" + script_path + "' < /dev/null 2>&1";
    RunResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
      r.output.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }

  std::string dir;
};

} // namespace kyrel_test
