#pragma once
// Headless windows: a window is a record with a class, a procedure, a
// parent, an id, text, a rectangle in pixels and a visible flag. Nothing is
// drawn; the records exist so that dialogs, controls and dock bars keep
// their state, receive messages and can be inspected by the host's commands.
// Windows belong to the UI thread; only IsWindow may be asked from others.

#include <string>
#include <vector>

#include "win_messages.h"
#include "win_types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOW = 5;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;
constexpr int GWLP_ID = -12;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Built-in window classes (names compare without regard to case).
#define WC_BUTTONW L"Button"
#define WC_STATICW L"Static"
#define PROGRESS_CLASSW L"msctls_progress32"
#define WC_LISTVIEWW L"SysListView32"
#define WC_DIALOGW L"#32770"

struct WNDCLASSW {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  void* hbrBackground = nullptr;
  LPCWSTR lpszMenuName = nullptr;
  LPCWSTR lpszClassName = nullptr;
};
ATOM RegisterClassW(const WNDCLASSW* window_class);

// `menu_or_id` is the control id for child windows. The window receives
// WM_CREATE before this returns (a result of -1 destroys it again).
HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu_or_id,
                     HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY, destroys the children first, drops queued messages and
// timers of the window; its handle is dead afterwards.
BOOL DestroyWindow(HWND hwnd);
// Safe from any thread and for any value, including dead handles.
BOOL IsWindow(HWND hwnd);

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);

HWND GetParent(HWND hwnd);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
// Moves and sizes the window (pixels, relative to its parent) and sends it
// WM_SIZE with the new client size.
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL ShowWindow(HWND hwnd, int command);
BOOL IsWindowVisible(HWND hwnd);
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
BOOL GetClientRect(HWND hwnd, LPRECT rect);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int max_count);
int GetWindowTextLengthW(HWND hwnd);
int GetClassNameW(HWND hwnd, LPWSTR buffer, int max_count);
BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
HWND SetFocus(HWND hwnd);

// Cursors: the current cursor is recorded so that it can be inspected.
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
#define LoadCursor LoadCursorW
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

namespace kyrel::platform {

// The children of a window, in creation order.
std::vector<HWND> ChildWindows(HWND parent);
std::wstring WindowText(HWND hwnd);
std::wstring WindowClass(HWND hwnd);
// Private per-window storage that the built-in controls keep their state in;
// the deleter runs when the window is destroyed.
void* ControlData(HWND hwnd);
void SetControlData(HWND hwnd, void* data, void (*deleter)(void*));
// The id a cursor handle was loaded from (32650 for IDC_APPSTARTING), 0 if none.
int CursorId(HCURSOR cursor);

} // namespace kyrel::platform
