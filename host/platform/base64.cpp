#include "base64.h"

namespace kyrel::platform {

std::string Base64(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (std::size_t i = 0; i < size; i += 3) {
    const unsigned long n = static_cast<unsigned long>(bytes[i]) << 16 |
                            (i + 1 < size ? static_cast<unsigned long>(bytes[i + 1]) << 8 : 0) |
                            (i + 2 < size ? bytes[i + 2] : 0);
    out += kBase64Digits[(n >> 18) & 63];
    out += kBase64Digits[(n >> 12) & 63];
    out += i + 1 < size ? kBase64Digits[(n >> 6) & 63] : '=';
    out += i + 2 < size ? kBase64Digits[n & 63] : '=';
  }
  return out;
}

} // namespace kyrel::platform
