#include "rhino_file_write_options.h"

#include "rhino_app.h"

CRhinoFileWriteOptions& CRhinoApp::FileWriteOptions() {
  static CRhinoFileWriteOptions options; // one application per process
  return options;
}

CRhinoSaveAndRestoreAppFileWriteOptions::CRhinoSaveAndRestoreAppFileWriteOptions()
    : m_saved(RhinoApp().FileWriteOptions()) {}

CRhinoSaveAndRestoreAppFileWriteOptions::~CRhinoSaveAndRestoreAppFileWriteOptions() {
  if (!m_bRestored) Restore();
}

void CRhinoSaveAndRestoreAppFileWriteOptions::Restore() {
  RhinoApp().FileWriteOptions() = m_saved;
  m_bRestored = true;
}
