// Events the document sends for typical changes, and undo/redo round trips.

#include <gtest/gtest.h>

#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

namespace sdk_test {
ON_OBJECT_IMPLEMENT(TestUserData, ON_UserData, "5C0FFEE0-0000-4000-8000-00000000AB01");
}

namespace {

using Events = std::vector<std::string>;

CRhinoMeshObject* AddMesh(CRhinoDoc& doc, double x = 0.0) {
  return doc.AddMeshObject(Box(ON_3dPoint(x, 0, 0), ON_3dPoint(x + 1, 1, 1)));
}

// Runs fn as an undoable command (the way the command framework brackets
// commands).
template <class F> void Command(CRhinoDoc& doc, F fn, bool bUndo = true) {
  doc.BeginUndoRecord(nullptr, bUndo);
  fn();
  doc.EndUndoRecord(0);
}

} // namespace

TEST(DocumentEvents, CommandThatAddsAnObject) {
  CRhinoDoc doc;
  EventLog log;
  Command(doc, [&] { AddMesh(doc); });
  EXPECT_EQ(log.events, Events({"begin_command", "undo:begin_recording", "add",
                                "undo:end_recording", "end_command"}));
}

TEST(DocumentEvents, EmptyOrUndoDisabledCommandsEndNoRecording) {
  CRhinoDoc doc;
  EventLog log;
  Command(doc, [] {});
  EXPECT_EQ(log.events, Events({"begin_command", "undo:begin_recording", "end_command"}));
  log.events.clear();
  Command(
      doc, [&] { AddMesh(doc); }, false);
  EXPECT_EQ(log.events, Events({"begin_command", "add", "end_command"}));
  EXPECT_EQ(doc.UndoRecordCount(), 0);
  EXPECT_FALSE(doc.CanUndo());
}

TEST(DocumentEvents, DeleteReplaceAttributesAndUserData) {
  CRhinoDoc doc;
  CRhinoMeshObject* a = AddMesh(doc);
  EventLog log;
  ON_3dmObjectAttributes attrs = a->Attributes();
  attrs.m_name = L"renamed";
  EXPECT_TRUE(doc.ModifyObjectAttributes(CRhinoObjRef(a), attrs));
  auto* ud = new TestUserData();
  EXPECT_TRUE(a->AttachAttributeUserData(ud));
  EXPECT_EQ(a->GetAttributeUserData(TestUserData::Id()), ud); // the record itself, not a copy
  EXPECT_TRUE(a->DeleteAttributeUserData(TestUserData::Id()));
  EXPECT_FALSE(a->DeleteAttributeUserData(TestUserData::Id()));
  CRhinoObject* moved = doc.TransformObject(
      CRhinoObjRef(a), ON_Xform::TranslationTransformation(ON_3dVector(5, 0, 0)));
  ASSERT_NE(moved, nullptr);
  EXPECT_TRUE(doc.DeleteObject(CRhinoObjRef(moved)));
  EXPECT_EQ(log.events, Events({"attributes", "attributes", "attributes", "replace", "delete"}));
  // Deleted objects outside commands are freed at idle time, not at once.
  EXPECT_TRUE(moved->IsDeleted());
  EXPECT_EQ(doc.PurgeDeletedObjects(), 2);
  EXPECT_EQ(log.Only("purge").size(), 2u);
}

TEST(DocumentEvents, DisabledAndUnregisteredWatchersHearNothing) {
  CRhinoDoc doc;
  EventLog quiet;
  quiet.Enable(false);
  EventLog gone;
  gone.UnRegister();
  EventLog heard;
  AddMesh(doc);
  EXPECT_TRUE(quiet.events.empty());
  EXPECT_TRUE(gone.events.empty());
  EXPECT_EQ(heard.events, Events({"add"}));
  quiet.Enable(true);
  AddMesh(doc, 2);
  EXPECT_EQ(quiet.events, Events({"add"}));
}

TEST(DocumentEvents, WatcherThatDisablesItselfHearsOneEventPerBurst) {
  // The display service's pattern: each event switches the watcher off.
  struct OneShot : public CRhinoEventWatcher {
    int heard = 0;
    OneShot() { Register(); }
    void OnAddObject(CRhinoDoc&, CRhinoObject&) override {
      ++heard;
      Enable(false);
    }
  } watcher;
  CRhinoDoc doc;
  AddMesh(doc);
  AddMesh(doc, 2);
  EXPECT_EQ(watcher.heard, 1);
}

TEST(DocumentEvents, WatcherDestroyedDuringAnEventIsNotCalledAgain) {
  struct Suicidal : public CRhinoEventWatcher {
    Suicidal() { Register(); }
    std::unique_ptr<EventLog>* victim = nullptr;
    void OnAddObject(CRhinoDoc&, CRhinoObject&) override { victim->reset(); }
  };
  Suicidal first;
  auto second = std::make_unique<EventLog>();
  first.victim = &second;
  CRhinoDoc doc;
  AddMesh(doc); // would crash (use after free) if the dead watcher were called
  EXPECT_EQ(second, nullptr);
}

TEST(DocumentEvents, NewAndCloseDocumentFromTheApplication) {
  EventLog log;
  CRhinoDoc* doc = RhinoApp().NewDocument();
  RhinoApp().CloseDocument(doc);
  EXPECT_EQ(log.events, Events({"new", "close"}));
}

TEST(UndoRedo, AddDeleteAndReplaceRoundTrips) {
  CRhinoDoc doc;
  CRhinoMeshObject* a = nullptr;
  Command(doc, [&] { a = AddMesh(doc); });
  const ON_UUID id = a->ModelObjectId();
  Command(doc, [&] {
    doc.TransformObject(CRhinoObjRef(a),
                        ON_Xform::TranslationTransformation(ON_3dVector(10, 0, 0)));
  });
  ASSERT_EQ(doc.UndoRecordCount(), 2);
  EXPECT_DOUBLE_EQ(doc.LookupObject(id)->BoundingBox().m_min.x, 10.0);

  EventLog log;
  ASSERT_TRUE(doc.Undo()); // the move
  EXPECT_EQ(log.events, Events({"undo:begin_undo", "replace", "undo:end_undo"}));
  EXPECT_EQ(doc.LookupObject(id), a);
  EXPECT_DOUBLE_EQ(a->BoundingBox().m_min.x, 0.0);
  ASSERT_TRUE(doc.Undo()); // the add
  EXPECT_EQ(doc.LookupObject(id), nullptr);
  EXPECT_EQ(doc.ObjectCount(), 0);
  EXPECT_FALSE(doc.Undo());

  ASSERT_TRUE(doc.Redo());
  EXPECT_EQ(doc.LookupObject(id), a);
  ASSERT_TRUE(doc.Redo());
  EXPECT_DOUBLE_EQ(doc.LookupObject(id)->BoundingBox().m_min.x, 10.0);
  EXPECT_FALSE(doc.Redo());

  Command(doc, [&] { doc.DeleteObject(CRhinoObjRef(doc.LookupObject(id))); });
  EXPECT_EQ(doc.ObjectCount(), 0);
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(doc.ObjectCount(), 1);
  EXPECT_DOUBLE_EQ(doc.LookupObject(id)->BoundingBox().m_min.x, 10.0);
}

TEST(UndoRedo, NewRecordDropsTheRedoList) {
  CRhinoDoc doc;
  Command(doc, [&] { AddMesh(doc); });
  ASSERT_TRUE(doc.Undo());
  EXPECT_TRUE(doc.CanRedo());
  EventLog log;
  Command(doc, [&] { AddMesh(doc, 3); });
  EXPECT_FALSE(doc.CanRedo());
  // The undone object can never come back: it is purged with its record.
  EXPECT_EQ(log.Only("purge"), Events({"purge"}));
}

TEST(UndoRedo, UndoIsRefusedWhileRecording) {
  CRhinoDoc doc;
  Command(doc, [&] { AddMesh(doc); });
  doc.BeginUndoRecord(nullptr, true);
  EXPECT_FALSE(doc.Undo());
  doc.EndUndoRecord();
  // The Undo command runs with undo disabled, and may undo.
  doc.BeginUndoRecord(nullptr, false);
  EXPECT_TRUE(doc.Undo());
  doc.EndUndoRecord();
  EXPECT_EQ(doc.ObjectCount(), 0);
}

TEST(UndoRedo, AttributesComeBackWithTheirUserData) {
  CRhinoDoc doc;
  CRhinoMeshObject* a = AddMesh(doc);
  auto* kept = new TestUserData();
  kept->m_value = 7;
  kept->m_userdata_copycount = 0; // would not survive a copy of the attributes
  ASSERT_TRUE(a->AttachAttributeUserData(kept));

  Command(doc, [&] {
    ON_3dmObjectAttributes attrs = a->Attributes();
    attrs.m_name = L"changed";
    attrs.SetMode(ON::locked_object);
    doc.ModifyObjectAttributes(CRhinoObjRef(a), attrs);
  });
  EXPECT_EQ(a->Attributes().m_name, ON_wString(L"changed"));
  EXPECT_EQ(a->GetAttributeUserData(TestUserData::Id()), nullptr); // copy count 0 stayed behind

  ASSERT_TRUE(doc.Undo());
  EXPECT_TRUE(a->Attributes().m_name.IsEmpty());
  EXPECT_FALSE(a->IsLocked());
  // The very record, with the value written through it, is back.
  EXPECT_EQ(a->GetAttributeUserData(TestUserData::Id()), kept);
  EXPECT_EQ(kept->m_value, 7);
  ASSERT_TRUE(doc.Redo());
  EXPECT_TRUE(a->IsLocked());
}

TEST(UndoRedo, AttachAndDeleteOfAttributeUserData) {
  CRhinoDoc doc;
  CRhinoMeshObject* a = AddMesh(doc);
  auto* ud = new TestUserData();
  Command(doc, [&] { a->AttachAttributeUserData(ud); });
  ud->m_value = 42; // written through the pointer, as the display service does
  Command(doc, [&] { a->DeleteAttributeUserData(TestUserData::Id()); });
  EXPECT_EQ(a->GetAttributeUserData(TestUserData::Id()), nullptr);

  ASSERT_TRUE(doc.Undo()); // the delete
  auto* back = static_cast<TestUserData*>(a->GetAttributeUserData(TestUserData::Id()));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->m_value, 42);
  ASSERT_TRUE(doc.Undo()); // the attach
  EXPECT_EQ(a->GetAttributeUserData(TestUserData::Id()), nullptr);
  ASSERT_TRUE(doc.Redo());
  EXPECT_EQ(a->GetAttributeUserData(TestUserData::Id()), back);
}

TEST(UndoRedo, CopiedUserDataFollowsItsCopyCountOnDuplicate) {
  CRhinoDoc doc;
  CRhinoMeshObject* a = AddMesh(doc);
  auto* copied = new TestUserData();
  copied->m_value = 3;
  ASSERT_TRUE(a->AttachAttributeUserData(copied));
  std::unique_ptr<CRhinoObject> dup(a->DuplicateRhinoObject());
  auto* in_copy = static_cast<TestUserData*>(dup->GetAttributeUserData(TestUserData::Id()));
  ASSERT_NE(in_copy, nullptr);
  EXPECT_NE(in_copy, copied);
  EXPECT_EQ(in_copy->m_value, 3);
  EXPECT_EQ(dup->Document(), nullptr);
  EXPECT_NE(dup->RuntimeSerialNumber(), a->RuntimeSerialNumber());
}

TEST(UndoRedo, HistoryLimitPurgesOldRecordsAndTheirObjects) {
  CRhinoDoc doc;
  doc.SetMaxUndoRecords(2);
  for (int i = 0; i < 4; ++i)
    Command(doc, [&] { AddMesh(doc, i); });
  EXPECT_EQ(doc.UndoRecordCount(), 2);
  ASSERT_TRUE(doc.Undo());
  ASSERT_TRUE(doc.Undo());
  EXPECT_FALSE(doc.Undo());
  EXPECT_EQ(doc.ObjectCount(), 2);
  EventLog log;
  doc.ClearUndoRecords();
  EXPECT_EQ(log.Only("undo:purge").size(), 2u);
  EXPECT_EQ(log.Only("purge").size(), 2u); // the two undone objects are gone for good
}

TEST(UndoRedo, BlockDefinitionsAndLayersComeAndGoWithTheirCommand) {
  // A block made from an object, as the Block command makes it: the
  // definition, the object deleted and one reference added, in one record.
  CRhinoDoc doc;
  CRhinoMeshObject* part = nullptr;
  Command(doc, [&] { part = AddMesh(doc); });
  auto& table = doc.InstanceDefinitionTable();
  Command(doc, [&] {
    ON_SimpleArray<CRhinoObject*> members;
    members.Append(part->DuplicateRhinoObject());
    const int index = table.AddInstanceDefinition(L"Crate", members);
    doc.DeleteObject(CRhinoObjRef(part));
    doc.AddInstanceObject(index, ON_Xform::IdentityTransformation);
  });
  ASSERT_GE(table.FindInstanceDefinition(L"Crate"), 0);
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(table.FindInstanceDefinition(L"Crate"), -1);
  EXPECT_EQ(doc.LookupObject(part->ModelObjectId()), part);
  ASSERT_TRUE(doc.Redo());
  const int index = table.FindInstanceDefinition(L"Crate");
  ASSERT_GE(index, 0);
  Command(doc, [&] { table.DeleteInstanceDefinition(index); });
  EXPECT_EQ(table.FindInstanceDefinition(L"Crate"), -1);
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(table.FindInstanceDefinition(L"Crate"), index);

  // Layers too, as an import adds them.
  ON_Layer layer;
  layer.SetName(L"Imported");
  Command(doc, [&] { doc.LayerTable().AddLayer(layer); });
  ASSERT_GE(doc.LayerTable().FindLayer(L"Imported"), 1);
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(doc.LayerTable().FindLayer(L"Imported"), -1);
  ASSERT_TRUE(doc.Redo());
  EXPECT_GE(doc.LayerTable().FindLayer(L"Imported"), 1);
}
