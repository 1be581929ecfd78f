// Objects: types, meshes per mesh type, sub-objects of instance references,
// marks, selection and the mesh object a display-only object derives from.

#include <gtest/gtest.h>

#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

namespace {

// Derived the way a display-only stand-in object derives: default
// constructed, presenting an empty mesh it owns itself.
class StandIn : public CRhinoMeshObject {
public:
  StandIn() { SetBorrowedMesh(&m_empty); }
  ~StandIn() override { ReleaseBorrowedMesh(); }
  ON::object_type ObjectType() const override { return ON::mesh_object; }
  ON_Mesh m_empty;
};

int InstanceDefinitionOfTwoBoxes(CRhinoDoc& doc) {
  ON_SimpleArray<CRhinoObject*> members;
  auto* b = new CRhinoBrepObject();
  b->SetBrep(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  members.Append(b);
  auto* m = new CRhinoMeshObject();
  m->SetMesh(Box(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1)));
  members.Append(m);
  return doc.InstanceDefinitionTable().AddInstanceDefinition(L"pair", members);
}

} // namespace

TEST(ObjectTypes, ValuesCallersCompareAsNumbers) {
  CRhinoDoc doc;
  EXPECT_EQ(
      static_cast<unsigned>(AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1))->ObjectType()),
      0x10u);
  EXPECT_EQ(static_cast<unsigned>(
                doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)))->ObjectType()),
            0x20u);
  const int idef = InstanceDefinitionOfTwoBoxes(doc);
  EXPECT_EQ(static_cast<unsigned>(
                doc.AddInstanceObject(idef, ON_Xform::IdentityTransformation)->ObjectType()),
            0x1000u);
  EXPECT_EQ(
      static_cast<unsigned>(doc.AddClippingPlaneObject(ON_Plane::World_xy, 1, 1)->ObjectType()),
      0x20000000u);
  EXPECT_EQ(
      static_cast<unsigned>(AddLine(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0))->ObjectType()),
      4u);
}

TEST(ObjectMeshes, BrepMeshesPerFacePerTypeAndParameters) {
  CRhinoDoc doc;
  CRhinoBrepObject* box = AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->IsMeshable(ON::render_mesh));
  EXPECT_TRUE(box->IsSolid());
  // Render meshes are made when the object is added: one per face.
  EXPECT_EQ(box->MeshCount(ON::render_mesh), 6);
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_EQ(box->GetMeshes(ON::render_mesh, meshes), 6);
  for (const ON_Mesh* m : meshes)
    EXPECT_FALSE(m->IsClosed()); // faces are not welded

  // Other types are separate; parameters that differ make the count 0.
  EXPECT_EQ(box->MeshCount(ON::analysis_mesh), 0);
  ON_MeshParameters fine = ON_MeshParameters::QualityRenderMesh;
  fine.m_grid_min_count = 4;
  EXPECT_EQ(box->MeshCount(ON::render_mesh, &fine), 0);
  EXPECT_EQ(box->CreateMeshes(ON::analysis_mesh, fine), 6);
  EXPECT_EQ(box->MeshCount(ON::analysis_mesh, &fine), 6);
  EXPECT_EQ(box->MeshCount(ON::render_mesh), 6);

  box->DestroyMeshes(ON::render_mesh);
  EXPECT_EQ(box->MeshCount(ON::render_mesh), 0);
  EXPECT_EQ(box->MeshCount(ON::analysis_mesh), 6);
  box->DestroyMeshes(ON::any_mesh);
  EXPECT_EQ(box->MeshCount(ON::analysis_mesh), 0);
  ON_SimpleArray<const ON_Mesh*> none;
  EXPECT_EQ(box->GetMeshes(ON::render_mesh, none), 0);
}

TEST(ObjectMeshes, CustomRenderParametersWinUnlessIgnored) {
  CRhinoDoc doc;
  CRhinoBrepObject* box = AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  ON_MeshParameters custom = ON_MeshParameters::QualityRenderMesh;
  box->SetCustomRenderMeshParameters(&custom);
  EXPECT_EQ(box->GetRenderMeshParameters(), custom);
  box->CreateMeshes(ON::render_mesh, ON_MeshParameters::FastRenderMesh, false);
  EXPECT_GT(box->MeshCount(ON::render_mesh, &custom), 0);
  box->SetCustomRenderMeshParameters(nullptr);
  EXPECT_EQ(box->GetRenderMeshParameters(), doc.Properties().RenderMeshSettings());
}

TEST(ObjectMeshes, MeshObjectsAndCurves) {
  CRhinoDoc doc;
  CRhinoMeshObject* m = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->IsSolid());
  ON_SimpleArray<const ON_Mesh*> meshes;
  EXPECT_EQ(m->GetMeshes(ON::render_mesh, meshes), 1);
  EXPECT_EQ(meshes[0], m->Mesh()); // the object's mesh is its render mesh
  m->DestroyMeshes(ON::any_mesh);  // never drops the object's own geometry
  EXPECT_NE(m->Mesh(), nullptr);

  CRhinoCurveObject* c = AddLine(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0));
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(c->IsMeshable(ON::render_mesh));
  EXPECT_EQ(c->CreateMeshes(ON::render_mesh, ON_MeshParameters()), 0);
  ON_SimpleArray<const ON_Mesh*> none;
  EXPECT_EQ(c->GetMeshes(ON::render_mesh, none), 0);
}

TEST(ObjectMeshes, StandInPresentsItsOwnEmptyMeshWithoutTheBaseFreeingIt) {
  auto* standin = new StandIn();
  EXPECT_EQ(standin->Mesh(), &standin->m_empty);
  EXPECT_EQ(standin->MeshCount(ON::render_mesh), 1);
  EXPECT_EQ(standin->Document(), nullptr);
  delete standin; // a double free here fails the sanitizer build
  CRhinoDoc doc;
  EXPECT_FALSE(doc.AddObject(new StandIn())); // an empty mesh is never added
}

TEST(InstanceReferences, SubObjectsAreTransformedCopiesTheCallerOwns) {
  CRhinoDoc doc;
  const int idef = InstanceDefinitionOfTwoBoxes(doc);
  ASSERT_GE(idef, 0);
  const ON_Xform shift = ON_Xform::TranslationTransformation(ON_3dVector(10, 0, 0));
  CRhinoInstanceObject* ref = doc.AddInstanceObject(idef, shift);
  ASSERT_NE(ref, nullptr);

  ON_SimpleArray<CRhinoObject*> subs;
  ASSERT_EQ(ref->GetSubObjects(subs, nullptr), 2);
  EXPECT_EQ(subs[0]->ObjectType(), ON::brep_object);
  EXPECT_EQ(subs[1]->ObjectType(), ON::mesh_object);
  EXPECT_DOUBLE_EQ(subs[0]->BoundingBox().m_min.x, 10.0);
  EXPECT_DOUBLE_EQ(subs[1]->BoundingBox().m_min.x, 12.0);
  for (CRhinoObject* s : subs) {
    EXPECT_EQ(s->Document(), nullptr);
    delete s;
  }
  // The definition's members did not move.
  EXPECT_DOUBLE_EQ(
      doc.InstanceDefinitionTable().InstanceDefinition(idef)->Object(0)->BoundingBox().m_min.x,
      0.0);

  EXPECT_TRUE(ref->IsMeshable(ON::render_mesh));
  EXPECT_FALSE(ref->IsSolid()); // a placement of members, not a body of its own
  EXPECT_GT(ref->CreateMeshes(ON::render_mesh, ON_MeshParameters()), 0);
  ON_SimpleArray<const ON_Mesh*> meshes;
  const int n = ref->GetMeshes(ON::render_mesh, meshes);
  EXPECT_EQ(n, 7); // six box faces and the mesh member
  ON_BoundingBox box;
  for (const ON_Mesh* m : meshes)
    box.Union(m->BoundingBox());
  EXPECT_DOUBLE_EQ(box.m_min.x, 10.0);
  EXPECT_DOUBLE_EQ(box.m_max.x, 13.0);
  EXPECT_DOUBLE_EQ(ref->BoundingBox().m_max.x, 13.0);
}

TEST(ObjectState, MarksAndTheNoShowValue) {
  CRhinoDoc doc;
  CRhinoMeshObject* m = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  EXPECT_EQ(m->IsMarked(), 0);
  const int saved = CRhinoObject::m_no_show_mark;
  CRhinoObject::m_no_show_mark = 0;
  EXPECT_FALSE(m->IsHiddenByMark()); // 0 hides nothing, whatever the marks
  EXPECT_TRUE(m->IsVisible());
  m->Mark(1);
  CRhinoObject::m_no_show_mark = 1;
  EXPECT_TRUE(m->IsHiddenByMark());
  EXPECT_FALSE(m->IsVisible());
  EXPECT_FALSE(doc.BoundingBox().IsValid());
  m->Mark(-1);
  EXPECT_EQ(m->IsMarked(), -1);
  EXPECT_TRUE(m->IsVisible());
  CRhinoObject::m_no_show_mark = saved;
}

TEST(ObjectState, SelectionRespectsModes) {
  CRhinoDoc doc;
  EventLog log;
  ON_3dmObjectAttributes locked;
  locked.SetMode(ON::locked_object);
  CRhinoMeshObject* a = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  CRhinoMeshObject* b = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &locked);
  EXPECT_EQ(a->Select(true, true, true, false), 2);
  EXPECT_EQ(b->Select(true, true, true, false), 0);
  EXPECT_EQ(b->IsSelected(), 0);
  EXPECT_EQ(doc.UnselectAll(), 1);
  EXPECT_EQ(a->IsSelected(), 0);
}

TEST(ObjectBoxes, TightBoxesUnderTransformsAndAnalysisModes) {
  CRhinoDoc doc;
  CRhinoMeshObject* m = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 1, 1)));
  ON_BoundingBox box;
  EXPECT_TRUE(m->GetTightBoundingBox(box, false, nullptr));
  EXPECT_DOUBLE_EQ(box.m_max.x, 2.0);
  ON_Xform rot;
  rot.Rotation(ON_PI / 2.0, ON_3dVector(0, 0, 1), ON_3dPoint(0, 0, 0));
  ON_BoundingBox turned;
  EXPECT_TRUE(m->GetTightBoundingBox(turned, false, &rot));
  EXPECT_NEAR(turned.m_max.y, 2.0, 1e-9);
  EXPECT_NEAR(turned.m_min.x, -1.0, 1e-9);

  EXPECT_FALSE(m->InAnalysisMode());
  EXPECT_EQ(m->InShadedAnalysisMode(), nullptr);
  CRhinoVisualAnalysisMode zebra{ON_UuidFromString("00000000-0000-0000-0000-0000000000AA"), true};
  EXPECT_TRUE(m->EnableAnalysisMode(zebra, true));
  EXPECT_TRUE(m->InAnalysisMode());
  EXPECT_NE(m->InShadedAnalysisMode(), nullptr);
  EXPECT_TRUE(m->EnableAnalysisMode(zebra, false));
  EXPECT_FALSE(m->InAnalysisMode());
}

TEST(ObjectReferences, RenderMeshPairsAndMeshOfAReference) {
  CRhinoDoc doc;
  CRhinoBrepObject* box = AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  box->DestroyMeshes(ON::render_mesh);
  CRhinoCurveObject* line = AddLine(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0));
  ON_SimpleArray<const CRhinoObject*> objects;
  objects.Append(box);
  objects.Append(nullptr);
  objects.Append(line);
  ON_ClassArray<CRhinoObjRef> pairs;
  EXPECT_EQ(RhinoGetRenderMeshes(objects, pairs, true, false), 6);
  EXPECT_EQ(pairs[0].Object(), box);
  EXPECT_NE(pairs[0].Mesh(), nullptr);
  ON_ClassArray<CRhinoObjRef> all;
  EXPECT_EQ(RhinoGetRenderMeshes(objects, all, true, true), 7);
  EXPECT_EQ(all[6].Mesh(), nullptr);

  ON_Mesh joined = Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  CRhinoObjRef proxy(box, &joined, true);
  EXPECT_EQ(proxy.Mesh(), &joined);
  EXPECT_EQ(proxy.Object(), box);
}
