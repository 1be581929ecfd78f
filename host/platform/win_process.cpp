// Processes through posix_spawnp; the shell's "open" through an opener.

#include "win_process.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "kernel_object.h"
#include "win_strings.h"
#include "win_threads.h"

extern char** environ;

using kyrel::platform::KernelObject;
using kyrel::platform::NativePath;
using kyrel::platform::WideToUtf8;

namespace {

struct Process final : KernelObject {
  Process() : KernelObject(Kind::process) {}
  pid_t pid = 0;
  DWORD exit_code = 259; // STILL_ACTIVE, guarded by the wait lock
};

// Stands for the main thread of a started process; signalled with it.
struct ProcessThread final : KernelObject {
  ProcessThread() : KernelObject(Kind::thread) {}
};

// Without `inherit_std_streams` the child reads nothing and writes nowhere
// of ours: a program the host starts and forgets must not keep the host's
// output pipe open after the host has ended.
bool Spawn(const std::vector<std::string>& args, const char* cwd, bool inherit_std_streams,
           pid_t& pid) {
  if (args.empty() || args[0].empty()) return false;
  std::vector<char*> argv;
  for (const auto& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!inherit_std_streams) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
  if (cwd) posix_spawn_file_actions_addchdir_np(&actions, cwd);
#else
  (void)cwd;
#endif
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0;
}

} // namespace

namespace kyrel::platform {

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> args;
  std::size_t i = 0, n = line.size();
  while (i < n) {
    while (i < n && (line[i] == L' ' || line[i] == L'\t'))
      ++i;
    if (i >= n) break;
    std::wstring arg;
    bool quoted = false;
    while (i < n && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
      if (line[i] == L'\\') {
        std::size_t slashes = 0;
        while (i < n && line[i] == L'\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == L'"') {
          arg.append(slashes / 2, L'\\');
          if (slashes % 2) {
            arg += L'"';
            ++i;
          }
        } else {
          arg.append(slashes, L'\\');
        }
      } else if (line[i] == L'"') {
        quoted = !quoted;
        ++i;
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

} // namespace kyrel::platform

BOOL CreateProcessW(LPCWSTR application, LPWSTR command_line, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL inherit_handles, DWORD flags, LPVOID,
                    LPCWSTR current_directory, LPSTARTUPINFOW, LPPROCESS_INFORMATION info) {
  std::vector<std::wstring> wide_args =
      kyrel::platform::SplitCommandLine(command_line ? command_line : L"");
  std::vector<std::string> args;
  for (const auto& a : wide_args)
    args.push_back(WideToUtf8(a));
  if (application && *application) {
    if (args.empty())
      args.push_back(NativePath(application));
    else
      args[0] = NativePath(application);
  } else if (!args.empty()) {
    args[0] = NativePath(wide_args[0]);
  }
  std::string cwd = current_directory ? NativePath(current_directory) : std::string();
  pid_t pid = 0;
  if (!Spawn(args, current_directory ? cwd.c_str() : nullptr, inherit_handles != FALSE, pid)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (flags & IDLE_PRIORITY_CLASS)
    setpriority(PRIO_PROCESS, static_cast<id_t>(pid), 19);
  else if (flags & BELOW_NORMAL_PRIORITY_CLASS)
    setpriority(PRIO_PROCESS, static_cast<id_t>(pid), 5);

  auto* process = new Process;
  process->pid = pid;
  auto* thread = new ProcessThread;
  HANDLE hp = kyrel::platform::ToHandle(process);
  HANDLE ht = kyrel::platform::ToHandle(thread);
  // A reaper per process collects its status so that it never lingers as a
  // zombie, whether or not anyone waits for it.
  kyrel::platform::AddRef(process);
  kyrel::platform::AddRef(thread);
  std::thread([process, thread] {
    int status = 0;
    pid_t r;
    do {
      r = waitpid(process->pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    {
      std::lock_guard<std::mutex> lock(kyrel::platform::WaitLock());
      process->exit_code = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 1u;
      process->signalled = true;
      thread->signalled = true;
    }
    kyrel::platform::WaitCondition().notify_all();
    kyrel::platform::Release(process);
    kyrel::platform::Release(thread);
  }).detach();
  if (info) {
    info->hProcess = hp;
    info->hThread = ht;
    info->dwProcessId = static_cast<DWORD>(pid);
    info->dwThreadId = static_cast<DWORD>(pid);
  } else {
    CloseHandle(hp);
    CloseHandle(ht);
  }
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exit_code) {
  KernelObject* object = kyrel::platform::FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::process || !exit_code) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(kyrel::platform::WaitLock());
  *exit_code = static_cast<Process*>(object)->exit_code;
  return TRUE;
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int) {
  auto result = [](ULONG_PTR v) { return reinterpret_cast<HINSTANCE>(v); };
  if (!file || !*file) return result(ERROR_FILE_NOT_FOUND);
  if (verb && *verb && !kyrel::platform::EqualsNoCase(verb, L"open"))
    return result(31); // no association
  std::vector<std::string> args;
  const char* opener = std::getenv("KYREL_OPEN_COMMAND");
  args.push_back(opener && *opener ? opener : "xdg-open");
  args.push_back(WideToUtf8(file));
  if (parameters && *parameters)
    for (const auto& p : kyrel::platform::SplitCommandLine(parameters))
      args.push_back(WideToUtf8(p));
  std::string cwd = directory ? NativePath(directory) : std::string();
  pid_t pid = 0;
  if (!Spawn(args, directory ? cwd.c_str() : nullptr, true, pid))
    return result(ERROR_FILE_NOT_FOUND);
  std::thread([pid] {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return result(42);
}
