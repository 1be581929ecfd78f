#pragma once
// TV_SectionGeometry: the record that makes a document object a cutting
// object. It hangs off the object's attributes (so it follows the
// attributes when the host copies an object) and holds the cutting mode
// and, once the conduit has built it, the object's meshes joined into one
// closed cutting mesh.
//
// Nothing of it is ever written to a model file: Archive() stays false.
// Any copy made through assignment (duplicates, copies of the owner's
// attributes) keeps only the mode and arrives invalid with an empty mesh,
// so the conduit rebuilds the cutting mesh from the object it now
// belongs to.

#include "api/service_interface.h"
#include "opennurbs.h"

class TV_SectionGeometry : public ON_UserData {
  ON_OBJECT_DECLARE(TV_SectionGeometry);

public:
  TV_SectionGeometry();
  // Copies everything: stamp, mode, validity, mesh and ids (deep).
  TV_SectionGeometry(const TV_SectionGeometry& src);
  // Assigns the base, invalidates this record and copies the mode only;
  // m_update_stamp and m_ids of this record are left as they were.
  TV_SectionGeometry& operator=(const TV_SectionGeometry& src);
  ~TV_SectionGeometry() override;

  unsigned int SizeOf() const override;
  bool GetDescription(ON_wString& description) override;

  // The class UUID, which is also every instance's user-data UUID.
  static ON_UUID UUID();

  // Drops the cutting mesh: m_bValid false, m_mesh emptied.
  void Invalidate();

  // Notification count of the conduit when this cutter was last taken into
  // the cutting meshes.
  ON__UINT32 m_update_stamp = 0;
  // A Tarvik::Vantrel::CuttingMode.
  int m_mode = 0;
  // m_mesh holds the closed cutting mesh.
  bool m_bValid = false;
  // The object's meshes appended into one.
  ON_Mesh m_mesh;
  // Object ids; kept and copied, not used by the display service itself.
  ON_UuidList m_ids;
};
