// Tests of the commands run in-process on a small file in a temporary folder: each command is
// called with its arguments and two string streams, as the program calls it.
#include "commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "cli.h"

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
  std::getline(lines, columns);
  EXPECT_EQ(header, "Model 1: target y = yes, 200 cases, 50 responses, base rate 25.00%");
  EXPECT_EQ(summary.rfind("  lists take ", 0), 0u) << summary;
  EXPECT_EQ(columns.rfind("   rule  conditions", 0), 0u) << columns;
  EXPECT_EQ(err.str(), "");
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
                "\"distinct\": \"200\", \"missing\": 0, \"min\": 1, \"max\": 200},\n"
                "  {\"name\": \"g\", \"kind\": \"nominal string\", \"role\": \"predictor\", "
                "\"distinct\": \"2\", \"missing\": 0, \"categories\": [{\"value\": \"a\", "
                "\"count\": 100}, {\"value\": \"b\", \"count\": 100}]},\n"
                "  {\"name\": \"y\", \"kind\": \"nominal string\", \"role\": \"target\", "
                "\"distinct\": \"2\", \"missing\": 0, \"categories\": [{\"value\": \"no\", "
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
