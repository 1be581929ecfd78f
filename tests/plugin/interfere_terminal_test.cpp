// A person at a terminal and a clash computation that takes a while: the
// prompt shows its progress and stays usable, and Escape typed at the
// prompt, or Ctrl-C at the prompt or while waiting, stops it as the panel's
// Cancel does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/pty_terminal.h"

namespace {

using test_terminal::Terminal;

// Spheres that all overlap one another: every pair needs a boolean, so the
// computation runs for seconds (progress comes per object, 60 steps).
std::string OverlappingSpheres(int count) {
  std::string line;
  for (int i = 0; i < count; ++i)
    line += "Sphere " + std::to_string(0.4 * i) + ",0,0 5 ";
  return line;
}

TEST(InterfereTerminal, ProgressShowsAtThePromptAndCancelStopsTheComputation) {
  std::string dir = (std::filesystem::temp_directory_path() / "kyrel-clash-tty-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  {
    Terminal t(dir, {KYREL_EXE, "--no-opengl"});
    ASSERT_TRUE(t.Started());
    ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
    t.Type(OverlappingSpheres(60));
    for (int i = 0; i < 60; ++i)
      ASSERT_TRUE(t.WaitFor("Added sphere")) << t.Output();
    ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

    // The computation runs behind the prompt, which shows how far it is.
    t.Type("kyInterfere");
    ASSERT_TRUE(t.WaitFor("[Interferences ")) << t.Output();
    ASSERT_TRUE(t.WaitFor(" of 60] Command: ")) << t.Output();
    t.Type("!");
    ASSERT_TRUE(t.WaitFor("Background work cancelled.")) << t.Output();
    ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

    // A change to the model starts it again; Wait shows the progress on its
    // own line and Ctrl-C stops the work waited for.
    t.Type("Sphere 0,0,1 5");
    ASSERT_TRUE(t.WaitFor("Added sphere")) << t.Output();
    ASSERT_TRUE(t.WaitFor(" of 61] Command: ")) << t.Output();
    t.Type("Wait");
    ASSERT_TRUE(t.WaitFor("Waiting: Interferences ")) << t.Output();
    t.Send("\x03");
    ASSERT_TRUE(t.WaitFor("Wait: background work cancelled.")) << t.Output();
    ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

    // The panel is as its Cancel leaves it: empty, detection still on.
    t.Type("Panel Interferences");
    ASSERT_TRUE(t.WaitFor("progress 0 of 61")) << t.Output();
    ASSERT_TRUE(t.WaitFor("(0 rows)")) << t.Output();
    ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

    // Ctrl-C at the prompt with nothing running only drops the line. The
    // interrupt waits until the line is seen at the prompt: the terminal
    // drops input it has not handed on yet when an interrupt comes.
    t.Send("Li");
    ASSERT_TRUE(t.WaitFor("Li")) << t.Output();
    t.Send("\x03");
    ASSERT_TRUE(t.WaitFor("^C")) << t.Output();
    ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
    t.Type("Exit");
    EXPECT_EQ(t.WaitForExit(), 0) << t.Output();
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

} // namespace
