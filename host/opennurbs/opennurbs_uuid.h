#pragma once
// ON_UUID (GUID layout), ON_UuidPair and ON_UuidList.

#include <cstddef>
#include <cstring>
#include <functional>

#include "opennurbs_array.h"
#include "opennurbs_defines.h"
#include "opennurbs_string.h"

struct ON_UUID {
  ON__UINT32 Data1 = 0;
  unsigned short Data2 = 0;
  unsigned short Data3 = 0;
  unsigned char Data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

inline bool operator==(const ON_UUID& a, const ON_UUID& b) {
  return std::memcmp(&a, &b, sizeof(ON_UUID)) == 0;
}
inline bool operator!=(const ON_UUID& a, const ON_UUID& b) {
  return !(a == b);
}
// Total order (Data1, Data2, Data3, Data4), so UUIDs can key sorted maps.
ON_DECL int ON_UuidCompare(const ON_UUID& a, const ON_UUID& b);
inline bool operator<(const ON_UUID& a, const ON_UUID& b) {
  return ON_UuidCompare(a, b) < 0;
}

extern ON_DECL const ON_UUID ON_nil_uuid;
inline bool ON_UuidIsNil(const ON_UUID& u) {
  return u == ON_nil_uuid;
}
inline bool ON_UuidIsNotNil(const ON_UUID& u) {
  return u != ON_nil_uuid;
}

// Random (version 4) UUID from the operating system's entropy source.
// Thread-safe. Returns false and sets the nil UUID only if no entropy is
// available.
ON_DECL bool ON_CreateUuid(ON_UUID& uuid);
ON_DECL ON_UUID ON_CreateId();

// Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", with or without braces, any
// case, surrounding white space allowed. Returns ON_nil_uuid when the text
// is not a UUID.
ON_DECL ON_UUID ON_UuidFromString(const char* s);
ON_DECL ON_UUID ON_UuidFromString(const wchar_t* s);
// Parses into uuid; false (uuid set nil) when the text is not a UUID.
ON_DECL bool ON_UuidFromString(const wchar_t* s, ON_UUID& uuid);
// Lower-case "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" without braces.
ON_DECL ON_wString ON_UuidToString(const ON_UUID& uuid);
// Writes the same 36 characters plus a terminating zero into s (at least 37
// chars); returns s.
ON_DECL char* ON_UuidToString(const ON_UUID& uuid, char* s);

template <> struct std::hash<ON_UUID> {
  size_t operator()(const ON_UUID& u) const noexcept {
    ON__UINT64 a = 0, b = 0;
    std::memcpy(&a, &u, 8);
    std::memcpy(&b, reinterpret_cast<const unsigned char*>(&u) + 8, 8);
    return static_cast<size_t>(a ^ (b * 0x9E3779B97F4A7C15ull));
  }
};

class ON_CLASS ON_UuidPair {
public:
  ON_UUID m_uuid[2]; // both nil by default
  ON_UuidPair() = default;
  ON_UuidPair(const ON_UUID& a, const ON_UUID& b) : m_uuid{a, b} {}
  bool operator==(const ON_UuidPair& o) const {
    return m_uuid[0] == o.m_uuid[0] && m_uuid[1] == o.m_uuid[1];
  }
  bool operator!=(const ON_UuidPair& o) const { return !(*this == o); }
  // Orders by first id, then second.
  static int CompareFirstUuid(const ON_UuidPair* a, const ON_UuidPair* b);
  static int CompareFirstAndSecondUuid(const ON_UuidPair* a, const ON_UuidPair* b);
};

// A set of UUIDs kept in insertion order. Search is linear: the list is
// meant for a handful of ids.
class ON_CLASS ON_UuidList : public ON_SimpleArray<ON_UUID> {
public:
  ON_UuidList() = default;
  // Adds uuid unless it is nil or already present; true when added.
  bool AddUuid(const ON_UUID& uuid);
  bool RemoveUuid(const ON_UUID& uuid);
  bool FindUuid(const ON_UUID& uuid) const { return Search(uuid) >= 0; }
};
