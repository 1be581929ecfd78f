// Modules, their embedded files, version records and application objects.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "afxwin.h"
#include "win_strings.h"

namespace {

struct Module {
  Module() { handle = dlopen(KYREL_TEST_MODULE, RTLD_NOW | RTLD_LOCAL); }
  ~Module() {
    if (handle) dlclose(handle);
  }
  HMODULE Instance() const {
    auto fn = reinterpret_cast<HMODULE (*)()>(dlsym(handle, "TestModuleHandle"));
    return fn ? fn() : nullptr;
  }
  void* handle = nullptr;
};

TEST(Resources, FoundByTypeAndNameWithoutRegardToCase) {
  Module m;
  ASSERT_NE(m.handle, nullptr) << dlerror();
  HMODULE module = m.Instance();
  ASSERT_NE(module, nullptr);
  HRSRC r = FindResourceW(module, L"SAMPLE.rui", L"File");
  ASSERT_NE(r, nullptr);
  DWORD size = SizeofResource(module, r);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, r)));
  ASSERT_NE(bytes, nullptr);
  ASSERT_GT(size, 3u);
  EXPECT_EQ(bytes[0], 0xEF); // the byte-order mark is kept
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes) + 3, size - 3).find("<RhinoUI"), 39u);
  HRSRC empty = FindResourceW(module, L"empty.bin", L"FILE");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SizeofResource(module, empty), 0u);
  EXPECT_EQ(FindResourceW(module, L"Kyrel_16.tb", L"FILE"), nullptr);
  EXPECT_EQ(FindResourceW(module, L"Sample.rui", L"OTHER"), nullptr);
  // Resources belong to their module: the executable has none of these.
  EXPECT_EQ(FindResourceW(nullptr, L"Sample.rui", L"FILE"), nullptr);
}

TEST(Resources, ModuleStateSwitchSelectsTheModulesOwnResources) {
  Module m;
  ASSERT_NE(m.handle, nullptr);
  auto text = reinterpret_cast<const wchar_t* (*)()>(dlsym(m.handle, "TestModuleResourceText"));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text(), L"found");
  // The switch ends with the call.
  EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));
}

TEST(Modules, ApplicationObjectAndFileNameOfALoadedModule) {
  Module m;
  ASSERT_NE(m.handle, nullptr);
  HMODULE module = m.Instance();
  CWinApp* app = kyrel::platform::ModuleApplication(module);
  ASSERT_NE(app, nullptr);
  EXPECT_STREQ(app->m_pszAppName, L"Sample\\1.0");
  EXPECT_EQ(app->m_hInstance, module);
  wchar_t path[4095];
  DWORD n = GetModuleFileNameW(module, path, 4095);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(kyrel::platform::WideToUtf8(path), std::string(KYREL_TEST_MODULE));
  wchar_t tiny[4];
  EXPECT_EQ(GetModuleFileNameW(module, tiny, 4), 4u);
  EXPECT_EQ(tiny[3], 0);
}

// Reads the version the way the plug-in's application object does.
TEST(VersionInfo, ReadFromTheModulesFile) {
  std::wstring file = kyrel::platform::Utf8ToWide(KYREL_TEST_MODULE);
  wchar_t short_path[260];
  ASSERT_GT(GetShortPathNameW(file.c_str(), short_path, 260), 0u);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(short_path, &handle);
  ASSERT_GT(size, 0u);
  void* block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
  ASSERT_TRUE(GetFileVersionInfoW(short_path, handle, size, block));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block, L"\\", reinterpret_cast<LPVOID*>(&fixed), &length));
  CString version;
  version.Format(L"%d.%d.%d.%d", HIWORD(fixed->dwProductVersionMS),
                 LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                 LOWORD(fixed->dwProductVersionLS));
  EXPECT_EQ(version, L"1.0.25.0");
  struct Translation {
    WORD language, code_page;
  }* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block, L"\\VarFileInfo\\Translation",
                             reinterpret_cast<LPVOID*>(&translation), &length));
  EXPECT_EQ(translation->language, 0x0000);
  EXPECT_EQ(translation->code_page, 0x04B0);
  CString prefix;
  prefix.Format(L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->code_page);
  wchar_t* value = nullptr;
  ASSERT_TRUE(VerQueryValueW(block, (prefix + L"ProductName").GetString(),
                             reinterpret_cast<LPVOID*>(&value), &length));
  EXPECT_STREQ(value, L"Sample");
  ASSERT_TRUE(VerQueryValueW(block, (prefix + L"InternalName").GetString(),
                             reinterpret_cast<LPVOID*>(&value), &length));
  EXPECT_STREQ(value, L"SampleInternal");
  EXPECT_FALSE(VerQueryValueW(block, (prefix + L"PlugInID").GetString(),
                              reinterpret_cast<LPVOID*>(&value), &length));
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(VersionInfo, FilesWithoutARecordAreRefused) {
  EXPECT_EQ(GetShortPathNameW(L"/no/such/file.rhp", nullptr, 0), 0u);
  DWORD handle = 0;
  EXPECT_EQ(GetFileVersionInfoSizeW(L"/no/such/file.rhp", &handle), 0u);
  EXPECT_EQ(GetFileVersionInfoSizeW(L"/etc/hostname", &handle), 0u); // not an ELF file
  EXPECT_TRUE(kyrel::platform::BuildVersionBlock("FileVersion=1.2\n").empty());
  EXPECT_TRUE(kyrel::platform::BuildVersionBlock("garbage").empty());
}

} // namespace
