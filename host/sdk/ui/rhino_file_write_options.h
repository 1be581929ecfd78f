#pragma once
// The application's file-write options: what the next file write writes.

class CRhinoFileWriteOptions {
public:
  // Back to writing the whole model.
  void SetDefaults() { *this = CRhinoFileWriteOptions(); }
  // The next write writes only the selected objects.
  void SetWriteSelectedDefaults() {
    SetDefaults();
    m_bSelectedObjectsOnly = true;
  }
  bool WriteSelectedObjectsOnly() const { return m_bSelectedObjectsOnly; }
  void SetWriteSelectedObjectsOnly(bool b) { m_bSelectedObjectsOnly = b; }
  bool WriteUserData() const { return m_bUserData; }
  void SetWriteUserData(bool b) { m_bUserData = b; }

private:
  bool m_bSelectedObjectsOnly = false;
  bool m_bUserData = true;
};

// Keeps a copy of the application's options from construction; Restore()
// (or the destructor, when Restore was not called) puts it back.
class CRhinoSaveAndRestoreAppFileWriteOptions {
public:
  CRhinoSaveAndRestoreAppFileWriteOptions();
  ~CRhinoSaveAndRestoreAppFileWriteOptions();
  CRhinoSaveAndRestoreAppFileWriteOptions(const CRhinoSaveAndRestoreAppFileWriteOptions&) = delete;
  CRhinoSaveAndRestoreAppFileWriteOptions&
  operator=(const CRhinoSaveAndRestoreAppFileWriteOptions&) = delete;
  void Restore();

private:
  CRhinoFileWriteOptions m_saved;
  bool m_bRestored = false;
};
