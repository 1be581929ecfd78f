#include "mfc_object.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c;
       c = c->m_pfnGetBaseClass ? c->m_pfnGetBaseClass() : nullptr) {
    if (c == base) return TRUE;
    if (c->m_pfnGetBaseClass && c->m_pfnGetBaseClass() == c) break;
  }
  return FALSE;
}

CRuntimeClass* CObject::GetThisClass() {
  static CRuntimeClass record = {"CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr};
  return &record;
}

CRuntimeClass* CObject::GetRuntimeClass() const {
  return CObject::GetThisClass();
}
