// The "Interferences" dock bar and the calls the clash engine makes to it.

#include "interfere/kyrel_dock_bar.h"

#include "conduit/kyrel_conduit.h"
#include "interfere/panel_link.h"

CKyrelDockBar* CKyrelDockBar::Instance = nullptr;

IMPLEMENT_DYNCREATE(CKyrelDockBar, CRhinoUiDockBar)

namespace {

// The bar's rows across the top leave the contents no gap and a short
// gripper; docked elsewhere the gripper is the host's usual one.
constexpr int kTopGripperSize = 32;
constexpr int kGripperSize = 63;

} // namespace

CKyrelDockBar::CKyrelDockBar() : m_dlg(nullptr) {
  SetInitialSizeFloating(CSize(200, 40));
  SetInitialSizeDockedHorz(CSize(100, 40));
  SetInitialSizeDockedVert(CSize(200, 40));
  m_frame_top_gap = 0;
  m_pDockBarChild = &m_dlg;
}

CKyrelDockBar::~CKyrelDockBar() {
  if (Instance == this) Instance = nullptr;
}

void CKyrelDockBar::CreateDockBarInstance() {
  if (Instance) return;
  Instance = static_cast<CKyrelDockBar*>(RhinoUiDockBarManager().CreateRhinoDockBar(
      RUNTIME_CLASS(CKyrelDockBar), Uuid(), false, AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_ANY, nullptr,
      CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT | CBRS_FLYBY | CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC));
}

ON_UUID CKyrelDockBar::Uuid() {
  static const ON_UUID id = ON_UuidFromString(L"{43042AC6-38AA-4F74-BF57-CCA0A102E43F}");
  return id;
}

ON_UUID CKyrelDockBar::DockBarID() const {
  return Uuid();
}

const wchar_t* CKyrelDockBar::DockBarName(int) const {
  return L"Interferences";
}

bool CKyrelDockBar::CreateDockBarControls() {
  // The dialog's template is a resource of this library.
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return m_dlg.Create(IDD_KYREL_INTERFERE_PROGRESS, CWnd::FromHandle(m_hWnd)) != FALSE;
}

bool CKyrelDockBar::CanClose() const {
  return true;
}

void CKyrelDockBar::OnDockBarPositionChanged(DWORD position) {
  if (position == AFX_IDW_DOCKBAR_TOP) {
    m_frame_top_gap = 0;
    m_frame_gripper_size = kTopGripperSize;
  } else {
    UseSmallGripper(false);
    m_frame_gripper_size = kGripperSize;
  }
}

void CKyrelDockBar::OnShowDockBar(bool bShowDockBar) {
  // The panel is already being shown or hidden: only detection follows it.
  CKyrelConduit::Instance()->EnableInterfere(bShowDockBar, CKyrelConduit::kPanelStays);
}

CSize CKyrelDockBar::OnCalcFixedLayout(CSize size, BOOL, BOOL) {
  // Docked at the top the panel is one row of the host's toolbars high.
  if (IsDockedTop()) {
    const int version = RhinoApp().ExeVersion();
    if (version == 4)
      size.cy = 30;
    else if (version == 5)
      size.cy = 38;
  }
  return size;
}

CSize CKyrelDockBar::OnCalcDynamicLayout(CSize size, int, DWORD) {
  return size;
}

// ---- what the clash engine asks of the panel ----

bool InterferencePanelExists() {
  return CKyrelDockBar::Instance != nullptr;
}

bool InterferencePanelHasWindow() {
  return CKyrelDockBar::Instance && IsWindow(CKyrelDockBar::Instance->m_dlg.m_hWnd);
}

void ShowInterferencePanel(bool bShow) {
  if (CKyrelDockBar::Instance)
    RhinoUiDockBarManager().ShowDockBar(CKyrelDockBar::Uuid(), bShow, false);
}

void ResetInterferencePanel(int total) {
  if (CKyrelDockBar::Instance) CKyrelDockBar::Instance->m_dlg.UpdateProgress(0, total);
}
