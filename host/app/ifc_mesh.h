#pragma once
// An IFC element's mesh from the pieces the worker sent.
//
// Each piece (one placed representation item) is welded on its own, by
// exact vertex position in its own frame, and split into the shells that
// share no vertex; a shell is never welded to another piece's, since
// touching solids merged into one shell would no longer be closed. A
// closed shell whose triangles can be oriented alike is oriented that way
// with its normals outward; an open shell is kept open, as it came.
// Vertices go into the world frame (the piece's transform) and must stay
// within kMaxIfcCoordinate of the origin.

#include <string>

#include "ifc_stream.h"
#include "opennurbs.h"

namespace kyrel::app {

// Metres: 10,000 km, far beyond any building, near enough that a float
// still places a vertex to the millimetre... of a building near the origin.
constexpr double kMaxIfcCoordinate = 1.0e7;

struct IfcMeshCounts {
  int shells = 0;
  int closed_shells = 0;
  int flipped_shells = 0; // closed shells turned outward or made consistent
};

// False with a reason (a coordinate that is not a number or too far away,
// no triangle at all) when the element cannot be made.
bool BuildIfcElementMesh(const IfcElementRecord& element, ON_Mesh& mesh, std::string& why,
                         IfcMeshCounts* counts = nullptr);

} // namespace kyrel::app
