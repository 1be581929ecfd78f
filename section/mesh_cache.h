#pragma once
// DS_MeshCache: the clip result of one source mesh of a cut object, one
// entry of a section cache. The entry owns every mesh and polyline its
// lists point to, and the outlines found for its meshes.
//
// Entries live in an ON_ClassArray, which never moves or copies them, so
// the owned lists are never shared. Copying an entry copies only its four
// scalar fields: a copy-constructed entry starts with empty lists (and no
// outlines), and an
// assigned entry keeps its own lists as they were; in neither case does a
// mesh end up with two owners.

#include <vector>

#include "opennurbs.h"
#include "section/mesh_outline.h"

class CRhinoObject;

class DS_MeshCache {
public:
  DS_MeshCache() = default;
  DS_MeshCache(const DS_MeshCache& src);
  DS_MeshCache& operator=(const DS_MeshCache& src);
  // Deletes the owned meshes and polylines.
  ~DS_MeshCache();

  // DestroyMeshes(true).
  void Invalidate();
  // Resets the clip state (0, not computed). Meshes are deleted when
  // bDeleteMeshes is true and only let go of otherwise (whoever else holds
  // them keeps them); polylines and outlines are always deleted. Both lists
  // keep their capacity. m_object and m_mesh_index stay.
  void DestroyMeshes(bool bDeleteMeshes);
  // The record itself, the listed meshes, 24 bytes per polyline point and
  // the outlines.
  unsigned int SizeOf() const;

  // -1 nothing remains, 0 cut (pieces in m_meshes), 1 whole (one copy).
  int m_clip_state = 0;
  // The section builder has classified this entry.
  bool m_bComputed = false;
  // The object this entry's source mesh belongs to; not owned.
  const CRhinoObject* m_object = nullptr;
  // Index of the source mesh in that object's mesh list (0 when joined).
  int m_mesh_index = 0;
  // Remaining meshes, owned.
  ON_SimpleArray<ON_Mesh*> m_meshes;
  // Polylines, owned; kept for the record layout, never filled here.
  ON_SimpleArray<ON_Polyline*> m_polylines;
  // The outline of each mesh of m_meshes, index for index, found when the
  // entry was built so frames need not find it again. Entries filled
  // otherwise may have none; their meshes' outlines are then found where
  // they are drawn.
  std::vector<DS_MeshOutline> m_outlines;
};
