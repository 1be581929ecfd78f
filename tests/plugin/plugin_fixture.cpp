#include "plugin_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "host_session.h"
#include "win_strings.h"

void PlugInTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-plugin-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir = pattern;
  setenv("KYREL_REGISTRY", (dir + "/registry.json").c_str(), 1);
  setenv("KYREL_PROFILE", (dir + "/profile.json").c_str(), 1);
  setenv("KYREL_PROGRAM_FILES", (dir + "/programs").c_str(), 1);
  setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
  unsetenv("KYREL_OPEN_COMMAND");
}

void PlugInTest::TearDown() {
  StopSession();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void PlugInTest::WriteRegistry(const std::string& product_code_value) {
  std::ofstream out(dir + "/registry.json");
  out << "{ \"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\TarvikCAD\\\\Kyrel\\\\1.0\": {";
  if (!product_code_value.empty()) out << " \"ProductCode\": " << product_code_value;
  out << " } }\n";
}

void PlugInTest::WriteProductCode(const std::string& code) {
  WriteRegistry("{ \"type\": \"REG_SZ\", \"value\": \"" + code + "\" }");
}

CRhinoPlugIn* PlugInTest::StartWithPlugIn() {
  kyrel::app::SessionOptions options;
  options.opengl = false;
  options.out_dir = dir;
  options.view_width = 64;
  options.view_height = 48;
  kyrel::app::HostSession::Instance().Start(options);
  started = true;
  std::string error;
  if (!kyrel::app::HostSession::Instance().LoadPlugIn(KYREL_PLUGIN_MODULE, error)) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  ON_UUID id = ON_UuidFromString(L"97641A3C-772C-4EAB-8251-0395F46F9A4C");
  return CRhinoPlugInManager::Instance().Find(id);
}

void PlugInTest::StopSession() {
  if (!started) return;
  kyrel::app::HostSession::Instance().Stop();
  started = false;
}

CRhinoCommand::result PlugInTest::RunCommand(const wchar_t* name, const std::wstring& answers) {
  CRhinoCommand* command = CRhinoCommandTable::Find(name);
  if (!command) {
    ADD_FAILURE() << "no command named " << kyrel::platform::WideToUtf8(name);
    return CRhinoCommand::unknown_command;
  }
  auto& input = kyrel::app::HostSession::Instance().Input();
  input.Reset();
  input.PushMacro(answers);
  CRhinoCommand::result r = RhinoRunCommand(*command, Doc());
  input.Reset();
  return r;
}

bool PlugInTest::Run(const std::wstring& macro) {
  auto& input = kyrel::app::HostSession::Instance().Input();
  int errors = input.ErrorCount(), failed = input.FailedCommands();
  input.PushMacro(macro);
  input.Run();
  return input.ErrorCount() == errors && input.FailedCommands() == failed;
}

CRhinoDoc& PlugInTest::Doc() {
  return *kyrel::app::HostSession::Instance().EnsureDocument();
}

CRhinoObject* PlugInTest::Named(const wchar_t* name) {
  for (const CRhinoObject* o : Doc().ObjectList())
    if (o && !o->IsDeleted() && o->Attributes().m_name == name) return const_cast<CRhinoObject*>(o);
  return nullptr;
}

std::string PlugInTest::WriteScript(const std::string& name, const std::string& body) {
  std::string path = dir + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  chmod(path.c_str(), 0755);
  return path;
}

std::string PlugInTest::ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool PlugInTest::WaitForFile(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    // The writer renames its finished file into place.
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

bool MemoryProfile::LoadProfileString(const wchar_t* section, const wchar_t* entry,
                                      ON_wString& value) const {
  value.Empty();
  auto it = entries_.find(std::wstring(section) + L"|" + entry);
  if (it == entries_.end()) return false;
  value = it->second.c_str();
  return true;
}

bool MemoryProfile::SaveProfileString(const wchar_t* section, const wchar_t* entry,
                                      const wchar_t* value) {
  Set(section, entry, value ? value : L"");
  return true;
}

std::wstring MemoryProfile::Get(const std::wstring& section, const std::wstring& entry) const {
  auto it = entries_.find(section + L"|" + entry);
  return it == entries_.end() ? std::wstring() : it->second;
}

bool MemoryProfile::Has(const std::wstring& section, const std::wstring& entry) const {
  return entries_.count(section + L"|" + entry) != 0;
}

void MemoryProfile::Set(const std::wstring& section, const std::wstring& entry,
                        const std::wstring& value) {
  entries_[section + L"|" + entry] = value;
}
