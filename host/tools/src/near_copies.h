// Copies of one closed shell or solid that rounding has moved apart by a
// few units in the last place: a copy moved away and back, or a file that
// holds an object twice. Uniting such a copy with the original lays every
// face on a face of the other a hair away, which the corefinement cannot
// resolve; the copy adds nothing and is left out instead.
//
// Internal to meshtools; plain arrays only.
#pragma once

#include <vector>

#include "tri_mesh.h"

namespace meshtools {

// The meshes met so far, to tell a copy of one of them. Holds pointers:
// the meshes must outlive it.
class NearCopies {
public:
  // True when `mesh` is a near copy (IsNearCopy within CopyDrift) of a mesh
  // met before; otherwise remembers it and returns false.
  bool SeenBefore(const TriMesh& mesh);

private:
  struct Met {
    const TriMesh* mesh;
    double low[3], high[3]; // box
  };
  std::vector<Met> met_;
};

// How far apart two single-precision copies of `mesh` may lie: a few units
// in the last place of its largest coordinate.
double CopyDrift(const TriMesh& mesh);

// Whether `b` is `a` again: as many vertices and triangles, each vertex of
// `b` within `distance` (in every coordinate) of exactly one vertex of `a`,
// no two of them the same, and each triangle of `b` a triangle of `a` with
// its corners in the same turning order. False, never a guess, when any of
// it is in doubt.
bool IsNearCopy(const TriMesh& a, const TriMesh& b, double distance);

} // namespace meshtools
