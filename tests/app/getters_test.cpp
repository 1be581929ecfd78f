// Getters driven by macros, in-process: option lists, toggles bound to a
// bool, plain options, object filters and preselection, points, and how a
// used-up or wrong script ends a prompt.
#include <gtest/gtest.h>

#include <functional>

#include "app_fixture.h"
#include "ui/rhino_get.h"

namespace {

class LambdaCommand : public CRhinoCommand {
public:
  LambdaCommand(const wchar_t* name, std::function<result()> body)
      : m_name(name), m_body(std::move(body)) {}
  ON_UUID CommandUUID() override { return m_id; }
  const wchar_t* EnglishName() override { return m_name; }
  const wchar_t* LocalCommandName() override { return m_name; }
  result RunCommand(const CRhinoCommandContext&) override { return m_body(); }

private:
  const wchar_t* m_name;
  std::function<result()> m_body;
  ON_UUID m_id = ON_CreateId();
};

class Getters : public HostTest {};

TEST_F(Getters, ListOptionTakesAValueByNameAndShowsTheCurrentOne) {
  static const CRhinoCommandOptionValue values[] = {L"None", L"Intersection", L"Difference"};
  int chosen = -2;
  std::wstring prompt;
  LambdaCommand cmd(L"TestList", [&] {
    CRhinoGetOption go;
    go.AcceptNothing(true);
    go.SetCommandPrompt(L"Cutting object mode");
    go.AddCommandOptionList(L"Mode", 3, values, 0);
    prompt = go.PromptLine();
    if (go.GetOption() == CRhinoGet::option && go.Option())
      chosen = go.Option()->m_list_option_current;
    return go.CommandResult();
  });
  EXPECT_TRUE(Run(L"TestList _Mode _difference"));
  EXPECT_EQ(chosen, 2);
  EXPECT_EQ(prompt, L"Cutting object mode ( Mode=None ):");
  chosen = -2;
  EXPECT_TRUE(Run(L"testlist mode=Intersection"));
  EXPECT_EQ(chosen, 1);
  chosen = -2;
  EXPECT_TRUE(Run(L"TestList _Enter"));
  EXPECT_EQ(chosen, -2);
}

TEST_F(Getters, ToggleFlipsTheBoundBoolBeforeReturning) {
  bool flag = false;
  std::vector<bool> seen;
  LambdaCommand cmd(L"TestToggle", [&] {
    for (;;) {
      CRhinoGetOption go;
      go.AcceptNothing(true);
      go.SetCommandPrompt(L"Mirror Plane");
      int t = go.AddCommandOptionToggle(L"Enabled", L"Off", L"On", flag, &flag);
      go.AddCommandOption(L"Position");
      if (go.GetOption() != CRhinoGet::option) return go.CommandResult();
      if (go.Option()->m_option_index == t) seen.push_back(flag);
    }
  });
  EXPECT_TRUE(Run(L"! _TestToggle _Enabled _Enabled _Enabled _Enter"));
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(flag);
}

TEST_F(Getters, UsedUpScriptIsEscapeAndWrongInputCancelsWithoutEatingTheRest) {
  CRhinoGet::result result = CRhinoGet::no_result;
  CRhinoCommand::result command_result = CRhinoCommand::success;
  LambdaCommand cmd(L"TestEnd", [&] {
    CRhinoGetOption go;
    go.SetCommandPrompt(L"Something");
    go.AddCommandOption(L"Position");
    result = go.GetOption();
    command_result = go.CommandResult();
    return command_result;
  });
  EXPECT_TRUE(Run(L"TestEnd"));
  EXPECT_EQ(result, CRhinoGet::cancel);
  EXPECT_EQ(command_result, CRhinoCommand::cancel);
  // A wrong answer is reported; the command ends and the next command runs.
  EXPECT_FALSE(Run(L"TestEnd Bogus Box 0,0,0 1,1,1 \"after\""));
  EXPECT_EQ(result, CRhinoGet::cancel);
  EXPECT_NE(Named(L"after"), nullptr);
  // Enter where nothing is accepted is a cancel too.
  EXPECT_TRUE(Run(L"TestEnd _Enter"));
  EXPECT_EQ(result, CRhinoGet::cancel);
}

TEST_F(Getters, ObjectFiltersAdmitOnlyClosedSolidsAndMeshes) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"box\" PlaneSrf 0,0,0 1,1 \"plane\" Sphere 5,5,5 1 \"ball\""));
  std::vector<std::wstring> names;
  LambdaCommand cmd(L"TestPick", [&] {
    CRhinoGetObject go;
    go.SetCommandPrompt(L"Select cutting objects");
    go.SetGeometryFilter(0x200028);
    go.SetGeometryAttributeFilter(0xA0200);
    names.clear();
    if (go.GetObjects(1, 0) != CRhinoGet::object) return go.CommandResult();
    for (int i = 0; i < go.ObjectCount(); ++i)
      names.push_back(go.Object(i).Object()->Attributes().m_name.Array());
    EXPECT_EQ(go.Object(go.ObjectCount()).Object(), nullptr); // out of range: empty reference
    return CRhinoCommand::success;
  });
  // _Pause takes the selection; the open plane is filtered out.
  ASSERT_TRUE(Run(L"SelAll TestPick _Pause"));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"box", L"ball"}));
  // Preselected objects are taken at once; the _Pause of the macro is used up.
  ASSERT_TRUE(Run(L"SelNone SelName \"ball\" TestPick _Pause"));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"ball"}));
  // Named objects, one token each; a name the filter refuses is wrong input.
  ASSERT_TRUE(Run(L"SelNone TestPick \"box\""));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"box"}));
  ASSERT_TRUE(Run(L"TestPick \"ball\" \"box\""));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"ball", L"box"}));
  EXPECT_FALSE(Run(L"TestPick \"plane\""));
  EXPECT_TRUE(names.empty());
  // Nothing selected: _Pause in a script cancels.
  EXPECT_FALSE(Run(L"SelNone TestPick _Pause"));
  EXPECT_TRUE(names.empty());
}

TEST_F(Getters, PointsFromTokensAndTheRubberBandBase) {
  ON_3dPoint position(1, 0, 0);
  ON_3dVector direction(0, 0, 0);
  CRhinoCommand::result first = CRhinoCommand::failure;
  bool rubber = false;
  LambdaCommand cmd(L"TestPoints", [&] {
    first = RhinoGetPoint(L"Positition", false, position);
    CRhinoGetPoint gp;
    gp.DrawLineFromPoint(position, false);
    rubber = gp.IsDrawingLineFromPoint() && gp.LineBase() == position;
    if (gp.GetPoint() == CRhinoGet::point) direction = gp.Point() - position;
    return CRhinoCommand::success;
  });
  ASSERT_TRUE(Run(L"TestPoints 1,0,0 3,0,0"));
  EXPECT_EQ(first, CRhinoCommand::success);
  EXPECT_TRUE(rubber);
  EXPECT_DOUBLE_EQ(direction.x, 2.0);
  position = ON_3dPoint(7, 7, 7);
  ASSERT_TRUE(Run(L"TestPoints !"));
  EXPECT_EQ(first, CRhinoCommand::cancel);
  EXPECT_DOUBLE_EQ(position.x, 7.0); // unchanged unless the answer was a point
}

TEST_F(Getters, UndoRecordOnlyForCommandsThatKeepUndo) {
  ASSERT_TRUE(Run(L"Box 0,0,0 1,1,1 \"one\""));
  int records = Doc().UndoRecordCount();
  LambdaCommand no_undo(L"TestNoUndo", [&] {
    Doc().AddBrepObject(*std::unique_ptr<ON_Brep>(ON_Brep::CreateSphere(ON_3dPoint(9, 9, 9), 1)));
    return CRhinoCommand::success;
  });
  no_undo.EnableUndo(false);
  ASSERT_TRUE(Run(L"TestNoUndo"));
  EXPECT_EQ(Doc().UndoRecordCount(), records);
  ASSERT_TRUE(Run(L"Undo"));
  EXPECT_EQ(Named(L"one"), nullptr);
  ASSERT_TRUE(Run(L"Redo"));
  EXPECT_NE(Named(L"one"), nullptr);
}

TEST_F(Getters, CommandNamesMatchWithoutRegardToCaseAndUnknownOnesAreErrors) {
  EXPECT_TRUE(Run(L"_box 0,0,0 2,2,2 \"lower\""));
  EXPECT_NE(Named(L"lower"), nullptr);
  EXPECT_FALSE(Run(L"NoSuchCommand"));
  EXPECT_FALSE(Run(L"3.5"));
}

} // namespace
