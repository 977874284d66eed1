// Tests of the commands run in-process on a small file in a temporary folder: each command is
// called with its arguments and two string streams, as the program calls it.
#include "commands.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "cli.h"
#include "holdout_split.h"

namespace ruleweave_cli {
namespace {

namespace fs = std::filesystem;

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&,
                        const RunContext&);

// 200 rows: x = 1..200, g alternates a, b; y is yes for the rows of group a with x above 100
// (50 responses, a base rate of 25%).
class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    mDir = fs::temp_directory_path() / ("ruleweave_commands_" + std::string(info->name()));
    fs::remove_all(mDir);
    fs::create_directories(mDir);
    std::ofstream data(Path("data.csv"));
    data << "x,g,y\n";
    for (int i = 1; i <= 200; ++i) {
      const bool a = i % 2 == 1;
      data << i << ',' << (a ? "a" : "b") << ',' << (a && i > 100 ? "yes" : "no") << '\n';
    }
  }
  void TearDown() override { fs::remove_all(mDir); }

  std::string Path(const std::string& name) const { return (mDir / name).string(); }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name)) << text;
  }

  int Run(Command command, const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return command(args, out, err, RunContext());
  }

  std::vector<std::string> Search(std::vector<std::string> more) const {
    std::vector<std::string> args = {Path("data.csv"), "--target", "y",      "--response", "yes",
                                     "--bins",         "4",        "--quiet"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  std::ostringstream out;
  std::ostringstream err;

 private:
  fs::path mDir;
};

// Lines of `text` that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

TEST_F(Commands, SearchPrintsEachModelAsATableUnderItsHeaderLine) {
  ASSERT_EQ(Run(RunSearch, Search({})), kExitOk) << err.str();
  std::istringstream lines(out.str());
  std::string header;
  std::string summary;
  std::string columns;
  std::getline(lines, header);
  std::getline(lines, summary);
  // The summary may go on over further lines, indented deeper than the columns' heads.
  while (std::getline(lines, columns) && columns.rfind("    ", 0) == 0) {
  }
  EXPECT_EQ(header, "Model 1: target y = yes, 200 cases, 50 responses, base rate 25.00%");
  EXPECT_EQ(summary.rfind("  lists take ", 0), 0u) << summary;
  EXPECT_EQ(columns.rfind("   rule  conditions", 0), 0u) << columns;
  EXPECT_EQ(err.str(), "");
}

// The fields of a CSV line (quotes as the program writes them: around fields with commas).
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Whether `value` of column g meets `condition`: "g = v", "g in {v, w}" or "g not in {v, w}".
bool Meets(const std::string& condition, const std::string& value) {
  auto inSet = [&](std::size_t open) {
    const std::string set = condition.substr(open + 1, condition.size() - open - 2);
    return (", " + set + ",").find(" " + value + ",") != std::string::npos;
  };
  if (condition.rfind("g = ", 0) == 0) return condition.substr(4) == value;
  if (condition.rfind("g in {", 0) == 0) return inSet(5);
  if (condition.rfind("g not in {", 0) == 0) return !inSet(9);
  ADD_FAILURE() << "cannot read the condition " << condition;
  return false;
}

TEST_F(Commands, HoldoutFiguresAreTheRulesRecountedOnTheHeldOutRows) {
  // One predictor of four groups with response rates of 80%, 60%, 10% and 5%.
  std::vector<std::string> g, y;
  std::string text = "g,y\n";
  for (int i = 0; i < 800; ++i) {
    const int k = i / 4;
    g.push_back(std::string(1, "abcd"[i % 4]));
    const bool yes = i % 4 == 0   ? k % 5 != 0
                     : i % 4 == 1 ? k % 5 < 3
                     : i % 4 == 2 ? k % 10 == 0
                                  : k % 20 == 0;
    y.push_back(yes ? "yes" : "no");
    text += g.back() + "," + y.back() + "\n";
  }
  Write("groups.csv", text);
  ASSERT_EQ(Run(RunSearch, {Path("groups.csv"), "--target", "y", "--response", "yes", "--holdout",
                            "0.3", "--seed", "5", "--models", "1", "--format", "csv", "--quiet"}),
            kExitOk)
      << err.str();
  // The held-out rows: the same draw over the target's codes (categories by first appearance).
  std::vector<std::int64_t> counts(2, 0);
  const std::string first = y[0];
  for (const std::string& v : y) ++counts[v == first ? 0 : 1];
  HoldoutSplit split(counts, 0.3, 5);
  std::vector<std::size_t> held;
  for (std::size_t i = 0; i < y.size(); ++i) {
    if (split.HoldOut(y[i] == first ? 0 : 1)) held.push_back(i);
  }
  std::vector<std::string> lines = LinesStartingWith(out.str(), "1,");
  ASSERT_GE(lines.size(), 2u) << out.str();
  std::vector<bool> taken(y.size(), false);
  for (const std::string& line : lines) {
    const std::vector<std::string> f = Fields(line);
    ASSERT_EQ(f.size(), 22u) << line;
    const bool remainder = f[5] == "-";
    int cover = 0, responses = 0;
    for (std::size_t i : held) {
      if (taken[i] || (!remainder && !Meets(f[6], g[i]))) continue;
      taken[i] = true;
      ++cover;
      responses += y[i] == "yes";
    }
    EXPECT_EQ(f[15], std::to_string(cover)) << line;
    EXPECT_EQ(f[16], std::to_string(responses)) << line;
  }
}

TEST_F(Commands, RowsWithoutATargetAreLeftOutAndCounted) {
  std::string text = "x,g,y\n";
  int cases = 0, responses = 0;
  for (int i = 1; i <= 200; ++i) {
    const bool a = i % 2 == 1;
    const std::string target = i % 10 == 0 ? "" : a && i > 100 ? "yes" : "no";
    cases += !target.empty();
    responses += target == "yes";
    text += std::to_string(i) + "," + (a ? "a" : "b") + "," + target + "\n";
  }
  Write("blanks.csv", text);
  ASSERT_EQ(Run(RunSearch, {Path("blanks.csv"), "--target", "y", "--response", "yes", "--format",
                            "json", "--models", "1"}),
            kExitOk)
      << err.str();
  EXPECT_NE(out.str().find("\"cases\": " + std::to_string(cases) +
                           ", \"responses\": " + std::to_string(responses) + ","),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("\"rows_target_missing\": 20"), std::string::npos);
  EXPECT_NE(err.str().find("ruleweave: 20 row(s) with a missing target left out"),
            std::string::npos)
      << err.str();
}

TEST_F(Commands, AColumnTheBinsCannotCutNeverEndsTheSearch) {
  // x: 90 rows of 1 and 10 of 0, the rarer value below one bin in 9; z: other numbers.
  std::string text = "x,z,y\n";
  for (int i = 0; i < 100; ++i) {
    text += (i < 90 ? "1," + std::to_string(i % 7) + ".5,no\n"
                    : "0," + std::to_string(i - 85) + ".5,yes\n");
  }
  Write("two.csv", text);
  const std::vector<std::string> args = {
      Path("two.csv"), "--target", "y",       "--response", "yes", "--bins", "9",
      "--min-group",   "1",        "--quiet", "--models",   "1"};
  ASSERT_EQ(Run(RunSearch, args), kExitOk) << err.str();
  EXPECT_NE(out.str().find("x = 0"), std::string::npos) << out.str();  // read as categories
  std::vector<std::string> listed = args;
  listed.insert(listed.end(), {"--continuous", "x"});
  ASSERT_EQ(Run(RunSearch, listed), kExitOk) << err.str();
  EXPECT_EQ(err.str(),
            "ruleweave: warning: column \"x\" cannot be cut into 9 bins; it is not used as a "
            "predictor\n");
  EXPECT_NE(out.str().find("z > "), std::string::npos) << out.str();
}

TEST_F(Commands, UnusableWeightsDropTheirRowsAndScoredRowsKeepTheirOwnRule) {
  // Rows 5-8 carry weights the data set cannot use; every other row counts once.
  std::string text = "x,y,w\n";
  std::string clean = "x,y,w\n";
  const char* bad[] = {"1e32", "?", "-5", "2147483648"};
  for (int i = 1; i <= 60; ++i) {
    const std::string row = std::to_string(i) + "," + (i > 30 ? "yes" : "no") + ",";
    text += row + (i >= 5 && i <= 8 ? bad[i - 5] : "1") + "\n";
    if (i < 5 || i > 8) clean += row + "1\n";
  }
  Write("weights.csv", text);
  Write("clean.csv", clean);
  ASSERT_EQ(Run(RunSearch, {Path("weights.csv"), "--target", "y", "--response", "yes", "--weight",
                            "w", "--format", "csv", "--models", "1", "--pmml", Path("w.pmml")}),
            kExitOk)
      << err.str();
  EXPECT_NE(out.str().find("1,y,yes,56,"), std::string::npos) << out.str();
  EXPECT_EQ(
      err.str(),
      "ruleweave: 4 rows dropped: 1 weight missing, 1 weight 0 or less, 2 weight too large\n");
  auto scoredRules = [&](const std::string& data, const std::string& scored) {
    EXPECT_EQ(Run(RunScore, {Path("w.pmml"), Path(data), "--weight", "w", "--quiet", "--output",
                             Path(scored)}),
              kExitOk)
        << err.str();
    std::ifstream in(Path(scored));
    std::vector<std::string> rules;
    for (std::string line; std::getline(in, line);) {
      const std::vector<std::string> f = Fields(line);
      rules.push_back(f[0] + ":" + f[3] + ":" + f[5]);
    }
    return rules;
  };
  std::vector<std::string> withBad = scoredRules("weights.csv", "scored.csv");
  const std::vector<std::string> withoutBad = scoredRules("clean.csv", "clean_scored.csv");
  ASSERT_EQ(withBad.size(), 61u);
  for (int row = 5; row <= 8; ++row) {
    EXPECT_EQ(withBad[static_cast<std::size_t>(row)], std::to_string(row) + "::") << row;
  }
  withBad.erase(withBad.begin() + 5, withBad.begin() + 9);
  EXPECT_EQ(withBad, withoutBad);
}

TEST_F(Commands, ScoreWithoutTheTargetGivesEachRowItsRuleAndTrainingRate) {
  ASSERT_EQ(Run(RunSearch, Search({"--format", "csv", "--models", "1", "--pmml", Path("m.pmml")})),
            kExitOk)
      << err.str();
  std::map<std::string, std::vector<std::string>> trained;  // rule id -> conditions, rate
  for (const std::string& line : LinesStartingWith(out.str(), "1,")) {
    const std::vector<std::string> f = Fields(line);
    trained[f[5] == "-" ? "remainder" : "R1." + f[5]] = {f[5] == "-" ? "" : f[6], f[9]};
  }
  std::ifstream data(Path("data.csv"));
  std::string unlabelled;
  for (std::string line; std::getline(data, line);) {
    unlabelled += line.substr(0, line.rfind(',')) + "\n";  // x and g only
  }
  Write("unlabelled.csv", unlabelled);
  ASSERT_EQ(Run(RunScore, {Path("m.pmml"), Path("unlabelled.csv"), "--quiet", "--output",
                           Path("predicted.csv")}),
            kExitOk)
      << err.str();
  std::ifstream predicted(Path("predicted.csv"));
  std::string header;
  std::getline(predicted, header);
  EXPECT_EQ(header, "x,g,rule,rule_conditions,rule_rate");
  int rows = 0;
  for (std::string line; std::getline(predicted, line); ++rows) {
    const std::vector<std::string> f = Fields(line);
    ASSERT_EQ(f.size(), 5u) << line;
    ASSERT_EQ(trained.count(f[2]), 1u) << line;
    EXPECT_EQ(f[3], trained[f[2]][0]) << line;
    EXPECT_DOUBLE_EQ(std::stod(f[4]), std::stod(trained[f[2]][1])) << line;
  }
  EXPECT_EQ(rows, 200);
}

TEST_F(Commands, ScoreGivesTheFiguresOfTheModelSearchWrote) {
  ASSERT_EQ(Run(RunSearch, Search({"--format", "csv", "--pmml", Path("m.pmml")})), kExitOk)
      << err.str();
  const std::vector<std::string> searched = LinesStartingWith(out.str(), "1,");
  ASSERT_FALSE(searched.empty());
  ASSERT_EQ(Run(RunScore, {Path("m.pmml"), Path("data.csv"), "--format", "csv", "--quiet",
                           "--output", Path("scored.csv")}),
            kExitOk)
      << err.str();
  // score adds each rule's training rate as the last field.
  std::vector<std::string> scoredLines = LinesStartingWith(out.str(), "1,");
  for (std::string& line : scoredLines) line.erase(line.rfind(','));
  EXPECT_EQ(scoredLines, searched);
  std::ifstream scored(Path("scored.csv"));
  std::string header;
  std::getline(scored, header);
  EXPECT_EQ(header, "x,g,y,rule,rule_conditions,rule_rate");
}

TEST_F(Commands, DescribeWritesEveryColumnAsJson) {
  ASSERT_EQ(Run(RunDescribe, {Path("data.csv"), "--target", "y", "--format", "json"}), kExitOk)
      << err.str();
  EXPECT_EQ(out.str(),
            "{\"file\": \"" + Path("data.csv") +
                "\", \"rows\": 200, \"columns\": [\n"
                "  {\"name\": \"x\", \"kind\": \"continuous\", \"role\": \"predictor\", "
                "\"distinct\": 200, \"missing\": 0, \"min\": 1, \"max\": 200},\n"
                "  {\"name\": \"g\", \"kind\": \"nominal string\", \"role\": \"predictor\", "
                "\"distinct\": 2, \"missing\": 0, \"categories\": [{\"value\": \"a\", "
                "\"count\": 100}, {\"value\": \"b\", \"count\": 100}]},\n"
                "  {\"name\": \"y\", \"kind\": \"nominal string\", \"role\": \"target\", "
                "\"distinct\": 2, \"missing\": 0, \"categories\": [{\"value\": \"no\", "
                "\"count\": 150}, {\"value\": \"yes\", \"count\": 50}]}\n"
                "]}\n");
}

TEST_F(Commands, UnknownOptionEndsWithStatusOneAndSaysWhereToLook) {
  EXPECT_EQ(Run(RunSearch, Search({"--colour", "red"})), kExitBadInput);
  EXPECT_EQ(err.str(),
            "ruleweave: unknown option --colour for `ruleweave search`\n"
            "Try `ruleweave search --help`.\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(Commands, CancelledSearchEndsWithStatus130AndWritesNoFile) {
  struct AlwaysCancel : QXQueryCancel {
    bool IsCancelled() override { return true; }
  } cancel;
  RunContext context;
  context.cancel = &cancel;
  EXPECT_EQ(RunSearch(Search({"--pmml", Path("m.pmml")}), out, err, context), kExitCancelled);
  EXPECT_EQ(err.str(), "\nruleweave: interrupted; nothing was written\n");
  EXPECT_FALSE(fs::exists(Path("m.pmml")));
}

TEST_F(Commands, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
  ASSERT_EQ(Run(RunSearch, Search({"--pmml", Path("m.pmml")})), kExitOk) << err.str();
  fs::create_symlink(Path("data.csv"), Path("link.csv"));
  fs::create_hard_link(Path("m.pmml"), Path("hard.pmml"));
  const std::string data = Path("data.csv");
  const std::string model = Path("m.pmml");
  struct Case {
    Command command;
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {RunSearch, Search({"--pmml", data}), data + ": --pmml names the input file " + data},
      {RunSearch, Search({"--sql", Path("link.csv")}),
       Path("link.csv") + ": --sql names the input file " + data},
      {RunSearch, Search({"--report", Path("r.html"), "--sql", Path("./r.html")}),
       Path("r.html") + ": --report names the file another output is written to"},
      {RunScore,
       {model, data, "--output", Path("hard.pmml")},
       Path("hard.pmml") + ": --output names the input file " + model},
      // The output is checked before the data are read: the missing file is not reached.
      {RunSearch,
       {Path("nothere.csv"), "--target", "y", "--response", "yes", "--pmml", Path("no/dir/m.pmml")},
       Path("no/dir/m.pmml") + ": cannot create the output file"},
  };
  const auto size = fs::file_size(data);
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.command, c.args), kExitBadInput) << c.message;
    EXPECT_EQ(err.str().rfind("ruleweave: " + c.message, 0), 0u) << err.str();
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_EQ(fs::file_size(data), size);
  EXPECT_FALSE(fs::exists(Path("r.html")));
  for (const auto& entry : fs::directory_iterator(Path(""))) {
    EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
  }
}

// A standard output whose reader went away, as a pipe into `head` is after its lines: every
// write fails with EPIPE.
class ClosedPipe : public std::streambuf {
 protected:
  int overflow(int) override {
    errno = EPIPE;
    return traits_type::eof();
  }
  std::streamsize xsputn(const char*, std::streamsize) override {
    errno = EPIPE;
    return 0;
  }
};

TEST_F(Commands, ClosedStandardOutputEndsPrintingQuietlyAndTheFilesAreWritten) {
  ClosedPipe pipe;
  std::ostream closed(&pipe);
  EXPECT_EQ(RunSearch(Search({"--pmml", Path("m.pmml"), "--sql", Path("m.sql")}), closed, err),
            kExitOk);
  EXPECT_EQ(err.str(), "");
  EXPECT_TRUE(fs::exists(Path("m.pmml")));
  EXPECT_TRUE(fs::exists(Path("m.sql")));
}

TEST(Cli, HelpCommandPrintsTheCommandsHelp) {
  for (const char* command : {"search", "score", "describe", "demo"}) {
    std::ostringstream viaHelp, viaOption, err;
    EXPECT_EQ(Main({"help", command}, viaHelp, err), kExitOk) << command;
    EXPECT_EQ(Main({command, "--help"}, viaOption, err), kExitOk) << command;
    EXPECT_NE(viaHelp.str().find("Usage: ruleweave " + std::string(command)), std::string::npos);
    EXPECT_EQ(viaHelp.str(), viaOption.str()) << command;
    EXPECT_EQ(err.str(), "");
  }
}

}  // namespace
}  // namespace ruleweave_cli
