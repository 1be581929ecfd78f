// Special folders, paths and file handles on POSIX.

#include "win_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "file_util.h"
#include "kernel_object.h"
#include "win_strings.h"

using kyrel::platform::NativePath;
using kyrel::platform::Utf8ToWide;

namespace {

struct File final : kyrel::platform::KernelObject {
  File() : KernelObject(Kind::file) {}
  ~File() override {
    if (fd >= 0) close(fd);
  }
  int fd = -1;
};

std::string FolderFor(int csidl) {
  auto env_or = [](const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return std::string(v && v[0] == '/' ? v : fallback);
  };
  switch (csidl & 0xFF) {
  case CSIDL_APPDATA:
  case CSIDL_LOCAL_APPDATA:
    return kyrel::platform::XdgDir("XDG_DATA_HOME", ".local/share");
  case CSIDL_COMMON_APPDATA:
    return env_or("KYREL_COMMON_APPDATA", "/usr/local/share");
  case CSIDL_PROGRAM_FILES:
  case CSIDL_PROGRAM_FILES_COMMON:
    return env_or("KYREL_PROGRAM_FILES", "/opt");
  case CSIDL_PERSONAL: {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "";
  }
  default:
    return {};
  }
}

DWORD ErrnoToError(int e) {
  switch (e) {
  case ENOENT:
    return ERROR_FILE_NOT_FOUND;
  case ENOTDIR:
    return ERROR_PATH_NOT_FOUND;
  case EACCES:
  case EPERM:
  case EROFS:
    return ERROR_ACCESS_DENIED;
  case EEXIST:
    return ERROR_FILE_EXISTS;
  default:
    return ERROR_INVALID_PARAMETER;
  }
}

} // namespace

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path) {
  if (!path) return E_INVALIDARG;
  path[0] = 0;
  std::string folder = FolderFor(csidl);
  if (folder.empty()) return E_INVALIDARG;
  if ((csidl & CSIDL_FLAG_CREATE) && !kyrel::platform::CreateDirectories(folder)) return E_FAIL;
  std::wstring wide = Utf8ToWide(folder);
  if (wide.size() >= MAX_PATH) return E_FAIL;
  std::wmemcpy(path, wide.c_str(), wide.size() + 1);
  return S_OK;
}

BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create) {
  return SUCCEEDED(
             SHGetFolderPathW(owner, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr, 0, path))
             ? TRUE
             : FALSE;
}

int SHCreateDirectoryExW(HWND, LPCWSTR path, const SECURITY_ATTRIBUTES*) {
  if (!path || !*path) return static_cast<int>(ERROR_INVALID_PARAMETER);
  std::string native = NativePath(path);
  struct stat st {};
  if (stat(native.c_str(), &st) == 0)
    return static_cast<int>(S_ISDIR(st.st_mode) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS);
  return kyrel::platform::CreateDirectories(native) ? static_cast<int>(ERROR_SUCCESS)
                                                    : static_cast<int>(ErrnoToError(errno));
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  if (!path) return FALSE;
  if (mkdir(NativePath(path).c_str(), 0777) != 0) {
    SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrnoToError(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL PathAppendW(LPWSTR path, LPCWSTR more) {
  if (!path || !more) return FALSE;
  std::wstring result(path);
  std::wstring tail(more);
  while (!tail.empty() && (tail.front() == L'\\' || tail.front() == L'/'))
    tail.erase(0, 1);
  if (!result.empty() && result.back() != L'/' && result.back() != L'\\' && !tail.empty())
    result += L'/';
  result += tail;
  if (result.size() >= MAX_PATH) return FALSE;
  std::wmemcpy(path, result.c_str(), result.size() + 1);
  return TRUE;
}

LPWSTR PathCombineW(LPWSTR dest, LPCWSTR dir, LPCWSTR file) {
  if (!dest) return nullptr;
  std::wstring d = dir ? dir : L"";
  if (d.size() >= MAX_PATH) return nullptr;
  std::wmemcpy(dest, d.c_str(), d.size() + 1);
  if (file && (file[0] == L'/' || file[0] == L'\\')) {
    std::wstring f(file);
    if (f.size() >= MAX_PATH) return nullptr;
    std::wmemcpy(dest, f.c_str(), f.size() + 1);
    return dest;
  }
  return PathAppendW(dest, file ? file : L"") ? dest : nullptr;
}

BOOL PathFileExistsW(LPCWSTR path) {
  return path && access(NativePath(path).c_str(), F_OK) == 0 ? TRUE : FALSE;
}

HANDLE CreateFileW(LPCWSTR path, DWORD access_mask, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flags, HANDLE) {
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  int oflags = 0;
  bool r = (access_mask & GENERIC_READ) != 0, w = (access_mask & GENERIC_WRITE) != 0;
  oflags |= (r && w) ? O_RDWR : (w ? O_WRONLY : O_RDONLY);
  switch (disposition) {
  case CREATE_NEW:
    oflags |= O_CREAT | O_EXCL;
    break;
  case CREATE_ALWAYS:
    oflags |= O_CREAT | O_TRUNC;
    break;
  case OPEN_EXISTING:
    break;
  case OPEN_ALWAYS:
    oflags |= O_CREAT;
    break;
  case TRUNCATE_EXISTING:
    oflags |= O_TRUNC;
    break;
  default:
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = open(NativePath(path).c_str(), oflags | O_CLOEXEC, mode);
  if (fd < 0) {
    SetLastError(ErrnoToError(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto* file = new File;
  file->fd = fd;
  return kyrel::platform::ToHandle(file);
}

BOOL WriteFile(HANDLE handle, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED) {
  auto* object = kyrel::platform::FromHandle(handle);
  if (written) *written = 0;
  if (!object || object->kind != kyrel::platform::KernelObject::Kind::file || (!data && bytes)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  int fd = static_cast<File*>(object)->fd;
  const char* p = static_cast<const char*>(data);
  DWORD done = 0;
  while (done < bytes) {
    ssize_t n = write(fd, p + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (written) *written = done;
      SetLastError(ERROR_WRITE_FAULT);
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL ReadFile(HANDLE handle, LPVOID data, DWORD bytes, LPDWORD read_count, LPOVERLAPPED) {
  auto* object = kyrel::platform::FromHandle(handle);
  if (read_count) *read_count = 0;
  if (!object || object->kind != kyrel::platform::KernelObject::Kind::file || (!data && bytes)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ssize_t n;
  do {
    n = read(static_cast<File*>(object)->fd, data, bytes);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    SetLastError(ERROR_READ_FAULT);
    return FALSE;
  }
  if (read_count) *read_count = static_cast<DWORD>(n);
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  if (!path) return FALSE;
  std::string native = NativePath(path);
  struct stat st {};
  if (lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(native.c_str()) != 0) {
    SetLastError(ErrnoToError(errno));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
  struct stat st {};
  if (!path || stat(NativePath(path).c_str(), &st) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (access(NativePath(path).c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

BOOL FlushFileBuffers(HANDLE handle) {
  auto* object = kyrel::platform::FromHandle(handle);
  if (!object || object->kind != kyrel::platform::KernelObject::Kind::file) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (fsync(static_cast<File*>(object)->fd) != 0) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (!from || !*from || !to || !*to) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string source = NativePath(from), target = NativePath(to);
  struct stat st {};
  if (lstat(target.c_str(), &st) == 0) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    // Windows never replaces a folder by a file.
    if (S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  if (rename(source.c_str(), target.c_str()) != 0) {
    SetLastError(ErrnoToError(errno));
    return FALSE;
  }
  return TRUE;
}
