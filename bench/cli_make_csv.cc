// Writes the CSV file the command-line benchmark searches: N rows (default 1e6) of 40
// predictors and a target, like the search benchmark's synthetic table: c0..c19 continuous in
// [0, 1), n0..n14 nominal integer codes with 2 to 60 categories (2% missing as "?"), o0..o4
// ordinal 0..6, and y (0/1) with three planted high-rate groups and one low-rate group. With 20
// predictors the table has 10 continuous, 7 nominal and 3 ordinal columns, the same plants.
// Usage: cli_make_csv OUT.csv [ROWS [PREDICTORS (40 or 20)]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Shape {
  int continuous;
  int nominal;
  int ordinal;
};

int NominalCategories(const Shape& shape, int j) { return 2 + (j * 58) / (shape.nominal - 1); }

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
    std::fprintf(stderr, "usage: %s OUT.csv [ROWS [PREDICTORS (40 or 20)]]\n", argv[0]);
    return 1;
  }
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  const int predictors = argc > 3 ? std::atoi(argv[3]) : 40;
  if (predictors != 40 && predictors != 20) {
    std::fprintf(stderr, "%s: PREDICTORS must be 40 or 20\n", argv[0]);
    return 1;
  }
  const Shape shape = predictors == 40 ? Shape{20, 15, 5} : Shape{10, 7, 3};
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  for (int j = 0; j < shape.continuous; ++j) std::fprintf(out, "c%d,", j);
  for (int j = 0; j < shape.nominal; ++j) std::fprintf(out, "n%d,", j);
  for (int j = 0; j < shape.ordinal; ++j) std::fprintf(out, "o%d,", j);
  std::fprintf(out, "y\n");
  Random rng;
  std::vector<double> c(static_cast<std::size_t>(shape.continuous));
  std::vector<int> nominal(static_cast<std::size_t>(shape.nominal));
  std::vector<int> ordinal(static_cast<std::size_t>(shape.ordinal));
  const int planted = std::min(7, shape.nominal - 1);  // the nominal column of the second group
  for (long i = 0; i < rows; ++i) {
    for (int j = 0; j < shape.continuous; ++j) {
      c[static_cast<std::size_t>(j)] = rng.Uniform();
      std::fprintf(out, "%.6f,", c[static_cast<std::size_t>(j)]);
    }
    for (int j = 0; j < shape.nominal; ++j) {
      nominal[static_cast<std::size_t>(j)] =
          static_cast<int>(rng.Uniform() * NominalCategories(shape, j));
      if (rng.Uniform() < 0.02) {
        std::fputs("?,", out);
      } else {
        std::fprintf(out, "%d,", nominal[static_cast<std::size_t>(j)]);
      }
    }
    for (int j = 0; j < shape.ordinal; ++j) {
      ordinal[static_cast<std::size_t>(j)] = static_cast<int>(rng.Uniform() * 7);
      std::fprintf(out, "%d,", ordinal[static_cast<std::size_t>(j)]);
    }
    double rate = 0.08;
    if (c[0] > 0.8 && nominal[0] == 1) rate += 0.5;
    if (nominal[planted] < 4 && ordinal[2] >= 5) rate += 0.3;
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
