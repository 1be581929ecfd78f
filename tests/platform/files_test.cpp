// Special folders, file creation, processes and the shell's "open".
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "temp_dir.h"
#include "win_strings.h"
#include "windows.h"

namespace {

using kyrel::platform::NativePath;
using kyrel::platform::WidePath;

TEST(SpecialFolders, AppDataFollowsXdgAndIsCreatedOnRequest) {
  TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", dir.path + "/data");
  wchar_t path[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(NativePath(path), dir.path + "/data");
  EXPECT_TRUE(std::filesystem::is_directory(dir.path + "/data"));
  ScopedEnv programs("KYREL_PROGRAM_FILES", dir.path + "/programs");
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  EXPECT_EQ(NativePath(path), dir.path + "/programs");
  EXPECT_EQ(SHGetFolderPathW(nullptr, 0x77, nullptr, 0, path), E_INVALIDARG);
  EXPECT_EQ(path[0], 0);
}

TEST(Paths, AppendJoinsWithOneSeparatorAndRefusesOverlongResults) {
  wchar_t path[MAX_PATH] = L"/base/";
  EXPECT_TRUE(PathAppendW(path, L"\\McNeel"));
  EXPECT_TRUE(PathAppendW(path, L"Rhinoceros"));
  EXPECT_EQ(std::wstring(path), L"/base/McNeel/Rhinoceros");
  std::wstring longer(300, L'x');
  EXPECT_FALSE(PathAppendW(path, longer.c_str()));
  EXPECT_EQ(std::wstring(path), L"/base/McNeel/Rhinoceros"); // unchanged
}

TEST(Files, CreateNewFailsWhenTheFileExistsAndDeleteThenCreateReplaces) {
  TempDir dir;
  std::wstring folder = WidePath(dir.path) + L"\\UI\\deeper";
  EXPECT_EQ(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr),
            static_cast<int>(ERROR_SUCCESS));
  EXPECT_EQ(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr),
            static_cast<int>(ERROR_ALREADY_EXISTS));
  std::wstring file = folder + L"\\Kyrel.rui";
  auto write = [&](const char* text) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr) &&
              written == std::strlen(text);
    CloseHandle(h);
    return ok;
  };
  EXPECT_TRUE(write("first"));
  EXPECT_FALSE(write("second"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_FALSE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(write("third"));
  std::ifstream in(NativePath(file));
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "third");
  EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW((folder + L"/nothing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Files, MoveReplacesOnlyWhenAskedAndNeverAFolder) {
  TempDir dir;
  std::wstring folder = WidePath(dir.path);
  std::wstring fresh = folder + L"\\Kyrel.rui.tmp", old = folder + L"\\Kyrel.rui";
  std::ofstream(NativePath(fresh)) << "new";
  std::ofstream(NativePath(old)) << "old";
  EXPECT_FALSE(MoveFileExW(fresh.c_str(), old.c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  std::filesystem::create_directory(dir.path + "/UI");
  EXPECT_FALSE(MoveFileExW(fresh.c_str(), (folder + L"\\UI").c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(MoveFileExW(fresh.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(std::filesystem::exists(NativePath(fresh)));
  std::ifstream in(NativePath(old));
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "new");
}

TEST(Processes, ArgumentsArriveUnsplitWithoutAShell) {
  TempDir dir;
  std::string out = dir.path + "/args.txt";
  // The script writes each argument on its own line; a shell would have
  // expanded the $HOME and split the spaced argument.
  std::string script = dir.path + "/record.sh";
  std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" << out << "\"\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  std::wstring line = L"\"" + WidePath(script) + L"\" \"HKLM\\SOFTWARE\\Uninstall\\{X Y}\" $HOME";
  PROCESS_INFORMATION info;
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0x4000040, nullptr,
                             nullptr, nullptr, &info));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  std::ifstream in(out);
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(first, "HKLM\\SOFTWARE\\Uninstall\\{X Y}");
  EXPECT_EQ(second, "$HOME");
}

TEST(Processes, MissingProgramFails) {
  std::wstring line = L"\"/nonexistent/updater\" arg";
  PROCESS_INFORMATION info;
  EXPECT_FALSE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              nullptr, &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(ShellOpen, UsesTheOpenerAndReportsFailure) {
  TempDir dir;
  std::string out = dir.path + "/opened.txt";
  std::string script = dir.path + "/opener.sh";
  // The opener runs on its own; it moves its finished file into place so the
  // test never reads a half-written one.
  std::ofstream(script) << "#!/bin/sh\necho \"$1\" > \"" << out << ".part\" && mv \"" << out
                        << ".part\" \"" << out << "\"\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  {
    ScopedEnv opener("KYREL_OPEN_COMMAND", script);
    auto result = reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", L"https://example.invalid/urlProduct.asp?i=11&u=4", nullptr,
                      nullptr, SW_SHOWNORMAL));
    EXPECT_GT(result, 32);
    for (int i = 0; i < 1000 && !std::filesystem::exists(out); ++i)
      Sleep(10);
    std::ifstream in(out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "https://example.invalid/urlProduct.asp?i=11&u=4");
  }
  ScopedEnv broken("KYREL_OPEN_COMMAND", dir.path + "/no-such-opener");
  EXPECT_LE(reinterpret_cast<std::intptr_t>(
                ShellExecuteW(nullptr, L"open", L"x", nullptr, nullptr, SW_SHOWNORMAL)),
            32);
}

} // namespace
