// Mesh export and import: every format keeps the faces and the volume of a
// closed box; damaged and hostile files are refused with a reason, and a
// reader that crashes or hangs in its child process cannot take the host
// with it.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app_fixture.h"
#include "child_reader.h"
#include "file_formats.h"
#include "mesh_io.h"
#include "support/test_meshes.h"
#include "win_strings.h"

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
    // Six quads come back as quads where the format has them, else as
    // twelve triangles.
    EXPECT_EQ(mesh.TriangleCount() + 2 * mesh.QuadCount(), 12) << ext;
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

// Files from other tools: comments, quads, larger polygons, per-face
// colours, binary STL that begins with "solid", a big-endian PLY; each
// comes in closed with its whole volume.
TEST_F(MeshFiles, ClosedSolidsFromOtherToolsComeInWhole) {
  const std::string dir = FUZZ_CORPUS "/";
  const std::pair<const char*, double> solids[] = {{"off/cube_comment_quads.off", 1.0},
                                                   {"off/cube_face_colours.off", 1.0},
                                                   {"off/tetra_counts_on_first_line.off", 1.0 / 6},
                                                   {"stl/cube_ascii.stl", 1.0},
                                                   {"stl/cube_binary_says_solid.stl", 1.0},
                                                   {"ply/cube_ascii_colours.ply", 1.0},
                                                   {"ply/cube_binary_le.ply", 1.0},
                                                   {"ply/tetra_binary_be.ply", 1.0 / 6}};
  for (const auto& [file, volume] : solids) {
    ON_Mesh mesh;
    std::string error;
    ASSERT_TRUE(kyrel::app::ReadMeshFile(dir + file, mesh, error)) << file << ": " << error;
    EXPECT_TRUE(mesh.IsClosed()) << file;
    EXPECT_NEAR(std::fabs(test_meshes::Volume(mesh)), volume, 1e-9) << file;
  }
  // OBJ objects become objects of their own, with their names.
  std::vector<ON_Mesh*> parts;
  std::vector<std::wstring> names;
  std::string error;
  ASSERT_TRUE(kyrel::app::ReadMeshFileParts(dir + "obj/two_objects.obj", parts, names, error))
      << error;
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(names[0], L"first");
  EXPECT_EQ(names[1], L"second");
  EXPECT_NEAR(std::fabs(test_meshes::Volume(*parts[0])), 1.0, 1e-9);
  EXPECT_NEAR(std::fabs(test_meshes::Volume(*parts[1])), 1.0 / 6, 1e-9);
  for (ON_Mesh* m : parts)
    delete m;
}

// Each file is refused with a reason and Import adds nothing.
TEST_F(MeshFiles, DamagedAndHostileFilesAreRefused) {
  const std::string cube_v = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n";
  std::string glb = "glTF";
  const std::uint32_t glb_head[] = {2, 28, 0xFFFFFFF0u, 0x4E4F534Au};
  glb.append(reinterpret_cast<const char*>(glb_head), sizeof glb_head);
  glb += "{}      ";
  const std::pair<const char*, std::string> bad[] = {
      {"short.off", "OFF\n4 3 0\n" + cube_v + "3 0 1 2\n"},
      {"huge_header.off", "OFF\n4000000000 4000000000 0\n" + cube_v},
      {"huge_polygon.off", "OFF\n4 1 0\n" + cube_v + "4000000000 0 1 2\n"},
      {"index.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                    "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
                    "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 99\n"},
      {"no_end.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"},
      {"second_vertex.ply",
       "ply\nformat binary_little_endian 1.0\nelement vertex 1\nproperty float x\n"
       "element vertex 4294967295\nproperty float x\nend_header\n0000"},
      {"index.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n"},
      {"truncated.stl",
       std::string(80, 'x') + std::string("\x05\0\0\0", 4) + std::string(60, '\0')},
      {"claims.glb", glb},
      {"folder.obj", ""},
  };
  std::filesystem::create_directory(temp.path + "/folder.obj");
  for (const auto& [name, bytes] : bad) {
    const std::string path = temp.path + "/" + name;
    if (!std::filesystem::is_directory(path)) std::ofstream(path, std::ios::binary) << bytes;
    ON_Mesh mesh;
    std::string error;
    EXPECT_FALSE(kyrel::app::ReadMeshFile(path, mesh, error)) << name;
    EXPECT_NE(error.find(name), std::string::npos) << name << ": " << error;
    const int before = Doc().ObjectCount();
    EXPECT_FALSE(Run(L"Import \"" + kyrel::platform::Utf8ToWide(path) + L"\"")) << name;
    EXPECT_EQ(Doc().ObjectCount(), before) << name;
  }
}

// The child that runs a reader: a crash and an endless loop are reported
// as such, and the host carries on.
TEST(ChildReader, CrashAndHangEndTheChildOnly) {
  kyrel::app::ChildLimits limits;
  limits.seconds = 1;
  std::string out, error;
  EXPECT_TRUE(kyrel::app::RunInChild(
      [](std::string& o) {
        o = "meshes";
        return true;
      },
      limits, out, error));
  EXPECT_EQ(out, "meshes");
  EXPECT_FALSE(kyrel::app::RunInChild(
      [](std::string& o) {
        o = "bad file";
        return false;
      },
      limits, out, error));
  EXPECT_EQ(error, "bad file");
  EXPECT_FALSE(kyrel::app::RunInChild(
      [](std::string&) {
        std::raise(SIGSEGV);
        return true;
      },
      limits, out, error));
  EXPECT_EQ(error, "reader crashed");
  EXPECT_FALSE(kyrel::app::RunInChild(
      [](std::string&) {
        for (;;)
          pause();
        return true;
      },
      limits, out, error));
  EXPECT_NE(error.find("timed out"), std::string::npos) << error;
}

} // namespace
