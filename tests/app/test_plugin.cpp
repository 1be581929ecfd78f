// A plug-in for the end-to-end tests: its commands use every getter the
// system's commands use, and a panel and a toolbar like the system's.
//
//   TestGetters    object getter (filters, preselection, _Pause), option
//                  getter with a list, a toggle and a plain option, a
//                  point getter with a rubber band, RhinoGetPoint, then
//                  prints what it got
//   TestPanel      shows the panel and has a worker thread post progress
//                  to its dialog; the rows appear when the host dispatches
//   TestExportSelected  the save-with-selected-objects road of the system
#include <thread>

#include "interfere/kyrel_interfere_progress_template.h"
#include "rhinoSdk.h"
#include "win_strings.h"

namespace {

const ON_UUID kPlugInId = ON_UuidFromString(L"{5D0E2D9A-51E4-4E1B-9D1C-6A3B2F0C7E11}");
const ON_UUID kPanelId = ON_UuidFromString(L"{0C1F7A6E-2B9D-4D8A-8E11-3F5A6B7C8D90}");
UINT g_progress_message = RegisterWindowMessageW(L"TEST_PLUGIN_PROGRESS");

// ---- panel: a dialog from a template of this module ----
// The interference panel's own template, under an id of this module.
const KyrelResourceRegistration kDialogResource(RT_DIALOG, MAKEINTRESOURCEW(2001),
                                                &kInterfereProgressDialog,
                                                sizeof kInterfereProgressDialog);

class TestDialog : public CDialog {
public:
  TestDialog() : CDialog(2001, nullptr) {}
  CProgressCtrl m_progress;
  CListCtrl m_list;
  int m_cancels = 0;

protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1000, m_progress);
    DDX_Control(pDX, 1001, m_list);
  }
  BOOL OnInitDialog() override {
    BOOL r = CDialog::OnInitDialog();
    m_list.InsertColumn(0, L"Row #", LVCFMT_LEFT, 50, 0);
    m_list.InsertColumn(1, L"Value", LVCFMT_LEFT, 150, 1);
    return r;
  }
  afx_msg LRESULT OnProgress(WPARAM done, LPARAM total) {
    m_progress.SetRange32(0, static_cast<int>(total));
    m_progress.SetPos(static_cast<int>(done));
    CString text;
    text.Format(L"%d", m_list.GetItemCount() + 1);
    int row = m_list.InsertItem(m_list.GetItemCount(), text);
    text.Format(L"step %d of %d", static_cast<int>(done), static_cast<int>(total));
    m_list.SetItemText(row, 1, text);
    return 1;
  }
  afx_msg void OnItemChanged(NMHDR* hdr, LRESULT* result) {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
    if ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED)
      RhinoCommandInput().Print(L"TestPanel: row " + std::to_wstring(nm->iItem) +
                                ((nm->uNewState & LVIS_SELECTED) ? L" selected" : L" deselected"));
    *result = 0;
  }
  afx_msg void OnDblClick(NMHDR* hdr, LRESULT* result) {
    auto* nm = reinterpret_cast<NMITEMACTIVATE*>(hdr);
    RhinoCommandInput().Print(L"TestPanel: double click on row " + std::to_wstring(nm->iItem) +
                              L" column " + std::to_wstring(nm->iSubItem));
    *result = 0;
  }
  afx_msg void OnBnClickedCancel() {
    ++m_cancels;
    RhinoCommandInput().Print(L"TestPanel: cancel clicked");
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_REGISTERED_MESSAGE(g_progress_message, &TestDialog::OnProgress)
ON_BN_CLICKED(IDCANCEL, &TestDialog::OnBnClickedCancel)
ON_NOTIFY(LVN_ITEMCHANGED, 1001, &TestDialog::OnItemChanged)
ON_NOTIFY(NM_DBLCLK, 1001, &TestDialog::OnDblClick)
END_MESSAGE_MAP()

class TestBar : public CRhinoUiDockBar {
  DECLARE_DYNCREATE(TestBar)
public:
  TestDialog m_dialog;
  ON_UUID DockBarID() const override { return kPanelId; }
  const wchar_t* DockBarName(int) const override { return L"Test Panel"; }
  bool CreateDockBarControls() override {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_pDockBarChild = &m_dialog;
    return m_dialog.Create(2001, CWnd::FromHandle(m_hWnd)) != FALSE;
  }
  void OnShowDockBar(bool bShow) override {
    RhinoCommandInput().Print(bShow ? L"TestPanel: shown" : L"TestPanel: hidden");
  }
};
IMPLEMENT_DYNCREATE(TestBar, CRhinoUiDockBar)

TestBar* g_bar = nullptr;

// ---- commands ----
class TestGetters : public CRhinoCommand {
public:
  explicit TestGetters(const CRhinoPlugIn* p) : CRhinoCommand(false, false, p, false) {}
  ON_UUID CommandUUID() override {
    return ON_UuidFromString(L"{7A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9}");
  }
  const wchar_t* EnglishName() override { return L"TestGetters"; }
  const wchar_t* LocalCommandName() override { return L"TestGetters"; }
  result RunCommand(const CRhinoCommandContext&) override {
    CRhinoCommandInput& out = RhinoCommandInput();
    CRhinoGetObject go;
    go.SetCommandPrompt(L"Select closed solids");
    go.SetGeometryFilter(0x200028);
    go.SetGeometryAttributeFilter(0xA0200);
    go.EnableSubObjectSelect(false);
    if (go.GetObjects(1, 0) != CRhinoGet::object) return go.CommandResult();
    for (int i = 0; i < go.ObjectCount(); ++i)
      if (const CRhinoObject* o = go.Object(i).Object())
        out.Print(L"TestGetters: object \"" + std::wstring(o->Attributes().m_name.Array()) + L"\"");

    static const CRhinoCommandOptionValue modes[] = {L"None", L"Intersection", L"Difference"};
    bool enabled = false;
    int mode = 0;
    for (;;) {
      CRhinoGetOption gopt;
      gopt.AcceptNothing(true);
      gopt.SetCommandPrompt(L"Test options");
      int mode_index = gopt.AddCommandOptionList(L"Mode", 3, modes, mode);
      int toggle_index = gopt.AddCommandOptionToggle(L"Enabled", L"Off", L"On", enabled, &enabled);
      int point_index = gopt.AddCommandOption(L"Position");
      if (gopt.GetOption() != CRhinoGet::option) {
        out.Print(std::wstring(L"TestGetters: options ended with ") +
                  RhinoCommandResultName(gopt.CommandResult()) + L", mode " +
                  modes[mode].m_english + L", enabled " + (enabled ? L"On" : L"Off"));
        return gopt.CommandResult();
      }
      const CRhinoCommandOption* o = gopt.Option();
      if (!o) continue;
      if (o->m_option_index == mode_index) {
        mode = o->m_list_option_current;
        out.Print(L"TestGetters: mode " + std::wstring(modes[mode].m_english));
      } else if (o->m_option_index == toggle_index) {
        out.Print(std::wstring(L"TestGetters: enabled ") + (enabled ? L"On" : L"Off"));
      } else if (o->m_option_index == point_index) {
        ON_3dPoint position(1, 0, 0);
        if (RhinoGetPoint(L"Positition", false, position) == CRhinoCommand::success) {
          CRhinoGetPoint gp;
          gp.DrawLineFromPoint(position, false);
          ON_3dVector direction(1, 0, 0);
          if (gp.GetPoint() == CRhinoGet::point) direction = gp.Point() - position;
          out.Print(L"TestGetters: direction " + std::to_wstring(direction.x) + L"," +
                    std::to_wstring(direction.y) + L"," + std::to_wstring(direction.z));
        }
      }
    }
  }
};

class TestPanelCommand : public CRhinoCommand {
public:
  explicit TestPanelCommand(const CRhinoPlugIn* p) : CRhinoCommand(false, false, p, false) {
    EnableUndo(false);
  }
  ON_UUID CommandUUID() override {
    return ON_UuidFromString(L"{1F2E3D4C-5B6A-4798-8A7B-6C5D4E3F2A1B}");
  }
  const wchar_t* EnglishName() override { return L"TestPanel"; }
  const wchar_t* LocalCommandName() override { return L"TestPanel"; }
  result RunCommand(const CRhinoCommandContext&) override {
    if (!g_bar) return failure;
    RhinoUiDockBarManager().ShowDockBar(kPanelId, true, false);
    HWND target = g_bar->m_dialog.m_hWnd;
    // The worker only posts; the host dispatches on the UI thread.
    std::thread([target] {
      for (int i = 1; i <= 3; ++i) {
        Sleep(30);
        PostMessageW(target, g_progress_message, static_cast<WPARAM>(i), 3);
      }
    }).detach();
    return success;
  }
};

class TestExportSelected : public CRhinoCommand {
public:
  explicit TestExportSelected(const CRhinoPlugIn* p) : CRhinoCommand(false, false, p, false) {
    EnableUndo(false);
  }
  ON_UUID CommandUUID() override {
    return ON_UuidFromString(L"{2A3B4C5D-6E7F-4809-9A1B-2C3D4E5F6071}");
  }
  const wchar_t* EnglishName() override { return L"TestExportSelected"; }
  const wchar_t* LocalCommandName() override { return L"TestExportSelected"; }
  result RunCommand(const CRhinoCommandContext& context) override {
    CRhinoSaveAndRestoreAppFileWriteOptions keep;
    RhinoApp().FileWriteOptions().SetWriteSelectedDefaults();
    context.m_doc.SaveDocument(nullptr, true);
    keep.Restore();
    return success;
  }
};

class TestPlugIn : public CRhinoUtilityPlugIn {
public:
  TestPlugIn() : m_getters(this), m_panel(this), m_export(this) {}
  ON_UUID PlugInID() const override { return kPlugInId; }
  const wchar_t* PlugInName() const override { return L"Getter Test"; }
  const wchar_t* PlugInVersion() const override { return L"1.2.3.4"; }
  BOOL OnLoadPlugIn() override {
    g_bar = static_cast<TestBar*>(RhinoUiDockBarManager().CreateRhinoDockBar(
        RUNTIME_CLASS(TestBar), kPanelId, false, AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_ANY, nullptr,
        0x1434));
    if (const char* rui = std::getenv("TEST_PLUGIN_RUI")) {
      std::wstring path = kyrel::platform::Utf8ToWide(rui);
      CRhinoUiToolBarManager& tm = RhinoUiManager().ToolBarManager();
      if (tm.CollectionIndex(path.c_str(), false) == -1)
        tm.ReadFile(path.c_str(), true, true, false);
    }
    return g_bar != nullptr;
  }
  void LoadProfile(const wchar_t* section, CRhinoProfileContext& pc) override {
    CString value;
    pc.LoadProfileString(section, L"Runs", value);
    RhinoCommandInput().Print(L"TestPlugIn: profile Runs=\"" + std::wstring(value.GetString()) +
                              L"\"");
    m_runs = value.IsEmpty() ? 0 : std::stoi(value.GetString());
  }
  void SaveProfile(const wchar_t* section, CRhinoProfileContext& pc) override {
    pc.SaveProfileString(section, L"Runs", std::to_wstring(m_runs + 1).c_str());
  }
  void OnUnloadPlugIn() override { g_bar = nullptr; }

private:
  TestGetters m_getters;
  TestPanelCommand m_panel;
  TestExportSelected m_export;
  int m_runs = 0;
};

TestPlugIn g_plugin;

class TestApp : public CWinApp {
public:
  TestApp() : CWinApp(L"GetterTest\\1.0") {}
  BOOL InitInstance() override {
    RhinoCommandInput().Print(L"TestPlugIn: InitInstance");
    return CWinApp::InitInstance();
  }
};
TestApp g_app;

} // namespace

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))
TEST_EXPORT int RhinoPlugInSdkVersion() {
  return 201103035;
}
TEST_EXPORT int RhinoPlugInSdkServiceRelease() {
  return 201209275;
}
TEST_EXPORT const wchar_t* RhinoPlugInName() {
  return L"Getter Test";
}
TEST_EXPORT const char* RhinoPlugInVersion() {
  return "1.2.3.4";
}
TEST_EXPORT const wchar_t* RhinoPlugInId() {
  return L"{5D0E2D9A-51E4-4E1B-9D1C-6A3B2F0C7E11}";
}
