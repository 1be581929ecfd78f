#pragma once
// Host-internal helpers that draw the edges of display meshes.

#include "opennurbs.h"

class CRhinoDisplayPipeline;

namespace rhino_sdk_internal {

// The colour reduced by percent (0 keeps it, 100 gives black).
ON_Color ReduceColor(ON_Color color, int percent);

// Draws the naked edges (edges with one face) of mesh.
void DrawNakedEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh& mesh, ON_Color color,
                    int thickness, unsigned int pattern);

// Segments of a set of face meshes (e.g. a brep's render meshes) after
// welding them: edges where two different source meshes meet (the seams
// between brep faces) and naked edges (one face only).
struct MeshSetEdges {
  ON_SimpleArray<ON_Line> seams;
  ON_SimpleArray<ON_Line> naked;
};
void ComputeMeshSetEdges(const ON_SimpleArray<const ON_Mesh*>& meshes, MeshSetEdges& edges);

} // namespace rhino_sdk_internal
