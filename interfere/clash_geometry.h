#pragma once
// The geometry of one clash computation: what an object's mesh must be to
// take part, and the test of one pair.

#include "opennurbs.h"

class CRhinoObject;

// One mesh joined from the object's meshes of its display type (made with
// `parameters` when it has none yet), or null when it has no faces. The
// caller owns it.
ON_Mesh* ClashJoinedMesh(CRhinoObject& object, const ON_MeshParameters& parameters);

// The mesh a candidate takes part with, given its joined mesh (taken over:
// either returned or deleted). A closed mesh as it is. An open mesh is
// repaired when its repair is a proper solid: its seams close within
// `tolerance`, or filling its holes adds only a sliver of surface and
// encloses a volume (a solid whose face meshes meet only within
// tolerance). Otherwise it takes part as the open surface it is (a sheet,
// or a shell with a large opening: filling that would invent a solid the
// model does not have). Null when the mesh has no usable surface at all.
ON_Mesh* ClashCandidateMesh(ON_Mesh* mesh, double tolerance);

// Whether two meshes clash through their surfaces, with the region in
// `region` (a new mesh owned by the caller, or null): the intersection of
// two closed meshes, or the part of an open mesh inside a closed one. The
// boxes are tested first; two open meshes never clash. The tolerances go to
// the boolean as they are.
bool ClashTest(const ON_Mesh* a, const ON_Mesh* b, ON_Mesh*& region, double tolerance1,
               double tolerance2);

// Whether ClashTest can find a region with faces for the pair at all:
// false when the boxes do not meet, when both meshes are open, or when the
// surfaces stay farther apart than the boolean's welding could close
// (TL_SurfacesMayMeet), for then the boolean reports no cut. Far cheaper
// than ClashTest, so most pairs whose boxes meet but whose surfaces do not
// skip the boolean and go straight to the containment test.
bool SurfacesMayClash(const ON_Mesh* a, const ON_Mesh* b, double tolerance1, double tolerance2);
