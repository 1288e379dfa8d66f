#include "platform/win32/system_figures.h"

#include "core/win_path.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {

Result<MemoryStatus> Win32SystemFigures::Memory() {
  // GlobalMemoryStatusEx, never GlobalMemoryStatus: the old call's 32-bit fields saturate at
  // 4 GB (or wrap into negative counts in programs that read them as signed).
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!::GlobalMemoryStatusEx(&status)) {
    return LastError();
  }
  return MemoryStatus{status.dwMemoryLoad,     status.ullTotalPhys,    status.ullAvailPhys,   status.ullTotalPageFile,
                      status.ullAvailPageFile, status.ullTotalVirtual, status.ullAvailVirtual};
}

AddressLayout Win32SystemFigures::Layout() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return AddressLayout{info.dwPageSize, info.dwAllocationGranularity,
                       reinterpret_cast<std::uintptr_t>(info.lpMinimumApplicationAddress),
                       reinterpret_cast<std::uintptr_t>(info.lpMaximumApplicationAddress)};
}

Result<VolumeSpace> Win32SystemFigures::VolumeSpaceOf(std::string_view root) {
  // No "\\?\" form here: GetDiskFreeSpaceExW wants the root as the user writes it.
  const std::wstring wide = ToWide(AddTrailingBackslash(root));
  // An empty removable drive must fail quietly, not ask the user to insert a disk; the
  // thread's own mode, so that no other thread's calls change behaviour meanwhile.
  DWORD oldMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode);
  ULARGE_INTEGER toCaller{};
  ULARGE_INTEGER total{};
  ULARGE_INTEGER totalFree{};
  const BOOL ok = ::GetDiskFreeSpaceExW(wide.c_str(), &toCaller, &total, &totalFree);
  const Error error = LastError();
  ::SetThreadErrorMode(oldMode, nullptr);
  if (!ok) {
    return error;
  }
  return VolumeSpace{total.QuadPart, toCaller.QuadPart, totalFree.QuadPart};
}

std::uint64_t Win32SystemFigures::PerformanceCounter() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return static_cast<std::uint64_t>(now.QuadPart);
}

std::uint64_t Win32SystemFigures::PerformanceFrequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<std::uint64_t>(frequency.QuadPart);
}

void Win32SystemFigures::Pause(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace sw::platform::win32
