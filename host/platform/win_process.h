#pragma once
// Starting programs: CreateProcessW with a Windows command line split into
// an argument vector (no shell is involved), and the shell's "open".

#include <string>
#include <vector>

#include "win_types.h"

constexpr DWORD CREATE_DEFAULT_ERROR_MODE = 0x04000000;
constexpr DWORD IDLE_PRIORITY_CLASS = 0x00000040;
constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x00004000;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;

struct STARTUPINFOW {
  DWORD cb = sizeof(STARTUPINFOW);
  LPWSTR lpDesktop = nullptr;
  LPWSTR lpTitle = nullptr;
  DWORD dwFlags = 0;
  WORD wShowWindow = 0;
};
struct PROCESS_INFORMATION {
  HANDLE hProcess = nullptr;
  HANDLE hThread = nullptr;
  DWORD dwProcessId = 0;
  DWORD dwThreadId = 0;
};
using LPSTARTUPINFOW = STARTUPINFOW*;
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// The program is `application` when given, else the first word of
// `command_line`, looked up on PATH. The process handle is signalled when
// the program ends (GetExitCodeProcess gives its status); the thread handle
// stands for its main thread. IDLE_PRIORITY_CLASS runs it at the lowest
// scheduling weight. Without `inherit_handles` the program's standard
// input and output are the null device, not the caller's. FALSE with
// ERROR_FILE_NOT_FOUND when it cannot start.
BOOL CreateProcessW(LPCWSTR application, LPWSTR command_line,
                    LPSECURITY_ATTRIBUTES process_security, LPSECURITY_ATTRIBUTES thread_security,
                    BOOL inherit_handles, DWORD flags, LPVOID environment,
                    LPCWSTR current_directory, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info);
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exit_code);

// Opens a file or web address with the desktop's opener ($KYREL_OPEN_COMMAND
// when set, else xdg-open), without waiting. Above 32 on success, as on
// Windows; 2 (file not found) when the opener cannot be started.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int show);

namespace kyrel::platform {
// Windows command-line splitting: spaces separate arguments, double quotes
// group, 2n backslashes before a quote give n backslashes, a backslash
// before a quote escapes it.
std::vector<std::wstring> SplitCommandLine(const std::wstring& command_line);
} // namespace kyrel::platform
