// Collecting the meshes the user sees of chosen objects: cached clip
// results joined per entry, render meshes for everything uncut.

#include "kyrel_clipped_meshes.h"

#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

// Surfaces (8), meshes (0x20), instance references (0x1000) and the
// polysurface filter (0x200000).
constexpr unsigned int kMeshableGeometryFilter = 0x201028;

// Clip states of a cache entry (the third, -1, is "removed").
constexpr int kCut = 0;
constexpr int kWhole = 1;

bool IsCuttingObject(const CRhinoObject& object) {
  return object.GetAttributeUserData(TV_SectionGeometry::UUID()) != nullptr;
}

const TV_SectionCache* SectionCacheOf(const CRhinoObject& object) {
  return TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
}

// The cutters cut into or removed at least one part of the object: what it
// shows is in its cache, not in its render meshes. A cache that only says
// "untouched" (or was not computed yet) does not count.
bool CacheHandlesObject(const TV_SectionCache& cache) {
  const ON_ClassArray<DS_MeshCache>& entries = cache.m_phantom.m_caches;
  for (int i = 0; i < entries.Count(); ++i)
    if (entries[i].m_bComputed && entries[i].m_clip_state <= kCut) return true;
  return false;
}

// The entry's meshes as one new mesh (the caller owns it), or null when the
// entry shows nothing.
ON_Mesh* JoinedMeshes(const DS_MeshCache& entry) {
  const ON_SimpleArray<ON_Mesh*>& pieces = entry.m_meshes;
  int first = 0;
  while (first < pieces.Count() && pieces[first] == nullptr)
    ++first;
  if (first == pieces.Count()) return nullptr;
  auto* joined = new ON_Mesh(*pieces[first]);
  for (int i = first + 1; i < pieces.Count(); ++i)
    if (pieces[i] != nullptr) joined->Append(*pieces[i]);
  return joined;
}

} // namespace

CRhinoGet::result GetObjectsToMesh(CRhinoGetObject& go) {
  go.EnableSubObjectSelect(false);
  go.SetGeometryFilter(kMeshableGeometryFilter);
  go.SetCommandPrompt(L"Select surfaces, polysurfaces, meshes, and block instances");
  return go.GetObjects(1, 0);
}

CKyrelClippedMeshes::CKyrelClippedMeshes(CRhinoDoc& doc) : m_doc(doc) {
  m_doc.Redraw();
}

CKyrelClippedMeshes::~CKyrelClippedMeshes() {
  for (ON_Mesh* mesh : m_joined_meshes)
    delete mesh;
}

void CKyrelClippedMeshes::Collect(const CRhinoObject* object) {
  if (object == nullptr || IsCuttingObject(*object)) return;
  if (!CollectCachedMeshes(*object)) m_plain_objects.Append(object);
}

bool CKyrelClippedMeshes::CollectCachedMeshes(const CRhinoObject& object) {
  const TV_SectionCache* cache = SectionCacheOf(object);
  if (cache == nullptr || !CacheHandlesObject(*cache)) return false;
  const ON_ClassArray<DS_MeshCache>& entries = cache->m_phantom.m_caches;
  for (int i = 0; i < entries.Count(); ++i) {
    const DS_MeshCache& entry = entries[i];
    if (!entry.m_bComputed) continue;
    if (entry.m_clip_state != kCut && entry.m_clip_state != kWhole) continue;
    ON_Mesh* joined = JoinedMeshes(entry);
    if (joined == nullptr) continue;
    m_joined_meshes.Append(joined);
    m_pairs.Append(CRhinoObjRef(&object, joined, true));
  }
  return true;
}

void CKyrelClippedMeshes::AddRenderMeshes() {
  RhinoGetRenderMeshes(m_plain_objects, m_pairs, true, false);
  m_plain_objects.Empty();
}

ON_SimpleArray<CRhinoObject*> CKyrelClippedMeshes::AddMeshObjects() const {
  ON_SimpleArray<CRhinoObject*> added;
  for (int i = 0; i < m_pairs.Count(); ++i) {
    const CRhinoObject* source = m_pairs[i].Object();
    const ON_Mesh* mesh = m_pairs[i].Mesh();
    if (source == nullptr || mesh == nullptr || mesh->FaceCount() == 0) continue;
    CRhinoMeshObject* object = m_doc.AddMeshObject(*mesh, &source->Attributes(), nullptr, false);
    if (object == nullptr) continue;
    if (auto* cache = TV_SectionCache::Cast(object->GetUserData(TV_SectionCache::UUID())))
      cache->Invalidate(true);
    added.Append(object);
  }
  return added;
}
