// Writes the CSV file the command-line benchmark searches: N rows (default 1e6) of 40
// predictors and a target, like the search benchmark's synthetic table: c0..c19 continuous in
// [0, 1), n0..n14 nominal integer codes with 2 to 60 categories (2% missing as "?"), o0..o4
// ordinal 0..6, and y (0/1) with three planted high-rate groups and one low-rate group.
// Usage: cli_make_csv OUT.csv [ROWS]
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kContinuous = 20;
constexpr int kNominal = 15;
constexpr int kOrdinal = 5;

int NominalCategories(int j) { return 2 + (j * 58) / (kNominal - 1); }

struct Random {
  unsigned long long state = 42;
  double Uniform() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.csv [ROWS]\n", argv[0]);
    return 1;
  }
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  for (int j = 0; j < kContinuous; ++j) std::fprintf(out, "c%d,", j);
  for (int j = 0; j < kNominal; ++j) std::fprintf(out, "n%d,", j);
  for (int j = 0; j < kOrdinal; ++j) std::fprintf(out, "o%d,", j);
  std::fprintf(out, "y\n");
  Random rng;
  for (long i = 0; i < rows; ++i) {
    double c[kContinuous];
    int nominal[kNominal];
    int ordinal[kOrdinal];
    for (int j = 0; j < kContinuous; ++j) {
      c[j] = rng.Uniform();
      std::fprintf(out, "%.6f,", c[j]);
    }
    for (int j = 0; j < kNominal; ++j) {
      nominal[j] = static_cast<int>(rng.Uniform() * NominalCategories(j));
      if (rng.Uniform() < 0.02) {
        std::fputs("?,", out);
      } else {
        std::fprintf(out, "%d,", nominal[j]);
      }
    }
    for (int j = 0; j < kOrdinal; ++j) {
      ordinal[j] = static_cast<int>(rng.Uniform() * 7);
      std::fprintf(out, "%d,", ordinal[j]);
    }
    double rate = 0.08;
    if (c[0] > 0.8 && nominal[0] == 1) rate += 0.5;
    if (nominal[7] < 4 && ordinal[2] >= 5) rate += 0.3;
    if (c[5] < 0.1) rate += 0.2;
    if (ordinal[0] == 0) rate -= 0.05;
    std::fprintf(out, "%d\n", rng.Uniform() < rate ? 1 : 0);
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
