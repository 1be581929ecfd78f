#include "mfc_string.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

LPWSTR CString::GetBuffer(int min_length) {
  if (min_length > GetLength()) s_.resize(static_cast<std::size_t>(min_length), L'\0');
  return s_.data();
}

LPWSTR CString::GetBufferSetLength(int length) {
  s_.resize(static_cast<std::size_t>(std::max(0, length)), L'\0');
  return s_.data();
}

void CString::ReleaseBuffer(int new_length) {
  if (new_length < 0)
    s_.resize(std::wcslen(s_.c_str()));
  else
    s_.resize(std::min<std::size_t>(static_cast<std::size_t>(new_length), s_.size()));
}

void CString::Format(LPCWSTR format, ...) {
  if (!format) {
    s_.clear();
    return;
  }
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    int n = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) {
      s_.assign(buffer.data(), static_cast<std::size_t>(n));
      return;
    }
    if (buffer.size() > (1u << 20)) { // a format that never fits: keep what we have
      s_.assign(buffer.data());
      return;
    }
    buffer.resize(buffer.size() * 4);
  }
}

int CString::Compare(LPCWSTR other) const {
  return s_.compare(other ? other : L"");
}

int CString::CompareNoCase(LPCWSTR other) const {
  std::wstring a = s_, b = other ? other : L"";
  for (auto& c : a)
    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  for (auto& c : b)
    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return a.compare(b);
}

int CString::Find(LPCWSTR what, int start) const {
  if (!what || start < 0) return -1;
  auto pos = s_.find(what, static_cast<std::size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(wchar_t what, int start) const {
  if (start < 0) return -1;
  auto pos = s_.find(what, static_cast<std::size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
  return CString(s_.substr(0, static_cast<std::size_t>(std::clamp(count, 0, GetLength()))));
}

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  int left = GetLength() - first;
  if (count < 0 || count > left) count = left;
  return CString(s_.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(s_.substr(static_cast<std::size_t>(GetLength() - count)));
}

CString& CString::MakeUpper() {
  for (auto& c : s_)
    c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeLower() {
  for (auto& c : s_)
    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::Trim() {
  auto space = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
  while (!s_.empty() && space(s_.back()))
    s_.pop_back();
  std::size_t i = 0;
  while (i < s_.size() && space(s_[i]))
    ++i;
  s_.erase(0, i);
  return *this;
}

int CString::Replace(LPCWSTR old_text, LPCWSTR new_text) {
  if (!old_text || !*old_text) return 0;
  std::wstring from(old_text), to(new_text ? new_text : L"");
  int count = 0;
  for (std::size_t pos = s_.find(from); pos != std::wstring::npos;
       pos = s_.find(from, pos + to.size())) {
    s_.replace(pos, from.size(), to);
    ++count;
  }
  return count;
}
