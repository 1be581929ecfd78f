#include "opennurbs_layer.h"

#include "opennurbs_archive.h"

ON_OBJECT_IMPLEMENT(ON_Layer, ON_Object, "25059247-27B0-4767-BF50-A1BBDA9F8543")

unsigned int ON_Layer::SizeOf() const {
  return ON_Object::SizeOf() + static_cast<unsigned int>(sizeof(ON_Layer) - sizeof(ON_Object) +
                                                         m_name.Length() * sizeof(wchar_t));
}

bool ON_Layer::Write(ON_BinaryArchive& a) const {
  return a.WriteString(m_name) && a.WriteUuid(m_layer_id) && a.WriteInt(m_layer_index) &&
         a.WriteInt(static_cast<unsigned int>(m_color)) && a.WriteInt(m_material_index) &&
         a.WriteBool(m_bVisible) && a.WriteBool(m_bLocked);
}

bool ON_Layer::Read(ON_BinaryArchive& a) {
  ON_Layer l;
  unsigned int c = 0;
  if (!(a.ReadString(l.m_name) && a.ReadUuid(l.m_layer_id) && a.ReadInt(&l.m_layer_index) &&
        a.ReadInt(&c) && a.ReadInt(&l.m_material_index) && a.ReadBool(&l.m_bVisible) &&
        a.ReadBool(&l.m_bLocked)))
    return false;
  l.m_color = ON_Color(c);
  m_name = l.m_name;
  m_layer_id = l.m_layer_id;
  m_layer_index = l.m_layer_index;
  m_color = l.m_color;
  m_material_index = l.m_material_index;
  m_bVisible = l.m_bVisible;
  m_bLocked = l.m_bLocked;
  return true;
}
