// Reading a module's version record: the plug-in's own, others with
// different contents, and files that have none.
#include <gtest/gtest.h>

#include <string>

#include "module_version_info.h"
#include "win_strings.h"

namespace {

std::wstring Wide(const char* path) {
  return kyrel::platform::Utf8ToWide(path);
}
std::wstring Text(const ON_wString& s) {
  return s.Array() ? s.Array() : L"";
}

TEST(VersionRecord, PlugInModuleCarriesItsProductRecord) {
  ModuleVersionInfo info;
  ASSERT_TRUE(ReadModuleVersionInfo(info, Wide(KYREL_PLUGIN_MODULE).c_str()));
  EXPECT_EQ(Text(info.m_version), L"1.0.25.0");
  EXPECT_EQ(Text(info.m_short_version), L"1.0");
  EXPECT_EQ(Text(info.m_product_name), L"Kyrel");
  EXPECT_EQ(Text(info.m_internal_name), L"Kyrel");
  // No "PlugInID" string: the id stays nil.
  EXPECT_TRUE(ON_UuidIsNil(info.m_plugin_id));
}

TEST(VersionRecord, ReadsTheFirstTranslationsStringsAndTheId) {
  ModuleVersionInfo info;
  ASSERT_TRUE(ReadModuleVersionInfo(info, Wide(VERSION_SAMPLE_MODULE).c_str()));
  EXPECT_EQ(Text(info.m_version), L"2.3.4.5");
  EXPECT_EQ(Text(info.m_short_version), L"2.3");
  EXPECT_EQ(Text(info.m_product_name), L"Sample Product");
  EXPECT_EQ(Text(info.m_internal_name), L"SampleInternal");
  EXPECT_EQ(info.m_plugin_id, ON_UuidFromString(L"0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9"));
}

TEST(VersionRecord, DefaultsStandWhenThereIsNoRecord) {
  for (const std::wstring& path :
       {std::wstring(L"/no/such/module.rhp"), std::wstring(L"/etc/hostname"), std::wstring(L"")}) {
    ModuleVersionInfo info;
    EXPECT_FALSE(ReadModuleVersionInfo(info, path.c_str()));
    EXPECT_EQ(Text(info.m_version), L"unknown");
    EXPECT_EQ(Text(info.m_short_version), L"");
    EXPECT_EQ(Text(info.m_product_name), L"Unkown");
    EXPECT_EQ(Text(info.m_internal_name), L"");
    EXPECT_TRUE(ON_UuidIsNil(info.m_plugin_id));
  }
  ModuleVersionInfo info;
  EXPECT_FALSE(ReadModuleVersionInfo(info, nullptr));
  EXPECT_EQ(Text(info.m_product_name), L"Unkown");
}

TEST(VersionRecord, WithoutATranslationOnlyTheVersionIsKnown) {
  ModuleVersionInfo info;
  EXPECT_FALSE(ReadModuleVersionInfo(info, Wide(VERSION_UNTRANSLATED_MODULE).c_str()));
  EXPECT_EQ(Text(info.m_version), L"7.8.9.10");
  EXPECT_EQ(Text(info.m_short_version), L"7.8");
  // The strings are filed under a translation; without one none is read.
  EXPECT_EQ(Text(info.m_product_name), L"Unkown");
}

} // namespace
