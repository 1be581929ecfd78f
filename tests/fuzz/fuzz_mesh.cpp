// A mesh reader on arbitrary bytes: it may refuse them, but must not crash,
// leak, hang or read out of bounds. Built once per format; FUZZ_FORMAT is
// the extension.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tl_mesh_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  tl::MeshSoup soup;
  std::string error;
  if (tl::ReadMeshSoup(bytes, FUZZ_FORMAT, soup, error)) {
    // What was read must be a soup the rest of the host can trust.
    for (const auto& polygon : soup.polygons)
      for (std::size_t v : polygon)
        if (v >= soup.points.size() || polygon.size() < 3) __builtin_trap();
  } else if (error.empty()) {
    __builtin_trap(); // a refusal always says why
  }
  return 0;
}
