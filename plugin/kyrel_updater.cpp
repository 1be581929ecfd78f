// The updater launch: one quoted argument, low priority, fire and forget.

#include "kyrel_updater.h"

#include <vector>

#include "kyrel_app.h"
#include "windows.h"

namespace {

// Default error mode and idle priority: the updater must never compete
// with the host for the user's attention or the processor.
constexpr DWORD kUpdaterCreationFlags = CREATE_DEFAULT_ERROR_MODE | IDLE_PRIORITY_CLASS;

std::wstring UpdaterPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, SHGFP_TYPE_CURRENT,
                              folder)))
    folder[0] = L'\0';
  if (folder[0] == L'\0') return kKyrelUpdaterFileName;
  std::wstring path = folder;
  path += L"\\";
  path += kKyrelOrganization;
  path += L"\\Update\\";
  path += kKyrelUpdaterFileName;
  return path;
}

} // namespace

std::wstring KyrelUpdaterCommandLine(const std::wstring& product_code) {
  if (product_code.empty() || product_code.find(L'"') != std::wstring::npos ||
      product_code.back() == L'\\')
    return {};
  return L"\"" + UpdaterPath() +
         L"\" \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product_code +
         L"\"";
}

void LaunchUpdater(const CKyrelApp& app) {
  std::wstring command_line = KyrelUpdaterCommandLine(app.m_product_code.str());
  if (command_line.empty()) return;
  // The process call may write into the command line, as on Windows.
  std::vector<wchar_t> writable(command_line.begin(), command_line.end());
  writable.push_back(L'\0');
  STARTUPINFOW startup{};
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, kUpdaterCreationFlags,
                     nullptr, nullptr, &startup, &info)) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
}
