// A module that carries embedded files and a version record, and an
// application object, for the module tests.
#include "afxwin.h"

namespace {
CWinApp g_app(L"Sample\\1.0");
}

extern "C" __attribute__((visibility("default"))) HMODULE TestModuleHandle() {
  return KyrelModuleFromAddress(&g_app);
}

extern "C" __attribute__((visibility("default"))) const wchar_t* TestModuleResourceText() {
  // Looks the file up through this module's own state, as a plug-in does.
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  HRSRC r = FindResourceW(AfxGetResourceHandle(), L"sample.RUI", L"file");
  return r ? L"found" : L"missing";
}
