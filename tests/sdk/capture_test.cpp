// A real frame of a real document drawn by the OpenGL engine and saved as
// PNG, checked with pixel probes read back from the file.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "engine/opengl_engine.h"
#include "sdk_test_support.h"
#include "support/png_file.h"

using namespace sdk_test;

// Mesa's offscreen driver keeps a few records per context for the life of
// the process; they are not leaks of the host.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa.so\n";
}

namespace {

struct Picture : test_png::RgbImage {
  ON_Color At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return ON_Color(rgb[i], rgb[i + 1], rgb[i + 2]);
  }
};

using test_png::ReadPng;

std::string TempPng(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/kyrel_sdk_" + std::to_string(getpid()) + "_" + name;
}

bool IsRed(ON_Color c) {
  return c.Red() > 90 && c.Red() > 2 * c.Green() && c.Red() > 2 * c.Blue();
}

// A top view (parallel, looking down -z) of the document's box.
struct CaptureScene {
  CRhinoDoc doc;
  CRhinoView view{&doc, 160, 120, CreateOpenGLDisplayEngine()};
  CaptureScene() {
    ON_Layer red;
    red.SetName(L"red");
    red.SetColor(ON_Color(230, 20, 20));
    ON_3dmObjectAttributes on_red;
    on_red.m_layer_index = doc.LayerTable().AddLayer(red);
    std::unique_ptr<ON_Brep> box(ON_Brep::CreateBox(ON_3dPoint(-2, -2, -2), ON_3dPoint(2, 2, 2)));
    doc.AddBrepObject(*box, &on_red);
    ON_Viewport vp = view.Viewport().VP();
    vp.ChangeToParallelProjection();
    vp.SetCameraLocation(ON_3dPoint(0, 0, 50));
    vp.SetCameraDirection(ON_3dVector(0, 0, -1));
    vp.SetCameraUp(ON_3dVector(0, 1, 0));
    vp.SetFrustum(-8, 8, -6, 6, 1, 100);
    view.Viewport().SetVP(vp, true);
  }
};

} // namespace

TEST(ViewCapture, ShadedRedBoxOnBackground) {
  CaptureScene s;
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  const std::string path = TempPng("box.png");
  std::string error;
  ASSERT_TRUE(s.view.CaptureToPng(path, error)) << error;
  Picture pic;
  ASSERT_TRUE(ReadPng(path, pic));
  std::remove(path.c_str());
  ASSERT_EQ(pic.width, 160);
  ASSERT_EQ(pic.height, 120);
  // The box spans x, y in [-2, 2] of a 16 x 12 frustum: pixels 60..100, 40..80.
  EXPECT_TRUE(IsRed(pic.At(80, 60))) << pic.At(80, 60).Red() << "," << pic.At(80, 60).Green();
  EXPECT_TRUE(IsRed(pic.At(65, 45)));
  const ON_Color bg = CRhinoDisplayAttrsMgr::StdShadedAttrs()->m_background_color;
  for (const auto& p :
       {std::pair{5, 5}, std::pair{150, 110}, std::pair{40, 60}, std::pair{120, 60}})
    EXPECT_EQ(pic.At(p.first, p.second), bg) << p.first << "," << p.second;
}

TEST(ViewCapture, CaptureAtAnotherSizeKeepsTheView) {
  CaptureScene s;
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  const std::string path = TempPng("big.png");
  std::string error;
  ASSERT_TRUE(s.view.CaptureToPng(path, error, 320, 240)) << error;
  Picture pic;
  ASSERT_TRUE(ReadPng(path, pic));
  std::remove(path.c_str());
  EXPECT_EQ(pic.width, 320);
  EXPECT_TRUE(IsRed(pic.At(160, 120)));
  EXPECT_EQ(s.view.Viewport().Width(), 160); // the view's own size is back
}

TEST(ViewCapture, StippledCurveHasGaps) {
  CaptureScene s;
  AddLine(s.doc, ON_3dPoint(-7, 4.5, 0), ON_3dPoint(7, 4.5, 0));
  CDisplayPipelineAttributes attrs = *CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  attrs.m_background_color = ON_Color(255, 255, 255);
  attrs.m_curve_pattern = 0x00FF00FFu; // 8 pixels on, 8 off
  attrs.m_curve_thickness = 1;
  s.view.SetDisplayMode(attrs);
  const std::string path = TempPng("stipple.png");
  std::string error;
  ASSERT_TRUE(s.view.CaptureToPng(path, error)) << error;
  Picture pic;
  ASSERT_TRUE(ReadPng(path, pic));
  std::remove(path.c_str());
  // y = 4.5 maps to row 60 - 4.5 * 10 = 15; look one row either side too.
  int ink = 0, paper = 0;
  for (int x = 20; x < 140; ++x) {
    bool bInk = false;
    for (int y = 14; y <= 16; ++y)
      bInk = bInk || pic.At(x, y) != ON_Color(255, 255, 255);
    (bInk ? ink : paper)++;
  }
  EXPECT_GT(ink, 30);
  EXPECT_GT(paper, 30);
}

TEST(ViewCapture, GhostedBoxLetsTheBackgroundThrough) {
  CaptureScene s;
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdGhostedAttrs());
  const std::string path = TempPng("ghost.png");
  std::string error;
  ASSERT_TRUE(s.view.CaptureToPng(path, error)) << error;
  Picture pic;
  ASSERT_TRUE(ReadPng(path, pic));
  std::remove(path.c_str());
  const ON_Color c = pic.At(80, 60);
  const ON_Color bg = CRhinoDisplayAttrsMgr::StdGhostedAttrs()->m_background_color;
  EXPECT_NE(c, bg);
  // See-through red over grey: red leads, but green is well above an opaque red's.
  EXPECT_GT(c.Red(), c.Green());
  EXPECT_GT(c.Green(), 40);
}

TEST(ViewCapture, FailuresAreReportedNotThrown) {
  CaptureScene s;
  std::string error;
  EXPECT_FALSE(s.view.CaptureToPng("/nonexistent-folder/x/y.png", error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(s.view.CaptureToPng(TempPng("bad.png"), error, 100000, 10));
  EXPECT_FALSE(error.empty());
  CRhinoView recording(&s.doc, 10, 10);
  EXPECT_FALSE(recording.CaptureToPng(TempPng("rec.png"), error));
}
