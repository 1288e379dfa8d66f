#pragma once
// What every benchmark here needs: a sink that only counts rows, and a best-of-three timer.

#include <algorithm>
#include <chrono>
#include <functional>

#include "core/engine_sink.h"

namespace sw::bench {

class CountingSink final : public EngineSink {
 public:
  void ShowStatus(std::string_view) override {}
  void SetProgressMax(std::uint64_t) override {}
  void SetProgress(std::uint64_t) override {}
  void AddRow(const ResultRow&) override { ++rows; }
  Answer Ask(const Message&) override { return Answer::No; }
  bool ShouldStop() override { return false; }
  long long rows = 0;
};

// The shortest of three runs, in seconds: the run with the least interference.
inline double BestSeconds(const std::function<void()>& run) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace sw::bench
