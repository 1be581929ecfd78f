#pragma once
// JSON helpers shared by the model-file reader and writer (internal).

#include <nlohmann/json.hpp>
#include <string>

#include "opennurbs.h"

namespace kyrel::app::model_json {

using nlohmann::json;

json Point(const ON_3dPoint& p);
json Vector(const ON_3dVector& v);
json Color(ON_Color c);
json Uuid(const ON_UUID& id);
json Xform(const ON_Xform& x);
json Text(const ON_wString& s);
std::string Base64(const std::vector<unsigned char>& bytes);

// Readers throw ModelError with a message naming what was wrong.
struct ModelError {
  std::string message;
};
ON_3dPoint GetPoint(const json& j, const char* what);
ON_3dVector GetVector(const json& j, const char* what);
ON_Color GetColor(const json& j, const char* what);
ON_UUID GetUuid(const json& j, const char* what); // nil for null or absent
ON_Xform GetXform(const json& j, const char* what);
double GetNumber(const json& j, const char* what);
// An integer in [lo, hi]; fractions and numbers out of range are refused
// rather than converted.
int GetInt(const json& j, const char* what, int lo, int hi);
// The list under `key`, or an empty one when the key is absent.
const json& GetList(const json& j, const char* key, const std::string& where);
ON_wString GetText(const json& j, const char* what);
std::vector<unsigned char> FromBase64(const std::string& text, const char* what);

// The deepest nesting of arrays and objects in JSON text, counted without
// parsing it, so that too deep a file is refused before anything walks it
// recursively. Brackets inside strings do not count.
std::size_t NestingDepth(const std::string& text);

} // namespace kyrel::app::model_json
