#pragma once
// Which meshes of an object the display service works with, and with which
// meshing parameters they are made. Shared by the cutting-mesh update, the
// section builder, the phantom object and the clash computation.

#include "rhinoSdk.h"

// Meshing parameters for a mesh type. A null document means the active
// document. Without a document, for ON::default_mesh and for any value
// above ON::preview_mesh: default parameters. Render: the document's render
// mesh parameters; analysis: its analysis mesh settings; preview: its
// custom (style 9) mesh parameters.
ON_MeshParameters MeshParametersFor(ON::mesh_type type, const CRhinoDoc* document);

// The mesh type the object is displayed with: analysis meshes while it is
// in an analysis mode, render meshes otherwise. (This host keeps no
// per-object preview-mesh state, so preview is never chosen.)
ON::mesh_type ObjectMeshType(const CRhinoObject& object);

// True when the object is meshable for the type and holds at least one
// mesh of that type with a face.
bool HasFacedMeshes(const CRhinoObject& object, ON::mesh_type type);

// The parameters the service meshes an object with when it has no meshes of
// the type yet: MeshParametersFor the object's document, replaced by the
// object's own render mesh parameters for render meshes, without jagged
// seams, computing curvature exactly for analysis meshes.
ON_MeshParameters ObjectMeshParameters(const CRhinoObject& object, ON::mesh_type type);
