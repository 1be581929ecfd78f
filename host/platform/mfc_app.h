#pragma once
// MFC application objects and module state.
//
// Every module (executable or library) has one AFX_MODULE_STATE, found by
// its load address. A CWinApp constructed as a static object of a module
// becomes that module's application; the host's plug-in loader runs its
// InitInstance after loading the module. AFX_MANAGE_STATE switches the
// current thread to a module's state for the rest of the scope, so that
// resource lookups (dialog templates, embedded files) use that module.

#include "mfc_object.h"
#include "mfc_string.h"
#include "win_modules.h"

class CWinApp;
class CWnd;

struct AFX_MODULE_STATE {
  HINSTANCE m_hCurrentInstanceHandle = nullptr;
  HINSTANCE m_hCurrentResourceHandle = nullptr;
  CWinApp* m_pCurrentWinApp = nullptr;
};

// The state of the module that holds `address`; made on first use, lives
// for the process.
AFX_MODULE_STATE* AfxModuleStateFor(const void* address);
// The current thread's state (the executable's unless switched).
AFX_MODULE_STATE* AfxGetModuleState();
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

namespace {
// The calling module's own state. Internal linkage on purpose: every module
// that includes this header gets its own copy, whose anchor lies in it.
[[maybe_unused]] inline AFX_MODULE_STATE* AfxGetStaticModuleState() {
  static const char anchor = 0;
  return AfxModuleStateFor(&anchor);
}
} // namespace

struct AFX_MAINTAIN_STATE2 {
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : previous_(AfxSetModuleState(state)) {}
  ~AFX_MAINTAIN_STATE2() { AfxSetModuleState(previous_); }
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
  AFX_MODULE_STATE* previous_;
};
#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE2 _ctlState(state)

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
CWinApp* AfxGetApp();
// The current thread's main window, or null when it has none.
CWnd* AfxGetMainWnd();
BOOL AfxEnableControlContainer();

class CWinApp : public CObject {
  DECLARE_DYNAMIC(CWinApp)
public:
  explicit CWinApp(LPCWSTR app_name = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  virtual int ExitInstance();

  // The registry key profile settings would go under ("Software\<key>\...").
  void SetRegistryKey(LPCWSTR company);

  LPCWSTR m_pszAppName = nullptr;     // owned copy
  LPCWSTR m_pszRegistryKey = nullptr; // owned copy, null until set
  HINSTANCE m_hInstance = nullptr;    // the module that holds this object
  CWnd* m_pMainWnd = nullptr;

private:
  CString app_name_;
  CString registry_key_;
};

namespace kyrel::platform {
// The application object of a module, or null; for the plug-in loader.
CWinApp* ModuleApplication(HMODULE module);
} // namespace kyrel::platform
