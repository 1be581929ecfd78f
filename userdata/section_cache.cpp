#include "section_cache.h"

ON_OBJECT_IMPLEMENT(TV_SectionCache, ON_UserData, "131A4B0B-AD24-4254-A92D-F616E3957029");

ON_UUID TV_SectionCache::UUID() {
  return m_TV_SectionCache_class_rtti.Uuid();
}

TV_SectionCache::TV_SectionCache() {
  m_userdata_uuid = UUID();
  m_userdata_copycount = 0;
}

TV_SectionCache::TV_SectionCache(const TV_SectionCache& src)
    : ON_UserData(src), m_phantom(src.m_phantom) {}

TV_SectionCache& TV_SectionCache::operator=(const TV_SectionCache& src) {
  ON_UserData::operator=(src);
  Invalidate(true);
  return *this;
}

TV_SectionCache::~TV_SectionCache() = default;

void TV_SectionCache::Invalidate(bool bDeleteMeshes) {
  m_cut_inputs.reset();
  m_cutters_generation = 0;
  m_phantom.DestroyMeshes(ON::any_mesh, bDeleteMeshes);
}

unsigned int TV_SectionCache::SizeOf() const {
  return ON_UserData::SizeOf() + m_phantom.SizeOf();
}

bool TV_SectionCache::GetDescription(ON_wString& description) {
  description = L"Kyrel Mesh Cache";
  return true;
}
