#include "files/windows_cleanup_row.h"

#include <algorithm>
#include <charconv>

#include "files/junk_categories.h"
#include "platform/disk_cleanup.h"

namespace sw::files {
namespace {

// The hidden text: fields separated by the unit separator, after a marker that no category
// name (the first word of a file row's hidden text) can be.
constexpr char kSeparator = '\x1f';
constexpr std::string_view kMarker = "\x1fwindows-cleanup";
constexpr std::size_t kFieldCount = 9;

std::string Field(std::string text) {
  std::replace(text.begin(), text.end(), kSeparator, ' ');
  return text;
}

std::optional<std::uint64_t> Number(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(kSeparator, start);
    fields.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) {
      return fields;
    }
    start = end + 1;
  }
}

}  // namespace

void SetHandlerFacts(ResultRow& row, const HandlerRowFacts& facts) {
  row.hidden = std::string(kMarker);
  for (const std::string& field :
       {facts.key, facts.classId, facts.volume, facts.displayName, facts.description, std::to_string(facts.flags),
        std::string(facts.needsAdministrator ? "1" : "0"), std::to_string(facts.bytes),
        facts.freed ? std::to_string(*facts.freed) : std::string()}) {
    row.hidden += kSeparator + Field(field);
  }
}

ResultRow MakeHandlerRow(const HandlerRowFacts& facts) {
  ResultRow row;
  row.columns = {facts.displayName,
                 facts.description.empty() ? facts.volume : facts.volume + " - " + facts.description,
                 facts.needsAdministrator ? "-" : std::to_string(facts.bytes),
                 facts.needsAdministrator ? "Needs administrator rights" : "-"};
  row.image = 0;
  row.checked = false;
  row.moreColumns = {std::string(InfoOf(JunkCategory::kWindowsCleanup).type)};
  SetHandlerFacts(row, facts);
  return row;
}

// Asked of every row at the end of a Find, a million of them at times: it compares in place
// rather than building the prefix it looks for.
bool IsWindowsCleanupRow(const ResultRow& row) {
  const std::string_view hidden = row.hidden;
  return hidden.size() > kMarker.size() && hidden.starts_with(kMarker) && hidden[kMarker.size()] == kSeparator;
}

std::optional<HandlerRowFacts> HandlerFactsOfRow(const ResultRow& row) {
  if (!IsWindowsCleanupRow(row)) {
    return std::nullopt;
  }
  const std::vector<std::string_view> fields = Split(std::string_view(row.hidden).substr(kMarker.size() + 1));
  if (fields.size() != kFieldCount) {
    return std::nullopt;
  }
  const auto flags = Number(fields[5]);
  const auto bytes = Number(fields[7]);
  if (!flags || !bytes || *flags > 0xFFFFFFFFU || (fields[6] != "0" && fields[6] != "1")) {
    return std::nullopt;
  }
  HandlerRowFacts facts{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                        std::string(fields[3]), std::string(fields[4]), static_cast<std::uint32_t>(*flags),
                        fields[6] == "1", *bytes, std::nullopt};
  if (!fields[8].empty()) {
    facts.freed = Number(fields[8]);
    if (!facts.freed) {
      return std::nullopt;
    }
  }
  return facts;
}

bool RunsUnattended(const HandlerRowFacts& facts) {
  return (facts.flags & platform::kHandlerEnableByDefaultAuto) != 0 &&
         (facts.flags & platform::kHandlerHasSettings) == 0;
}

HandlerChecksAside::HandlerChecksAside(std::vector<ResultRow>& rows) : rows_(rows) {
  for (ResultRow& row : rows_) {
    if (row.checked && IsWindowsCleanupRow(row)) {
      checked_.insert(row.hidden);
      row.checked = false;
    }
  }
}

HandlerChecksAside::~HandlerChecksAside() {
  for (ResultRow& row : rows_) {
    row.checked = row.checked || (IsWindowsCleanupRow(row) && checked_.contains(row.hidden));
  }
}

void UncheckWindowsCleanupRows(std::vector<ResultRow>& rows) {
  for (ResultRow& row : rows) {
    row.checked = row.checked && !IsWindowsCleanupRow(row);
  }
}

std::string MegabytesText(std::uint64_t bytes) {
  return std::to_string(bytes / 1024 / 1024) + "MB";
}

}  // namespace sw::files
