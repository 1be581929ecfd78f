// The library's MFC application object. The host's module loader finds it
// through the module that holds it; the service itself reads nothing from
// it (and nothing from the registry key it names).

#include "afxwin.h"

namespace {

class CDisplayApp : public CWinApp {
public:
  CDisplayApp() : CWinApp(L"Tarvik.Vantrel\\1.0") { SetRegistryKey(L"TarvikCAD"); }
};

CDisplayApp s_display_app;

} // namespace
