#pragma once
// Edge drawing of meshes shown by the display service: the naked edges of
// a mesh, and the interior edges along which it is not welded (creases,
// and the seams between the face meshes of a brep's render mesh). A
// smooth, fully welded mesh shows no interior edges.
//
// Two callers draw edges with slightly different colour rules: the
// section drawing of cutting objects (the blend colour comes from the
// conduit's own display attributes) and the phantom object (everything
// from the pipeline's current attributes, surface edge colours chosen by
// their usage values). EdgeColouring carries the difference.

#include "rhinoSdk.h"
#include "section/mesh_outline.h"

struct EdgeColouring {
  // Mesh wires drawn first, in m_wire_color, with the last argument 0.
  bool m_bDrawMeshWires = false;
  ON_Color m_wire_color;
  // The colour edges blend toward when the attributes' blend flag is set.
  ON_Color m_blend_color;
  // Surface sets only: pick each edge colour by its usage value (non-zero:
  // the set's colour, zero: the display colour).
  bool m_bUseColorUsage = false;
};

// Draws the edges of mesh with the edge settings of attrs: the mesh set
// when bMeshObject, the surface set otherwise. Lines are drawn with z-bias
// 1, restored afterwards; when no line shows, the z-bias is not touched.
// outline is the mesh's outline when one was kept with it; without one it
// is found from the mesh. A null mesh draws nothing.
void DrawMeshEdgeLines(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                       const CDisplayPipelineAttributes& attrs, bool bMeshObject,
                       const EdgeColouring& colouring, const DS_MeshOutline* outline = nullptr);

// Colour arithmetic of edge drawing, channel by channel, top byte 0.
// Blend: (c + 7 k) / 8 in integers. Reduction by r percent: c / 255 scaled
// by (100 - r) / 100 and by 255 in single precision, truncated; a
// reduction outside 0..100 is clamped there.
ON_Color BlendEdgeColor(ON_Color color, ON_Color toward);
ON_Color ReduceEdgeColor(ON_Color color, int reduction_percent);
