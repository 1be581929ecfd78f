// The frame driver seen through a recording engine and test conduits:
// notification and channel order, channel flags, substitution, per-object
// display attributes, instance members, clipping planes and pipeline state.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sdk_test_support.h"

using namespace sdk_test;
using test_meshes::Box;

namespace {

using Chan = CRhinoDisplayConduit;
constexpr unsigned kAllChannels = 0x2 | 0x4 | 0x8 | 0x80 | 0x100 | 0x200 | 0x4000;

// Writes every call it hears into the engine's call list as a note, and
// lets a test act inside a channel.
class Probe : public CRhinoDisplayConduit {
public:
  Probe(CRhinoRecordingEngine* engine, unsigned channels = kAllChannels, bool bEnabled = true)
      : CRhinoDisplayConduit(channels, bEnabled), m_engine(engine) {}

  bool ExecConduit(CRhinoDisplayPipeline& dp, unsigned int channel, bool& bTerminate) override {
    EXPECT_TRUE(IsBound());
    EXPECT_EQ(m_pPipeline, &dp);
    EXPECT_EQ(m_pDisplayAttrs, dp.DisplayAttrs());
    std::string s = "ch" + std::to_string(channel);
    if (channel == 0x100 || channel == 0x4 || channel == 0x4000) {
      s += dp.DrawingSurfaces() ? ":surf" : (dp.DrawingWires() ? ":wire" : ":?");
      s += m_pChannelAttrs->m_bDrawObject ? ":draw" : ":nodraw";
    }
    if (m_engine) m_engine->Note(s);
    if (on_channel) on_channel(dp, channel, bTerminate);
    return true;
  }
  void NotifyConduit(int code, CRhinoDisplayPipeline& dp) override {
    EXPECT_TRUE(IsBound());
    if (m_engine) m_engine->Note("notify" + std::to_string(code));
    if (on_notify) on_notify(dp, code);
  }

  std::function<void(CRhinoDisplayPipeline&, unsigned, bool&)> on_channel;
  std::function<void(CRhinoDisplayPipeline&, int)> on_notify;
  CRhinoRecordingEngine* m_engine;
};

struct Scene {
  CRhinoDoc doc;
  CRhinoView view{&doc, 200, 100};
  CRhinoRecordingEngine& engine() { return static_cast<CRhinoRecordingEngine&>(view.Engine()); }
  std::vector<std::string> Trace() {
    std::vector<std::string> out;
    for (const CRhinoRecordedCall& c : engine().Calls()) {
      switch (c.m_kind) {
      case CRhinoRecordedCall::note:
        out.push_back(c.m_note);
        break;
      case CRhinoRecordedCall::begin_frame:
        out.push_back("begin");
        break;
      case CRhinoRecordedCall::end_frame:
        out.push_back("end");
        break;
      case CRhinoRecordedCall::shaded_mesh:
        out.push_back("shade");
        break;
      case CRhinoRecordedCall::mesh_wires:
        out.push_back("wires");
        break;
      case CRhinoRecordedCall::line:
        out.push_back("line");
        break;
      default:
        break;
      }
    }
    return out;
  }
};

} // namespace

TEST(FrameDriver, ChannelOrderOfAShadedFrameWithOneMeshObject) {
  Scene s;
  s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  Probe probe(&s.engine());
  ASSERT_TRUE(s.view.Redraw());
  const std::vector<std::string> expected = {"notify4",
                                             "ch8",
                                             "ch2",
                                             "begin",
                                             "ch128",
                                             "ch16384:surf:draw",
                                             "ch4:surf:draw",
                                             "ch256:surf:draw",
                                             "shade",
                                             "ch16384:wire:draw",
                                             "ch4:wire:draw",
                                             "ch256:wire:draw",
                                             "ch512",
                                             "notify5",
                                             "end"};
  EXPECT_EQ(s.Trace(), expected);
}

TEST(FrameDriver, WireframeHasOnlyTheWirePass) {
  Scene s;
  s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  Probe probe(&s.engine(), 0x100);
  ASSERT_TRUE(s.view.Redraw());
  // Notifications reach every enabled conduit, whatever channels it asked for.
  const std::vector<std::string> expected = {"notify4", "begin",   "ch256:wire:draw",
                                             "wires",   "notify5", "end"};
  EXPECT_EQ(s.Trace(), expected);
}

TEST(FrameDriver, OnlyEnabledConduitsAreCalledAndOnlyForTheirChannels) {
  Scene s;
  Probe off(&s.engine(), kAllChannels, false); // constructor flag false: starts disabled
  Probe only_after(&s.engine(), 0x200, true);
  EXPECT_FALSE(off.IsEnabled());
  EXPECT_TRUE(only_after.IsEnabled());
  ASSERT_TRUE(s.view.Redraw());
  EXPECT_EQ(s.Trace(), std::vector<std::string>({"notify4", "begin", "ch512", "notify5", "end"}));
  off.Enable();
  s.engine().Clear();
  ASSERT_TRUE(s.view.Redraw());
  // Registration order within each notification and channel.
  EXPECT_EQ(s.Trace(),
            std::vector<std::string>({"notify4", "notify4", "ch8", "ch2", "begin", "ch128", "ch512",
                                      "ch512", "notify5", "notify5", "end"}));
}

TEST(FrameDriver, ConduitEnabledDuringNotificationFourHearsIt) {
  Scene s;
  Probe service(nullptr, 0, true);
  // Registered after the conduit that enables it, as a conduit made on
  // first use by another is.
  Probe late(&s.engine(), 0, false);
  service.on_notify = [&](CRhinoDisplayPipeline&, int code) {
    if (code == 4) late.Enable();
    if (code == 5) late.Disable();
  };
  ASSERT_TRUE(s.view.Redraw());
  const auto trace = s.Trace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "notify4"), 1);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "notify5"), 0); // switched off before reached
  EXPECT_FALSE(late.IsEnabled());
}

TEST(FrameDriver, CullingAndDrawChannelsControlWhatIsDrawn) {
  Scene s;
  CRhinoMeshObject* a = s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  CRhinoMeshObject* b = s.doc.AddMeshObject(Box(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1)));
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  Probe culler(nullptr, 0x4 | 0x100);
  Probe later(&s.engine(), 0x4 | 0x100);
  culler.on_channel = [&](CRhinoDisplayPipeline&, unsigned channel, bool& bTerminate) {
    CChannelAttributes* ca = culler.m_pChannelAttrs;
    if (channel == 0x4 && ca->m_pObject == a) {
      ca->m_bDrawObject = false;
      bTerminate = true;
    }
    if (channel == 0x100 && ca->m_pObject == b) ca->m_bDrawObject = false; // "the conduit drew it"
  };
  ASSERT_TRUE(s.view.Redraw());
  // a: culled, later conduits did not hear its culling call, nor 0x100;
  // b: nobody drew it but the conduit claimed it.
  const auto shaded = s.engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  EXPECT_TRUE(shaded.empty());
  const auto trace = s.Trace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "ch4:surf:draw"), 1);     // b only
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "ch256:surf:nodraw"), 1); // b, after culler
}

TEST(FrameDriver, SubstituteIsDrawnWithTheObjectsAttributeRecord) {
  Scene s;
  CRhinoMeshObject* real = s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  ASSERT_NE(real, nullptr);
  CRhinoMeshObject substitute;
  substitute.SetMesh(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(0.5, 0.5, 0.5)));
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  Probe conduit(nullptr, 0x4000 | 0x100);
  const CDisplayPipelineAttributes* seen_for_substitute = nullptr;
  conduit.on_channel = [&](CRhinoDisplayPipeline& dp, unsigned channel, bool&) {
    if (channel == 0x4000) conduit.m_pDisplayAttrs->m_material.m_diffuse = ON_Color(1, 2, 3);
    if (channel == 0x100) {
      EXPECT_EQ(dp.GetObjectDisplayAttrs(real), conduit.m_pDisplayAttrs);
      conduit.m_pChannelAttrs->m_pObject = &substitute;
      conduit.m_pChannelAttrs->m_bObjectSubstituted = true;
      seen_for_substitute = dp.GetObjectDisplayAttrs(&substitute);
      EXPECT_EQ(seen_for_substitute, conduit.m_pDisplayAttrs);
      EXPECT_EQ(dp.GetObjectOwner(conduit.m_pChannelAttrs->m_object_owner_index), nullptr);
    }
  };
  ASSERT_TRUE(s.view.Redraw());
  const auto shaded = s.engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  ASSERT_EQ(shaded.size(), 1u);
  EXPECT_EQ(shaded[0]->m_mesh_address, substitute.Mesh());
  EXPECT_EQ(shaded[0]->m_material.m_diffuse, ON_Color(1, 2, 3)); // what 0x4000 changed is drawn
  // The next frame starts again from the object's own attributes.
  conduit.on_channel = nullptr;
  s.engine().Clear();
  s.view.Redraw();
  const auto again = s.engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0]->m_mesh_address, real->Mesh());
  EXPECT_NE(again[0]->m_material.m_diffuse, ON_Color(1, 2, 3));
}

TEST(FrameDriver, UnhandledInstanceMembersRunThroughTheChannelsWithAnOwner) {
  Scene s;
  ON_SimpleArray<CRhinoObject*> members;
  auto* m = new CRhinoMeshObject();
  m->SetMesh(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  members.Append(m);
  auto* b = new CRhinoBrepObject(); // a member without meshes yet
  b->SetBrep(ON_Brep::CreateBox(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1)));
  members.Append(b);
  const int idef = s.doc.InstanceDefinitionTable().AddInstanceDefinition(L"blk", members);
  const ON_Xform shift = ON_Xform::TranslationTransformation(ON_3dVector(5, 0, 0));
  CRhinoInstanceObject* ref = s.doc.AddInstanceObject(idef, shift);
  ASSERT_NE(ref, nullptr);
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  Probe conduit(nullptr, 0x100);
  std::vector<std::pair<const CRhinoObject*, const CRhinoObject*>> seen; // object, owner
  conduit.on_channel = [&](CRhinoDisplayPipeline& dp, unsigned channel, bool&) {
    if (channel != 0x100 || !dp.DrawingSurfaces()) return;
    const CChannelAttributes* ca = conduit.m_pChannelAttrs;
    seen.emplace_back(ca->m_pObject, dp.GetObjectOwner(ca->m_object_owner_index));
  };
  ASSERT_TRUE(s.view.Redraw());
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].first, ref);
  EXPECT_EQ(seen[0].second, nullptr);
  EXPECT_EQ(seen[1].first, m);
  EXPECT_EQ(seen[1].second, ref);
  EXPECT_EQ(seen[2].first, b);
  EXPECT_EQ(seen[2].second, ref);
  const auto shaded = s.engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  ASSERT_EQ(shaded.size(), 7u); // the mesh member and the six faces of the box member
  EXPECT_EQ(shaded[0]->m_mesh_address, m->Mesh());
  for (const CRhinoRecordedCall* c : shaded)
    EXPECT_EQ(c->m_xform, shift); // drawn under the instance transform
  const auto final_xform = s.engine().CallsOfKind(CRhinoRecordedCall::model_transform);
  ASSERT_FALSE(final_xform.empty());
  EXPECT_TRUE(final_xform.back()->m_xform.IsIdentity()); // and put back afterwards
}

TEST(FrameDriver, BoundingBoxAndClippingPlaneChannels) {
  Scene s;
  s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  s.view.Viewport().ZoomExtents(s.doc.BoundingBox());
  Probe conduit(nullptr, 0x8 | 0x2);
  ON_BoundingBox seen_box;
  bool bGrow = false;
  conduit.on_channel = [&](CRhinoDisplayPipeline&, unsigned channel, bool&) {
    CChannelAttributes* ca = conduit.m_pChannelAttrs;
    if (channel == 0x8) {
      seen_box = ca->m_bounding_box;
      if (bGrow)
        ca->m_bounding_box.Union(ON_BoundingBox(ON_3dPoint(0, 0, -60), ON_3dPoint(1, 1, 1)));
    }
    if (channel == 0x2) {
      EXPECT_NE(conduit.m_pVP, nullptr);
      ON_ClippingPlaneInfo info;
      info.m_plane_equation = ON_PlaneEquation(1, 0, 0, -0.5);
      info.m_bEnabled = true;
      ca->m_clipping_planes.Append(info);
      ON_ClippingPlaneInfo disabled = info;
      disabled.m_bEnabled = false;
      ca->m_clipping_planes.Append(disabled);
    }
  };
  ASSERT_TRUE(s.view.Redraw());
  EXPECT_DOUBLE_EQ(seen_box.m_max.x, 1.0); // the document's box
  bGrow = true;
  ASSERT_TRUE(s.view.Redraw());
  const auto begin = s.engine().CallsOfKind(CRhinoRecordedCall::begin_frame);
  ASSERT_EQ(begin.size(), 2u);
  // The far plane follows the box the conduit grew, 60 units further away.
  EXPECT_GT(begin[1]->m_far, begin[0]->m_far + 50.0);
  const auto wires = s.engine().CallsOfKind(CRhinoRecordedCall::mesh_wires);
  ASSERT_EQ(wires.size(), 2u);
  ASSERT_EQ(wires[0]->m_clipping_planes.size(), 1u); // only the enabled plane
  EXPECT_EQ(wires[0]->m_clipping_planes[0], ON_PlaneEquation(1, 0, 0, -0.5));
}

TEST(FrameDriver, PipelineStateIsForwardedAndRestored) {
  Scene s;
  s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  s.view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  Probe conduit(nullptr, 0x100);
  const ON_Xform mirror = ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0));
  conduit.on_channel = [&](CRhinoDisplayPipeline& dp, unsigned, bool&) {
    if (!dp.DrawingSurfaces()) return;
    const ON_Xform saved = dp.ModelTransform();
    dp.SetModelTransform(mirror * saved);
    dp.PushCullFaceMode(1);
    const int zb = dp.ZBiasMode();
    dp.SetZBiasMode(1);
    dp.DrawShadedMesh(
        *static_cast<const CRhinoMeshObject*>(conduit.m_pChannelAttrs->m_pObject)->Mesh());
    dp.SetZBiasMode(zb);
    dp.PopCullFaceMode();
    dp.SetModelTransform(saved);
  };
  ASSERT_TRUE(s.view.Redraw());
  const auto shaded = s.engine().CallsOfKind(CRhinoRecordedCall::shaded_mesh);
  ASSERT_EQ(shaded.size(), 2u);
  EXPECT_EQ(shaded[0]->m_xform, mirror); // the conduit's mirrored copy
  EXPECT_EQ(shaded[0]->m_cull, 1);
  EXPECT_EQ(shaded[0]->m_zbias, 1);
  EXPECT_TRUE(shaded[1]->m_xform.IsIdentity()); // the host's own drawing
  EXPECT_EQ(shaded[1]->m_cull, 0);
  EXPECT_EQ(shaded[1]->m_zbias, 0);
}

TEST(FrameDriver, FeedbackInterruptAndEdgeCases) {
  CRhinoRecordingEngine engine;
  CRhinoDisplayPipeline dp(&engine);
  // No document: an empty frame, still with both notifications.
  Probe probe(&engine, kAllChannels);
  EXPECT_TRUE(dp.DrawFrame());
  EXPECT_EQ(engine.FrameCount(), 1);
  EXPECT_FALSE(dp.InFeedbackMode());
  dp.SetFeedbackMode(true);
  EXPECT_TRUE(dp.InFeedbackMode());
  dp.SetInteractiveViewChange(true);
  EXPECT_TRUE(dp.IsInteractiveViewChange());
  EXPECT_FALSE(dp.InterruptDrawing());
  int asked = 0;
  dp.SetInterruptQuery([](void* c) { return ++*static_cast<int*>(c) > 1; }, &asked);
  EXPECT_FALSE(dp.InterruptDrawing());
  EXPECT_TRUE(dp.InterruptDrawing());
  dp.PopCullFaceMode(); // popping an empty stack is harmless
  EXPECT_EQ(dp.CullFaceMode(), 0);
  EXPECT_NE(dp.Engine(false), nullptr);
  EXPECT_NE(dp.GetRhinoVP(), nullptr);
  EXPECT_EQ(dp.GetObjectDisplayAttrs(nullptr), nullptr);
  EXPECT_EQ(dp.GetObjectOwner(3), nullptr);

  // A redraw requested from inside a frame is refused, not nested.
  probe.on_notify = [&](CRhinoDisplayPipeline& p, int code) {
    if (code == 4) {
      EXPECT_FALSE(p.DrawFrame());
    }
  };
  EXPECT_TRUE(dp.DrawFrame());
  EXPECT_EQ(engine.FrameCount(), 2);

  // A pipeline without an engine draws into a sink.
  CRhinoDisplayPipeline bare(nullptr);
  EXPECT_TRUE(bare.DrawFrame());
}

TEST(FrameDriver, NoShowObjectsAreLeftOutAndConduitsUnregisterOnDestruction) {
  Scene s;
  CRhinoMeshObject* a = s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  s.doc.AddMeshObject(Box(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1)));
  const int saved = CRhinoObject::m_no_show_mark;
  a->Mark(1);
  CRhinoObject::m_no_show_mark = 1;
  s.view.Redraw();
  EXPECT_EQ(s.engine().CallsOfKind(CRhinoRecordedCall::mesh_wires).size(), 1u);
  CRhinoObject::m_no_show_mark = saved;

  const int before = rhino_sdk_internal::RegisteredConduitCount();
  {
    Probe temporary(&s.engine());
    EXPECT_EQ(rhino_sdk_internal::RegisteredConduitCount(), before + 1);
  }
  EXPECT_EQ(rhino_sdk_internal::RegisteredConduitCount(), before);
  EXPECT_TRUE(s.view.Redraw()); // a destroyed conduit is not called
}

TEST(FrameDriver, ConduitMayDeleteObjectsWhileTheFrameRuns) {
  Scene s;
  CRhinoMeshObject* a = s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  CRhinoMeshObject* b = s.doc.AddMeshObject(Box(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1)));
  Probe conduit(nullptr, 0x100);
  conduit.on_channel = [&](CRhinoDisplayPipeline&, unsigned, bool&) {
    if (conduit.m_pChannelAttrs->m_pObject == a) s.doc.DeleteObject(CRhinoObjRef(b), true, true);
  };
  ASSERT_TRUE(s.view.Redraw());
  EXPECT_EQ(s.engine().CallsOfKind(CRhinoRecordedCall::mesh_wires).size(), 1u);
  EXPECT_EQ(s.doc.ObjectCount(), 1);
}

TEST(FrameDriver, RedrawAskedForDuringAFrameIsDeferredNotLost) {
  Scene s;
  s.doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  Probe conduit(nullptr, 0x200);
  int asked = 0;
  conduit.on_channel = [&](CRhinoDisplayPipeline&, unsigned, bool&) {
    if (asked++ == 0) s.doc.Redraw(CRhinoDoc::redraw_hint_full);
  };
  ASSERT_TRUE(s.view.Redraw());
  EXPECT_EQ(s.view.FrameCount(), 1u);
  EXPECT_TRUE(s.doc.IsRedrawPending());
  EXPECT_TRUE(s.doc.FlushDeferredRedraw());
  EXPECT_EQ(s.view.FrameCount(), 2u);
  EXPECT_FALSE(s.doc.IsRedrawPending());
}

// A view without pictures records every call; one that is told to keep
// its last frames drops the older ones as each frame begins, so a long
// session does not grow with every frame it draws.
TEST(FrameDriver, ARecordingEngineKeepsTheFramesItIsToldTo) {
  for (int kept : {0, 1, 2}) {
    SCOPED_TRACE(kept);
    CRhinoRecordingEngine engine(kept);
    CRhinoDisplayPipeline dp(&engine);
    for (int frame = 0; frame < 4; ++frame)
      ASSERT_TRUE(dp.DrawFrame());
    EXPECT_EQ(engine.FrameCount(), 4);
    const auto begins = engine.CallsOfKind(CRhinoRecordedCall::begin_frame);
    EXPECT_EQ(begins.size(), static_cast<std::size_t>(kept == 0 ? 4 : kept));
    ASSERT_FALSE(engine.Calls().empty());
    EXPECT_EQ(engine.Calls().front().m_kind, CRhinoRecordedCall::begin_frame);
    EXPECT_EQ(engine.Calls().back().m_kind, CRhinoRecordedCall::end_frame);
  }
}
