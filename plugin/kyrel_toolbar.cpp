// Toolbar files: from the module's resources into the user's profile, and
// from there into the host's toolbar manager.

#include "kyrel_toolbar.h"

#include <string>

#include "kyrel_app.h"
#include "rhinoSdk.h"
#include "windows.h"

namespace {

// The collection of the version-5 host, and the toolbar files of the
// version-4 host in its own format. This module carries only the
// collection: no version-4 host loads it, and the files an older
// installation left for one are removed all the same.
constexpr const wchar_t* kCollectionFile = L"Kyrel.rui";
constexpr const wchar_t* kLegacyFiles[] = {L"Kyrel_16.tb", L"Kyrel_24.tb", L"Kyrel_32.tb"};
constexpr const wchar_t* kLegacyLoadedFile = L"Kyrel_24.tb";

std::wstring Join(const std::wstring& folder, const wchar_t* name) {
  if (folder.empty()) return name;
  const wchar_t last = folder.back();
  return folder + (last == L'\\' || last == L'/' ? L"" : L"\\") + name;
}

// The version folder; relative to the current folder when the user's
// application data cannot be found.
std::wstring VersionFolder() {
  wchar_t app_data[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                              SHGFP_TYPE_CURRENT, app_data)))
    app_data[0] = L'\0';
  const std::wstring version = std::to_wstring(RhinoApp().ExeVersion()) + L".0";
  return Join(Join(Join(app_data, L"McNeel"), L"Rhinoceros"), version.c_str());
}

std::wstring UiFolder() {
  return Join(VersionFolder(), L"UI");
}

} // namespace

void LoadToolbarCollection() {
  std::wstring path = UiFolder();
  switch (RhinoApp().ExeVersion()) {
  case 5:
    path = Join(path, kCollectionFile);
    break;
  case 4:
    path = Join(path, kLegacyLoadedFile);
    break;
  default:
    break;
  }
  CRhinoUiToolBarManager& toolbars = RhinoUiManager().ToolBarManager();
  if (toolbars.CollectionIndex(path.c_str(), false) == -1)
    toolbars.ReadFile(path.c_str(), true, true, false);
}

void RefreshToolbarFiles() {
  const std::wstring version_folder = VersionFolder();
  for (const wchar_t* legacy : kLegacyFiles)
    DeleteProfileFile(version_folder.c_str(), legacy);

  const std::wstring ui_folder = UiFolder();
  SHCreateDirectoryExW(nullptr, ui_folder.c_str(), nullptr);
  switch (RhinoApp().ExeVersion()) {
  case 5:
    ExtractFileResource(ui_folder.c_str(), kCollectionFile);
    break;
  case 4:
    for (const wchar_t* legacy : kLegacyFiles)
      ExtractFileResource(ui_folder.c_str(), legacy);
    break;
  default:
    break;
  }
}

void ExtractFileResource(const wchar_t* folder, const wchar_t* name) {
  HMODULE module = KyrelApp().m_hInstance;
  HRSRC resource = FindResourceW(module, name, L"FILE");
  if (!resource) return;
  const DWORD size = SizeofResource(module, resource);
  if (size == 0) return;
  HGLOBAL loaded = LoadResource(module, resource);
  if (!loaded) return;
  const void* data = LockResource(loaded);
  if (!data) return;

  const std::wstring path = Join(folder ? folder : L"", name);
  // Beside the target, so that the rename below stays on one volume and
  // replaces the old file in one step.
  const std::wstring temp = path + L".tmp";
  DeleteFileW(temp.c_str()); // what an interrupted earlier run left behind
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  const bool complete =
      WriteFile(file, data, size, &written, nullptr) && written == size && FlushFileBuffers(file);
  CloseHandle(file);
  if (!complete ||
      !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    DeleteFileW(temp.c_str());
}

void DeleteProfileFile(const wchar_t* folder, const wchar_t* name) {
  DeleteFileW(Join(folder ? folder : L"", name).c_str());
}
