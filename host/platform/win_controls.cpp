// Headless button, progress bar and report-mode list view.

#include "win_controls.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "win_strings.h"

namespace {

using kyrel::platform::ControlData;
using kyrel::platform::SetControlData;

template <class T> T& StateOf(HWND hwnd) {
  auto* state = static_cast<T*>(ControlData(hwnd));
  if (!state) {
    state = new T;
    SetControlData(hwnd, state, [](void* p) { delete static_cast<T*>(p); });
  }
  return *state;
}

void NotifyParent(HWND hwnd, NMHDR& hdr) {
  hdr.hwndFrom = hwnd;
  hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
  HWND parent = GetParent(hwnd);
  if (parent) SendMessageW(parent, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

// ---- button ----
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BM_CLICK) {
    HWND parent = GetParent(hwnd);
    if (parent)
      SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- progress bar ----
struct Progress {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
};

int Clamp(const Progress& p, int value) {
  return std::clamp(value, p.low, std::max(p.low, p.high));
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < PBM_SETRANGE || message > PBM_GETPOS)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  Progress& p = StateOf<Progress>(hwnd);
  int old = p.pos;
  switch (message) {
  case PBM_SETRANGE: {
    LRESULT previous = MAKELONG(p.low, p.high);
    p.low = LOWORD(lParam);
    p.high = HIWORD(lParam);
    p.pos = Clamp(p, p.pos);
    return previous;
  }
  case PBM_SETRANGE32: {
    LRESULT previous = MAKELONG(p.low, p.high);
    p.low = static_cast<int>(wParam);
    p.high = static_cast<int>(lParam);
    p.pos = Clamp(p, p.pos);
    return previous;
  }
  case PBM_GETRANGE:
    return wParam ? p.low : p.high;
  case PBM_SETPOS:
    p.pos = Clamp(p, static_cast<int>(wParam));
    return old;
  case PBM_DELTAPOS:
    p.pos = Clamp(p, p.pos + static_cast<int>(wParam));
    return old;
  case PBM_SETSTEP: {
    int previous = p.step;
    p.step = static_cast<int>(wParam);
    return previous;
  }
  case PBM_STEPIT:
    p.pos += p.step;
    if (p.pos > p.high) p.pos = p.low + (p.pos - p.high); // wraps, as the real one does
    return old;
  case PBM_GETPOS:
    return p.pos;
  default:
    return 0;
  }
}

// ---- list view ----
struct Column {
  std::wstring heading;
  int fmt = LVCFMT_LEFT;
  int width = 0;
};
struct Row {
  std::vector<std::wstring> cells; // cell 0 is the label
  UINT state = 0;
  LPARAM param = 0;
};
struct ListState {
  std::vector<Column> columns;
  std::vector<Row> rows;
  DWORD ex_style = 0;
};

LRESULT CopyText(const std::wstring& text, LPWSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity - 1));
  std::wmemcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

void SetRowState(HWND hwnd, ListState& list, int row, UINT state, UINT mask) {
  if (row < 0 || row >= static_cast<int>(list.rows.size())) return;
  UINT old = list.rows[static_cast<std::size_t>(row)].state;
  UINT now = (old & ~mask) | (state & mask);
  if (now == old) return;
  list.rows[static_cast<std::size_t>(row)].state = now;
  NMLISTVIEW nm;
  nm.hdr.code = LVN_ITEMCHANGED;
  nm.iItem = row;
  nm.uNewState = now;
  nm.uOldState = old;
  nm.uChanged = LVIF_STATE;
  nm.lParam = list.rows[static_cast<std::size_t>(row)].param;
  NotifyParent(hwnd, nm.hdr);
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < LVM_FIRST || message > LVM_FIRST + 0x100)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  ListState& list = StateOf<ListState>(hwnd);
  const int count = static_cast<int>(list.rows.size());
  switch (message) {
  case LVM_GETITEMCOUNT:
    return count;
  case LVM_INSERTCOLUMNW: {
    auto* col = reinterpret_cast<const LVCOLUMNW*>(lParam);
    if (!col) return -1;
    int at = std::clamp(static_cast<int>(wParam), 0, static_cast<int>(list.columns.size()));
    Column c;
    if ((col->mask & LVCF_TEXT) && col->pszText) c.heading = col->pszText;
    if (col->mask & LVCF_FMT) c.fmt = col->fmt;
    if (col->mask & LVCF_WIDTH) c.width = col->cx;
    list.columns.insert(list.columns.begin() + at, c);
    return at;
  }
  case LVM_GETCOLUMNW: {
    auto* col = reinterpret_cast<LVCOLUMNW*>(lParam);
    auto at = static_cast<std::size_t>(wParam);
    if (!col || at >= list.columns.size()) return FALSE;
    if (col->mask & LVCF_TEXT) CopyText(list.columns[at].heading, col->pszText, col->cchTextMax);
    if (col->mask & LVCF_FMT) col->fmt = list.columns[at].fmt;
    if (col->mask & LVCF_WIDTH) col->cx = list.columns[at].width;
    if (col->mask & LVCF_SUBITEM) col->iSubItem = static_cast<int>(at);
    return TRUE;
  }
  case LVM_INSERTITEMW: {
    auto* item = reinterpret_cast<const LVITEMW*>(lParam);
    if (!item || item->iSubItem != 0) return -1;
    int at = std::clamp(item->iItem, 0, count);
    Row row;
    row.cells.emplace_back((item->mask & LVIF_TEXT) && item->pszText ? item->pszText : L"");
    if (item->mask & LVIF_STATE) row.state = item->state & item->stateMask;
    if (item->mask & LVIF_PARAM) row.param = item->lParam;
    list.rows.insert(list.rows.begin() + at, row);
    return at;
  }
  case LVM_SETITEMTEXTW: {
    auto* item = reinterpret_cast<const LVITEMW*>(lParam);
    int r = static_cast<int>(wParam);
    if (!item || r < 0 || r >= count || item->iSubItem < 0) return FALSE;
    auto& cells = list.rows[static_cast<std::size_t>(r)].cells;
    auto sub = static_cast<std::size_t>(item->iSubItem);
    if (cells.size() <= sub) cells.resize(sub + 1);
    cells[sub] = item->pszText ? item->pszText : L"";
    return TRUE;
  }
  case LVM_GETITEMTEXTW: {
    auto* item = reinterpret_cast<LVITEMW*>(lParam);
    int r = static_cast<int>(wParam);
    if (!item) return 0;
    std::wstring text;
    if (r >= 0 && r < count && item->iSubItem >= 0) {
      auto& cells = list.rows[static_cast<std::size_t>(r)].cells;
      auto sub = static_cast<std::size_t>(item->iSubItem);
      if (sub < cells.size()) text = cells[sub];
    }
    return CopyText(text, item->pszText, item->cchTextMax);
  }
  case LVM_SETITEMSTATE: {
    auto* item = reinterpret_cast<const LVITEMW*>(lParam);
    if (!item) return FALSE;
    int r = static_cast<int>(wParam);
    if (r == -1) {
      for (std::size_t i = 0; i < list.rows.size(); ++i)
        SetRowState(hwnd, list, static_cast<int>(i), item->state, item->stateMask);
      return TRUE;
    }
    if (r < 0 || r >= count) return FALSE;
    SetRowState(hwnd, list, r, item->state, item->stateMask);
    return TRUE;
  }
  case LVM_GETITEMSTATE: {
    int r = static_cast<int>(wParam);
    if (r < 0 || r >= count) return 0;
    return static_cast<LRESULT>(list.rows[static_cast<std::size_t>(r)].state &
                                static_cast<UINT>(lParam));
  }
  case LVM_GETSELECTEDCOUNT:
    return std::count_if(list.rows.begin(), list.rows.end(),
                         [](const Row& r) { return (r.state & LVIS_SELECTED) != 0; });
  case LVM_GETNEXTITEM: {
    int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
    UINT flags = static_cast<UINT>(lParam);
    for (int i = std::max(0, start + 1); i < count; ++i) {
      if (!(flags & LVNI_SELECTED) ||
          (list.rows[static_cast<std::size_t>(i)].state & LVIS_SELECTED))
        return i;
    }
    return -1;
  }
  case LVM_DELETEITEM: {
    int r = static_cast<int>(wParam);
    if (r < 0 || r >= count) return FALSE;
    list.rows.erase(list.rows.begin() + r);
    return TRUE;
  }
  case LVM_DELETEALLITEMS:
    list.rows.clear();
    return TRUE;
  case LVM_GETEXTENDEDLISTVIEWSTYLE:
    return static_cast<LRESULT>(list.ex_style);
  case LVM_SETEXTENDEDLISTVIEWSTYLE: {
    DWORD old = list.ex_style;
    DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
    list.ex_style = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
    return static_cast<LRESULT>(old);
  }
  default:
    return 0;
  }
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

namespace kyrel::platform {

WNDPROC BuiltInControlProc(const std::wstring& class_name) {
  if (EqualsNoCase(class_name, WC_BUTTONW)) return ButtonProc;
  if (EqualsNoCase(class_name, PROGRESS_CLASSW)) return ProgressProc;
  if (EqualsNoCase(class_name, WC_LISTVIEWW)) return ListViewProc;
  if (EqualsNoCase(class_name, WC_STATICW)) return StaticProc;
  return nullptr;
}

void ListViewClick(HWND list, int row, int column, bool extend) {
  if (!IsWindow(list)) return;
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  bool single = (GetWindowLongPtrW(list, GWL_STYLE) & LVS_SINGLESEL) != 0;
  LVITEMW item;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (!extend || single) {
    for (int i = 0; i < count; ++i) {
      if (i == row) continue;
      item.state = 0;
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  }
  if (row >= 0 && row < count) {
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  NMITEMACTIVATE nm;
  nm.hdr.code = NM_CLICK;
  nm.iItem = row;
  nm.iSubItem = column;
  NotifyParent(list, nm.hdr);
}

void ListViewDoubleClick(HWND list, int row, int column) {
  if (!IsWindow(list)) return;
  ListViewClick(list, row, column, false);
  if (!IsWindow(list)) return; // a handler may have closed it
  NMITEMACTIVATE nm;
  nm.hdr.code = NM_DBLCLK;
  nm.iItem = row;
  nm.iSubItem = column;
  NotifyParent(list, nm.hdr);
}

int ListViewColumnCount(HWND list) {
  if (!IsWindow(list) || !EqualsNoCase(WindowClass(list), WC_LISTVIEWW)) return 0;
  return static_cast<int>(StateOf<ListState>(list).columns.size());
}

std::wstring ListViewColumnHeading(HWND list, int column) {
  wchar_t buffer[256] = {};
  LVCOLUMNW col;
  col.mask = LVCF_TEXT;
  col.pszText = buffer;
  col.cchTextMax = 256;
  if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                    reinterpret_cast<LPARAM>(&col)))
    return {};
  return buffer;
}

std::wstring ListViewCellText(HWND list, int row, int column) {
  std::vector<wchar_t> buffer(1024, 0);
  LVITEMW item;
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer.data();
}

} // namespace kyrel::platform
