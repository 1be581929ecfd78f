#include "command_line.h"

#include <cstdio>

#include "command_help.h"
#include "host_session.h"
#include "interrupt_signal.h"
#include "macro_tokenizer.h"
#include "rhino_app.h"
#include "rhino_doc.h"
#include "terminal_progress.h"
#include "ui/rhino_background_work.h"
#include "win_messages.h"
#include "win_strings.h"

namespace kyrel::app {

using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;

void CommandLine::PushMacro(const std::wstring& macro) {
  TokenizeResult r = TokenizeMacro(macro);
  for (const auto& e : r.errors)
    Error(e);
  for (auto& t : r.tokens)
    queue_.push_back(t);
}

void CommandLine::PushMacroFront(const std::wstring& macro) {
  TokenizeResult r = TokenizeMacro(macro);
  for (const auto& e : r.errors)
    Error(e);
  for (auto it = r.tokens.rbegin(); it != r.tokens.rend(); ++it)
    queue_.push_front(*it);
}

bool CommandLine::Refill(bool may_ask, const std::wstring& prompt, bool* typed) {
  if (typed) *typed = false;
  std::wstring line;
  while (queue_.empty() && source_) {
    if (!source_(line)) {
      source_ = nullptr;
      break;
    }
    PushMacro(line);
  }
  if (!queue_.empty()) return true;
  if (!may_ask || !interactive_) return false;
  if (typed) *typed = true;
  while (queue_.empty()) {
    std::string text;
    if (!AskTerminal(prompt, text, typed)) return false;
    TokenizeResult r = TokenizeMacro(Utf8ToWide(text));
    for (const auto& e : r.errors)
      Error(e);
    for (auto& t : r.tokens)
      queue_.push_back(t);
    if (r.tokens.empty() && r.errors.empty()) {
      // An empty line is Enter, as on the host's command line.
      CRhinoMacroToken enter;
      enter.m_kind = CRhinoMacroToken::enter;
      enter.m_raw = L"_Enter";
      queue_.push_back(enter);
    }
  }
  return true;
}

bool CommandLine::AskTerminal(const std::wstring& prompt, std::string& text, bool* typed) {
  if (front_end_.ask) {
    const Answer answer = front_end_.ask(prompt, text);
    if (typed && answer == Answer::macro) *typed = false;
    return answer != Answer::end;
  }
  std::string shown_status;
  TerminalLine::Hooks hooks;
  hooks.idle = [] {
    kyrel::platform::PumpMessages();
    RhinoApp().ProcessDeferredRedraws();
  };
  hooks.status = [this, &shown_status] {
    std::string status = BackgroundProgressText();
    if (status.empty() && !shown_status.empty()) {
      const std::string panels = PanelProgressText();
      terminal_.PrintAbove("Background work finished" + (panels.empty() ? "" : ": " + panels) +
                           ".");
    }
    shown_status = status;
    return status;
  };
  hooks.take_interrupt = &TakeInterrupt;
  // Command names complete where a command is asked for, not at a
  // command's own prompts.
  if (prompt == L"Command:") hooks.complete = &CompleteCommandName;
  for (;;) {
    switch (terminal_.Read(WideToUtf8(prompt), hooks, text)) {
    case TerminalLine::Outcome::line:
      return true;
    case TerminalLine::Outcome::end_of_input:
      return false;
    case TerminalLine::Outcome::interrupted:
      // Ctrl-C stops the background work; with none, it drops the line.
      if (!CancelBackgroundWork()) {
        terminal_.Discard();
        terminal_.PrintAbove("^C");
      }
      break;
    }
  }
}

bool CommandLine::CancelBackgroundWork() {
  if (RhinoCancelBackgroundWork() == 0) return false;
  Print(L"Background work cancelled.");
  return true;
}

bool CommandLine::NextToken(const std::wstring& prompt, CRhinoMacroToken& token) {
  bool typed = false;
  if (!Refill(true, prompt, &typed)) {
    if (!prompt.empty()) Print(prompt + L" (no more input: Escape)");
    return false;
  }
  token = queue_.front();
  queue_.pop_front();
  // An answer typed at this prompt is on the terminal already; answers
  // queued before (scripts, the rest of a typed line) are echoed.
  if (!prompt.empty() && !typed) Print(prompt + L" " + token.m_raw);
  return true;
}

bool CommandLine::PeekToken(CRhinoMacroToken& token) {
  if (!Refill(false, L"", nullptr)) return false;
  token = queue_.front();
  return true;
}

void CommandLine::Print(const std::wstring& line) {
  terminal_.PrintAbove(WideToUtf8(line));
  if (front_end_.show) front_end_.show(line, false);
}

void CommandLine::Error(const std::wstring& line) {
  ++errors_;
  if (front_end_.show) front_end_.show(L"Error: " + line, true);
  std::fflush(stdout);
  std::fputs(("Error: " + WideToUtf8(line) + "\n").c_str(), stderr);
  std::fflush(stderr);
}

void CommandLine::RunOne(const CRhinoMacroToken& token) {
  switch (token.m_kind) {
  case CRhinoMacroToken::cancel:
  case CRhinoMacroToken::enter:
  case CRhinoMacroToken::pause:
    return; // nothing is running: nothing to cancel, answer or wait for
  case CRhinoMacroToken::number:
  case CRhinoMacroToken::point:
  case CRhinoMacroToken::string:
    Error(token.m_raw + L" is not a command.");
    return;
  case CRhinoMacroToken::word:
    break;
  }
  CRhinoCommand* command = CRhinoCommandTable::Find(token.m_text.c_str());
  if (!command) {
    Error(L"Unknown command: " + token.m_text);
    return;
  }
  CRhinoDoc* doc = HostSession::Instance().EnsureDocument();
  CRhinoCommand::result rc = RhinoRunCommand(*command, *doc);
  if (rc == CRhinoCommand::failure) {
    ++failed_;
    Print(std::wstring(command->EnglishCommandName()) + L" failed.");
  }
  // Between commands the UI thread dispatches what workers posted and
  // draws what was asked to be drawn later.
  kyrel::platform::PumpMessages();
  RhinoApp().ProcessDeferredRedraws();
}

bool CommandLine::Run() {
  while (!exit_requested_) {
    bool typed = false;
    if (!Refill(true, L"Command:", &typed)) break;
    CRhinoMacroToken token = queue_.front();
    queue_.pop_front();
    if (!typed && token.m_kind == CRhinoMacroToken::word) Print(L"Command: " + token.m_raw);
    // Escape typed at the prompt has no command to cancel but the work in
    // the background; in macros it only ends commands, as it always did.
    if (typed && token.m_kind == CRhinoMacroToken::cancel) {
      if (!CancelBackgroundWork()) Print(L"Nothing to cancel.");
      continue;
    }
    RunOne(token);
    if (TakeInterrupt() && !CancelBackgroundWork() && !interactive_) {
      Error(L"Interrupted.");
      break;
    }
  }
  return errors_ == 0 && failed_ == 0;
}

} // namespace kyrel::app
