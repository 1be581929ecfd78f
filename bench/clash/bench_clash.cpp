// Clash detection over scenes of N objects (N = 100, 1,000, 3,000, 10,000):
// spheres of 352 triangles and boxes on a jittered grid, sized so that
// about one object in ten meets a neighbour. For each N, measured in the
// same run:
//   Collect/N     candidate collection on the main thread (Start)
//   Compute/N     the worker's computation, from the signal to idle, with
//                 the box sweep and the surface contact test before each
//                 boolean (and, for N up to 3,000, without either: every
//                 pair visited and every pair whose boxes meet through the
//                 boolean, as the plain loop does)
//   MeshWork/N    the baseline: the same pair tests (contact test, then
//                 ClashTest where the surfaces may meet, on every pair
//                 whose boxes meet) run directly, without the engine
// Counters give the pairs the loop visits, the pairs whose boxes meet, the
// pair tests that reach a boolean and the clashes found; after the run a
// table gives the computation's time over its mesh work, which is what the
// engine adds, and the plain loop's time over the computation's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "conduit/kyrel_conduit.h"
#include "interfere/clash_geometry.h"
#include "rhinoSdk.h"
#include "support/clash_scenes.h"
#include "tl_tolerance.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<ON_Mesh> Scene(int count) {
  return test_meshes::RandomScene(1234, count, 15, 1.05, 1.65);
}

struct Figures {
  double collect_ms = 0, compute_ms = 0, plain_ms = 0, mesh_work_ms = 0;
  long long pairs = 0, tests = 0, booleans = 0, clashes = 0, plain_clashes = -1;
};
std::map<int, Figures> g_figures;

CKyrelConduit::InterfereEngine& Engine() {
  return CKyrelConduit::Instance()->m_interfere;
}

void WaitUntilIdle() {
  while (Engine().IsBusy())
    Sleep(1);
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void BM_Detection(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool plain = state.range(1) == 0;
  const std::vector<ON_Mesh> meshes = Scene(n);
  CRhinoDoc* doc = RhinoApp().NewDocument();
  for (const ON_Mesh& mesh : meshes)
    doc->AddMeshObject(mesh);

  Figures& f = g_figures[n];
  Engine().m_bBroadPhase = !plain;
  Engine().m_bContactTest = !plain;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    Engine().Start(false);
    const Clock::time_point t1 = Clock::now();
    WaitUntilIdle();
    const Clock::time_point t2 = Clock::now();
    f.collect_ms = Ms(t1 - t0);
    (plain ? f.plain_ms : f.compute_ms) = Ms(t2 - t1);
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  Engine().m_bBroadPhase = true;
  Engine().m_bContactTest = true;
  (plain ? f.plain_clashes : f.clashes) = Engine().InterferencesCount();
  state.counters["clashes"] = static_cast<double>(Engine().InterferencesCount());
  state.counters["collect_ms"] = f.collect_ms;
  if (plain) {
    Engine().Stop(false);
    RhinoApp().CloseDocument(doc);
    return;
  }

  // The baseline: every pair test of the computation, without the engine
  // around it, on the same meshes prepared the same way.
  std::vector<ON_Mesh> prepared = meshes;
  for (ON_Mesh& mesh : prepared)
    mesh.Topology();
  std::vector<ON_BoundingBox> boxes;
  for (const ON_Mesh& mesh : prepared)
    boxes.push_back(mesh.BoundingBox());
  f.pairs = static_cast<long long>(n) * (n - 1) / 2;
  f.tests = 0;
  f.booleans = 0;
  const Clock::time_point b0 = Clock::now();
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      ON_BoundingBox meet = boxes[i];
      if (!meet.Intersection(boxes[j])) continue;
      ++f.tests;
      if (!SurfacesMayClash(&prepared[i], &prepared[j], TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE))
        continue;
      ++f.booleans;
      ON_Mesh* region = nullptr;
      ClashTest(&prepared[i], &prepared[j], region, TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE);
      delete region;
    }
  f.mesh_work_ms = Ms(Clock::now() - b0);

  state.counters["pairs"] = static_cast<double>(f.pairs);
  state.counters["pair_tests"] = static_cast<double>(f.tests);
  state.counters["booleans"] = static_cast<double>(f.booleans);
  Engine().Stop(false);
  RhinoApp().CloseDocument(doc);
}

void PrintTable() {
  std::printf("\n%7s %10s %11s %11s %11s %10s %8s %8s %8s %10s %10s\n", "objects", "collect ms",
              "compute ms", "mesh work", "plain ms", "pairs", "tests", "booleans", "clashes",
              "compute/x", "plain/fast");
  for (const auto& [n, f] : g_figures) {
    std::printf("%7d %10.1f %11.1f %11.1f ", n, f.collect_ms, f.compute_ms, f.mesh_work_ms);
    if (f.plain_ms > 0)
      std::printf("%11.1f ", f.plain_ms);
    else
      std::printf("%11s ", "-");
    std::printf("%10lld %8lld %8lld %8lld %9.2fx ", f.pairs, f.tests, f.booleans, f.clashes,
                f.mesh_work_ms > 0 ? f.compute_ms / f.mesh_work_ms : 0.0);
    if (f.plain_ms > 0 && f.compute_ms > 0)
      std::printf("%9.1fx%s\n", f.plain_ms / f.compute_ms,
                  f.plain_clashes == f.clashes ? "" : "  (clashes differ!)");
    else
      std::printf("%10s\n", "-");
  }
  std::printf("tests: pairs whose boxes meet; booleans: those whose surfaces may meet.\n"
              "compute/x: the computation's time over the mesh work of its pair tests.\n"
              "plain/fast: the plain pair loop's time over the computation's.\n");
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // Arguments: objects, and 1 for the sweep and contact test or 0 for the
  // plain pair loop.
  benchmark::RegisterBenchmark("Detection", BM_Detection)
      ->Args({100, 0})
      ->Args({100, 1})
      ->Args({1000, 0})
      ->Args({1000, 1})
      ->Args({3000, 0})
      ->Args({3000, 1})
      ->Args({10000, 1})
      ->Iterations(1)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  PrintTable();
  benchmark::Shutdown();
  return 0;
}
