#pragma once
// CWnd and message maps.
//
// A CWnd is attached to a window of this layer; messages for the window go
// to the CWnd's WindowProc, which looks the message up in the class's
// message map and its bases' maps, and otherwise calls the window's
// original procedure. Map entries name handlers as member pointers:
//
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//     ON_REGISTERED_MESSAGE(g_progress_message, &CMyDlg::OnProgress)
//     ON_WM_TIMER()
//     ON_BN_CLICKED(IDCANCEL, &CMyDlg::OnBnClickedCancel)
//     ON_NOTIFY(LVN_ITEMCHANGED, 1001, &CMyDlg::OnItemChanged)
//   END_MESSAGE_MAP()

#include <map>

#include "mfc_object.h"
#include "mfc_string.h"
#include "win_controls.h"
#include "win_windows.h"

#define afx_msg

class CWnd;

struct AFX_MSGMAP_ENTRY {
  UINT nMessage; // 0 with pnRegisteredMessage set: a registered message
  UINT nCode;    // WM_COMMAND notification code or WM_NOTIFY code
  UINT nID;      // control id for WM_COMMAND / WM_NOTIFY; 0 otherwise
  const UINT* pnRegisteredMessage;
  LRESULT (*pfn)(CWnd* self, WPARAM wParam, LPARAM lParam); // null ends the map
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)(); // null at the root
  const AFX_MSGMAP_ENTRY* lpEntries;
};

class CSize : public SIZE {
public:
  CSize() = default;
  CSize(int width, int height) {
    cx = width;
    cy = height;
  }
  friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

class CPoint : public POINT {
public:
  CPoint() = default;
  CPoint(int x0, int y0) {
    x = x0;
    y = y0;
  }
};

class CRect : public RECT {
public:
  CRect() = default;
  CRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  operator LPRECT() { return this; }        // NOLINT
  operator LPCRECT() const { return this; } // NOLINT
};

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
public:
  CCmdTarget() = default;
};

class CDataExchange;

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)
public:
  CWnd();
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; } // NOLINT
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The CWnd attached to `hwnd`, or a temporary one kept until the window
  // is destroyed; null for null or a dead handle.
  static CWnd* FromHandle(HWND hwnd);
  static CWnd* FromHandlePermanent(HWND hwnd);

  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Routes the window's messages through this CWnd (DDX_Control uses it).
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);

  virtual BOOL CreateEx(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name, DWORD style,
                        const RECT& rect, CWnd* parent, UINT id, LPVOID param = nullptr);
  virtual BOOL DestroyWindow();

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc);
  BOOL KillTimer(UINT_PTR id);

  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  void GetClientRect(LPRECT rect) const;
  void GetWindowRect(LPRECT rect) const;
  void SetWindowText(LPCWSTR text);
  void GetWindowText(CString& text) const;
  BOOL UpdateData(BOOL save_and_validate = TRUE);

protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void DoDataExchange(CDataExchange* pDX);
  // Called after the window is gone; the object may delete itself here.
  virtual void PostNcDestroy() {}
  LRESULT Default();

  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Default handlers that derived handlers call as their base's.
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hit_test, UINT message);
  afx_msg void OnDestroy();

  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);

private:
  WNDPROC super_ = nullptr; // the window's procedure before we took it over
  const MSG* current_ = nullptr;
  bool temporary_ = false;
};

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class CDataExchange {
public:
  CDataExchange(CWnd* dialog, BOOL save_and_validate)
      : m_bSaveAndValidate(save_and_validate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Binds `control` to the dialog's child with that id (once).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
  static const AFX_MSGMAP* GetThisMessageMap();                                                    \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
  const AFX_MSGMAP* theClass::GetMessageMap() const {                                              \
    return GetThisMessageMap();                                                                    \
  }                                                                                                \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                                \
    using ThisClass = theClass;                                                                    \
    using TheBaseClass = baseClass;                                                                \
    static_assert(sizeof(ThisClass) > 0 && sizeof(TheBaseClass) > 0);                              \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
  { 0, 0, 0, nullptr, nullptr }                                                                    \
  }                                                                                                \
  ;                                                                                                \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};    \
  return &messageMap;                                                                              \
  }

#define ON_MESSAGE(message, memberFxn)                                                             \
  {message, 0, 0, nullptr, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                          \
     return (static_cast<ThisClass*>(w)->*(memberFxn))(wp, lp);                                    \
   }},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                         \
  {0, 0, 0, &(nMessageVariable), [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                    \
     return (static_cast<ThisClass*>(w)->*(memberFxn))(wp, lp);                                    \
   }},
#define ON_COMMAND(id, memberFxn)                                                                  \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), nullptr,                                         \
   [](CWnd* w, WPARAM, LPARAM) -> LRESULT {                                                        \
     (static_cast<ThisClass*>(w)->*(memberFxn))();                                                 \
     return 0;                                                                                     \
   }},
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
  {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), nullptr,                      \
   [](CWnd* w, WPARAM, LPARAM lp) -> LRESULT {                                                     \
     LRESULT result = 0;                                                                           \
     (static_cast<ThisClass*>(w)->*(memberFxn))(reinterpret_cast<NMHDR*>(lp), &result);            \
     return result;                                                                                \
   }},
#define ON_WM_TIMER()                                                                              \
  {WM_TIMER, 0, 0, nullptr, [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT {                            \
     static_cast<ThisClass*>(w)->OnTimer(static_cast<UINT_PTR>(wp));                               \
     return 0;                                                                                     \
   }},
#define ON_WM_SIZE()                                                                               \
  {WM_SIZE, 0, 0, nullptr, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                          \
     static_cast<ThisClass*>(w)->OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));            \
     return 0;                                                                                     \
   }},
#define ON_WM_SETCURSOR()                                                                          \
  {WM_SETCURSOR, 0, 0, nullptr, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                     \
     return static_cast<ThisClass*>(w)->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wp)),  \
                                                    LOWORD(lp), HIWORD(lp));                       \
   }},
#define ON_WM_DESTROY()                                                                            \
  {WM_DESTROY, 0, 0, nullptr, [](CWnd* w, WPARAM, LPARAM) -> LRESULT {                             \
     static_cast<ThisClass*>(w)->OnDestroy();                                                      \
     return 0;                                                                                     \
   }},
