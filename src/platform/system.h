#pragma once
// Facts about the running system: its version record and the user's rights.

#include <cstdint>

namespace sw::platform {

// dwPlatformId of the version record.
inline constexpr std::uint32_t kPlatformWin32s = 0;
inline constexpr std::uint32_t kPlatformWindows = 1;  // the Windows 95 family (95, 98, ME)
inline constexpr std::uint32_t kPlatformNt = 2;

struct VersionRecord {
  std::uint32_t platformId = kPlatformNt;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
};

class System {
 public:
  System() = default;
  System(const System&) = delete;
  System& operator=(const System&) = delete;
  virtual ~System() = default;

  // The version record the system reports to this program.
  virtual VersionRecord Version() = 0;

  // Whether the user runs this program with administrator rights: the token of the thread
  // (or of the process) holds the local Administrators group, enabled. False when no token
  // can be read.
  virtual bool IsAdmin() = 0;
};

}  // namespace sw::platform
