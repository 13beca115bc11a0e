#include "paired_runs.h"

#include <cstdio>

namespace bench {

bool RunPairs(const char* metric, const Side& baseline, const Side& candidate, int pairs) {
  for (int pair = 0; pair < pairs; ++pair) {
    double base = 0, cand = 0;
    // Alternating the order keeps a warm cache or a neighbour's burst from
    // favouring one side.
    if (pair % 2 == 0) {
      base = baseline();
      cand = base < 0 ? -1 : candidate();
    } else {
      cand = candidate();
      base = cand < 0 ? -1 : baseline();
    }
    if (base < 0 || cand < 0) return false;
    PrintPair(metric, base, cand);
  }
  return true;
}

void PrintPair(const char* metric, double baseline, double candidate) {
  std::printf("times %s %.9g %.9g\n", metric, baseline, candidate);
  std::fflush(stdout);
}

void PrintGoal(const char* metric, const char* kind, const char* op, double limit) {
  std::printf("goal %s %s %s %g\n", metric, kind, op, limit);
  std::fflush(stdout);
}

int Fail(const char* why) {
  std::printf("fail %s\n", why);
  std::fflush(stdout);
  return 1;
}

}  // namespace bench
