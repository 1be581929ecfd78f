// The mirror plane settings: defaults, and the transform that always
// follows the stored point and normal.

#include <gtest/gtest.h>

#include "support/service_scene.h"

using namespace service_test;

namespace {

void ExpectSameXform(const ON_Xform& a, const ON_Xform& b) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(a.m_xform[i][j], b.m_xform[i][j], 1e-12) << i << j;
}

} // namespace

TEST(MirrorSettings, DefaultsReflectInThePlaneXEqualsZero) {
  Scene s;
  CKyrelConduit& conduit = Conduit();
  EXPECT_FALSE(conduit.IsMirroringEnabled());
  EXPECT_EQ(conduit.MirrorPosition(), ON_3dPoint(0, 0, 0));
  EXPECT_EQ(conduit.MirrorDirection(), ON_3dVector(1, 0, 0));
  const ON_3dPoint p = conduit.m_mirror_xform * ON_3dPoint(2, 3, 4);
  EXPECT_NEAR(p.x, -2.0, 1e-12);
  EXPECT_NEAR(p.y, 3.0, 1e-12);
  EXPECT_NEAR(p.z, 4.0, 1e-12);
}

TEST(MirrorSettings, EachSetterKeepsTheOtherHalfOfThePlane) {
  Scene s;
  CKyrelConduit& conduit = Conduit();
  conduit.SetMirrorPosition(ON_3dPoint(0, 0, 5));
  ExpectSameXform(conduit.m_mirror_xform,
                  ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 5), ON_3dVector(1, 0, 0)));
  conduit.SetMirrorDirection(ON_3dVector(0, 0, 3));
  EXPECT_EQ(conduit.MirrorDirection(), ON_3dVector(0, 0, 3)); // stored as given
  EXPECT_EQ(conduit.MirrorPosition(), ON_3dPoint(0, 0, 5));
  const ON_3dPoint p = conduit.m_mirror_xform * ON_3dPoint(1, 1, 1);
  EXPECT_NEAR(p.z, 9.0, 1e-12);
  EXPECT_NEAR(p.x, 1.0, 1e-12);
}

TEST(MirrorSettings, SwitchingMirroringTouchesNothingElse) {
  Scene s;
  CKyrelConduit& conduit = Conduit();
  const ON_Xform before = conduit.m_mirror_xform;
  conduit.EnableMirroring(true);
  EXPECT_TRUE(conduit.IsMirroringEnabled());
  EXPECT_FALSE(conduit.IsEnabled()); // only the service switches the conduit
  ExpectSameXform(conduit.m_mirror_xform, before);
  conduit.EnableMirroring(false);
}
