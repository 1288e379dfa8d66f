#include "core/file_time.h"

#include <chrono>

namespace sw {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDifferenceSeconds = 11644473600LL;
constexpr std::int64_t kTicksPerSecond = 10'000'000LL;
constexpr std::int64_t kTicksPerDay = kTicksPerSecond * 86400;

std::chrono::sys_days EpochOf1601() {
  return std::chrono::sys_days{std::chrono::year{1601} / std::chrono::January / 1};
}

}  // namespace

FileTime FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
  const std::int64_t ticks = (seconds + kEpochDifferenceSeconds) * kTicksPerSecond + nanoseconds / 100;
  return FileTime{ticks < 0 ? 0 : static_cast<std::uint64_t>(ticks)};
}

std::int64_t UnixSecondsOf(FileTime time) {
  return static_cast<std::int64_t>(time.ticks / kTicksPerSecond) - kEpochDifferenceSeconds;
}

std::uint32_t UnixNanosecondsOf(FileTime time) {
  return static_cast<std::uint32_t>(time.ticks % kTicksPerSecond) * 100;
}

CalendarTime ToCalendar(FileTime time) {
  using namespace std::chrono;
  const auto ticks = static_cast<std::int64_t>(time.ticks);
  const sys_days day = EpochOf1601() + days{ticks / kTicksPerDay};
  const year_month_day ymd{day};
  const std::int64_t inDay = ticks % kTicksPerDay;
  CalendarTime out;
  out.year = static_cast<int>(ymd.year());
  out.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  out.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  out.hour = static_cast<int>(inDay / (kTicksPerSecond * 3600));
  out.minute = static_cast<int>(inDay / (kTicksPerSecond * 60) % 60);
  out.second = static_cast<int>(inDay / kTicksPerSecond % 60);
  out.millisecond = static_cast<int>(inDay % kTicksPerSecond / 10'000);
  return out;
}

FileTime FromCalendar(const CalendarTime& time) {
  using namespace std::chrono;
  const sys_days day{year{time.year} / month{static_cast<unsigned>(time.month)} /
                     std::chrono::day{static_cast<unsigned>(time.day)}};
  const std::int64_t days1601 = (day - EpochOf1601()).count();
  const std::int64_t ticks = days1601 * kTicksPerDay +
                             ((time.hour * 60LL + time.minute) * 60 + time.second) * kTicksPerSecond +
                             time.millisecond * 10'000LL;
  return FileTime{ticks < 0 ? 0 : static_cast<std::uint64_t>(ticks)};
}

FileTime FileTimeNow() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
  return FileTimeFromUnix(ns / 1'000'000'000, static_cast<std::uint32_t>(ns % 1'000'000'000));
}

}  // namespace sw
