// How the columns of a delimited file become variables: the column options a user gives, the
// statistics of a first pass over the file (ColumnProfile) and the kind, role and categories
// decided for every column (ColumnPlan).
#ifndef RULEWEAVE_TOOLS_COLUMN_PLAN_H_
#define RULEWEAVE_TOOLS_COLUMN_PLAN_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "csv_reader.h"
#include "defaults.h"
#include "pmml_fields.h"
#include "row_blocks.h"

namespace ruleweave_cli {

// Bad command-line usage (an unknown column named by an option, conflicting options).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Thrown when the user interrupts a long pass over the data.
struct Cancelled {};

// What the user said about the columns.
struct ColumnOptions {
  char delimiter = ',';
  bool delimiterGiven = false;  // --delimiter was given (no guessing then)
  TextEncoding encoding = TextEncoding::kUtf8;
  std::size_t maxFieldBytes = kDefaultMaxFieldBytes;
  MissingTokens missing;
  std::vector<std::string> continuous;
  std::vector<std::string> nominal;
  std::vector<std::string> ordinal;
  std::vector<std::string> ignore;
  std::string weight;
  std::string target;
  std::map<std::string, std::vector<std::string>> levels;  // ordinal column -> its order
  // An unlisted column of whole numbers with 2 to this many distinct values is read as ordered
  // numeric categories (a grade, a count of children): rules then name its values instead of
  // cutting between them, and equal-frequency binning never meets a column it cannot split.
  int fewValues = kDefaults.bins;
  // Threads that interpret the rows while a file is read (0: one per core; 1: the calling thread
  // alone) and rows given to a thread at a time. Neither changes any result.
  int readThreads = 0;
  int blockRows = 4096;
};

// Statistics of one column gathered in one pass over the file.
struct ColumnProfile {
  std::string name;
  std::int64_t missing = 0;
  std::int64_t present = 0;
  bool allNumeric = true;   // every non-missing value parses as a finite number
  bool allIntegral = true;  // ... and each such number is a whole number
  double min = 0;
  double max = 0;
  std::int64_t firstNonNumericLine = 0;
  std::string firstNonNumericText;
  // Distinct texts in order of first appearance, with counts and the line of first appearance.
  // Kept in full for categorical columns; for other columns only up to a cap (`capped` tells).
  std::vector<std::string> texts;
  std::vector<std::int64_t> counts;
  std::vector<std::int64_t> firstLines;
  std::unordered_map<std::string, std::size_t> index;
  // The cap was reached: more distinct values followed the kept ones. Counts stop there too.
  bool capped = false;
  bool allDistinct = true;  // no value repeated among those kept
};

// The kind a column is read as.
enum class ColumnKind {
  kContinuous,
  kNominalNumeric,
  kOrdinalNumeric,
  kNominalString,
  kOrdinalString,
  kWeight,
  kIgnored,
};

enum class ColumnRole { kPredictor, kTarget, kWeight, kUnused };

// What a column becomes. Categories are listed in code order (code i is entry i); a nominal
// string column whose categories were too many to keep during the scan has `categoriesKnown`
// false and gets its codes by first appearance while loading.
struct ColumnPlan {
  std::string name;
  ColumnKind kind = ColumnKind::kIgnored;
  ColumnRole role = ColumnRole::kUnused;
  bool integral = false;  // numeric categorical: data type integer (else double)
  bool categoriesKnown = true;
  std::vector<std::string> stringCategories;
  std::vector<double> numericCategories;
  std::vector<std::int64_t> categoryCounts;  // parallel to the categories, when known
  std::size_t numCategories = 0;             // at least this many (exact when known)
  double min = 0;
  double max = 0;
  std::int64_t missing = 0;
  std::int64_t present = 0;
  // A column the file lacks (the target of a model scored on rows without it): every row holds
  // a missing value. Such columns come after the file's own.
  bool absent = false;
};

struct TablePlan {
  std::vector<ColumnPlan> columns;
  int targetIndex = -1;
  int weightIndex = -1;
  bool largeCategories = false;
  std::int64_t rows = 0;
  std::vector<std::string> warnings;
};

// Progress and cancellation during a pass: called every few thousand rows with the rows read
// so far and the fraction of the file they make (-1: unknown); returning false cancels the pass
// (Cancelled is thrown).
using RowPoll = std::function<bool(std::int64_t rows, double fraction)>;

// How the passes over a file with these options share the work among threads.
RowPipelineShape ReadShape(const ColumnOptions& options);

// First pass: reads every row of `reader` (header already read) and profiles each column.
// Distinct values are kept in full for the columns listed as nominal, ordinal or target and for
// up to `distinctCap` values in the others.
std::vector<ColumnProfile> ProfileColumns(CsvReader& reader, const ColumnOptions& options,
                                          std::size_t distinctCap, const RowPoll& poll);

// Checks the options against the header: every named column exists and is named by one option
// only (the target may also be listed as ordinal). Throws UsageError.
void CheckColumnOptions(const std::vector<std::string>& header, const ColumnOptions& options);

// Whether the unlisted numeric column of `p` is read as ordered categories: whole numbers with
// 2 to `fewValues` distinct values (texts of the same number count once), all of them kept.
bool HasFewValues(const ColumnProfile& p, int fewValues);

// Decides kind, role and categories of every column from the profiles. Throws UsageError for a
// column option that does not fit the data (a continuous or weight column holding text, a
// continuous target, --levels that miss a value) naming the file, line and column.
TablePlan PlanTable(const std::vector<ColumnProfile>& profiles, const ColumnOptions& options,
                    const std::string& fileName);

// The plan of a data file read for a model (`fields`, from the model's document `modelName`):
// the model's fields get the model's kind and its categories first (in the model's order, so
// ordinal codes keep their order); categories only the data hold come after them; the weight
// named by `options` is the weight; other columns are ignored. Throws InputError when a column
// the model reads as numbers holds text, or a numeric field of the model has a text category.
TablePlan PlanForModel(const std::vector<PmmlField>& fields,
                       const std::vector<ColumnProfile>& profiles, const ColumnOptions& options,
                       const std::string& fileName, const std::string& modelName);

// Adds the predicted field of `fields` to `table` as an absent target column (see ColumnPlan),
// with the model's categories; does nothing when the model predicts no field.
void AddAbsentTarget(const std::vector<PmmlField>& fields, TablePlan& table);

// Kind names as shown by describe ("continuous", "nominal string", ...).
const char* KindName(ColumnKind kind);

// Whether columns of this kind hold category codes.
inline bool IsCategorical(ColumnKind kind) {
  return kind == ColumnKind::kNominalNumeric || kind == ColumnKind::kOrdinalNumeric ||
         kind == ColumnKind::kNominalString || kind == ColumnKind::kOrdinalString;
}

// The largest number of categories a data set holds without large categories.
constexpr std::size_t kMaxSmallCategories = 254;

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_COLUMN_PLAN_H_
