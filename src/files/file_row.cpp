#include "files/file_row.h"

#include <charconv>

namespace sw::files {
namespace {

std::optional<std::uint64_t> Number(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

ResultRow MakeFileRow(const std::string& folder, const platform::FolderEntry& entry, JunkCategory category, int image,
                      platform::System& system) {
  ResultRow row;
  row.columns = {entry.name, folder, std::to_string(entry.size), FileDateText(entry.lastWrite, system)};
  row.image = image;
  row.checked = true;
  row.moreColumns = {std::string(InfoOf(category).type)};  // the Type column
  SetFacts(row, FileFacts{category, entry.size, entry.lastWrite});
  return row;
}

// "category size ticks", as the row's hidden text.
void SetFacts(ResultRow& row, const FileFacts& facts) {
  row.hidden = std::string(InfoOf(facts.category).name) + " " + std::to_string(facts.size) + " " +
               std::to_string(facts.lastWrite.ticks);
}

std::optional<FileFacts> FactsOfRow(const ResultRow& row) {
  const std::string_view text = row.hidden;
  const std::size_t first = text.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : text.find(' ', first + 1);
  if (second == std::string_view::npos) {
    return std::nullopt;
  }
  const auto category = CategoryNamed(text.substr(0, first));
  const auto size = Number(text.substr(first + 1, second - first - 1));
  const auto ticks = Number(text.substr(second + 1));
  if (!category || !size || !ticks) {
    return std::nullopt;
  }
  return FileFacts{*category, *size, FileTime{*ticks}};
}

std::string FileDateText(FileTime lastWriteUtc, platform::System& system) {
  // Beyond this a file time has no calendar date (FileTimeToSystemTime refuses it).
  constexpr std::uint64_t kLastConvertible = 0x7FFFFFFFFFFFFFFFULL;
  if (lastWriteUtc.ticks > kLastConvertible) {
    return "-";
  }
  const CalendarTime local = ToCalendar(system.LocalTimeOf(lastWriteUtc));
  std::string text = system.ShortDateText(local);
  if (local.hour != 0 || local.minute != 0 || local.second != 0 || local.millisecond != 0) {
    text += " " + system.LongTimeText(local);
  }
  return text;
}

std::string FullPathOfRow(const ResultRow& row) {
  return row.columns[1] + row.columns[0];
}

}  // namespace sw::files
