// Conversions between the host's ON_Mesh and the plain triangle mesh.
#pragma once

#include "opennurbs_mesh.h"
#include "tri_mesh.h"

namespace meshtools {

// Copies the mesh's vertices and faces; quads are split along their shorter
// diagonal. False when a face index is out of range (nothing sensible can be
// made of such a mesh). Coordinates are copied as they are; the core checks
// them.
bool ToTriMesh(const ON_Mesh& mesh, TriMesh& out);

// Replaces the vertices and faces of `out` with the triangles of `in`, with
// face normals. Its vertex normals and texture coordinates go; its user data
// stays.
void ToONMesh(const TriMesh& in, ON_Mesh& out);

} // namespace meshtools
