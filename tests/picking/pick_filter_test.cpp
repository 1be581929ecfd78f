// Picking objects that are drawn cut: through the host's own picking at a
// pixel of a view, with section caches built by real frames, the library's
// pick filter keeps a cut object only where something of it remains, and
// stands aside wherever the object is drawn (and so picked) whole.

#include "picking/kyrel_pick_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/service_scene.h"

namespace {

using service_test::AttachBuiltCache;
using service_test::CacheOf;
using service_test::Conduit;
using service_test::Scene;
using test_meshes::Box;

// A slab 10 x 10 x 2 seen from the top, and a box cutter over everything
// of it beyond x = 6, through its whole thickness: a Difference cutter
// leaves x < 6, an Intersection cutter x > 6.
const ON_3dPoint kLeftPart(3, 5, 2);       // on the slab's top face, x < 6
const ON_3dPoint kRightPart(8, 5, 2);      // on the slab's top face, x > 6
const ON_3dPoint kRightPartEdge(8, 10, 2); // on a top edge of the right part
const ON_3dPoint kStrayMesh(0.5, 0.5, 2);  // over AttachBuiltCache's unit box

constexpr int kDifference = 2;
constexpr int kIntersection = 1;

struct CutSlab {
  explicit CutSlab(int mode) : CutSlab() {
    cutter = scene.AddCutter(Box(ON_3dPoint(6, -1, -1), ON_3dPoint(12, 11, 3)), mode);
    scene.Frame(); // rebuilds the cutting meshes and builds the slab's cache
  }
  // The slab alone, never drawn.
  CutSlab() {
    slab = scene.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 10, 2));
    // Framed on the slab, not the cutter, the way a user zooms to the model.
    scene.view.Viewport().ZoomExtents(ON_BoundingBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 10, 2)));
  }

  ON_3dPoint Pixel(const ON_3dPoint& world) const {
    ON_3dPoint pixel;
    EXPECT_TRUE(scene.view.Viewport().VP().GetScreenCoordinates(world, pixel));
    return pixel;
  }
  // Whether the host's pick at the pixel where `world` lands keeps `object`.
  bool Picks(const ON_3dPoint& world, const CRhinoObject* object) {
    const ON_3dPoint pixel = Pixel(world);
    for (const CRhinoPickHit& hit :
         scene.view.Pick(static_cast<int>(pixel.x), static_cast<int>(pixel.y)))
      if (hit.m_object == object) return true;
    return false;
  }
  // The filter's own answer for the slab at that pixel, in a context made
  // as the host makes it, whether or not the host would have hit the slab.
  bool FilterKeepsSlab(const ON_3dPoint& world) {
    const ON_3dPoint pixel = Pixel(world);
    ON_Viewport vp = scene.view.Viewport().VP();
    vp.SetFrustumNearFar(scene.doc.BoundingBox());
    CRhinoPickContext context;
    context.m_view = &scene.view;
    EXPECT_TRUE(
        context.SetPickPoint(vp, static_cast<int>(pixel.x), static_cast<int>(pixel.y), 3.0));
    return CKyrelPickFilter::Instance()->AllowPick(context, slab, false);
  }

  Scene scene;
  CRhinoMeshObject* slab = nullptr;
  CRhinoMeshObject* cutter = nullptr;
};

TEST(PickFilter, IsRegisteredWithTheHostWhenTheLibraryIsLoaded) {
  EXPECT_TRUE(CKyrelPickFilter::Instance()->IsRegistered());
}

TEST(PickFilter, CutObjectIsPickedOnlyWhereSomethingOfItRemains) {
  CutSlab s(kDifference);
  ASSERT_NE(s.slab, nullptr);
  ASSERT_NE(s.cutter, nullptr);
  const TV_SectionCache* cache = CacheOf(s.slab);
  ASSERT_NE(cache, nullptr) << "the frame did not cut the slab";
  ASSERT_EQ(cache->m_phantom.m_caches.Count(), 1);
  ASSERT_EQ(cache->m_phantom.m_caches[0].m_clip_state, 0);

  EXPECT_TRUE(s.Picks(kLeftPart, s.slab));
  EXPECT_FALSE(s.Picks(kRightPart, s.slab));
  // The cutter is no cut object: it is picked by its own geometry there.
  EXPECT_TRUE(s.Picks(kRightPart, s.cutter));

  // An object that no frame has drawn since it was added has no cache yet
  // and is picked as usual, cutters or not.
  CRhinoMeshObject* fresh = s.scene.AddBox(ON_3dPoint(7, 4, 2), ON_3dPoint(9, 6, 3));
  ASSERT_EQ(CacheOf(fresh), nullptr);
  EXPECT_TRUE(s.Picks(ON_3dPoint(8, 5, 3), fresh));
}

TEST(PickFilter, IntersectionCutIsPickedInsideTheCutterOnly) {
  CutSlab s(kIntersection);
  ASSERT_NE(CacheOf(s.slab), nullptr) << "the frame did not cut the slab";
  EXPECT_FALSE(s.Picks(kLeftPart, s.slab));
  EXPECT_TRUE(s.Picks(kRightPart, s.slab));
}

TEST(PickFilter, ObjectsDrawnWholeArePickedByTheirWholeGeometry) {
  CutSlab s(kDifference);
  ASSERT_NE(CacheOf(s.slab), nullptr) << "the frame did not cut the slab";
  // Shaded, ghosted and rendered views draw the cut: the filter acts there.
  EXPECT_FALSE(s.FilterKeepsSlab(kRightPart));
  for (const CDisplayPipelineAttributes* mode :
       {CRhinoDisplayAttrsMgr::StdGhostedAttrs(), CRhinoDisplayAttrsMgr::StdRenderedAttrs()}) {
    s.scene.view.SetDisplayMode(*mode);
    EXPECT_FALSE(s.FilterKeepsSlab(kRightPart)) << mode->EnglishName().StdString();
  }

  // Plain Wireframe draws nothing cut: the host's wire pick of an edge of
  // the part cut away still finds the slab.
  s.scene.Wireframe();
  EXPECT_TRUE(s.FilterKeepsSlab(kRightPart));
  EXPECT_TRUE(s.Picks(kRightPartEdge, s.slab));
  // The conduit knows Wireframe by its id, so even a Wireframe changed to
  // shade its surfaces (and so picked by faces) is drawn, and picked, whole.
  CDisplayPipelineAttributes shaded_wireframe = *CRhinoDisplayAttrsMgr::StdWireframeAttrs();
  shaded_wireframe.m_bShadeSurface = true;
  s.scene.view.SetDisplayMode(shaded_wireframe);
  EXPECT_TRUE(s.Picks(kRightPart, s.slab));

  // A mode of its own that does not shade surfaces is drawn cut, but
  // picked by wires, which the filter leaves alone.
  CDisplayPipelineAttributes unshaded = *CRhinoDisplayAttrsMgr::StdShadedAttrs();
  unshaded.SetId(ON_UuidFromString("0C5E1A2B-3D4F-4A5B-8C6D-7E8F9A0B1C2D"));
  unshaded.m_bShadeSurface = false;
  s.scene.view.SetDisplayMode(unshaded);
  EXPECT_TRUE(s.FilterKeepsSlab(kRightPart));
  EXPECT_TRUE(s.Picks(kRightPartEdge, s.slab));

  // While clashes are shown, objects are drawn whole.
  s.scene.Shaded();
  Conduit().m_interfere.m_bEnabled = true;
  EXPECT_TRUE(s.Picks(kRightPart, s.slab));
  Conduit().m_interfere.m_bEnabled = false;
  EXPECT_FALSE(s.Picks(kRightPart, s.slab));
}

TEST(PickFilter, AskedWithoutAViewOrAnObjectItKeepsTheHit) {
  CutSlab s(kDifference);
  CRhinoPickContext no_view;
  ASSERT_TRUE(no_view.SetPickPoint(s.scene.view.Viewport().VP(), 100, 75, 3.0));
  EXPECT_TRUE(CKyrelPickFilter::Instance()->AllowPick(no_view, s.slab, false));
  CRhinoPickContext in_view = no_view;
  in_view.m_view = &s.scene.view;
  EXPECT_TRUE(CKyrelPickFilter::Instance()->AllowPick(in_view, nullptr, false));
}

// Caches made by hand: each entry holds one unit box at the origin, so a
// pick over it hits the entry's mesh and a pick elsewhere on the slab hits
// nothing of the cache.
TEST(PickFilter, OnlyComputedEntriesThatRemainCanBeHit) {
  struct Case {
    const char* name;
    int states[2];
    bool computed;
    bool picked_over_mesh;
  };
  const Case cases[] = {
      {"removed, then cut", {-1, 0}, true, true},
      {"removed, then whole", {-1, 1}, true, true},
      {"every entry removed", {-1, -1}, true, false},
      {"no entry computed", {0, 1}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CutSlab s;
    TV_SectionCache* cache = AttachBuiltCache(*s.slab, {c.states[0], c.states[1]});
    ASSERT_NE(cache, nullptr);
    for (int i = 0; i < cache->m_phantom.m_caches.Count(); ++i)
      cache->m_phantom.m_caches[i].m_bComputed = c.computed;
    EXPECT_EQ(s.Picks(kStrayMesh, s.slab), c.picked_over_mesh);
    EXPECT_FALSE(s.Picks(kRightPart, s.slab));

    // An invalidated cache holds no entries: nothing is known to be cut
    // away, so the slab picks whole until the next frame builds it again.
    cache->Invalidate(true);
    EXPECT_TRUE(s.Picks(kRightPart, s.slab));
  }
}

} // namespace
