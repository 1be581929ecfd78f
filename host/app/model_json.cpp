#include "model_json.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "base64.h"
#include "win_strings.h"

namespace kyrel::app::model_json {

json Point(const ON_3dPoint& p) {
  return json::array({p.x, p.y, p.z});
}
json Vector(const ON_3dVector& v) {
  return json::array({v.x, v.y, v.z});
}
json Color(ON_Color c) {
  return json::array({c.Red(), c.Green(), c.Blue()});
}
json Uuid(const ON_UUID& id) {
  return kyrel::platform::WideToUtf8(ON_UuidToString(id).Array());
}
json Text(const ON_wString& s) {
  return kyrel::platform::WideToUtf8(s.Array());
}

json Xform(const ON_Xform& x) {
  json a = json::array();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      a.push_back(x[r][c]);
  return a;
}

std::string Base64(const std::vector<unsigned char>& bytes) {
  return kyrel::platform::Base64(bytes.data(), bytes.size());
}

std::vector<unsigned char> FromBase64(const std::string& text, const char* what) {
  std::vector<unsigned char> out;
  unsigned v = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    const char* p = std::strchr(kyrel::platform::kBase64Digits, c);
    if (!p || c == 0) throw ModelError{std::string(what) + " is not base64 text"};
    v = (v << 6) | static_cast<unsigned>(p - kyrel::platform::kBase64Digits);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<unsigned char>((v >> bits) & 0xFF));
    }
  }
  return out;
}

static double Finite(const json& j, const char* what) {
  if (!j.is_number()) throw ModelError{std::string(what) + " must be a number"};
  double v = j.get<double>();
  if (!std::isfinite(v)) throw ModelError{std::string(what) + " must be finite"};
  return v;
}

double GetNumber(const json& j, const char* what) {
  return Finite(j, what);
}

int GetInt(const json& j, const char* what, int lo, int hi) {
  if (!j.is_number_integer()) throw ModelError{std::string(what) + " must be a whole number"};
  const bool huge =
      j.is_number_unsigned() && j.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX);
  const std::int64_t v = huge ? INT64_MAX : j.get<std::int64_t>();
  if (v < lo || v > hi) throw ModelError{std::string(what) + " " + j.dump() + " is out of range"};
  return static_cast<int>(v);
}

const json& GetList(const json& j, const char* key, const std::string& where) {
  static const json empty = json::array();
  if (!j.is_object()) throw ModelError{where + " is not a record"};
  auto it = j.find(key);
  if (it == j.end()) return empty;
  if (!it->is_array()) throw ModelError{where + ": \"" + key + "\" must be a list"};
  return *it;
}

std::size_t NestingDepth(const std::string& text) {
  std::size_t depth = 0, deepest = 0;
  bool in_string = false, escaped = false;
  for (char c : text) {
    if (in_string) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

ON_3dPoint GetPoint(const json& j, const char* what) {
  if (!j.is_array() || j.size() != 3) throw ModelError{std::string(what) + " must be [x, y, z]"};
  return ON_3dPoint(Finite(j[0], what), Finite(j[1], what), Finite(j[2], what));
}

ON_3dVector GetVector(const json& j, const char* what) {
  ON_3dPoint p = GetPoint(j, what);
  return ON_3dVector(p.x, p.y, p.z);
}

ON_Color GetColor(const json& j, const char* what) {
  if (!j.is_array() || j.size() != 3)
    throw ModelError{std::string(what) + " must be [red, green, blue]"};
  int c[3];
  for (int i = 0; i < 3; ++i) {
    double v = Finite(j[static_cast<std::size_t>(i)], what);
    if (v < 0 || v > 255) throw ModelError{std::string(what) + " components must lie in 0..255"};
    c[i] = static_cast<int>(v);
  }
  return ON_Color(c[0], c[1], c[2]);
}

ON_UUID GetUuid(const json& j, const char* what) {
  if (j.is_null()) return ON_nil_uuid;
  if (!j.is_string()) throw ModelError{std::string(what) + " must be a UUID string"};
  ON_UUID id = ON_nil_uuid;
  std::wstring text = kyrel::platform::Utf8ToWide(j.get<std::string>());
  if (!text.empty() && !ON_UuidFromString(text.c_str(), id))
    throw ModelError{std::string(what) + " is not a UUID: " + j.get<std::string>()};
  return id;
}

ON_Xform GetXform(const json& j, const char* what) {
  if (!j.is_array() || j.size() != 16)
    throw ModelError{std::string(what) + " must hold 16 numbers"};
  ON_Xform x;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      x[r][c] = Finite(j[static_cast<std::size_t>(r * 4 + c)], what);
  return x;
}

ON_wString GetText(const json& j, const char* what) {
  if (j.is_null()) return ON_wString();
  if (!j.is_string()) throw ModelError{std::string(what) + " must be text"};
  return ON_wString(kyrel::platform::Utf8ToWide(j.get<std::string>()).c_str());
}

} // namespace kyrel::app::model_json
