#include "core/dos_time.h"

#include <chrono>

namespace sw {

std::int32_t DosDateTimeOf(const CalendarTime& local) {
  if (local.year < 1980) {
    return (1 << 5 | 1) << 16;  // 1980-01-01 00:00:00
  }
  if (local.year > 2107) {
    return static_cast<std::int32_t>((127U << 9 | 12U << 5 | 31U) << 16 | (23U << 11 | 59U << 5 | 29U));
  }
  const auto date = static_cast<std::uint32_t>((local.year - 1980) << 9 | local.month << 5 | local.day);
  const auto time = static_cast<std::uint32_t>(local.hour << 11 | local.minute << 5 | local.second / 2);
  return static_cast<std::int32_t>(date << 16 | time);
}

std::optional<CalendarTime> CalendarOfDosDateTime(std::int32_t dosDateTime) {
  const auto value = static_cast<std::uint32_t>(dosDateTime);
  const std::uint32_t date = value >> 16;
  const std::uint32_t time = value & 0xFFFFU;
  CalendarTime out;
  out.year = static_cast<int>(1980 + (date >> 9));
  out.month = static_cast<int>((date >> 5) & 0x0FU);
  out.day = static_cast<int>(date & 0x1FU);
  out.hour = static_cast<int>(time >> 11);
  out.minute = static_cast<int>((time >> 5) & 0x3FU);
  out.second = static_cast<int>((time & 0x1FU) * 2);
  const std::chrono::year_month_day ymd{std::chrono::year{out.year},
                                        std::chrono::month{static_cast<unsigned>(out.month)},
                                        std::chrono::day{static_cast<unsigned>(out.day)}};
  if (!ymd.ok() || out.hour > 23 || out.minute > 59 || out.second > 59) {
    return std::nullopt;
  }
  return out;
}

}  // namespace sw
