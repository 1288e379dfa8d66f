#pragma once
// Memory status, volume space and the performance counter through kernel32.

#include "platform/system_figures.h"

namespace sw::platform::win32 {

class Win32SystemFigures final : public SystemFigures {
 public:
  Result<MemoryStatus> Memory() override;
  AddressLayout Layout() override;
  Result<VolumeSpace> VolumeSpaceOf(std::string_view root) override;
  std::uint64_t PerformanceCounter() override;
  std::uint64_t PerformanceFrequency() override;
  void Pause(std::uint32_t milliseconds) override;
};

}  // namespace sw::platform::win32
