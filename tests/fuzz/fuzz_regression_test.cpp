// The fuzz targets' inputs through the real readers, in the ordinary suite:
// every seed (a real file) is read in full, and every input a fuzzer once
// crashed a reader with is now refused with a reason or read, without harm.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "ifc_mesh.h"
#include "ifc_stream.h"
#include "model_file.h"
#include "rhinoSdk.h"
#include "tl_mesh_io.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const std::string& folder) {
  std::vector<fs::path> files;
  if (fs::is_directory(folder))
    for (const auto& e : fs::directory_iterator(folder))
      if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
  return files;
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// (read, error) for a model file read into a document holding one box.
std::pair<bool, std::string> ReadModel(const fs::path& path, int& objects_after) {
  CRhinoDoc doc;
  std::unique_ptr<ON_Brep> box(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  doc.AddBrepObject(*box);
  std::string error;
  bool ok = kyrel::app::ReadModelFile(path.string(), doc, error);
  objects_after = doc.ObjectCount();
  return {ok, error};
}

const char* const kMeshFormats[] = {"off", "obj", "stl", "ply"};

TEST(FuzzInputs, SeedsAreReadInFull) {
  std::size_t seeds = 0;
  for (const char* format : kMeshFormats)
    for (const fs::path& seed : FilesIn(std::string(FUZZ_DIR) + "/corpus/" + format)) {
      tl::MeshSoup soup;
      std::string error;
      EXPECT_TRUE(tl::ReadMeshSoup(Bytes(seed), format, soup, error)) << seed << ": " << error;
      EXPECT_FALSE(soup.polygons.empty()) << seed;
      ++seeds;
    }
  for (const fs::path& seed : FilesIn(std::string(FUZZ_DIR) + "/corpus/model")) {
    int objects = 0;
    auto [ok, error] = ReadModel(seed, objects);
    EXPECT_TRUE(ok) << seed << ": " << error;
    EXPECT_GT(objects, 1) << seed;
    ++seeds;
  }
  for (const fs::path& seed : FilesIn(std::string(FUZZ_DIR) + "/corpus/ifcstream")) {
    kyrel::app::IfcStream stream;
    std::string error;
    ASSERT_TRUE(kyrel::app::ParseIfcStream(Bytes(seed), stream, error)) << seed << ": " << error;
    ASSERT_FALSE(stream.elements.empty()) << seed;
    ON_Mesh mesh;
    EXPECT_TRUE(kyrel::app::BuildIfcElementMesh(stream.elements[0], mesh, error)) << error;
    EXPECT_TRUE(mesh.IsClosed()) << seed;
    ++seeds;
  }
  EXPECT_GE(seeds, 12u);
}

TEST(FuzzInputs, KeptCrashesAreHandled) {
  for (const char* format : kMeshFormats)
    for (const fs::path& input : FilesIn(std::string(FUZZ_DIR) + "/regressions/" + format)) {
      tl::MeshSoup soup;
      std::string error;
      if (tl::ReadMeshSoup(Bytes(input), format, soup, error)) {
        for (const auto& polygon : soup.polygons)
          for (std::size_t v : polygon)
            ASSERT_LT(v, soup.points.size()) << input;
      } else {
        EXPECT_FALSE(error.empty()) << input;
      }
    }
  for (const fs::path& input : FilesIn(std::string(FUZZ_DIR) + "/regressions/model")) {
    int objects = 0;
    auto [ok, error] = ReadModel(input, objects);
    if (!ok) {
      EXPECT_FALSE(error.empty()) << input;
      EXPECT_EQ(objects, 1) << input; // a refused file adds nothing
    }
  }
  for (const fs::path& input : FilesIn(std::string(FUZZ_DIR) + "/regressions/ifcstream")) {
    kyrel::app::IfcStream stream;
    std::string error;
    if (!kyrel::app::ParseIfcStream(Bytes(input), stream, error)) {
      EXPECT_FALSE(error.empty()) << input;
      continue;
    }
    for (const auto& e : stream.elements) {
      ON_Mesh mesh;
      if (!kyrel::app::BuildIfcElementMesh(e, mesh, error)) {
        EXPECT_FALSE(error.empty()) << input;
      }
    }
  }
}

} // namespace
