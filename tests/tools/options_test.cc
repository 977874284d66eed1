// Tests of the command-line parser: the accepted forms of options and the refusals.
#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ruleweave_cli {
namespace {

struct Seen {
  std::vector<std::string> values;
  int flags = 0;
};

OptionTable Table(Seen& seen) {
  auto value = [&seen](const std::string& v) { seen.values.push_back(v); };
  return {{"target", 0, true, value},
          {"format", 'f', true, value},
          {"quiet", 'q', false, [&seen](const std::string&) { ++seen.flags; }},
          {"timings", 0, false, [&seen](const std::string&) { ++seen.flags; }}};
}

TEST(ParseArgs, AcceptsValuesFlagsPrefixesDashAndDoubleDash) {
  Seen seen;
  const ParsedArgs parsed = ParseArgs({"a.csv", "--target", "y", "--format=csv", "-qf", "json",
                                       "--qu", "-", "-h", "--tar=", "--", "--quiet", "-x"},
                                      Table(seen), "test");
  EXPECT_EQ(parsed.positional, (std::vector<std::string>{"a.csv", "-", "--quiet", "-x"}));
  EXPECT_EQ(seen.values, (std::vector<std::string>{"y", "csv", "json", ""}));
  EXPECT_EQ(seen.flags, 2);
  EXPECT_TRUE(parsed.help);
}

TEST(ParseArgs, RefusesUnknownAmbiguousAndIncompleteOptions) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--colour"}, "unknown option --colour for `ruleweave test`"},
      {{"--t=1"}, "unknown option --t=1 for `ruleweave test`"},  // --target or --timings
      {{"-x"}, "unknown option -x for `ruleweave test`"},
      {{"--target"}, "--target: this option needs a value"},
      {{"-f"}, "-f: this option needs a value"},
      {{"--quiet=yes"}, "--quiet: this option takes no value"},
  };
  for (const auto& c : cases) {
    Seen seen;
    try {
      ParseArgs(c.args, Table(seen), "test");
      ADD_FAILURE() << c.args[0] << ": no error";
    } catch (const UsageError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

TEST(MinGroup, ReadsACountOrAShareThatNeverGoesBelowTheFloor) {
  const int floor = kDefaults.minGroupFloor;
  const struct {
    const char* text;
    double weightedCases;
    int cases;
  } cases[] = {
      {"25", 1000, 25},            // a count is taken as given
      {"1", 1000, 1},              // ... even below the floor
      {"5%", 1000, 50},            // a share of the weighted cases
      {"2.5%", 1001, 26},          // rounded up
      {"5%", 100, floor},          // never below the floor
      {"100%", 1e12, 1000000000},  // capped at what the library takes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseMinGroup(c.text).Resolve(c.weightedCases), c.cases) << c.text;
  }
  for (const char* bad : {"0", "0%", "-5%", "101%", "%", "x%", "1.5"}) {
    EXPECT_THROW(ParseMinGroup(bad), UsageError) << bad;
  }
  EXPECT_EQ(SearchOptions().minGroup.Resolve(10000), 200) << "the default is a share";
}

}  // namespace
}  // namespace ruleweave_cli
