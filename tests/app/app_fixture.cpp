#include "app_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "ui/rhino_dockbar.h"

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-app-XXXXXX").string();
  path = mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

void HostTest::SetUp() {
  setenv("KYREL_PROFILE", (temp.path + "/profile.json").c_str(), 1);
  kyrel::app::SessionOptions options;
  options.opengl = false;
  options.out_dir = temp.path;
  options.view_width = 200;
  options.view_height = 150;
  kyrel::app::HostSession::Instance().Start(options);
}

void HostTest::TearDown() {
  kyrel::app::HostSession::Instance().Stop();
}

bool HostTest::Run(const std::wstring& macro) {
  auto& input = kyrel::app::HostSession::Instance().Input();
  int errors = input.ErrorCount(), failed = input.FailedCommands();
  input.PushMacro(macro);
  input.Run();
  return input.ErrorCount() == errors && input.FailedCommands() == failed;
}

CRhinoDoc& HostTest::Doc() {
  return *kyrel::app::HostSession::Instance().EnsureDocument();
}

const CRhinoObject* HostTest::Named(const wchar_t* name) {
  for (const CRhinoObject* o : Doc().ObjectList())
    if (o && !o->IsDeleted() && o->Attributes().m_name == name) return o;
  return nullptr;
}
