#pragma once
// ON_BinaryArchive: a little-endian byte buffer that objects write
// themselves into and read themselves back from; the host stores the
// bytes inside its model files. ON_TextLog: text output for Dump().
//
// Reads never run past the end: a short or corrupt buffer makes the read
// return false, and the archive stays failed (ReadFailed()).

#include <cstddef>
#include <string>
#include <vector>

#include "opennurbs_defines.h"
#include "opennurbs_string.h"

struct ON_UUID;
class ON_3dPoint;
class ON_3dVector;
class ON_Xform;

class ON_CLASS ON_BinaryArchive {
public:
  enum class Mode { write, read };
  // A write archive starts empty.
  ON_BinaryArchive();
  // A read archive over a copy of the bytes.
  ON_BinaryArchive(const unsigned char* bytes, size_t count);
  virtual ~ON_BinaryArchive();
  ON_BinaryArchive(const ON_BinaryArchive&) = delete;
  ON_BinaryArchive& operator=(const ON_BinaryArchive&) = delete;

  Mode ArchiveMode() const { return m_mode; }
  const std::vector<unsigned char>& Buffer() const { return m_buffer; }
  size_t Position() const { return m_pos; }
  bool AtEnd() const { return m_pos >= m_buffer.size(); }
  bool ReadFailed() const { return m_failed; }

  bool WriteBool(bool b);
  bool WriteChar(unsigned char c);
  bool WriteInt(int i);
  bool WriteInt(unsigned int i);
  bool WriteInt64(ON__INT64 i);
  bool WriteDouble(double d);
  bool WriteDouble(size_t count, const double* d);
  bool WriteFloat(size_t count, const float* f);
  bool WriteString(const ON_wString& s); // UTF-8 with a byte count
  bool WriteUuid(const ON_UUID& u);
  bool WritePoint(const ON_3dPoint& p);
  bool WriteVector(const ON_3dVector& v);
  bool WriteXform(const ON_Xform& x);
  bool WriteBytes(size_t count, const void* bytes);

  bool ReadBool(bool* b);
  bool ReadChar(unsigned char* c);
  bool ReadInt(int* i);
  bool ReadInt(unsigned int* i);
  bool ReadInt64(ON__INT64* i);
  bool ReadDouble(double* d);
  bool ReadDouble(size_t count, double* d);
  bool ReadFloat(size_t count, float* f);
  bool ReadString(ON_wString& s);
  bool ReadUuid(ON_UUID& u);
  bool ReadPoint(ON_3dPoint& p);
  bool ReadVector(ON_3dVector& v);
  bool ReadXform(ON_Xform& x);
  bool ReadBytes(size_t count, void* bytes);

private:
  Mode m_mode;
  std::vector<unsigned char> m_buffer;
  size_t m_pos = 0;
  bool m_failed = false;
};

class ON_CLASS ON_TextLog {
public:
  ON_TextLog() = default;
  virtual ~ON_TextLog() = default;
  // printf-style, narrow; indentation is applied at line starts.
  void Print(const char* format, ...);
  void Print(const ON_wString& s);
  void PushIndent() { ++m_indent; }
  void PopIndent() {
    if (m_indent > 0) --m_indent;
  }
  const std::string& Text() const { return m_text; }
  void Clear() { m_text.clear(); }

private:
  void Append(const std::string& s);
  std::string m_text;
  int m_indent = 0;
  bool m_at_line_start = true;
};
