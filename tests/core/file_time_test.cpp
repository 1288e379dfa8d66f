#include "core/file_time.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(FileTime, CountsFrom1601) {
  EXPECT_EQ(FileTimeFromUnix(0).ticks, 116444736000000000ULL);  // 1970-01-01, as FILETIME holds it
  EXPECT_EQ(ToCalendar(FileTime{0}), (CalendarTime{1601, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ToCalendar(FileTimeFromUnix(951782400 + 3723, 456'000'000)),  // 2000-02-29 01:02:03.456
            (CalendarTime{2000, 2, 29, 1, 2, 3, 456}));
}

TEST(FileTime, CalendarRoundTrips) {
  for (const CalendarTime t : {CalendarTime{1980, 1, 1, 0, 0, 0, 0}, CalendarTime{2026, 12, 31, 23, 59, 59, 999},
                               CalendarTime{2100, 3, 1, 12, 0, 0, 1}}) {
    EXPECT_EQ(ToCalendar(FromCalendar(t)), t);
  }
  const FileTime t = FileTimeFromUnix(1'700'000'000, 123'456'700);
  EXPECT_EQ(UnixSecondsOf(t), 1'700'000'000);
  EXPECT_EQ(UnixNanosecondsOf(t), 123'456'700U);
}

}  // namespace
}  // namespace sw
