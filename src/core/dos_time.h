#pragma once
// DOS dates: the file date of archive entries, as one signed 32-bit number with the date in
// the high 16 bits (years since 1980, month, day) and the time in the low 16 bits (hours,
// minutes, seconds / 2). DOS dates hold local time.

#include <cstdint>
#include <optional>

#include "core/file_time.h"

namespace sw {

// Times before 1980 become 1980-01-01 00:00:00, times after 2107 the last second of 2107;
// odd seconds round down.
std::int32_t DosDateTimeOf(const CalendarTime& local);

// nullopt when the number names no possible date or time (month 0 or 13, hour 24, ...).
std::optional<CalendarTime> CalendarOfDosDateTime(std::int32_t dosDateTime);

}  // namespace sw
