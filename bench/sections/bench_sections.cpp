// Live-section costs on a model of 1,000 sphere meshes (~1M triangles) on a
// 10 x 10 x 10 grid. A slab-shaped cutter crosses one column of the grid,
// a tenth of the objects. Measured in the same run:
//   Frame/NoCutter           a frame of the plain model (the baseline)
//   Build/Difference         the frame that builds every section cache with
//                            one Difference cutter
//   Build/Intersection       the same with one Intersection cutter
//   Frame/CachedDifference   a frame drawn from built caches
//   Frame/CachedIntersection the same with the Intersection cutter
//   Move/CutObject           the frame after a sphere that the cutter crosses
//                            was moved (within the cut), Difference cutter
//   Move/WholeObject         the same for a sphere far from the cutter
//   Move/WholeObjectQuiet    the same after two untimed counted frames, as
//                            when the view was redrawn between two edits
//   Move/Cutter              the frame after the Difference cutter was moved
//                            one column along: its cutting mesh, the union
//                            and every section cache are built again
//   Booleans/CutColumn       only the mesh booleans a Difference build runs
//                            (the column of spheres the cutter crosses, one
//                            after another): the floor under Build/Difference
//   Booleans/PlainCGALColumn the same differences by plain CGAL corefinement
//                            on surface mesh copies made untimed
//   Build/BigObjectSmallCutter  the frame that builds the cache of one object
//                            of about a million triangles, in a document of
//                            its own, with a Difference cutter meeting about
//                            a hundredth of its surface
//   Booleans/BigObjectSmallCutter       only its boolean
//   Booleans/PlainCGALBigObjectSmallCutter  plain CGAL on the same pair
// The Build cases forget the cut results an invalidation keeps for reuse,
// so they measure the cuts themselves.
// Frames run through the host's pipeline on the recording engine, so the
// figures are the display service's work, not rasterisation. The builds
// and moves also count the process's CPU time per frame over all threads
// (cpu_ms: more than the time when several cores work, less when other
// programs hold the cores) and the builds made ahead on all cores. After
// the run a table gives each case's time over the baseline frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "common/ratio_reporter.h"
#include "conduit/cut_reuse.h"
#include "conduit/kyrel_conduit.h"
#include "plain_cgal.h"
#include "rhinoSdk.h"
#include "support/test_meshes.h"
#include "tl_mesh_boolean.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

constexpr int kGrid = 10;
constexpr int kRings = 20;
constexpr int kSegments = 26;

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

// Frames drawn and the CPU time they took, for the counters.
struct CpuCount {
  double ms = 0;
  int frames = 0;
  void Report(benchmark::State& state) const {
    if (frames > 0) state.counters["cpu_ms"] = ms / frames;
    state.counters["made_ahead"] = CKyrelConduit::Instance()->m_builds_made_ahead;
    // The last frame's caches: cut again, and given back their kept result.
    state.counters["cut"] = CKyrelConduit::Instance()->m_cuts_made;
    state.counters["reused"] = CKyrelConduit::Instance()->m_cuts_reused;
  }
};

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

  // mode 0 removes the cutting record; an unchanged mode does nothing.
  void SetCutterMode(int mode) {
    if (mode == mode_) return;
    mode_ = mode;
    cutter->DeleteAttributeUserData(TV_SectionGeometry::UUID());
    if (mode != 0) {
      auto* record = new TV_SectionGeometry();
      record->m_mode = mode;
      cutter->AttachAttributeUserData(record);
    }
    Frame(); // the rebuild after the change, and the caches of that state
  }
  void Frame() { view->DisplayPipeline()->DrawFrame(); }
  // The recording engine keeps every call of every frame; left alone, its
  // list would grow through the run and each frame would pay for moving it.
  void ForgetFrames() {
    if (auto* recording = dynamic_cast<CRhinoRecordingEngine*>(&view->Engine())) recording->Clear();
  }
  // What the last frame drew, so the cases can be seen to draw the model.
  void CountDrawn(benchmark::State& state) {
    auto* recording = dynamic_cast<CRhinoRecordingEngine*>(&view->Engine());
    if (recording == nullptr) return;
    state.counters["meshes"] =
        static_cast<double>(recording->CallsOfKind(CRhinoRecordedCall::shaded_mesh).size());
    state.counters["lines"] =
        static_cast<double>(recording->CallsOfKind(CRhinoRecordedCall::line).size());
  }

  // Moves the object as the host's Move command does: a transformed copy
  // takes its place (and its id); the copy carries no section cache, and a
  // cutter's copied record asks for its cutting mesh again.
  CRhinoObject* Move(CRhinoObject* object, const ON_3dVector& by) {
    ON_Xform xform;
    xform.Translation(by);
    CRhinoObject* moved = doc->TransformObject(CRhinoObjRef(object), xform);
    doc->PurgeDeletedObjects();
    return moved != nullptr ? moved : object;
  }

  // The sphere at grid position (i, j, k).
  CRhinoObject* Sphere(int i, int j, int k) const {
    const ON_3dPoint centre(i, j, k);
    CRhinoObjectIterator it(*doc, CRhinoObjectIterator::all_objects,
                            CRhinoObjectIterator::active_objects);
    for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next())
      if (object != cutter && object->BoundingBox().Center().DistanceTo(centre) < 1e-3)
        return object;
    return nullptr;
  }

private:
  int mode_ = 0;
};

Model& TheModel() {
  static Model model;
  return model;
}

// Times frames of an unchanged model.
void DrawFrames(benchmark::State& state, Model& m) {
  for (auto _ : state) {
    state.PauseTiming();
    m.ForgetFrames();
    state.ResumeTiming();
    m.Frame();
  }
  m.CountDrawn(state);
}

void BM_FrameNoCutter(benchmark::State& state) {
  Model& m = TheModel();
  m.SetCutterMode(0);
  DrawFrames(state, m);
}

void BuildCaches(benchmark::State& state, int mode) {
  Model& m = TheModel();
  m.SetCutterMode(mode);
  CpuCount cpu;
  for (auto _ : state) {
    state.PauseTiming();
    m.ForgetFrames();
    CKyrelConduit::InvalidateCaches(*m.doc);
    CKyrelConduit::Instance()->ForgetKeptCuts();
    state.ResumeTiming();
    const double c0 = ProcessCpuMs();
    m.Frame();
    cpu.ms += ProcessCpuMs() - c0;
    ++cpu.frames;
  }
  m.CountDrawn(state);
  cpu.Report(state);
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
  DrawFrames(state, m);
}

void BM_FrameCachedIntersection(benchmark::State& state) {
  Model& m = TheModel();
  m.SetCutterMode(1);
  DrawFrames(state, m);
}

// Moves the object by `by` and back again on alternate iterations, timing
// only the frame after each move. `quiet_frames` untimed frames come
// before each move.
void MoveAndDraw(benchmark::State& state, CRhinoObject*& object, const ON_3dVector& by,
                 int quiet_frames = 0) {
  Model& m = TheModel();
  int sign = 1;
  CpuCount cpu;
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < quiet_frames; ++i)
      m.Frame();
    m.ForgetFrames();
    object = m.Move(object, sign * by);
    sign = -sign;
    state.ResumeTiming();
    const double c0 = ProcessCpuMs();
    m.Frame();
    cpu.ms += ProcessCpuMs() - c0;
    ++cpu.frames;
  }
  m.CountDrawn(state);
  cpu.Report(state);
  if (sign < 0) object = m.Move(object, -by);
}

// Moves the sphere of grid cell (i, j, k) up and down, with the Difference
// cutter active.
void MoveSphere(benchmark::State& state, int i, int j, int k, int quiet_frames = 0) {
  Model& m = TheModel();
  m.SetCutterMode(2);
  CRhinoObject* sphere = m.Sphere(i, j, k);
  if (sphere == nullptr) {
    state.SkipWithError("no sphere at the cell asked for");
    return;
  }
  MoveAndDraw(state, sphere, ON_3dVector(0.0, 0.0, 0.05), quiet_frames);
}

void BM_MoveCutObject(benchmark::State& state) {
  MoveSphere(state, 5, 4, 4);
}

void BM_MoveWholeObject(benchmark::State& state) {
  MoveSphere(state, 0, 4, 4);
}

// The cutting object's stamp is older than the last counted frame but one
// by the time of the move, which forces a rebuild of every cache.
void BM_MoveWholeObjectQuiet(benchmark::State& state) {
  MoveSphere(state, 0, 4, 4, 2);
  // What keeping one sphere's result costs beyond its meshes and outline,
  // and the part of it its cache holds all along.
  const CRhinoObject* sphere = TheModel().Sphere(0, 0, 0);
  const auto* cache =
      sphere ? TV_SectionCache::Cast(sphere->GetUserData(TV_SectionCache::UUID())) : nullptr;
  if (cache != nullptr && cache->m_cut_inputs) {
    state.counters["kept_bytes"] = static_cast<double>(
        CutReuse::KeptBytes(*cache->m_cut_inputs, cache->m_phantom.m_caches.Count()));
    state.counters["inputs_bytes"] =
        static_cast<double>(CutReuse::InputsBytes(*cache->m_cut_inputs));
  }
}

void BM_MoveCutter(benchmark::State& state) {
  Model& m = TheModel();
  m.SetCutterMode(2);
  MoveAndDraw(state, m.cutter, ON_3dVector(1.0, 0.0, 0.0));
}

std::vector<ON_Mesh> ColumnSpheres();

void BM_BooleansCutColumn(benchmark::State& state) {
  const ON_Mesh cutter = SlabMesh();
  const std::vector<ON_Mesh> spheres = ColumnSpheres();
  for (auto _ : state) {
    for (const ON_Mesh& sphere : spheres) {
      TL_MeshBoolean boolean(&sphere, &cutter);
      boolean.SetTolerances(TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE);
      ON_Mesh result;
      benchmark::DoNotOptimize(boolean.GetBooleanDifference(result));
    }
  }
}

std::vector<ON_Mesh> ColumnSpheres() {
  std::vector<ON_Mesh> spheres;
  for (int j = 0; j < kGrid; ++j)
    for (int k = 0; k < kGrid; ++k)
      spheres.push_back(test_meshes::Sphere(ON_3dPoint(5, j, k), 0.4, kRings, kSegments));
  return spheres;
}

void BM_BooleansPlainCGALColumn(benchmark::State& state) {
  const bench::PlainMeshPtr cutter = bench::ToPlain(SlabMesh());
  std::vector<bench::PlainMeshPtr> spheres;
  std::vector<std::pair<const bench::PlainMesh*, const bench::PlainMesh*>> pairs;
  for (const ON_Mesh& sphere : ColumnSpheres())
    spheres.push_back(bench::ToPlain(sphere));
  for (const bench::PlainMeshPtr& sphere : spheres)
    pairs.emplace_back(sphere.get(), cutter.get());
  bench::TimePlainBooleans(state, pairs, bench::PlainOp::kDifference);
}

// One sphere of about a million triangles and a box over about a hundredth
// of its surface, around the point (1, 0, 0).
ON_Mesh BigSphere() {
  return test_meshes::WithFaceNormals(test_meshes::Sphere(ON_3dPoint(0, 0, 0), 1.0, 512, 1024));
}
ON_Mesh SmallBox() {
  return test_meshes::WithFaceNormals(
      test_meshes::Box(ON_3dPoint(0.9, -0.18, -0.18), ON_3dPoint(1.5, 0.18, 0.18)));
}

// The big sphere and its Difference cutter in a document of their own.
struct BigModel {
  CRhinoDoc* doc = nullptr;
  CRhinoView* view = nullptr;
  BigModel() {
    doc = RhinoApp().NewDocument();
    doc->AddMeshObject(BigSphere());
    CRhinoObject* cutter = doc->AddMeshObject(SmallBox());
    auto* record = new TV_SectionGeometry();
    record->m_mode = 2;
    cutter->AttachAttributeUserData(record);
    view = RhinoApp().CreateView(doc, 320, 240);
    view->SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
    view->DisplayPipeline()->DrawFrame();
  }
};

void BM_BuildBigObjectSmallCutter(benchmark::State& state) {
  static BigModel big;
  for (auto _ : state) {
    state.PauseTiming();
    if (auto* recording = dynamic_cast<CRhinoRecordingEngine*>(&big.view->Engine()))
      recording->Clear();
    CKyrelConduit::InvalidateCaches(*big.doc);
    CKyrelConduit::Instance()->ForgetKeptCuts();
    state.ResumeTiming();
    big.view->DisplayPipeline()->DrawFrame();
  }
}

struct BigPair {
  ON_Mesh sphere = BigSphere();
  ON_Mesh box = SmallBox();
};
BigPair& TheBigPair() {
  static BigPair pair;
  return pair;
}

void BM_BooleansBigObjectSmallCutter(benchmark::State& state) {
  BigPair& p = TheBigPair();
  for (auto _ : state) {
    TL_MeshBoolean boolean(&p.sphere, &p.box);
    boolean.SetTolerances(TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE);
    ON_Mesh result;
    if (!boolean.GetBooleanDifference(result)) state.SkipWithError("no cut");
  }
}

void BM_BooleansPlainCGALBigObjectSmallCutter(benchmark::State& state) {
  BigPair& p = TheBigPair();
  const bench::PlainMeshPtr sphere = bench::ToPlain(p.sphere);
  const bench::PlainMeshPtr box = bench::ToPlain(p.box);
  bench::TimePlainBoolean(state, *sphere, *box, bench::PlainOp::kDifference);
}

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
  RegisterBenchmark("Frame/CachedIntersection", BM_FrameCachedIntersection)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0);
  RegisterBenchmark("Move/CutObject", BM_MoveCutObject)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(20);
  RegisterBenchmark("Move/WholeObject", BM_MoveWholeObject)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(20);
  // As many as the other moves now that it no longer cuts every object:
  // on a busy machine a few frames are a few preemptions.
  RegisterBenchmark("Move/WholeObjectQuiet", BM_MoveWholeObjectQuiet)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(20);
  RegisterBenchmark("Move/Cutter", BM_MoveCutter)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(4);
  RegisterBenchmark("Booleans/CutColumn", BM_BooleansCutColumn)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  RegisterBenchmark("Booleans/PlainCGALColumn", BM_BooleansPlainCGALColumn)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  // Last: a document of its own, whose cutter the conduit then holds.
  RegisterBenchmark("Build/BigObjectSmallCutter", BM_BuildBigObjectSmallCutter)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(2);
  RegisterBenchmark("Booleans/BigObjectSmallCutter", BM_BooleansBigObjectSmallCutter)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(2);
  RegisterBenchmark("Booleans/PlainCGALBigObjectSmallCutter",
                    BM_BooleansPlainCGALBigObjectSmallCutter)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(2);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintOverBaseline("Frame/NoCutter", "a frame of the uncut model", 40);
  reporter.PrintPairs(
      {{"Move/WholeObjectQuiet", "Frame/NoCutter"},
       {"Move/Cutter", "Booleans/CutColumn"},
       {"Booleans/CutColumn", "Booleans/PlainCGALColumn"},
       {"Build/BigObjectSmallCutter", "Booleans/PlainCGALBigObjectSmallCutter"},
       {"Booleans/BigObjectSmallCutter", "Booleans/PlainCGALBigObjectSmallCutter"}});
  benchmark::Shutdown();
  return 0;
}
