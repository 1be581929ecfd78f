#include "mfc_app.h"

#include <map>
#include <mutex>

#include "mfc_window.h"

namespace {

std::mutex& StateLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::map<HMODULE, AFX_MODULE_STATE*>& States() {
  static auto* states = new std::map<HMODULE, AFX_MODULE_STATE*>;
  return *states;
}

AFX_MODULE_STATE* StateForModule(HMODULE module) {
  std::lock_guard<std::mutex> lock(StateLock());
  AFX_MODULE_STATE*& state = States()[module];
  if (!state) {
    state = new AFX_MODULE_STATE; // per module, for the life of the process
    state->m_hCurrentInstanceHandle = module;
    state->m_hCurrentResourceHandle = module;
  }
  return state;
}

thread_local AFX_MODULE_STATE* t_current = nullptr;

} // namespace

AFX_MODULE_STATE* AfxModuleStateFor(const void* address) {
  return StateForModule(KyrelModuleFromAddress(address));
}

AFX_MODULE_STATE* AfxGetModuleState() {
  if (!t_current) t_current = StateForModule(GetModuleHandleW(nullptr));
  return t_current;
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state) {
  AFX_MODULE_STATE* previous = AfxGetModuleState();
  if (state) t_current = state;
  return previous;
}

HINSTANCE AfxGetInstanceHandle() {
  return AfxGetModuleState()->m_hCurrentInstanceHandle;
}
HINSTANCE AfxGetResourceHandle() {
  return AfxGetModuleState()->m_hCurrentResourceHandle;
}
void AfxSetResourceHandle(HINSTANCE instance) {
  AfxGetModuleState()->m_hCurrentResourceHandle = instance;
}
CWinApp* AfxGetApp() {
  return AfxGetModuleState()->m_pCurrentWinApp;
}

CWnd* AfxGetMainWnd() {
  CWinApp* app = AfxGetApp();
  return app ? app->m_pMainWnd : nullptr;
}

BOOL AfxEnableControlContainer() {
  return TRUE;
}

IMPLEMENT_DYNAMIC(CWinApp, CObject)

CWinApp::CWinApp(LPCWSTR app_name) : app_name_(app_name) {
  m_pszAppName = app_name ? app_name_.GetString() : nullptr;
  AFX_MODULE_STATE* state = AfxModuleStateFor(this);
  m_hInstance = state->m_hCurrentInstanceHandle;
  std::lock_guard<std::mutex> lock(StateLock());
  if (!state->m_pCurrentWinApp) state->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
  AFX_MODULE_STATE* state = AfxModuleStateFor(this);
  std::lock_guard<std::mutex> lock(StateLock());
  if (state->m_pCurrentWinApp == this) state->m_pCurrentWinApp = nullptr;
}

BOOL CWinApp::InitInstance() {
  return TRUE;
}
int CWinApp::ExitInstance() {
  return 0;
}

void CWinApp::SetRegistryKey(LPCWSTR company) {
  registry_key_ = company;
  m_pszRegistryKey = company ? registry_key_.GetString() : nullptr;
}

namespace kyrel::platform {
CWinApp* ModuleApplication(HMODULE module) {
  if (!module) return nullptr;
  return StateForModule(module)->m_pCurrentWinApp;
}
} // namespace kyrel::platform
