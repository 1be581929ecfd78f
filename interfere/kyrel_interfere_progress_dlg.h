#pragma once
// CKyrelInterfereProgressDlg: the child dialog of the "Interferences" panel.
// It shows how far the clash computation has come and the clashes found so
// far, lets the user cancel the computation, select the two objects of a
// clash by selecting its row and zoom to a clash (number column) or to one
// of its objects (object columns) by double-clicking.
//
// Its window is where the clash worker posts "WM_UPDATE_INTEREFERENCES_PROGRESS";
// the dialog hands its window to the worker once it exists and takes it
// back before it goes. Everything here runs on the host's main thread.

#include "afxwin.h"
#include "interfere/kyrel_interfere_progress_template.h"
#include "rhinoSdk.h"

class CKyrelInterfereProgressDlg : public CDialog {
  DECLARE_DYNAMIC(CKyrelInterfereProgressDlg)
public:
  explicit CKyrelInterfereProgressDlg(CWnd* parent = nullptr);
  ~CKyrelInterfereProgressDlg() override;

  // Progress bar at `done` of `total`; a `done` or `total` of 0 starts the
  // list afresh. Rows are appended for the clashes the engine has recorded
  // since the list last grew. Does nothing before the window exists.
  void UpdateProgress(int done, int total);

  CProgressCtrl m_progress;
  CListCtrl m_list;

  // How a double-click frames a box; clash reports frame their snapshots
  // the same way.
  static void ZoomToBoundingBox(CRhinoViewport& viewport, ON_BoundingBox box);

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  afx_msg LRESULT OnUpdateProgress(WPARAM wParam, LPARAM lParam);
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnBnClickedOk();
  afx_msg void OnBnClickedCancel();
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hit_test, UINT message);
  afx_msg void OnItemChanged(NMHDR* hdr, LRESULT* result);
  afx_msg void OnDblClick(NMHDR* hdr, LRESULT* result);
  afx_msg void OnDestroy();

  DECLARE_MESSAGE_MAP()

private:
  // The redraw that shows new selections or clash regions, once per burst.
  void ScheduleRedraw();
  static void ZoomToObjects(const CRhinoObject* a, const CRhinoObject* b);
};

// The live progress dialog (set by its constructor, cleared by its
// destructor), or null.
extern CKyrelInterfereProgressDlg* s_pProgressDlg;
