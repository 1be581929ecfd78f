// Mesh export and import through assimp: every format keeps the faces and
// the volume of a closed box; bad files are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app_fixture.h"
#include "file_formats.h"
#include "mesh_io.h"
#include "support/test_meshes.h"

namespace {

class MeshFiles : public HostTest {};

TEST_F(MeshFiles, ClosedBoxSurvivesEveryFormat) {
  ASSERT_TRUE(Run(L"Box 0,0,0 2,3,4 \"box\""));
  for (const char* ext : {"obj", "stl", "ply", "off", "gltf", "glb"}) {
    std::string path = temp.path + "/box." + ext;
    std::string error;
    ASSERT_TRUE(kyrel::app::WriteDocumentFile(path, Doc(), false, error)) << ext << ": " << error;
    ON_Mesh mesh;
    ASSERT_TRUE(kyrel::app::ReadMeshFile(path, mesh, error)) << ext << ": " << error;
    EXPECT_EQ(mesh.FaceCount(), 12) << ext; // six quads come back as twelve triangles
    EXPECT_NEAR(std::fabs(test_meshes::Volume(mesh)), 24.0, 1e-3) << ext;
    EXPECT_TRUE(mesh.IsClosed()) << ext;
  }
}

TEST_F(MeshFiles, ExportWritesOnlyTheSelectionAndImportAddsObjects) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"small\" Box 5,5,5 7,7,7 \"big\" Export \"big\" \"big.stl\""));
  ON_Mesh mesh;
  std::string error;
  ASSERT_TRUE(kyrel::app::ReadMeshFile(temp.path + "/big.stl", mesh, error)) << error;
  EXPECT_NEAR(std::fabs(test_meshes::Volume(mesh)), 8.0, 1e-3);
  int before = Doc().ObjectCount();
  ASSERT_TRUE(Run(L"Import \"" + std::wstring(temp.path.begin(), temp.path.end()) + L"/big.stl\""));
  EXPECT_EQ(Doc().ObjectCount(), before + 1);
}

TEST_F(MeshFiles, BadFilesAndFormatsAreRefused) {
  std::ofstream(temp.path + "/junk.stl") << "solid junk\nthis is not a facet\n";
  ON_Mesh mesh;
  std::string error;
  EXPECT_FALSE(kyrel::app::ReadMeshFile(temp.path + "/junk.stl", mesh, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(kyrel::app::ReadMeshFile(temp.path + "/none.obj", mesh, error));
  std::vector<const ON_Mesh*> nothing;
  EXPECT_FALSE(kyrel::app::WriteMeshFile(temp.path + "/x.obj", nothing, {}, error));
  EXPECT_FALSE(kyrel::app::IsWritableMeshFormat("x.docx"));
  int before = Doc().ObjectCount();
  EXPECT_FALSE(Run(L"Import \"/nonexistent/file.obj\""));
  EXPECT_EQ(Doc().ObjectCount(), before);
}

// 3MF is turned away on both sides with the same reason, before assimp
// sees the file, and nothing is written or added.
TEST_F(MeshFiles, ThreeMfIsRefusedWithAReason) {
  const std::string reason = "3MF files are not supported";
  EXPECT_NE(kyrel::app::RefusedMeshFormatReason("model.3MF").find(reason), std::string::npos);
  EXPECT_TRUE(kyrel::app::RefusedMeshFormatReason("model.stl").empty());
  EXPECT_FALSE(kyrel::app::IsWritableMeshFormat("model.3mf"));

  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"box\""));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Run(L"Export \"box\" \"box.3mf\""));
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(reason), std::string::npos) << said;
  EXPECT_FALSE(std::filesystem::exists(temp.path + "/box.3mf"));

  // A file that is there and is a zip archive still gets the reason, not a parse error.
  std::ofstream(temp.path + "/given.3mf") << "PK\x03\x04 not really a package";
  int before = Doc().ObjectCount();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(
      Run(L"Import \"" + std::wstring(temp.path.begin(), temp.path.end()) + L"/given.3mf\""));
  said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(reason), std::string::npos) << said;
  EXPECT_EQ(Doc().ObjectCount(), before);
}

} // namespace
