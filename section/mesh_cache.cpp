#include "mesh_cache.h"

DS_MeshCache::DS_MeshCache(const DS_MeshCache& src)
    : m_clip_state(src.m_clip_state), m_bComputed(src.m_bComputed), m_object(src.m_object),
      m_mesh_index(src.m_mesh_index) {}

DS_MeshCache& DS_MeshCache::operator=(const DS_MeshCache& src) {
  m_clip_state = src.m_clip_state;
  m_bComputed = src.m_bComputed;
  m_object = src.m_object;
  m_mesh_index = src.m_mesh_index;
  return *this;
}

DS_MeshCache::~DS_MeshCache() {
  Invalidate();
  m_meshes.Destroy();
  m_polylines.Destroy();
}

void DS_MeshCache::Invalidate() {
  DestroyMeshes(true);
}

void DS_MeshCache::DestroyMeshes(bool bDeleteMeshes) {
  m_clip_state = 0;
  m_bComputed = false;
  for (int i = 0; i < m_meshes.Count(); ++i) {
    if (bDeleteMeshes) delete m_meshes[i];
    m_meshes[i] = nullptr;
  }
  for (int i = 0; i < m_polylines.Count(); ++i) {
    delete m_polylines[i];
    m_polylines[i] = nullptr;
  }
  m_meshes.Empty();
  m_polylines.Empty();
  m_outlines.clear();
}

unsigned int DS_MeshCache::SizeOf() const {
  unsigned int size = sizeof(*this);
  for (int i = 0; i < m_meshes.Count(); ++i)
    if (m_meshes[i]) size += m_meshes[i]->SizeOf();
  for (int i = 0; i < m_polylines.Count(); ++i)
    if (m_polylines[i])
      size += static_cast<unsigned int>(sizeof(ON_3dPoint)) * m_polylines[i]->PointCount();
  for (const DS_MeshOutline& outline : m_outlines)
    size += static_cast<unsigned int>(sizeof(DS_MeshOutline)) + outline.SizeOfSegments();
  return size;
}
