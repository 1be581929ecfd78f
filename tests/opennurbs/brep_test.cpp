// The brep stand-in: solids and their adjacency, per-face render meshes
// that weld closed, components, transforms.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "opennurbs.h"

namespace {

std::unique_ptr<ON_Mesh> Joined(const ON_Brep& b,
                                const ON_MeshParameters& mp = ON_MeshParameters()) {
  return std::unique_ptr<ON_Mesh>(b.CreateJoinedMesh(mp, true));
}

TEST(Brep, BoxHasSixFacesTwelveSharedEdges) {
  std::unique_ptr<ON_Brep> box(ON_Brep::CreateBox(ON_3dPoint(1, 2, 3), ON_3dPoint(0, 0, 0)));
  ASSERT_TRUE(box);
  EXPECT_EQ(box->FaceCount(), 6);
  EXPECT_EQ(box->EdgeCount(), 12);
  for (const ON_BrepEdge& e : box->m_E)
    EXPECT_EQ(e.m_fi.Count(), 2);
  for (const ON_BrepFace& f : box->m_F)
    EXPECT_EQ(f.m_ei.Count(), 4);
  EXPECT_TRUE(box->IsSolid());
  EXPECT_TRUE(box->IsValid());
  EXPECT_DOUBLE_EQ(box->Area(), 2 * (1 * 2 + 2 * 3 + 1 * 3));
  EXPECT_EQ(box->BoundingBox().m_max, ON_3dPoint(1, 2, 3));
  EXPECT_EQ(box->ObjectType(), ON::brep_object);
  EXPECT_EQ(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 1)), nullptr);
  EXPECT_EQ(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, NAN, 1)), nullptr);
}

TEST(Brep, BoxRenderMeshesAreOnePerFaceFacingOut) {
  std::unique_ptr<ON_Brep> box(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 1, 1)));
  ON_SimpleArray<const ON_Mesh*> meshes;
  ASSERT_EQ(box->GetMeshes(ON_MeshParameters(), meshes), 6);
  const ON_3dPoint centre = box->BoundingBox().Center();
  ON_Mesh all;
  for (const ON_Mesh* m : meshes) {
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->VertexCount(), 4);
    EXPECT_EQ(m->FaceCount(), 1);
    EXPECT_FALSE(m->IsClosed());
    ASSERT_TRUE(m->HasFaceNormals());
    const ON_3dVector out = m->BoundingBox().Center() - centre;
    EXPECT_GT(ON_3dVector(m->m_FN[0]) * out, 0.0);
    all.Append(*m);
  }
  // Not welded, yet the topology merges the coincident corners.
  EXPECT_EQ(all.VertexCount(), 24);
  EXPECT_EQ(all.Topology().TopVertexCount(), 8);
  EXPECT_EQ(all.Topology().TopEdgeCount(), 12);
  EXPECT_TRUE(all.IsClosed());
  EXPECT_NEAR(all.Volume(), 2.0, 1e-9);
  // Asking again with the same parameters reuses the cached meshes.
  ON_SimpleArray<const ON_Mesh*> again;
  box->GetMeshes(ON_MeshParameters(), again);
  EXPECT_EQ(again[0], meshes[0]);
}

TEST(Brep, MaxEdgeLengthSubdividesAndNeighboursStillWeld) {
  std::unique_ptr<ON_Brep> box(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 1, 0.3)));
  ON_MeshParameters mp;
  mp.m_max_edge_length = 0.5;
  auto m = Joined(*box, mp);
  ASSERT_TRUE(m);
  // Top face 2 x 1 -> 4 x 2 quads.
  EXPECT_EQ(box->m_F[1].Mesh(mp)->FaceCount(), 8);
  EXPECT_TRUE(m->IsClosed());
  EXPECT_NEAR(m->Volume(), 0.6, 1e-6);
  // Sides are one segment high, so every point lies on the 5 x 3 grids of
  // the top and bottom: 30 after welding.
  EXPECT_EQ(m->VertexCount(), 30);
}

TEST(Brep, SphereMeshIsClosedOnTheSphere) {
  std::unique_ptr<ON_Brep> s(ON_Brep::CreateSphere(ON_3dPoint(1, 2, 3), 2.0));
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->IsSolid());
  EXPECT_EQ(s->LumpCount(), 1);
  const ON_Mesh* m = s->m_F[0].Mesh(ON_MeshParameters());
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->IsClosed());
  for (int i = 0; i < m->VertexCount(); ++i)
    EXPECT_NEAR(m->Vertex(i).DistanceTo(ON_3dPoint(1, 2, 3)), 2.0, 1e-6);
  const double exact = 4.0 / 3.0 * ON_PI * 8.0;
  EXPECT_GT(m->Volume(), 0.9 * exact);
  EXPECT_LT(m->Volume(), exact);
  EXPECT_NEAR(s->Area(), 16 * ON_PI, 1e-12);
  EXPECT_EQ(ON_Brep::CreateSphere(ON_3dPoint(0, 0, 0), -1.0), nullptr);
}

TEST(Brep, FinerParametersGiveFinerMeshes) {
  std::unique_ptr<ON_Brep> s(ON_Brep::CreateSphere(ON_3dPoint(0, 0, 0), 1.0));
  ON_MeshParameters coarse;
  coarse.m_refine_angle = ON_PI / 4; // 8 segments
  coarse.m_grid_min_count = 0;
  ON_MeshParameters fine = coarse;
  fine.m_refine_angle = ON_PI / 16; // 32 segments
  const int nc = s->m_F[0].Mesh(coarse)->FaceCount();
  const int nf = s->m_F[0].Mesh(fine)->FaceCount();
  EXPECT_EQ(nc, 8 * 4); // 8 around, 4 rings
  EXPECT_EQ(nf, 32 * 16);
  // Preview style ignores the density fields.
  ON_MeshParameters preview = fine;
  preview.m_style = 9;
  EXPECT_EQ(s->m_F[0].Mesh(preview)->FaceCount(),
            s->m_F[0].Mesh(ON_MeshParameters::FastRenderMesh)->FaceCount());
  EXPECT_NE(preview, fine);
  EXPECT_EQ(ON_MeshParameters(), ON_MeshParameters::DefaultMesh);
}

TEST(Brep, CylinderCappedIsSolidUncappedIsOpen) {
  const ON_Plane base(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1));
  std::unique_ptr<ON_Brep> c(ON_Brep::CreateCylinder(base, 1.0, 3.0, true));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->FaceCount(), 3);
  EXPECT_EQ(c->EdgeCount(), 2);
  EXPECT_TRUE(c->IsSolid());
  auto m = Joined(*c);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->IsClosed());
  const double exact = ON_PI * 3.0;
  EXPECT_GT(m->Volume(), 0.95 * exact);
  EXPECT_LT(m->Volume(), exact);

  std::unique_ptr<ON_Brep> open(ON_Brep::CreateCylinder(base, 1.0, 3.0, false));
  EXPECT_FALSE(open->IsSolid());
  EXPECT_EQ(open->NakedEdgeCount(), 2);
  EXPECT_FALSE(Joined(*open)->IsClosed());
}

TEST(Brep, ConeCappedIsSolid) {
  const ON_Plane base(ON_3dPoint(5, 0, 0), ON_3dVector(1, 0, 0));
  std::unique_ptr<ON_Brep> c(ON_Brep::CreateCone(base, 2.0, 3.0));
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->IsSolid());
  ON_MeshParameters mp;
  mp.m_max_edge_length = 0.5; // several rings up the slant
  auto m = Joined(*c, mp);
  EXPECT_TRUE(m->IsClosed());
  const double exact = ON_PI * 4.0 * 3.0 / 3.0;
  EXPECT_GT(m->Volume(), 0.95 * exact);
  EXPECT_LT(m->Volume(), exact);
  EXPECT_NEAR(c->BoundingBox().m_max.x, 8.0, 1e-12);
}

TEST(Brep, PlanarSurfacesAndPolygons) {
  std::unique_ptr<ON_Brep> r(ON_Brep::CreatePlanarSurface(ON_Plane::World_xy, 3.0, 2.0));
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->IsSolid());
  EXPECT_EQ(r->NakedEdgeCount(), 4);
  EXPECT_NEAR(r->Area(), 6.0, 1e-12);
  EXPECT_NEAR(r->m_F[0].Mesh(ON_MeshParameters())->Area(), 6.0, 1e-6);

  // An L of three unit squares (non-convex).
  ON_SimpleArray<ON_3dPoint> l;
  for (const ON_3dPoint& p :
       {ON_3dPoint(0, 0, 1), ON_3dPoint(2, 0, 1), ON_3dPoint(2, 1, 1), ON_3dPoint(1, 1, 1),
        ON_3dPoint(1, 2, 1), ON_3dPoint(0, 2, 1), ON_3dPoint(0, 0, 1)})
    l.Append(p);
  std::unique_ptr<ON_Brep> poly(ON_Brep::CreatePlanarPolygon(l));
  ASSERT_TRUE(poly);
  EXPECT_EQ(poly->EdgeCount(), 6);
  EXPECT_NEAR(poly->Area(), 3.0, 1e-12);
  const ON_Mesh* m = poly->m_F[0].Mesh(ON_MeshParameters());
  ASSERT_NE(m, nullptr);
  EXPECT_NEAR(m->Area(), 3.0, 1e-6);
  for (int i = 0; i < m->FaceCount(); ++i)
    EXPECT_GT(m->m_FN[i].z, 0.99f);

  ON_SimpleArray<ON_3dPoint> bent = l;
  bent[2].z = 2;
  EXPECT_EQ(ON_Brep::CreatePlanarPolygon(bent), nullptr);
  l.SetCount(2);
  EXPECT_EQ(ON_Brep::CreatePlanarPolygon(l), nullptr);
}

TEST(Brep, ConnectedComponentsSplitLumps) {
  std::unique_ptr<ON_Brep> a(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  std::unique_ptr<ON_Brep> b(ON_Brep::CreateSphere(ON_3dPoint(5, 0, 0), 1.0));
  ASSERT_TRUE(a->Append(*b));
  EXPECT_EQ(a->LumpCount(), 2);
  EXPECT_EQ(a->FaceCount(), 7);
  ON_SimpleArray<const ON_Mesh*> meshes;
  a->GetMeshes(ON_MeshParameters(), meshes);

  ON_SimpleArray<ON_Brep*> parts;
  ASSERT_EQ(a->GetConnectedComponents(parts, true), 2);
  ASSERT_EQ(parts.Count(), 2);
  std::unique_ptr<ON_Brep> p0(parts[0]), p1(parts[1]);
  EXPECT_EQ(p0->FaceCount(), 6);
  EXPECT_EQ(p0->EdgeCount(), 12);
  EXPECT_TRUE(p0->IsSolid());
  EXPECT_EQ(p1->FaceCount(), 1);
  EXPECT_NE(p0->m_F[0].CachedMesh(), nullptr); // meshes duplicated
  EXPECT_NE(p0->m_F[0].CachedMesh(), a->m_F[0].CachedMesh());
  for (const ON_BrepEdge& e : p0->m_E)
    for (int fi : e.m_fi)
      EXPECT_LT(fi, 6);

  ON_SimpleArray<ON_Brep*> bare;
  ASSERT_EQ(a->GetConnectedComponents(bare, false), 2);
  EXPECT_EQ(bare[0]->m_F[0].CachedMesh(), nullptr);
  for (ON_Brep* p : bare)
    delete p;
  EXPECT_EQ(ON_Brep().GetConnectedComponents(bare, true), 0);
}

TEST(Brep, TransformsMoveFacesAndKeepSolidsOutward) {
  std::unique_ptr<ON_Brep> c(ON_Brep::CreateCylinder(ON_Plane::World_xy, 1.0, 2.0));
  ON_SimpleArray<const ON_Mesh*> meshes;
  c->GetMeshes(ON_MeshParameters(), meshes);
  ASSERT_TRUE(c->Transform(ON_Xform::TranslationTransformation(ON_3dVector(0, 0, 10))));
  EXPECT_EQ(c->m_F[0].CachedMesh(), nullptr); // stale meshes dropped
  EXPECT_NEAR(c->BoundingBox().m_min.z, 10.0, 1e-12);
  ASSERT_TRUE(
      c->Transform(ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1))));
  EXPECT_NEAR(c->BoundingBox().m_max.z, -10.0, 1e-12);
  auto m = Joined(*c);
  EXPECT_TRUE(m->IsClosed());
  EXPECT_GT(m->Volume(), 0.0);

  std::unique_ptr<ON_Brep> box(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_TRUE(
      box->Transform(ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0))));
  auto bm = Joined(*box);
  EXPECT_NEAR(bm->Volume(), 1.0, 1e-9);
  ON_Brep copy(*box);
  EXPECT_EQ(copy.FaceCount(), 6);
  EXPECT_TRUE(copy.IsSolid());
}

} // namespace
