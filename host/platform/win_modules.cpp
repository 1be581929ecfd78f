// Modules through the dynamic loader; embedded resources by registration;
// version records from the module file's ".kyrel_version" section.

#include "win_modules.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "win_strings.h"

using kyrel::platform::EqualsNoCase;
using kyrel::platform::NativePath;
using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;

namespace {

struct ModuleInfo {
  HMODULE base = nullptr;
  std::string path;
};

std::vector<ModuleInfo> LoadedModules() {
  std::vector<ModuleInfo> modules;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) -> int {
        ElfW(Addr) lowest = ~ElfW(Addr){0};
        for (int i = 0; i < info->dlpi_phnum; ++i)
          if (info->dlpi_phdr[i].p_type == PT_LOAD)
            lowest = std::min(lowest, info->dlpi_phdr[i].p_vaddr);
        if (lowest == ~ElfW(Addr){0}) return 0;
        ModuleInfo m;
        m.base = reinterpret_cast<HMODULE>(info->dlpi_addr + lowest);
        m.path = info->dlpi_name ? info->dlpi_name : "";
        auto* list = static_cast<std::vector<ModuleInfo>*>(data);
        if (list->empty() && m.path.empty()) {
          char exe[4096];
          ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
          if (n > 0) m.path.assign(exe, static_cast<std::size_t>(n));
        }
        list->push_back(m);
        return 0;
      },
      &modules);
  return modules;
}

HMODULE ExecutableModule() {
  auto modules = LoadedModules();
  return modules.empty() ? nullptr : modules.front().base;
}

HMODULE Resolve(HMODULE module) {
  return module ? module : ExecutableModule();
}

bool SameName(LPCWSTR a, LPCWSTR b) {
  if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
  return EqualsNoCase(a, b);
}

struct ResourceTable {
  std::mutex mutex;
  std::multimap<HMODULE, std::pair<const KyrelResourceEntry*, int>> modules;
};
ResourceTable& Resources() {
  static auto* table = new ResourceTable;
  return *table;
}

void Register(const void* anchor, const KyrelResourceEntry* entries, int count) {
  if (!entries || count <= 0) return;
  HMODULE module = KyrelModuleFromAddress(anchor);
  std::lock_guard<std::mutex> lock(Resources().mutex);
  Resources().modules.emplace(module, std::make_pair(entries, count));
}

void Unregister(const KyrelResourceEntry* entries) {
  std::lock_guard<std::mutex> lock(Resources().mutex);
  auto& m = Resources().modules;
  for (auto it = m.begin(); it != m.end();)
    it = it->second.first == entries ? m.erase(it) : std::next(it);
}

// ---- version records ----

bool ReadSection(const std::string& path, const char* wanted, std::string& out) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return false;
  Elf64_Ehdr eh;
  if (std::fread(&eh, sizeof eh, 1, f.get()) != 1) return false;
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64)
    return false;
  if (eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shnum == 0 || eh.e_shstrndx >= eh.e_shnum ||
      eh.e_shnum > 65000)
    return false;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  if (std::fseek(f.get(), static_cast<long>(eh.e_shoff), SEEK_SET) != 0) return false;
  if (std::fread(sections.data(), sizeof(Elf64_Shdr), sections.size(), f.get()) != sections.size())
    return false;
  const Elf64_Shdr& names = sections[eh.e_shstrndx];
  if (names.sh_size > (1u << 24)) return false;
  std::string strtab(names.sh_size, '\0');
  if (std::fseek(f.get(), static_cast<long>(names.sh_offset), SEEK_SET) != 0) return false;
  if (std::fread(strtab.data(), 1, strtab.size(), f.get()) != strtab.size()) return false;
  for (const Elf64_Shdr& s : sections) {
    if (s.sh_name >= strtab.size()) continue;
    if (std::strcmp(strtab.c_str() + s.sh_name, wanted) != 0) continue;
    if (s.sh_type == SHT_NOBITS || s.sh_size == 0 || s.sh_size > (1u << 20)) return false;
    out.assign(s.sh_size, '\0');
    if (std::fseek(f.get(), static_cast<long>(s.sh_offset), SEEK_SET) != 0) return false;
    if (std::fread(out.data(), 1, out.size(), f.get()) != out.size()) return false;
    // The section may hold several records when objects were merged; the
    // first one is the module's.
    out.resize(std::strlen(out.c_str()));
    return true;
  }
  return false;
}

bool ParseVersion(const std::string& text, DWORD& ms, DWORD& ls) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
  if (a > 0xFFFF || b > 0xFFFF || c > 0xFFFF || d > 0xFFFF) return false;
  ms = (a << 16) | b;
  ls = (c << 16) | d;
  return true;
}

struct BlockHeader {
  char magic[8];
  DWORD total;
  DWORD translation_offset;
  DWORD translation_count;
  DWORD string_offset;
  DWORD string_count;
  DWORD reserved;
  VS_FIXEDFILEINFO fixed;
};

void Append(std::string& block, const void* data, std::size_t size) {
  block.append(static_cast<const char*>(data), size);
  while (block.size() % 4)
    block.push_back('\0');
}

std::string BlockForFile(LPCWSTR path) {
  if (!path) return {};
  std::string text;
  if (!ReadSection(NativePath(path), ".kyrel_version", text)) return {};
  return kyrel::platform::BuildVersionBlock(text);
}

} // namespace

namespace kyrel::platform {

std::string BuildVersionBlock(const std::string& record_text) {
  BlockHeader header{};
  std::memcpy(header.magic, "KYRLVER1", 8);
  header.fixed = VS_FIXEDFILEINFO{};
  bool have_version = false;
  std::vector<WORD> translations;
  std::vector<std::pair<std::wstring, std::wstring>> strings;
  std::istringstream lines(record_text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "FileVersion") {
      have_version |=
          ParseVersion(value, header.fixed.dwFileVersionMS, header.fixed.dwFileVersionLS);
    } else if (key == "ProductVersion") {
      have_version |=
          ParseVersion(value, header.fixed.dwProductVersionMS, header.fixed.dwProductVersionLS);
    } else if (key == "Translation") {
      unsigned lang = 0, cp = 0;
      if (std::sscanf(value.c_str(), "%x %x", &lang, &cp) == 2 && lang <= 0xFFFF && cp <= 0xFFFF) {
        translations.push_back(static_cast<WORD>(lang));
        translations.push_back(static_cast<WORD>(cp));
      }
    } else if (key.rfind("String:", 0) == 0 && key.size() > 7) {
      strings.emplace_back(Utf8ToWide(key.substr(7)), Utf8ToWide(value));
    }
  }
  if (!have_version) return {};
  std::string body;
  header.translation_offset = sizeof(BlockHeader);
  header.translation_count = static_cast<DWORD>(translations.size() / 2);
  Append(body, translations.data(), translations.size() * sizeof(WORD));
  header.string_offset = static_cast<DWORD>(sizeof(BlockHeader) + body.size());
  for (std::size_t t = 0; t + 1 < translations.size(); t += 2) {
    wchar_t prefix[16];
    std::swprintf(prefix, 16, L"%04x%04x\\", translations[t], translations[t + 1]);
    for (auto& [name, value] : strings) {
      std::wstring key = prefix + name;
      DWORD lengths[2] = {static_cast<DWORD>(key.size() + 1), static_cast<DWORD>(value.size() + 1)};
      Append(body, lengths, sizeof lengths);
      Append(body, key.c_str(), (key.size() + 1) * sizeof(wchar_t));
      Append(body, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
      ++header.string_count;
    }
  }
  header.total = static_cast<DWORD>(sizeof(BlockHeader) + body.size());
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  return block + body;
}

} // namespace kyrel::platform

HMODULE KyrelModuleFromAddress(const void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE GetModuleHandleW(LPCWSTR name) {
  if (!name) return ExecutableModule();
  std::string wanted = NativePath(name);
  for (const ModuleInfo& m : LoadedModules()) {
    std::string base = m.path.substr(
        m.path.find_last_of('/') == std::string::npos ? 0 : m.path.find_last_of('/') + 1);
    if (EqualsNoCase(Utf8ToWide(base), Utf8ToWide(wanted)) || m.path == wanted) return m.base;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  module = Resolve(module);
  for (const ModuleInfo& m : LoadedModules()) {
    if (m.base != module) continue;
    std::wstring path = Utf8ToWide(m.path);
    DWORD n = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::wmemcpy(buffer, path.data(), n);
    buffer[n] = 0;
    if (path.size() >= size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return size;
    }
    return n;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

DWORD GetShortPathNameW(LPCWSTR long_path, LPWSTR short_path, DWORD size) {
  if (!long_path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (access(NativePath(long_path).c_str(), F_OK) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  std::size_t n = std::wcslen(long_path);
  if (!short_path || size <= n) return static_cast<DWORD>(n + 1); // size needed
  std::wmemmove(short_path, long_path, n + 1);
  return static_cast<DWORD>(n);
}

KyrelResourceRegistration::KyrelResourceRegistration(const KyrelResourceEntry* entries, int count)
    : entries_(entries) {
  Register(this, entries, count);
}

KyrelResourceRegistration::KyrelResourceRegistration(LPCWSTR type, LPCWSTR name, const void* data,
                                                     DWORD size)
    : single_{type, name, data, size}, entries_(&single_) {
  Register(this, &single_, 1);
}

KyrelResourceRegistration::~KyrelResourceRegistration() {
  Unregister(entries_);
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  if (!name || !type) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  module = Resolve(module);
  std::lock_guard<std::mutex> lock(Resources().mutex);
  auto range = Resources().modules.equal_range(module);
  bool type_seen = false;
  for (auto it = range.first; it != range.second; ++it) {
    for (int i = 0; i < it->second.second; ++i) {
      const KyrelResourceEntry& e = it->second.first[i];
      if (!SameName(e.type, type)) continue;
      type_seen = true;
      if (SameName(e.name, name))
        return reinterpret_cast<HRSRC>(const_cast<KyrelResourceEntry*>(&e));
    }
  }
  SetLastError(type_seen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  return resource ? reinterpret_cast<const KyrelResourceEntry*>(resource)->size : 0;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  if (!resource) return nullptr;
  return const_cast<void*>(reinterpret_cast<const KyrelResourceEntry*>(resource)->data);
}

LPVOID LockResource(HGLOBAL data) {
  return data;
}
BOOL FreeResource(HGLOBAL) {
  return FALSE;
}

DWORD GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle) {
  if (handle) *handle = 0;
  std::string block = BlockForFile(path);
  if (block.empty()) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
  }
  return static_cast<DWORD>(block.size());
}

BOOL GetFileVersionInfoW(LPCWSTR path, DWORD, DWORD size, LPVOID out) {
  std::string block = BlockForFile(path);
  if (block.empty() || !out) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  if (size < block.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(out, block.data(), block.size());
  return TRUE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* buffer, UINT* length) {
  if (!block || !sub_block || !buffer) return FALSE;
  const auto* header = static_cast<const BlockHeader*>(block);
  if (std::memcmp(header->magic, "KYRLVER1", 8) != 0) return FALSE;
  const char* base = static_cast<const char*>(block);
  std::wstring query(sub_block);
  for (wchar_t& ch : query)
    if (ch == L'/') ch = L'\\';
  if (query == L"\\" || query.empty()) {
    *buffer = const_cast<VS_FIXEDFILEINFO*>(&header->fixed);
    if (length) *length = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
  }
  if (EqualsNoCase(query, L"\\VarFileInfo\\Translation")) {
    if (header->translation_count == 0) return FALSE;
    *buffer = const_cast<char*>(base + header->translation_offset);
    if (length) *length = header->translation_count * 2 * sizeof(WORD);
    return TRUE;
  }
  const std::wstring prefix = L"\\StringFileInfo\\";
  if (query.size() <= prefix.size() || !EqualsNoCase(query.substr(0, prefix.size()), prefix))
    return FALSE;
  std::wstring key = query.substr(prefix.size());
  std::size_t offset = header->string_offset;
  for (DWORD i = 0; i < header->string_count && offset + 8 <= header->total; ++i) {
    DWORD lengths[2];
    std::memcpy(lengths, base + offset, sizeof lengths);
    offset += sizeof lengths;
    const auto* k = reinterpret_cast<const wchar_t*>(base + offset);
    offset += ((lengths[0] * sizeof(wchar_t) + 3) / 4) * 4;
    const auto* v = reinterpret_cast<const wchar_t*>(base + offset);
    offset += ((lengths[1] * sizeof(wchar_t) + 3) / 4) * 4;
    if (EqualsNoCase(k, key)) {
      *buffer = const_cast<wchar_t*>(v);
      if (length) *length = lengths[1];
      return TRUE;
    }
  }
  return FALSE;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  void* p =
      (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  std::free(memory);
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL memory) {
  return memory;
}
BOOL GlobalUnlock(HGLOBAL) {
  return TRUE;
}
