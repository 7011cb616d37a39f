// The figures of bench_util.h for the benchmarks written as scripts, which time each round
// themselves and keep one value a line in a file per case:
//   bench_stats case LABEL UNIT FILE        the case's median and interquartile range
//   bench_stats median FILE                 the median alone
//   bench_stats ratio NAME NUM_FILE DEN_FILE  "NAME ratio=X", X the ratio of the medians
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_util.h"

namespace {

// Every line must hold a number: a round that printed none failed, and its case with it.
bool read_values(const char* file, std::vector<double>* values) {
  std::ifstream in(file);
  if (!in) {
    std::fprintf(stderr, "bench_stats: cannot read %s\n", file);
    return false;
  }
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    char* end = nullptr;
    double v = std::strtod(line.c_str(), &end);
    if (end == line.c_str() || *end != '\0') {
      std::fprintf(stderr, "bench_stats: %s line %d is not a number: '%s'\n", file, n,
                   line.c_str());
      return false;
    }
    values->push_back(v);
  }
  if (values->empty())
    std::fprintf(stderr, "bench_stats: %s holds no value\n", file);
  return !values->empty();
}

int usage() {
  std::fprintf(stderr,
               "usage: bench_stats case LABEL UNIT FILE | median FILE | "
               "ratio NAME NUM_FILE DEN_FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<double> a, b;
  if (argc == 5 && std::strcmp(argv[1], "case") == 0) {
    if (!read_values(argv[4], &a))
      return 1;
    bench::print_spread(argv[2], bench::spread(a), argv[3]);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "median") == 0) {
    if (!read_values(argv[2], &a))
      return 1;
    std::printf("%.6g\n", bench::spread(a).median);
    return 0;
  }
  if (argc == 5 && std::strcmp(argv[1], "ratio") == 0) {
    if (!read_values(argv[3], &a) || !read_values(argv[4], &b))
      return 1;
    double den = bench::spread(b).median;
    bench::ratio(argv[2], den > 0 ? bench::spread(a).median / den : 0);
    return 0;
  }
  return usage();
}
