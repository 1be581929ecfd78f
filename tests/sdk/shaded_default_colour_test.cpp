// Objects that only inherit the default layer's black are shaded light
// grey, so their shape shows; their wires stay black, and colours that
// someone chose are shaded as they are. Checked on the attributes a frame
// draws with and on real pixels of the OpenGL engine.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <utility>

#include "engine/opengl_engine.h"
#include "rhino_recording_engine.h"
#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

// Mesa's offscreen driver keeps a few records per context for the life of
// the process; they are not leaks of the host.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa.so\n";
}

namespace {

const ON_Color kBlack(0, 0, 0);
const ON_Color kLightGrey(200, 200, 200);

ON_3dmObjectAttributes OwnColour(ON_Color color) {
  ON_3dmObjectAttributes a;
  a.SetColorSource(ON::color_from_object);
  a.m_color = color;
  return a;
}

TEST(DefaultShadeColour, OnlyTheInheritedDefaultBlackTurnsGrey) {
  CRhinoDoc doc;
  CRhinoMeshObject* plain = doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ON_3dmObjectAttributes own_black = OwnColour(kBlack);
  CRhinoMeshObject* chosen_black =
      doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &own_black);
  ON_Layer blue;
  blue.SetName(L"blue");
  blue.SetColor(ON_Color(0, 0, 230));
  ON_3dmObjectAttributes on_blue;
  on_blue.m_layer_index = doc.LayerTable().AddLayer(blue);
  CRhinoMeshObject* layered =
      doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), &on_blue);
  ASSERT_TRUE(plain && chosen_black && layered);

  CRhinoView view(&doc, 10, 10);
  CRhinoDisplayPipeline& dp = *view.DisplayPipeline();
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  EXPECT_EQ(dp.GetObjectDisplayAttrs(plain)->m_material.m_diffuse, kLightGrey);
  EXPECT_EQ(dp.GetObjectDisplayAttrs(plain)->m_display_color,
            kBlack); // wires keep the layer colour
  EXPECT_EQ(dp.GetObjectDisplayAttrs(chosen_black)->m_material.m_diffuse, kBlack);
  EXPECT_EQ(dp.GetObjectDisplayAttrs(layered)->m_material.m_diffuse, ON_Color(0, 0, 230));

  // Ghosted surfaces are the object's shade, see-through.
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdGhostedAttrs());
  EXPECT_EQ(dp.GetObjectDisplayAttrs(plain)->m_material.m_diffuse, kLightGrey);
  EXPECT_GT(dp.GetObjectDisplayAttrs(plain)->m_material.m_transparency, 0.0);

  // Selection still wins over the grey.
  plain->Select(true);
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  EXPECT_EQ(dp.GetObjectDisplayAttrs(plain)->m_material.m_diffuse,
            CRhinoDisplayAttrsMgr::StdShadedAttrs()->m_selection_color);
}

TEST(DefaultShadeColour, FrameShadesGreyAndDrawsBlackWires) {
  CRhinoDoc doc;
  ASSERT_NE(AddBox(doc, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)), nullptr);
  auto engine = std::make_unique<CRhinoRecordingEngine>();
  CRhinoRecordingEngine* recorder = engine.get();
  CRhinoView view(&doc, 100, 80, std::move(engine));
  CDisplayPipelineAttributes mode = *CRhinoDisplayAttrsMgr::StdShadedAttrs();
  mode.m_surface_edges.m_bShowEdges = true;
  view.SetDisplayMode(mode);
  ASSERT_TRUE(view.Redraw());

  auto shaded = recorder->CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  ASSERT_FALSE(shaded.empty());
  for (const auto* call : shaded)
    EXPECT_EQ(call->m_material.m_diffuse, kLightGrey);
  auto lines = recorder->CallsOfKind(CRhinoRecordedCall::line);
  ASSERT_FALSE(lines.empty());
  for (const auto* call : lines)
    EXPECT_EQ(call->m_color, kBlack);
}

// The same box on real pixels: the faces seen from above are clearly
// lighter than black, and the background is untouched around them.
TEST(DefaultShadeColour, OpenGLShadedBoxIsLight) {
  CRhinoDoc doc;
  ASSERT_NE(AddBox(doc, ON_3dPoint(-2, -2, -2), ON_3dPoint(2, 2, 2)), nullptr);
  CRhinoView view(&doc, 160, 120, CreateOpenGLDisplayEngine());
  ON_Viewport vp = view.Viewport().VP();
  vp.ChangeToParallelProjection();
  vp.SetCameraLocation(ON_3dPoint(0, 0, 50));
  vp.SetCameraDirection(ON_3dVector(0, 0, -1));
  vp.SetCameraUp(ON_3dVector(0, 1, 0));
  vp.SetFrustum(-8, 8, -6, 6, 1, 100);
  view.Viewport().SetVP(vp, true);
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  ASSERT_TRUE(view.Redraw());

  // The box covers pixels 60..100 by 40..80; probe inside its top face.
  for (const auto& p : {std::pair{80, 60}, std::pair{66, 46}, std::pair{94, 74}}) {
    ON_Color c;
    ASSERT_TRUE(view.Engine().FramePixel(p.first, p.second, c));
    EXPECT_GT(c.Red(), 100) << p.first << "," << p.second;
    EXPECT_GT(c.Green(), 100) << p.first << "," << p.second;
    EXPECT_GT(c.Blue(), 100) << p.first << "," << p.second;
    // Neutral: no channel far from the others.
    EXPECT_LT(std::abs(c.Red() - c.Blue()), 30) << p.first << "," << p.second;
  }
  ON_Color corner;
  ASSERT_TRUE(view.Engine().FramePixel(5, 5, corner));
  EXPECT_EQ(corner, CRhinoDisplayAttrsMgr::StdShadedAttrs()->m_background_color);
}

} // namespace
