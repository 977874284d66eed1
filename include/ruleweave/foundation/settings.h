// DLSettings: how a data set is loaded and which host objects a load calls back.
#ifndef RULEWEAVE_FOUNDATION_SETTINGS_H_
#define RULEWEAVE_FOUNDATION_SETTINGS_H_

#include <iosfwd>

class ProgressListener;
class QXQueryCancel;

// A plain object: the listener and cancel object are borrowed (they must outlive every call that
// uses these settings). Everything is zero, false or null after construction.
class DLSettings {
 public:
  DLSettings() = default;
  DLSettings(const DLSettings&) = default;
  DLSettings& operator=(const DLSettings&) = default;

  // No reporter is made here: each load makes its own.
  void SetProgressListener(ProgressListener* listener) { mListener = listener; }
  ProgressListener* GetProgressListener() const { return mListener; }
  // A report goes out after every `n`-th record (after every one for 0 and 1). Refuses n < 0.
  bool SetNumOfSkippedReports(int n);
  int GetNumOfSkippedReports() const { return mNumOfSkippedReports; }
  void SetCancelPointer(QXQueryCancel* cancel) { mCancel = cancel; }
  QXQueryCancel* GetCancelPointer() const { return mCancel; }
  // Whether data sets store category codes as 32-bit integers (up to 2147483646 categories)
  // instead of bytes (up to 254).
  void UseLargeCategory(bool use) { mUseLargeCategory = use; }
  bool IsUsingLargeCategory() const { return mUseLargeCategory; }

  // The listener address and the skip count, between start and end banners.
  void Display(std::ostream& os) const;

 private:
  ProgressListener* mListener = nullptr;
  int mNumOfSkippedReports = 0;
  QXQueryCancel* mCancel = nullptr;
  bool mUseLargeCategory = false;
};

#endif  // RULEWEAVE_FOUNDATION_SETTINGS_H_
