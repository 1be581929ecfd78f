#pragma once
// Start of the maker's updater for an installed product. The updater lives
// outside this module (in the common program-files folder, under
// TarvikCAD\Update) and is handed the uninstall registry key of this
// installation as its one argument.

#include <string>

class CKyrelApp;

// The updater's file name in its folder.
inline constexpr const wchar_t* kKyrelUpdaterFileName = L"TarvikUpdate";

// The updater's command line for `product_code`: the quoted updater path,
// a space, and the quoted uninstall key. Empty when the product code is
// empty or could break out of its quotes (a double quote anywhere, or a
// trailing backslash that would escape the closing quote).
std::wstring KyrelUpdaterCommandLine(const std::wstring& product_code);

// Starts the updater for the application's product code, without waiting
// and without looking at the outcome. Nothing happens when the code is
// empty or unusable, or the updater cannot be started.
void LaunchUpdater(const CKyrelApp& app);
