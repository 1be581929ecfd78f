#pragma once
// A started host session (recording engine, no plug-ins) in a temporary
// folder, for tests that run commands in-process.
#include <gtest/gtest.h>

#include <string>

#include "host_session.h"
#include "rhinoSdk.h"

struct TempFolder {
  TempFolder();
  ~TempFolder();
  std::string path;
};

class HostTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // Runs macros on the command line; false when a command failed or an
  // input error was reported.
  bool Run(const std::wstring& macro);
  CRhinoDoc& Doc();
  const CRhinoObject* Named(const wchar_t* name);
  TempFolder temp;
};
