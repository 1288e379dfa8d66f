#include "files/file_row.h"

#include <charconv>
#include <cstdio>

#include "core/text.h"

namespace sw::files {
namespace {

std::optional<std::uint64_t> Number(std::string_view text, int base = 10) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

// The fields of a line, separated by tabs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) {
      return fields;
    }
    start = tab + 1;
  }
}

// "size ticks volume number folder": five fields from `at` on.
std::string ObjectText(const ObjectFacts& object) {
  return std::to_string(object.size) + "\t" + std::to_string(object.lastWrite.ticks) + "\t" +
         std::to_string(object.identity.volume) + "\t" + FileNumberText(object.identity) + "\t" +
         (object.folder ? "d" : "f");
}

std::optional<ObjectFacts> ObjectOf(const std::vector<std::string_view>& fields, std::size_t at) {
  if (fields.size() < at + 5) {
    return std::nullopt;
  }
  ObjectFacts object;
  const auto size = Number(fields[at]);
  const auto ticks = Number(fields[at + 1]);
  const auto volume = Number(fields[at + 2]);
  if (!size || !ticks || !volume || !ReadFileNumber(fields[at + 3], object.identity) ||
      (fields[at + 4] != "d" && fields[at + 4] != "f")) {
    return std::nullopt;
  }
  object.size = *size;
  object.lastWrite = FileTime{*ticks};
  object.identity.volume = *volume;
  object.folder = fields[at + 4] == "d";
  return object;
}

}  // namespace

ResultRow MakeFileRow(const std::string& folder, const std::string& name, const FileFacts& facts, int image,
                      platform::System& system) {
  std::uint64_t size = facts.object.size;
  for (const PartnerFacts& partner : facts.partners) {
    size += partner.object.size;
  }
  ResultRow row;
  row.columns = {name, folder, std::to_string(size), FileDateText(facts.object.lastWrite, system)};
  row.image = image;
  row.checked = true;
  row.moreColumns = {std::string(InfoOf(facts.category).type)};  // the Type column
  SetFacts(row, facts);
  return row;
}

// The row's hidden text, one line per object, fields separated by tabs (no file name holds
// a tab or a line break): the category, the row's own object and the program; then each
// partner, "i" inside the row's folder or "b" beside it, with its name.
void SetFacts(ResultRow& row, const FileFacts& facts) {
  row.hidden = std::string(InfoOf(facts.category).name) + "\t" + ObjectText(facts.object) + "\t" + facts.process;
  for (const PartnerFacts& partner : facts.partners) {
    row.hidden += "\n" + std::string(partner.inside ? "i" : "b") + "\t" + ObjectText(partner.object) + "\t" +
                  partner.name;
  }
}

std::optional<FileFacts> FactsOfRow(const ResultRow& row) {
  const std::vector<std::string> lines = SplitLines(row.hidden);
  if (lines.empty()) {
    return std::nullopt;
  }
  const auto first = Fields(lines[0]);
  const auto category = first.empty() ? std::nullopt : CategoryNamed(first[0]);
  const auto object = ObjectOf(first, 1);
  if (!category || !object || first.size() != 7) {
    return std::nullopt;
  }
  FileFacts facts{*category, *object, std::string(first[6]), {}};
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto fields = Fields(lines[i]);
    const auto partner = ObjectOf(fields, 1);
    if (!partner || fields.size() != 7 || (fields[0] != "i" && fields[0] != "b") || fields[6].empty()) {
      return std::nullopt;
    }
    facts.partners.push_back(PartnerFacts{std::string(fields[6]), *partner, fields[0] == "i"});
  }
  return facts;
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

std::string FileNumberText(const platform::FileIdentity& identity) {
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(identity.high),
                static_cast<unsigned long long>(identity.low));
  return text;
}

bool ReadFileNumber(std::string_view text, platform::FileIdentity& identity) {
  if (text.size() != 32) {
    return false;
  }
  const auto high = Number(text.substr(0, 16), 16);
  const auto low = Number(text.substr(16), 16);
  if (!high || !low) {
    return false;
  }
  identity.high = *high;
  identity.low = *low;
  return true;
}

}  // namespace sw::files
