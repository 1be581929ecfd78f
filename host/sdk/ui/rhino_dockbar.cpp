#include "rhino_dockbar.h"

#include "win_strings.h"

IMPLEMENT_DYNAMIC(CRhinoUiDockBar, CWnd)

CRhinoUiDockBar::CRhinoUiDockBar() = default;
CRhinoUiDockBar::~CRhinoUiDockBar() = default;

CSize CRhinoUiDockBar::OnCalcFixedLayout(CSize size, BOOL, BOOL) {
  return size;
}
CSize CRhinoUiDockBar::OnCalcDynamicLayout(CSize size, int, DWORD) {
  return size;
}

namespace {
DWORD SideBit(DWORD row) {
  switch (row) {
  case AFX_IDW_DOCKBAR_TOP:
    return CBRS_ALIGN_TOP;
  case AFX_IDW_DOCKBAR_LEFT:
    return CBRS_ALIGN_LEFT;
  case AFX_IDW_DOCKBAR_RIGHT:
    return CBRS_ALIGN_RIGHT;
  case AFX_IDW_DOCKBAR_BOTTOM:
    return CBRS_ALIGN_BOTTOM;
  case AFX_IDW_DOCKBAR_FLOAT:
    return CBRS_ALIGN_ANY; // floating is always allowed
  default:
    return 0;
  }
}
} // namespace

CRhinoUiDockBarManager& RhinoUiDockBarManager() {
  static auto* manager = new CRhinoUiDockBarManager;
  return *manager;
}

CRhinoUiDockBar* CRhinoUiDockBarManager::CreateRhinoDockBar(CRuntimeClass* bar_class,
                                                            const ON_UUID& id, bool bCreateFloating,
                                                            DWORD dock_row, DWORD allowed_sides,
                                                            const POINT*, DWORD style) {
  if (!bar_class || !bar_class->IsDerivedFrom(RUNTIME_CLASS(CRhinoUiDockBar)) || FindDockBar(id))
    return nullptr;
  std::unique_ptr<CObject> made(bar_class->CreateObject());
  auto* bar = dynamic_cast<CRhinoUiDockBar*>(made.get());
  if (!bar) return nullptr;
  made.release();
  Entry entry;
  entry.bar.reset(bar);
  entry.allowed = allowed_sides ? allowed_sides : CBRS_ALIGN_ANY;
  bar->m_id = id;
  bar->m_style = style;
  bar->m_position = bCreateFloating || SideBit(dock_row) == 0 ? AFX_IDW_DOCKBAR_FLOAT : dock_row;
  if (!bar->CreateEx(0, nullptr, bar->DockBarName(1033), WS_CHILD, RECT{0, 0, 260, 420}, nullptr,
                     0))
    return nullptr;
  if (!bar->CreateDockBarControls()) return nullptr;
  m_bars.push_back(std::move(entry));
  Layout(bar);
  return bar;
}

void CRhinoUiDockBarManager::Layout(CRhinoUiDockBar* bar) {
  if (!bar || !bar->m_hWnd) return;
  CSize size;
  switch (bar->m_position) {
  case AFX_IDW_DOCKBAR_TOP:
  case AFX_IDW_DOCKBAR_BOTTOM:
    size = bar->OnCalcFixedLayout(CSize(640, bar->InitialSizeDockedHorz().cy), TRUE, TRUE);
    break;
  case AFX_IDW_DOCKBAR_FLOAT:
    size = bar->OnCalcDynamicLayout(CSize(300, 300), -1, 0);
    break;
  default:
    size = bar->OnCalcDynamicLayout(CSize(260, 420), -1, 0);
    break;
  }
  ::MoveWindow(bar->m_hWnd, 0, 0, size.cx, size.cy, TRUE);
  for (HWND child : kyrel::platform::ChildWindows(bar->m_hWnd)) {
    if (bar->m_pDockBarChild && bar->m_pDockBarChild->m_hWnd != child) continue;
    ::MoveWindow(child, 0, 0, size.cx, size.cy, TRUE);
  }
}

bool CRhinoUiDockBarManager::ShowDockBar(const ON_UUID& id, bool bShow, bool) {
  CRhinoUiDockBar* bar = FindDockBar(id);
  if (!bar) return false;
  if (bar->m_bVisible == bShow) return true;
  bar->m_bVisible = bShow;
  if (bar->m_hWnd) ::ShowWindow(bar->m_hWnd, bShow ? SW_SHOW : SW_HIDE);
  bar->OnShowDockBar(bShow);
  return true;
}

bool CRhinoUiDockBarManager::DockDockBar(const ON_UUID& id, DWORD dock_row) {
  for (auto& e : m_bars) {
    if (e.bar->m_id != id) continue;
    DWORD side = SideBit(dock_row);
    if (side == 0 || (dock_row != AFX_IDW_DOCKBAR_FLOAT && !(e.allowed & side))) return false;
    e.bar->m_position = dock_row;
    e.bar->OnDockBarPositionChanged(dock_row);
    Layout(e.bar.get());
    return true;
  }
  return false;
}

bool CRhinoUiDockBarManager::CloseDockBar(const ON_UUID& id) {
  CRhinoUiDockBar* bar = FindDockBar(id);
  if (!bar || !bar->CanClose()) return false;
  return ShowDockBar(id, false, false);
}

CRhinoUiDockBar* CRhinoUiDockBarManager::FindDockBar(const ON_UUID& id) const {
  for (const auto& e : m_bars)
    if (e.bar->m_id == id) return e.bar.get();
  return nullptr;
}

CRhinoUiDockBar* CRhinoUiDockBarManager::FindDockBar(const wchar_t* name) const {
  if (!name) return nullptr;
  for (const auto& e : m_bars) {
    const wchar_t* bar_name = e.bar->DockBarName(1033);
    if (bar_name && kyrel::platform::EqualsNoCase(bar_name, name)) return e.bar.get();
  }
  return nullptr;
}

std::vector<CRhinoUiDockBar*> CRhinoUiDockBarManager::DockBars() const {
  std::vector<CRhinoUiDockBar*> out;
  for (const auto& e : m_bars)
    out.push_back(e.bar.get());
  return out;
}

void CRhinoUiDockBarManager::DestroyAllDockBars() {
  while (!m_bars.empty()) {
    std::unique_ptr<CRhinoUiDockBar> bar = std::move(m_bars.back().bar);
    m_bars.pop_back();
    if (bar->m_hWnd) bar->DestroyWindow();
    bar.reset();
  }
}
