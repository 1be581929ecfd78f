// What the host learns about the plug-in before and after loading it: the
// information exports, the identity queries, and the commands it owns.
#include <dlfcn.h>

#include <algorithm>
#include <cwchar>
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

TEST_F(PlugInIdentity, ExportsAreTheOnlySymbolsTheModuleOffers) {
  Exports exports;
  ASSERT_TRUE(exports.IsOpen()) << dlerror();
  // The plug-in object is reached through its base class, never by name.
  EXPECT_EQ(exports.Get<void*>("_Z11KyrelPlugInv"), nullptr);
  EXPECT_EQ(exports.Get<void*>("_Z8KyrelAppv"), nullptr);
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

TEST_F(PlugInIdentity, OwnsTheCuttingObjectCommand) {
  CRhinoPlugIn* plugin = StartWithPlugIn();
  ASSERT_NE(plugin, nullptr);
  auto commands = CRhinoCommandTable::Commands(plugin);
  const auto named = std::find_if(commands.begin(), commands.end(), [](CRhinoCommand* c) {
    return std::wstring(c->EnglishName()) == L"kyClippingObject";
  });
  ASSERT_NE(named, commands.end());
  CRhinoCommand* command = *named;
  EXPECT_STREQ(command->EnglishName(), L"kyClippingObject");
  EXPECT_STREQ(command->LocalCommandName(), L"kyClippingObject");
  EXPECT_STREQ(command->EnglishCommandName(), L"kyClippingObject");
  EXPECT_EQ(command->CommandUUID(), ON_UuidFromString(L"AAEB9D96-0352-4D68-AA17-4EF86240D6FB"));
  EXPECT_EQ(command->PlugIn(), plugin);
  EXPECT_FALSE(command->IsTransparent());
  EXPECT_TRUE(command->IsRepeatable());
  EXPECT_FALSE(command->IsTestCommand());
  EXPECT_TRUE(command->IsUndoEnabled());
  // Toolbar macros spell it with a lower-case "o".
  EXPECT_EQ(CRhinoCommandTable::Find(L"_kyClippingobject"), command);
  EXPECT_EQ(CRhinoCommandTable::Find(command->CommandUUID()), command);
}

} // namespace
