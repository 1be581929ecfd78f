// The "Interferences" panel in a host session with the plug-in loaded: made
// at load, the window the clash worker posts to while it lives and never
// after, a thin strip when docked at the top, and empty after Cancel even
// when the worker finishes a row after it.
#include <chrono>
#include <cmath>

#include "conduit/kyrel_conduit.h"
#include "interfere/kyrel_dock_bar.h"
#include "interfere/progress_message.h"
#include "plugin_fixture.h"
#include "support/test_meshes.h"

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

// Waits for a state another thread brings about; false past the deadline.
template <class Condition> bool WaitUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(1);
  }
  return true;
}

TEST_F(InterferePanel, CancelDuringALongRowLeavesTheBarAndTheListEmpty) {
  ASSERT_NE(StartWithPlugIn(), nullptr);
  CKyrelInterfereProgressDlg& dlg = CKyrelDockBar::Instance->m_dlg;
  CKyrelConduit::InterfereEngine& engine = CKyrelConduit::Instance()->m_interfere;
  // Row 0 is one fine sphere against many that each cross it (and not one
  // another): a row of many slow booleans, so the worker is still in it
  // after the progress interval has passed and posts progress the moment
  // the row ends.
  Doc().AddMeshObject(test_meshes::Sphere(ON_3dPoint(0, 0, 0), 10.0, 96, 192));
  const int others = 24;
  for (int k = 0; k < others; ++k) {
    const double angle = 2.0 * ON_PI * k / others;
    Doc().AddMeshObject(test_meshes::Sphere(
        ON_3dPoint(10.0 * std::cos(angle), 10.0 * std::sin(angle), 0), 1.2, 32, 64));
  }
  CKyrelConduit::Instance()->EnableInterfere(true, true);
  ASSERT_TRUE(WaitUntil([&] { return engine.IsComputing(); }));
  const DWORD started = GetTickCount();
  // A first clash of row 0 is in, and the worker's progress interval is
  // over: the row's end will want to post.
  ASSERT_TRUE(
      WaitUntil([&] { return engine.InterferencesCount() > 0 && GetTickCount() - started > 600; }));

  ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  // The worker leaves the computation at its next stop check.
  ASSERT_TRUE(WaitUntil([&] { return !engine.IsBusy(); }));
  while (kyrel::platform::PumpMessages() > 0) {
  }
  EXPECT_EQ(dlg.m_progress.GetPos(), 0);
  EXPECT_EQ(dlg.m_list.GetItemCount(), 0);
  EXPECT_EQ(engine.InterferencesCount(), 0);
  EXPECT_TRUE(CKyrelConduit::Instance()->IsInterfereEnabled());
}

} // namespace
