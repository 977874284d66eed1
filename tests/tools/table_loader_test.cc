// Tests of how a delimited file becomes the library's inputs: the variable list built from a
// column plan and the cases the record source loads, with their codes.
#include "table_loader.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "demo_data.h"

namespace ruleweave_cli {
namespace {

// Plans and loads `text` as the search command does.
LoadedTable Load(const std::string& text, const ColumnOptions& options) {
  const DataSource source = DataSource::Text("t.csv", text);
  LoadedTable table;
  {
    std::unique_ptr<std::istream> in = source.Open();
    CsvReader reader(*in, "t.csv", options.delimiter);
    reader.ReadHeader();
    table.header = reader.Header();
    table.plan = PlanTable(ProfileColumns(reader, options, 1024, nullptr), options, "t.csv");
  }
  table.vars = BuildVarList(table.plan);
  InterruptCancel cancel;
  ConsoleProgress progress(std::cerr, false);
  LoadData(source, options, table, progress, cancel);
  return table;
}

std::vector<int> Cases(const DLDataSet& data, const std::string& column, double value) {
  std::unique_ptr<DLBitSet> set(data.QueryCases(column, value));
  std::vector<int> ids;
  if (set) set->GetElementIDs(ids);
  return ids;
}

TEST(BuildVarList, OneVariablePerColumnInFileOrder) {
  ColumnOptions options;
  options.target = "y";
  options.ordinal = {"grade"};
  options.ignore = {"id"};
  options.weight = "w";
  const LoadedTable table =
      Load("id,x,region,grade,w,y\n1,0.5,b,3,1,yes\n2,1.5,a,1,2,no\n3,2.5,b,2,1,no\n", options);
  const DLVarList& vars = *table.vars;
  ASSERT_EQ(vars.Size(), 6);
  EXPECT_EQ(vars.GetVarAt(0)->GetVarRole(), IDLVar::kUnused);  // ignored stays in place
  EXPECT_EQ(vars.GetVarAt(1)->GetMeasureLevel(), IDLVar::kContinuous);
  EXPECT_EQ(vars.GetVarAt(2)->GetMeasureLevel(), IDLVar::kNominalString);
  EXPECT_EQ(vars.GetVarAt(3)->GetMeasureLevel(), IDLVar::kOrdinalNumeric);
  EXPECT_EQ(vars.GetVarAt(3)->GetVarDataType(), IDLVar::kInteger);
  EXPECT_EQ(vars.GetFreqWeightIndex(), 4);
  EXPECT_EQ(vars.GetTargetIndex(), 5);
  const auto* x = static_cast<const DLContVar*>(vars.GetVarAt(1));
  EXPECT_EQ(x->GetMin(), 0.5);
  EXPECT_EQ(x->GetMax(), 2.5);
  // Ordinal numbers are coded in ascending order, nominal texts by first appearance.
  const auto* grade = static_cast<const DLCatNumOrdinalEncoder*>(vars.GetEncoderAt(3));
  EXPECT_EQ(grade->EncodeConst(1), 0);
  EXPECT_EQ(grade->EncodeConst(3), 2);
  const auto* region = static_cast<const DLCatStrNominalEncoder*>(vars.GetEncoderAt(2));
  EXPECT_EQ(region->EncodeConst("b"), 0);
  EXPECT_EQ(region->EncodeConst("a"), 1);
}

TEST(JudgeWeight, TakesWhatTheDataSetStoresAfterRounding) {
  DLVarList vars;
  vars.AddFreqWeightVar("w", "", IDLVar::kRound);
  const MissingTokens missing;
  const struct {
    const char* field;
    WeightVerdict verdict;
  } cases[] = {
      {"1", WeightVerdict::kUsable},          {"0.5", WeightVerdict::kUsable},
      {"0.49", WeightVerdict::kNotPositive},  {"-5", WeightVerdict::kNotPositive},
      {"?", WeightVerdict::kMissing},         {"", WeightVerdict::kMissing},
      {"2147483647", WeightVerdict::kUsable}, {"2147483647.5", WeightVerdict::kTooLarge},
      {"1e32", WeightVerdict::kTooLarge},     {"1e300", WeightVerdict::kTooLarge},
  };
  for (const auto& c : cases) {
    double rounded = 0;
    EXPECT_EQ(JudgeWeight(c.field, missing, *vars.GetVarAt(0), rounded), c.verdict) << c.field;
  }
}

TEST(LoadData, CodesEveryRowAndDropsRowsWithoutAUsableWeight) {
  ColumnOptions options;
  options.target = "y";
  options.weight = "w";
  options.nominal = {"k"};
  const LoadedTable table = Load(
      "k,s,w,y\n"
      "7,b,1,yes\n"
      "5,?,0.4,no\n"   // rounds to 0: dropped
      "7,a,?,no\n"     // missing weight: dropped
      "5,a,2.6,yes\n"  // rounds to 3
      "?,b,-1,no\n"    // negative: dropped
      "9,c,1,no\n",
      options);
  ASSERT_TRUE(table.data);
  EXPECT_EQ(table.data->GetNumOfCases(), 3);
  // Cases are rows 1, 4 and 6; k's codes follow first appearance (7, 5, 9), s's too (b, a, c).
  EXPECT_EQ(Cases(*table.data, "k", 0), (std::vector<int>{0}));
  EXPECT_EQ(Cases(*table.data, "k", 1), (std::vector<int>{1}));
  EXPECT_EQ(Cases(*table.data, "k", 2), (std::vector<int>{2}));
  EXPECT_EQ(Cases(*table.data, "s", 1), (std::vector<int>{1}));
  EXPECT_EQ(Cases(*table.data, "w", 3), (std::vector<int>{1}));  // the rounded weight
  EXPECT_EQ(Cases(*table.data, "y", 0), (std::vector<int>{0, 1}));
}

TEST(LoadData, MissingCategoriesGetTheMissingCodeAndManyCategoriesFit) {
  std::string text = "s,y\n";
  for (int i = 0; i < 300; ++i) text += "v" + std::to_string(i) + "," + (i % 2 ? "a" : "b") + "\n";
  text += "?,a\n";
  ColumnOptions options;
  options.target = "y";
  const LoadedTable table = Load(text, options);
  ASSERT_TRUE(table.data);
  EXPECT_TRUE(table.data->IsUsingLargeCategory());
  EXPECT_EQ(table.data->GetNumOfCases(), 301);
  EXPECT_EQ(Cases(*table.data, "s", 299), (std::vector<int>{299}));
  EXPECT_EQ(Cases(*table.data, "s", table.data->GetMissingCategory()), (std::vector<int>{300}));
  EXPECT_EQ(table.vars->GetVarAt(0)->GetVarRole(), IDLVar::kPredictor);
}

// Rows that reach every path of the passes: quoted fields (one with a line break), blank and
// CRLF lines, missing tokens, categories first met late, a column that turns to text late, and
// an identifier-like column that repeats a value only after the cap.
std::string MixedCsv() {
  std::string text = "id,x,k,s,late,y\r\n";
  for (int i = 0; i < 240; ++i) {
    const std::string s =
        i % 7 == 0 ? "\"q,\"\"" + std::to_string(i % 3) + "\"" : "t" + std::to_string(i % 5);
    const std::string late = i == 200 ? "word" : std::to_string(i % 9) + ".5";
    text += "u" + std::to_string(i < 230 ? i : 3) + "," +
            (i % 11 ? std::to_string(i * 0.25) : "?") + "," +
            std::to_string(i < 150 ? i % 4 : i % 13) + "," + s + "," + late + "," +
            (i % 3 ? "no" : "yes") + (i % 2 ? "\n" : "\r\n");
    if (i == 60) text += "\n";
    if (i == 90) text += "u,1,2,\"two\nlines\",1.5,no\n";
  }
  return text;
}

// Everything the passes produce, as text, for one way of sharing the rows among threads.
std::string PassesAsText(const std::string& text, int threads, int blockRows) {
  ColumnOptions options;
  options.target = "y";
  options.nominal = {"k"};
  options.readThreads = threads;
  options.blockRows = blockRows;
  const DataSource source = DataSource::Text("t.csv", text);
  LoadedTable table;
  std::ostringstream out;
  {
    std::unique_ptr<std::istream> in = source.Open();
    CsvReader reader(*in, "t.csv");
    reader.ReadHeader();
    table.header = reader.Header();
    const auto profiles = ProfileColumns(reader, options, 6, nullptr);
    for (const ColumnProfile& p : profiles) {
      out << p.name << ' ' << p.missing << ' ' << p.present << ' ' << p.allNumeric << p.allIntegral
          << p.capped << p.allDistinct << ' ' << p.min << ' ' << p.max << ' '
          << p.firstNonNumericLine << p.firstNonNumericText;
      for (std::size_t i = 0; i < p.texts.size(); ++i) {
        out << ' ' << p.texts[i] << ':' << p.counts[i] << '@' << p.firstLines[i];
      }
      out << '\n';
    }
    table.plan = PlanTable(profiles, options, "t.csv");
  }
  table.vars = BuildVarList(table.plan);
  InterruptCancel cancel;
  ConsoleProgress progress(std::cerr, false);
  int draws = 0;
  LoadFilter filter;
  filter.rowCases = true;
  filter.take = [&draws](int) { return ++draws % 4 != 0; };  // a draw that depends on order
  LoadData(source, options, table, progress, cancel, filter);
  table.data->Display(out);
  for (const int c : table.caseOfRow) out << c << ' ';
  return out.str();
}

TEST(Passes, GiveTheSameResultsForEveryThreadCountAndBlockSize) {
  const std::string text = MixedCsv();
  const std::string expected = PassesAsText(text, 1, 4096);
  for (const auto& [threads, rows] : {std::pair{1, 1}, {2, 1}, {3, 2}, {2, 7}, {4, 64}}) {
    EXPECT_EQ(PassesAsText(text, threads, rows), expected) << threads << " threads, " << rows;
  }
}

TEST(Passes, ReportTheFirstErrorOfTheFileWhateverTheThreads) {
  // Line 5 holds a field over the limit, line 7 a ragged row, line 9 a non-number: the first
  // one wins, the same for every way of sharing the rows.
  const std::string text = "a,b\n1,2\n3,4\n5,6\n7,xxxxxxxxxx\n9,1\n11\n13,1\n";
  for (const auto& [threads, rows] : {std::pair{1, 4096}, {2, 1}, {3, 2}}) {
    ColumnOptions options;
    options.readThreads = threads;
    options.blockRows = rows;
    options.maxFieldBytes = 8;
    std::istringstream in(text);
    CsvReader reader(in, "t.csv", ReadFormat(options));
    reader.ReadHeader();
    try {
      ProfileColumns(reader, options, 1024, nullptr);
      ADD_FAILURE() << "no error";
    } catch (const InputError& error) {
      EXPECT_STREQ(error.what(),
                   "t.csv:5:3: a field longer than 8 bytes (the limit; "
                   "--max-field-bytes N raises it)");
    }
  }
}

TEST(DemoData, IsDeterministicAndHoldsItsPlantedSegments) {
  const std::string text = GenerateDemoCsv(4000);
  EXPECT_EQ(text, GenerateDemoCsv(4000));
  EXPECT_NE(text, GenerateDemoCsv(4000, 7));
  std::istringstream in(text);
  CsvReader reader(in, "demo.csv");
  reader.ReadHeader();
  ASSERT_EQ(reader.Header().size(), 11u);
  int rows = 0, responses = 0, loyal = 0, loyalResponses = 0;
  while (reader.NextRow()) {
    const auto& f = reader.Fields();
    const bool yes = f[10] == "yes";
    ++rows;
    responses += yes;
    // loyalty card holders with 3 or more previous purchases
    if (f[8] == "yes" && std::stoi(std::string(f[6])) >= 3) {
      ++loyal;
      loyalResponses += yes;
    }
  }
  EXPECT_EQ(rows, 4000);
  EXPECT_LT(responses, 4000 * 0.15);
  EXPECT_GT(loyal, 100);
  EXPECT_GT(loyalResponses, loyal * 0.3);
}

}  // namespace
}  // namespace ruleweave_cli
