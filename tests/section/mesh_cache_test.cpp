// Cache entries: ownership of meshes and polylines, resets, sizes, copies.

#include "section/mesh_cache.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

namespace {

ON_Mesh* NewTriangle() {
  return new ON_Mesh(
      test_meshes::Triangle(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0)));
}

ON_Polyline* NewPolyline(int points) {
  auto* polyline = new ON_Polyline();
  for (int i = 0; i < points; ++i)
    polyline->Append(ON_3dPoint(i, 0, 0));
  return polyline;
}

TEST(MeshCacheEntry, StartsEmptyAndSizesItself) {
  DS_MeshCache entry;
  EXPECT_EQ(entry.m_clip_state, 0);
  EXPECT_FALSE(entry.m_bComputed);
  EXPECT_EQ(entry.m_object, nullptr);
  EXPECT_EQ(entry.m_mesh_index, 0);
  EXPECT_EQ(entry.SizeOf(), sizeof(DS_MeshCache));

  ON_Mesh* mesh = NewTriangle();
  const unsigned int mesh_size = mesh->SizeOf();
  entry.m_meshes.Append(mesh);
  entry.m_polylines.Append(NewPolyline(3));
  EXPECT_EQ(entry.SizeOf(), sizeof(DS_MeshCache) + mesh_size + 3 * 24);
}

TEST(MeshCacheEntry, DestroyWithoutDeletingLetsGoOfMeshesButNotPolylines) {
  DS_MeshCache entry;
  entry.m_clip_state = -1;
  entry.m_bComputed = true;
  entry.m_mesh_index = 4;
  entry.m_object = reinterpret_cast<const CRhinoObject*>(&entry); // any address
  ON_Mesh* kept = NewTriangle();
  entry.m_meshes.Append(kept);
  entry.m_polylines.Append(NewPolyline(2));
  const int capacity = entry.m_meshes.Capacity();

  entry.DestroyMeshes(false);
  EXPECT_EQ(entry.m_clip_state, 0);
  EXPECT_FALSE(entry.m_bComputed);
  EXPECT_EQ(entry.m_meshes.Count(), 0);
  EXPECT_EQ(entry.m_polylines.Count(), 0);
  EXPECT_EQ(entry.m_meshes.Capacity(), capacity);
  EXPECT_EQ(entry.m_mesh_index, 4);
  EXPECT_NE(entry.m_object, nullptr);
  // The mesh is still alive (ASan would flag a use after free here).
  EXPECT_EQ(kept->FaceCount(), 1);
  delete kept;
}

TEST(MeshCacheEntry, CopiesCarryTheStateButNeverTheMeshes) {
  DS_MeshCache source;
  source.m_clip_state = 1;
  source.m_bComputed = true;
  source.m_mesh_index = 2;
  source.m_meshes.Append(NewTriangle());

  DS_MeshCache copy(source);
  EXPECT_EQ(copy.m_clip_state, 1);
  EXPECT_TRUE(copy.m_bComputed);
  EXPECT_EQ(copy.m_mesh_index, 2);
  EXPECT_EQ(copy.m_meshes.Count(), 0);

  DS_MeshCache assigned;
  ON_Mesh* own = NewTriangle();
  assigned.m_meshes.Append(own);
  assigned = source;
  EXPECT_EQ(assigned.m_clip_state, 1);
  ASSERT_EQ(assigned.m_meshes.Count(), 1);
  EXPECT_EQ(assigned.m_meshes[0], own); // its own mesh, not the source's
}

TEST(MeshCacheEntry, EntriesInAClassArrayKeepTheirMeshesWhenTheArrayGrows) {
  ON_ClassArray<DS_MeshCache> entries;
  DS_MeshCache& first = entries.AppendNew();
  ON_Mesh* mesh = NewTriangle();
  first.m_meshes.Append(mesh);
  for (int i = 0; i < 100; ++i)
    entries.AppendNew();
  ASSERT_EQ(entries[0].m_meshes.Count(), 1);
  EXPECT_EQ(entries[0].m_meshes[0], mesh);
  entries.Empty(); // deletes the mesh once (ASan checks)
  EXPECT_EQ(entries.Count(), 0);
}

} // namespace
