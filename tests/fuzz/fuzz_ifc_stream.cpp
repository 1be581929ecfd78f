// The IFC worker's element stream on arbitrary bytes: the reader either
// refuses it with a reason or hands back records whose every triangle
// names a vertex of its piece, and each element then becomes a mesh whose
// faces name its vertices, or is refused with a reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ifc_mesh.h"
#include "ifc_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kyrel::app::IfcStream stream;
  std::string error;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!kyrel::app::ParseIfcStream(bytes, stream, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  for (const kyrel::app::IfcElementRecord& e : stream.elements) {
    for (const kyrel::app::IfcPiece& p : e.pieces)
      for (std::uint32_t i : p.triangles)
        if (i >= p.positions.size() / 3) __builtin_trap();
    ON_Mesh mesh;
    std::string why;
    if (!kyrel::app::BuildIfcElementMesh(e, mesh, why)) {
      if (why.empty()) __builtin_trap();
      continue;
    }
    for (int f = 0; f < mesh.FaceCount(); ++f)
      for (int k = 0; k < 4; ++k)
        if (mesh.m_F[f].vi[k] < 0 || mesh.m_F[f].vi[k] >= mesh.VertexCount()) __builtin_trap();
  }
  return 0;
}
