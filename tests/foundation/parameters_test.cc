// Tests of DLParameters, DLSettings and DLReporter: defaults, validating setters, equality, the
// shared reporter across copies, reporter keys and the dumps.
#include "ruleweave/foundation/parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/settings.h"

namespace {

class NullListener : public ProgressListener {
 public:
  bool OnProgress(ProgressReport*) override { return true; }
};

class NeverCancel : public QXQueryCancel {
 public:
  bool IsCancelled() override { return false; }
};

TEST(DLParameters, Defaults) {
  DLParameters p;
  EXPECT_EQ(p.GetListDepth(), 1);
  EXPECT_EQ(p.GetListWidth(), 5);
  EXPECT_EQ(p.GetRuleDepth(), 1);
  EXPECT_EQ(p.GetRuleWidth(), 5);
  EXPECT_TRUE(p.IsMissingAllowed());
  EXPECT_EQ(p.GetNumOfBins(), 100);
  EXPECT_EQ(p.GetConfLevel(), 0.95);
  EXPECT_EQ(p.GetMinGroupSize(), 1);
  EXPECT_EQ(p.GetSegmentGrowthFactor(), 2.0);
  EXPECT_EQ(p.GetGroupDecay(), 0);
  EXPECT_TRUE(p.IsAttributeReusable());
  EXPECT_TRUE(p.IsFinalResultsOnly());
  EXPECT_EQ(p.GetSearchDirection(), DLConst::Up);
  EXPECT_EQ(p.GetBinningType(), DLConst::EqualWidth);
  EXPECT_EQ(p.GetProgressListener(), nullptr);
  EXPECT_EQ(p.GetNumOfSkippedReports(), 0);
  EXPECT_EQ(p.GetCancelPointer(), nullptr);
  EXPECT_EQ(p.GetReporter(), nullptr);
  EXPECT_EQ(p.GetNumThreads(), 1);
}

TEST(DLParameters, ValidatingSettersRefuseAndKeepTheField) {
  DLParameters p;
  EXPECT_FALSE(p.SetListWidth(0));
  EXPECT_FALSE(p.SetListDepth(-1));
  EXPECT_FALSE(p.SetRuleWidth(0));
  EXPECT_FALSE(p.SetRuleDepth(0));
  EXPECT_EQ(p.GetListWidth(), 5);
  EXPECT_EQ(p.GetListDepth(), 1);
  EXPECT_TRUE(p.SetListWidth(1));
  EXPECT_TRUE(p.SetListDepth(3));
  EXPECT_TRUE(p.SetRuleWidth(7));
  EXPECT_TRUE(p.SetRuleDepth(2));
  EXPECT_EQ(p.GetListWidth(), 1);
  EXPECT_EQ(p.GetListDepth(), 3);
  EXPECT_EQ(p.GetRuleWidth(), 7);
  EXPECT_EQ(p.GetRuleDepth(), 2);

  EXPECT_FALSE(p.SetNumOfBins(0));
  EXPECT_TRUE(p.SetNumOfBins(7));
  EXPECT_EQ(p.GetNumOfBins(), 7);
  EXPECT_TRUE(p.SetNumOfBins(1));
  EXPECT_EQ(p.GetNumOfBins(), 100);

  EXPECT_FALSE(p.SetSegmentGrowthFactor(1.0));
  EXPECT_FALSE(p.SetSegmentGrowthFactor(std::nan("")));
  EXPECT_TRUE(p.SetSegmentGrowthFactor(1.000001));
  EXPECT_EQ(p.GetSegmentGrowthFactor(), 1.000001);

  EXPECT_FALSE(p.SetNumOfSkippedReports(-1));
  EXPECT_TRUE(p.SetNumOfSkippedReports(0));
  EXPECT_TRUE(p.SetNumOfSkippedReports(4));
  EXPECT_EQ(p.GetNumOfSkippedReports(), 4);

  EXPECT_FALSE(p.SetNumThreads(-1));
  EXPECT_EQ(p.GetNumThreads(), 1);
  EXPECT_TRUE(p.SetNumThreads(0));  // one per core
  EXPECT_EQ(p.GetNumThreads(), 0);

  p.SetGroupDecay(-3);  // stored without a check
  EXPECT_EQ(p.GetGroupDecay(), -3);
  p.SetMinGroupSize(-2);
  EXPECT_EQ(p.GetMinGroupSize(), -2);
}

TEST(DLParameters, ConfidenceLevelLiesStrictlyBetweenZeroAndOneWithAUsableQuantile) {
  DLParameters p;
  EXPECT_FALSE(p.SetConfLevel(0.0));
  EXPECT_FALSE(p.SetConfLevel(1.0));
  EXPECT_FALSE(p.SetConfLevel(-0.5));
  EXPECT_FALSE(p.SetConfLevel(std::nan("")));
  // The largest double below 1: 1 - (1 - c) / 2 rounds to exactly 1, so no bound exists.
  const double justBelowOne = std::nextafter(1.0, 0.0);
  EXPECT_FALSE(p.SetConfLevel(justBelowOne));
  EXPECT_EQ(p.GetConfLevel(), 0.95);
  // Two steps further down the quantile is still below 1.
  const double usable = 1.0 - 4 * std::numeric_limits<double>::epsilon() / 2;
  EXPECT_LT(1.0 - (1.0 - usable) / 2.0, 1.0);
  EXPECT_TRUE(p.SetConfLevel(usable));
  EXPECT_TRUE(p.SetConfLevel(0.5));
  EXPECT_EQ(p.GetConfLevel(), 0.5);
}

TEST(DLParameters, EqualityComparesNineFieldsOnly) {
  DLParameters a, b;
  EXPECT_TRUE(a == b);
  b.SetSearchDirection(DLConst::Down);
  b.SetGroupDecay(4);
  b.SetAttributeReusable(false);
  b.SetFinalResultsOnly(false);
  b.SetBinningType(DLConst::EqualFrequency);
  NullListener listener;
  NeverCancel cancel;
  b.SetProgressListener(&listener);
  b.SetCancelPointer(&cancel);
  b.SetNumOfSkippedReports(9);
  b.SetNumThreads(7);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);

  auto differs = [&](auto change) {
    DLParameters c;
    change(c);
    return c != a;
  };
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetListDepth(2); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetListWidth(2); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetRuleDepth(2); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetRuleWidth(2); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.AllowMissing(false); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetNumOfBins(20); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetSegmentGrowthFactor(3.0); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetConfLevel(0.9); }));
  EXPECT_TRUE(differs([](DLParameters& c) { c.SetMinGroupSize(5); }));
}

TEST(DLParameters, ListenerAndReporterComeTogether) {
  DLParameters p;
  p.SetProgressListener(nullptr);
  EXPECT_EQ(p.GetReporter(), nullptr);
  NullListener first, second;
  p.SetProgressListener(&first);
  DLReporter* reporter = p.GetReporter();
  ASSERT_NE(reporter, nullptr);
  EXPECT_EQ(reporter->DiscreteMeasure("cases"), -1);
  EXPECT_EQ(reporter->DiscreteMeasure("candidates"), -1);
  EXPECT_EQ(reporter->DiscreteMeasure("rules"), -1);
  EXPECT_EQ(reporter->ScaleMeasure("elapsedTime"), 0.0);
  p.SetProgressListener(&first);
  EXPECT_EQ(p.GetReporter(), reporter) << "the same listener keeps the reporter";
  p.SetProgressListener(&second);
  EXPECT_NE(p.GetReporter(), nullptr);
  EXPECT_EQ(p.GetProgressListener(), &second);
  p.SetProgressListener(nullptr);
  EXPECT_EQ(p.GetReporter(), nullptr);
}

// Copies share the reporter; no copy can free a reporter another still holds (ASan checks the
// uses below).
TEST(DLParameters, CopiesShareTheReporterSafely) {
  NullListener listener, other;
  auto original = std::make_unique<DLParameters>();
  original->SetProgressListener(&listener);
  DLReporter* shared = original->GetReporter();

  DLParameters copy(*original);
  EXPECT_EQ(copy.GetReporter(), shared);
  DLParameters assigned;
  assigned = *original;
  EXPECT_EQ(assigned.GetReporter(), shared);

  original->SetProgressListener(&other);  // lets go of the shared reporter
  EXPECT_NE(original->GetReporter(), shared);
  copy.GetReporter()->SetValues("cases", 3, 10.0);
  EXPECT_EQ(assigned.GetReporter()->DiscreteMeasure("cases"), 3);

  original.reset();
  copy.SetProgressListener(nullptr);
  EXPECT_EQ(assigned.GetReporter()->DiscreteMeasure("cases"), 3);

  assigned = copy;  // drops the last holder of the shared reporter
  EXPECT_EQ(assigned.GetReporter(), nullptr);
  const DLParameters& self = assigned;
  assigned = self;
  EXPECT_EQ(assigned.GetProgressListener(), nullptr);
}

TEST(DLParameters, DisplayListsTheComparedFieldsAndFlags) {
  DLParameters p;
  p.AllowMissing(false);
  p.SetFinalResultsOnly(false);
  std::ostringstream os;
  p.Display(os);
  EXPECT_EQ(os.str(),
            "DLParameters: \nList Width:\t5\nList Depth:\t1\nRule Width:\t5\nRule Depth:\t1\n"
            "fMissingAllowed:\t no\nNum of bins:\t100\nfSegmentGrowthFactor:\t2\n"
            "Group Size Decay:\t0\nConfidence Level:\t0.95\nMinimal Group Size:\t1\n"
            "fAttributeReusable:\tyes\nfFinalResultsOnly:\tno\n\n");
}

TEST(DLSettings, DefaultsSettersAndDisplay) {
  DLSettings s;
  EXPECT_EQ(s.GetProgressListener(), nullptr);
  EXPECT_EQ(s.GetNumOfSkippedReports(), 0);
  EXPECT_EQ(s.GetCancelPointer(), nullptr);
  EXPECT_FALSE(s.IsUsingLargeCategory());
  EXPECT_FALSE(s.SetNumOfSkippedReports(-1));
  EXPECT_TRUE(s.SetNumOfSkippedReports(2));
  NullListener listener;
  NeverCancel cancel;
  s.SetProgressListener(&listener);
  s.SetCancelPointer(&cancel);
  s.UseLargeCategory(true);
  DLSettings copy;
  copy = s;
  EXPECT_EQ(copy.GetProgressListener(), &listener);
  EXPECT_EQ(copy.GetCancelPointer(), &cancel);
  EXPECT_EQ(copy.GetNumOfSkippedReports(), 2);
  EXPECT_TRUE(copy.IsUsingLargeCategory());

  std::ostringstream address;
  address << static_cast<const void*>(&listener);
  std::ostringstream os;
  s.Display(os);
  EXPECT_EQ(os.str(),
            "\nStart of DLSettings display\nProgress listener address = " + address.str() +
                "\nNum of progress reports to skip = 2\nEnd of DLSettings display\n");
}

TEST(DLReporter, CountersAndKeys) {
  DLReporter r;
  r.SetStartTime(1000.0);
  r.SetValues("cases", 5, 1500.0);
  r.SetValues("cases", 7, 2000.0);
  EXPECT_EQ(r.DiscreteMeasure("cases"), 7) << "replaced";
  r.SetValues("candidates", 1, 2100.0);
  r.SetValues("candidates", 1, 2200.0);
  r.SetValues("rules", 4, 2300.0);
  EXPECT_EQ(r.DiscreteMeasure("candidates"), 2) << "accumulated from -1";
  EXPECT_EQ(r.DiscreteMeasure("rules"), 4);
  r.SetValues("other", 99, 3500.0);
  EXPECT_EQ(r.ScaleMeasure("elapsedTime"), 2.5) << "every key sets the current time";
  EXPECT_EQ(r.DiscreteMeasure("Cases"), -1);
  EXPECT_EQ(r.DiscreteMeasure("other"), -1);
  EXPECT_EQ(r.ScaleMeasure("elapsedtime"), QXMV::Missing());
  EXPECT_EQ(r.ScaleMeasure("cases"), QXMV::Missing());

  DLReporter copy(r);
  EXPECT_EQ(copy.DiscreteMeasure("rules"), 4);
  EXPECT_EQ(copy.ScaleMeasure("elapsedTime"), 2.5);

  r.Reset();
  EXPECT_EQ(r.DiscreteMeasure("cases"), -1);
  EXPECT_EQ(r.DiscreteMeasure("candidates"), -1);
  EXPECT_EQ(r.ScaleMeasure("elapsedTime"), 0.0);
  ProgressReport& report = copy;
  EXPECT_EQ(report.DiscreteMeasure("candidates"), 2);
}

}  // namespace
