// Window records, their procedures and the window calls on them.

#include "win_windows.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "win_controls.h"
#include "win_strings.h"

struct HWND__ {
  std::wstring class_name;
  std::wstring text;
  WNDPROC proc = nullptr;
  HWND parent = nullptr;
  std::vector<HWND> children;
  int id = 0;
  DWORD style = 0;
  DWORD ex_style = 0;
  RECT rect; // relative to the parent
  LONG_PTR user_data = 0;
  void* control_data = nullptr;
  void (*control_deleter)(void*) = nullptr;
  bool destroying = false;
};

namespace {

std::mutex& LiveLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::unordered_set<HWND>& LiveWindows() {
  static auto* s = new std::unordered_set<HWND>;
  return *s;
}

std::map<std::wstring, WNDPROC>& ClassTable() {
  static std::map<std::wstring, WNDPROC> table;
  return table;
}

WNDPROC ProcForClass(const std::wstring& name) {
  std::wstring key = kyrel::platform::ToUpper(name);
  auto& table = ClassTable();
  auto it = table.find(key);
  if (it != table.end()) return it->second;
  return kyrel::platform::BuiltInControlProc(name);
}

HCURSOR g_cursor = nullptr;

} // namespace

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ClassTable()[kyrel::platform::ToUpper(wc->lpszClassName)] = wc->lpfnWndProc;
  return static_cast<ATOM>(0xC000 + ClassTable().size());
}

BOOL IsWindow(HWND hwnd) {
  if (!hwnd) return FALSE;
  std::lock_guard<std::mutex> lock(LiveLock());
  return LiveWindows().count(hwnd) ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu_or_id, HINSTANCE,
                     LPVOID param) {
  if (parent && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto* w = new HWND__;
  w->class_name = class_name && !IS_INTRESOURCE(class_name) ? class_name : L"";
  w->text = window_name ? window_name : L"";
  w->proc = ProcForClass(w->class_name);
  w->parent = parent;
  w->id = static_cast<int>(reinterpret_cast<UINT_PTR>(menu_or_id));
  w->style = style;
  w->ex_style = ex_style;
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  {
    std::lock_guard<std::mutex> lock(LiveLock());
    LiveWindows().insert(w);
  }
  if (parent) parent->children.push_back(w);
  if (SendMessageW(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(param)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  return w;
}

BOOL DestroyWindow(HWND hwnd) {
  if (!IsWindow(hwnd) || hwnd->destroying) return FALSE;
  hwnd->destroying = true;
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children = hwnd->children;
  for (HWND child : children)
    DestroyWindow(child);
  if (hwnd->parent && IsWindow(hwnd->parent)) {
    auto& siblings = hwnd->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
  }
  kyrel::platform::ForgetWindowMessages(hwnd);
  {
    std::lock_guard<std::mutex> lock(LiveLock());
    LiveWindows().erase(hwnd);
  }
  if (hwnd->control_deleter) hwnd->control_deleter(hwnd->control_data);
  delete hwnd;
  return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  WNDPROC proc = hwnd->proc ? hwnd->proc : DefWindowProcW;
  return proc(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd)) return 0;
  switch (message) {
  case WM_SETTEXT:
    hwnd->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
    return TRUE;
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(hwnd->text.size());
  case WM_GETTEXT: {
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    if (!buffer || wParam == 0) return 0;
    std::size_t n = std::min<std::size_t>(hwnd->text.size(), wParam - 1);
    std::wmemcpy(buffer, hwnd->text.data(), n);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
  }
  case WM_CLOSE:
    DestroyWindow(hwnd);
    return 0;
  case WM_SETCURSOR:
    return FALSE;
  default:
    return 0;
  }
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!proc) return DefWindowProcW(hwnd, message, wParam, lParam);
  return proc(hwnd, message, wParam, lParam);
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  if (!IsWindow(hwnd)) return 0;
  switch (index) {
  case GWL_STYLE:
    return static_cast<LONG_PTR>(hwnd->style);
  case GWL_EXSTYLE:
    return static_cast<LONG_PTR>(hwnd->ex_style);
  case GWLP_WNDPROC:
    return reinterpret_cast<LONG_PTR>(hwnd->proc);
  case GWLP_USERDATA:
    return hwnd->user_data;
  case GWLP_ID:
    return hwnd->id;
  default:
    return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  if (!IsWindow(hwnd)) return 0;
  LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  switch (index) {
  case GWL_STYLE:
    hwnd->style = static_cast<DWORD>(value);
    break;
  case GWL_EXSTYLE:
    hwnd->ex_style = static_cast<DWORD>(value);
    break;
  case GWLP_WNDPROC:
    hwnd->proc = reinterpret_cast<WNDPROC>(value);
    break;
  case GWLP_USERDATA:
    hwnd->user_data = value;
    break;
  case GWLP_ID:
    hwnd->id = static_cast<int>(value);
    break;
  default:
    return 0;
  }
  return old;
}

HWND GetParent(HWND hwnd) {
  return IsWindow(hwnd) ? hwnd->parent : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
  if (!IsWindow(dialog)) return nullptr;
  for (HWND child : dialog->children)
    if (child->id == id) return child;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  return IsWindow(hwnd) ? hwnd->id : 0;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  if (!IsWindow(hwnd)) return FALSE;
  width = std::max(0, width);
  height = std::max(0, height);
  hwnd->rect = RECT{x, y, x + width, y + height};
  SendMessageW(hwnd, WM_MOVE, 0, MAKELONG(x, y));
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELONG(width, height));
  return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command) {
  if (!IsWindow(hwnd)) return FALSE;
  BOOL was_visible = (hwnd->style & WS_VISIBLE) ? TRUE : FALSE;
  bool show = command != SW_HIDE;
  if (show != static_cast<bool>(was_visible)) {
    hwnd->style = show ? (hwnd->style | WS_VISIBLE) : (hwnd->style & ~WS_VISIBLE);
    SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  }
  return was_visible;
}

BOOL IsWindowVisible(HWND hwnd) {
  for (HWND w = hwnd; w; w = w->parent) {
    if (!IsWindow(w) || !(w->style & WS_VISIBLE)) return FALSE;
  }
  return hwnd ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!IsWindow(hwnd) || !rect) return FALSE;
  *rect = hwnd->rect;
  for (HWND p = hwnd->parent; p; p = p->parent) {
    rect->left += p->rect.left;
    rect->right += p->rect.left;
    rect->top += p->rect.top;
    rect->bottom += p->rect.top;
  }
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  if (!IsWindow(hwnd) || !rect) return FALSE;
  *rect = RECT{0, 0, hwnd->rect.right - hwnd->rect.left, hwnd->rect.bottom - hwnd->rect.top};
  return TRUE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int max_count) {
  if (!IsWindow(hwnd) || !buffer || max_count <= 0) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(max_count),
                                       reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  return IsWindow(hwnd) ? static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int max_count) {
  if (!IsWindow(hwnd) || !buffer || max_count <= 0) return 0;
  std::size_t n =
      std::min<std::size_t>(hwnd->class_name.size(), static_cast<std::size_t>(max_count - 1));
  std::wmemcpy(buffer, hwnd->class_name.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

BOOL InvalidateRect(HWND hwnd, LPCRECT, BOOL) {
  return IsWindow(hwnd);
}
BOOL UpdateWindow(HWND hwnd) {
  return IsWindow(hwnd);
}
HWND SetFocus(HWND hwnd) {
  return IsWindow(hwnd) ? hwnd : nullptr;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  // The id itself serves as the handle: shared system cursors never go away.
  return reinterpret_cast<HCURSOR>(reinterpret_cast<ULONG_PTR>(name));
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = g_cursor;
  g_cursor = cursor;
  return old;
}

HCURSOR GetCursor() {
  return g_cursor;
}

namespace kyrel::platform {

std::vector<HWND> ChildWindows(HWND parent) {
  return IsWindow(parent) ? parent->children : std::vector<HWND>{};
}

std::wstring WindowText(HWND hwnd) {
  if (!IsWindow(hwnd)) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

std::wstring WindowClass(HWND hwnd) {
  return IsWindow(hwnd) ? hwnd->class_name : std::wstring();
}

void* ControlData(HWND hwnd) {
  return IsWindow(hwnd) ? hwnd->control_data : nullptr;
}

void SetControlData(HWND hwnd, void* data, void (*deleter)(void*)) {
  if (!IsWindow(hwnd)) {
    if (deleter) deleter(data);
    return;
  }
  if (hwnd->control_deleter) hwnd->control_deleter(hwnd->control_data);
  hwnd->control_data = data;
  hwnd->control_deleter = deleter;
}

int CursorId(HCURSOR cursor) {
  auto value = reinterpret_cast<ULONG_PTR>(cursor);
  return value < 0x10000 ? static_cast<int>(value) : 0;
}

} // namespace kyrel::platform
