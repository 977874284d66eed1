// Deterministic generator of the demo's campaign-response table.
//
// Planted segments (response rates before noise), over a base rate of about 4%:
//   loyalty card holders with 3 or more previous purchases            ~38%
//   customers aged 30 to 45 with income above 60k contacted by email  ~30%
//   customers in the north with 10 or more years of tenure            ~20%
// Everything else responds at 3-5%, a little more with higher education.
#include "demo_data.h"

#include <cstdio>
#include <string>

namespace ruleweave_cli {

namespace {

// splitmix64: small, fast and identical everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : mState(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform integer in [lo, hi].
  int Between(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  // True with probability per-mille / 1000.
  bool Chance(int perMille) { return Between(0, 999) < perMille; }

 private:
  std::uint64_t mState;
};

const char* const kRegions[] = {"north", "south", "east", "west", "central"};
const char* const kEducation[] = {"basic", "secondary", "higher"};
const char* const kChannels[] = {"email", "phone", "mail", "web"};

}  // namespace

std::string GenerateDemoCsv(int customers, std::uint64_t seed) {
  Random rng(seed);
  std::string out =
      "customer_id,age,income,region,education,tenure_years,previous_purchases,channel,"
      "loyalty_card,children,responded\n";
  char line[256];
  for (int i = 1; i <= customers; ++i) {
    // Age: a rough bell between 18 and 80 (sum of three uniforms).
    const int age = 18 + (rng.Between(0, 20) + rng.Between(0, 21) + rng.Between(0, 21));
    const int region = rng.Between(0, 4);
    const int eduDraw = rng.Between(0, 99);
    const int education = eduDraw < 30 ? 0 : (eduDraw < 75 ? 1 : 2);
    // Income in thousands grows with education and age until 55.
    int income = 18 + 12 * education + (age < 55 ? (age - 18) / 2 : 18) + rng.Between(0, 30) +
                 rng.Between(0, 30);
    const bool incomeMissing = rng.Chance(60);
    const int tenure = rng.Between(0, age - 18 < 25 ? age - 18 : 25);
    const int purchases = rng.Between(0, 2) + (rng.Chance(180) ? rng.Between(2, 8) : 0);
    const int channel = rng.Between(0, 3);
    const bool loyalty = rng.Chance(purchases >= 3 ? 600 : 200);
    const int children = rng.Chance(400) ? 0 : rng.Between(1, 4);

    int perMille = 35 + 10 * education;
    if (loyalty && purchases >= 3) perMille = 380;
    if (age >= 30 && age <= 45 && !incomeMissing && income > 60 && channel == 0) {
      perMille = perMille > 300 ? perMille + 100 : 300;
    }
    if (region == 0 && tenure >= 10 && perMille < 200) perMille = 200;
    const bool responded = rng.Chance(perMille);

    char incomeText[16];
    if (incomeMissing) {
      std::snprintf(incomeText, sizeof incomeText, "?");
    } else {
      std::snprintf(incomeText, sizeof incomeText, "%d.%d", income, rng.Between(0, 9));
    }
    std::snprintf(line, sizeof line, "C%05d,%d,%s,%s,%s,%d,%d,%s,%s,%d,%s\n", i, age, incomeText,
                  kRegions[region], kEducation[education], tenure, purchases, kChannels[channel],
                  loyalty ? "yes" : "no", children, responded ? "yes" : "no");
    out += line;
  }
  return out;
}

}  // namespace ruleweave_cli
