#pragma once
// Where getters take their answers from: the host's command line.
//
// A macro is a stream of tokens; the host application tokenizes what the
// user types, scripts and toolbar macros, and installs an input that hands
// the tokens to the getters one by one. When a getter needs an answer and
// no token is left, an interactive input prompts the user; a batch input
// answers false, which the getters take as Escape.
//
// Ownership: the installed input is not owned by the SDK; whoever installs
// it must uninstall it (SetRhinoCommandInput(nullptr)) before destroying it.

#include <string>

#include "opennurbs.h"

struct CRhinoMacroToken {
  enum token_kind : int {
    word = 0,   // a name: command, option or value ("_" removed in m_text)
    enter = 1,  // _Enter
    cancel = 2, // !  (also _Escape)
    pause = 3,  // _Pause
    number = 4, // 3.5
    point = 5,  // x,y,z or x,y
    string = 6, // "quoted text"
  };
  token_kind m_kind = word;
  std::wstring m_text; // the word without its underscore, or the string
  std::wstring m_raw;  // as typed, for messages
  double m_number = 0.0;
  ON_3dPoint m_point = ON_3dPoint(0, 0, 0);
  bool m_bUnderscore = false; // written with "_" (an English name)
};

class CRhinoCommandInput {
public:
  virtual ~CRhinoCommandInput() = default;
  // The next answer for a getter that shows `prompt`. False when there is
  // none (the macro is used up and nobody can be asked).
  virtual bool NextToken(const std::wstring& prompt, CRhinoMacroToken& token) = 0;
  // The next token if one is already waiting, without prompting.
  virtual bool PeekToken(CRhinoMacroToken& token) = 0;
  // Puts a token back in front of the stream.
  virtual void PushFront(const CRhinoMacroToken& token) = 0;
  // A message line for the user (prompts echo, command messages).
  virtual void Print(const std::wstring& line) = 0;
  // A complaint about the input (bad token, unknown option); the host
  // counts these as failures of the run.
  virtual void Error(const std::wstring& line) = 0;
  // Whether a person can be asked when the tokens run out.
  virtual bool IsInteractive() const = 0;
};

// The installed input; never null (a batch input without tokens that
// prints to standard output is used when none is installed).
CRhinoCommandInput& RhinoCommandInput();
// Installs `input` (null: back to the default). Returns the previous one
// (null when it was the default).
CRhinoCommandInput* SetRhinoCommandInput(CRhinoCommandInput* input);
