#pragma once
// ON_UserData: records that applications attach to objects.
//
// Each record carries the uuid it is found by (m_userdata_uuid, usually its
// class UUID), the id of the application that made it (may stay nil), a
// copy count (0: stays behind when its owner is copied; 1 or more: copied
// with the owner), and an accumulated transform. The owner deletes it; a
// record deleted while attached detaches itself first.

#include "opennurbs_object.h"
#include "opennurbs_string.h"
#include "opennurbs_xform.h"

class ON_CLASS ON_UserData : public ON_Object {
  ON_OBJECT_DECLARE(ON_UserData);

public:
  ON_UserData() = default;
  // Copies the ids, copy count and transform; the copy is unattached.
  ON_UserData(const ON_UserData& src);
  // Same fields as the copy constructor; the owner does not change.
  ON_UserData& operator=(const ON_UserData& src);
  ~ON_UserData() override;

  // Non-nil m_userdata_uuid.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  void Dump(ON_TextLog& text_log) const override;
  unsigned int SizeOf() const override;
  ON::object_type ObjectType() const override;

  // ---- virtual operations after ON_Object's, in this order ----
  // Text describing the record; the base writes the class name and
  // returns true.
  virtual bool GetDescription(ON_wString& description);
  // Whether a writer stores this record in a model file; false here.
  virtual bool Archive() const;
  // Called when the owner is transformed. Only m_userdata_xform
  // accumulates (xform * m_userdata_xform); the record's own data is not
  // moved. Returns true.
  virtual bool Transform(const ON_Xform& xform);

  // The object this is attached to, or null.
  ON_Object* Owner() const { return m_userdata_owner; }
  // Next record attached to the same owner, or null.
  ON_UserData* Next() const { return m_userdata_next; }

  ON_UUID m_userdata_uuid;      // nil until set by the derived class
  ON_UUID m_application_uuid;   // nil unless set
  int m_userdata_copycount = 0; // 0: not copied with the owner
  ON_Xform m_userdata_xform;    // identity until transformed

private:
  friend class ON_Object;
  ON_Object* m_userdata_owner = nullptr;
  ON_UserData* m_userdata_next = nullptr;
};
