// A dialog from a template, with a progress bar, a list and a button, as
// the interference panel uses them: data exchange, layout, list
// notifications and button clicks through the message map.
#include <gtest/gtest.h>

#include <vector>

#include "afxwin.h"
#include "interfere/kyrel_interfere_progress_template.h"

namespace {

// The interference panel's own template, under an id of this module.
const KyrelResourceRegistration kRegistration(RT_DIALOG, MAKEINTRESOURCEW(1001),
                                              &kInterfereProgressDialog,
                                              sizeof kInterfereProgressDialog);

class TestDialog : public CDialog {
  DECLARE_DYNAMIC(TestDialog)
public:
  TestDialog() : CDialog(1001, nullptr) {}
  CProgressCtrl m_progress;
  CListCtrl m_list;
  std::vector<NMLISTVIEW> changes;
  std::vector<std::pair<int, int>> double_clicks;
  int cancels = 0;
  int oks = 0;
  std::vector<std::pair<int, int>> sizes; // (cx, cy) seen after the controls exist

protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1000, m_progress);
    DDX_Control(pDX, 1001, m_list);
  }
  BOOL OnInitDialog() override {
    BOOL result = CDialog::OnInitDialog();
    m_list.InsertColumn(0, L"Clash #", LVCFMT_LEFT, 50, 0);
    m_list.InsertColumn(1, L"Object A", LVCFMT_LEFT, 150, 1);
    m_list.InsertColumn(2, L"Object B", LVCFMT_LEFT, 150, 2);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    return result;
  }
  afx_msg void OnBnClickedOk() { ++oks; }
  afx_msg void OnBnClickedCancel() { ++cancels; }
  afx_msg void OnSize(UINT type, int cx, int cy) {
    if (m_progress.m_hWnd) {
      sizes.emplace_back(cx, cy);
      m_progress.MoveWindow(5, 5, cx - 65, 24);
      m_list.MoveWindow(5, 31, cx - 10, cy - 36);
    }
    CDialog::OnSize(type, cx, cy);
  }
  afx_msg void OnItemChanged(NMHDR* hdr, LRESULT* result) {
    changes.push_back(*reinterpret_cast<NMLISTVIEW*>(hdr));
    *result = 0;
  }
  afx_msg void OnDblClick(NMHDR* hdr, LRESULT* result) {
    auto* item = reinterpret_cast<NMITEMACTIVATE*>(hdr);
    double_clicks.emplace_back(item->iItem, item->iSubItem);
    *result = 0;
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(TestDialog, CDialog)

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_BN_CLICKED(IDOK, &TestDialog::OnBnClickedOk)
ON_BN_CLICKED(IDCANCEL, &TestDialog::OnBnClickedCancel)
ON_WM_SIZE()
ON_NOTIFY(LVN_ITEMCHANGED, 1001, &TestDialog::OnItemChanged)
ON_NOTIFY(NM_DBLCLK, 1001, &TestDialog::OnDblClick)
END_MESSAGE_MAP()

class Dialogs : public ::testing::Test {
protected:
  void SetUp() override {
    parent.CreateEx(0, nullptr, L"bar", WS_VISIBLE, RECT{0, 0, 200, 300}, nullptr, 0);
    ASSERT_TRUE(dialog.Create(1001, CWnd::FromHandle(parent.m_hWnd)));
  }
  CWnd parent;
  TestDialog dialog;
};

TEST_F(Dialogs, ControlsComeFromTheTemplateAndAreBound) {
  EXPECT_TRUE(IsWindow(dialog.m_hWnd));
  EXPECT_EQ(GetParent(dialog.m_hWnd), parent.m_hWnd);
  EXPECT_TRUE(dialog.IsWindowVisible());
  ASSERT_NE(dialog.m_progress.m_hWnd, nullptr);
  ASSERT_NE(dialog.m_list.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_list.m_hWnd, GetDlgItem(dialog.m_hWnd, 1001));
  EXPECT_EQ(kyrel::platform::WindowText(GetDlgItem(dialog.m_hWnd, IDCANCEL)), L"Cancel");
  RECT r;
  dialog.GetClientRect(&r);
  EXPECT_EQ(r.right, 244 * 6 / 4);
  EXPECT_EQ(r.bottom, 209 * 13 / 8);
  EXPECT_EQ(kyrel::platform::ListViewColumnCount(dialog.m_list.m_hWnd), 3);
  EXPECT_EQ(kyrel::platform::ListViewColumnHeading(dialog.m_list.m_hWnd, 1), L"Object A");
  EXPECT_EQ(dialog.m_list.GetExtendedStyle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(dialog.sizes.empty()); // the creation-time size came before the controls
}

TEST_F(Dialogs, ResizingLaysOutTheBoundControls) {
  dialog.MoveWindow(0, 0, 300, 200);
  ASSERT_EQ(dialog.sizes.size(), 1u);
  EXPECT_EQ(dialog.sizes[0], std::make_pair(300, 200));
  RECT r;
  dialog.m_list.GetClientRect(&r);
  EXPECT_EQ(r.right, 290);
  EXPECT_EQ(r.bottom, 164);
}

TEST_F(Dialogs, ProgressRangeAndPosition) {
  dialog.m_progress.SetRange32(0, 12);
  dialog.m_progress.SetPos(5);
  int lo = -1, hi = -1;
  dialog.m_progress.GetRange(lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 12);
  EXPECT_EQ(dialog.m_progress.GetPos(), 5);
  dialog.m_progress.SetPos(40); // clamped to the range
  EXPECT_EQ(dialog.m_progress.GetPos(), 12);
  dialog.m_progress.SetRange32(0, 0);
  EXPECT_EQ(dialog.m_progress.GetPos(), 0);
}

TEST_F(Dialogs, RowsCellsAndSelectionNotifications) {
  for (int k = 0; k < 3; ++k) {
    CString label;
    label.Format(L"%d", k + 1);
    EXPECT_EQ(dialog.m_list.InsertItem(k, label), k);
    dialog.m_list.SetItemText(k, 1, L"A");
    dialog.m_list.SetItemText(k, 2, L"B");
  }
  EXPECT_EQ(dialog.m_list.GetItemCount(), 3);
  EXPECT_EQ(dialog.m_list.GetItemText(2, 0), L"3");
  EXPECT_TRUE(dialog.changes.empty());

  kyrel::platform::ListViewClick(dialog.m_list.m_hWnd, 0, 0, false);
  kyrel::platform::ListViewClick(dialog.m_list.m_hWnd, 2, 0, true); // several rows may be selected
  EXPECT_EQ(dialog.m_list.GetSelectedCount(), 2u);
  ASSERT_EQ(dialog.changes.size(), 2u);
  EXPECT_EQ(dialog.changes[1].iItem, 2);
  EXPECT_TRUE(dialog.changes[1].uNewState & LVIS_SELECTED);
  EXPECT_FALSE(dialog.changes[1].uOldState & LVIS_SELECTED);

  dialog.changes.clear();
  kyrel::platform::ListViewClick(dialog.m_list.m_hWnd, 1, 0, false);
  // Rows 0 and 2 lose their selection, row 1 gains it.
  ASSERT_EQ(dialog.changes.size(), 3u);
  EXPECT_EQ(dialog.changes[0].iItem, 0);
  EXPECT_FALSE(dialog.changes[0].uNewState & LVIS_SELECTED);
  EXPECT_EQ(dialog.changes[2].iItem, 1);

  kyrel::platform::ListViewDoubleClick(dialog.m_list.m_hWnd, 1, 2);
  ASSERT_EQ(dialog.double_clicks.size(), 1u);
  EXPECT_EQ(dialog.double_clicks[0], std::make_pair(1, 2));

  dialog.m_list.DeleteAllItems();
  EXPECT_EQ(dialog.m_list.GetItemCount(), 0);
  kyrel::platform::ListViewDoubleClick(dialog.m_list.m_hWnd, 5, 0); // below the last row
  EXPECT_EQ(dialog.double_clicks.back(), std::make_pair(5, 0));
}

TEST_F(Dialogs, CancelButtonReachesTheHandlerAndTheDialogStays) {
  SendMessageW(GetDlgItem(dialog.m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.cancels, 1);
  EXPECT_TRUE(dialog.IsWindowVisible());
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(dialog.oks, 1);
  EXPECT_TRUE(dialog.IsWindowVisible());
}

TEST_F(Dialogs, DestroyingTheParentDetachesEverything) {
  HWND list = dialog.m_list.m_hWnd;
  parent.DestroyWindow();
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_list.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandle(list), nullptr);
}

TEST(DialogTemplates, MissingTemplateFailsCleanly) {
  CDialog d(4242);
  EXPECT_FALSE(d.Create(4242));
  EXPECT_EQ(d.m_hWnd, nullptr);
}

TEST(RuntimeClasses, DynamicCreationMakesTheRightClass) {
  CObject* made = RUNTIME_CLASS(CWnd)->CreateObject();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
  EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CDialog)));
  delete made;
  EXPECT_EQ(RUNTIME_CLASS(TestDialog)->CreateObject(), nullptr); // not creatable
  TestDialog d;
  EXPECT_STREQ(d.GetRuntimeClass()->m_lpszClassName, "TestDialog");
  EXPECT_TRUE(d.IsKindOf(RUNTIME_CLASS(CWnd)));
}

TEST(Cursors, AppStartingCursorIsRecorded) {
  SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
  EXPECT_EQ(kyrel::platform::CursorId(GetCursor()), 32650);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(kyrel::platform::CursorId(GetCursor()), 32512);
}

} // namespace
