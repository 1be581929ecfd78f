// The host's own commands on a document: modes, deletion and copies with
// undo, blocks, picking at a pixel, and what Wait waits for.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "app_fixture.h"
#include "win_messages.h"

namespace {

class HostCommands : public HostTest {};

TEST_F(HostCommands, HideLockAndTheirOppositesChangeModesAndUndoRestoresThem) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"a\" Box 2,0,0 3,1,1 \"b\""));
  ASSERT_TRUE(Run(L"SelName \"a\" Hide"));
  EXPECT_TRUE(Named(L"a")->IsHidden());
  EXPECT_FALSE(Named(L"a")->IsSelected());
  ASSERT_TRUE(Run(L"SelName \"b\" Lock"));
  EXPECT_TRUE(Named(L"b")->IsLocked());
  // Hidden and locked objects cannot be selected by name.
  EXPECT_FALSE(Run(L"SelName \"a\""));
  ASSERT_TRUE(Run(L"Show Unlock"));
  EXPECT_FALSE(Named(L"a")->IsHidden());
  EXPECT_FALSE(Named(L"b")->IsLocked());
  ASSERT_TRUE(Run(L"Undo")); // the Unlock
  EXPECT_TRUE(Named(L"b")->IsLocked());
}

TEST_F(HostCommands, DeleteCopyAndMoveWithUndo) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"a\""));
  ASSERT_TRUE(Run(L"SelName \"a\" Copy 0,0,0 5,0,0"));
  EXPECT_EQ(Doc().ObjectCount(), 2);
  ASSERT_TRUE(Run(L"SelNone SelName \"a\" Delete"));
  EXPECT_EQ(Doc().ObjectCount(), 0);
  ASSERT_TRUE(Run(L"Undo"));
  EXPECT_EQ(Doc().ObjectCount(), 2);
  ASSERT_TRUE(Run(L"SelAll Move 0,0,0 0,0,10"));
  for (const CRhinoObject* o : Doc().ObjectList()) {
    if (o && !o->IsDeleted()) {
      EXPECT_NEAR(o->BoundingBox().m_min.z, 10.0, 1e-9);
    }
  }
  EXPECT_TRUE(Run(L"Undo Undo Undo Undo")); // more undos than records: "nothing" is not a failure
  EXPECT_EQ(Doc().ObjectCount(), 0);
}

TEST_F(HostCommands, BlockReplacesObjectsByOneReferenceAndInsertAddsMore) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"a\" Sphere 3,0,0 1 \"s\" SelAll Block 0,0,0 \"pair\""));
  EXPECT_EQ(Doc().ObjectCount(), 1);
  ASSERT_TRUE(Run(L"Insert \"pair\" 10,0,0 \"second\""));
  const CRhinoObject* second = Named(L"second");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(static_cast<unsigned int>(second->ObjectType()), 0x1000u);
  EXPECT_NEAR(second->BoundingBox().m_min.x, 10.0, 1e-6);
  EXPECT_FALSE(Run(L"Insert \"no such block\" 0,0,0"));
  EXPECT_FALSE(Run(L"SelAll Block 0,0,0 \"pair\"")); // name taken
}

TEST_F(HostCommands, SelPointPicksTheObjectUnderThePixel) {
  ASSERT_TRUE(Run(L"Box -1,-1,-1 1,1,1 \"centre\" ShadedViewport Zoom _Extents SelNone"));
  CRhinoView* view = RhinoApp().ActiveView();
  ASSERT_NE(view, nullptr);
  int cx = view->Viewport().Width() / 2, cy = view->Viewport().Height() / 2;
  ASSERT_TRUE(Run(L"SelPoint " + std::to_wstring(cx) + L" " + std::to_wstring(cy)));
  EXPECT_TRUE(Named(L"centre")->IsSelected());
  ASSERT_TRUE(Run(L"SelNone SelPoint 0 0")); // a corner: nothing there
  EXPECT_FALSE(Named(L"centre")->IsSelected());
}

TEST_F(HostCommands, SetViewLooksAlongAGivenDirectionAndZoomFramesABox) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"near\" Box 40,0,0 41,1,1 \"far\""));
  ASSERT_TRUE(Run(L"SetView _Direction 0,2,-2"));
  CRhinoView* view = RhinoApp().ActiveView();
  ASSERT_NE(view, nullptr);
  const ON_3dVector dir = view->Viewport().VP().CameraDirection();
  EXPECT_NEAR(dir.x, 0.0, 1e-9);
  EXPECT_NEAR(dir.y, std::sqrt(0.5), 1e-9);
  EXPECT_NEAR(dir.z, -std::sqrt(0.5), 1e-9);
  EXPECT_FALSE(Run(L"SetView _Direction 0,0,0"));

  // Framed on the near box alone, the far one falls outside the picture
  // while the near one fills much of it.
  ASSERT_TRUE(Run(L"Zoom _Mode _Box 0,0,0 1,1,1"));
  ON_3dPoint near_screen, far_screen;
  view->Viewport().VP().GetScreenCoordinates(ON_3dPoint(0.5, 0.5, 0.5), near_screen);
  view->Viewport().VP().GetScreenCoordinates(ON_3dPoint(40.5, 0.5, 0.5), far_screen);
  const int w = view->Viewport().Width();
  EXPECT_NEAR(near_screen.x, w / 2.0, w / 20.0);
  EXPECT_GT(far_screen.x, w);
  ASSERT_TRUE(Run(L"Zoom _Mode _Extents"));
  view->Viewport().VP().GetScreenCoordinates(ON_3dPoint(40.5, 0.5, 0.5), far_screen);
  EXPECT_LT(far_screen.x, w);
}

TEST_F(HostCommands, WaitReturnsOnceWorkersStopPostingAndTimersAreGone) {
  UINT message = RegisterWindowMessageW(L"HOST_COMMANDS_TEST");
  std::thread worker([message] {
    for (int i = 0; i < 5; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      PostMessageW(nullptr, message, static_cast<WPARAM>(i), 0);
    }
  });
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Run(L"Wait 20"));
  auto waited = std::chrono::steady_clock::now() - start;
  worker.join();
  EXPECT_GE(waited, std::chrono::milliseconds(500)); // it waited for the last post
  EXPECT_FALSE(kyrel::platform::HasPendingMessages());
  // A timer that nobody kills keeps the host busy until the limit.
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {});
  start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Run(L"Wait 1"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  KillTimer(nullptr, timer);
}

} // namespace
