// The encoder interface and the four categorical encoders, which turn raw category values
// (numbers or strings) into dense codes 0, 1, 2, ... in order of first appearance.
//
// Words used here: the dictionary maps each value to its code; the code table maps each code back
// to its value; the next code is the number of categories so far. The missing code is -1: encoding
// returns it for a missing value, and it is never stored or counted.
#ifndef RULEWEAVE_VARIABLES_ENCODER_H_
#define RULEWEAVE_VARIABLES_ENCODER_H_

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/variables/user_missing.h"

// What every encoder answers. Encoding, lookup and decoding are not part of the interface: each
// concrete encoder has its own Encode/EncodeConst/Decode for its value type, reached through the
// class the variable's measure level selects.
class IDLEncoder {
 public:
  enum EncoderType {
    kBinningEncoder = 1,
    kCatNumNominalEncoder = 2,
    kCatNumOrdinalEncoder = 3,
    kCatStrNominalEncoder = 4,
    kCatStrOrdinalEncoder = 5,
    kRoundEncoder = 6
  };

  virtual ~IDLEncoder();
  virtual EncoderType GetEncoderType() const = 0;
  virtual int GetNumOfCategories() const = 0;
  // Null for encoders whose codes carry no labels (binning, rounding).
  virtual const std::vector<std::string>* GetValueLabels() const = 0;
  virtual bool SetValueLabels(const std::vector<std::string>& labels) = 0;
  virtual bool SetValueLabel(int code, const std::string& label) = 0;
  virtual const IDLUserMissing* GetUserMissingInfo() const = 0;
  virtual bool SetUserMissingInfo(IDLUserMissing* um) = 0;
  virtual bool operator==(const IDLEncoder& other) const = 0;
  virtual bool operator!=(const IDLEncoder& other) const { return !(*this == other); }
  // True when `other` could have grown from this encoder.
  virtual bool IsCompatibleWith(const IDLEncoder& other) const = 0;
  virtual void Display(std::ostream& os) const = 0;
};

namespace ruleweave {
namespace detail {

// Shared body of DLCatNumNominalEncoder and DLCatNumOrdinalEncoder, which differ only in their
// encoder type. The encoder owns a private copy of its user-missing set.
class CatNumEncoder : public IDLEncoder {
 public:
  ~CatNumEncoder() override;

  // -1 for the system-missing value, a NaN or a user-missing value; the known code of `value`;
  // otherwise `value` becomes the next category.
  int Encode(double value);
  // As Encode, but an unknown value gives -1 and nothing changes.
  int EncodeConst(double value) const;
  // The value of `code`, or the system-missing value for a code out of range.
  double Decode(int code) const;

  int GetNumOfCategories() const override { return mNextCode; }
  const std::vector<std::string>* GetValueLabels() const override { return &mLabels; }
  // False unless exactly one label per category is given.
  bool SetValueLabels(const std::vector<std::string>& labels) override;
  // False for a code out of range; pads the labels with empty strings up to the category count.
  bool SetValueLabel(int code, const std::string& label) override;
  const IDLUserMissing* GetUserMissingInfo() const override { return mUserMissing.get(); }
  // Null drops the private set; a non-numeric set is refused; otherwise keeps a private copy (the
  // caller keeps ownership of `um`).
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  bool operator==(const IDLEncoder& other) const override;
  bool IsCompatibleWith(const IDLEncoder& other) const override;
  void Display(std::ostream& os) const override;

 protected:
  CatNumEncoder();
  explicit CatNumEncoder(const std::vector<double>& values);
  CatNumEncoder(const CatNumEncoder& other);
  CatNumEncoder& operator=(const CatNumEncoder& other);

 private:
  bool IsMissingValue(double value) const;

  std::map<double, int> mDictionary;
  std::vector<double> mCodeTable;
  std::vector<std::string> mLabels;
  int mNextCode = 0;
  std::unique_ptr<DLNumericUserMissing> mUserMissing;
};

// Shared body of DLCatStrNominalEncoder and DLCatStrOrdinalEncoder. The code table points into
// the encoder's own dictionary, so copies rebuild it (CreateLinks).
class CatStrEncoder : public IDLEncoder {
 public:
  ~CatStrEncoder() override;

  // -1 for a user-missing value; the known code of `value`; otherwise `value` becomes the next
  // category. The empty string is an ordinary category.
  int Encode(const std::string& value);
  // As Encode, but an unknown value gives -1 and nothing changes.
  int EncodeConst(const std::string& value) const;
  // The value of `code`, or the empty string for a code out of range.
  std::string Decode(int code) const;

  int GetNumOfCategories() const override { return mNextCode; }
  const std::vector<std::string>* GetValueLabels() const override { return &mLabels; }
  bool SetValueLabels(const std::vector<std::string>& labels) override;
  bool SetValueLabel(int code, const std::string& label) override;
  const IDLUserMissing* GetUserMissingInfo() const override { return mUserMissing.get(); }
  // Null drops the private set; a non-string set is refused; otherwise keeps a private copy (the
  // caller keeps ownership of `um`).
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  bool operator==(const IDLEncoder& other) const override;
  bool IsCompatibleWith(const IDLEncoder& other) const override;
  void Display(std::ostream& os) const override;

 protected:
  CatStrEncoder();
  explicit CatStrEncoder(const std::vector<std::string>& values);
  CatStrEncoder(const CatStrEncoder& other);
  CatStrEncoder& operator=(const CatStrEncoder& other);

 private:
  // Rebuilds the code table so that it refers into this encoder's own dictionary.
  void CreateLinks();

  std::map<std::string, int> mDictionary;
  std::vector<const std::string*> mCodeTable;
  std::vector<std::string> mLabels;
  int mNextCode = 0;
  std::unique_ptr<DLStringUserMissing> mUserMissing;
};

}  // namespace detail
}  // namespace ruleweave

// Nominal numeric categories (doubles). Codes follow first appearance.
class DLCatNumNominalEncoder : public ruleweave::detail::CatNumEncoder {
 public:
  DLCatNumNominalEncoder() = default;
  // Encodes every element in order, fixing the codes before any data arrives.
  explicit DLCatNumNominalEncoder(const std::vector<double>& values) : CatNumEncoder(values) {}
  EncoderType GetEncoderType() const override { return kCatNumNominalEncoder; }
};

// Ordinal numeric categories: as the nominal twin, but the codes stand in an order (the order of
// first appearance), and it is never equal or compatible to a nominal encoder.
class DLCatNumOrdinalEncoder : public ruleweave::detail::CatNumEncoder {
 public:
  DLCatNumOrdinalEncoder() = default;
  explicit DLCatNumOrdinalEncoder(const std::vector<double>& values) : CatNumEncoder(values) {}
  EncoderType GetEncoderType() const override { return kCatNumOrdinalEncoder; }
};

// Nominal string categories. Codes follow first appearance.
class DLCatStrNominalEncoder : public ruleweave::detail::CatStrEncoder {
 public:
  DLCatStrNominalEncoder() = default;
  explicit DLCatStrNominalEncoder(const std::vector<std::string>& values) : CatStrEncoder(values) {}
  EncoderType GetEncoderType() const override { return kCatStrNominalEncoder; }
};

// Ordinal string categories, ordered by first appearance.
class DLCatStrOrdinalEncoder : public ruleweave::detail::CatStrEncoder {
 public:
  DLCatStrOrdinalEncoder() = default;
  explicit DLCatStrOrdinalEncoder(const std::vector<std::string>& values) : CatStrEncoder(values) {}
  EncoderType GetEncoderType() const override { return kCatStrOrdinalEncoder; }
};

#endif  // RULEWEAVE_VARIABLES_ENCODER_H_
