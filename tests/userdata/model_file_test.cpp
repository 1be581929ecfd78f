// Section records never reach a model file: saving a model with cutting
// objects and cut objects and opening it again gives plain objects, while
// user data that archives itself does travel (so the file writer used
// here really writes user data).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "model_file.h"
#include "rhinoSdk.h"
#include "support/test_meshes.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace model_file_test {

// Attribute user data that archives itself: one integer.
class TravellingRecord : public ON_UserData {
  ON_OBJECT_DECLARE(TravellingRecord);

public:
  TravellingRecord() {
    m_userdata_uuid = Id();
    m_userdata_copycount = 1;
  }
  static ON_UUID Id() { return ON_UuidFromString("0D5A7C1E-3B2F-4E6A-9C8D-7F1E2D3C4B5A"); }
  bool Archive() const override { return true; }
  bool Write(ON_BinaryArchive& archive) const override { return archive.WriteInt(m_value); }
  bool Read(ON_BinaryArchive& archive) override { return archive.ReadInt(&m_value); }
  int m_value = 0;
};

ON_OBJECT_IMPLEMENT(TravellingRecord, ON_UserData, "0D5A7C1E-3B2F-4E6A-9C8D-7F1E2D3C4B5A");

} // namespace model_file_test

using model_file_test::TravellingRecord;

namespace {

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/" + name + std::to_string(::getpid()) + ".kyd";
}

std::string Upper(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

TEST(SectionRecordsInModelFiles, SavingAndOpeningLosesEveryCuttingModeAndCache) {
  CRhinoDoc doc;
  ON_3dmObjectAttributes named;
  named.m_name = L"cutter";
  CRhinoMeshObject* cutter = doc.AddMeshObject(test_meshes::Box(0, 0, 0, 2, 2, 2), &named);
  ASSERT_NE(cutter, nullptr);
  auto* geometry = new TV_SectionGeometry();
  geometry->m_mode = 2;
  geometry->m_bValid = true;
  geometry->m_mesh = test_meshes::Box(0, 0, 0, 2, 2, 2);
  ASSERT_TRUE(cutter->AttachAttributeUserData(geometry));
  auto* travelling = new TravellingRecord();
  travelling->m_value = 42;
  ASSERT_TRUE(cutter->AttachAttributeUserData(travelling));

  CRhinoMeshObject* cut = doc.AddMeshObject(test_meshes::Box(1, 1, 1, 3, 3, 3));
  ASSERT_NE(cut, nullptr);
  auto* cache = new TV_SectionCache();
  cache->m_phantom.m_source = cut;
  cache->m_phantom.m_bBuilt = true;
  ASSERT_TRUE(cut->AttachUserData(cache));

  const std::string path = TempPath("section_records");
  std::string error;
  ASSERT_TRUE(kyrel::app::WriteModelFile(path, doc, kyrel::app::ModelWriteOptions(), error))
      << error;

  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  const std::string file = Upper(text.str());
  EXPECT_NE(file.find("0D5A7C1E-3B2F-4E6A-9C8D-7F1E2D3C4B5A"), std::string::npos);
  EXPECT_EQ(file.find("F859DF53-7554-400F-B8F5-FED57117FD9C"), std::string::npos);
  EXPECT_EQ(file.find("131A4B0B-AD24-4254-A92D-F616E3957029"), std::string::npos);

  CRhinoDoc reopened;
  int added = 0;
  ASSERT_TRUE(kyrel::app::ReadModelFile(path, reopened, error, &added)) << error;
  std::remove(path.c_str());
  ASSERT_EQ(added, 2);
  CRhinoObjectIterator it(reopened, CRhinoObjectIterator::all_objects);
  int travelled = 0;
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    EXPECT_EQ(object->GetAttributeUserData(TV_SectionGeometry::UUID()), nullptr);
    EXPECT_EQ(object->GetUserData(TV_SectionCache::UUID()), nullptr);
    auto* record = TravellingRecord::Cast(object->GetAttributeUserData(TravellingRecord::Id()));
    if (record != nullptr && record->m_value == 42) ++travelled;
  }
  EXPECT_EQ(travelled, 1);
}
