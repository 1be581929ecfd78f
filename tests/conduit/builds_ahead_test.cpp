// Section caches built ahead on all cores give every object exactly the
// cache its own build gives when the host draws it.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "section/mesh_types.h"
#include "section/section_builder.h"
#include "support/service_scene.h"

using namespace service_test;

namespace {

bool SameMesh(const ON_Mesh& a, const ON_Mesh& b) {
  return a.m_V.Count() == b.m_V.Count() && a.m_F.Count() == b.m_F.Count() &&
         std::memcmp(a.m_V.Array(), b.m_V.Array(), sizeof(ON_3fPoint) * a.m_V.Count()) == 0 &&
         std::memcmp(a.m_F.Array(), b.m_F.Array(), sizeof(ON_MeshFace) * a.m_F.Count()) == 0;
}

TEST(BuildsAhead, EveryObjectGetsTheCacheItsOwnBuildGives) {
  for (const int mode : {1, 2}) {
    SCOPED_TRACE(mode == 1 ? "Intersection" : "Difference");
    Scene s;
    // A grid of spheres, boxes and a two-lump polysurface, a slab crossing
    // a third of them.
    std::vector<CRhinoObject*> objects;
    for (int i = 0; i < 6; ++i)
      for (int j = 0; j < 5; ++j) {
        const ON_3dPoint centre(i, j, 0);
        objects.push_back(s.doc.AddMeshObject(
            (i + j) % 2 == 0 ? test_meshes::Sphere(centre, 0.4, 12, 16)
                             : test_meshes::Box(centre - ON_3dVector(0.3, 0.3, 0.3),
                                                centre + ON_3dVector(0.3, 0.3, 0.3))));
      }
    ON_Brep lumps;
    for (const double y : {0.0, 2.0}) {
      std::unique_ptr<ON_Brep> lump(
          ON_Brep::CreateBox(ON_3dPoint(1.8, y - 0.2, -0.2), ON_3dPoint(2.2, y + 0.2, 0.2)));
      ASSERT_TRUE(lump);
      lumps.Append(*lump);
    }
    objects.push_back(s.doc.AddBrepObject(lumps));
    s.AddCutter(test_meshes::Box(ON_3dPoint(1.9, -1, -1), ON_3dPoint(3.1, 5, 1)), mode);
    ASSERT_TRUE(s.Frame());
    EXPECT_EQ(Conduit().m_builds_made_ahead, static_cast<int>(objects.size()));

    int cut = 0;
    for (CRhinoObject* object : objects) {
      ASSERT_NE(object, nullptr);
      const TV_SectionCache* cache = CacheOf(object);
      ASSERT_NE(cache, nullptr);
      ON_ClassArray<DS_MeshCache> own;
      BuildSectionCache(own, *s.view.DisplayPipeline(), *object, ObjectMeshType(*object),
                        Conduit().m_intersection_meshes, Conduit().m_difference_meshes);
      const ON_ClassArray<DS_MeshCache>& ahead = cache->m_phantom.m_caches;
      ASSERT_EQ(ahead.Count(), own.Count());
      for (int k = 0; k < own.Count(); ++k) {
        EXPECT_EQ(ahead[k].m_clip_state, own[k].m_clip_state);
        EXPECT_EQ(ahead[k].m_mesh_index, own[k].m_mesh_index);
        cut += own[k].m_clip_state == 0 ? 1 : 0;
        ASSERT_EQ(ahead[k].m_meshes.Count(), own[k].m_meshes.Count());
        ASSERT_EQ(ahead[k].m_outlines.size(), own[k].m_outlines.size());
        for (int m = 0; m < own[k].m_meshes.Count(); ++m)
          EXPECT_TRUE(SameMesh(*ahead[k].m_meshes[m], *own[k].m_meshes[m]));
      }
    }
    EXPECT_GE(cut, 6);
  }
}

} // namespace
