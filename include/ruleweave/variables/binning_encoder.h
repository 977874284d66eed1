// Encoders of numeric values that are not categories: DLBinningEncoder puts a continuous value
// into a bin between cutpoints, DLRoundEncoder turns a raw frequency weight into a whole one.
#ifndef RULEWEAVE_VARIABLES_BINNING_ENCODER_H_
#define RULEWEAVE_VARIABLES_BINNING_ENCODER_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/user_missing.h"
#include "ruleweave/variables/var.h"

// The bins of one continuous variable. With n ascending cutpoints c0 < ... < c(n-1) there are
// n + 1 bins, each closed on the right:
//
//   code   0          1 .. n-1               n
//   bin    x <= c0    c(i-1) < x <= c(i)     x > c(n-1)
//
// so a value exactly on a cutpoint falls into the lower bin. Without cutpoints there are no bins.
// The user-missing set is the owning DLContVar's; the encoder only refers to it.
class DLBinningEncoder : public IDLEncoder {
 public:
  // Empty range (min = +max double, max = -max double), no cutpoints.
  DLBinningEncoder();
  // Throws ConstructorException ("min <= max") unless max >= min (a NaN fails too).
  DLBinningEncoder(double min, double max);
  // Throws ConstructorException ("cutpoints.size() > 0") for no cutpoints. The cutpoints are
  // taken as passed (not sorted) and marked explicit; min and max become the first and last.
  explicit DLBinningEncoder(const std::vector<double>& cutpoints);
  DLBinningEncoder(const DLBinningEncoder& other) = default;
  DLBinningEncoder& operator=(const DLBinningEncoder& other) = default;
  ~DLBinningEncoder() override;

  // n equal-width bins over [min, max] (cutpoints min + i * (max - min) / n, i = 1 .. n-1).
  // False for n < 2. The explicit flag is left as it was.
  bool SetNumOfBins(int n);
  // Replaces the cutpoints as passed and marks them explicit; false for an empty vector.
  bool SetBinningCutpoints(const std::vector<double>& cutpoints);
  const std::vector<double>& GetBinningCutpoints() const { return mCutpoints; }
  bool AreCutpointsSetExplicitly() const { return mExplicit; }

  // The bin code of x: -1 for the system-missing value, a NaN, a user-missing value, or when
  // there are no cutpoints.
  int Encode(double x) const;
  // The interval (left, right] of bin `code`; the end bins reach -/+1.7976931348623157e+308.
  // A code outside 0..n, or no cutpoints, gives the system-missing value for both ends.
  void Decode(int code, double& left, double& right) const;

  EncoderType GetEncoderType() const override { return kBinningEncoder; }
  // 0 without cutpoints, else the number of cutpoints + 1.
  int GetNumOfCategories() const override;
  const std::vector<std::string>* GetValueLabels() const override { return nullptr; }
  bool SetValueLabels(const std::vector<std::string>&) override { return false; }
  bool SetValueLabel(int, const std::string&) override { return false; }
  const IDLUserMissing* GetUserMissingInfo() const override { return mUserMissing; }
  // Null clears the reference; a set that is not a DLNumericUserMissing is refused; otherwise the
  // reference is kept (not owned).
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  bool operator==(const IDLEncoder& other) const override;
  // The other is a binning encoder and the user-missing sets are compatible; cutpoints are not
  // compared.
  bool IsCompatibleWith(const IDLEncoder& other) const override;
  void Display(std::ostream& os) const override;

 private:
  double mMin;
  double mMax;
  std::vector<double> mCutpoints;
  bool mExplicit = false;
  DLNumericUserMissing* mUserMissing = nullptr;
};

// Turns a raw frequency weight into a whole-number weight; anything that is not a usable weight
// (missing, user-missing, NaN, 0 or below after rounding) becomes the system-missing value.
class DLRoundEncoder : public IDLEncoder {
 public:
  explicit DLRoundEncoder(IDLVar::DLWRoundingOption option = IDLVar::kTruncate);
  DLRoundEncoder(const DLRoundEncoder& other) = default;
  DLRoundEncoder& operator=(const DLRoundEncoder& other) = default;
  ~DLRoundEncoder() override;

  // kTruncate: floor(w); kRound: floor(w + 0.5) (halves go up).
  double Encode(double w) const;
  IDLVar::DLWRoundingOption GetRoundingOption() const { return mOption; }

  EncoderType GetEncoderType() const override { return kRoundEncoder; }
  int GetNumOfCategories() const override { return 0; }
  const std::vector<std::string>* GetValueLabels() const override { return nullptr; }
  bool SetValueLabels(const std::vector<std::string>&) override { return false; }
  bool SetValueLabel(int, const std::string&) override { return false; }
  const IDLUserMissing* GetUserMissingInfo() const override { return mUserMissing; }
  // As DLBinningEncoder::SetUserMissingInfo.
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  bool operator==(const IDLEncoder& other) const override;
  bool IsCompatibleWith(const IDLEncoder& other) const override;
  void Display(std::ostream& os) const override;

 private:
  IDLVar::DLWRoundingOption mOption;
  DLNumericUserMissing* mUserMissing = nullptr;
};

#endif  // RULEWEAVE_VARIABLES_BINNING_ENCODER_H_
