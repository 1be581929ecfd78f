#include "mfc_dialog.h"

#include <algorithm>

#include "mfc_controls.h"

RECT KyrelDialogUnitsToPixels(const KYREL_DLGTEMPLATE& dialog, short x, short y, short cx,
                              short cy) {
  // Average character size of the dialog font at 96 dpi; 8 points gives the
  // familiar 6 x 13 base units, other sizes scale with the point size.
  int points = dialog.point_size ? dialog.point_size : 8;
  int base_x = std::max(1, (6 * points + 4) / 8);
  int base_y = std::max(1, (13 * points + 4) / 8);
  RECT r;
  r.left = x * base_x / 4;
  r.top = y * base_y / 8;
  r.right = r.left + cx * base_x / 4;
  r.bottom = r.top + cy * base_y / 8;
  return r;
}

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

CDialog::CDialog(UINT template_id, CWnd* parent) : template_id_(template_id), parent_(parent) {}

BOOL CDialog::Create(UINT template_id, CWnd* parent) {
  if (m_hWnd) return FALSE;
  template_id_ = template_id;
  if (parent) parent_ = parent;
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(template_id), RT_DIALOG);
  if (!found || SizeofResource(module, found) < sizeof(KYREL_DLGTEMPLATE)) return FALSE;
  const auto* dialog =
      static_cast<const KYREL_DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
  if (!dialog) return FALSE;

  RECT r = KyrelDialogUnitsToPixels(*dialog, dialog->x, dialog->y, dialog->cx, dialog->cy);
  DWORD style = dialog->style;
  // Shown only after WM_INITDIALOG, as on Windows.
  if (!CreateEx(dialog->ex_style, WC_DIALOGW, dialog->caption, style & ~WS_VISIBLE, RECT{}, parent_,
                0))
    return FALSE;
  ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  for (WORD i = 0; dialog->items && i < dialog->item_count; ++i) {
    const KYREL_DLGITEMTEMPLATE& item = dialog->items[i];
    RECT c = KyrelDialogUnitsToPixels(*dialog, item.x, item.y, item.cx, item.cy);
    HWND control =
        ::CreateWindowExW(item.ex_style, item.window_class, item.text, item.style, c.left, c.top,
                          c.right - c.left, c.bottom - c.top, m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), module, nullptr);
    if (!control) {
      DestroyWindow();
      return FALSE;
    }
  }
  SendMessage(WM_INITDIALOG, 0, 0);
  if (m_hWnd && (style & WS_VISIBLE)) ShowWindow(SW_SHOW);
  return m_hWnd != nullptr;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* pDX) {
  CWnd::DoDataExchange(pDX);
}

void CDialog::EndDialog(int result) {
  result_ = result;
  ShowWindow(SW_HIDE);
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return OnInitDialog();
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

const AFX_MSGMAP* CDialog::GetThisMessageMap() {
  using ThisClass = CDialog;
  static const AFX_MSGMAP_ENTRY entries[] = {ON_COMMAND(IDOK, &ThisClass::OnOK) ON_COMMAND(
      IDCANCEL, &ThisClass::OnCancel){0, 0, 0, nullptr, nullptr}};
  static const AFX_MSGMAP map = {&CWnd::GetThisMessageMap, &entries[0]};
  return &map;
}
const AFX_MSGMAP* CDialog::GetMessageMap() const {
  return GetThisMessageMap();
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width, int sub_item) {
  LVCOLUMNW col;
  col.mask = LVCF_TEXT | LVCF_FMT;
  col.fmt = format;
  col.pszText = const_cast<LPWSTR>(heading ? heading : L"");
  if (width >= 0) {
    col.mask |= LVCF_WIDTH;
    col.cx = width;
  }
  if (sub_item >= 0) {
    col.mask |= LVCF_SUBITEM;
    col.iSubItem = sub_item;
  }
  return static_cast<int>(
      SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int item, LPCWSTR text) {
  LVITEMW row;
  row.mask = LVIF_TEXT;
  row.iItem = item;
  row.pszText = const_cast<LPWSTR>(text ? text : L"");
  return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::SetItemText(int item, int sub_item, LPCWSTR text) {
  LVITEMW cell;
  cell.iSubItem = sub_item;
  cell.pszText = const_cast<LPWSTR>(text ? text : L"");
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)));
}

CString CListCtrl::GetItemText(int item, int sub_item) {
  return CString(kyrel::platform::ListViewCellText(m_hWnd, item, sub_item));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMW row;
  row.state = state;
  row.stateMask = mask;
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
}
