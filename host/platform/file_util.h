#pragma once
// File helpers shared by the platform layer and the host application.

#include <string>

namespace kyrel::platform {

// Writes `contents` to a temporary file beside `path`, flushes it and
// renames it into place, so `path` is either the old file or the whole new
// one. Missing parent folders are created. False with a reason in `error`.
bool WriteFileAtomically(const std::string& path, const std::string& contents, std::string& error);
// Whole file into `contents`; false with a reason in `error`.
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error);
// Creates the folder and its missing parents; true when it exists after.
bool CreateDirectories(const std::string& path);
// $variable when set and absolute, else $HOME/fallback (XDG rules).
std::string XdgDir(const char* variable, const char* home_fallback);

} // namespace kyrel::platform
