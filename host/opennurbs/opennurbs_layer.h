#pragma once
// ON_Layer: a document layer.

#include "opennurbs_color.h"
#include "opennurbs_object.h"
#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

class ON_CLASS ON_Layer : public ON_Object {
  ON_OBJECT_DECLARE(ON_Layer);

public:
  ON_Layer() = default;
  ON_Layer(const ON_Layer&) = default;
  ON_Layer& operator=(const ON_Layer&) = default;
  ~ON_Layer() override = default;

  ON::object_type ObjectType() const override { return ON::layer_object; }
  ON_UUID ModelObjectId() const override { return m_layer_id; }
  unsigned int SizeOf() const override;
  bool Write(ON_BinaryArchive& archive) const override;
  bool Read(ON_BinaryArchive& archive) override;

  const ON_wString& Name() const { return m_name; }
  void SetName(const ON_wString& name) { m_name = name; }
  ON_Color Color() const { return m_color; }
  void SetColor(ON_Color c) { m_color = c; }
  bool IsVisible() const { return m_bVisible; }
  void SetVisible(bool b) { m_bVisible = b; }
  bool IsLocked() const { return m_bLocked; }
  void SetLocked(bool b) { m_bLocked = b; }
  int RenderMaterialIndex() const { return m_material_index; }
  void SetRenderMaterialIndex(int i) { m_material_index = i; }
  int Index() const { return m_layer_index; }
  void SetIndex(int i) { m_layer_index = i; }

  ON_wString m_name;
  ON_UUID m_layer_id;
  int m_layer_index = -1;    // position in the document's layer table
  ON_Color m_color;          // black
  int m_material_index = -1; // -1: the default material
  bool m_bVisible = true;
  bool m_bLocked = false;
};
