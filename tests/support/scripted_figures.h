#pragma once
// System figures a test chooses, in either build: the memory status, each drive's space and a
// clock that only Pause moves. Nothing of the machine's own is read, so a test of the memory
// reclaim or of the disk totals runs the same natively and under Wine.

#include <cstdint>
#include <map>

#include "core/win_path.h"
#include "platform/system_figures.h"

namespace sw::test {

class ScriptedFigures final : public platform::SystemFigures {
 public:
  Result<platform::MemoryStatus> Memory() override {
    ++memoryReads;
    return memory;
  }
  platform::AddressLayout Layout() override { return {}; }
  Result<platform::VolumeSpace> VolumeSpaceOf(std::string_view root) override {
    const auto letter = DriveLetterOf(root);
    const auto it = letter ? volumes.find(*letter) : volumes.end();
    return it == volumes.end() ? Result<platform::VolumeSpace>(Error(Errc::PathNotFound)) : it->second;
  }
  std::uint64_t PerformanceCounter() override { return counter; }
  std::uint64_t PerformanceFrequency() override { return frequency; }
  void Pause(std::uint32_t milliseconds) override { counter += frequency * milliseconds / 1000; }

  // Total and free physical memory, and the commit still available (the page file's free
  // part, as the memory status names it).
  void SetMemory(std::uint64_t total, std::uint64_t free, std::uint64_t availableCommit) {
    memory = platform::MemoryStatus{0, total, free, total + availableCommit, availableCommit, 0, 0};
  }

  Result<platform::MemoryStatus> memory = platform::MemoryStatus{};
  std::map<char, Result<platform::VolumeSpace>> volumes;  // by upper-case letter
  std::uint64_t counter = 0;
  std::uint64_t frequency = 10'000'000;
  int memoryReads = 0;
};

}  // namespace sw::test
