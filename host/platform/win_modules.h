#pragma once
// Modules (the executable and its shared libraries), the files embedded in
// them, their version records, and the module file calls.
//
// A module handle (HINSTANCE, HMODULE) is the module's load address; null
// means the executable. Embedded resources are registered by the module
// itself at load, from a source file that the CMake helper
// kyrel_embed_resources() generates (or from a static
// KyrelResourceRegistration the module defines), and are found through the
// module's handle. Version records are read from the module's own file:
// kyrel_module_version() places them in an ELF section named
// ".kyrel_version", so even a module that is not loaded can be asked.

#include <string>

#include "win_types.h"

#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_VERSION MAKEINTRESOURCEW(16)

// The module that contains `address` (code or data), or null if none does.
HMODULE KyrelModuleFromAddress(const void* address);

HMODULE GetModuleHandleW(LPCWSTR module_name); // null: the executable
// The module's path; truncated (and NUL-terminated) when the buffer is too
// small, as on Windows. 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
// POSIX paths have no short form: the path itself when the file exists,
// 0 (ERROR_FILE_NOT_FOUND) when it does not.
DWORD GetShortPathNameW(LPCWSTR long_path, LPWSTR short_path, DWORD size);

// Resources. Types and names are strings compared without regard to case,
// or small integers (MAKEINTRESOURCEW). The data stays valid while the
// module is loaded; LoadResource and LockResource only hand it out.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
BOOL FreeResource(HGLOBAL data);

// One embedded resource of a module.
struct KyrelResourceEntry {
  LPCWSTR type; // string or MAKEINTRESOURCEW
  LPCWSTR name; // string or MAKEINTRESOURCEW
  const void* data;
  DWORD size;
};

// A static object of this type registers resources for the module that
// holds it, from load to unload. The entries must outlive it.
class KyrelResourceRegistration {
public:
  KyrelResourceRegistration(const KyrelResourceEntry* entries, int count);
  KyrelResourceRegistration(LPCWSTR type, LPCWSTR name, const void* data, DWORD size);
  ~KyrelResourceRegistration();
  KyrelResourceRegistration(const KyrelResourceRegistration&) = delete;
  KyrelResourceRegistration& operator=(const KyrelResourceRegistration&) = delete;

private:
  KyrelResourceEntry single_{};
  const KyrelResourceEntry* entries_ = nullptr;
};

// Version information.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature = 0xFEEF04BD;
  DWORD dwStrucVersion = 0x00010000;
  DWORD dwFileVersionMS = 0;
  DWORD dwFileVersionLS = 0;
  DWORD dwProductVersionMS = 0;
  DWORD dwProductVersionLS = 0;
  DWORD dwFileFlagsMask = 0x3F;
  DWORD dwFileFlags = 0;
  DWORD dwFileOS = 0x40004;
  DWORD dwFileType = 2; // a library
  DWORD dwFileSubtype = 0;
  DWORD dwFileDateMS = 0;
  DWORD dwFileDateLS = 0;
};

// 0 (ERROR_RESOURCE_TYPE_NOT_FOUND) when the file has no version record.
DWORD GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle);
BOOL GetFileVersionInfoW(LPCWSTR path, DWORD handle, DWORD size, LPVOID block);
// Sub-blocks: L"\\" (VS_FIXEDFILEINFO), L"\\VarFileInfo\\Translation"
// (pairs of WORD language, WORD code page) and
// L"\\StringFileInfo\\llllcccc\\Name" (a NUL-terminated wide string; the
// hex digits compare without regard to case). FALSE when absent.
BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* buffer, UINT* length);

// Version records as text, the format kyrel_module_version() writes:
// lines "FileVersion=a.b.c.d", "ProductVersion=a.b.c.d",
// "Translation=0x0000 0x04B0" and "String:<Name>=<value>".
namespace kyrel::platform {
// Builds a version block from that text; empty when the text is unusable.
std::string BuildVersionBlock(const std::string& record_text);
} // namespace kyrel::platform

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL memory); // null on success
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
