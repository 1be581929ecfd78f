// Benchmarks of the mesh tools against plain CGAL on the same inputs, in the
// same run. Each "Tools/..." case has a "Cgal/..." twin; after the run a table
// gives tools time / CGAL time per pair. The CGAL side gets meshes already
// converted to its surface mesh and times only the corefinement call, so the
// ratio includes everything the tools' layer adds: ON_Mesh conversion both
// ways, welding, checks, orientation, rounding and clean-up of the result.
//
// Ratios are of CPU time: the machine is shared, and wall time would charge
// the tools for whatever else runs at the same time.
//
// For steadier ratios add --benchmark_repetitions=3
// --benchmark_enable_random_interleaving=true.
//
// Run a subset with --benchmark_filter, e.g. --benchmark_filter='/(16|65)/'
// (the argument is the sphere's ring count, see kRings).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_inputs.h"
#include "meshtools.h"
#include "plain_cgal.h"

namespace {

constexpr double kTol = TL_BOOLEAN_TOLERANCE;
// rings → about 4·rings² triangles: 960, 16640, 67080, 267288, 1046528.
constexpr int kRings[] = {16, 65, 130, 259, 512};

struct SpherePair {
  ON_Mesh a, b;
  bench::PlainMeshPtr pa, pb;
};

SpherePair& Pair(int rings) {
  static std::map<int, std::unique_ptr<SpherePair>> cache;
  auto& slot = cache[rings];
  if (!slot) {
    slot = std::make_unique<SpherePair>();
    slot->a = bench::Sphere(0, 0, 0, 1.0, rings);
    slot->b = bench::Sphere(0.53, 0.31, 0.17, 0.9, rings);
    slot->pa = bench::ToPlain(slot->a);
    slot->pb = bench::ToPlain(slot->b);
  }
  return *slot;
}

void ToolsBoolean(benchmark::State& state, bool difference) {
  SpherePair& p = Pair(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ON_Mesh r;
    TL_MeshBoolean op(&p.a, &p.b);
    op.SetTolerances(kTol, kTol);
    const bool ok = difference ? op.GetBooleanDifference(r) : op.GetBooleanIntersection(r);
    if (!ok) state.SkipWithError("boolean failed");
    benchmark::DoNotOptimize(r.m_F.Array());
  }
  state.counters["triangles"] = static_cast<double>(p.a.FaceCount());
}

void CgalBoolean(benchmark::State& state, bool difference) {
  SpherePair& p = Pair(static_cast<int>(state.range(0)));
  bench::TimePlainBoolean(state, *p.pa, *p.pb,
                          difference ? bench::PlainOp::kDifference : bench::PlainOp::kIntersection);
  state.counters["triangles"] = static_cast<double>(p.a.FaceCount());
}

struct SplitInput {
  ON_Mesh sheet = bench::WavySheet(224); // 100352 triangles
  ON_Mesh sphere = bench::Sphere(0.2, -0.1, 0.05, 1.1, 65);
  bench::PlainMeshPtr psheet = bench::ToPlain(sheet), psphere = bench::ToPlain(sphere);
};

SplitInput& Split() {
  static SplitInput input;
  return input;
}

struct UnionInput {
  std::vector<ON_Mesh> spheres;
  std::vector<bench::PlainMeshPtr> plain;
  UnionInput() {
    // Ten spheres of 3968 triangles in a row, each overlapping the next.
    for (int i = 0; i < 10; ++i)
      spheres.push_back(bench::Sphere(0.7 * i, 0.05 * (i % 3), 0.03 * i, 0.5, 32));
    for (const ON_Mesh& s : spheres)
      plain.push_back(bench::ToPlain(s));
  }
};

UnionInput& Union() {
  static UnionInput input;
  return input;
}

void BM_Tools_Intersection(benchmark::State& s) {
  ToolsBoolean(s, false);
}
void BM_Cgal_Intersection(benchmark::State& s) {
  CgalBoolean(s, false);
}
void BM_Tools_Difference(benchmark::State& s) {
  ToolsBoolean(s, true);
}
void BM_Cgal_Difference(benchmark::State& s) {
  CgalBoolean(s, true);
}

void BM_Tools_Split(benchmark::State& state) {
  SplitInput& in = Split();
  for (auto _ : state) {
    ON_Mesh outside, inside;
    if (!TL_MeshBoolean(&in.sheet, &in.sphere).GetMeshASplit(outside, inside))
      state.SkipWithError("split failed");
    benchmark::DoNotOptimize(inside.m_F.Array());
  }
}
void BM_Cgal_Split(benchmark::State& state) {
  bench::TimePlainSplit(state, *Split().psheet, *Split().psphere);
}

void BM_Tools_Union(benchmark::State& state) {
  UnionInput& in = Union();
  ON_SimpleArray<const ON_Mesh*> sources;
  for (const ON_Mesh& s : in.spheres)
    sources.Append(&s);
  for (auto _ : state) {
    ON_SimpleArray<ON_Mesh*> out;
    bool flag = false;
    if (!TL_MeshBooleanUnion(sources, kTol, kTol, &flag, out) || out.Count() != 1)
      state.SkipWithError("union failed");
    for (ON_Mesh* m : out)
      delete m;
  }
}
void BM_Cgal_Union(benchmark::State& state) {
  std::vector<const bench::PlainMesh*> solids;
  for (const auto& p : Union().plain)
    solids.push_back(p.get());
  bench::TimePlainUnion(state, solids);
}

// Large cases run a fixed, small number of times to keep the whole run
// within a few minutes.
void Register() {
  using benchmark::RegisterBenchmark;
  struct Entry {
    const char* name;
    void (*fn)(benchmark::State&);
  } booleans[] = {{"Tools/Intersection", BM_Tools_Intersection},
                  {"Cgal/Intersection", BM_Cgal_Intersection},
                  {"Tools/Difference", BM_Tools_Difference},
                  {"Cgal/Difference", BM_Cgal_Difference}};
  for (const Entry& e : booleans)
    for (int r : kRings) {
      auto* b = RegisterBenchmark(e.name, e.fn)->Arg(r)->Unit(benchmark::kMillisecond);
      if (r >= 259)
        b->Iterations(r >= 512 ? 1 : 2);
      else
        b->MinTime(0.3);
    }
  for (const Entry& e : {Entry{"Tools/Split", BM_Tools_Split}, Entry{"Cgal/Split", BM_Cgal_Split},
                         Entry{"Tools/Union", BM_Tools_Union}, Entry{"Cgal/Union", BM_Cgal_Union}})
    RegisterBenchmark(e.name, e.fn)->Unit(benchmark::kMillisecond)->MinTime(0.5);
}

// Keeps the times of the runs to print the ratio table at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With --benchmark_repetitions the fastest repetition counts: on a
    // shared machine the slower ones measure the neighbours. Together with
    // --benchmark_enable_random_interleaving a pair's twins run at
    // comparable moments.
    for (const Run& r : runs) {
      if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
      const double t = r.GetAdjustedCPUTime();
      auto [it, fresh] = times_.emplace(r.benchmark_name(), t);
      if (!fresh && t < it->second) it->second = t;
    }
  }
  void PrintRatios() const {
    std::printf("\n%-34s %12s %12s %8s\n", "case", "tools cpu ms", "cgal cpu ms", "ratio");
    for (const auto& [name, tools] : times_) {
      if (name.rfind("Tools/", 0) != 0) continue;
      const std::string twin = "Cgal/" + name.substr(6);
      auto it = times_.find(twin);
      if (it == times_.end()) continue;
      std::printf("%-34s %12.2f %12.2f %8.3f\n", name.substr(6).c_str(), tools, it->second,
                  tools / it->second);
    }
  }

private:
  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
