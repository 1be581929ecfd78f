// End to end: the kyrel executable loads Kyrel.rhp from beside itself and
// runs the example models and macros of the cutting-object command.
#include <gtest/gtest.h>

#include <string>

#include "kyrel_run.h"

namespace {

using kyrel_test::Example;
using kyrel_test::RunResult;

class KyrelPlugInRun : public kyrel_test::KyrelRun {
protected:
  RunResult Kyrel(const std::string& script,
                  const std::string& model = KYREL_EXAMPLES "/cut_box_by_sphere.kyd") {
    return KyrelRun::Kyrel(script, model);
  }
  static bool Has(const RunResult& r, const std::string& text) { return r.Has(text); }
  static std::size_t Count(const RunResult& r, const std::string& text) { return r.Count(text); }
};

TEST_F(KyrelPlugInRun, ExampleMakesTheSphereADifferenceCutter) {
  RunResult r = Kyrel(Example("cut_box_by_sphere.macro") + "kyClippingObject \"Cutter\" _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_FALSE(Has(r, "Note:")) << r.output; // the default plug-in was there
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=None ): _Mode")) << r.output;
  EXPECT_TRUE(Has(r, "Mode <None> ( None  Intersection  Difference ): _Difference")) << r.output;
  // Asked again, the sphere shows the mode it was given.
  EXPECT_TRUE(Has(r, "Select cutting objects: \"Cutter\"")) << r.output;
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=Difference ): _Enter")) << r.output;
  EXPECT_FALSE(Has(r, "Varies")) << r.output;
}

TEST_F(KyrelPlugInRun, ToolbarClearMacroMakesCuttersOrdinaryAgain) {
  RunResult r = Kyrel(Example("cut_box_by_sphere.macro") + Example("clear_cutters.macro") +
                      "kyClippingObject \"Cutter\" _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "Command: _kyClippingobject")) << r.output;
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=None ): _Enter")) << r.output;
}

TEST_F(KyrelPlugInRun, VariesAppearsOnlyForMixedSelections) {
  RunResult r = Kyrel("kyClippingObject \"Box\" _Mode _Intersection\n"
                      "kyClippingObject \"Cutter\" _Mode _Difference\n"
                      "kyClippingObject \"Box\" \"Cutter\" _Mode _Varies\n"
                      "kyClippingObject \"Box\" _Enter\n"
                      "kyClippingObject \"Cutter\" _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r, "Cutting objects mode ( Mode=Varies ): _Mode")) << r.output;
  EXPECT_TRUE(Has(r, "Mode <Varies> ( None  Intersection  Difference  Varies ): _Varies"))
      << r.output;
  // Varies changed nothing: each keeps its own mode.
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=Intersection ): _Enter")) << r.output;
  EXPECT_TRUE(Has(r, "Cutting object mode ( Mode=Difference ): _Enter")) << r.output;
}

TEST_F(KyrelPlugInRun, EnterAtTheModePromptEndsWithSuccess) {
  RunResult r = Kyrel("kyClippingObject \"Box\" _Enter\nkyClippingObject \"Box\" _Enter\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_FALSE(Has(r, "failed")) << r.output;
  EXPECT_EQ(Count(r, "Cutting object mode ( Mode=None ): _Enter"), 2u) << r.output;
}

TEST_F(KyrelPlugInRun, OpenSurfaceIsRefusedByTheClosedFilter) {
  RunResult r = Kyrel("SelName \"Sheet\"\nkyClippingObject _Pause _Mode _Difference\n");
  EXPECT_EQ(r.status, 1) << r.output; // a script that cannot go on is an input error
  EXPECT_TRUE(Has(r, "No selected object fits \"Select cutting objects\"")) << r.output;
  EXPECT_FALSE(Has(r, "Cutting object mode")) << r.output;
}

TEST_F(KyrelPlugInRun, CuttingModesAreNotSavedWithTheModel) {
  RunResult made = Kyrel(Example("cut_box_by_sphere.macro") + "SaveAs \"saved.kyd\"\n");
  ASSERT_EQ(made.status, 0) << made.output;
  RunResult reopened = Kyrel("kyClippingObject \"Cutter\" _Enter\n", dir + "/saved.kyd");
  EXPECT_EQ(reopened.status, 0) << reopened.output;
  EXPECT_TRUE(Has(reopened, "Cutting object mode ( Mode=None ): _Enter")) << reopened.output;
}

} // namespace
