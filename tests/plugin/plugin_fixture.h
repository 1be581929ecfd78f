#pragma once
// A host session in a temporary folder with the plug-in module loaded by
// the host's own loader. The machine registry, the profile, the program
// files folder and the shell's opener all point into the folder, so each
// test decides what the plug-in finds there.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "rhinoSdk.h"

class PlugInTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the machine registry file; `product_code_value` is the JSON of
  // the "ProductCode" value record, or empty for a key without it.
  void WriteRegistry(const std::string& product_code_value);
  void WriteProductCode(const std::string& code);
  // Starts the host and loads Kyrel.rhp; null (with a test failure) when
  // the loader refused it.
  CRhinoPlugIn* StartWithPlugIn();
  // Saves profiles and unloads, as the host does at exit.
  void StopSession();

  // Runs one command with `answers` queued for its prompts; the command's
  // own result. Prompts and messages go to standard output.
  CRhinoCommand::result RunCommand(const wchar_t* name, const std::wstring& answers);
  // Runs macros on the host's command line; false when anything failed.
  bool Run(const std::wstring& macro);
  CRhinoDoc& Doc();
  CRhinoObject* Named(const wchar_t* name);
  // An executable shell script in the temporary folder.
  std::string WriteScript(const std::string& name, const std::string& body);
  static std::string ReadFile(const std::string& path);
  // Waits (up to a few seconds) for a file that another process writes.
  static bool WaitForFile(const std::string& path);

  std::string dir;
  bool started = false;
};

// A profile context that keeps its entries in memory.
class MemoryProfile : public CRhinoProfileContext {
public:
  bool LoadProfileString(const wchar_t* section, const wchar_t* entry,
                         ON_wString& value) const override;
  bool SaveProfileString(const wchar_t* section, const wchar_t* entry,
                         const wchar_t* value) override;
  std::wstring Get(const std::wstring& section, const std::wstring& entry) const;
  bool Has(const std::wstring& section, const std::wstring& entry) const;
  void Set(const std::wstring& section, const std::wstring& entry, const std::wstring& value);

private:
  std::map<std::wstring, std::wstring> entries_;
};
