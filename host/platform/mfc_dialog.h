#pragma once
// CDialog, made from a dialog template found in the current module state's
// resources (see dialog_template.h), as a modeless child or popup window.
// Creation order follows Windows: the dialog window (with WM_SIZE for its
// size), then its controls, then WM_INITDIALOG, which calls OnInitDialog.

#include "dialog_template.h"
#include "mfc_app.h"
#include "mfc_window.h"

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
public:
  explicit CDialog(UINT template_id = 0, CWnd* parent = nullptr);
  // False when the template is not found in the current module's resources
  // or a window cannot be made.
  virtual BOOL Create(UINT template_id, CWnd* parent = nullptr);
  virtual BOOL OnInitDialog();
  void EndDialog(int result);

  UINT m_nIDHelp = 0;

protected:
  virtual void OnOK();
  virtual void OnCancel();
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DoDataExchange(CDataExchange* pDX) override;

  static const AFX_MSGMAP* GetThisMessageMap();
  const AFX_MSGMAP* GetMessageMap() const override;

  UINT template_id_;
  CWnd* parent_;
  int result_ = 0;
};
