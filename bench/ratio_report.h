#pragma once
// A benchmark main that, after the usual console output, prints each measured
// benchmark's throughput as a ratio against its baseline from the same run.
//   int main(int argc, char** argv) {
//     return velloran::RunWithRatios(argc, argv, {{"BM_Ours", "BM_Baseline"}});
//   }

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velloran {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // A repeated benchmark counts by its median.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((run.run_type != Run::RT_Iteration && !median) || run.iterations == 0) continue;
      seconds_per_iteration_[Key(run.run_name.str())] =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Time of ours over time of the baseline: above 1 means ours is slower.
  void PrintRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::printf("\nratios (time of the first / time of the baseline, same input):\n");
    for (const auto& [ours, base] : pairs) {
      for (const auto& [name, t] : seconds_per_iteration_) {
        if (name.rfind(ours, 0) != 0) continue;
        const std::string suffix = name.substr(ours.size());
        const auto b = seconds_per_iteration_.find(base + suffix);
        if (b == seconds_per_iteration_.end() || b->second <= 0) continue;
        std::printf("  %-48s / %-40s = %.3g\n", name.c_str(), b->first.c_str(), t / b->second);
      }
    }
  }

 private:
  // The name without its fixed iteration and repetition counts, so that a
  // benchmark run once pairs with one run until the time is up.
  static std::string Key(std::string name) {
    for (const std::string field : {"/iterations:", "/repeats:"}) {
      const std::size_t at = name.find(field);
      if (at == std::string::npos) continue;
      std::size_t end = at + field.size();
      while (end < name.size() && name[end] != '/') ++end;
      name.erase(at, end - at);
    }
    return name;
  }

  std::map<std::string, double> seconds_per_iteration_;
};

inline int RunWithRatios(int argc, char** argv,
                         const std::vector<std::pair<std::string, std::string>>& pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios(pairs);
  benchmark::Shutdown();
  return 0;
}

}  // namespace velloran
