// The SDK's UI side on its own: dock bars, the toolbar manager, the
// command table and runner, file-write options and the profile.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "app_fixture.h"
#include "support/test_meshes.h"
#include "win_strings.h"

namespace {

const ON_UUID kBarId = ON_UuidFromString(L"{11111111-2222-4333-8444-555555555555}");

struct BarLog {
  std::vector<bool> shows;
  std::vector<DWORD> positions;
  int created = 0;
};
BarLog* g_log = nullptr;

class LoggingBar : public CRhinoUiDockBar {
  DECLARE_DYNCREATE(LoggingBar)
public:
  bool m_closable = true;
  ON_UUID DockBarID() const override { return kBarId; }
  const wchar_t* DockBarName(int) const override { return L"Logging"; }
  bool CreateDockBarControls() override {
    if (g_log) ++g_log->created;
    return true;
  }
  bool CanClose() const override { return m_closable; }
  void OnShowDockBar(bool bShow) override {
    if (g_log) g_log->shows.push_back(bShow);
  }
  void OnDockBarPositionChanged(DWORD position) override {
    if (g_log) g_log->positions.push_back(position);
  }
  CSize OnCalcFixedLayout(CSize size, BOOL, BOOL) override {
    if (IsDockedTop()) size.cy = 38;
    return size;
  }
};
IMPLEMENT_DYNCREATE(LoggingBar, CRhinoUiDockBar)

class DockBars : public HostTest {
protected:
  void SetUp() override {
    HostTest::SetUp();
    g_log = &log;
  }
  void TearDown() override {
    RhinoUiDockBarManager().DestroyAllDockBars();
    g_log = nullptr;
    HostTest::TearDown();
  }
  BarLog log;
};

TEST_F(DockBars, CreatedHiddenAndEveryShowChangeIsReported) {
  CRhinoUiDockBar* bar = RhinoUiDockBarManager().CreateRhinoDockBar(
      RUNTIME_CLASS(LoggingBar), kBarId, false, AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_ANY, nullptr,
      0x1434);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(log.created, 1);
  EXPECT_FALSE(bar->IsVisible());
  EXPECT_TRUE(log.shows.empty());
  EXPECT_TRUE(IsWindow(bar->m_hWnd));
  EXPECT_TRUE(RhinoUiDockBarManager().ShowDockBar(kBarId, true, false));
  EXPECT_TRUE(RhinoUiDockBarManager().ShowDockBar(kBarId, true, false)); // no change: no call
  EXPECT_TRUE(RhinoUiDockBarManager().CloseDockBar(kBarId));
  EXPECT_EQ(log.shows, (std::vector<bool>{true, false}));
  // A second bar with the same id is refused; so is a class that is no bar.
  EXPECT_EQ(RhinoUiDockBarManager().CreateRhinoDockBar(RUNTIME_CLASS(LoggingBar), kBarId, false,
                                                       AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_ANY,
                                                       nullptr, 0),
            nullptr);
  EXPECT_EQ(RhinoUiDockBarManager().CreateRhinoDockBar(RUNTIME_CLASS(CWnd), ON_CreateId(), false,
                                                       AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_ANY,
                                                       nullptr, 0),
            nullptr);
  EXPECT_EQ(RhinoUiDockBarManager().FindDockBar(L"logging"), bar);
  EXPECT_FALSE(RhinoUiDockBarManager().ShowDockBar(ON_CreateId(), true, false));
}

TEST_F(DockBars, DockingAtTheTopUsesTheFixedLayoutHeight) {
  CRhinoUiDockBar* bar = RhinoUiDockBarManager().CreateRhinoDockBar(
      RUNTIME_CLASS(LoggingBar), kBarId, false, AFX_IDW_DOCKBAR_RIGHT,
      CBRS_ALIGN_LEFT | CBRS_ALIGN_TOP, nullptr, 0);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->IsDockedTop());
  ASSERT_TRUE(RhinoUiDockBarManager().DockDockBar(kBarId, AFX_IDW_DOCKBAR_TOP));
  EXPECT_TRUE(bar->IsDockedTop());
  EXPECT_EQ(log.positions, (std::vector<DWORD>{AFX_IDW_DOCKBAR_TOP}));
  RECT r;
  GetClientRect(bar->m_hWnd, &r);
  EXPECT_EQ(r.bottom, 38);
  // Sides the bar does not allow are refused and change nothing.
  EXPECT_FALSE(RhinoUiDockBarManager().DockDockBar(kBarId, AFX_IDW_DOCKBAR_BOTTOM));
  EXPECT_TRUE(bar->IsDockedTop());
}

TEST_F(DockBars, BarThatCannotCloseStaysShown) {
  auto* bar = static_cast<LoggingBar*>(RhinoUiDockBarManager().CreateRhinoDockBar(
      RUNTIME_CLASS(LoggingBar), kBarId, false, AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_ANY, nullptr, 0));
  ASSERT_NE(bar, nullptr);
  bar->m_closable = false;
  RhinoUiDockBarManager().ShowDockBar(kBarId, true, false);
  EXPECT_FALSE(RhinoUiDockBarManager().CloseDockBar(kBarId));
  EXPECT_TRUE(bar->IsVisible());
  HWND window = bar->m_hWnd;
  RhinoUiDockBarManager().DestroyAllDockBars();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(RhinoUiDockBarManager().FindDockBar(kBarId), nullptr);
}

class Toolbars : public HostTest {};

TEST_F(Toolbars, CollectionIsOpenedOnceAndItsMacrosAreReadAsStored) {
  std::wstring path = kyrel::platform::Utf8ToWide(TEST_RUI);
  CRhinoUiToolBarManager& tm = RhinoUiManager().ToolBarManager();
  while (tm.CollectionCount() > 0)
    tm.CloseCollection(0);
  EXPECT_EQ(tm.CollectionIndex(path.c_str(), false), -1);
  ASSERT_TRUE(tm.ReadFile(path.c_str(), true, true, false))
      << kyrel::platform::WideToUtf8(tm.LastError());
  EXPECT_EQ(tm.CollectionIndex(path.c_str(), false), 0);
  EXPECT_TRUE(tm.ReadFile(path.c_str(), true, true, false));
  EXPECT_EQ(tm.CollectionCount(), 1);
  const CRhinoUiToolBarCollection* c = tm.Collection(0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->m_name, L"TestTools");
  EXPECT_EQ(c->m_plugin_id, ON_UuidFromString(L"{5D0E2D9A-51E4-4E1B-9D1C-6A3B2F0C7E11}"));
  ASSERT_EQ(c->m_toolbars.size(), 1u);
  const auto& buttons = c->m_toolbars[0].m_buttons;
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(buttons[0].m_left_macro, L"_ShadedViewport\n_List\n");
  EXPECT_EQ(buttons[0].m_right_macro, L"! _TestGetters _pause _mode _difference _Enter");
  EXPECT_TRUE(buttons[1].m_bSpacer);
  EXPECT_EQ(buttons[2].m_text, L"Only left");
  EXPECT_TRUE(buttons[2].m_right_macro.empty());
  tm.CloseCollection(0);
}

TEST_F(Toolbars, UnreadableFilesAreRefused) {
  CRhinoUiToolBarManager& tm = RhinoUiManager().ToolBarManager();
  int before = tm.CollectionCount();
  std::string bad = temp.path + "/bad.rui";
  std::ofstream(bad) << "<RhinoUI><tool_bars>";
  EXPECT_FALSE(tm.ReadFile(kyrel::platform::Utf8ToWide(bad).c_str(), true, true, false));
  std::ofstream(temp.path + "/other.rui") << "<?xml version=\"1.0\"?><Other/>";
  EXPECT_FALSE(tm.ReadFile(kyrel::platform::Utf8ToWide(temp.path + "/other.rui").c_str(), true,
                           true, false));
  EXPECT_FALSE(tm.ReadFile(L"/no/such/file.rui", true, true, false));
  EXPECT_EQ(tm.CollectionCount(), before);
}

class Commands : public HostTest {};

class ThrowingCommand : public CRhinoCommand {
public:
  ON_UUID CommandUUID() override { return m_id; }
  const wchar_t* EnglishName() override { return L"TestThrows"; }
  const wchar_t* LocalCommandName() override { return L"TestThrows"; }
  result RunCommand(const CRhinoCommandContext&) override { throw std::runtime_error("boom"); }
  ON_UUID m_id = ON_CreateId();
};

TEST_F(Commands, TableFindsByNameIdAndCaseAndRunnerContainsExceptions) {
  ThrowingCommand command;
  EXPECT_EQ(CRhinoCommandTable::Find(L"testthrows"), &command);
  EXPECT_EQ(CRhinoCommandTable::Find(L"_TestThrows"), &command);
  EXPECT_EQ(CRhinoCommandTable::Find(command.m_id), &command);
  EXPECT_EQ(CRhinoCommandTable::Find(L"_"), nullptr);
  EXPECT_EQ(RhinoRunCommand(command, Doc()), CRhinoCommand::failure);
  EXPECT_FALSE(Doc().IsCommandRunning()); // the command was closed all the same
  EXPECT_FALSE(Run(L"TestThrows"));
}

TEST_F(Commands, FileWriteOptionsAreRestored) {
  CRhinoFileWriteOptions& options = RhinoApp().FileWriteOptions();
  options.SetDefaults();
  {
    CRhinoSaveAndRestoreAppFileWriteOptions keep;
    options.SetWriteSelectedDefaults();
    EXPECT_TRUE(options.WriteSelectedObjectsOnly());
  } // restored by the destructor when Restore was not called
  EXPECT_FALSE(options.WriteSelectedObjectsOnly());
  CRhinoSaveAndRestoreAppFileWriteOptions keep;
  options.SetWriteSelectedDefaults();
  keep.Restore();
  options.SetWriteSelectedObjectsOnly(true);
} // a second restore after Restore() must not undo later changes

TEST_F(Commands, ProfileStringsPersistInTheProfileFile) {
  CRhinoProfileContext profile;
  ON_wString value = L"stale";
  EXPECT_FALSE(profile.LoadProfileString(L"Plug-ins\\X", L"ProductCode", value));
  EXPECT_TRUE(value.IsEmpty());
  EXPECT_TRUE(profile.SaveProfileString(L"Plug-ins\\X", L"ProductCode", L"{ABC}"));
  CString read;
  EXPECT_TRUE(CRhinoProfileContext().LoadProfileString(L"Plug-ins\\X", L"ProductCode", read));
  EXPECT_EQ(read, L"{ABC}");
  EXPECT_EQ(CRhinoProfileContext::ProfilePath(), temp.path + "/profile.json");
}

TEST_F(Commands, LoaderRefusesModulesThatAreNotPlugIns) {
  std::string error;
  EXPECT_EQ(CRhinoPlugInManager::Instance().LoadPlugIn("/no/such/module.rhp", error), nullptr);
  EXPECT_NE(error.find("/no/such/module.rhp"), std::string::npos);
  EXPECT_EQ(CRhinoPlugInManager::Instance().LoadPlugIn("libc.so.6", error), nullptr);
  EXPECT_NE(error.find("not a plug-in"), std::string::npos);
}

} // namespace

class ClosingCommand : public CRhinoCommand {
public:
  ON_UUID CommandUUID() override { return m_id; }
  const wchar_t* EnglishName() override { return L"TestClosesItsDocument"; }
  const wchar_t* LocalCommandName() override { return L"TestClosesItsDocument"; }
  result RunCommand(const CRhinoCommandContext& context) override {
    // As Open does: a new model takes the place of the one the command runs in.
    RhinoApp().NewDocument();
    closed = RhinoApp().CloseDocument(&context.m_doc);
    // The document is out of the application's list but still usable here.
    still_open_objects = context.m_doc.ObjectCount();
    return success;
  }
  ON_UUID m_id = ON_CreateId();
  bool closed = false;
  int still_open_objects = -1;
};

TEST(CommandDocuments, ACommandThatClosesItsOwnDocumentEndsOnItSafely) {
  ClosingCommand command;
  CRhinoDoc* doc = RhinoApp().NewDocument();
  doc->AddMeshObject(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  // The runner ends its undo record on the closed document after the
  // command returns; under AddressSanitizer a document freed by the close
  // would be reported here.
  EXPECT_EQ(RhinoRunCommand(command, *doc), CRhinoCommand::success);
  EXPECT_TRUE(command.closed);
  EXPECT_EQ(command.still_open_objects, 1);
  const std::vector<CRhinoDoc*> docs = RhinoApp().Documents();
  EXPECT_EQ(std::count(docs.begin(), docs.end(), doc), 0);
  EXPECT_NE(RhinoApp().ActiveDoc(), nullptr);
}
