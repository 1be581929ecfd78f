// The engine under fire from the main thread while its worker computes:
// storms of starts, stops, model changes, switches and document changes,
// results read and drawn while the worker appends, and an engine destroyed
// in the middle of a long computation. Run under ThreadSanitizer and
// AddressSanitizer these catch races and use-after-free; every wait is on
// the engine's own state, with a deadline.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

#include "clash_scene.h"

namespace {

using namespace clash_test;

// Overlapping spheres in a row: every neighbouring pair clashes, and each
// boolean takes long enough for the main thread to act meanwhile.
void AddSphereRow(ClashScene& scene, int count, int rings = 24) {
  for (int i = 0; i < count; ++i)
    scene.Add(test_meshes::Sphere(ON_3dPoint(1.5 * i, 0, 0), 1.0, rings, 2 * rings));
}

// Waits until the worker is inside a computation; false past the deadline.
bool WaitUntilComputing(const CKyrelConduit::InterfereEngine& engine) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!engine.IsComputing()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(0);
  }
  return true;
}

TEST(ClashEngineConcurrency, StormsOfRequestsLeaveTheEngineConsistent) {
  ClashScene scene;
  AddSphereRow(scene, 8);
  CRhinoObject* mover = scene.AddBox(ON_3dPoint(0, -0.5, -0.5), ON_3dPoint(1, 0.5, 0.5));
  CRhinoView view(scene.doc, 64, 48);
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());

  std::mt19937 random(11);
  for (int step = 0; step < 120; ++step) {
    switch (random() % 7) {
    case 0:
      Conduit().EnableInterfere(true, false);
      break;
    case 1:
      Conduit().EnableInterfere(false, false);
      break;
    case 2:
      Conduit().StartInterfereComputing();
      break;
    case 3:
      Conduit().StopInterfereComputing();
      // After a stop nothing found before it may be listed.
      EXPECT_EQ(Conduit().InterferencesCount(), 0);
      break;
    case 4: {
      scene.doc->BeginUndoRecord(nullptr);
      const ON_Xform move = ON_Xform::TranslationTransformation(ON_3dVector(0.01, 0, 0));
      mover = scene.doc->TransformObject(CRhinoObjRef(mover), move);
      ASSERT_NE(mover, nullptr);
      scene.doc->EndUndoRecord();
      break;
    }
    case 5: {
      CRhinoDoc* other = RhinoApp().NewDocument();
      EXPECT_FALSE(Conduit().IsInterfereEnabled());
      RhinoApp().CloseDocument(other);
      RhinoApp().SetActiveDoc(scene.doc);
      break;
    }
    default: {
      // Read and draw while the worker may be appending.
      const int count = Conduit().InterferencesCount();
      ON_UuidPair pair;
      for (int i = 0; i < count; ++i)
        Conduit().GetInterferenceAt(i, pair);
      view.Redraw();
      break;
    }
    }
    // The two result lists never disagree.
    EnterCriticalSection(&Engine().m_csInterferences);
    EXPECT_EQ(Engine().m_interferences.Count(), Engine().m_interference_meshes.Count());
    LeaveCriticalSection(&Engine().m_csInterferences);
  }

  // Whatever came before, a last start computes the model as it stands:
  // 7 neighbouring sphere pairs, and the box (moved by at most 1.2) across
  // the surfaces of the first two spheres.
  Conduit().StartInterfereComputing();
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Conduit().InterferencesCount(), 9);
}

TEST(ClashEngineConcurrency, AStopBeforeTheWorkerWakesIsNotLost) {
  ClashScene scene;
  AddSphereRow(scene, 4, 8);
  for (int round = 0; round < 50; ++round) {
    ASSERT_TRUE(WaitUntilIdle());
    const unsigned int runs = Engine().ComputationsRun();
    Conduit().StartInterfereComputing();
    Conduit().StopInterfereComputing();
    // Wait until the worker has taken the signal and let go of it: the
    // stopped request must have computed nothing.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Engine().ComputationsRun() == runs && std::chrono::steady_clock::now() < deadline)
      Sleep(1);
    ASSERT_GT(Engine().ComputationsRun(), runs);
    EXPECT_EQ(Conduit().InterferencesCount(), 0) << "round " << round;
  }
}

TEST(ClashEngineConcurrency, AnEngineDestroyedMidComputationWaitsForItsWorker) {
  ClashScene scene;
  AddSphereRow(scene, 12, 40);
  auto engine = std::make_unique<CKyrelConduit::InterfereEngine>(&Conduit());
  engine->m_bEnabled = true;
  engine->Start(false);
  ASSERT_TRUE(WaitUntilComputing(*engine));
  // The worker is inside a boolean on the engine's candidates; the
  // destructor must not free them under it, so it returns only after the
  // worker has left.
  const unsigned int ended = CKyrelConduit::InterfereEngine::WorkersEnded();
  engine.reset();
  EXPECT_EQ(CKyrelConduit::InterfereEngine::WorkersEnded(), ended + 1);
}

} // namespace
