// Run-time class records and the user-data list of ON_Object.
//
// The registry is a function-local static so that records defined in any
// library's static initialisers can register before or after this file's
// own statics are built; it is guarded by a mutex because libraries may be
// loaded while a worker thread looks classes up.

#include "opennurbs_object.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "opennurbs_archive.h"
#include "opennurbs_userdata.h"
#include "opennurbs_xform.h"

namespace {

struct ClassRegistry {
  std::mutex lock;
  std::vector<const ON_ClassId*> records; // registration order
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

} // namespace

// ---- ON_ClassId ----

ON_ClassId::ON_ClassId(const char* class_name, const char* base_class_name, CreateFunction create,
                       CopyFunction copy, const char* uuid)
    : m_class_name(class_name ? class_name : ""),
      m_base_class_name(base_class_name ? base_class_name : ""), m_create(create), m_copy(copy),
      m_uuid(ON_UuidFromString(uuid)) {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.records.push_back(this);
}

ON_ClassId::~ON_ClassId() {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (auto it = r.records.begin(); it != r.records.end(); ++it)
    if (*it == this) {
      r.records.erase(it);
      break;
    }
}

const ON_ClassId* ON_ClassId::ClassId(const char* class_name) {
  if (class_name == nullptr || *class_name == 0) return nullptr;
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (const ON_ClassId* c : r.records)
    if (std::strcmp(c->m_class_name, class_name) == 0) return c;
  return nullptr;
}

const ON_ClassId* ON_ClassId::ClassId(const ON_UUID& class_uuid) {
  if (ON_UuidIsNil(class_uuid)) return nullptr;
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (const ON_ClassId* c : r.records)
    if (c->m_uuid == class_uuid) return c;
  return nullptr;
}

int ON_ClassId::RegisteredCount() {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return static_cast<int>(r.records.size());
}

const ON_ClassId* ON_ClassId::BaseClass() const {
  if (*m_base_class_name == 0 || std::strcmp(m_base_class_name, m_class_name) == 0) return nullptr;
  return ClassId(m_base_class_name);
}

bool ON_ClassId::IsDerivedFrom(const ON_ClassId* potential_parent) const {
  if (potential_parent == nullptr) return false;
  // Depth bound guards against a cycle of mis-declared base names.
  const ON_ClassId* c = this;
  for (int depth = 0; c != nullptr && depth < 64; ++depth) {
    if (c == potential_parent || c->m_uuid == potential_parent->m_uuid) return true;
    c = c->BaseClass();
  }
  return false;
}

// ---- ON_Object ----

const ON_ClassId ON_Object::m_ON_Object_class_rtti("ON_Object", nullptr, nullptr, nullptr,
                                                   "659EBB7B-A571-440F-B34C-0D77A24E40FA");

ON_Object::ON_Object(const ON_Object& src) {
  CopyUserData(src);
}

ON_Object& ON_Object::operator=(const ON_Object& src) {
  if (this != &src) {
    PurgeUserData();
    CopyUserData(src);
  }
  return *this;
}

ON_Object::~ON_Object() {
  PurgeUserData();
}

const ON_ClassId* ON_Object::ClassId() const {
  return &m_ON_Object_class_rtti;
}

ON_Object* ON_Object::DuplicateObject() const {
  return nullptr;
}

void ON_Object::MemoryRelocate() {
  for (ON_UserData* ud = m_userdata_list; ud; ud = ud->m_userdata_next)
    ud->m_userdata_owner = this;
}

bool ON_Object::IsValid(ON_TextLog*) const {
  return true;
}

void ON_Object::Dump(ON_TextLog& log) const {
  const ON_ClassId* c = ClassId();
  log.Print("class %s\n", c ? c->ClassName() : "?");
}

unsigned int ON_Object::SizeOf() const {
  unsigned int sz = sizeof(ON_Object);
  for (const ON_UserData* ud = m_userdata_list; ud; ud = ud->Next())
    sz += ud->SizeOf();
  return sz;
}

ON__UINT32 ON_Object::DataCRC(ON__UINT32 current_remainder) const {
  return current_remainder;
}

bool ON_Object::Write(ON_BinaryArchive&) const {
  return false;
}

bool ON_Object::Read(ON_BinaryArchive&) {
  return false;
}

ON::object_type ON_Object::ObjectType() const {
  return ON::unknown_object_type;
}

ON_UUID ON_Object::ModelObjectId() const {
  return ON_nil_uuid;
}

void ON_Object::DestroyRuntimeCache(bool) {}

bool ON_Object::IsKindOf(const ON_ClassId* class_id) const {
  const ON_ClassId* c = ClassId();
  return c != nullptr && c->IsDerivedFrom(class_id);
}

bool ON_Object::AttachUserData(ON_UserData* ud) {
  if (ud == nullptr || ud->m_userdata_owner != nullptr || static_cast<ON_Object*>(ud) == this)
    return false;
  if (ON_UuidIsNil(ud->m_userdata_uuid) || GetUserData(ud->m_userdata_uuid) != nullptr)
    return false;
  // Append so the list keeps attachment order.
  ON_UserData** tail = &m_userdata_list;
  while (*tail)
    tail = &(*tail)->m_userdata_next;
  *tail = ud;
  ud->m_userdata_next = nullptr;
  ud->m_userdata_owner = this;
  return true;
}

bool ON_Object::DetachUserData(ON_UserData* ud) {
  if (ud == nullptr || ud->m_userdata_owner != this) return false;
  for (ON_UserData** p = &m_userdata_list; *p; p = &(*p)->m_userdata_next) {
    if (*p == ud) {
      *p = ud->m_userdata_next;
      ud->m_userdata_next = nullptr;
      ud->m_userdata_owner = nullptr;
      return true;
    }
  }
  return false;
}

ON_UserData* ON_Object::GetUserData(const ON_UUID& uuid) const {
  for (ON_UserData* ud = m_userdata_list; ud; ud = ud->m_userdata_next)
    if (ud->m_userdata_uuid == uuid) return ud;
  return nullptr;
}

int ON_Object::UserDataCount() const {
  int n = 0;
  for (const ON_UserData* ud = m_userdata_list; ud; ud = ud->Next())
    ++n;
  return n;
}

void ON_Object::PurgeUserData() {
  while (m_userdata_list) {
    ON_UserData* ud = m_userdata_list;
    m_userdata_list = ud->m_userdata_next;
    ud->m_userdata_next = nullptr;
    ud->m_userdata_owner = nullptr; // so its destructor does not detach again
    delete ud;
  }
}

void ON_Object::CopyUserData(const ON_Object& source) {
  if (&source == this) return;
  for (const ON_UserData* ud = source.m_userdata_list; ud; ud = ud->m_userdata_next) {
    if (ud->m_userdata_copycount <= 0 || GetUserData(ud->m_userdata_uuid) != nullptr) continue;
    ON_Object* dup = ud->DuplicateObject();
    if (dup == nullptr) {
      // Fall back on the class record: a new instance assigned from ud.
      const ON_ClassId* c = ud->ClassId();
      if (c != nullptr && c->Copy_Function() != nullptr) {
        dup = c->Create();
        if (dup != nullptr && !c->Copy_Function()(ud, dup)) {
          delete dup;
          dup = nullptr;
        }
      }
    }
    ON_UserData* copy = ON_UserData::Cast(dup);
    if (copy == nullptr || !AttachUserData(copy)) delete dup;
  }
}

void ON_Object::TransformUserData(const ON_Xform& xform) {
  for (ON_UserData* ud = m_userdata_list; ud; ud = ud->m_userdata_next)
    ud->Transform(xform);
}

void ON_Object::MoveUserData(ON_Object& source) {
  if (&source == this) return;
  while (ON_UserData* ud = source.m_userdata_list) {
    source.DetachUserData(ud);
    if (!AttachUserData(ud)) delete ud; // same uuid already here: ours wins
  }
}

// ---- CRC ----

ON__UINT32 ON_CRC32(ON__UINT32 current_remainder, size_t count, const void* bytes) {
  static const auto table = [] {
    std::vector<ON__UINT32> t(256);
    for (ON__UINT32 i = 0; i < 256; ++i) {
      ON__UINT32 c = i;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  if (bytes == nullptr || count == 0) return current_remainder;
  const auto* b = static_cast<const unsigned char*>(bytes);
  ON__UINT32 c = current_remainder ^ 0xFFFFFFFFu;
  for (size_t i = 0; i < count; ++i)
    c = table[(c ^ b[i]) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}
