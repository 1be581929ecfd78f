#pragma once
// One object record of a model file, built off to the side (internal to the
// model-file reader): its attributes, its shape and its user data. Every
// value is checked before it is used; faults throw model_json::ModelError.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model_json.h"
#include "rhinoSdk.h"

namespace kyrel::app::model_shapes {

using model_json::json;

// User data read from a record; owned here until attached to its object,
// so a later fault frees it.
class UserDataRecords {
public:
  UserDataRecords() = default;
  UserDataRecords(const UserDataRecords&) = delete;
  UserDataRecords& operator=(const UserDataRecords&) = delete;
  UserDataRecords(UserDataRecords&& other) noexcept : records_(std::move(other.records_)) {}
  ~UserDataRecords();
  void Add(bool on_attributes, ON_UserData* record) {
    records_.emplace_back(on_attributes, record);
  }
  // Hands every record to `o`; one it refuses is freed.
  void AttachTo(CRhinoObject& o);

private:
  std::vector<std::pair<bool, ON_UserData*>> records_;
};

// The file's table sizes that layer and material indices are checked against.
struct TableSizes {
  int layers = 1;
  int materials = 0;
};

ON_3dmObjectAttributes AttributesFrom(const json& j, const std::string& where,
                                      const TableSizes& tables);
// The record's "type" text, or a fault naming the record.
std::string TypeOf(const json& j, const std::string& where);
// The object of a record of any type but "instance"; mesh files are looked
// up relative to `folder`.
std::unique_ptr<CRhinoObject> ShapeFrom(const std::string& type, const json& j,
                                        const std::string& where, const ON_3dmObjectAttributes& a,
                                        const std::string& folder);
void ReadUserData(const json& j, const std::string& where, UserDataRecords& out);

} // namespace kyrel::app::model_shapes
