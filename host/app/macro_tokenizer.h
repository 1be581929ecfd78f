#pragma once
// The host's macro syntax, one line at a time:
//   !            cancels the running command (Escape)
//   _Name Name   a command, option or value name (the underscore marks an
//                English name; names match without regard to case)
//   _Enter       Enter;  _Pause  waits for the user (batch: the selection)
//   3.5  -2      numbers;  1,2,3  or  1,2  points (z = 0)
//   "a b.kyd"    quoted strings (file names); "" inside gives one quote
// Tokens are separated by spaces, tabs and line breaks.

#include <string>
#include <vector>

#include "ui/rhino_command_input.h"

namespace kyrel::app {

struct TokenizeResult {
  std::vector<CRhinoMacroToken> tokens;
  std::vector<std::wstring> errors; // one message per bad token, which is left out
};

TokenizeResult TokenizeMacro(const std::wstring& text);

} // namespace kyrel::app
