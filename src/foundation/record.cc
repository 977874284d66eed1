// QXCommon::Record: the owned row of doubles a host hands in for one case.
#include "ruleweave/foundation/record.h"

#include <algorithm>
#include <new>

namespace QXCommon {
namespace {

// Null for an empty row, so that a record without values holds no array.
std::unique_ptr<double[]> TryAllocate(int size) {
  if (size <= 0) return nullptr;
  return std::unique_ptr<double[]>(new (std::nothrow) double[size]);
}

}  // namespace

Record::Record(int size) : mSize(size < 0 ? 1 : size) {
  mValues = TryAllocate(mSize);
  if (mValues == nullptr) {
    mSize = 0;  // an allocation failure (or size 0) leaves an empty record
    return;
  }
  std::fill_n(mValues.get(), mSize, 0.0);
}

Record::Record(const Record& other) : mSize(other.mSize > 0 ? other.mSize : 0) {
  if (mSize > 0) {
    mValues.reset(new double[mSize]);
    std::copy_n(other.mValues.get(), mSize, mValues.get());
  }
}

Record& Record::operator=(const Record& other) {
  if (this == &other) return *this;
  if (mSize != other.mSize) {
    // Obtain the new array before releasing the old one.
    std::unique_ptr<double[]> values(other.mSize > 0 ? new double[other.mSize] : nullptr);
    mValues = std::move(values);
    mSize = other.mSize > 0 ? other.mSize : 0;
  }
  if (mSize > 0) std::copy_n(other.mValues.get(), mSize, mValues.get());
  return *this;
}

Record::~Record() = default;

bool Record::Resize(int size) {
  if (size == mSize) return true;
  const int newSize = size < 0 ? 0 : size;
  if (newSize == mSize) return true;  // a negative request on an empty record
  std::unique_ptr<double[]> values = TryAllocate(newSize);
  if (newSize > 0 && values == nullptr) return false;
  mValues = std::move(values);
  mSize = newSize;
  return true;
}

}  // namespace QXCommon
