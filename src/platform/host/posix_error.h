#pragma once
// errno values as the Win32 error numbers that the rest of the program tests for.

#include "core/result.h"

namespace sw::platform::host {

// Numbers with this bit carry an errno that has no Win32 counterpart (bit 29 is the
// "customer" bit of Win32 error numbers, which the system itself never uses).
inline constexpr std::uint32_t kErrnoFlag = 0x20000000;

Error ErrorFromErrno(int errnoValue);

}  // namespace sw::platform::host
