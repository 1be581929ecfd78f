// The service straight after the library was loaded: its watcher is off,
// yet the very first frame builds the cutting meshes. Kept in an
// executable of its own so that nothing else has touched the service.

#include <gtest/gtest.h>

#include "support/service_scene.h"

using namespace service_test;
using test_meshes::Box;

TEST(FirstFrame, WatcherStartsOffAndTheFirstFrameRebuildsWithoutAnyEvent) {
  CKyrelService& service = Service();
  ASSERT_TRUE(service.m_bDocumentChanged);

  CRhinoDoc doc;
  CRhinoView view(&doc, 100, 100);
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  TestClipper clipper(1, 0);
  service.AddClippingObject(&clipper);

  // Events before the first frame go unheard: the watcher is still off.
  service.m_bDocumentChanged = false;
  doc.AddMeshObject(Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  EXPECT_FALSE(service.m_bDocumentChanged);
  service.m_bDocumentChanged = true;

  ASSERT_TRUE(view.Redraw());
  EXPECT_EQ(clipper.change_level_calls, 1);
  EXPECT_FALSE(service.m_bDocumentChanged);

  // From now on the watcher hears events.
  doc.AddMeshObject(Box(ON_3dPoint(2, 0, 0), ON_3dPoint(3, 1, 1)));
  EXPECT_TRUE(service.m_bDocumentChanged);
  service.RemoveClippingObject(&clipper);
}
