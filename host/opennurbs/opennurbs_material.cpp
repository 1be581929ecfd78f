#include "opennurbs_material.h"

#include <algorithm>
#include <cmath>

#include "opennurbs_archive.h"

ON_OBJECT_IMPLEMENT(ON_Material, ON_Object, "06BB9DC5-127B-4357-9C58-1FAC890C2A57")

void ON_Material::SetTransparency(double t) {
  if (std::isnan(t)) return;
  m_transparency = std::clamp(t, 0.0, 1.0);
}

void ON_Material::SetShine(double s) {
  if (std::isnan(s)) return;
  m_shine = std::clamp(s, 0.0, MaxShine);
}

unsigned int ON_Material::SizeOf() const {
  return ON_Object::SizeOf() +
         static_cast<unsigned int>(sizeof(ON_Material) - sizeof(ON_Object) +
                                   m_material_name.Length() * sizeof(wchar_t));
}

bool ON_Material::Write(ON_BinaryArchive& a) const {
  return a.WriteString(m_material_name) && a.WriteUuid(m_material_id) &&
         a.WriteInt(m_material_index) && a.WriteInt(static_cast<unsigned int>(m_ambient)) &&
         a.WriteInt(static_cast<unsigned int>(m_diffuse)) &&
         a.WriteInt(static_cast<unsigned int>(m_emission)) &&
         a.WriteInt(static_cast<unsigned int>(m_specular)) && a.WriteDouble(m_transparency) &&
         a.WriteDouble(m_shine);
}

bool ON_Material::Read(ON_BinaryArchive& a) {
  ON_wString name;
  ON_UUID id;
  int index = -1;
  unsigned int c[4] = {0, 0, 0, 0};
  double t = 0.0, s = 0.0;
  if (!(a.ReadString(name) && a.ReadUuid(id) && a.ReadInt(&index) && a.ReadInt(&c[0]) &&
        a.ReadInt(&c[1]) && a.ReadInt(&c[2]) && a.ReadInt(&c[3]) && a.ReadDouble(&t) &&
        a.ReadDouble(&s)))
    return false;
  m_material_name = name;
  m_material_id = id;
  m_material_index = index;
  m_ambient = ON_Color(c[0]);
  m_diffuse = ON_Color(c[1]);
  m_emission = ON_Color(c[2]);
  m_specular = ON_Color(c[3]);
  m_transparency = 0.0;
  m_shine = 0.0;
  SetTransparency(t);
  SetShine(s);
  return true;
}
