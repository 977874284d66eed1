// Tests of the binning and rounding encoders.
#include "ruleweave/variables/binning_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"

namespace {

constexpr double kMax = std::numeric_limits<double>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string ConstructorMessage(const std::string& condition) {
  return "CANNOT CREATE OBJECT of DLBinningEncoder:\nPre-condition is not satisfied: ( " +
         condition + " )";
}

TEST(DLBinningEncoder, BinsAreClosedOnTheRight) {
  DLBinningEncoder e(std::vector<double>{10.0, 20.0, 30.0});
  EXPECT_EQ(e.Encode(-1e300), 0);
  EXPECT_EQ(e.Encode(10.0), 0);
  EXPECT_EQ(e.Encode(10.5), 1);
  EXPECT_EQ(e.Encode(20.0), 1);
  EXPECT_EQ(e.Encode(20.000001), 2);
  EXPECT_EQ(e.Encode(30.0), 2);
  EXPECT_EQ(e.Encode(31.0), 3);
  EXPECT_EQ(e.Encode(std::numeric_limits<double>::infinity()), 3);
  EXPECT_EQ(e.GetNumOfCategories(), 4);
}

TEST(DLBinningEncoder, MissingNaNAndUserMissingHaveNoBin) {
  DLBinningEncoder e(std::vector<double>{10.0, 20.0, 30.0});
  EXPECT_EQ(e.Encode(QXMV::Missing()), -1);
  EXPECT_EQ(e.Encode(kNaN), -1);
  DLNumericUserMissing um;
  um.AddValue(15.0);
  um.SetInterval(DLNumericInterval(100.0, false));
  ASSERT_TRUE(e.SetUserMissingInfo(&um));
  EXPECT_EQ(e.GetUserMissingInfo(), &um);  // a reference, not a copy
  EXPECT_EQ(e.Encode(15.0), -1);
  EXPECT_EQ(e.Encode(150.0), -1);
  EXPECT_EQ(e.Encode(16.0), 1);
  DLStringUserMissing strings;
  EXPECT_FALSE(e.SetUserMissingInfo(&strings));
  EXPECT_EQ(e.GetUserMissingInfo(), &um);
  EXPECT_TRUE(e.SetUserMissingInfo(nullptr));
  EXPECT_EQ(e.Encode(15.0), 1);
}

TEST(DLBinningEncoder, NoCutpointsNoBins) {
  DLBinningEncoder e(0.0, 10.0);
  EXPECT_EQ(e.GetNumOfCategories(), 0);
  EXPECT_EQ(e.Encode(5.0), -1);
  double left = 0.0, right = 0.0;
  e.Decode(0, left, right);
  EXPECT_EQ(left, QXMV::Missing());
  EXPECT_EQ(right, QXMV::Missing());
}

TEST(DLBinningEncoder, DecodeGivesTheBinInterval) {
  DLBinningEncoder e(std::vector<double>{10.0, 20.0, 30.0});
  double left = 0.0, right = 0.0;
  e.Decode(0, left, right);
  EXPECT_EQ(left, -kMax);
  EXPECT_EQ(right, 10.0);
  e.Decode(2, left, right);
  EXPECT_EQ(left, 20.0);
  EXPECT_EQ(right, 30.0);
  e.Decode(3, left, right);
  EXPECT_EQ(left, 30.0);
  EXPECT_EQ(right, kMax);
  e.Decode(4, left, right);
  EXPECT_EQ(left, QXMV::Missing());
  EXPECT_EQ(right, QXMV::Missing());
  e.Decode(-1, left, right);
  EXPECT_EQ(left, QXMV::Missing());
}

TEST(DLBinningEncoder, BinarySearchAgreesWithALinearScan) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> dist(-100.0, 100.0);
  for (int n = 1; n <= 12; ++n) {
    std::vector<double> cuts(n);
    for (double& c : cuts) c = std::round(dist(rng));
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    DLBinningEncoder e(cuts);
    std::vector<double> probes = cuts;
    for (int i = 0; i < 200; ++i) probes.push_back(std::round(dist(rng) * 4.0) / 4.0);
    for (double x : probes) {
      const int expected =
          static_cast<int>(std::lower_bound(cuts.begin(), cuts.end(), x) - cuts.begin());
      ASSERT_EQ(e.Encode(x), expected) << "x = " << x << ", " << cuts.size() << " cutpoints";
    }
  }
}

TEST(DLBinningEncoder, EqualWidthBins) {
  DLBinningEncoder e(0.0, 10.0);
  ASSERT_TRUE(e.SetNumOfBins(4));
  EXPECT_EQ(e.GetBinningCutpoints(), (std::vector<double>{2.5, 5.0, 7.5}));
  EXPECT_FALSE(e.AreCutpointsSetExplicitly());
  EXPECT_FALSE(e.SetNumOfBins(1));
  EXPECT_EQ(e.GetBinningCutpoints().size(), 3u);
  EXPECT_FALSE(e.SetBinningCutpoints({}));
  ASSERT_TRUE(e.SetBinningCutpoints({1.0, 2.0}));
  EXPECT_TRUE(e.AreCutpointsSetExplicitly());
  ASSERT_TRUE(e.SetNumOfBins(2));  // min and max were left as they were
  EXPECT_EQ(e.GetBinningCutpoints(), (std::vector<double>{5.0}));
  EXPECT_TRUE(e.AreCutpointsSetExplicitly());
}

TEST(DLBinningEncoder, ConstructorPreconditions) {
  try {
    DLBinningEncoder e(5.0, 1.0);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& ex) {
    EXPECT_EQ(ex.GetMessage(), ConstructorMessage("min <= max"));
  }
  EXPECT_THROW(DLBinningEncoder(kNaN, 1.0), QXDecision::ConstructorException);
  EXPECT_NO_THROW(DLBinningEncoder(3.0, 3.0));
  try {
    DLBinningEncoder e(std::vector<double>{});
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& ex) {
    EXPECT_EQ(ex.GetMessage(), ConstructorMessage("cutpoints.size() > 0"));
  }
}

TEST(DLBinningEncoder, EqualityLooksAtCutpointsFlagAndSet) {
  DLBinningEncoder a(std::vector<double>{1.0, 2.0});
  DLBinningEncoder b(0.0, 3.0);
  b.SetBinningCutpoints({1.0, 2.0});
  EXPECT_TRUE(a == b);  // min and max differ, but are not compared
  DLBinningEncoder c(0.0, 3.0);
  c.SetNumOfBins(3);
  EXPECT_FALSE(a == c);                // other cutpoints and not explicit
  EXPECT_TRUE(a.IsCompatibleWith(c));  // cutpoints are not compared
  DLNumericUserMissing um;
  um.AddValue(9.0);
  b.SetUserMissingInfo(&um);
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(a.IsCompatibleWith(b));
  DLRoundEncoder round;
  EXPECT_FALSE(a == round);
  EXPECT_FALSE(a.IsCompatibleWith(round));
}

TEST(DLBinningEncoder, NoLabels) {
  DLBinningEncoder e(std::vector<double>{1.0});
  EXPECT_EQ(e.GetValueLabels(), nullptr);
  EXPECT_FALSE(e.SetValueLabels({"a", "b"}));
  EXPECT_FALSE(e.SetValueLabel(0, "a"));
}

TEST(DLBinningEncoder, Display) {
  DLBinningEncoder e(std::vector<double>{0.1, 20.0});
  DLNumericUserMissing um;
  um.AddValue(-9.0, "n/a");
  e.SetUserMissingInfo(&um);
  std::ostringstream os;
  e.Display(os);
  EXPECT_EQ(os.str(),
            "\tDLBinningEncoder: number of bins = 3\n"
            "\t\tCutpoints: 0.1 20 \n"
            "\t\tCutpoints set explicitly? Yes.\n"
            "\t\tUser-missing values for this encoder:\n"
            "\t\tStart of DLNumericUserMissing display\n"
            "Discrete missing values:\n"
            "-9, label = n/a\n"
            "End of DLNumericUserMissing display\n");
}

TEST(DLRoundEncoder, TruncateAndRound) {
  DLRoundEncoder truncate;
  EXPECT_EQ(truncate.Encode(2.9), 2.0);
  EXPECT_EQ(truncate.Encode(0.7), QXMV::Missing());  // 0 is not a usable weight
  EXPECT_EQ(truncate.Encode(-1.0), QXMV::Missing());
  EXPECT_EQ(truncate.Encode(1.0), 1.0);
  DLRoundEncoder round(IDLVar::kRound);
  EXPECT_EQ(round.Encode(0.5), 1.0);
  EXPECT_EQ(round.Encode(2.5), 3.0);
  EXPECT_EQ(round.Encode(0.49), QXMV::Missing());
  EXPECT_EQ(round.Encode(2.4999), 2.0);
}

TEST(DLRoundEncoder, MissingNaNAndUserMissingBecomeMissing) {
  DLRoundEncoder e(IDLVar::kRound);
  EXPECT_EQ(e.Encode(QXMV::Missing()), QXMV::Missing());
  EXPECT_EQ(e.Encode(kNaN), QXMV::Missing());
  DLNumericUserMissing um;
  um.AddValue(99.0);
  ASSERT_TRUE(e.SetUserMissingInfo(&um));
  EXPECT_EQ(e.Encode(99.0), QXMV::Missing());
  EXPECT_EQ(e.Encode(98.6), 99.0);  // only the raw weight is tested against the set
}

TEST(DLRoundEncoder, EqualityAndDisplay) {
  DLRoundEncoder a(IDLVar::kTruncate), b(IDLVar::kTruncate), c(IDLVar::kRound);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_FALSE(a.IsCompatibleWith(c));
  DLNumericUserMissing um;
  b.SetUserMissingInfo(&um);
  EXPECT_FALSE(a == b);
  EXPECT_EQ(a.GetNumOfCategories(), 0);
  EXPECT_EQ(a.GetValueLabels(), nullptr);
  std::ostringstream os;
  a.Display(os);
  c.Display(os);
  EXPECT_EQ(os.str(),
            "\tDLRoundEncoder: option = Truncate to smaller int\n"
            "\tDLRoundEncoder: option = Round to closest int\n");
}

}  // namespace
