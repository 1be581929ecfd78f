#pragma once
// MFC wrappers of the common controls; each forwards to its window's
// messages, so the state lives in the window (see win_controls.h).

#include "mfc_window.h"

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)
public:
  void Click() { SendMessage(BM_CLICK); }
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)
public:
  void SetRange(short low, short high) { SendMessage(PBM_SETRANGE, 0, MAKELONG(low, high)); }
  void SetRange32(int low, int high) {
    SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  }
  void GetRange(int& low, int& high) {
    low = static_cast<int>(SendMessage(PBM_GETRANGE, TRUE));
    high = static_cast<int>(SendMessage(PBM_GETRANGE, FALSE));
  }
  int SetPos(int pos) {
    return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos)));
  }
  int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};

class CListCtrl : public CWnd {
  DECLARE_DYNAMIC(CListCtrl)
public:
  int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1,
                   int sub_item = -1);
  DWORD GetExtendedStyle() { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  DWORD SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(
        SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
  }
  BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
  BOOL DeleteItem(int item) {
    return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)));
  }
  int GetItemCount() { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  int InsertItem(int item, LPCWSTR text);
  BOOL SetItemText(int item, int sub_item, LPCWSTR text);
  CString GetItemText(int item, int sub_item);
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) {
    return static_cast<UINT>(
        SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
  }
  UINT GetSelectedCount() { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  int GetNextItem(int item, int flags) {
    return static_cast<int>(
        SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(item), static_cast<LPARAM>(flags)));
  }
};
