#pragma once
// Flat arrays that the engine hands to GL vertex arrays, built from an
// ON_Mesh without touching it.
//
// Shaded meshes keep sharing the caller's vertex array when they can (one
// normal per vertex, or normals computed into `normals`); only meshes that
// carry face normals alone are expanded to one vertex per face corner so
// that every face is lit flat. Faces with an index outside the vertex array
// are skipped; a quad is two triangles (0,1,2) and (0,2,3).

#include "opennurbs.h"

#include <vector>

namespace glengine {

struct ShadedMeshArrays {
  // Both point at 3 floats per vertex and stay valid while the mesh and
  // this record live; null when there is nothing to draw.
  const float* positions = nullptr;
  const float* normals = nullptr;
  std::vector<unsigned int> triangles; // 3 vertex indices per triangle

  // Storage for what had to be computed or expanded.
  std::vector<float> own_positions;
  std::vector<float> own_normals;
};

// False when the mesh has no drawable face.
bool BuildShadedMeshArrays(const ON_Mesh& mesh, ShadedMeshArrays& out);

// Index pairs of the face edges (a quad has four, a triangle three; an edge
// shared by two faces is listed twice, which draws the same pixels).
// Positions are the mesh's own vertex array. False when nothing is drawn.
bool BuildMeshWireIndices(const ON_Mesh& mesh, std::vector<unsigned int>& segments);

} // namespace glengine
