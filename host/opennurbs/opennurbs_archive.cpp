#include "opennurbs_archive.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "opennurbs_point.h"
#include "opennurbs_uuid.h"
#include "opennurbs_xform.h"

ON_BinaryArchive::ON_BinaryArchive() : m_mode(Mode::write) {}

ON_BinaryArchive::ON_BinaryArchive(const unsigned char* bytes, size_t count) : m_mode(Mode::read) {
  if (bytes && count) m_buffer.assign(bytes, bytes + count);
}

ON_BinaryArchive::~ON_BinaryArchive() = default;

bool ON_BinaryArchive::WriteBytes(size_t count, const void* bytes) {
  if (m_mode != Mode::write) return false;
  if (count == 0) return true;
  if (bytes == nullptr) return false;
  const auto* b = static_cast<const unsigned char*>(bytes);
  m_buffer.insert(m_buffer.end(), b, b + count);
  return true;
}

bool ON_BinaryArchive::ReadBytes(size_t count, void* bytes) {
  if (m_mode != Mode::read || m_failed) return false;
  if (count == 0) return true;
  if (bytes == nullptr || count > m_buffer.size() - m_pos) {
    m_failed = true;
    return false;
  }
  std::memcpy(bytes, m_buffer.data() + m_pos, count);
  m_pos += count;
  return true;
}

// The platforms we build for are little-endian, which is the file order.
bool ON_BinaryArchive::WriteBool(bool b) {
  return WriteChar(b ? 1 : 0);
}
bool ON_BinaryArchive::WriteChar(unsigned char c) {
  return WriteBytes(1, &c);
}
bool ON_BinaryArchive::WriteInt(int i) {
  return WriteBytes(4, &i);
}
bool ON_BinaryArchive::WriteInt(unsigned int i) {
  return WriteBytes(4, &i);
}
bool ON_BinaryArchive::WriteInt64(ON__INT64 i) {
  return WriteBytes(8, &i);
}
bool ON_BinaryArchive::WriteDouble(double d) {
  return WriteBytes(8, &d);
}
bool ON_BinaryArchive::WriteDouble(size_t count, const double* d) {
  return WriteBytes(count * 8, d);
}
bool ON_BinaryArchive::WriteFloat(size_t count, const float* f) {
  return WriteBytes(count * 4, f);
}
bool ON_BinaryArchive::WriteUuid(const ON_UUID& u) {
  return WriteBytes(sizeof(ON_UUID), &u);
}
bool ON_BinaryArchive::WritePoint(const ON_3dPoint& p) {
  return WriteBytes(24, &p);
}
bool ON_BinaryArchive::WriteVector(const ON_3dVector& v) {
  return WriteBytes(24, &v);
}
bool ON_BinaryArchive::WriteXform(const ON_Xform& x) {
  return WriteBytes(sizeof(x.m_xform), x.m_xform);
}

bool ON_BinaryArchive::WriteString(const ON_wString& s) {
  const std::string u = s.ToUtf8();
  return WriteInt(static_cast<unsigned int>(u.size())) && WriteBytes(u.size(), u.data());
}

bool ON_BinaryArchive::ReadBool(bool* b) {
  unsigned char c = 0;
  if (!ReadChar(&c) || c > 1) return false;
  if (b) *b = (c != 0);
  return true;
}
bool ON_BinaryArchive::ReadChar(unsigned char* c) {
  unsigned char t;
  if (!ReadBytes(1, &t)) return false;
  if (c) *c = t;
  return true;
}
bool ON_BinaryArchive::ReadInt(int* i) {
  int t;
  if (!ReadBytes(4, &t)) return false;
  if (i) *i = t;
  return true;
}
bool ON_BinaryArchive::ReadInt(unsigned int* i) {
  unsigned int t;
  if (!ReadBytes(4, &t)) return false;
  if (i) *i = t;
  return true;
}
bool ON_BinaryArchive::ReadInt64(ON__INT64* i) {
  ON__INT64 t;
  if (!ReadBytes(8, &t)) return false;
  if (i) *i = t;
  return true;
}
bool ON_BinaryArchive::ReadDouble(double* d) {
  double t;
  if (!ReadBytes(8, &t)) return false;
  if (d) *d = t;
  return true;
}
bool ON_BinaryArchive::ReadDouble(size_t count, double* d) {
  return ReadBytes(count * 8, d);
}
bool ON_BinaryArchive::ReadFloat(size_t count, float* f) {
  return ReadBytes(count * 4, f);
}
bool ON_BinaryArchive::ReadUuid(ON_UUID& u) {
  return ReadBytes(sizeof(ON_UUID), &u);
}
bool ON_BinaryArchive::ReadPoint(ON_3dPoint& p) {
  return ReadBytes(24, &p);
}
bool ON_BinaryArchive::ReadVector(ON_3dVector& v) {
  return ReadBytes(24, &v);
}
bool ON_BinaryArchive::ReadXform(ON_Xform& x) {
  return ReadBytes(sizeof(x.m_xform), x.m_xform);
}

bool ON_BinaryArchive::ReadString(ON_wString& s) {
  unsigned int n = 0;
  if (!ReadInt(&n)) return false;
  if (n > m_buffer.size() - m_pos) {
    m_failed = true;
    return false;
  }
  s = ON_wString::FromUtf8(reinterpret_cast<const char*>(m_buffer.data() + m_pos),
                           static_cast<int>(n));
  m_pos += n;
  return true;
}

// ---- ON_TextLog ----

void ON_TextLog::Append(const std::string& s) {
  for (char c : s) {
    if (m_at_line_start && c != '\n') {
      m_text.append(static_cast<size_t>(m_indent) * 2, ' ');
      m_at_line_start = false;
    }
    m_text += c;
    if (c == '\n') m_at_line_start = true;
  }
}

void ON_TextLog::Print(const char* format, ...) {
  if (format == nullptr) return;
  char small[512];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    va_end(copy);
    Append(std::string(small, static_cast<size_t>(n)));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), format, copy);
  va_end(copy);
  big.resize(static_cast<size_t>(n));
  Append(big);
}

void ON_TextLog::Print(const ON_wString& s) {
  Append(s.ToUtf8());
}
