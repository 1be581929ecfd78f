#pragma once
// CRhinoMaterialTable: the document's render materials. An index of -1 (or
// any index out of range) names the default material.

#include <deque>

#include "opennurbs.h"

class CRhinoDoc;

class CRhinoMaterialTable {
public:
  explicit CRhinoMaterialTable(CRhinoDoc* doc) : m_doc(doc) {}
  CRhinoMaterialTable(const CRhinoMaterialTable&) = delete;
  CRhinoMaterialTable& operator=(const CRhinoMaterialTable&) = delete;

  int MaterialCount() const { return static_cast<int>(m_materials.size()); }
  // The material at index, or the default material when out of range.
  const ON_Material& operator[](int material_index) const;
  static const ON_Material& DefaultMaterial();

  // Adds a copy; returns its index.
  int AddMaterial(const ON_Material& material);
  bool ModifyMaterial(const ON_Material& material, int material_index);
  int FindMaterial(const wchar_t* name) const; // -1 when none

private:
  CRhinoDoc* m_doc;
  std::deque<ON_Material> m_materials;
};
