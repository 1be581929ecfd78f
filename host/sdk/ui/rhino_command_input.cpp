#include "rhino_command_input.h"

#include <cstdio>

#include "win_strings.h"

namespace {

// Answers nothing and writes to the standard streams.
class BatchOutput final : public CRhinoCommandInput {
public:
  bool NextToken(const std::wstring& prompt, CRhinoMacroToken&) override {
    Print(prompt);
    return false;
  }
  bool PeekToken(CRhinoMacroToken&) override { return false; }
  void PushFront(const CRhinoMacroToken&) override {}
  void Print(const std::wstring& line) override {
    std::fputs((kyrel::platform::WideToUtf8(line) + "\n").c_str(), stdout);
  }
  void Error(const std::wstring& line) override {
    std::fputs((kyrel::platform::WideToUtf8(line) + "\n").c_str(), stderr);
  }
  bool IsInteractive() const override { return false; }
};

CRhinoCommandInput* g_input = nullptr;

} // namespace

CRhinoCommandInput& RhinoCommandInput() {
  static BatchOutput fallback;
  return g_input ? *g_input : fallback;
}

CRhinoCommandInput* SetRhinoCommandInput(CRhinoCommandInput* input) {
  CRhinoCommandInput* previous = g_input;
  g_input = input;
  return previous;
}
