#pragma once
// What every benchmark program ends with: wall times of two jobs measured in the same run
// (several repetitions, minimum and median printed) and one line per goal,
// "goal <name>: <ratio> (target <= x) met" or "... missed", which scripts/bench counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

struct vnBENCH_TIMES {
  double min = 0;     // seconds
  double median = 0;  // seconds
};

inline vnBENCH_TIMES vnBENCH_Summary(std::vector<double> seconds) {
  vnBENCH_TIMES t;
  if (seconds.empty()) return t;
  std::sort(seconds.begin(), seconds.end());
  t.min = seconds.front();
  const size_t n = seconds.size();
  t.median = n % 2 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
  return t;
}

inline void vnBENCH_PrintTimes(const char* label, const vnBENCH_TIMES& t) {
  std::printf("%-40s min %10.1f us  median %10.1f us\n", label, t.min * 1e6, t.median * 1e6);
}

template <typename Fn>
double vnBENCH_Seconds(Fn& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs both jobs once to warm up, then `reps` times each, alternating so that a busy machine
// slows both alike; prints both and returns the ratio of their minima, a over b: the least
// disturbed run of each is the one that shows what the job itself costs.
template <typename A, typename B>
double vnBENCH_Compare(const char* labelA, A&& a, const char* labelB, B&& b, int reps) {
  a();
  b();
  std::vector<double> ta, tb;
  for (int i = 0; i < reps; ++i) {
    ta.push_back(vnBENCH_Seconds(a));
    tb.push_back(vnBENCH_Seconds(b));
  }
  const vnBENCH_TIMES sa = vnBENCH_Summary(ta), sb = vnBENCH_Summary(tb);
  vnBENCH_PrintTimes(labelA, sa);
  vnBENCH_PrintTimes(labelB, sb);
  return sb.min > 0 ? sa.min / sb.min : 0;
}

// Prints the goal line; true when the goal is met.
inline bool vnBENCH_GoalAtMost(const char* name, double ratio, double target) {
  const bool met = ratio <= target;
  std::printf("goal %s: %.2f (target <= %.2f) %s\n", name, ratio, target, met ? "met" : "missed");
  return met;
}

inline bool vnBENCH_GoalAtLeast(const char* name, double ratio, double target) {
  const bool met = ratio >= target;
  std::printf("goal %s: %.2f (target >= %.2f) %s\n", name, ratio, target, met ? "met" : "missed");
  return met;
}

// A benchmark program's main: its Google Benchmark cases, then its goals.
inline int vnBENCH_Main(int argc, char** argv, void (*goals)()) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  goals();
  return 0;
}
