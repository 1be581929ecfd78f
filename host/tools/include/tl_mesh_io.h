#pragma once
// Mesh files as polygon soups: OFF, OBJ, STL (ASCII and binary) and PLY
// (ASCII and binary), read and written with CGAL's readers and writers.
//
// Reading takes the file's bytes and never trusts them: headers are checked
// against the bytes that follow before anything is allocated for them,
// every face index is checked against the vertices, and the faces read must
// be as many as the file declares (the header of OFF and PLY, the count of
// binary STL, the face lines of OBJ and facets of ASCII STL), or the read
// fails with a message saying what is wrong.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "meshtools_export.h"

namespace tl {

struct MeshSoup {
  std::vector<std::array<double, 3>> points;
  // Each polygon lists three or more indices into `points`.
  std::vector<std::vector<std::size_t>> polygons;
  // Named parts (OBJ's "o" and "g"): the first polygon of each, in order.
  // Empty when the file has no names; polygons before the first part are
  // a part without a name.
  std::vector<std::pair<std::size_t, std::string>> parts;
};

// Whether the extension (lower case, no dot: "off", "obj", "stl", "ply")
// is read and written here.
TL_EXPORT bool IsSoupFormat(const std::string& extension);

// Reads `bytes`, the content of a file of the extension's format. False
// with a reason (without the file's name) when the bytes are not such a
// file, are damaged, or hold no faces.
TL_EXPORT bool ReadMeshSoup(const std::string& bytes, const std::string& extension, MeshSoup& soup,
                            std::string& error);

// The file's bytes for `soup` in the extension's format: STL and PLY
// binary, OFF and OBJ as text (OBJ with the parts' names). STL gets its
// polygons split into triangles.
TL_EXPORT bool WriteMeshSoup(const MeshSoup& soup, const std::string& extension, std::string& bytes,
                             std::string& error);

} // namespace tl
