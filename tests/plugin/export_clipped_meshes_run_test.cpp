// End to end: "kyExportClippedMeshes" through the real kyrel on the
// extract example. The file holds the same triangles as the meshes
// "kyExtractMesh" adds, the model afterwards holds what it held before
// (also after an Undo), and a cancelled file prompt writes nothing and
// still ends the command well.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "kyrel_run.h"
#include "mesh_io.h"
#include "rhino_split_disjoint_mesh.h"
#include "support/test_meshes.h"

namespace {

using kyrel_test::Example;
using kyrel_test::RunResult;
using test_meshes::Area;

const std::string kModel = KYREL_EXAMPLES "/extract_meshes.kyd";

// One connected piece of the meshes of a file.
struct Piece {
  int triangles = 0;
  double area = 0;
  double volume = 0;
  bool closed = false;
};

// The file's meshes welded and split into connected pieces, ordered by
// size. Files that hold the same triangles give the same pieces, however
// the format groups them.
std::vector<Piece> Pieces(const std::string& path) {
  std::vector<Piece> pieces;
  ON_Mesh all;
  std::string error;
  EXPECT_TRUE(kyrel::app::ReadMeshFile(path, all, error)) << error;
  ON_SimpleArray<ON_Mesh*> parts;
  RhinoSplitDisjointMesh(all, parts, false);
  for (ON_Mesh* m : parts) {
    pieces.push_back(
        {m->TriangleCount() + 2 * m->QuadCount(), Area(*m), m->Volume(), m->IsClosed()});
    delete m;
  }
  std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
    return a.triangles != b.triangles ? a.triangles < b.triangles : a.area < b.area;
  });
  return pieces;
}

void ExpectSamePieces(const std::vector<Piece>& got, const std::vector<Piece>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].triangles, expected[i].triangles);
    EXPECT_EQ(got[i].closed, expected[i].closed);
    // Mesh vertices are single precision; formats keep them to about that.
    EXPECT_NEAR(got[i].area, expected[i].area, 1e-5 * expected[i].area);
    if (expected[i].closed) {
      EXPECT_NEAR(got[i].volume, expected[i].volume, 1e-5 * expected[i].volume);
    }
  }
}

// The listing blocks of a run: the lines of each List, up to its count.
std::vector<std::string> Listings(const std::string& output) {
  std::vector<std::string> blocks;
  std::istringstream lines(output);
  std::string block;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("  type=") != std::string::npos) block += line + "\n";
    if (line.size() > 8 && line.compare(line.size() - 8, 8, "objects.") == 0 &&
        line.find("Opened") == std::string::npos) {
      blocks.push_back(block);
      block.clear();
    }
  }
  return blocks;
}

class ExportClippedMeshesRun : public kyrel_test::KyrelRun {
protected:
  RunResult Run(const std::string& script) { return Kyrel(script, kModel, "--view-size 160x120"); }
  // The export example answering the file prompt with `answer`, with a
  // listing before the export and, after it, an Undo and another listing.
  static std::string ExportScript(const std::string& answer) {
    std::string s = Example("export_clipped_meshes.macro");
    const std::string line = "kyExportClippedMeshes _Pause \"clipped_meshes.obj\"";
    const std::size_t at = s.find("SelAll\n" + line);
    EXPECT_NE(at, std::string::npos);
    s.replace(at, 7 + line.size(), "List\nSelAll\nkyExportClippedMeshes _Pause " + answer);
    return s + "Undo\nList\n";
  }
  // Listings before the export, after it, after Undo: all the same.
  void ExpectModelUnchanged(const RunResult& r) {
    const std::vector<std::string> lists = Listings(r.output);
    ASSERT_EQ(lists.size(), 3u) << r.output;
    EXPECT_FALSE(lists[0].empty());
    EXPECT_EQ(lists[1], lists[0]);
    EXPECT_EQ(lists[2], lists[0]);
    EXPECT_EQ(lists[1].find("selected"), std::string::npos);
  }
};

TEST_F(ExportClippedMeshesRun, FilesHoldWhatExtractAddsAndTheModelStaysAsItWas) {
  // The meshes kyExtractMesh adds for the same cut, written by the host's
  // own export once the sources are hidden.
  std::string extract = Example("extract_meshes.macro");
  const std::string difference = "_Mode _Difference";
  extract.replace(extract.find(difference), difference.size(), "_Mode _Intersection");
  RunResult extracted = Run(extract + "SelAll\nExport _Pause \"extracted.obj\"\n");
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  const std::vector<Piece> expected = Pieces(dir + "/extracted.obj");
  // The inner parts of the ring, of the torus across the cutter, of the
  // bead and of the sheet, and the whole torus inside the cutter.
  ASSERT_EQ(expected.size(), 5u);
  int closed = 0;
  for (const Piece& p : expected)
    closed += p.closed ? 1 : 0;
  EXPECT_EQ(closed, 4);

  for (const char* name : {"clipped.obj", "clipped.stl"}) {
    SCOPED_TRACE(name);
    RunResult r = Run(ExportScript(std::string("\"") + name + "\""));
    EXPECT_EQ(r.status, 0) << r.output;
    ExpectModelUnchanged(r);
    ExpectSamePieces(Pieces(dir + "/" + name), expected);
  }
}

TEST_F(ExportClippedMeshesRun, CancelledFilePromptWritesNothingAndSucceeds) {
  for (const char* answer : {"!", "_Enter"}) {
    SCOPED_TRACE(answer);
    RunResult r = Run(ExportScript(answer));
    EXPECT_EQ(r.status, 0) << r.output;
    ExpectModelUnchanged(r);
    EXPECT_FALSE(std::filesystem::exists(dir + "/clipped_meshes.obj"));
  }
}

} // namespace
