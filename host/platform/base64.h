#pragma once
// Base64 text of bytes (the standard alphabet, '=' padding, no line
// breaks): model files, reports and the toolbar collection embed binary
// data with it.

#include <cstddef>
#include <string>

namespace kyrel::platform {

// The 64 digits in value order, for readers of the text. Internal to
// each user: the platform layer is linked into more than one module.
constexpr char kBase64Digits[65] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const void* data, std::size_t size);

} // namespace kyrel::platform
