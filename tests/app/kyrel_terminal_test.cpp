// kyrel on a terminal: the executable runs under a pseudo-terminal, shows
// its "Command:" prompt, and a person types commands and answers. Every step
// waits for the prompt it expects (with a deadline), never for a fixed time.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/pty_terminal.h"

namespace {

using test_terminal::Terminal;

class KyrelTerminal : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-tty-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
};

TEST_F(KyrelTerminal, PromptsAnswersAndExit) {
  Terminal t(dir, {KYREL_EXE, "--no-default-plugins", "--no-opengl"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

  // A command that asks: each prompt appears and waits for its answer; a
  // wrong answer is reported and the same prompt comes back.
  t.Type("Box");
  ASSERT_TRUE(t.WaitFor("First corner of box: ")) << t.Output();
  t.Type("nonsense");
  ASSERT_TRUE(t.WaitFor("Unknown input nonsense")) << t.Output();
  ASSERT_TRUE(t.WaitFor("First corner of box: ")) << t.Output();
  t.Type("0,0,0");
  ASSERT_TRUE(t.WaitFor("Opposite corner of box: ")) << t.Output();
  t.Type("2,2,2 \"crate\"");
  ASSERT_TRUE(t.WaitFor("Added box")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

  t.Type("List");
  ASSERT_TRUE(t.WaitFor("name=\"crate\"  type=polysurface")) << t.Output();
  ASSERT_TRUE(t.WaitFor("1 objects.")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

  t.Type("Frobnicate");
  ASSERT_TRUE(t.WaitFor("Unknown command: Frobnicate")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output(); // still running, asking again

  t.Type("Exit");
  // The wrong input of the session shows in the exit status.
  EXPECT_EQ(t.WaitForExit(), 1) << t.Output();
  // What was typed is on the terminal once: the host does not echo it again.
  EXPECT_EQ(t.Count("Command: Box"), 1u) << t.Output();
  EXPECT_EQ(t.Count("Command: List"), 1u) << t.Output();
  EXPECT_EQ(t.Count("First corner of box: 0,0,0"), 1u) << t.Output();
}

TEST_F(KyrelTerminal, EmptyLineIsEnterAndEndOfInputEndsTheSession) {
  Terminal t(dir, {KYREL_EXE, "--no-default-plugins", "--no-opengl"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
  t.Type("Sphere 0,0,0");
  ASSERT_TRUE(t.WaitFor("Radius: ")) << t.Output();
  // Enter where a number is needed ends the command without adding anything.
  t.Type("");
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
  t.Type("List");
  ASSERT_TRUE(t.WaitFor("0 objects.")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
  t.Send("\x04"); // Ctrl-D at the prompt
  EXPECT_EQ(t.WaitForExit(), 0) << t.Output();
}

TEST_F(KyrelTerminal, TabCompletesCommandNamesArrowsRecallLinesAndHelpExplains) {
  Terminal t(dir, {KYREL_EXE, "--no-default-plugins", "--no-opengl"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

  // One match: the name is completed with a space after it, and the
  // command runs when Enter follows.
  t.Send("Li\t");
  ASSERT_TRUE(t.WaitFor("List ")) << t.Output();
  t.Send("\r");
  ASSERT_TRUE(t.WaitFor("0 objects.")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

  // Several matches: Tab goes as far as they agree, a second Tab lists them.
  t.Send("pan\t");
  ASSERT_TRUE(t.WaitFor("Panel")) << t.Output();
  t.Send("\t");
  ASSERT_TRUE(t.WaitFor("Panel  PanelButton  PanelClick  PanelDoubleClick")) << t.Output();
  t.Send("\x15"); // Ctrl-U drops the line

  // Up brings back the line typed before, Enter runs it again.
  t.Send("\x1b[A");
  ASSERT_TRUE(t.WaitFor("List ")) << t.Output();
  t.Send("\r");
  ASSERT_TRUE(t.WaitFor("0 objects.")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();

  t.Type("Help");
  ASSERT_TRUE(t.WaitFor("SetView")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
  t.Type("Help setview");
  ASSERT_TRUE(t.WaitFor("View (Top Bottom Front Back Left Right Perspective)")) << t.Output();
  ASSERT_TRUE(t.WaitFor("Command: ")) << t.Output();
  t.Type("Exit");
  EXPECT_EQ(t.WaitForExit(), 0) << t.Output();
  EXPECT_EQ(t.Count("Unknown command"), 0u) << t.Output();
}

} // namespace
