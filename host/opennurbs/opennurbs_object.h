#pragma once
// ON_Object: the root of the library's class hierarchy, with run-time class
// records and user data.
//
// Run-time class records (ON_ClassId) carry a class name, the base class
// name, a class UUID, a create function (a new default instance) and a copy
// function (assignment between two objects of the class). Each class
// defines one static record; records register themselves during static
// initialisation of the shared library that defines them and unregister
// when it unloads, so ON_ClassId::ClassId(uuid) finds classes of every
// loaded library. Registration and look-up are thread-safe.
//
// User data (ON_UserData) hangs off any ON_Object in a list keyed by each
// record's m_userdata_uuid. The object owns attached user data and deletes
// it (with delete) when it is destroyed, so user data must be allocated
// with new. Copying an object copies the user data whose copy count is 1 or
// more through the record's DuplicateObject (or, failing that, its class
// record's create and copy functions); user data with copy count 0 stays
// behind.

#include <cstddef>

#include "opennurbs_defines.h"
#include "opennurbs_uuid.h"

class ON_Object;
class ON_UserData;
class ON_BinaryArchive;
class ON_TextLog;
class ON_Xform;

class ON_CLASS ON_ClassId {
public:
  using CreateFunction = ON_Object* (*)();
  using CopyFunction = bool (*)(const ON_Object* source, ON_Object* destination);

  // Registers the record. class_name and base_class_name must outlive it
  // (string literals); base_class_name may be null for ON_Object. uuid is the
  // text form of the class UUID. create and copy may be null for classes
  // that cannot be instantiated. If another record already has the same
  // UUID, look-ups keep finding the earlier one.
  ON_ClassId(const char* class_name, const char* base_class_name, CreateFunction create,
             CopyFunction copy, const char* uuid);
  ~ON_ClassId(); // unregisters
  ON_ClassId(const ON_ClassId&) = delete;
  ON_ClassId& operator=(const ON_ClassId&) = delete;

  // Registered record with this name or UUID, or null.
  static const ON_ClassId* ClassId(const char* class_name);
  static const ON_ClassId* ClassId(const ON_UUID& class_uuid);
  static int RegisteredCount();

  const char* ClassName() const { return m_class_name; }
  const char* BaseClassName() const { return m_base_class_name; }
  // The base class's record, or null for the root or an unregistered base.
  const ON_ClassId* BaseClass() const;
  ON_UUID Uuid() const { return m_uuid; }
  // New default instance (caller owns it, delete it), or null.
  ON_Object* Create() const { return m_create ? m_create() : nullptr; }
  CreateFunction Create_Function() const { return m_create; }
  CopyFunction Copy_Function() const { return m_copy; }
  // True when this class is potential_parent or derives from it.
  bool IsDerivedFrom(const ON_ClassId* potential_parent) const;

private:
  const char* m_class_name;
  const char* m_base_class_name;
  CreateFunction m_create;
  CopyFunction m_copy;
  ON_UUID m_uuid;
};

// Declares the class record and the run-time helpers inside a class body:
//   static const ON_ClassId m_<cls>_class_rtti;
//   static cls* Cast(ON_Object*);  static const cls* Cast(const ON_Object*);
//     (the object when it is a cls or derived from it, else null; null for null)
//   const ON_ClassId* ClassId() const override;
//   ON_Object* DuplicateObject() const override;
//     (a new default instance, then assigned from *this)
//   cls* Duplicate() const;  (DuplicateObject cast to cls)
// The class must be default-constructible and copy-assignable.
#define ON_OBJECT_DECLARE(cls)                                                                     \
public:                                                                                            \
  static const ON_ClassId m_##cls##_class_rtti;                                                    \
  static cls* Cast(ON_Object* p);                                                                  \
  static const cls* Cast(const ON_Object* p);                                                      \
  const ON_ClassId* ClassId() const override;                                                      \
  ON_Object* DuplicateObject() const override;                                                     \
  cls* Duplicate() const

// Defines what ON_OBJECT_DECLARE declared, in one .cpp of the library that
// owns the class, plus the class's create function New<cls> and copy
// function Copy<cls> (false when either object is not a cls). uuid_string is
// the class UUID, e.g. "F859DF53-7554-400F-B8F5-FED57117FD9C".
#define ON_OBJECT_IMPLEMENT(cls, basecls, uuid_string)                                             \
  static ON_Object* New##cls() {                                                                   \
    return new cls();                                                                              \
  }                                                                                                \
  static bool Copy##cls(const ON_Object* s, ON_Object* d) {                                        \
    const cls* src = cls::Cast(s);                                                                 \
    cls* dst = cls::Cast(d);                                                                       \
    if (src == nullptr || dst == nullptr) return false;                                            \
    if (src != dst) *dst = *src;                                                                   \
    return true;                                                                                   \
  }                                                                                                \
  const ON_ClassId cls::m_##cls##_class_rtti(#cls, #basecls, New##cls, Copy##cls, uuid_string);    \
  cls* cls::Cast(ON_Object* p) {                                                                   \
    return (p && p->IsKindOf(&cls::m_##cls##_class_rtti)) ? static_cast<cls*>(p) : nullptr;        \
  }                                                                                                \
  const cls* cls::Cast(const ON_Object* p) {                                                       \
    return (p && p->IsKindOf(&cls::m_##cls##_class_rtti)) ? static_cast<const cls*>(p) : nullptr;  \
  }                                                                                                \
  const ON_ClassId* cls::ClassId() const {                                                         \
    return &cls::m_##cls##_class_rtti;                                                             \
  }                                                                                                \
  ON_Object* cls::DuplicateObject() const {                                                        \
    cls* p = new cls();                                                                            \
    *p = *this;                                                                                    \
    return p;                                                                                      \
  }                                                                                                \
  cls* cls::Duplicate() const {                                                                    \
    return static_cast<cls*>(DuplicateObject());                                                   \
  }

// For classes that cannot be instantiated (abstract bases): record without
// create or copy function; DuplicateObject returns null.
#define ON_VIRTUAL_OBJECT_DECLARE(cls)                                                             \
public:                                                                                            \
  static const ON_ClassId m_##cls##_class_rtti;                                                    \
  static cls* Cast(ON_Object* p);                                                                  \
  static const cls* Cast(const ON_Object* p);                                                      \
  const ON_ClassId* ClassId() const override

#define ON_VIRTUAL_OBJECT_IMPLEMENT(cls, basecls, uuid_string)                                     \
  const ON_ClassId cls::m_##cls##_class_rtti(#cls, #basecls, nullptr, nullptr, uuid_string);       \
  cls* cls::Cast(ON_Object* p) {                                                                   \
    return (p && p->IsKindOf(&cls::m_##cls##_class_rtti)) ? static_cast<cls*>(p) : nullptr;        \
  }                                                                                                \
  const cls* cls::Cast(const ON_Object* p) {                                                       \
    return (p && p->IsKindOf(&cls::m_##cls##_class_rtti)) ? static_cast<const cls*>(p) : nullptr;  \
  }                                                                                                \
  const ON_ClassId* cls::ClassId() const {                                                         \
    return &cls::m_##cls##_class_rtti;                                                             \
  }

class ON_CLASS ON_Object {
public:
  ON_Object() noexcept = default;
  // Copies the source's user data with copy count >= 1 (see file comment).
  ON_Object(const ON_Object& src);
  // Deletes this object's user data, then copies the source's as above.
  ON_Object& operator=(const ON_Object& src);

  static const ON_ClassId m_ON_Object_class_rtti;
  static ON_Object* Cast(ON_Object* p) { return p; }
  static const ON_Object* Cast(const ON_Object* p) { return p; }

  // ---- virtual operations; this slot order is relied on ----
  virtual const ON_ClassId* ClassId() const;
  // New copy of this object (caller owns it), or null when the class cannot
  // be duplicated.
  virtual ON_Object* DuplicateObject() const;
  // Deletes the attached user data.
  virtual ~ON_Object();
  // Called after the object's bytes were moved; re-points the user data's
  // owner at this object.
  virtual void MemoryRelocate();
  virtual bool IsValid(ON_TextLog* text_log = nullptr) const;
  virtual void Dump(ON_TextLog& text_log) const;
  // Bytes held by this object, including its attached user data.
  virtual unsigned int SizeOf() const;
  virtual ON__UINT32 DataCRC(ON__UINT32 current_remainder) const;
  // Base versions write and read nothing and return false.
  virtual bool Write(ON_BinaryArchive& archive) const;
  virtual bool Read(ON_BinaryArchive& archive);
  virtual ON::object_type ObjectType() const;
  // Id of the model object this is, nil by default.
  virtual ON_UUID ModelObjectId() const;
  // Drops cached data that can be rebuilt (meshes: topology, tree, box).
  virtual void DestroyRuntimeCache(bool bDelete = true);

  // ---- run-time class helpers ----
  bool IsKindOf(const ON_ClassId* class_id) const;

  // ---- user data ----
  // Attaches and takes ownership. Fails (false, caller keeps ownership)
  // for null, for user data already attached somewhere, for a nil
  // m_userdata_uuid, and when user data with the same uuid is attached.
  bool AttachUserData(ON_UserData* user_data);
  // Detaches; the caller owns it afterwards. False when not attached here.
  bool DetachUserData(ON_UserData* user_data);
  // Attached user data with that m_userdata_uuid, or null.
  ON_UserData* GetUserData(const ON_UUID& userdata_uuid) const;
  // First of the attached list (walk with ON_UserData::Next), or null.
  ON_UserData* FirstUserData() const { return m_userdata_list; }
  int UserDataCount() const;
  // Deletes every attached user data.
  void PurgeUserData();
  // Attaches copies of the source's user data with copy count >= 1 whose
  // uuid is not attached here yet.
  void CopyUserData(const ON_Object& source);
  // Calls ON_UserData::Transform on every attached record.
  void TransformUserData(const ON_Xform& xform);
  // Moves all user data of source to this object (source ends with none).
  void MoveUserData(ON_Object& source);

private:
  ON_UserData* m_userdata_list = nullptr;
};

// 32-bit CRC (zlib polynomial) of count bytes, continuing from
// current_remainder (start with 0).
ON_DECL ON__UINT32 ON_CRC32(ON__UINT32 current_remainder, size_t count, const void* bytes);
