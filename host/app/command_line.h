#pragma once
// The host's command line: macro input for the getters and the loop that
// runs commands from it.
//
// Tokens come from a queue that macros are pushed onto (scripts, -c
// options, toolbar buttons), refilled on demand from a line source (a
// script file or standard input); when the queue and the source are
// exhausted, an interactive line (a terminal) asks the user, anything else
// answers Escape. Prompts are echoed with the answer taken, so a batch run
// prints the dialogue as it happened.

#include <deque>
#include <functional>
#include <string>

#include "terminal_line.h"
#include "ui/rhino_command.h"
#include "ui/rhino_command_input.h"

namespace kyrel::app {

class CommandLine final : public CRhinoCommandInput {
public:
  using LineSource = std::function<bool(std::wstring& line)>;

  // Appends a macro's tokens (reports its bad tokens as errors).
  void PushMacro(const std::wstring& macro);
  // Puts a macro's tokens in front of what is queued (toolbar buttons).
  void PushMacroFront(const std::wstring& macro);
  void SetLineSource(LineSource source) { source_ = std::move(source); }
  // Whether the user is asked when the tokens run out.
  void SetInteractive(bool interactive) { interactive_ = interactive; }

  // A front end that asks the person in place of the terminal (the desktop
  // window). `ask` shows the prompt and waits for an answer: `typed` for a
  // line the person typed, `macro` for one that a button or a script runs
  // (echoed with the prompt, and `!` in it cancels no background work),
  // `end` when the person closed the window. `show` hears every line
  // printed, errors marked, besides the terminal.
  enum class Answer { typed, macro, end };
  struct FrontEnd {
    std::function<Answer(const std::wstring& prompt, std::string& text)> ask;
    std::function<void(const std::wstring& line, bool error)> show;
  };
  void SetFrontEnd(FrontEnd front_end) { front_end_ = std::move(front_end); }

  // Runs commands until the input is used up or Exit is run. Returns false
  // when a command failed or an input error was reported.
  bool Run();
  void RequestExit() { exit_requested_ = true; }
  // Forgets queued tokens, the line source and an exit request.
  void Reset() {
    queue_.clear();
    source_ = nullptr;
    exit_requested_ = false;
  }
  int ErrorCount() const { return errors_; }
  int FailedCommands() const { return failed_; }
  void CountFailure() { ++failed_; }

  // CRhinoCommandInput
  bool NextToken(const std::wstring& prompt, CRhinoMacroToken& token) override;
  bool PeekToken(CRhinoMacroToken& token) override;
  void PushFront(const CRhinoMacroToken& token) override { queue_.push_front(token); }
  void Print(const std::wstring& line) override;
  void Error(const std::wstring& line) override;
  bool IsInteractive() const override { return interactive_; }

private:
  // Fills the queue from the line source, or else (when may_ask) from the
  // terminal; *typed (may be null) tells whether the terminal was asked.
  bool Refill(bool may_ask, const std::wstring& prompt, bool* typed);
  // One line from the person at the terminal (or the front end); false at
  // the end of input. *typed false: a macro, not typed by the person.
  bool AskTerminal(const std::wstring& prompt, std::string& text, bool* typed);
  void RunOne(const CRhinoMacroToken& token);
  // Escape typed at the prompt or Ctrl-C: stops the background work.
  bool CancelBackgroundWork();

  std::deque<CRhinoMacroToken> queue_;
  TerminalLine terminal_;
  LineSource source_;
  FrontEnd front_end_;
  bool interactive_ = false;
  bool exit_requested_ = false;
  int errors_ = 0;
  int failed_ = 0;
};

} // namespace kyrel::app
