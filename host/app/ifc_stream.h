#pragma once
// The element stream the IFC worker (host/app/ifc_worker/ifc_worker.mjs)
// writes, and its reader. The worker runs web-ifc in a process of its own;
// nothing it writes is trusted: every length, count, index and number is
// checked here before anything is built from it; the numbers themselves
// (colours, transforms, coordinates) are checked per element when its mesh
// is built (ifc_mesh.h), so one bad element fails alone.
//
// Layout, little endian:
//   magic    "KYIFC" 0x00 0x01 0x00 (format 1)
//   records  tag (1 byte), payload length (u32), payload
// Strings are a u32 byte count and that many bytes of UTF-8.
//   'H' header:  schema (string); first, once
//   'E' element: GlobalId, IFC class, name, storey (strings); flags (u8,
//                1 = a space); piece count (u32); per piece: colour (4 f32,
//                0..1 RGBA), world transform (16 f64, column-major; the
//                world is Z up, in metres), vertex count (u32) and that
//                many f32 x, y, z, triangle count (u32) and that many
//                triples of u32 vertex indices
//   'F' failed:  GlobalId, IFC class, reason (strings)
//   'X' refused: reason (string); the worker could not read the file
//   'Z' end:     element count, failure count (u32 each); last
// A stream without its end record was cut short.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kyrel::app {

struct IfcPiece {
  float colour[4] = {0, 0, 0, 1};
  double xform[16] = {}; // column-major
  std::vector<float> positions; // x, y, z per vertex, in the piece's frame
  std::vector<std::uint32_t> triangles; // three vertex indices each
};

struct IfcElementRecord {
  std::string global_id, ifc_class, name, storey;
  bool space = false;
  std::vector<IfcPiece> pieces;
};

struct IfcFailedElement {
  std::string global_id, ifc_class, reason;
};

struct IfcStream {
  std::string schema;
  std::vector<IfcElementRecord> elements;
  std::vector<IfcFailedElement> failed;
};

// Reads a whole stream. False with a reason (what the worker said when it
// refused the file, or what is wrong with the stream) when the stream is
// not complete and sound; `out` is then left partly filled.
bool ParseIfcStream(std::string_view bytes, IfcStream& out, std::string& error);

} // namespace kyrel::app
