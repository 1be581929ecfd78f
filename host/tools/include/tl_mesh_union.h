#pragma once
// TL_MeshBooleanUnion: the union of a list of closed meshes.

#include "meshtools_export.h"
#include "opennurbs_3dm_attributes.h"
#include "opennurbs_array.h"
#include "opennurbs_mesh.h"

// Appends to `output` one new closed, outward mesh per connected volume of
// the union of `sources` (a cavity stays with the shell around it; solids
// that only touch along an edge or at a vertex stay separate meshes). The
// appended meshes belong to the caller, who deletes them; nothing already in
// `output` is touched.
//
// Sources are borrowed and read only; null entries, and sources that are not
// closed or otherwise unfit (see tl_mesh_boolean.h), are left out. Each
// source's vertices are welded within max(tolerance1, tolerance2) first, with
// the same floor as TL_MeshBoolean::SetTolerances.
//
// Returns true when something was appended. `result_flag` (may be null)
// receives true when every source took part in the union.
//
// Attribute lists (both may be null, and are then ignored): when both are
// given, `output_attributes` receives for each appended mesh a new copy, owned
// by the caller, of the first non-null entry of `source_attributes` (the
// union does not track which source each face came from).
//
// Never throws; safe to run on several threads on different lists.
TL_EXPORT bool TL_MeshBooleanUnion(
    const ON_SimpleArray<const ON_Mesh*>& sources, double tolerance1, double tolerance2,
    bool* result_flag, ON_SimpleArray<ON_Mesh*>& output,
    const ON_SimpleArray<const ON_3dmObjectAttributes*>* source_attributes = nullptr,
    ON_SimpleArray<ON_3dmObjectAttributes*>* output_attributes = nullptr);
