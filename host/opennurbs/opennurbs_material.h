#pragma once
// ON_Material: a render material.

#include "opennurbs_color.h"
#include "opennurbs_object.h"
#include "opennurbs_string.h"
#include "opennurbs_uuid.h"

class ON_CLASS ON_Material : public ON_Object {
  ON_OBJECT_DECLARE(ON_Material);

public:
  ON_Material() = default;
  ON_Material(const ON_Material&) = default;
  ON_Material& operator=(const ON_Material&) = default;
  ~ON_Material() override = default;

  ON::object_type ObjectType() const override { return ON::material_object; }
  ON_UUID ModelObjectId() const override { return m_material_id; }
  unsigned int SizeOf() const override;
  bool Write(ON_BinaryArchive& archive) const override;
  bool Read(ON_BinaryArchive& archive) override;

  ON_Color Diffuse() const { return m_diffuse; }
  void SetDiffuse(ON_Color c) { m_diffuse = c; }
  // 0 opaque .. 1 fully transparent (clamped).
  double Transparency() const { return m_transparency; }
  void SetTransparency(double t);
  // 0 .. MaxShine (clamped).
  double Shine() const { return m_shine; }
  void SetShine(double s);
  static constexpr double MaxShine = 255.0;

  ON_wString m_material_name;
  ON_UUID m_material_id;
  int m_material_index = -1;
  ON_Color m_ambient{0, 0, 0};
  ON_Color m_diffuse{128, 128, 128};
  ON_Color m_emission{0, 0, 0};
  ON_Color m_specular{255, 255, 255};
  double m_transparency = 0.0;
  double m_shine = 0.0;
};
