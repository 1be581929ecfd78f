// The "Interferences" panel in a host session with the plug-in loaded: made
// at load, the window the clash worker posts to while it lives and never
// after, a thin strip when docked at the top.
#include "conduit/kyrel_conduit.h"
#include "interfere/kyrel_dock_bar.h"
#include "interfere/progress_message.h"
#include "plugin_fixture.h"

namespace {

class InterferePanel : public PlugInTest {};

// The window's own visibility, whether or not the hidden panel shows it.
bool Shown(const CWnd& wnd) {
  return (GetWindowLongPtrW(wnd.m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(InterferePanel, LivesFromLoadToHostExitAndTakesItsWindowAlong) {
  ASSERT_NE(StartWithPlugIn(), nullptr);
  CKyrelDockBar* bar = CKyrelDockBar::Instance;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(RhinoUiDockBarManager().FindDockBar(L"Interferences"), bar);
  ASSERT_TRUE(IsWindow(bar->m_dlg.m_hWnd));
  EXPECT_EQ(ProgressWindow(), bar->m_dlg.m_hWnd);
  EXPECT_EQ(s_pProgressDlg, &bar->m_dlg);

  // Docked at the top: 38 pixels high on this host version, list hidden.
  ASSERT_TRUE(RhinoUiDockBarManager().DockDockBar(CKyrelDockBar::Uuid(), AFX_IDW_DOCKBAR_TOP));
  RECT strip{};
  ::GetClientRect(bar->m_hWnd, &strip);
  EXPECT_EQ(strip.bottom - strip.top, 38);
  EXPECT_FALSE(Shown(bar->m_dlg.m_list));
  ASSERT_TRUE(RhinoUiDockBarManager().DockDockBar(CKyrelDockBar::Uuid(), AFX_IDW_DOCKBAR_LEFT));
  EXPECT_TRUE(Shown(bar->m_dlg.m_list));

  // Detection on, then the host exits while it is on: the worker must find
  // no window to post to once the panel has gone.
  ASSERT_TRUE(Run(L"Box 0,0,0 10,10,10 Box 5,5,5 15,15,15 kyInterfere"));
  EXPECT_TRUE(CKyrelConduit::Instance()->IsInterfereEnabled());
  StopSession();
  EXPECT_EQ(CKyrelDockBar::Instance, nullptr);
  EXPECT_EQ(s_pProgressDlg, nullptr);
  EXPECT_EQ(ProgressWindow(), nullptr);
  CKyrelConduit::Instance()->EnableInterfere(false, false);
}

} // namespace
