// Both sides of a benchmark measured in alternating pairs on a shared,
// noisy machine. Each pair is printed as a "times" line; bench/support/
// summarize.py turns the pairs into the median figure, its range and the
// verdict against the goal.
#pragma once

#include <functional>

namespace bench {

constexpr int kPairs = 5;

// One side's cost of one measurement (seconds, or bytes); negative when
// it could not measure, after saying why with Fail.
using Side = std::function<double()>;

// Measures `pairs` pairs, swapping which side goes first from pair to pair,
// and prints each as "times METRIC BASELINE CANDIDATE". False at the first
// side that could not measure.
bool RunPairs(const char* metric, const Side& baseline, const Side& candidate, int pairs = kPairs);

// Prints a measured pair as RunPairs does.
void PrintPair(const char* metric, double baseline, double candidate);

// Prints the goal of a metric: `kind` is "cost" (candidate / baseline),
// "throughput" (baseline / candidate) or "excess" (candidate - baseline),
// `op` is "<=" or ">=".
void PrintGoal(const char* metric, const char* kind, const char* op, double limit);

// Says why the benchmark cannot measure; returns the exit status it ends with.
int Fail(const char* why);

}  // namespace bench
