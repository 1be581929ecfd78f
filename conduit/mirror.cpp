// Mirror plane settings. The transform is recomputed on every change so
// that it always matches the stored point and normal; the normal is kept
// exactly as given.

#include "conduit/kyrel_conduit.h"

void CKyrelConduit::EnableMirroring(bool bEnable) {
  m_bMirroring = bEnable;
}

bool CKyrelConduit::IsMirroringEnabled() const {
  return m_bMirroring;
}

void CKyrelConduit::SetMirrorPosition(const ON_3dPoint& position) {
  m_mirror_position = position;
  m_mirror_xform.Mirror(m_mirror_position, m_mirror_direction);
}

ON_3dPoint CKyrelConduit::MirrorPosition() const {
  return m_mirror_position;
}

void CKyrelConduit::SetMirrorDirection(const ON_3dVector& direction) {
  m_mirror_direction = direction;
  m_mirror_xform.Mirror(m_mirror_position, m_mirror_direction);
}

ON_3dVector CKyrelConduit::MirrorDirection() const {
  return m_mirror_direction;
}
