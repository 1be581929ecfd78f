#include "opennurbs_uuid.h"

#include <sys/random.h>

#include <cstdio>
#include <cwctype>
#include <random>
#include <string>

const ON_UUID ON_nil_uuid{};

int ON_UuidCompare(const ON_UUID& a, const ON_UUID& b) {
  if (a.Data1 != b.Data1) return a.Data1 < b.Data1 ? -1 : 1;
  if (a.Data2 != b.Data2) return a.Data2 < b.Data2 ? -1 : 1;
  if (a.Data3 != b.Data3) return a.Data3 < b.Data3 ? -1 : 1;
  const int c = std::memcmp(a.Data4, b.Data4, 8);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

bool FillRandom(unsigned char* bytes, size_t count) {
  size_t got = 0;
  while (got < count) {
    const ssize_t n = getrandom(bytes + got, count - got, 0);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got == count) return true;
  try {
    std::random_device rd;
    for (size_t i = 0; i < count; ++i)
      bytes[i] = static_cast<unsigned char>(rd());
    return true;
  } catch (...) {
    return false;
  }
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

template <class Char> bool Parse(const Char* s, ON_UUID& uuid) {
  uuid = ON_nil_uuid;
  if (s == nullptr) return false;
  std::wstring t;
  for (; *s; ++s)
    t += static_cast<wchar_t>(*s);
  // Trim white space, then optional braces.
  size_t b = 0, e = t.size();
  while (b < e && std::iswspace(static_cast<wint_t>(t[b])))
    ++b;
  while (e > b && std::iswspace(static_cast<wint_t>(t[e - 1])))
    --e;
  if (e - b >= 2 && t[b] == L'{' && t[e - 1] == L'}') {
    ++b;
    --e;
  }
  if (e - b != 36) return false;
  unsigned char bytes[16];
  int nb = 0;
  for (size_t i = b; i < e;) {
    const size_t k = i - b;
    if (k == 8 || k == 13 || k == 18 || k == 23) {
      if (t[i] != L'-') return false;
      ++i;
      continue;
    }
    const int hi = HexValue(t[i]), lo = HexValue(t[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[nb++] = static_cast<unsigned char>(hi * 16 + lo);
    i += 2;
  }
  if (nb != 16) return false;
  ON_UUID u;
  u.Data1 = (ON__UINT32(bytes[0]) << 24) | (ON__UINT32(bytes[1]) << 16) |
            (ON__UINT32(bytes[2]) << 8) | bytes[3];
  u.Data2 = static_cast<unsigned short>((bytes[4] << 8) | bytes[5]);
  u.Data3 = static_cast<unsigned short>((bytes[6] << 8) | bytes[7]);
  std::memcpy(u.Data4, bytes + 8, 8);
  uuid = u;
  return true;
}

} // namespace

bool ON_CreateUuid(ON_UUID& uuid) {
  unsigned char b[16];
  if (!FillRandom(b, sizeof b)) {
    uuid = ON_nil_uuid;
    return false;
  }
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40); // version 4
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
  uuid.Data1 = (ON__UINT32(b[0]) << 24) | (ON__UINT32(b[1]) << 16) | (ON__UINT32(b[2]) << 8) | b[3];
  uuid.Data2 = static_cast<unsigned short>((b[4] << 8) | b[5]);
  uuid.Data3 = static_cast<unsigned short>((b[6] << 8) | b[7]);
  std::memcpy(uuid.Data4, b + 8, 8);
  return true;
}

ON_UUID ON_CreateId() {
  ON_UUID u;
  ON_CreateUuid(u);
  return u;
}

ON_UUID ON_UuidFromString(const char* s) {
  ON_UUID u;
  Parse(s, u);
  return u;
}

ON_UUID ON_UuidFromString(const wchar_t* s) {
  ON_UUID u;
  Parse(s, u);
  return u;
}

bool ON_UuidFromString(const wchar_t* s, ON_UUID& uuid) {
  return Parse(s, uuid);
}

char* ON_UuidToString(const ON_UUID& u, char* s) {
  if (s == nullptr) return nullptr;
  std::snprintf(s, 37, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", u.Data1, u.Data2,
                u.Data3, u.Data4[0], u.Data4[1], u.Data4[2], u.Data4[3], u.Data4[4], u.Data4[5],
                u.Data4[6], u.Data4[7]);
  return s;
}

ON_wString ON_UuidToString(const ON_UUID& uuid) {
  char s[40];
  return ON_wString(ON_UuidToString(uuid, s));
}

int ON_UuidPair::CompareFirstUuid(const ON_UuidPair* a, const ON_UuidPair* b) {
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  return ON_UuidCompare(a->m_uuid[0], b->m_uuid[0]);
}

int ON_UuidPair::CompareFirstAndSecondUuid(const ON_UuidPair* a, const ON_UuidPair* b) {
  const int c = CompareFirstUuid(a, b);
  if (c != 0 || !a || !b) return c;
  return ON_UuidCompare(a->m_uuid[1], b->m_uuid[1]);
}

bool ON_UuidList::AddUuid(const ON_UUID& uuid) {
  if (ON_UuidIsNil(uuid) || FindUuid(uuid)) return false;
  Append(uuid);
  return true;
}

bool ON_UuidList::RemoveUuid(const ON_UUID& uuid) {
  const int i = Search(uuid);
  if (i < 0) return false;
  Remove(i);
  return true;
}
