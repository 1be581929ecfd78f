#pragma once
// RhinoSplitDisjointMesh: a mesh's connected pieces.

#include "meshtools_export.h"
#include "opennurbs_array.h"
#include "opennurbs_mesh.h"

// Two faces belong to the same piece when they share a vertex, either by
// index or by position (the exact same single-precision point), so meshes
// whose faces were meshed apart along their seams stay one piece.
//
// With bCountOnly: returns the number of pieces and leaves `pieces` alone.
// Otherwise appends each piece as a new mesh owned by the caller (its faces in
// their original order, its used vertices with their normals and texture
// coordinates when the mesh has them, face normals copied or computed) and
// returns the number appended.
// Returns 0, appending nothing, for a mesh without faces or with a face
// index out of range. Faces with fewer than three distinct corners belong to
// the piece of their vertices.
//
// Never throws; reads `mesh` only.
TL_EXPORT int RhinoSplitDisjointMesh(const ON_Mesh& mesh, ON_SimpleArray<ON_Mesh*>& pieces,
                                     bool bCountOnly);
