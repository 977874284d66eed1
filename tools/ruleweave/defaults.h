// The program's defaults, kept together so that the options, the column planning and every help
// text read them from one place.
#ifndef RULEWEAVE_TOOLS_DEFAULTS_H_
#define RULEWEAVE_TOOLS_DEFAULTS_H_

#include <cstdint>

#include <ruleweave/ruleweave.h>

namespace ruleweave_cli {

// The program's defaults, in one place: the options start from them and the help texts print
// them. The library's own defaults (one list level, one condition per rule, 100 equal-width
// bins, no smallest group) suit a caller who sets every parameter; these suit a user who sets
// none, and were chosen by measuring rules on held-out data (see the README).
struct ProgramDefaults {
  int listDepth = 10;
  int listWidth = 5;
  int ruleDepth = 3;
  int ruleWidth = 5;
  int bins = 10;
  DLConst::BinningType binning = DLConst::EqualFrequency;
  double confidence = 0.9;
  double minGroupShare = 0.02;  // of the weighted cases ...
  int minGroupFloor = 20;       // ... but never fewer cases than this
  int threads = 0;              // search threads; 0: one per core
  int shownModels = 3;          // models printed unless --models says otherwise
  std::uint64_t seed = 1;       // of the holdout split
};
inline constexpr ProgramDefaults kDefaults{};

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_DEFAULTS_H_
