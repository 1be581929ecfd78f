// The conduit's clash-detection operations, each handed to its engine.

#include "conduit/kyrel_conduit.h"

void CKyrelConduit::EnableInterfere(bool bEnable, bool bShowPanel) {
  m_interfere.EnableInterfere(bEnable, bShowPanel);
}

bool CKyrelConduit::IsInterfereEnabled() const {
  return m_interfere.m_bEnabled;
}

void CKyrelConduit::StartInterfereComputing() {
  m_interfere.Start(false);
}

void CKyrelConduit::StopInterfereComputing() {
  m_interfere.Stop(false);
}

bool CKyrelConduit::IsInterfereComputing() const {
  return m_interfere.IsComputing();
}

int CKyrelConduit::InterferencesCount() const {
  return m_interfere.InterferencesCount();
}

bool CKyrelConduit::GetInterferenceAt(int index, ON_UuidPair& pair) const {
  return m_interfere.GetInterferenceAt(index, pair);
}
