// Run-time class records and user data: attaching, finding, detaching,
// ownership, and what copies of an owner carry.

#include <gtest/gtest.h>

#include <memory>

#include "opennurbs.h"
#include "support/test_meshes.h"

namespace userdata_test {

int g_live_records = 0;

// Copied with its owner. Like a cutting definition: assignment keeps only
// the mode, so a duplicate arrives with its other fields at their defaults.
class TestCopiedData : public ON_UserData {
  ON_OBJECT_DECLARE(TestCopiedData);

public:
  static ON_UUID Id() { return ON_UuidFromString("0B7E1A3C-55D2-4C8E-9A61-3F2B7C4D5E60"); }
  TestCopiedData() {
    m_userdata_uuid = Id();
    m_userdata_copycount = 1;
    ++g_live_records;
  }
  TestCopiedData(const TestCopiedData& src)
      : ON_UserData(src), m_mode(src.m_mode), m_stamp(src.m_stamp) {
    ++g_live_records;
  }
  TestCopiedData& operator=(const TestCopiedData& src) {
    if (this != &src) {
      ON_UserData::operator=(src);
      m_mode = src.m_mode; // m_stamp deliberately not copied
    }
    return *this;
  }
  ~TestCopiedData() override { --g_live_records; }
  bool GetDescription(ON_wString& d) override {
    d = L"Copied test record";
    return true;
  }
  int m_mode = 0;
  unsigned int m_stamp = 0;
};
ON_OBJECT_IMPLEMENT(TestCopiedData, ON_UserData, "0B7E1A3C-55D2-4C8E-9A61-3F2B7C4D5E60")

// Stays behind when its owner is copied, like a cache.
class TestCachedData : public ON_UserData {
  ON_OBJECT_DECLARE(TestCachedData);

public:
  static ON_UUID Id() { return ON_UuidFromString("6A1C9E2F-0D43-4B7A-8E15-2C9F4A6B7D81"); }
  TestCachedData() {
    m_userdata_uuid = Id();
    m_userdata_copycount = 0;
    ++g_live_records;
  }
  TestCachedData(const TestCachedData& src) : ON_UserData(src) { ++g_live_records; }
  TestCachedData& operator=(const TestCachedData&) = default;
  ~TestCachedData() override { --g_live_records; }
};
ON_OBJECT_IMPLEMENT(TestCachedData, ON_UserData, "6A1C9E2F-0D43-4B7A-8E15-2C9F4A6B7D81")

} // namespace userdata_test

namespace {

using userdata_test::g_live_records;
using userdata_test::TestCachedData;
using userdata_test::TestCopiedData;

class UserData : public ::testing::Test {
protected:
  void SetUp() override { g_live_records = 0; }
  void TearDown() override { EXPECT_EQ(g_live_records, 0) << "user data leaked or double freed"; }
};

TEST_F(UserData, ClassRecordsAreFoundByUuidAndName) {
  const ON_ClassId* c = ON_ClassId::ClassId(TestCopiedData::Id());
  ASSERT_EQ(c, &TestCopiedData::m_TestCopiedData_class_rtti);
  EXPECT_STREQ(c->ClassName(), "TestCopiedData");
  EXPECT_STREQ(c->BaseClassName(), "ON_UserData");
  EXPECT_EQ(c->BaseClass(), &ON_UserData::m_ON_UserData_class_rtti);
  EXPECT_EQ(ON_ClassId::ClassId("TestCachedData"), &TestCachedData::m_TestCachedData_class_rtti);
  EXPECT_EQ(ON_ClassId::ClassId(ON_nil_uuid), nullptr);
  EXPECT_EQ(ON_ClassId::ClassId("NoSuchClass"), nullptr);
  EXPECT_NE(ON_ClassId::ClassId("ON_Mesh"), nullptr);
  EXPECT_TRUE(c->IsDerivedFrom(&ON_Object::m_ON_Object_class_rtti));
  EXPECT_FALSE(c->IsDerivedFrom(&ON_Geometry::m_ON_Geometry_class_rtti));

  std::unique_ptr<ON_Object> made(c->Create());
  ASSERT_NE(TestCopiedData::Cast(made.get()), nullptr);
  TestCopiedData src;
  src.m_mode = 2;
  EXPECT_TRUE(c->Copy_Function()(&src, made.get()));
  EXPECT_EQ(TestCopiedData::Cast(made.get())->m_mode, 2);
  TestCachedData other;
  EXPECT_FALSE(c->Copy_Function()(&other, made.get()));
  EXPECT_FALSE(c->Copy_Function()(nullptr, made.get()));
}

TEST_F(UserData, RecordsRegisterAndUnregisterWithTheirLifetime) {
  const int before = ON_ClassId::RegisteredCount();
  {
    const ON_ClassId temp("TempClass", "ON_Object", nullptr, nullptr,
                          "D0E1F2A3-B4C5-4D6E-8F70-8192A3B4C5D6");
    EXPECT_EQ(ON_ClassId::RegisteredCount(), before + 1);
    EXPECT_EQ(ON_ClassId::ClassId(ON_UuidFromString("D0E1F2A3-B4C5-4D6E-8F70-8192A3B4C5D6")),
              &temp);
  }
  EXPECT_EQ(ON_ClassId::RegisteredCount(), before);
  EXPECT_EQ(ON_ClassId::ClassId("TempClass"), nullptr);
}

TEST_F(UserData, AttachFindDetach) {
  ON_Mesh mesh;
  auto* ud = new TestCopiedData;
  EXPECT_EQ(ud->Owner(), nullptr);
  ASSERT_TRUE(mesh.AttachUserData(ud));
  EXPECT_EQ(ud->Owner(), &mesh);
  EXPECT_EQ(mesh.GetUserData(TestCopiedData::Id()), ud);
  EXPECT_EQ(mesh.GetUserData(TestCachedData::Id()), nullptr);
  EXPECT_FALSE(mesh.AttachUserData(ud)); // already attached
  TestCopiedData twin;                   // same uuid
  EXPECT_FALSE(mesh.AttachUserData(&twin));
  TestCachedData nil_id;
  nil_id.m_userdata_uuid = ON_nil_uuid;
  EXPECT_FALSE(mesh.AttachUserData(&nil_id));
  EXPECT_FALSE(mesh.AttachUserData(nullptr));

  ON_Mesh other;
  EXPECT_FALSE(other.DetachUserData(ud));
  ASSERT_TRUE(mesh.DetachUserData(ud));
  EXPECT_EQ(ud->Owner(), nullptr);
  EXPECT_EQ(mesh.GetUserData(TestCopiedData::Id()), nullptr);
  delete ud; // the caller owns it after detaching
}

TEST_F(UserData, DeletedWithTheOwner) {
  {
    ON_Mesh mesh;
    mesh.AttachUserData(new TestCopiedData);
    mesh.AttachUserData(new TestCachedData);
    EXPECT_EQ(mesh.UserDataCount(), 2);
    EXPECT_EQ(g_live_records, 2);
  }
  EXPECT_EQ(g_live_records, 0);
  auto* mesh = new ON_Mesh;
  mesh->AttachUserData(new TestCachedData);
  delete static_cast<ON_Object*>(mesh); // through the base
  EXPECT_EQ(g_live_records, 0);
}

TEST_F(UserData, DeletingAttachedUserDataDetachesItFirst) {
  ON_Mesh mesh;
  auto* ud = new TestCachedData;
  mesh.AttachUserData(ud);
  delete ud;
  EXPECT_EQ(mesh.GetUserData(TestCachedData::Id()), nullptr);
  EXPECT_EQ(mesh.UserDataCount(), 0);
}

TEST_F(UserData, CopiesOfTheOwnerFollowTheCopyCount) {
  ON_3dmObjectAttributes attrs;
  auto* def = new TestCopiedData;
  def->m_mode = 2;
  def->m_stamp = 77;
  attrs.AttachUserData(def);
  attrs.AttachUserData(new TestCachedData);

  const ON_3dmObjectAttributes copy(attrs);
  const auto* copied = TestCopiedData::Cast(copy.GetUserData(TestCopiedData::Id()));
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, def);
  EXPECT_EQ(copied->Owner(), &copy);
  EXPECT_EQ(copied->m_mode, 2);   // carried by assignment
  EXPECT_EQ(copied->m_stamp, 0u); // duplicate = new default + assignment
  EXPECT_EQ(copied->m_userdata_copycount, 1);
  EXPECT_EQ(copy.GetUserData(TestCachedData::Id()), nullptr);
  EXPECT_EQ(g_live_records, 3);

  // Copies of copies keep going.
  ON_3dmObjectAttributes third;
  third = copy;
  EXPECT_NE(third.GetUserData(TestCopiedData::Id()), nullptr);
  // Assignment replaces the target's records.
  third.AttachUserData(new TestCachedData);
  third = ON_3dmObjectAttributes();
  EXPECT_EQ(third.UserDataCount(), 0);
}

TEST_F(UserData, MeshCopiesCarryCopyableUserDataToo) {
  ON_Mesh mesh = test_meshes::Tetrahedron();
  mesh.AttachUserData(new TestCopiedData);
  mesh.AttachUserData(new TestCachedData);
  ON_Mesh copy(mesh);
  EXPECT_EQ(copy.UserDataCount(), 1);
  std::unique_ptr<ON_Object> dup(mesh.DuplicateObject());
  EXPECT_EQ(dup->UserDataCount(), 1);
  EXPECT_NE(dup->GetUserData(TestCopiedData::Id()), nullptr);
}

TEST_F(UserData, TransformAccumulatesOnlyTheUserDataTransform) {
  ON_Mesh mesh = test_meshes::Tetrahedron();
  auto* ud = new TestCopiedData;
  ud->m_mode = 1;
  mesh.AttachUserData(ud);
  mesh.Transform(ON_Xform::TranslationTransformation(ON_3dVector(1, 0, 0)));
  mesh.Transform(ON_Xform::TranslationTransformation(ON_3dVector(0, 2, 0)));
  EXPECT_EQ(ud->m_userdata_xform * ON_3dPoint(0, 0, 0), ON_3dPoint(1, 2, 0));
  EXPECT_EQ(ud->m_mode, 1);
  EXPECT_EQ(mesh.Vertex(0), ON_3dPoint(1, 2, 0));
}

TEST_F(UserData, DefaultsOfTheBaseClass) {
  TestCachedData cache;
  EXPECT_FALSE(cache.Archive());
  ON_wString d;
  EXPECT_TRUE(cache.GetDescription(d));
  EXPECT_EQ(d, ON_wString(L"TestCachedData"));
  TestCopiedData def;
  EXPECT_TRUE(def.GetDescription(d));
  EXPECT_EQ(d, ON_wString(L"Copied test record"));
  EXPECT_TRUE(def.IsValid());
  EXPECT_TRUE(ON_UuidIsNil(def.m_application_uuid));
  EXPECT_TRUE(def.m_userdata_xform.IsIdentity());
  EXPECT_GE(def.SizeOf(), sizeof(ON_UserData));
  EXPECT_EQ(def.ObjectType(), ON::userdata_object);
  ON_Mesh mesh;
  const unsigned int bare = mesh.SizeOf();
  mesh.AttachUserData(new TestCachedData);
  EXPECT_GE(mesh.SizeOf(), bare + sizeof(ON_UserData));
}

TEST_F(UserData, KindAndCast) {
  ON_Mesh mesh;
  const ON_Object* o = &mesh;
  EXPECT_TRUE(o->IsKindOf(&ON_Geometry::m_ON_Geometry_class_rtti));
  EXPECT_TRUE(o->IsKindOf(&ON_Object::m_ON_Object_class_rtti));
  EXPECT_FALSE(o->IsKindOf(&ON_UserData::m_ON_UserData_class_rtti));
  EXPECT_EQ(ON_Mesh::Cast(o), &mesh);
  EXPECT_EQ(ON_Brep::Cast(o), nullptr);
  EXPECT_EQ(ON_Mesh::Cast(static_cast<ON_Object*>(nullptr)), nullptr);
  EXPECT_EQ(mesh.ObjectType(), ON::mesh_object);
}

} // namespace
