#include "opennurbs_3dm_attributes.h"

#include "opennurbs_archive.h"
#include "opennurbs_layer.h"

ON_OBJECT_IMPLEMENT(ON_3dmObjectAttributes, ON_Object, "F64E9E1B-9AA3-4723-BD23-9913D3CF6992")

bool ON_3dmObjectAttributes::IsValid(ON_TextLog*) const {
  return m_layer_index >= 0 && m_material_index >= -1;
}

void ON_3dmObjectAttributes::Dump(ON_TextLog& log) const {
  log.Print("name \"%s\"\n", m_name.ToUtf8().c_str());
  log.Print("id %ls\n", ON_UuidToString(m_uuid).Array());
  log.Print("layer %d material %d mode %d\n", m_layer_index, m_material_index,
            static_cast<int>(m_mode));
}

unsigned int ON_3dmObjectAttributes::SizeOf() const {
  return ON_Object::SizeOf() +
         static_cast<unsigned int>(sizeof(ON_3dmObjectAttributes) - sizeof(ON_Object) +
                                   m_name.Length() * sizeof(wchar_t));
}

namespace {
bool SameKey(const ON_wString& a, const wchar_t* b) {
  return a.CompareNoCase(b) == 0;
}
} // namespace

bool ON_3dmObjectAttributes::SetUserString(const wchar_t* key, const wchar_t* value) {
  if (key == nullptr || *key == 0) return false;
  const bool remove = value == nullptr || *value == 0;
  for (auto it = m_user_strings.begin(); it != m_user_strings.end(); ++it) {
    if (!SameKey(it->first, key)) continue;
    if (remove)
      m_user_strings.erase(it);
    else
      it->second = value;
    return true;
  }
  if (!remove) m_user_strings.emplace_back(ON_wString(key), ON_wString(value));
  return true;
}

bool ON_3dmObjectAttributes::GetUserString(const wchar_t* key, ON_wString& value) const {
  value.Empty();
  if (key == nullptr) return false;
  for (const auto& [k, v] : m_user_strings)
    if (SameKey(k, key)) {
      value = v;
      return true;
    }
  return false;
}

void ON_3dmObjectAttributes::Default() {
  m_name.Empty();
  m_uuid = ON_nil_uuid;
  m_layer_index = 0;
  m_material_index = -1;
  m_color = ON_Color();
  m_color_source = ON::color_from_layer;
  m_material_source = ON::material_from_layer;
  m_mode = ON::normal_object;
  m_user_strings.clear();
}

bool ON_3dmObjectAttributes::Write(ON_BinaryArchive& a) const {
  return a.WriteString(m_name) && a.WriteUuid(m_uuid) && a.WriteInt(m_layer_index) &&
         a.WriteInt(m_material_index) && a.WriteInt(static_cast<unsigned int>(m_color)) &&
         a.WriteInt(static_cast<int>(m_color_source)) &&
         a.WriteInt(static_cast<int>(m_material_source)) && a.WriteInt(static_cast<int>(m_mode)) &&
         WriteUserStrings(a);
}

bool ON_3dmObjectAttributes::WriteUserStrings(ON_BinaryArchive& a) const {
  if (!a.WriteInt(static_cast<int>(m_user_strings.size()))) return false;
  for (const auto& [key, value] : m_user_strings)
    if (!a.WriteString(key) || !a.WriteString(value)) return false;
  return true;
}

bool ON_3dmObjectAttributes::ReadUserStrings(ON_BinaryArchive& a) {
  int count = 0;
  if (!a.ReadInt(&count) || count < 0) return false;
  std::vector<std::pair<ON_wString, ON_wString>> read;
  for (int i = 0; i < count; ++i) {
    ON_wString key, value;
    if (!a.ReadString(key) || !a.ReadString(value) || key.IsEmpty()) return false;
    read.emplace_back(key, value);
  }
  m_user_strings = std::move(read);
  return true;
}

bool ON_3dmObjectAttributes::Read(ON_BinaryArchive& a) {
  ON_wString name;
  ON_UUID id;
  int layer = 0, material = -1, cs = 0, ms = 0, mode = 0;
  unsigned int color = 0;
  if (!(a.ReadString(name) && a.ReadUuid(id) && a.ReadInt(&layer) && a.ReadInt(&material) &&
        a.ReadInt(&color) && a.ReadInt(&cs) && a.ReadInt(&ms) && a.ReadInt(&mode) &&
        ReadUserStrings(a)))
    return false;
  m_name = name;
  m_uuid = id;
  m_layer_index = layer;
  m_material_index = material;
  m_color = ON_Color(color);
  m_color_source =
      (cs >= 0 && cs <= 3) ? static_cast<ON::object_color_source>(cs) : ON::color_from_layer;
  m_material_source = (ms == 0 || ms == 1 || ms == 3) ? static_cast<ON::object_material_source>(ms)
                                                      : ON::material_from_layer;
  m_mode = ON::ObjectMode(mode);
  return true;
}

void ON_3dmObjectAttributes::ApplyParentalControl(const ON_3dmObjectAttributes& parent,
                                                  const ON_Layer& parent_layer,
                                                  unsigned int control_limits) {
  if ((control_limits & 0x01) && m_color_source == ON::color_from_parent) {
    m_color_source = parent.m_color_source;
    m_color = parent.m_color;
    if (m_color_source == ON::color_from_layer) {
      m_color = parent_layer.m_color;
      m_color_source = ON::color_from_object;
    } else if (m_color_source == ON::color_from_parent) {
      // A parent that itself defers to its parent has nothing more to give.
      m_color_source = ON::color_from_object;
    }
  }
  if ((control_limits & 0x02) && m_material_source == ON::material_from_parent) {
    m_material_source = parent.m_material_source;
    m_material_index = parent.m_material_index;
    if (m_material_source == ON::material_from_layer) {
      m_material_index = parent_layer.m_material_index;
      m_material_source = ON::material_from_object;
    } else if (m_material_source == ON::material_from_parent) {
      m_material_source = ON::material_from_object;
    }
  }
  if ((control_limits & 0x04) && m_layer_index == 0) m_layer_index = parent.m_layer_index;
}
