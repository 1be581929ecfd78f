// The machine registry file.
#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"
#include "windows.h"

namespace {

class Registry : public ::testing::Test {
protected:
  void Write(const std::string& text) { std::ofstream(file) << text; }
  TempDir dir;
  std::string file = dir.path + "/registry.json";
  ScopedEnv env{"KYREL_REGISTRY", file};
};

// Reads a string value the way the application object does: size first,
// then a buffer of half the byte count in characters.
bool ReadProductCode(std::wstring& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvikCAD\\Kyrel\\1.0", 0, 0x20019, &key) !=
      ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  bool ok = false;
  if (RegQueryValueExW(key, L"ProductCode", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    std::wstring buffer(size / 2, L'\0');
    if (RegQueryValueExW(key, L"ProductCode", nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) == ERROR_SUCCESS) {
      out = buffer.c_str();
      ok = true;
    }
  }
  RegCloseKey(key);
  return ok;
}

TEST_F(Registry, StringValueIsReadWithTheHalvedByteCount) {
  Write(R"({"HKEY_LOCAL_MACHINE\\SOFTWARE\\TarvikCAD\\Kyrel\\1.0":
             {"ProductCode": {"type": "REG_SZ", "value": "{ABC-123}"}}})");
  std::wstring code;
  ASSERT_TRUE(ReadProductCode(code));
  EXPECT_EQ(code, L"{ABC-123}");
}

TEST_F(Registry, KeyAndValueNamesIgnoreCase) {
  Write(R"({"hkey_local_machine\\software\\tarvikcad\\kyrel\\1.0":
             {"productcode": {"type": "REG_SZ", "value": "x"}}})");
  std::wstring code;
  EXPECT_TRUE(ReadProductCode(code));
  EXPECT_EQ(code, L"x");
}

TEST_F(Registry, MissingFileKeyOrValueAndWrongTypesAreReported) {
  std::wstring code;
  EXPECT_FALSE(ReadProductCode(code)); // no file at all
  Write("{ this is not json");
  EXPECT_FALSE(ReadProductCode(code));
  Write(
      R"({"HKEY_LOCAL_MACHINE\\SOFTWARE\\TarvikCAD\\Kyrel\\1.0": {"Other": {"type": "REG_SZ", "value": "x"}}})");
  EXPECT_FALSE(ReadProductCode(code));
  Write(
      R"({"HKEY_LOCAL_MACHINE\\SOFTWARE\\TarvikCAD\\Kyrel\\1.0": {"ProductCode": {"type": "REG_DWORD", "value": 5}}})");
  EXPECT_FALSE(ReadProductCode(code));
  Write(
      R"({"HKEY_LOCAL_MACHINE\\SOFTWARE\\TarvikCAD\\Kyrel\\1.0": {"ProductCode": {"type": "REG_SZ", "value": 5}}})");
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvikCAD\\Kyrel\\1.0", 0, KEY_READ, &key),
      ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"ProductCode", nullptr, &type, nullptr, &size),
            ERROR_INVALID_DATA);
  RegCloseKey(key);
}

TEST_F(Registry, SmallBufferGetsMoreDataAndTheSizeNeeded) {
  Write(R"({"HKEY_LOCAL_MACHINE\\K": {"V": {"type": "REG_SZ", "value": "abcdef"}}})");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"K", 0, KEY_READ, &key), ERROR_SUCCESS);
  wchar_t small[2] = {L'z', L'z'};
  DWORD size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key, L"V", nullptr, nullptr, reinterpret_cast<LPBYTE>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 7 * sizeof(wchar_t));
  EXPECT_EQ(small[0], L'z'); // untouched
  RegCloseKey(key);
}

TEST_F(Registry, WrittenValuesSurviveAndReadOnlyKeysRefuseWrites) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\T", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::wstring text = L"hello";
  EXPECT_EQ(RegSetValueExW(key, L"S", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  DWORD n = 17;
  EXPECT_EQ(RegSetValueExW(key, L"D", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n),
            ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"software\\t", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value, type = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"D", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, 17u);
  EXPECT_EQ(RegSetValueExW(key, L"D", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n),
            ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
}

} // namespace
