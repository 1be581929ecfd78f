#pragma once
// ON_3dmObjectAttributes: the attributes of a document object (name, id,
// layer, material, colour, mode). An ON_Object, so user data can be
// attached to the attributes; copying attributes copies that user data by
// its copy count (see opennurbs_object.h).

#include <utility>
#include <vector>

#include "opennurbs_color.h"
#include "opennurbs_object.h"
#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

class ON_Layer;

class ON_CLASS ON_3dmObjectAttributes : public ON_Object {
  ON_OBJECT_DECLARE(ON_3dmObjectAttributes);

public:
  ON_3dmObjectAttributes() = default;
  ON_3dmObjectAttributes(const ON_3dmObjectAttributes&) = default;
  ON_3dmObjectAttributes& operator=(const ON_3dmObjectAttributes&) = default;
  ~ON_3dmObjectAttributes() override = default;

  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  void Dump(ON_TextLog& text_log) const override;
  unsigned int SizeOf() const override;
  bool Write(ON_BinaryArchive& archive) const override;
  bool Read(ON_BinaryArchive& archive) override;
  ON_UUID ModelObjectId() const override { return m_uuid; }

  // Sets every field back to its default; user data is kept.
  void Default();

  ON::object_mode Mode() const { return m_mode; }
  void SetMode(ON::object_mode mode) { m_mode = ON::ObjectMode(mode); }
  bool IsVisible() const { return m_mode != ON::hidden_object; }
  bool IsLocked() const { return m_mode == ON::locked_object; }

  ON::object_color_source ColorSource() const { return m_color_source; }
  void SetColorSource(ON::object_color_source source) { m_color_source = source; }
  ON::object_material_source MaterialSource() const { return m_material_source; }
  void SetMaterialSource(ON::object_material_source source) { m_material_source = source; }

  // Resolves "from parent" settings of these attributes (an object inside
  // a block) against the attributes of the parent (the block's instance)
  // and the parent's layer. control_limits bits say which settings may be
  // resolved: 0x01 colour, 0x02 material, 0x04 layer (all 32 bits set:
  // everything).
  //   colour:   when ColorSource() is color_from_parent, the parent's
  //             colour and colour source are taken; if that source is
  //             color_from_layer the layer's colour is taken and the
  //             source becomes color_from_object.
  //   material: when MaterialSource() is material_from_parent, likewise
  //             with m_material_index and the layer's material index.
  //   layer:    when m_layer_index is 0 (the default layer, used by block
  //             members to mean "the instance's layer"), the parent's
  //             layer index is taken.
  // Settings that do not say "from parent" are left alone.
  void ApplyParentalControl(const ON_3dmObjectAttributes& parent_attributes,
                            const ON_Layer& parent_layer, unsigned int control_limits = 0xFFFFFFFF);

  // Named texts kept with the object, such as what a building model says
  // of an element (its GlobalId, class, storey, file). Keys are matched
  // without regard to case and keep the spelling they were first set with;
  // an empty value removes the key. False for an empty key.
  bool SetUserString(const wchar_t* key, const wchar_t* value);
  // False (and `value` emptied) when the key is not set.
  bool GetUserString(const wchar_t* key, ON_wString& value) const;
  int UserStringCount() const { return static_cast<int>(m_user_strings.size()); }
  // Key and value pairs in the order they were first set.
  const std::vector<std::pair<ON_wString, ON_wString>>& UserStrings() const {
    return m_user_strings;
  }

  ON_wString m_name; // empty when the object has none
  ON_UUID m_uuid;    // object id, nil until assigned
  int m_layer_index = 0;
  int m_material_index = -1; // -1: the default material
  ON_Color m_color;          // used with color_from_object
  ON::object_color_source m_color_source = ON::color_from_layer;
  ON::object_material_source m_material_source = ON::material_from_layer;
  ON::object_mode m_mode = ON::normal_object;

private:
  bool WriteUserStrings(ON_BinaryArchive& archive) const;
  bool ReadUserStrings(ON_BinaryArchive& archive);

  std::vector<std::pair<ON_wString, ON_wString>> m_user_strings;
};
