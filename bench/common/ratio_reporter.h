// The console reporter of the benches that print ratios: it keeps each
// case's real time, so that after the run every figure can be set over a
// baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.run_name.function_name] = r.GetAdjustedRealTime();
  }

  // Every case over `baseline`, under a heading that names it; nothing when
  // the baseline did not run.
  void PrintOverBaseline(const char* baseline, const char* what, int name_width) const {
    const auto base = times_.find(baseline);
    if (base == times_.end() || base->second <= 0) return;
    std::printf("\nTime over %s (%.1f ms):\n", what, base->second);
    for (const auto& [name, time] : times_)
      std::printf("  %-*s %10.1f ms  %8.2fx\n", name_width, name.c_str(), time,
                  time / base->second);
  }

  // Each case over the baseline beside it, where both ran.
  void PrintPairs(const std::vector<std::pair<const char*, const char*>>& pairs) const {
    std::printf("\nCases over their own baselines:\n");
    for (const auto& [name, over] : pairs) {
      const auto a = times_.find(name), b = times_.find(over);
      if (a == times_.end() || b == times_.end() || b->second <= 0) continue;
      std::printf("  %-30s / %-40s %8.3f\n", name, over, a->second / b->second);
    }
  }

private:
  std::map<std::string, double> times_;
};

} // namespace bench
