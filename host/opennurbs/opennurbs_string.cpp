#include "opennurbs_string.h"

#include <cstdarg>
#include <cstring>
#include <cwctype>
#include <vector>

const ON_wString ON_wString::EmptyString;

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Malformed, overlong and
// truncated sequences give U+FFFD and consume one byte.
char32_t DecodeUtf8(const unsigned char* s, size_t n, size_t& i) {
  const unsigned char c = s[i];
  if (c < 0x80) {
    ++i;
    return c;
  }
  int len = 0;
  char32_t cp = 0, min = 0;
  if ((c & 0xE0) == 0xC0) {
    len = 2;
    cp = c & 0x1F;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3;
    cp = c & 0x0F;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4;
    cp = c & 0x07;
    min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + static_cast<size_t>(len) > n) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < len; ++k) {
    const unsigned char cc = s[i + static_cast<size_t>(k)];
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += static_cast<size_t>(len);
  return cp;
}

// The library's format strings follow the wide convention where %s and %c
// take wide arguments (%hs and %hc narrow ones); the C library reads %s in
// a wide format as narrow. Rewrite the conversions so a wide argument is
// never read as a narrow string.
std::wstring WideConventions(const wchar_t* f) {
  std::wstring r;
  while (*f) {
    if (*f != L'%') {
      r += *f++;
      continue;
    }
    r += *f++;
    if (*f == L'%') {
      r += *f++;
      continue;
    }
    // flags, width, precision
    while (*f && std::wcschr(L"-+ #0123456789.*", *f))
      r += *f++;
    std::wstring length;
    while (*f && std::wcschr(L"hlLqjzt", *f))
      length += *f++;
    const wchar_t conv = *f;
    if (conv == L's' || conv == L'c' || conv == L'S' || conv == L'C') {
      if (length == L"h") {
        r += static_cast<wchar_t>(conv == L'S' ? L's' : (conv == L'C' ? L'c' : conv));
      } else {
        r += L'l';
        r += static_cast<wchar_t>(conv == L'S' ? L's' : (conv == L'C' ? L'c' : conv));
      }
      ++f;
      continue;
    }
    r += length;
    if (conv) r += *f++;
  }
  return r;
}

bool FormatV(std::wstring& out, const wchar_t* format_in, va_list args) {
  out.clear();
  if (format_in == nullptr) return false;
  const std::wstring converted = WideConventions(format_in);
  const wchar_t* format = converted.c_str();
  // vswprintf reports -1 both for a short buffer and for a bad format, so
  // grow until it fits or the buffer is absurdly large.
  std::vector<wchar_t> buf(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vswprintf(buf.data(), buf.size(), format, copy);
    va_end(copy);
    if (n >= 0 && static_cast<size_t>(n) < buf.size()) {
      out.assign(buf.data(), static_cast<size_t>(n));
      return true;
    }
    if (buf.size() >= (1u << 24)) return false;
    buf.resize(buf.size() * 4);
  }
}

} // namespace

ON_wString::ON_wString(const wchar_t* s, int length) {
  if (s && length > 0) m_s.assign(s, static_cast<size_t>(length));
}

ON_wString::ON_wString(wchar_t c, int repeat_count) {
  if (repeat_count > 0) m_s.assign(static_cast<size_t>(repeat_count), c);
}

ON_wString::ON_wString(const char* utf8) {
  *this = utf8;
}

ON_wString& ON_wString::operator=(const wchar_t* s) {
  m_s = s ? s : L"";
  return *this;
}

ON_wString& ON_wString::operator=(const char* utf8) {
  *this = FromUtf8(utf8);
  return *this;
}

wchar_t ON_wString::GetAt(int i) const {
  return (i >= 0 && i < Length()) ? m_s[static_cast<size_t>(i)] : 0;
}

void ON_wString::SetAt(int i, wchar_t c) {
  if (i >= 0 && i < Length()) m_s[static_cast<size_t>(i)] = c;
}

bool ON_wString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const bool ok = FormatV(m_s, format, args);
  va_end(args);
  return ok;
}

ON_wString ON_wString::FormatToString(const wchar_t* format, ...) {
  ON_wString s;
  va_list args;
  va_start(args, format);
  FormatV(s.m_s, format, args);
  va_end(args);
  return s;
}

int ON_wString::Compare(const wchar_t* s) const {
  const int c = m_s.compare(s ? s : L"");
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int ON_wString::CompareNoCase(const wchar_t* s) const {
  if (s == nullptr) s = L"";
  const wchar_t* a = m_s.c_str();
  for (;; ++a, ++s) {
    const wint_t ca = std::towlower(static_cast<wint_t>(*a));
    const wint_t cb = std::towlower(static_cast<wint_t>(*s));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

void ON_wString::MakeUpperOrdinal() {
  for (auto& c : m_s)
    c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

void ON_wString::MakeLowerOrdinal() {
  for (auto& c : m_s)
    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

ON_wString ON_wString::Upper() const {
  ON_wString s(*this);
  s.MakeUpperOrdinal();
  return s;
}

ON_wString ON_wString::Lower() const {
  ON_wString s(*this);
  s.MakeLowerOrdinal();
  return s;
}

void ON_wString::TrimLeft(const wchar_t* chars) {
  size_t i = 0;
  while (i < m_s.size() && (chars ? std::wcschr(chars, m_s[i]) != nullptr
                                  : std::iswspace(static_cast<wint_t>(m_s[i])) != 0))
    ++i;
  m_s.erase(0, i);
}

void ON_wString::TrimRight(const wchar_t* chars) {
  size_t n = m_s.size();
  while (n > 0 && (chars ? std::wcschr(chars, m_s[n - 1]) != nullptr
                         : std::iswspace(static_cast<wint_t>(m_s[n - 1])) != 0))
    --n;
  m_s.resize(n);
}

void ON_wString::TrimLeftAndRight(const wchar_t* chars) {
  TrimRight(chars);
  TrimLeft(chars);
}

int ON_wString::Find(wchar_t c) const {
  const size_t p = m_s.find(c);
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int ON_wString::Find(const wchar_t* s) const {
  if (s == nullptr || *s == 0) return -1;
  const size_t p = m_s.find(s);
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int ON_wString::ReverseFind(wchar_t c) const {
  const size_t p = m_s.rfind(c);
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

ON_wString ON_wString::Left(int count) const {
  if (count <= 0) return {};
  return ON_wString(m_s.substr(0, static_cast<size_t>(count)));
}

ON_wString ON_wString::Right(int count) const {
  if (count <= 0) return {};
  if (count >= Length()) return *this;
  return ON_wString(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

ON_wString ON_wString::Mid(int start, int count) const {
  if (start < 0) start = 0;
  if (count <= 0 || start >= Length()) return {};
  return ON_wString(m_s.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

ON_wString ON_wString::Mid(int start) const {
  return Mid(start, Length());
}

int ON_wString::Replace(const wchar_t* token, const wchar_t* replacement) {
  if (token == nullptr || *token == 0) return 0;
  const std::wstring tok(token), rep(replacement ? replacement : L"");
  int n = 0;
  size_t pos = 0;
  while ((pos = m_s.find(tok, pos)) != std::wstring::npos) {
    m_s.replace(pos, tok.size(), rep);
    pos += rep.size();
    ++n;
  }
  return n;
}

std::string ON_wString::ToUtf8() const {
  std::string out;
  out.reserve(m_s.size());
  for (wchar_t c : m_s)
    AppendUtf8(out, static_cast<char32_t>(c));
  return out;
}

ON_wString ON_wString::FromUtf8(const char* utf8, int length) {
  ON_wString r;
  if (utf8 == nullptr) return r;
  const size_t n = length < 0 ? std::strlen(utf8) : static_cast<size_t>(length);
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  r.m_s.reserve(n);
  for (size_t i = 0; i < n;)
    r.m_s += static_cast<wchar_t>(DecodeUtf8(s, n, i));
  return r;
}
