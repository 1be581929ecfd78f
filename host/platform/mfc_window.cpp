// CWnd: attachment of objects to windows and message-map dispatch.

#include "mfc_window.h"

#include <memory>
#include <unordered_map>

namespace {

std::unordered_map<HWND, CWnd*>& Permanent() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}
std::unordered_map<HWND, std::unique_ptr<CWnd>>& Temporary() {
  static std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
  return map;
}
thread_local CWnd* t_creating = nullptr;

void DropDeadTemporaries() {
  auto& temp = Temporary();
  for (auto it = temp.begin(); it != temp.end();) {
    if (!IsWindow(it->first)) {
      it->second->m_hWnd = nullptr;
      it = temp.erase(it);
    } else {
      ++it;
    }
  }
}

bool Matches(const AFX_MSGMAP_ENTRY& e, UINT message, WPARAM wParam, LPARAM lParam) {
  if (e.pnRegisteredMessage)
    return *e.pnRegisteredMessage != 0 && *e.pnRegisteredMessage == message;
  if (e.nMessage != message) return false;
  if (message == WM_COMMAND) return e.nCode == HIWORD(wParam) && e.nID == LOWORD(wParam);
  if (message == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    return hdr && e.nCode == hdr->code && e.nID == hdr->idFrom;
  }
  return true;
}

} // namespace

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd && !temporary_ && Permanent().count(m_hWnd) && Permanent()[m_hWnd] == this) {
    HWND hwnd = m_hWnd;
    ::DestroyWindow(hwnd);
    Permanent().erase(hwnd);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  auto it = Permanent().find(hwnd);
  return it == Permanent().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  if (CWnd* w = FromHandlePermanent(hwnd)) return w;
  DropDeadTemporaries();
  auto& slot = Temporary()[hwnd];
  if (!slot) {
    slot = std::make_unique<CWnd>();
    slot->m_hWnd = hwnd;
    slot->temporary_ = true;
  }
  return slot.get();
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!IsWindow(hwnd) || m_hWnd) return FALSE;
  m_hWnd = hwnd;
  Permanent()[hwnd] = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    auto it = Permanent().find(hwnd);
    if (it != Permanent().end() && it->second == this) Permanent().erase(it);
  }
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  super_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (super_ == &AfxWndProc) super_ = nullptr;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

BOOL CWnd::CreateEx(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, LPVOID param) {
  if (m_hWnd) return FALSE;
  // The window's messages, WM_CREATE included, must already reach this
  // object; the procedure picks it up from here on its first message.
  CWnd* previous = t_creating;
  t_creating = this;
  static const bool registered = [] {
    WNDCLASSW wc;
    wc.lpfnWndProc = &AfxWndProc;
    wc.lpszClassName = L"KyrelAfxWnd";
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  HWND hwnd = ::CreateWindowExW(ex_style, class_name && *class_name ? class_name : L"KyrelAfxWnd",
                                window_name, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, param);
  t_creating = previous;
  if (!hwnd) return FALSE;
  if (!m_hWnd) {
    // A built-in class that never called AfxWndProc: take it over now.
    SubclassWindow(hwnd);
  } else if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&AfxWndProc)) {
    super_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  }
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) {
  return m_hWnd ? ::SetTimer(m_hWnd, id, elapse, proc) : 0;
}
BOOL CWnd::KillTimer(UINT_PTR id) {
  return ::KillTimer(m_hWnd, id);
}
CWnd* CWnd::GetParent() const {
  return FromHandle(::GetParent(m_hWnd));
}
CWnd* CWnd::GetDlgItem(int id) const {
  return FromHandle(::GetDlgItem(m_hWnd, id));
}
int CWnd::GetDlgCtrlID() const {
  return ::GetDlgCtrlID(m_hWnd);
}
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  if (rect)
    ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 repaint);
}
BOOL CWnd::ShowWindow(int command) {
  return ::ShowWindow(m_hWnd, command);
}
BOOL CWnd::IsWindowVisible() const {
  return ::IsWindowVisible(m_hWnd);
}
void CWnd::GetClientRect(LPRECT rect) const {
  if (rect && !::GetClientRect(m_hWnd, rect)) *rect = RECT{};
}
void CWnd::GetWindowRect(LPRECT rect) const {
  if (rect && !::GetWindowRect(m_hWnd, rect)) *rect = RECT{};
}
void CWnd::SetWindowText(LPCWSTR text) {
  ::SetWindowTextW(m_hWnd, text);
}
void CWnd::GetWindowText(CString& text) const {
  text = kyrel::platform::WindowText(m_hWnd);
}

BOOL CWnd::UpdateData(BOOL save_and_validate) {
  if (!m_hWnd) return FALSE;
  CDataExchange dx(this, save_and_validate);
  DoDataExchange(&dx);
  return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}
const AFX_MSGMAP* CWnd::GetMessageMap() const {
  return GetThisMessageMap();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
      if (Matches(*e, message, wParam, lParam)) {
        LRESULT r = e->pfn(this, wParam, lParam);
        if (result) *result = r;
        return TRUE;
      }
    }
  }
  return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (super_) return ::CallWindowProcW(super_, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  if (!current_) return 0;
  return DefWindowProc(current_->message, current_->wParam, current_->lParam);
}

void CWnd::OnTimer(UINT_PTR) {
  Default();
}
void CWnd::OnSize(UINT, int, int) {
  Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
  return static_cast<BOOL>(Default());
}
void CWnd::OnDestroy() {
  Default();
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd && t_creating && !t_creating->m_hWnd) {
    wnd = t_creating;
    wnd->Attach(hwnd);
  }
  if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  MSG msg;
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  const MSG* previous = wnd->current_;
  wnd->current_ = &msg;
  LRESULT result = wnd->WindowProc(message, wParam, lParam);
  wnd->current_ = previous;
  if (message == WM_DESTROY) {
    // The window is going away: the object outlives it, detached.
    WNDPROC super = wnd->super_;
    wnd->Detach();
    wnd->super_ = nullptr;
    if (super) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    wnd->PostNcDestroy();
  }
  return result;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (!pDX || !pDX->m_pDlgWnd || control.m_hWnd) return;
  HWND child = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
  if (child) control.SubclassWindow(child);
}
