// What showing a frame in the desktop window costs over drawing it
// offscreen, on the model of bench_sections: 1,000 sphere meshes (~1M
// triangles) on a 10 x 10 x 10 grid, shaded, through the OpenGL engine.
//   Frame/Offscreen   a frame of the view, as ViewCaptureToFile draws it
//                     (the baseline)
//   Frame/Window      the same frame and the window drawn with it: the
//                     picture copied into the window, the toolbar, panels
//                     and command line drawn, the window shown
//   Window/Only       the window drawn again with no new frame (what a
//                     mouse move over the panels costs)
//   Frame/Answering   Frame/Offscreen while another thread sends the
//                     window an event every 5 ms: the counter handled_per_s
//                     is how many of them the window handled a second while
//                     the frame was being drawn
//   Frame/Paired      the two above one after the other in each iteration,
//                     so that other programs' load falls on both alike:
//                     its counter window_over_offscreen is the ratio
// Both frames are of the same view at the same size. After the run a
// table gives each case's time over the baseline.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "common/ratio_reporter.h"
#include "desktop_window.h"
#include "engine/opengl_engine.h"
#include "rhinoSdk.h"
#include "support/test_meshes.h"
#include "window_main.h"

namespace {

constexpr int kGrid = 10;
constexpr int kRings = 20;
constexpr int kSegments = 26;

struct Scene {
  CRhinoDoc* doc = nullptr;
  CRhinoView* view = nullptr;
  kyrel::window::DesktopWindow window;
  bool open = false;

  Scene() {
    doc = RhinoApp().NewDocument();
    for (int i = 0; i < kGrid; ++i)
      for (int j = 0; j < kGrid; ++j)
        for (int k = 0; k < kGrid; ++k)
          doc->AddMeshObject(test_meshes::WithFaceNormals(
              test_meshes::Sphere(ON_3dPoint(i, j, k), 0.4, kRings, kSegments)));
    view = RhinoApp().CreateView(doc, 640, 480, CreateOpenGLDisplayEngine());
    view->SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
    RhinoApp().SetActiveView(view);
    std::string error;
    open = window.Open(1100, 760, error);
    if (!open) {
      std::fprintf(stderr, "bench_window: %s\n", error.c_str());
      return;
    }
    // The window gives the view its size; both cases draw at that size.
    window.Present();
    view->ZoomExtents();
    view->Redraw();
  }
};

Scene& TheScene() {
  static Scene* scene = new Scene;
  return *scene;
}

void BM_FrameOffscreen(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state)
    s.view->Redraw();
  state.counters["pixels"] = s.view->Viewport().Width() * s.view->Viewport().Height();
}

void BM_FrameWindow(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    s.view->Redraw();
    s.window.Present();
  }
  state.counters["pixels"] = s.view->Viewport().Width() * s.view->Viewport().Height();
}

void BM_FramePaired(benchmark::State& state) {
  Scene& s = TheScene();
  double offscreen = 0, shown = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    s.view->Redraw();
    auto middle = std::chrono::steady_clock::now();
    s.view->Redraw();
    s.window.Present();
    auto end = std::chrono::steady_clock::now();
    offscreen += std::chrono::duration<double, std::milli>(middle - start).count();
    shown += std::chrono::duration<double, std::milli>(end - middle).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["offscreen_ms"] = offscreen / n;
  state.counters["window_ms"] = shown / n;
  state.counters["window_over_offscreen"] = offscreen > 0 ? shown / offscreen : 0;
}

void BM_FrameAnswering(benchmark::State& state) {
  Scene& s = TheScene();
  kyrel::window::AnswerDuringLongFrames(true);
  double handled = 0, seconds = 0;
  for (auto _ : state) {
    std::atomic<bool> drawing{true};
    std::thread sender([&drawing] {
      while (drawing.load()) {
        SDL_Event e{};
        e.type = SDL_USEREVENT;
        SDL_PushEvent(&e);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    const int before = s.window.EventsHandled();
    const auto start = std::chrono::steady_clock::now();
    s.view->Redraw();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    handled += s.window.EventsHandled() - before;
    drawing = false;
    sender.join();
    s.window.Present(); // what the frame left in the queue
  }
  kyrel::window::AnswerDuringLongFrames(false);
  state.counters["handled_per_s"] = seconds > 0 ? handled / seconds : 0;
}

void BM_WindowOnly(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state)
    s.window.Present();
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::printf("bench_window: no display (DISPLAY is not set); run it under Xvfb.\n");
    return 0;
  }
  if (!TheScene().open) return 1;
  using benchmark::RegisterBenchmark;
  RegisterBenchmark("Frame/Offscreen", BM_FrameOffscreen)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(2.0);
  RegisterBenchmark("Frame/Window", BM_FrameWindow)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(2.0);
  RegisterBenchmark("Frame/Paired", BM_FramePaired)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(10);
  RegisterBenchmark("Frame/Answering", BM_FrameAnswering)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(4);
  RegisterBenchmark("Window/Only", BM_WindowOnly)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintOverBaseline("Frame/Offscreen", "an offscreen frame", 18);
  benchmark::Shutdown();
  return 0;
}
