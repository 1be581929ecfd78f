#include "section_geometry.h"

ON_OBJECT_IMPLEMENT(TV_SectionGeometry, ON_UserData, "F859DF53-7554-400F-B8F5-FED57117FD9C");

ON_UUID TV_SectionGeometry::UUID() {
  return m_TV_SectionGeometry_class_rtti.Uuid();
}

TV_SectionGeometry::TV_SectionGeometry() {
  m_userdata_uuid = UUID();
  m_userdata_copycount = 1;
}

TV_SectionGeometry::TV_SectionGeometry(const TV_SectionGeometry& src)
    : ON_UserData(src), m_update_stamp(src.m_update_stamp), m_mode(src.m_mode),
      m_bValid(src.m_bValid), m_mesh(src.m_mesh), m_ids(src.m_ids) {}

TV_SectionGeometry& TV_SectionGeometry::operator=(const TV_SectionGeometry& src) {
  ON_UserData::operator=(src);
  Invalidate();
  m_mode = src.m_mode;
  return *this;
}

TV_SectionGeometry::~TV_SectionGeometry() = default;

void TV_SectionGeometry::Invalidate() {
  m_bValid = false;
  m_mesh.Destroy();
}

unsigned int TV_SectionGeometry::SizeOf() const {
  return ON_UserData::SizeOf() + m_mesh.SizeOf();
}

bool TV_SectionGeometry::GetDescription(ON_wString& description) {
  description = L"Dynamic Section Definition";
  return true;
}
