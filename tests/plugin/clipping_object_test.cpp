// "kyClippingObject" in a host session: which objects it takes, what it
// asks, and what it writes on them.
#include <string>

#include "plugin_fixture.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class ClippingObject : public PlugInTest {
protected:
  void SetUp() override {
    PlugInTest::SetUp();
    ASSERT_NE(StartWithPlugIn(), nullptr);
    ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"a\" Box 2,0,0 3,1,1 \"b\" PlaneSrf 0,0,5 1,1 \"sheet\""));
  }
  TV_SectionGeometry* Record(const wchar_t* name) {
    CRhinoObject* o = Named(name);
    return o ? TV_SectionGeometry::Cast(o->GetAttributeUserData(TV_SectionGeometry::UUID()))
             : nullptr;
  }
  int Mode(const wchar_t* name) {
    TV_SectionGeometry* r = Record(name);
    return r ? r->m_mode : 0;
  }
  // Runs the command and keeps what it printed.
  CRhinoCommand::result Cut(const std::wstring& answers) {
    CaptureStdout();
    CRhinoCommand::result r = RunCommand(L"kyClippingObject", answers);
    output = GetCapturedStdout();
    return r;
  }
  bool Printed(const std::string& text) const { return output.find(text) != std::string::npos; }
  std::string output;
};

TEST_F(ClippingObject, OneObjectWithoutRecordBecomesAnIntersectionCutter) {
  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Cut(L"\"a\" _Mode _Intersection"), CRhinoCommand::success);
  EXPECT_TRUE(Printed("Select cutting objects: \"a\"")) << output;
  EXPECT_TRUE(Printed("Cutting object mode ( Mode=None ): _Mode")) << output;
  EXPECT_TRUE(Printed("Mode <None> ( None  Intersection  Difference ): _Intersection")) << output;
  EXPECT_FALSE(Printed("Varies")) << output;
  TV_SectionGeometry* record = Record(L"a");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->m_mode, 1);
  EXPECT_EQ(Record(L"b"), nullptr);
  EXPECT_GT(Doc().RedrawCount(), frames); // the display was regenerated
}

TEST_F(ClippingObject, ANewCutterLosesACacheRecordOnItsAttributes) {
  CRhinoObject* a = Named(L"a");
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(a->AttachAttributeUserData(new TV_SectionCache()));
  EXPECT_EQ(Cut(L"\"a\" _Mode _Difference"), CRhinoCommand::success);
  EXPECT_EQ(a->GetAttributeUserData(TV_SectionCache::UUID()), nullptr);
  EXPECT_EQ(Mode(L"a"), 2);
}

TEST_F(ClippingObject, ModeValueCanBeGivenInOneToken) {
  EXPECT_EQ(Cut(L"\"b\" Mode=Difference"), CRhinoCommand::success);
  EXPECT_EQ(Mode(L"b"), 2);
}

TEST_F(ClippingObject, SeveralObjectsShareThePluralPrompt) {
  EXPECT_EQ(Cut(L"\"a\" \"b\" _Mode _Difference"), CRhinoCommand::success);
  EXPECT_TRUE(Printed("Cutting objects mode ( Mode=None ): _Mode")) << output;
  EXPECT_EQ(Mode(L"a"), 2);
  EXPECT_EQ(Mode(L"b"), 2);
}

TEST_F(ClippingObject, CurrentModeIsShownForObjectsThatAgree) {
  ASSERT_EQ(Cut(L"\"a\" \"b\" _Mode _Difference"), CRhinoCommand::success);
  EXPECT_EQ(Cut(L"\"a\" _Enter"), CRhinoCommand::success);
  EXPECT_TRUE(Printed("Cutting object mode ( Mode=Difference ):")) << output;
  EXPECT_EQ(Cut(L"\"a\" \"b\" _Enter"), CRhinoCommand::success);
  EXPECT_TRUE(Printed("Cutting objects mode ( Mode=Difference ):")) << output;
  EXPECT_FALSE(Printed("Varies")) << output;
}

TEST_F(ClippingObject, MixedModesOfferVariesAndNoneClearsThemAll) {
  ASSERT_EQ(Cut(L"\"a\" _Mode _Intersection"), CRhinoCommand::success);
  ASSERT_EQ(Cut(L"\"b\" _Mode _Difference"), CRhinoCommand::success);
  TV_SectionGeometry* a = Record(L"a");
  TV_SectionGeometry* b = Record(L"b");
  ASSERT_TRUE(a && b);
  a->m_bValid = b->m_bValid = true; // as if the service had built them

  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Cut(L"\"a\" \"b\" _Mode _Varies"), CRhinoCommand::success);
  EXPECT_TRUE(Printed("Cutting objects mode ( Mode=Varies ): _Mode")) << output;
  EXPECT_TRUE(Printed("Mode <Varies> ( None  Intersection  Difference  Varies ): _Varies"))
      << output;
  // Varies is the current mode: choosing it touches nothing.
  EXPECT_EQ(Record(L"a"), a);
  EXPECT_EQ(Record(L"b"), b);
  EXPECT_EQ(a->m_mode, 1);
  EXPECT_EQ(b->m_mode, 2);
  EXPECT_TRUE(a->m_bValid && b->m_bValid);
  EXPECT_EQ(Doc().RedrawCount(), frames);

  EXPECT_EQ(Cut(L"\"a\" \"b\" _Mode _None"), CRhinoCommand::success);
  EXPECT_EQ(Record(L"a"), nullptr);
  EXPECT_EQ(Record(L"b"), nullptr);
}

TEST_F(ClippingObject, ChoosingTheCurrentModeAgainChangesNothing) {
  ASSERT_EQ(Cut(L"\"a\" \"b\" _Mode _Difference"), CRhinoCommand::success);
  Record(L"a")->m_bValid = true;
  Record(L"b")->m_bValid = true;
  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Cut(L"\"a\" \"b\" _Mode _Difference"), CRhinoCommand::success);
  EXPECT_TRUE(Record(L"a")->m_bValid);
  EXPECT_TRUE(Record(L"b")->m_bValid);
  EXPECT_EQ(Doc().RedrawCount(), frames); // no regeneration
}

TEST_F(ClippingObject, ChangingTheModeWritesAFreshRecord) {
  ASSERT_EQ(Cut(L"\"a\" _Mode _Intersection"), CRhinoCommand::success);
  TV_SectionGeometry* record = Record(L"a");
  ASSERT_NE(record, nullptr);
  // A cutting mesh that no longer fits the object: it must be dropped (the
  // display service may build the right one at the redraw).
  record->m_bValid = true;
  record->m_mesh.SetVertex(0, ON_3dPoint(7, 8, 9));
  EXPECT_EQ(Cut(L"\"a\" _Mode _Difference"), CRhinoCommand::success);
  record = Record(L"a");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->m_mode, 2);
  bool stale = false;
  for (int i = 0; i < record->m_mesh.VertexCount(); ++i)
    stale = stale || ON_3dPoint(record->m_mesh.m_V[i]) == ON_3dPoint(7, 8, 9);
  EXPECT_FALSE(stale);
}

TEST_F(ClippingObject, AnObjectWithoutRecordJoinsOthersInTheChosenMode) {
  ASSERT_EQ(Cut(L"\"a\" _Mode _Intersection"), CRhinoCommand::success);
  // a (Intersection) and b (none yet): mixed.
  EXPECT_EQ(Cut(L"\"a\" \"b\" _Mode _Intersection"), CRhinoCommand::success);
  EXPECT_TRUE(Printed("Mode=Varies")) << output;
  EXPECT_EQ(Mode(L"a"), 1);
  EXPECT_EQ(Mode(L"b"), 1);
}

TEST_F(ClippingObject, EnterOrEscapeAtTheModePromptEndSuccessfullyWithoutChange) {
  unsigned int frames = Doc().RedrawCount();
  EXPECT_EQ(Cut(L"\"a\" _Enter"), CRhinoCommand::success);
  EXPECT_EQ(Record(L"a"), nullptr);
  EXPECT_EQ(Cut(L"\"a\" !"), CRhinoCommand::success);
  EXPECT_EQ(Record(L"a"), nullptr);
  EXPECT_EQ(Doc().RedrawCount(), frames);
}

TEST_F(ClippingObject, EscapeAtTheObjectPromptCancels) {
  EXPECT_EQ(Cut(L"!"), CRhinoCommand::cancel);
  EXPECT_EQ(Record(L"a"), nullptr);
  EXPECT_FALSE(Printed("mode")) << output;
}

TEST_F(ClippingObject, OpenSurfacesAreNotCuttingObjects) {
  // By name: the getter does not know an open surface as a candidate.
  EXPECT_EQ(Cut(L"\"sheet\" _Mode _Intersection"), CRhinoCommand::cancel);
  EXPECT_EQ(Record(L"sheet"), nullptr);
  // Selected: the selection holds nothing the command may take.
  ASSERT_TRUE(Run(L"SelName \"sheet\""));
  EXPECT_EQ(Cut(L"_Pause _Mode _Intersection"), CRhinoCommand::cancel);
  EXPECT_EQ(Record(L"sheet"), nullptr);
}

TEST_F(ClippingObject, PreselectedObjectsAreTakenAndOpenOnesLeftOut) {
  ASSERT_TRUE(Run(L"SelAll"));
  EXPECT_EQ(Cut(L"_Mode _Difference"), CRhinoCommand::success);
  EXPECT_FALSE(Printed("Select cutting objects")) << output; // nothing was asked
  EXPECT_TRUE(Printed("Cutting objects mode ( Mode=None ): _Mode")) << output;
  EXPECT_EQ(Mode(L"a"), 2);
  EXPECT_EQ(Mode(L"b"), 2);
  EXPECT_EQ(Record(L"sheet"), nullptr);
}

TEST_F(ClippingObject, ToolbarClearMacroClearsTheSelectedCutters) {
  ASSERT_EQ(Cut(L"\"a\" _Mode _Intersection"), CRhinoCommand::success);
  ASSERT_EQ(Cut(L"\"b\" _Mode _Difference"), CRhinoCommand::success);
  EXPECT_TRUE(Run(L"SelAll ! _kyClippingobject _pause _mode _none"));
  EXPECT_EQ(Record(L"a"), nullptr);
  EXPECT_EQ(Record(L"b"), nullptr);
}

TEST_F(ClippingObject, UndoTakesANewCutterBack) {
  ASSERT_TRUE(Run(L"kyClippingObject \"a\" _Mode _Intersection"));
  ASSERT_EQ(Mode(L"a"), 1);
  ASSERT_TRUE(Run(L"Undo"));
  EXPECT_EQ(Record(L"a"), nullptr);
}

TEST_F(ClippingObject, UndoTakesAModeChangeBackAndNothingElse) {
  ASSERT_TRUE(Run(L"kyClippingObject \"a\" _Mode _Difference"));
  ASSERT_TRUE(Run(L"Box 5,0,0 6,1,1 \"c\""));
  ASSERT_TRUE(Run(L"kyClippingObject \"a\" _Mode _Intersection"));
  ASSERT_EQ(Mode(L"a"), 1);
  ASSERT_TRUE(Run(L"Undo"));
  EXPECT_EQ(Mode(L"a"), 2);
  EXPECT_NE(Named(L"c"), nullptr); // the box made before stays
  ASSERT_TRUE(Run(L"Redo"));
  EXPECT_EQ(Mode(L"a"), 1);
}

} // namespace
