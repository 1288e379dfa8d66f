#include "platform/host/host_system_figures.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <time.h>

#include <cerrno>

#include "core/win_path.h"
#include "platform/host/posix_error.h"

namespace sw::platform::host {

Result<MemoryStatus> HostSystemFigures::Memory() {
  ++memoryReads_;
  if (memory_) {
    return *memory_;
  }
  struct sysinfo info {};
  if (::sysinfo(&info) != 0) {
    return ErrorFromErrno(errno);
  }
  const std::uint64_t unit = info.mem_unit;
  MemoryStatus status;
  status.physicalTotal = info.totalram * unit;
  status.physicalFree = (info.freeram + info.bufferram) * unit;
  status.pageFileTotal = status.physicalTotal + info.totalswap * unit;
  status.pageFileFree = status.physicalFree + info.freeswap * unit;
  status.virtualTotal = layout_.maxAppAddress - layout_.minAppAddress + 1;
  status.virtualFree = status.virtualTotal;
  status.memoryLoad = status.physicalTotal == 0
                          ? 0
                          : static_cast<std::uint32_t>(100 - status.physicalFree * 100 / status.physicalTotal);
  return status;
}

void HostSystemFigures::SetVolumeSpace(char letter, Result<VolumeSpace> space) {
  volumes_.insert_or_assign(static_cast<char>(letter & ~0x20), std::move(space));
}

Result<VolumeSpace> HostSystemFigures::VolumeSpaceOf(std::string_view root) {
  const auto letter = DriveLetterOf(root);
  if (!letter) {
    return Error(Errc::InvalidName);
  }
  if (const auto it = volumes_.find(*letter); it != volumes_.end()) {
    return it->second;
  }
  for (const auto& drive : drives_) {
    if ((drive.letter & ~0x20) != *letter) {
      continue;
    }
    struct statvfs vfs {};
    if (::statvfs(drive.hostFolder.c_str(), &vfs) != 0) {
      return ErrorFromErrno(errno);
    }
    const std::uint64_t block = vfs.f_frsize;
    return VolumeSpace{vfs.f_blocks * block, vfs.f_bavail * block, vfs.f_bfree * block};
  }
  return Error(Errc::PathNotFound);
}

std::uint64_t HostSystemFigures::PerformanceCounter() {
  if (stoppedCounter_) {
    return *stoppedCounter_;
  }
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 10'000'000 + static_cast<std::uint64_t>(now.tv_nsec) / 100;
}

void HostSystemFigures::StopClock(std::uint64_t frequency, std::uint64_t start) {
  frequency_ = frequency;
  stoppedCounter_ = start;
}

void HostSystemFigures::Pause(std::uint32_t milliseconds) {
  if (stoppedCounter_) {
    *stoppedCounter_ += frequency_ * milliseconds / 1000;
    return;
  }
  struct timespec pause {};
  pause.tv_sec = milliseconds / 1000;
  pause.tv_nsec = static_cast<long>(milliseconds % 1000) * 1'000'000;
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace sw::platform::host
