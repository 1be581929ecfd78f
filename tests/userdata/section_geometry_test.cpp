// Cutting records: identity, copies through the owner's attributes,
// duplicates, invalidation and transforms.

#include "support/test_meshes.h"
#include "userdata/section_geometry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

ON_Mesh Triangle() {
  return test_meshes::Triangle(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0));
}

TV_SectionGeometry* ValidRecord(int mode) {
  auto* record = new TV_SectionGeometry();
  record->m_mode = mode;
  record->m_bValid = true;
  record->m_update_stamp = 17;
  record->m_mesh = Triangle();
  return record;
}

TEST(SectionGeometryIdentity, ClassRecordAndInstanceIdsAreTheCuttingRecordUuid) {
  const ON_UUID uuid = ON_UuidFromString("F859DF53-7554-400F-B8F5-FED57117FD9C");
  EXPECT_EQ(TV_SectionGeometry::UUID(), uuid);
  const ON_ClassId* record = ON_ClassId::ClassId(uuid);
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->ClassName(), "TV_SectionGeometry");
  EXPECT_STREQ(record->BaseClassName(), "ON_UserData");

  TV_SectionGeometry geometry;
  EXPECT_EQ(geometry.m_userdata_uuid, uuid);
  EXPECT_EQ(geometry.m_application_uuid, ON_nil_uuid);
  EXPECT_EQ(geometry.m_userdata_copycount, 1);
  EXPECT_FALSE(geometry.Archive());
  ON_wString description;
  EXPECT_TRUE(geometry.GetDescription(description));
  EXPECT_EQ(description, ON_wString(L"Dynamic Section Definition"));
}

TEST(SectionGeometryIdentity, CastAcceptsOnlyTheClass) {
  TV_SectionGeometry geometry;
  ON_Object* as_object = &geometry;
  EXPECT_EQ(TV_SectionGeometry::Cast(as_object), &geometry);
  ON_Mesh mesh;
  EXPECT_EQ(TV_SectionGeometry::Cast(static_cast<ON_Object*>(&mesh)), nullptr);
  EXPECT_EQ(TV_SectionGeometry::Cast(static_cast<const ON_Object*>(nullptr)), nullptr);
}

TEST(SectionGeometryCopies, CopyingTheAttributesKeepsOnlyTheMode) {
  ON_3dmObjectAttributes attributes;
  ASSERT_TRUE(attributes.AttachUserData(ValidRecord(2)));

  ON_3dmObjectAttributes copy(attributes);
  auto* copied = TV_SectionGeometry::Cast(copy.GetUserData(TV_SectionGeometry::UUID()));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->m_mode, 2);
  EXPECT_FALSE(copied->m_bValid);
  EXPECT_EQ(copied->m_mesh.FaceCount(), 0);
  EXPECT_EQ(copied->m_update_stamp, 0u);

  // The original is untouched and still owned by its attributes.
  auto* original = TV_SectionGeometry::Cast(attributes.GetUserData(TV_SectionGeometry::UUID()));
  ASSERT_NE(original, nullptr);
  EXPECT_NE(original, copied);
  EXPECT_TRUE(original->m_bValid);
  EXPECT_EQ(original->m_mesh.FaceCount(), 1);
  EXPECT_EQ(original->Owner(), &attributes);
  EXPECT_EQ(copied->Owner(), &copy);
}

TEST(SectionGeometryCopies, CopyConstructionIsDeepButAssignmentInvalidates) {
  std::unique_ptr<TV_SectionGeometry> source(ValidRecord(1));
  ON_UUID id;
  ASSERT_TRUE(ON_CreateUuid(id));
  source->m_ids.AddUuid(id);

  TV_SectionGeometry constructed(*source);
  EXPECT_TRUE(constructed.m_bValid);
  EXPECT_EQ(constructed.m_update_stamp, 17u);
  EXPECT_EQ(constructed.m_ids.Count(), 1);
  constructed.m_mesh.SetVertex(0, ON_3dPoint(5, 5, 5));
  EXPECT_EQ(source->m_mesh.Vertex(0), ON_3dPoint(0, 0, 0)); // not shared

  TV_SectionGeometry assigned;
  assigned.m_update_stamp = 4;
  assigned.m_bValid = true;
  assigned.m_mesh = Triangle();
  assigned = *source;
  EXPECT_EQ(assigned.m_mode, 1);
  EXPECT_FALSE(assigned.m_bValid);
  EXPECT_EQ(assigned.m_mesh.VertexCount(), 0);
  EXPECT_EQ(assigned.m_update_stamp, 4u); // the target's stamp stays
  EXPECT_EQ(assigned.m_ids.Count(), 0);

  std::unique_ptr<TV_SectionGeometry> duplicate(source->Duplicate());
  ASSERT_NE(duplicate, nullptr);
  EXPECT_EQ(duplicate->m_mode, 1);
  EXPECT_FALSE(duplicate->m_bValid);
  EXPECT_EQ(duplicate->m_userdata_uuid, TV_SectionGeometry::UUID());
}

TEST(SectionGeometryState, InvalidateAndTransformLeaveTheRightThings) {
  std::unique_ptr<TV_SectionGeometry> record(ValidRecord(2));
  record->Transform(ON_Xform::TranslationTransformation(ON_3dVector(10, 0, 0)));
  EXPECT_EQ(record->m_mesh.Vertex(1), ON_3dPoint(1, 0, 0)); // mesh not moved
  EXPECT_EQ(record->m_userdata_xform * ON_3dPoint(0, 0, 0), ON_3dPoint(10, 0, 0));
  EXPECT_TRUE(record->m_bValid);

  // The record's size is its own plus its mesh's, whatever the mesh holds.
  const TV_SectionGeometry empty;
  EXPECT_EQ(record->SizeOf() - record->m_mesh.SizeOf(), empty.SizeOf() - empty.m_mesh.SizeOf());
  EXPECT_GT(record->SizeOf(), empty.SizeOf());

  record->Invalidate();
  EXPECT_FALSE(record->m_bValid);
  EXPECT_EQ(record->m_mesh.FaceCount(), 0);
  EXPECT_EQ(record->m_mesh.VertexCount(), 0);
  EXPECT_EQ(record->m_mode, 2);
}

} // namespace
