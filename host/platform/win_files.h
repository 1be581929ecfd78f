#pragma once
// Special folders (XDG), path joining, and the file calls the system uses.
// Backslashes in paths are taken as folder separators.
//
// Folders: CSIDL_APPDATA and CSIDL_LOCAL_APPDATA -> $XDG_DATA_HOME (else
// ~/.local/share); CSIDL_COMMON_APPDATA -> $KYREL_COMMON_APPDATA (else
// /usr/local/share); CSIDL_PROGRAM_FILES and CSIDL_PROGRAM_FILES_COMMON ->
// $KYREL_PROGRAM_FILES (else /opt); CSIDL_PERSONAL -> $HOME.

#include "win_types.h"

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x002B;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
#define SUCCEEDED(hr) ((hr) >= 0)
#define FAILED(hr) ((hr) < 0)

// `path` must hold MAX_PATH characters. With CSIDL_FLAG_CREATE (or
// `create`) the folder is made when missing.
HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path);
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);
// Creates the folder with all missing parents: ERROR_SUCCESS, or
// ERROR_ALREADY_EXISTS when it was there.
int SHCreateDirectoryExW(HWND owner, LPCWSTR path, const SECURITY_ATTRIBUTES* security);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);

// Appends `more` to `path` (MAX_PATH characters) with one separator.
BOOL PathAppendW(LPWSTR path, LPCWSTR more);
LPWSTR PathCombineW(LPWSTR dest, LPCWSTR dir, LPCWSTR file);
BOOL PathFileExistsW(LPCWSTR path);

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// INVALID_HANDLE_VALUE on failure (CREATE_NEW on an existing file:
// ERROR_FILE_EXISTS). Sharing modes are not enforced.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE template_file);
BOOL WriteFile(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped);
BOOL ReadFile(HANDLE file, LPVOID data, DWORD bytes, LPDWORD read, LPOVERLAPPED overlapped);
BOOL DeleteFileW(LPCWSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
// Commits what was written through the handle to the disk (fsync).
BOOL FlushFileBuffers(HANDLE file);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
// Renames a file. An existing `to` is replaced, in one step, only with
// MOVEFILE_REPLACE_EXISTING (else ERROR_ALREADY_EXISTS); readers see the old
// file or the new one, never neither. Both paths must lie on one volume.
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
