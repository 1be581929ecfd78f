#include "macro_tokenizer.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

namespace kyrel::app {
namespace {

bool ParseNumber(const std::wstring& text, double& value) {
  if (text.empty()) return false;
  wchar_t first = text[0];
  if (!(std::iswdigit(static_cast<wint_t>(first)) || first == L'-' || first == L'+' ||
        first == L'.'))
    return false;
  wchar_t* end = nullptr;
  value = std::wcstod(text.c_str(), &end);
  return end && *end == 0 && std::isfinite(value);
}

bool SameNoCase(const std::wstring& a, const wchar_t* b) {
  std::size_t n = std::wcslen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
      return false;
  return true;
}

// "x,y,z" or "x,y"; anything else with a comma is an error, not a word.
void ClassifyPoint(const std::wstring& raw, CRhinoMacroToken& t, TokenizeResult& out) {
  double xyz[3] = {0, 0, 0};
  std::size_t start = 0;
  int count = 0;
  bool ok = true;
  while (ok) {
    std::size_t comma = raw.find(L',', start);
    std::wstring part =
        raw.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    if (count >= 3 || !ParseNumber(part, xyz[count])) ok = false;
    ++count;
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  if (!ok || count < 2) {
    out.errors.push_back(L"Bad point \"" + raw + L"\": write x,y,z or x,y with numbers.");
    return;
  }
  t.m_kind = CRhinoMacroToken::point;
  t.m_point = ON_3dPoint(xyz[0], xyz[1], xyz[2]);
  out.tokens.push_back(t);
}

void Classify(const std::wstring& raw, TokenizeResult& out) {
  CRhinoMacroToken t;
  t.m_raw = raw;
  if (raw == L"!") {
    t.m_kind = CRhinoMacroToken::cancel;
    out.tokens.push_back(t);
    return;
  }
  double number = 0;
  if (ParseNumber(raw, number)) {
    t.m_kind = CRhinoMacroToken::number;
    t.m_number = number;
    out.tokens.push_back(t);
    return;
  }
  if (raw.find(L',') != std::wstring::npos) {
    ClassifyPoint(raw, t, out);
    return;
  }
  std::wstring word = raw;
  // "-_Name" is the scripted form of a command: the same command here.
  if (word.size() > 1 && word[0] == L'-' &&
      (word[1] == L'_' || std::iswalpha(static_cast<wint_t>(word[1]))))
    word.erase(0, 1);
  if (!word.empty() && word[0] == L'_') {
    t.m_bUnderscore = true;
    word.erase(0, 1);
  }
  if (word.empty()) {
    out.errors.push_back(L"Bad token \"" + raw + L"\": a name is missing after the underscore.");
    return;
  }
  t.m_text = word;
  if (SameNoCase(word, L"Enter")) {
    t.m_kind = CRhinoMacroToken::enter;
  } else if (SameNoCase(word, L"Pause")) {
    t.m_kind = CRhinoMacroToken::pause;
  } else if (SameNoCase(word, L"Escape") || SameNoCase(word, L"Cancel")) {
    t.m_kind = CRhinoMacroToken::cancel;
  } else {
    t.m_kind = CRhinoMacroToken::word;
  }
  out.tokens.push_back(t);
}

} // namespace

TokenizeResult TokenizeMacro(const std::wstring& text) {
  TokenizeResult out;
  std::size_t i = 0, n = text.size();
  while (i < n) {
    wchar_t c = text[i];
    if (std::iswspace(static_cast<wint_t>(c))) {
      ++i;
      continue;
    }
    if (c == L'"') {
      std::wstring value;
      std::size_t j = i + 1;
      bool closed = false;
      while (j < n) {
        if (text[j] == L'"') {
          if (j + 1 < n && text[j + 1] == L'"') {
            value += L'"';
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        value += text[j++];
      }
      if (!closed) {
        out.errors.push_back(L"Bad token " + text.substr(i) +
                             L": the quoted string has no closing quote.");
        break;
      }
      CRhinoMacroToken t;
      t.m_kind = CRhinoMacroToken::string;
      t.m_text = value;
      t.m_raw = text.substr(i, j - i);
      out.tokens.push_back(t);
      i = j;
      continue;
    }
    if (c == L'!') { // "!" stands alone even when written against the next token
      CRhinoMacroToken t;
      t.m_kind = CRhinoMacroToken::cancel;
      t.m_raw = L"!";
      out.tokens.push_back(t);
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < n && !std::iswspace(static_cast<wint_t>(text[j])) && text[j] != L'"')
      ++j;
    Classify(text.substr(i, j - i), out);
    i = j;
  }
  return out;
}

} // namespace kyrel::app
