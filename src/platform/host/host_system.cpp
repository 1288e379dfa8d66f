#include "platform/host/host_system.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/text.h"
#include "core/unicode.h"

namespace sw::platform::host {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; zero where the code page has no character.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<char> AnsiOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    return static_cast<char>(c);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == c) {
      return static_cast<char>(0x80 + i);
    }
  }
  return std::nullopt;
}

// The local time's distance from UTC at `seconds` (a Unix time), in seconds.
long OffsetAt(time_t seconds) {
  struct tm local {};
  localtime_r(&seconds, &local);
  return local.tm_gmtoff;
}

}  // namespace

std::string HostSystem::ExpandEnvironment(std::string_view text) {
  std::string expanded;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) {
      break;
    }
    expanded.append(text.substr(at, open - at));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const auto found = std::find_if(environment_.begin(), environment_.end(),
                                    [&](const auto& variable) { return EqualsNoCase(variable.first, name); });
    if (found != environment_.end()) {
      expanded += found->second;
    } else {
      expanded.append(text.substr(open, close - open + 1));  // not set: the text stays
    }
    at = close + 1;
  }
  expanded.append(text.substr(std::min(at, text.size())));
  return expanded;
}

std::string HostSystem::ShortDateText(const CalendarTime& time) {
  return std::to_string(time.month) + "/" + std::to_string(time.day) + "/" + std::to_string(time.year);
}

std::string HostSystem::LongTimeText(const CalendarTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", time.hour % 12 == 0 ? 12 : time.hour % 12, time.minute,
                time.second, time.hour < 12 ? "AM" : "PM");
  return text;
}

FileTime HostSystem::LocalTimeOf(FileTime utc) {
  const std::int64_t offset = OffsetAt(static_cast<time_t>(UnixSecondsOf(utc)));
  return FileTime{utc.ticks + static_cast<std::uint64_t>(offset * 10'000'000)};
}

FileTime HostSystem::UtcTimeOf(FileTime local) {
  const std::int64_t offset = OffsetAt(static_cast<time_t>(UnixSecondsOf(local)));
  return FileTime{local.ticks - static_cast<std::uint64_t>(offset * 10'000'000)};
}

std::optional<std::string> HostSystem::ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const auto c = DecodeUtf8(utf8, pos);
    const auto ansi = c ? AnsiOf(*c) : std::nullopt;
    if (!ansi) {
      return std::nullopt;
    }
    out += *ansi;
  }
  return out;
}

std::string HostSystem::FromAnsi(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (const char byte : ansi) {
    const auto b = static_cast<unsigned char>(byte);
    const char16_t high = b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80U] : 0;
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? (high != 0 ? high : 0xFFFD) : b);
  }
  return out;
}

}  // namespace sw::platform::host
