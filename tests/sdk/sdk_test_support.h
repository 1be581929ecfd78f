#pragma once
// Small scenes and observers shared by the host SDK tests.

#include <memory>
#include <string>
#include <vector>

#include "rhinoSdk.h"
#include "support/test_meshes.h"

namespace sdk_test {

// Box object added to doc; null when refused.
inline CRhinoBrepObject* AddBox(CRhinoDoc& doc, const ON_3dPoint& a, const ON_3dPoint& b,
                                const wchar_t* name = nullptr) {
  std::unique_ptr<ON_Brep> brep(ON_Brep::CreateBox(a, b));
  if (!brep) return nullptr;
  ON_3dmObjectAttributes attrs;
  if (name != nullptr) attrs.m_name = name;
  return doc.AddBrepObject(*brep, &attrs);
}

inline CRhinoCurveObject* AddLine(CRhinoDoc& doc, const ON_3dPoint& a, const ON_3dPoint& b) {
  ON_Polyline pl;
  pl.Append(a);
  pl.Append(b);
  return doc.AddCurveObject(ON_PolylineCurve(pl));
}

// Records the events it hears as short strings.
class EventLog : public CRhinoEventWatcher {
public:
  EventLog() { Register(); }
  std::vector<std::string> events;

  void OnNewDocument(CRhinoDoc&) override { events.push_back("new"); }
  void OnCloseDocument(CRhinoDoc&) override { events.push_back("close"); }
  void OnDocumentPropertiesChanged(CRhinoDoc&) override { events.push_back("properties"); }
  void OnBeginCommand(CRhinoDoc&, const CRhinoCommand*) override {
    events.push_back("begin_command");
  }
  void OnEndCommand(CRhinoDoc&, const CRhinoCommand*, int) override {
    events.push_back("end_command");
  }
  void OnAddObject(CRhinoDoc&, CRhinoObject&) override { events.push_back("add"); }
  void OnDeleteObject(CRhinoDoc&, CRhinoObject&) override { events.push_back("delete"); }
  void OnReplaceObject(CRhinoDoc&, CRhinoObject&, CRhinoObject&) override {
    events.push_back("replace");
  }
  void OnUnDeleteObject(CRhinoDoc&, CRhinoObject&) override { events.push_back("undelete"); }
  void OnPurgeObject(CRhinoDoc&, CRhinoObject&) override { events.push_back("purge"); }
  void OnModifyObjectAttributes(CRhinoDoc&, CRhinoObject&, const ON_3dmObjectAttributes&) override {
    events.push_back("attributes");
  }
  void OnUpdateObjectMesh(CRhinoDoc&, CRhinoObject&, ON::mesh_type) override {
    events.push_back("mesh");
  }
  void LayerTableEvent(table_event, CRhinoDoc&, int) override { events.push_back("layer"); }
  void UndoEvent(undo_event type, unsigned int, const CRhinoCommand*) override {
    static const char* names[] = {
        "undo:none",     "undo:begin_recording", "undo:end_recording", "undo:begin_undo",
        "undo:end_undo", "undo:begin_redo",      "undo:end_redo",      "undo:purge"};
    events.push_back(names[type]);
  }
  // Events whose name starts with prefix, in order.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
  }
};

// Attribute user data whose copy count is chosen per test.
class TestUserData : public ON_UserData {
  ON_OBJECT_DECLARE(TestUserData);

public:
  TestUserData() {
    m_userdata_uuid = Id();
    m_userdata_copycount = 1;
  }
  static ON_UUID Id() { return ON_UuidFromString("5C0FFEE0-0000-4000-8000-00000000AB01"); }
  int m_value = 0;
};

} // namespace sdk_test
