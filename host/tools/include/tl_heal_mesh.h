#pragma once
// TL_HealMesh: closes an open mesh.

#include "meshtools_export.h"
#include "opennurbs_mesh.h"

// Writes into `target` a closed, outward repair of `source` and returns true,
// or returns false and leaves `target` as it was. `target` may be `source`
// (repair in place). Steps:
//   1. vertices at the same place (within two single-precision steps at the
//      mesh's magnitude) are welded, collapsed and duplicate faces dropped,
//      and faces turned to agree with their neighbours;
//   2. with bStitchSeams, vertices on naked edges within `tolerance` of each
//      other are welded (the interior is never moved), closing seams that
//      meshed apart; a non-finite or negative tolerance counts as 0;
//   3. with bFillHoles, each remaining hole is filled with new triangles; a
//      hole whose rim has more than 400 edges, or runs through a vertex twice,
//      is left open;
//   4. false when the result is not closed.
// The result has triangles, single-precision vertices and face normals;
// vertex normals and texture coordinates are not carried over. A closed
// source comes back cleaned and oriented outward.
//
// Never throws; safe to run on several threads on different meshes.
TL_EXPORT bool TL_HealMesh(const ON_Mesh& source, ON_Mesh& target, double tolerance,
                           bool bStitchSeams, bool bFillHoles);
