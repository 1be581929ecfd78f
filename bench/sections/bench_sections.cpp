// Live-section costs on a model of 1,000 sphere meshes (~1M triangles) on a
// 10 x 10 x 10 grid. A slab-shaped cutter crosses one column of the grid,
// a tenth of the objects. Measured in the same run:
//   Frame/NoCutter           a frame of the plain model (the baseline)
//   Build/Difference         the frame that builds every section cache with
//                            one Difference cutter
//   Build/Intersection       the same with one Intersection cutter
//   Frame/CachedDifference   a frame drawn from built caches
// Frames run through the host's pipeline on the recording engine, so the
// figures are the display service's work, not rasterisation. After the run
// a table gives each case's time over the baseline frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "conduit/kyrel_conduit.h"
#include "rhinoSdk.h"
#include "support/test_meshes.h"
#include "userdata/section_geometry.h"

namespace {

constexpr int kGrid = 10;
constexpr int kRings = 20;
constexpr int kSegments = 26;

// The cutter: a slab crossing the column of spheres at x = 5 (centres at
// 0..9, radius 0.4).
ON_Mesh SlabMesh() {
  return test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(4.9, -1.0, -1.0), ON_3dPoint(5.6, 10.0, 10.0)));
}

// One document with the grid and a cutter whose mode the cases set.
struct Model {
  CRhinoDoc* doc = nullptr;
  CRhinoView* view = nullptr;
  CRhinoObject* cutter = nullptr;

  Model() {
    doc = RhinoApp().NewDocument();
    for (int i = 0; i < kGrid; ++i)
      for (int j = 0; j < kGrid; ++j)
        for (int k = 0; k < kGrid; ++k)
          doc->AddMeshObject(test_meshes::WithFaceNormals(
              test_meshes::Sphere(ON_3dPoint(i, j, k), 0.4, kRings, kSegments)));
    cutter = doc->AddMeshObject(SlabMesh());
    view = RhinoApp().CreateView(doc, 320, 240);
    view->SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  }

  // mode 0 removes the cutting record.
  void SetCutterMode(int mode) {
    cutter->DeleteAttributeUserData(TV_SectionGeometry::UUID());
    if (mode != 0) {
      auto* record = new TV_SectionGeometry();
      record->m_mode = mode;
      cutter->AttachAttributeUserData(record);
    }
    Frame(); // the rebuild after the change, and the caches of that state
  }
  void Frame() { view->DisplayPipeline()->DrawFrame(); }
};

Model& TheModel() {
  static Model model;
  return model;
}

void BM_FrameNoCutter(benchmark::State& state) {
  Model& m = TheModel();
  m.SetCutterMode(0);
  for (auto _ : state)
    m.Frame();
}

void BuildCaches(benchmark::State& state, int mode) {
  Model& m = TheModel();
  m.SetCutterMode(mode);
  for (auto _ : state) {
    state.PauseTiming();
    CKyrelConduit::InvalidateCaches(*m.doc);
    state.ResumeTiming();
    m.Frame();
  }
}
void BM_BuildDifference(benchmark::State& state) {
  BuildCaches(state, 2);
}
void BM_BuildIntersection(benchmark::State& state) {
  BuildCaches(state, 1);
}

void BM_FrameCachedDifference(benchmark::State& state) {
  Model& m = TheModel();
  m.SetCutterMode(2);
  for (auto _ : state)
    m.Frame();
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.run_name.function_name] = r.GetAdjustedRealTime();
  }
  void PrintRatios() const {
    const auto base = times_.find("Frame/NoCutter");
    if (base == times_.end() || base->second <= 0) return;
    std::printf("\nTime over a frame of the uncut model (%.1f ms):\n", base->second);
    for (const auto& [name, time] : times_)
      std::printf("  %-26s %10.1f ms  %8.2fx\n", name.c_str(), time, time / base->second);
  }

private:
  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  using benchmark::RegisterBenchmark;
  RegisterBenchmark("Frame/NoCutter", BM_FrameNoCutter)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0);
  RegisterBenchmark("Build/Difference", BM_BuildDifference)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  RegisterBenchmark("Build/Intersection", BM_BuildIntersection)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  RegisterBenchmark("Frame/CachedDifference", BM_FrameCachedDifference)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
