// Documents: adding, looking up, deleting and iterating objects; refused
// and missing input; settings the display relies on.

#include <gtest/gtest.h>

#include <algorithm>

#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

namespace {

CRhinoMeshObject* AddMesh(CRhinoDoc& doc, double x, ON::object_mode mode = ON::normal_object) {
  ON_3dmObjectAttributes attrs;
  attrs.SetMode(mode);
  return doc.AddMeshObject(Box(ON_3dPoint(x, 0, 0), ON_3dPoint(x + 1, 1, 1)), &attrs);
}

std::vector<const CRhinoObject*> Walk(CRhinoDoc& doc, int filter, int category) {
  std::vector<const CRhinoObject*> out;
  CRhinoObjectIterator it(doc, filter, category);
  for (CRhinoObject* o = it.First(); o != nullptr; o = it.Next())
    out.push_back(o);
  return out;
}

} // namespace

TEST(DocumentLookup, ObjectsAreFoundByIdAndSerialAndMissingOnesAreNone) {
  CRhinoDoc doc;
  CRhinoMeshObject* a = AddMesh(doc, 0);
  CRhinoMeshObject* b = AddMesh(doc, 2);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(ON_UuidIsNotNil(a->ModelObjectId()));
  EXPECT_NE(a->ModelObjectId(), b->ModelObjectId());
  EXPECT_NE(a->RuntimeSerialNumber(), b->RuntimeSerialNumber());
  EXPECT_EQ(doc.LookupObject(b->ModelObjectId()), b);
  EXPECT_EQ(doc.LookupObjectByRuntimeSerialNumber(a->RuntimeSerialNumber()), a);
  EXPECT_EQ(a->Document(), &doc);

  EXPECT_EQ(doc.LookupObject(ON_nil_uuid), nullptr);
  EXPECT_EQ(doc.LookupObject(ON_UuidFromString("11111111-2222-3333-4444-555555555555")), nullptr);
  EXPECT_EQ(doc.LookupObjectByRuntimeSerialNumber(0), nullptr);
  EXPECT_EQ(doc.LookupObjectByRuntimeSerialNumber(0xFFFFFFF0u), nullptr);

  ASSERT_TRUE(doc.DeleteObject(CRhinoObjRef(a)));
  EXPECT_EQ(doc.LookupObject(a->ModelObjectId()), nullptr);
  EXPECT_EQ(doc.ObjectCount(), 1);
  EXPECT_TRUE(doc.UndeleteObject(a));
  EXPECT_EQ(doc.LookupObject(a->ModelObjectId()), a);
}

TEST(DocumentLookup, DuplicateIdsAreReplacedOnAdd) {
  CRhinoDoc doc;
  ON_3dmObjectAttributes attrs;
  attrs.m_uuid = ON_UuidFromString("AAAAAAAA-2222-3333-4444-555555555555");
  CRhinoMeshObject* a = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &attrs);
  CRhinoMeshObject* b = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &attrs);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->ModelObjectId(), attrs.m_uuid);
  EXPECT_NE(b->ModelObjectId(), attrs.m_uuid);
}

TEST(DocumentAdd, RefusedObjectsReturnFalseAndAreNotListed) {
  CRhinoDoc doc;
  EXPECT_FALSE(doc.AddObject(nullptr));
  // A mesh object without faces is refused (and destroyed by the document;
  // the sanitizer build checks that nothing leaks).
  auto* empty = new CRhinoMeshObject();
  empty->SetMesh(new ON_Mesh());
  EXPECT_FALSE(doc.AddObject(empty, false, false));
  EXPECT_EQ(doc.ObjectCount(), 0);

  CRhinoMeshObject* a = AddMesh(doc, 0);
  // The same object twice, or an object of another document, is refused and
  // left alone.
  EXPECT_FALSE(doc.AddObject(a));
  CRhinoDoc other;
  EXPECT_FALSE(other.AddObject(a));
  EXPECT_EQ(a->Document(), &doc);
  EXPECT_EQ(doc.ObjectCount(), 1);
  EXPECT_EQ(doc.AddMeshObject(ON_Mesh()), nullptr);
  EXPECT_EQ(doc.AddInstanceObject(7, ON_Xform::IdentityTransformation), nullptr);
}

TEST(DocumentDelete, LockedAndHiddenObjectsNeedIgnoreModes) {
  CRhinoDoc doc;
  CRhinoMeshObject* locked = AddMesh(doc, 0, ON::locked_object);
  CRhinoMeshObject* hidden = AddMesh(doc, 2, ON::hidden_object);
  EXPECT_FALSE(doc.DeleteObject(CRhinoObjRef(locked), true, false));
  EXPECT_FALSE(doc.DeleteObject(CRhinoObjRef(hidden), true, false));
  EXPECT_TRUE(doc.DeleteObject(CRhinoObjRef(locked), true, true));
  EXPECT_TRUE(doc.DeleteObject(CRhinoObjRef(hidden), true, true));
  EXPECT_FALSE(doc.DeleteObject(CRhinoObjRef(hidden), true, true)); // already deleted
  EXPECT_FALSE(doc.DeleteObject(CRhinoObjRef(nullptr), true, true));
  CRhinoDoc other;
  CRhinoMeshObject* foreign = AddMesh(other, 0);
  EXPECT_FALSE(doc.DeleteObject(CRhinoObjRef(foreign), true, true));
  EXPECT_FALSE(foreign->IsDeleted());
}

TEST(ObjectIterator, StateFiltersAndCategories) {
  CRhinoDoc doc;
  CRhinoMeshObject* normal = AddMesh(doc, 0);
  CRhinoMeshObject* locked = AddMesh(doc, 2, ON::locked_object);
  CRhinoMeshObject* hidden = AddMesh(doc, 4, ON::hidden_object);
  CRhinoMeshObject* deleted = AddMesh(doc, 6);
  doc.DeleteObject(CRhinoObjRef(deleted));
  auto* reference = new CRhinoMeshObject();
  reference->SetMesh(Box(ON_3dPoint(8, 0, 0), ON_3dPoint(9, 1, 1)));
  ASSERT_TRUE(doc.AddObject(reference, true));

  using It = CRhinoObjectIterator;
  using V = std::vector<const CRhinoObject*>;
  EXPECT_EQ(Walk(doc, It::normal_objects, It::active_objects), V({normal}));
  EXPECT_EQ(Walk(doc, It::locked_objects, It::active_objects), V({locked}));
  EXPECT_EQ(Walk(doc, It::hidden_objects, It::active_objects), V({hidden}));
  EXPECT_EQ(Walk(doc, It::normal_or_locked_objects, It::active_objects), V({normal, locked}));
  EXPECT_EQ(Walk(doc, 7, It::active_objects), V({normal, locked, hidden}));
  EXPECT_EQ(Walk(doc, 3, It::reference_objects), V({reference}));
  EXPECT_EQ(Walk(doc, 3, It::active_and_reference_objects), V({normal, locked, reference}));
}

TEST(ObjectIterator, LayerStateCountsAsObjectState) {
  CRhinoDoc doc;
  ON_Layer off;
  off.SetName(L"off");
  off.SetVisible(false);
  ON_Layer frozen;
  frozen.SetName(L"frozen");
  frozen.SetLocked(true);
  ON_3dmObjectAttributes a;
  a.m_layer_index = doc.LayerTable().AddLayer(off);
  CRhinoMeshObject* on_off_layer =
      doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &a);
  a.m_layer_index = doc.LayerTable().AddLayer(frozen);
  CRhinoMeshObject* on_locked_layer =
      doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &a);
  EXPECT_TRUE(on_off_layer->IsHidden());
  EXPECT_TRUE(on_locked_layer->IsLocked());
  EXPECT_EQ(Walk(doc, 1, 1).size(), 0u);
  EXPECT_EQ(Walk(doc, 2, 1), std::vector<const CRhinoObject*>({on_locked_layer}));
}

TEST(ObjectIterator, SurvivesObjectsAddedAndDeletedDuringTheWalk) {
  CRhinoDoc doc;
  std::vector<CRhinoMeshObject*> objects;
  for (int i = 0; i < 5; ++i)
    objects.push_back(AddMesh(doc, 2.0 * i));

  // Adding while walking: the walk ends with the objects it started with.
  int visited = 0;
  CRhinoObjectIterator add_it(doc, 3, 1);
  for (CRhinoObject* o = add_it.First(); o != nullptr; o = add_it.Next()) {
    ++visited;
    ASSERT_NE(AddMesh(doc, 100.0 + visited), nullptr);
  }
  EXPECT_EQ(visited, 5);
  EXPECT_EQ(doc.ObjectCount(), 10);

  // Deleting the current and a later object while walking.
  std::vector<const CRhinoObject*> seen;
  CRhinoObjectIterator del_it(doc, 3, 1);
  for (CRhinoObject* o = del_it.First(); o != nullptr; o = del_it.Next()) {
    seen.push_back(o);
    if (o == objects[1]) {
      EXPECT_TRUE(doc.DeleteObject(CRhinoObjRef(o), true, true));
      EXPECT_TRUE(doc.DeleteObject(CRhinoObjRef(objects[3]), true, true));
      // The object handed out stays readable after its deletion.
      EXPECT_TRUE(o->IsDeleted());
      EXPECT_GT(o->BoundingBox().Volume(), 0.0);
    }
  }
  EXPECT_EQ(seen.size(), 9u); // 10 minus the one deleted ahead of the walk
  EXPECT_EQ(std::count(seen.begin(), seen.end(), objects[3]), 0);
  EXPECT_EQ(doc.ObjectCount(), 8);
}

TEST(ObjectIterator, ActiveDocumentIteratorWithoutDocumentVisitsNothing) {
  CRhinoDoc* saved = RhinoApp().ActiveDoc();
  RhinoApp().SetActiveDoc(nullptr);
  CRhinoObjectIterator it(3, 1);
  EXPECT_EQ(it.First(), nullptr);
  EXPECT_EQ(it.Next(), nullptr);
  RhinoApp().SetActiveDoc(saved);
}

TEST(DocumentSettings, ToleranceBoxAndMeshSettings) {
  CRhinoDoc doc;
  EXPECT_FALSE(doc.BoundingBox().IsValid());
  EXPECT_GT(doc.AbsoluteTolerance(), 0.0);
  EXPECT_FALSE(doc.SetAbsoluteTolerance(-1.0));
  EXPECT_FALSE(doc.SetAbsoluteTolerance(0.0));
  EXPECT_TRUE(doc.SetAbsoluteTolerance(0.01));
  EXPECT_DOUBLE_EQ(doc.AbsoluteTolerance(), 0.01);

  AddMesh(doc, 0);
  CRhinoMeshObject* far_hidden = AddMesh(doc, 50, ON::hidden_object);
  ASSERT_NE(far_hidden, nullptr);
  const ON_BoundingBox box = doc.BoundingBox();
  EXPECT_DOUBLE_EQ(box.m_max.x, 1.0); // hidden objects are not part of the box

  // Render mesh settings and parameters are one record.
  ON_MeshParameters mp = doc.Properties().RenderMeshParameters();
  mp.m_bJaggedSeams = !mp.m_bJaggedSeams;
  doc.Properties().SetRenderMeshSettings(mp);
  EXPECT_EQ(doc.Properties().RenderMeshParameters().m_bJaggedSeams, mp.m_bJaggedSeams);
  EXPECT_EQ(doc.Properties().MeshParameters(CRhinoDocProperties::custom_mesh_style).m_style, 9);
  EXPECT_TRUE(doc.Properties().AnalysisMeshSettings().m_bComputeCurvature);
}

TEST(DocumentLayers, OutOfRangeIndexGivesTheDefaultLayer) {
  CRhinoDoc doc;
  EXPECT_EQ(doc.LayerTable().LayerCount(), 1);
  EXPECT_EQ(doc.LayerTable()[-3].Name(), ON_wString(L"Default"));
  EXPECT_EQ(doc.LayerTable()[99].Name(), ON_wString(L"Default"));
  ON_Layer red;
  red.SetName(L"Red");
  red.SetColor(ON_Color(255, 0, 0));
  const int i = doc.LayerTable().AddLayer(red);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(doc.LayerTable().AddLayer(red), -1); // names are unique
  EXPECT_EQ(doc.LayerTable()[i].Color(), ON_Color(255, 0, 0));
  EXPECT_FALSE(doc.LayerTable().DeleteLayer(0));
}

TEST(Application, DocumentsViewsAndVersion) {
  CRhinoApp& app = RhinoApp();
  EXPECT_EQ(app.ExeVersion(), 5);
  CRhinoDoc* doc = app.NewDocument();
  EXPECT_EQ(app.ActiveDoc(), doc);
  CRhinoView* view = app.CreateView(doc, 64, 48);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(app.ActiveView(), view);
  AddMesh(*doc, 0);
  doc->DeferredRedraw();
  EXPECT_EQ(app.ProcessDeferredRedraws(), 1);
  EXPECT_EQ(view->FrameCount(), 1u);
  EXPECT_EQ(app.ProcessDeferredRedraws(), 0); // drawn once
  EXPECT_TRUE(app.CloseDocument(doc));
  EXPECT_EQ(view->Document(), nullptr); // the view let go of the closed document
  EXPECT_TRUE(view->Redraw());          // and still draws (an empty frame)
  EXPECT_TRUE(app.DestroyView(view));
  EXPECT_EQ(app.ActiveView(), nullptr);
  EXPECT_FALSE(app.CloseDocument(doc));
}

TEST(DocumentRedraw, HintsDeferredRedrawsAndRegen) {
  CRhinoDoc doc;
  CRhinoBrepObject* box = AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  ASSERT_NE(box, nullptr);
  CRhinoView shaded(&doc, 40, 30);
  shaded.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  CRhinoView wire(&doc, 40, 30);

  // A hint given during a command redraws the views of that mode when it ends.
  doc.BeginUndoRecord(nullptr, true);
  doc.SetRedrawDisplayHint(0, CDisplayPipelineAttributes::shaded_display);
  EXPECT_EQ(shaded.FrameCount(), 0u);
  doc.EndUndoRecord();
  EXPECT_EQ(shaded.FrameCount(), 1u);
  EXPECT_EQ(wire.FrameCount(), 0u);

  // Outside a command it defers; immediate redraws draw every view now.
  doc.SetRedrawDisplayHint(0, 2);
  EXPECT_TRUE(doc.IsRedrawPending());
  doc.Redraw(CRhinoDoc::redraw_hint_full);
  EXPECT_FALSE(doc.IsRedrawPending());
  EXPECT_EQ(shaded.FrameCount(), 2u);
  EXPECT_EQ(wire.FrameCount(), 1u);
  EXPECT_EQ(doc.RedrawCount(), 3u);

  // Regen remakes only meshes made with other settings, and says so.
  EventLog log;
  doc.Regen();
  EXPECT_TRUE(log.Only("mesh").empty());
  ON_MeshParameters finer = doc.Properties().RenderMeshSettings();
  finer.m_grid_min_count += 3;
  doc.Properties().SetRenderMeshSettings(finer);
  EXPECT_EQ(log.Only("properties").size(), 1u);
  EXPECT_EQ(box->MeshCount(ON::render_mesh, &finer), 0);
  doc.Regen();
  EXPECT_EQ(log.Only("mesh").size(), 1u);
  EXPECT_EQ(box->MeshCount(ON::render_mesh, &finer), 6);
  EXPECT_EQ(shaded.FrameCount(), 4u); // each Regen redraws every view
}
