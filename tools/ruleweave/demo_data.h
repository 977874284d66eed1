// The built-in sample data of `ruleweave demo`: a campaign-response table of customers,
// generated deterministically, with a few segments planted so that a search finds readable rules.
#ifndef RULEWEAVE_TOOLS_DEMO_DATA_H_
#define RULEWEAVE_TOOLS_DEMO_DATA_H_

#include <cstdint>
#include <string>

namespace ruleweave_cli {

// The table as comma-separated text with a header row. The same arguments give the same bytes
// on every platform (the generator uses its own integer random numbers, no library
// distributions). Columns: customer_id, age, income (thousands, some missing as "?"), region,
// education (basic < secondary < higher), tenure_years, previous_purchases, channel,
// loyalty_card, children, responded (yes/no: the target).
std::string GenerateDemoCsv(int customers = 4000, std::uint64_t seed = 20240517);

// The column options the demo runs with (also printed by `ruleweave demo --help`).
constexpr const char* kDemoTarget = "responded";
constexpr const char* kDemoResponse = "yes";
constexpr const char* kDemoIgnore = "customer_id";
constexpr const char* kDemoOrdinal = "education";
constexpr const char* kDemoLevels = "education=basic|secondary|higher";

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_DEMO_DATA_H_
