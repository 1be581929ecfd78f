// The engine's list of clashes on random scenes against an oracle that
// shares none of its code: exact surface intersection or containment
// between every pair of meshes, decided by CGAL's own intersection test.

#include <gtest/gtest.h>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_mesh_processing/intersection.h>
#include <CGAL/Surface_mesh.h>

#include <utility>
#include <vector>

#include "clash_scene.h"

namespace {

using namespace clash_test;
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Surface = CGAL::Surface_mesh<Kernel::Point_3>;
namespace PMP = CGAL::Polygon_mesh_processing;

Surface ToSurface(const ON_Mesh& mesh) {
  Surface out;
  std::vector<Surface::Vertex_index> v;
  for (int i = 0; i < mesh.VertexCount(); ++i) {
    const ON_3dPoint p = mesh.Vertex(i);
    v.push_back(out.add_vertex(Kernel::Point_3(p.x, p.y, p.z)));
  }
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    out.add_face(v[face.vi[0]], v[face.vi[1]], v[face.vi[2]]);
    if (face.IsQuad()) out.add_face(v[face.vi[0]], v[face.vi[2]], v[face.vi[3]]);
  }
  return out;
}

TEST(ClashOracle, RandomScenesListExactlyThePairsThatMeetInRowOrder) {
  for (const unsigned int seed : {7u, 2024u}) {
    SCOPED_TRACE(seed);
    const std::vector<ON_Mesh> meshes = RandomScene(seed, 220);
    ClashScene scene;
    std::vector<ON_UUID> ids;
    for (const ON_Mesh& mesh : meshes) {
      CRhinoObject* object = scene.Add(mesh);
      ASSERT_NE(object, nullptr);
      ids.push_back(object->ModelObjectId());
    }

    std::vector<Surface> surfaces;
    for (const ON_Mesh& mesh : meshes)
      surfaces.push_back(ToSurface(mesh));
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < static_cast<int>(surfaces.size()); ++i)
      for (int j = i + 1; j < static_cast<int>(surfaces.size()); ++j)
        if (PMP::do_intersect(surfaces[i], surfaces[j],
                              CGAL::parameters::do_overlap_test_of_bounded_sides(true),
                              CGAL::parameters::do_overlap_test_of_bounded_sides(true)))
          expected.emplace_back(i, j);
    // The scene is meant to have clashes of both kinds, but not many.
    ASSERT_GE(expected.size(), 10u);
    ASSERT_LE(expected.size(), 80u);

    ASSERT_TRUE(scene.Detect());
    const std::vector<Clash> found = Results();
    ASSERT_EQ(found.size(), expected.size());
    for (size_t k = 0; k < found.size(); ++k) {
      EXPECT_EQ(found[k].a, ids[expected[k].first]) << "clash " << k;
      EXPECT_EQ(found[k].b, ids[expected[k].second]) << "clash " << k;
    }
  }
}

} // namespace
