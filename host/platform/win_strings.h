#pragma once
// Conversions between the wide strings of the Windows-style interfaces and
// the UTF-8 the POSIX calls take. Invalid input never throws: bad UTF-8
// bytes become U+FFFD, and unpaired code points are written as they are.

#include <string>
#include <string_view>

namespace kyrel::platform {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// Windows paths use backslashes; POSIX calls need slashes.
std::string NativePath(std::wstring_view path);
std::wstring WidePath(std::string_view native);

// Case-insensitive comparison of wide strings (ASCII and Latin letters).
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
std::wstring ToUpper(std::wstring_view text);

} // namespace kyrel::platform
