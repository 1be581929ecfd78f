#pragma once
// CKyrelDockBar: the host dock bar "Interferences", made once when the
// plug-in loads. Showing it switches clash detection on and hiding or
// closing it switches detection off; the embedded dialog does the rest.

#include "interfere/kyrel_interfere_progress_dlg.h"
#include "rhinoSdk.h"

class CKyrelDockBar : public CRhinoUiDockBar {
  DECLARE_DYNCREATE(CKyrelDockBar)
public:
  CKyrelDockBar();
  ~CKyrelDockBar() override;

  // Makes the one panel through the host's dock-bar manager unless it
  // exists already.
  static void CreateDockBarInstance();
  static ON_UUID Uuid();

  ON_UUID DockBarID() const override;
  const wchar_t* DockBarName(int language_id = 1033) const override;
  bool CreateDockBarControls() override;
  bool CanClose() const override;
  void OnDockBarPositionChanged(DWORD position) override;
  void OnShowDockBar(bool bShowDockBar) override;
  CSize OnCalcFixedLayout(CSize size, BOOL bStretch, BOOL bHorz) override;
  CSize OnCalcDynamicLayout(CSize size, int length, DWORD mode) override;

  CKyrelInterfereProgressDlg m_dlg;

  // The one panel, or null before it is made and after it is destroyed.
  static CKyrelDockBar* Instance;
};
