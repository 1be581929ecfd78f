// The clash report against the clash detection it reports on, measured in
// the same run on each scene:
//   Detect/scene   the clash computation, from the signal to idle
//   Report/scene   the report's figures without snapshots (candidates,
//                  kind, size, box and penetration depth of every clash)
//   Depths/scene   the penetration depths alone, every face's grid taken
//                  (the reference) and with the faces that cannot reach
//                  the deepest point skipped; both must give the same
//                  depths, to the last bit
// Scenes: "spheres", 150 overlapping spheres of 1,920 triangles (dense
// meshes meeting many neighbours, as scans do); "duplex", the architectural
// and electrical Duplex models imported together, when the sample models
// are found (KYREL_SHARED_IFC, or ../shared/ifc beside the source tree).
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "conduit/kyrel_conduit.h"
#include "file_formats.h"
#include "interfere/critical_section_hold.h"
#include "report/clash_figures.h"
#include "report/clash_report_builder.h"
#include "report/report_candidates.h"
#include "rhinoSdk.h"
#include "support/test_meshes.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  int objects = 0, clashes = 0;
  long long meeting_pairs = 0;
  double detect_s = 0, report_s = 0, depths_reference_s = 0, depths_pruned_s = 0;
  double detect_cpu_s = 0, report_cpu_s = 0;
  double largest_difference = 0;
};
std::map<std::string, Figures> g_figures;

CKyrelConduit::InterfereEngine& Engine() {
  return CKyrelConduit::Instance()->m_interfere;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// CPU time of the whole process: the detection's worker thread while the
// main thread waits, the report's threads together while it runs. On a
// machine shared with other work it says more than the wall clock.
double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::string SharedIfc() {
  if (const char* given = std::getenv("KYREL_SHARED_IFC"); given && *given) return given;
  return (std::filesystem::path(KYREL_SOURCE_DIR).parent_path() / "shared" / "ifc").string();
}

bool FillScene(const std::string& scene, CRhinoDoc& doc) {
  if (scene == "spheres") {
    for (int k = 0; k < 150; ++k) {
      const ON_3dPoint centre(3.0 * (k % 6), 3.0 * ((k / 6) % 5), 3.0 * (k / 30));
      doc.AddMeshObject(test_meshes::Sphere(centre, 1.6 + 0.1 * (k % 5), 32, 60));
    }
    return true;
  }
  std::string error;
  for (const char* file : {"Duplex_A_20110907.ifc", "Duplex_Electrical_20121207.ifc"})
    if (!kyrel::app::ImportFile(SharedIfc() + "/" + file, doc, error)) return false;
  return true;
}

void BM_Report(benchmark::State& state, const std::string& scene) {
  CRhinoDoc* doc = RhinoApp().NewDocument();
  if (!FillScene(scene, *doc)) {
    state.SkipWithError("no sample models (set KYREL_SHARED_IFC)");
    RhinoApp().CloseDocument(doc);
    return;
  }
  Figures& f = g_figures[scene];
  for (auto _ : state) {
    const double c0 = ProcessCpuSeconds();
    const Clock::time_point t0 = Clock::now();
    Engine().Start(false);
    while (Engine().IsBusy())
      Sleep(1);
    const Clock::time_point t1 = Clock::now();
    const double c1 = ProcessCpuSeconds();
    f.detect_s = Seconds(t1 - t0);
    f.detect_cpu_s = c1 - c0;

    ClashReportOptions options;
    options.snapshots = false;
    std::vector<std::string> warnings;
    const ClashReport report = BuildClashReport(*doc, options, warnings);
    f.report_s = Seconds(Clock::now() - t1);
    f.report_cpu_s = ProcessCpuSeconds() - c1;
    f.clashes = static_cast<int>(report.clashes.size());
    state.SetIterationTime(f.detect_s + f.report_s);

    // The depths alone, both ways, on the same candidates and regions.
    const auto candidates =
        CollectReportCandidates(*doc, Engine().m_mesh_parameters, doc->AbsoluteTolerance());
    f.objects = static_cast<int>(candidates.size());
    f.meeting_pairs = 0;
    for (size_t i = 0; i < candidates.size(); ++i)
      for (size_t j = i + 1; j < candidates.size(); ++j) {
        ON_BoundingBox meet = candidates[i].box;
        if (meet.Intersection(candidates[j].box)) ++f.meeting_pairs;
      }
    struct Recorded {
      const ReportCandidate *a, *b;
      ON_Mesh region;
    };
    std::vector<Recorded> recorded;
    {
      CriticalSectionHold hold(Engine().m_csInterferences);
      for (int i = 0; i < Engine().m_interferences.Count(); ++i) {
        const ReportCandidate* a = FindCandidate(candidates, Engine().m_interferences[i].m_uuid[0]);
        const ReportCandidate* b = FindCandidate(candidates, Engine().m_interferences[i].m_uuid[1]);
        const ON_Mesh* region = Engine().m_interference_meshes[i];
        if (a && b && region) recorded.push_back({a, b, *region});
      }
    }
    for (const Recorded& r : recorded) { // distance trees built before timing
      r.a->Surface();
      r.b->Surface();
    }
    std::vector<double> reference, pruned;
    const Clock::time_point d0 = Clock::now();
    for (const Recorded& r : recorded)
      reference.push_back(PenetrationDepth(*r.a, *r.b, r.region, false));
    const Clock::time_point d1 = Clock::now();
    for (const Recorded& r : recorded)
      pruned.push_back(PenetrationDepth(*r.a, *r.b, r.region, true));
    const Clock::time_point d2 = Clock::now();
    f.depths_reference_s = Seconds(d1 - d0);
    f.depths_pruned_s = Seconds(d2 - d1);
    f.largest_difference = 0;
    for (size_t i = 0; i < reference.size(); ++i)
      f.largest_difference = std::max(f.largest_difference, std::fabs(reference[i] - pruned[i]));
  }
  state.counters["clashes"] = f.clashes;
  Engine().Stop(false);
  RhinoApp().CloseDocument(doc);
}

void PrintTable() {
  std::printf("\n%-8s %7s %8s %7s %9s %9s %8s %8s %8s %8s %10s %10s %7s %9s\n", "scene",
              "objects", "meeting", "clashes", "detect s", "report s", "rep/det", "det cpu",
              "rep cpu", "cpu r/d", "depths ref", "depths new", "speedup", "max diff");
  for (const auto& [scene, f] : g_figures)
    std::printf("%-8s %7d %8lld %7d %9.2f %9.2f %7.2fx %8.2f %8.2f %7.2fx %10.2f %10.2f %6.1fx "
                "%9.3g\n",
                scene.c_str(), f.objects, f.meeting_pairs, f.clashes, f.detect_s, f.report_s,
                f.detect_s > 0 ? f.report_s / f.detect_s : 0.0, f.detect_cpu_s, f.report_cpu_s,
                f.detect_cpu_s > 0 ? f.report_cpu_s / f.detect_cpu_s : 0.0, f.depths_reference_s,
                f.depths_pruned_s,
                f.depths_pruned_s > 0 ? f.depths_reference_s / f.depths_pruned_s : 0.0,
                f.largest_difference);
  std::printf("meeting: pairs whose boxes meet. rep/det: the report's figures over the detection,\n"
              "wall clock; cpu r/d: the same in CPU time (the report's threads added up).\n"
              "depths ref: every face's grid; depths new: faces that cannot reach the deepest\n"
              "point skipped. max diff: the largest difference of a depth between the two.\n");
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const char* scene : {"spheres", "duplex"})
    benchmark::RegisterBenchmark((std::string("Report/") + scene).c_str(),
                                 [scene](benchmark::State& s) { BM_Report(s, scene); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
  benchmark::RunSpecifiedBenchmarks();
  PrintTable();
  benchmark::Shutdown();
  return 0;
}
