#pragma once
// Time stamps as Windows keeps them for files and registry keys: 100-nanosecond ticks
// since 1 January 1601, UTC.

#include <compare>
#include <cstdint>

namespace sw {

struct FileTime {
  std::uint64_t ticks = 0;
  friend constexpr auto operator<=>(FileTime, FileTime) = default;
};

// Broken-down UTC time, as SYSTEMTIME holds it.
struct CalendarTime {
  int year = 1601;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend constexpr bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

FileTime FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds = 0);
// Whole seconds and the nanoseconds left over, for the POSIX calls of the host stand-ins.
std::int64_t UnixSecondsOf(FileTime time);
std::uint32_t UnixNanosecondsOf(FileTime time);

CalendarTime ToCalendar(FileTime time);
FileTime FromCalendar(const CalendarTime& time);

// The current time of the system clock.
FileTime FileTimeNow();

}  // namespace sw
