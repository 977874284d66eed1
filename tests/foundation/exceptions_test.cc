// Status records and exception messages.
#include <cmath>

#include <gtest/gtest.h>

#include "foundation/status_codes.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/status.h"

using QXDecision::QXStatus;

TEST(QXStatus, SeverityAloneDecidesTheKind) {
  QXStatus ok;
  EXPECT_TRUE(ok.IsOK());
  EXPECT_EQ(ok.GetErrorCode(), 0);

  QXStatus warning(7, true);
  EXPECT_TRUE(warning.IsWarning());
  EXPECT_FALSE(warning.IsOK());
  EXPECT_FALSE(warning.IsError());
  EXPECT_EQ(warning.GetErrorCode(), 7);

  QXStatus error(0, false);
  EXPECT_TRUE(error.IsError());
  EXPECT_FALSE(error.IsOK());
}

TEST(QXStatus, DescribesEveryCodeTheLibraryReturns) {
  EXPECT_STREQ(QXStatus::GetDescription(0), "no error");
  EXPECT_STREQ(QXStatus::GetDescription(1), "cancelled");
  EXPECT_STREQ(QXStatus::GetDescription(110022),
               "loading: a value was refused by its variable, which is now unused (for example "
               "too many categories)");
  EXPECT_STREQ(QXStatus::GetDescription(110030), "PMML import: the document could not be read");
  EXPECT_STREQ(QXStatus::GetDescription(110040),
               "search: a continuous predictor could not be binned");
  EXPECT_STREQ(QXStatus::GetDescription(110034), "unknown status code");
  EXPECT_STREQ(QXStatus::GetDescription(-1), "unknown status code");

  namespace s = ruleweave::status;
  const long named[] = {s::kNoCaseLoaded,       s::kSearchSetupFailed,
                        s::kValueRefused,       s::kNoDataField,
                        s::kNoTextForm,         s::kEmptyMiningSchema,
                        s::kNoResponseValue,    s::kRuleWithoutSegments,
                        s::kUnknownAttribute,   s::kOperatorWithoutForm,
                        s::kUnreadableDocument, s::kNoRuleSet,
                        s::kEmptyRuleSet,       s::kNullRule,
                        s::kUnusablePredicate,  s::kNoValueRange,
                        s::kRangeRefused,       s::kNoValues,
                        s::kUnknownCategory,    s::kBinningFailed};
  for (long code : named) {
    EXPECT_STRNE(QXStatus::GetDescription(code), "unknown status code") << code;
  }
}

TEST(QXStatus, EqualityLooksAtEverySlot) {
  QXStatus a(110022, true), b(110022, true);
  EXPECT_TRUE(a == b);
  b.SetScaleDatum(2, 0.5);
  EXPECT_FALSE(a == b);
  a.SetScaleDatum(2, 0.5);
  EXPECT_TRUE(a == b);
  a.SetDiscreteDatum(1, 4);
  EXPECT_FALSE(a == b);
  EXPECT_EQ(a.GetDiscreteDatum(1), 4);

  QXStatus n1, n2;
  n1.SetScaleDatum(0, std::nan(""));
  n2.SetScaleDatum(0, std::nan(""));
  EXPECT_FALSE(n1 == n2);
  EXPECT_FALSE(QXStatus(1, true) == QXStatus(1, false));
}

TEST(IDLException, MessagesAreAssembledFromTheirParts) {
  EXPECT_EQ(QXDecision::OpenFileException().GetMessage(), "CANNOT OPEN FILE");
  EXPECT_EQ(QXDecision::OpenFileException("", "", 3).GetMessage(), "CANNOT OPEN FILE line:3");
  EXPECT_EQ(QXDecision::IOException("disk full", "a.txt", 12).GetMessage(),
            "IO FAILURE\ndisk full\nfile: a.txt line:12");
  EXPECT_EQ(QXDecision::AssertionException("x", "", 0).GetMessage(), "ASSERTION FAILURE\nx");
  EXPECT_EQ(QXDecision::AssertionException("", "f.cc").GetMessage(),
            "ASSERTION FAILURE\nfile: f.cc");
}

TEST(ConstructorException, NamesClassAndCondition) {
  EXPECT_EQ(QXDecision::ConstructorException().GetMessage(), "CANNOT CREATE OBJECT");
  EXPECT_EQ(QXDecision::ConstructorException("DLSegment").GetMessage(),
            "CANNOT CREATE OBJECT of DLSegment");
  EXPECT_EQ(QXDecision::ConstructorException("DLCatVar", "IsCategorical( mLevel )").GetMessage(),
            "CANNOT CREATE OBJECT of DLCatVar:\n"
            "Pre-condition is not satisfied: ( IsCategorical( mLevel ) )");
}

TEST(IDLException, CopiesCarryTheMessageAndCatchThroughTheRoot) {
  QXDecision::ConstructorException original("DLBitSet", "capacity > 0");
  QXDecision::ConstructorException copy = original;
  EXPECT_EQ(copy.GetMessage(), original.GetMessage());
  try {
    throw copy;
  } catch (const QXDecision::IDLException& e) {
    EXPECT_EQ(e.GetMessage(), original.GetMessage());
  }
}
