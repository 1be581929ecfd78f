#pragma once
// ON_wString: a wide-character string with value semantics.
//
// Characters are wchar_t (UTF-32 on this platform). Text from and to the
// outside world is UTF-8 (ToUtf8 / FromUtf8); invalid UTF-8 sequences become
// U+FFFD rather than being dropped or crashing.

#include <cwchar>
#include <string>

#include "opennurbs_defines.h"

class ON_CLASS ON_wString {
public:
  ON_wString() = default;
  ON_wString(const wchar_t* s) : m_s(s ? s : L"") {} // null gives ""
  ON_wString(const wchar_t* s, int length);
  ON_wString(wchar_t c, int repeat_count);
  // Narrow text is taken as UTF-8.
  ON_wString(const char* utf8);
  ON_wString(const std::wstring& s) : m_s(s) {}
  ON_wString(const ON_wString&) = default;
  ON_wString(ON_wString&&) noexcept = default;
  ON_wString& operator=(const ON_wString&) = default;
  ON_wString& operator=(ON_wString&&) noexcept = default;
  ON_wString& operator=(const wchar_t* s);
  ON_wString& operator=(const char* utf8);

  static const ON_wString EmptyString;

  int Length() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  bool IsNotEmpty() const { return !m_s.empty(); }
  void Empty() { m_s.clear(); }
  void Destroy() {
    m_s.clear();
    m_s.shrink_to_fit();
  }

  // Never null; valid until the string is changed.
  const wchar_t* Array() const { return m_s.c_str(); }
  operator const wchar_t*() const { return m_s.c_str(); }
  const std::wstring& StdString() const { return m_s; }

  // Character i, or 0 when i is out of range.
  wchar_t GetAt(int i) const;
  void SetAt(int i, wchar_t c);
  wchar_t operator[](int i) const { return GetAt(i); }

  ON_wString& operator+=(const ON_wString& s) {
    m_s += s.m_s;
    return *this;
  }
  ON_wString& operator+=(const wchar_t* s) {
    if (s) m_s += s;
    return *this;
  }
  ON_wString& operator+=(wchar_t c) {
    m_s += c;
    return *this;
  }
  friend ON_wString operator+(const ON_wString& a, const ON_wString& b) {
    ON_wString r(a);
    r += b;
    return r;
  }

  // printf-style formatting into this string: %d, %u, %x, %04x, %g, %f
  // as usual; %s, %ls and %c take wide arguments, %hs and %hc narrow ones.
  // Output of any length is supported. Returns false and leaves the string
  // empty when the format is invalid.
  bool Format(const wchar_t* format, ...);
  static ON_wString FormatToString(const wchar_t* format, ...);

  // Ordinal comparison (<0, 0, >0).
  int Compare(const wchar_t* s) const;
  // Case-insensitive comparison of the simple case mapping.
  int CompareNoCase(const wchar_t* s) const;
  bool EqualNoCase(const wchar_t* s) const { return CompareNoCase(s) == 0; }

  bool operator==(const ON_wString& s) const { return m_s == s.m_s; }
  bool operator!=(const ON_wString& s) const { return m_s != s.m_s; }
  bool operator<(const ON_wString& s) const { return m_s < s.m_s; }
  bool operator==(const wchar_t* s) const { return Compare(s) == 0; }
  bool operator!=(const wchar_t* s) const { return Compare(s) != 0; }

  void MakeUpperOrdinal();
  void MakeLowerOrdinal();
  void MakeUpper() { MakeUpperOrdinal(); }
  void MakeLower() { MakeLowerOrdinal(); }
  ON_wString Upper() const;
  ON_wString Lower() const;
  void TrimLeft(const wchar_t* chars = nullptr);
  void TrimRight(const wchar_t* chars = nullptr);
  void TrimLeftAndRight(const wchar_t* chars = nullptr);

  // Index of the first occurrence, or -1.
  int Find(wchar_t c) const;
  int Find(const wchar_t* s) const;
  int ReverseFind(wchar_t c) const;
  ON_wString Left(int count) const;
  ON_wString Right(int count) const;
  ON_wString Mid(int start, int count) const;
  ON_wString Mid(int start) const;
  // Replaces every occurrence; returns the number replaced.
  int Replace(const wchar_t* token, const wchar_t* replacement);

  std::string ToUtf8() const;
  static ON_wString FromUtf8(const char* utf8, int length = -1);
  static ON_wString FromUtf8(const std::string& utf8) {
    return FromUtf8(utf8.data(), static_cast<int>(utf8.size()));
  }

private:
  std::wstring m_s;
};
