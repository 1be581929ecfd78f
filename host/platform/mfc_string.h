#pragma once
// CString: the MFC wide string, with the operations the system uses.

#include <string>

#include "win_types.h"

class CString {
public:
  CString() = default;
  CString(LPCWSTR text) : s_(text ? text : L"") {} // NOLINT: implicit, as in MFC
  CString(const std::wstring& text) : s_(text) {}  // NOLINT
  CString(LPCWSTR text, int length)
      : s_(text ? std::wstring(text, static_cast<std::size_t>(length)) : L"") {}

  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  operator LPCWSTR() const { return s_.c_str(); } // NOLINT
  LPCWSTR GetString() const { return s_.c_str(); }
  const std::wstring& str() const { return s_; }
  wchar_t GetAt(int i) const {
    return (i >= 0 && i < GetLength()) ? s_[static_cast<std::size_t>(i)] : 0;
  }

  // A writable buffer of at least `min_length` characters; ReleaseBuffer
  // sets the length (-1: up to the first NUL).
  LPWSTR GetBuffer(int min_length = 0);
  LPWSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int new_length = -1);

  void Format(LPCWSTR format, ...);
  int Compare(LPCWSTR other) const;
  int CompareNoCase(LPCWSTR other) const;
  int Find(LPCWSTR what, int start = 0) const;
  int Find(wchar_t what, int start = 0) const;
  CString Left(int count) const;
  CString Mid(int first, int count = -1) const;
  CString Right(int count) const;
  CString& MakeUpper();
  CString& MakeLower();
  CString& Trim();
  int Replace(LPCWSTR old_text, LPCWSTR new_text);

  CString& operator=(LPCWSTR text) {
    s_ = text ? text : L"";
    return *this;
  }
  CString& operator+=(LPCWSTR text) {
    if (text) s_ += text;
    return *this;
  }
  CString& operator+=(wchar_t ch) {
    s_ += ch;
    return *this;
  }
  friend CString operator+(const CString& a, LPCWSTR b) { return CString(a.s_ + (b ? b : L"")); }
  friend CString operator+(LPCWSTR a, const CString& b) { return CString((a ? a : L"") + b.s_); }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
  friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
  friend bool operator==(const CString& a, LPCWSTR b) { return a.s_ == (b ? b : L""); }
  friend bool operator!=(const CString& a, const CString& b) { return a.s_ != b.s_; }
  friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.s_ < b.s_; }

private:
  std::wstring s_;
};
