// What the host learns about the plug-in before and after loading it: the
// information exports, the identity queries, and the commands it owns.
#include <dlfcn.h>

#include <cwchar>
#include <cwctype>
#include <iterator>
#include <string>

#include "plugin_fixture.h"

namespace {

const ON_UUID kPlugInId = ON_UuidFromString(L"97641A3C-772C-4EAB-8251-0395F46F9A4C");

// The module, opened a second time by path (the loader's own handle is
// private to it); closed again with the fixture.
class Exports {
public:
  Exports() : handle_(dlopen(KYREL_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL)) {}
  ~Exports() {
    if (handle_) dlclose(handle_);
  }
  Exports(const Exports&) = delete;
  Exports& operator=(const Exports&) = delete;
  bool IsOpen() const { return handle_ != nullptr; }
  template <class T> T Get(const char* name) const {
    return reinterpret_cast<T>(dlsym(handle_, name));
  }
  std::wstring Wide(const char* name) const {
    auto f = Get<const wchar_t* (*)()>(name);
    return f && f() ? f() : L"<missing>";
  }

private:
  void* handle_;
};

class PlugInIdentity : public PlugInTest {};

TEST_F(PlugInIdentity, InformationExportsGiveTheLoaderWhatItChecks) {
  Exports exports;
  ASSERT_TRUE(exports.IsOpen()) << dlerror();
  auto sdk = exports.Get<int (*)()>("RhinoPlugInSdkVersion");
  auto release = exports.Get<int (*)()>("RhinoPlugInSdkServiceRelease");
  auto version = exports.Get<const char* (*)()>("RhinoPlugInVersion");
  ASSERT_TRUE(sdk && release && version);
  EXPECT_EQ(sdk(), 201103035);
  EXPECT_EQ(release(), 201209275);
  EXPECT_STREQ(version(), "1.0.25.0");
  EXPECT_EQ(exports.Wide("RhinoPlugInName"), L"Kyrel");
  EXPECT_EQ(exports.Wide("RhinoPlugInId"), L"{97641A3C-772C-4EAB-8251-0395F46F9A4C}");
  std::wstring update = exports.Wide("RhinoPlugInUpdateURL");
  const std::wstring manifest = L"/download/Kyrel/Kyrel10_x64.version.xml";
  ASSERT_GE(update.size(), manifest.size());
  EXPECT_EQ(update.substr(update.size() - manifest.size()), manifest);
  EXPECT_EQ(update.rfind(L"https://", 0), 0u);
}

TEST_F(PlugInIdentity, DeveloperContactExportsAreAllPresent) {
  Exports exports;
  ASSERT_TRUE(exports.IsOpen()) << dlerror();
  for (const char* name :
       {"RhinoPlugInDeveloperOrganization", "RhinoPlugInDeveloperAddress",
        "RhinoPlugInDeveloperCountry", "RhinoPlugInDeveloperPhone", "RhinoPlugInDeveloperFax",
        "RhinoPlugInDeveloperEmail", "RhinoPlugInDeveloperWebsite"}) {
    std::wstring value = exports.Wide(name);
    EXPECT_NE(value, L"<missing>") << name;
    EXPECT_FALSE(value.empty()) << name;
  }
  EXPECT_EQ(exports.Wide("RhinoPlugInDeveloperOrganization"), L"TarvikCAD");
}

TEST_F(PlugInIdentity, LoadedPlugInAnswersTheIdentityQueries) {
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->PlugInID(), kPlugInId);
  EXPECT_STREQ(plugin->PlugInName(), L"Kyrel");
  EXPECT_STREQ(plugin->LocalPlugInName(), L"Kyrel");
  EXPECT_STREQ(plugin->PlugInVersion(), L"1.0.25.0");
  EXPECT_EQ(plugin->PlugInType(), CRhinoPlugIn::utility_plugin);
  EXPECT_EQ(plugin->PlugInLoadTime(), CRhinoPlugIn::load_plugin_when_needed);
  EXPECT_EQ(static_cast<int>(plugin->PlugInLoadTime()), 2);
  EXPECT_TRUE(plugin->AddToPlugInHelpMenu());
  // The export the loader read and the object's query agree.
  const auto& loaded = CRhinoPlugInManager::Instance().PlugIns();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(ON_UuidFromString(loaded[0].m_export_id.c_str()), plugin->PlugInID());
  EXPECT_EQ(loaded[0].m_export_version, "1.0.25.0");
}

// The plug-in's commands as the host's command table holds them, in the
// order the plug-in constructs them: the five commands with their fixed
// identities, then the report command with an identity of its own.
struct CommandRow {
  const wchar_t* name;
  const wchar_t* uuid;
  bool undo;
};
const CommandRow kCommandTable[] = {
    {L"kyClippingObject", L"AAEB9D96-0352-4D68-AA17-4EF86240D6FB", true},
    {L"kyExportClippedMeshes", L"C03A4047-BD45-4D3C-A6AA-03238A011888", false},
    {L"kyExtractMesh", L"7F66F6F7-420B-4423-8BE3-A5219C81D81D", true},
    {L"kyMirrorPlane", L"DF892906-9E21-4F3A-B12C-95AB0B2CDBBB", true},
    {L"kyInterfere", L"BEE98080-A49D-41E9-AE4C-F5A2259A545A", false},
    {L"kyClashReport", L"5B2C7E41-93D6-4A0F-8C1B-6E4D2F97A3C8", false},
};

TEST_F(PlugInIdentity, CommandsMatchTheCommandTableInConstructionOrder) {
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  const auto commands = CRhinoCommandTable::Commands(plugin);
  ASSERT_EQ(commands.size(), std::size(kCommandTable));
  for (size_t i = 0; i < commands.size(); ++i) {
    const CommandRow& row = kCommandTable[i];
    CRhinoCommand* command = commands[i];
    SCOPED_TRACE(std::wstring(row.name));
    const ON_UUID id = ON_UuidFromString(row.uuid);
    EXPECT_STREQ(command->EnglishName(), row.name);
    EXPECT_STREQ(command->LocalCommandName(), row.name);
    EXPECT_STREQ(command->EnglishCommandName(), row.name);
    EXPECT_EQ(command->CommandUUID(), id);
    EXPECT_EQ(command->IsUndoEnabled(), row.undo);
    EXPECT_TRUE(command->IsRepeatable());
    EXPECT_FALSE(command->IsTransparent());
    EXPECT_FALSE(command->IsTestCommand());
    EXPECT_EQ(command->PlugIn(), plugin);
    // Found by name in any case (toolbar macros spell some differently)
    // and by its identity.
    std::wstring lower(row.name);
    for (wchar_t& c : lower)
      c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    EXPECT_EQ(CRhinoCommandTable::Find((L"_" + lower).c_str()), command);
    EXPECT_EQ(CRhinoCommandTable::Find(id), command);
  }
}

} // namespace
