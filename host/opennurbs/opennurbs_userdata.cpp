#include "opennurbs_userdata.h"

#include "opennurbs_archive.h"

ON_OBJECT_IMPLEMENT(ON_UserData, ON_Object, "1921DB02-98B2-4B8E-8739-F75C854B32B6")

ON_UserData::ON_UserData(const ON_UserData& src)
    : ON_Object(src), m_userdata_uuid(src.m_userdata_uuid),
      m_application_uuid(src.m_application_uuid), m_userdata_copycount(src.m_userdata_copycount),
      m_userdata_xform(src.m_userdata_xform) {}

ON_UserData& ON_UserData::operator=(const ON_UserData& src) {
  if (this != &src) {
    ON_Object::operator=(src);
    // Changing the uuid of an attached record could make two records of
    // one owner share a uuid; an attached record keeps its uuid.
    if (m_userdata_owner == nullptr) m_userdata_uuid = src.m_userdata_uuid;
    m_application_uuid = src.m_application_uuid;
    m_userdata_copycount = src.m_userdata_copycount;
    m_userdata_xform = src.m_userdata_xform;
  }
  return *this;
}

ON_UserData::~ON_UserData() {
  // Deleting an attached record must not leave its owner pointing at freed
  // memory.
  if (m_userdata_owner) m_userdata_owner->DetachUserData(this);
}

bool ON_UserData::IsValid(ON_TextLog*) const {
  return ON_UuidIsNotNil(m_userdata_uuid);
}

void ON_UserData::Dump(ON_TextLog& log) const {
  ON_Object::Dump(log);
  log.Print("user data uuid %ls\n", ON_UuidToString(m_userdata_uuid).Array());
  log.Print("copy count %d\n", m_userdata_copycount);
}

unsigned int ON_UserData::SizeOf() const {
  return ON_Object::SizeOf() + static_cast<unsigned int>(sizeof(ON_UserData) - sizeof(ON_Object));
}

ON::object_type ON_UserData::ObjectType() const {
  return ON::userdata_object;
}

bool ON_UserData::GetDescription(ON_wString& description) {
  const ON_ClassId* c = ClassId();
  description = ON_wString(c ? c->ClassName() : "ON_UserData");
  return true;
}

bool ON_UserData::Archive() const {
  return false;
}

bool ON_UserData::Transform(const ON_Xform& xform) {
  m_userdata_xform = xform * m_userdata_xform;
  return true;
}
