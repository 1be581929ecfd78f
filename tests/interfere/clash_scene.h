#pragma once
// A new active document for clash-detection tests, with ways to add
// objects, run detection to its end and read what it found.

#include <chrono>
#include <string>
#include <vector>

#include "conduit/kyrel_conduit.h"
#include "rhinoSdk.h"
#include "support/clash_scenes.h"
#include "support/test_meshes.h"

namespace clash_test {

using test_meshes::RandomScene;

inline CKyrelConduit& Conduit() {
  return *CKyrelConduit::Instance();
}
inline CKyrelConduit::InterfereEngine& Engine() {
  return Conduit().m_interfere;
}

// Polls the engine until no computation is pending or running. False when
// the deadline passes first.
inline bool WaitUntilIdle(std::chrono::seconds limit = std::chrono::seconds(120)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (Engine().IsBusy()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(1);
  }
  return true;
}

struct Clash {
  ON_UUID a, b;
  double volume = 0.0; // of a closed region
  double area = 0.0;
  bool closed = false;
};

// What the engine holds, read as the conduit reads it.
inline std::vector<Clash> Results() {
  std::vector<Clash> out;
  CKyrelConduit::InterfereEngine& engine = Engine();
  EnterCriticalSection(&engine.m_csInterferences);
  for (int i = 0; i < engine.m_interferences.Count(); ++i) {
    Clash c;
    c.a = engine.m_interferences[i].m_uuid[0];
    c.b = engine.m_interferences[i].m_uuid[1];
    const ON_Mesh* region = engine.m_interference_meshes[i];
    if (region != nullptr) {
      c.closed = region->IsClosed();
      c.volume = c.closed ? test_meshes::Volume(*region) : 0.0;
      c.area = test_meshes::Area(*region);
    }
    out.push_back(c);
  }
  LeaveCriticalSection(&engine.m_csInterferences);
  return out;
}

struct ClashScene {
  ClashScene() : doc(RhinoApp().NewDocument()) {}
  ~ClashScene() {
    Conduit().EnableInterfere(false, false);
    WaitUntilIdle();
    RhinoApp().CloseDocument(doc);
  }
  ClashScene(const ClashScene&) = delete;
  ClashScene& operator=(const ClashScene&) = delete;

  CRhinoObject* Add(const ON_Mesh& mesh, ON::object_mode mode = ON::normal_object) {
    ON_3dmObjectAttributes attributes;
    attributes.m_mode = mode;
    return doc->AddMeshObject(mesh, &attributes);
  }
  CRhinoObject* AddBox(const ON_3dPoint& a, const ON_3dPoint& b,
                       ON::object_mode mode = ON::normal_object) {
    return Add(test_meshes::Box(a, b), mode);
  }
  // Switches detection on (from off) and waits for the computation.
  bool Detect() {
    Conduit().EnableInterfere(false, false);
    Conduit().EnableInterfere(true, false);
    return WaitUntilIdle();
  }

  CRhinoDoc* doc;
};

inline bool SamePair(const Clash& c, const CRhinoObject* a, const CRhinoObject* b) {
  return c.a == a->ModelObjectId() && c.b == b->ModelObjectId();
}

} // namespace clash_test
