// What the plug-in takes from the machine and the user: the installation's
// product code from the registry, the profile entry that remembers it, the
// updater it starts for an installed product, and the help page.
#include <filesystem>
#include <fstream>

#include "kyrel_plugin.h"
#include "kyrel_updater.h"
#include "plugin_fixture.h"
#include "ui/rhino_plugin_manager.h"

namespace {

const std::wstring kCode = L"{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}";

class PlugInSettings : public PlugInTest {
protected:
  // The product code the plug-in records in a profile.
  std::wstring SavedProductCode(CRhinoPlugIn& plugin) {
    MemoryProfile profile;
    plugin.SaveProfile(L"Section", profile);
    EXPECT_TRUE(profile.Has(L"Section", L"ProductCode"));
    return profile.Get(L"Section", L"ProductCode");
  }
  // The plug-in object behind the base the loader hands out.
  static CKyrelPlugIn& Kyrel(CRhinoPlugIn& plugin) { return static_cast<CKyrelPlugIn&>(plugin); }
};

TEST_F(PlugInSettings, ProductCodeComesFromTheMachineRegistry) {
  WriteProductCode("{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}");
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(SavedProductCode(*plugin), kCode);
}

TEST_F(PlugInSettings, MissingOrNonStringProductCodeStaysEmpty) {
  struct Case {
    const char* what;
    const char* value; // JSON of the value record, empty: no value
    bool write;        // false: no registry file at all
  };
  for (const Case& c :
       {Case{"no registry", "", false}, Case{"key without value", "", true},
        Case{"number value", R"({ "type": "REG_DWORD", "value": 7 })", true},
        Case{"binary value", R"({ "type": "REG_BINARY", "value": "AAEC" })", true}}) {
    std::filesystem::remove(dir + "/registry.json");
    if (c.write) WriteRegistry(c.value);
    CRhinoPlugIn* plugin = StartWithPlugIn();
    ASSERT_NE(plugin, nullptr) << c.what;
    EXPECT_EQ(SavedProductCode(*plugin), L"") << c.what;
    StopSession();
  }
}

TEST_F(PlugInSettings, AReloadForgetsAProductCodeThatWasRemoved) {
  WriteProductCode("{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}");
  ASSERT_NE(StartWithPlugIn(), nullptr);
  StopSession();
  WriteRegistry("");
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(SavedProductCode(*plugin), L"");
}

TEST_F(PlugInSettings, ProfileEntryRoundTripsThroughTheHostsProfileFile) {
  WriteProductCode("{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}");
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  // First use: the profile holds no code yet while the installation has one.
  EXPECT_TRUE(Kyrel(*plugin).ProductCodeChangedAtLoad());
  std::wstring section = CRhinoPlugInManager::ProfileSection(*plugin);
  StopSession(); // the host saves every plug-in's profile at exit

  CRhinoProfileContext file_profile;
  ON_wString stored;
  ASSERT_TRUE(file_profile.LoadProfileString(section.c_str(), L"ProductCode", stored));
  EXPECT_EQ(std::wstring(stored.Array()), kCode);

  plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_FALSE(Kyrel(*plugin).ProductCodeChangedAtLoad());
  StopSession();

  WriteProductCode("{99999999-AAAA-4BBB-8CCC-0123456789AB}");
  plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_TRUE(Kyrel(*plugin).ProductCodeChangedAtLoad());
}

TEST_F(PlugInSettings, NoCodeAnywhereIsNoChange) {
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_FALSE(Kyrel(*plugin).ProductCodeChangedAtLoad());
  // A profile that still remembers an old installation is a change.
  MemoryProfile profile;
  profile.Set(L"S", L"ProductCode", L"{OLD}");
  plugin->LoadProfile(L"S", profile);
  EXPECT_TRUE(Kyrel(*plugin).ProductCodeChangedAtLoad());
}

TEST_F(PlugInSettings, UpdaterIsStartedWithTheUninstallKeyOfTheInstallation) {
  std::string out = dir + "/updater-args.txt";
  WriteScript("programs/TarvikCAD/Update/TarvikUpdate",
              "printf '%s|' \"$@\" > '" + out + ".tmp' && mv '" + out + ".tmp' '" + out + "'");
  WriteProductCode("{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}");
  ASSERT_NE(StartWithPlugIn(), nullptr);
  ASSERT_TRUE(WaitForFile(out));
  EXPECT_EQ(ReadFile(out), "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{"
                           "3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}|");
}

TEST_F(PlugInSettings, NoUpdaterWithoutAProductCode) {
  std::string out = dir + "/updater-ran.txt";
  WriteScript("programs/TarvikCAD/Update/TarvikUpdate", "touch '" + out + "'");
  ASSERT_NE(StartWithPlugIn(), nullptr);
  StopSession();
  // Long enough for a started script to have run.
  EXPECT_FALSE(WaitForFile(out));
}

TEST(UpdaterCommandLine, QuotesTheUpdaterAndTheKey) {
  setenv("KYREL_PROGRAM_FILES", "/opt/common", 1);
  EXPECT_EQ(KyrelUpdaterCommandLine(L"{ABC}"),
            L"\"/opt/common\\TarvikCAD\\Update\\TarvikUpdate\" "
            L"\"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{ABC}\"");
  EXPECT_EQ(KyrelUpdaterCommandLine(L""), L"");
}

TEST(UpdaterCommandLine, RefusesCodesThatWouldBreakOutOfTheirQuotes) {
  EXPECT_EQ(KyrelUpdaterCommandLine(L"{A}\" \"--elevate"), L"");
  EXPECT_EQ(KyrelUpdaterCommandLine(L"{A}\\"), L"");
  EXPECT_NE(KyrelUpdaterCommandLine(L"{A}\\B"), L"");
}

TEST_F(PlugInSettings, HelpOpensTheProductPageWithTheShell) {
  std::string out = dir + "/opened.txt";
  setenv("KYREL_OPEN_COMMAND",
         WriteScript("opener",
                     "printf '%s' \"$1\" > '" + out + ".tmp' && mv '" + out + ".tmp' '" + out + "'")
             .c_str(),
         1);
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_TRUE(plugin->OnDisplayPlugInHelp(nullptr));
  ASSERT_TRUE(WaitForFile(out));
  std::string url = ReadFile(out);
  EXPECT_NE(url.find("/urlProduct.asp?i=11&u=4"), std::string::npos) << url;
  EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
}

TEST_F(PlugInSettings, HelpReportsAShellThatCannotOpen) {
  setenv("KYREL_OPEN_COMMAND", (dir + "/no-such-opener").c_str(), 1);
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_FALSE(plugin->OnDisplayPlugInHelp(nullptr));
}

} // namespace
