// Objects whose meshes have modelling flaws, through the section builder:
// each is cut as well as it can be (never kept or dropped whole on the word
// of one vertex), the cut measured against the same object made without the
// flaw, and what could not be cut as it should is said once on the command
// line.

#include "section/section_builder.h"
#include "support/test_meshes.h"
#include "ui/rhino_command_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace test_meshes;

// Keeps what the builder says on the command line.
class CommandLine : public CRhinoCommandInput {
public:
  bool NextToken(const std::wstring&, CRhinoMacroToken&) override { return false; }
  bool PeekToken(CRhinoMacroToken&) override { return false; }
  void PushFront(const CRhinoMacroToken&) override {}
  void Print(const std::wstring& line) override { lines.push_back(line); }
  void Error(const std::wstring& line) override { lines.push_back(line); }
  bool IsInteractive() const override { return false; }
  std::vector<std::wstring> lines;
};

class FlawedObjects : public ::testing::Test {
protected:
  void SetUp() override {
    doc_ = RhinoApp().NewDocument();
    view_ = RhinoApp().CreateView(doc_, 64, 48);
    previous_ = SetRhinoCommandInput(&command_line_);
  }
  void TearDown() override {
    SetRhinoCommandInput(previous_);
    Clear(intersection_);
    Clear(difference_);
    RhinoApp().DestroyView(view_);
    RhinoApp().CloseDocument(doc_);
  }
  static void Clear(ON_SimpleArray<ON_Mesh*>& cutters) {
    for (int i = 0; i < cutters.Count(); ++i)
      delete cutters[i];
    cutters.Empty();
  }

  const CRhinoObject* Add(const ON_Mesh& mesh, const wchar_t* name) {
    ON_3dmObjectAttributes attributes;
    attributes.m_name = name;
    auto* object = new CRhinoMeshObject(attributes);
    object->SetMesh(WithFaceNormals(mesh));
    EXPECT_TRUE(doc_->AddObject(object));
    return object;
  }

  // One fresh build; the entries' meshes in one list.
  const ON_ClassArray<DS_MeshCache>& Build(const CRhinoObject& object) {
    entries_.Empty();
    BuildSectionCache(entries_, *view_->DisplayPipeline(), object, ON::render_mesh, intersection_,
                      difference_);
    return entries_;
  }
  double BuiltVolume() const { return Sum(Volume); }
  double BuiltArea() const { return Sum(Area); }
  template <typename Measure> double Sum(Measure measure) const {
    double sum = 0.0;
    for (int k = 0; k < entries_.Count(); ++k)
      for (int i = 0; i < entries_[k].m_meshes.Count(); ++i)
        sum += measure(*entries_[k].m_meshes[i]);
    return sum;
  }

  CRhinoDoc* doc_ = nullptr;
  CRhinoView* view_ = nullptr;
  CommandLine command_line_;
  CRhinoCommandInput* previous_ = nullptr;
  ON_ClassArray<DS_MeshCache> entries_;
  ON_SimpleArray<ON_Mesh*> intersection_;
  ON_SimpleArray<ON_Mesh*> difference_;
};

// Crosses the side x = 0 of the unit box only.
ON_Mesh* NewBall() {
  return new ON_Mesh(WithFaceNormals(Sphere(ON_3dPoint(0, 0.5, 0.5), 0.3, 16, 32)));
}

TEST_F(FlawedObjects, ACutterOfOverlappingShellsActsAsTheirUnion) {
  auto shells = [] {
    ON_Mesh cutter = Box(0, 0, 0, 2, 2, 2);
    cutter.Append(Box(1, 1, 1, 3, 3, 3));
    return new ON_Mesh(WithFaceNormals(cutter));
  };
  // A bar through both shells: the union takes [0, 2] of it whole and
  // [2, 3] x [1, 1.5] x [1, 1.5] besides, 2.25 in all of its 5.
  const CRhinoObject* bar = Add(Box(-1, 0.5, 0.5, 4, 1.5, 1.5), L"bar");
  // Where both shells overlap, clear of their surfaces.
  const CRhinoObject* inner = Add(Box(1.4, 1.4, 1.4, 1.6, 1.6, 1.6), L"inner");

  difference_.Append(shells());
  Build(*bar);
  EXPECT_NEAR(BuiltVolume(), 5.0 - 2.25, 1e-6);
  Build(*inner);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_EQ(entries_[0].m_clip_state, -1);
  EXPECT_EQ(entries_[0].m_meshes.Count(), 0);

  Clear(difference_);
  intersection_.Append(shells());
  Build(*bar);
  EXPECT_NEAR(BuiltVolume(), 2.25, 1e-6);
  Build(*inner);
  EXPECT_EQ(entries_[0].m_clip_state, 1);
  EXPECT_NEAR(BuiltVolume(), 0.2 * 0.2 * 0.2, 1e-6);
  EXPECT_TRUE(command_line_.lines.empty());
}

TEST_F(FlawedObjects, WhatTheCappedCutRefusesIsSplitAndSaidOnce) {
  // Two unit cells side by side with one wall between them: every edge of
  // the wall has three faces. The mesh counts as closed, but no closed
  // manifold solid can be made of it.
  ON_Mesh walled = Joined(Box(0, 0, 0, 1, 1, 1), Box(1, 0, 0, 2, 1, 1));
  walled.m_F.Remove(5); // the first cell's side on the wall
  walled.DestroyRuntimeCache();
  ASSERT_EQ(walled.FaceCount(), 11);
  ASSERT_TRUE(walled.IsClosed());
  const ON_Mesh clean_box = Box(0, 0, 0, 2, 1, 1);
  const CRhinoObject* object = Add(walled, L"walled");
  const CRhinoObject* clean = Add(clean_box, L"clean");

  difference_.Append(NewBall());
  Build(*object);
  ASSERT_EQ(entries_.Count(), 1);
  EXPECT_EQ(entries_[0].m_clip_state, 0);
  // The clean box's surface outside the ball, as a surface split leaves it,
  // and the wall.
  ON_Mesh outside, inside;
  TL_MeshBoolean split(&clean_box, difference_[0]);
  ASSERT_TRUE(split.GetMeshASplit(outside, inside));
  EXPECT_NEAR(BuiltArea(), Area(outside) + 1.0, 1e-6);
  ASSERT_EQ(command_line_.lines.size(), 1u);
  EXPECT_EQ(command_line_.lines[0],
            L"Object \"walled\" is cut without caps (its mesh is not a closed, manifold solid).");
  Build(*object);
  EXPECT_EQ(command_line_.lines.size(), 1u); // said once, not at every build
  Build(*clean);
  EXPECT_EQ(command_line_.lines.size(), 1u);
}

TEST_F(FlawedObjects, WhatNoCutterCanDecideIsDrawnUncutAndSaidOnce) {
  // A cutter whose shell passes through itself where it meets the box: no
  // cut of any kind, and no point can say whether the box is in or out.
  ON_Mesh twisted = Box(-1, 0.2, 0.2, 0.5, 0.8, 0.8);
  const ON_3dPoint corner1 = twisted.Vertex(1), corner3 = twisted.Vertex(3);
  twisted.m_V[1] = ON_3fPoint(corner3);
  twisted.m_V[3] = ON_3fPoint(corner1);
  difference_.Append(new ON_Mesh(WithFaceNormals(twisted)));
  const CRhinoObject* box = Add(Box(0, 0, 0, 1, 1, 1), L"box");
  Build(*box);
  ASSERT_EQ(entries_.Count(), 1);
  ASSERT_EQ(entries_[0].m_meshes.Count(), 1);
  EXPECT_NEAR(BuiltVolume(), 1.0, 1e-9);
  ASSERT_EQ(command_line_.lines.size(), 1u);
  EXPECT_EQ(command_line_.lines[0], L"Object \"box\" could not be cut (a mesh intersects itself "
                                    L"where the cut runs, and no refined copy of it could be "
                                    L"cut); it is drawn uncut.");
  Build(*box);
  EXPECT_EQ(command_line_.lines.size(), 1u);
}

} // namespace
