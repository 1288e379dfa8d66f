#include "uninstall/software_entry.h"

#include <array>
#include <charconv>

#include "core/text.h"
#include "registry/registry_data.h"
#include "sysinfo/figure_text.h"

namespace sw::uninstall {
namespace {

using platform::RegAccess;

constexpr std::size_t kPublisherColumn = 4;
constexpr int kSizeColumn = 6;
constexpr int kInstalledColumn = 7;

// Release types of updates, which the system lists under the updates of their program.
constexpr std::array<std::string_view, 3> kUpdateReleaseTypes{"Update", "Hotfix", "Security Update"};

bool IsText(const platform::RegValue& value) {
  return value.type == platform::kRegSz || value.type == platform::kRegExpandSz;
}

// A value that is not there reads as empty; one of another type is nullopt.
std::optional<EntryText> ReadText(platform::RegKey& key, std::string_view name) {
  auto value = key.Query(name);
  if (!value) {
    return EntryText{};
  }
  if (!IsText(*value)) {
    return std::nullopt;
  }
  return EntryText{reg::DecodeRegString(value->data), value->type == platform::kRegExpandSz};
}

std::string OptionalText(platform::RegKey& key, std::string_view name) {
  return ReadText(key, name).value_or(EntryText{}).text;
}

std::optional<std::uint32_t> ReadDword(platform::RegKey& key, std::string_view name) {
  auto value = key.Query(name);
  if (!value || value->type != platform::kRegDword || value->data.size() != 4) {
    return std::nullopt;
  }
  const auto& d = value->data;
  return d[0] | (d[1] << 8U) | (d[2] << 16U) | (static_cast<std::uint32_t>(d[3]) << 24U);
}

std::unique_ptr<platform::RegKey> OpenEntry(platform::Registry& registry, const EntrySource& source) {
  auto root = registry.OpenRootView(source.source.root, source.source.view);
  if (!root || source.subkey.empty() || source.subkey.find('\\') != std::string::npos) {
    return nullptr;  // a name with a backslash would be another key than an entry's own
  }
  auto key = (*root)->Open(EntryKeyPath(source), RegAccess::Read);
  return key ? std::move(*key) : nullptr;
}

int DaysIn(int year, int month) {
  constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays.at(static_cast<std::size_t>(month - 1));
}

}  // namespace

std::optional<SoftwareEntry> ReadSoftwareEntry(platform::Registry& registry, const EntrySource& source) {
  const auto key = OpenEntry(registry, source);
  if (!key) {
    return std::nullopt;
  }
  auto displayName = ReadText(*key, "DisplayName");
  auto uninstallString = ReadText(*key, "UninstallString");
  if (!displayName || !uninstallString) {
    return std::nullopt;
  }
  SoftwareEntry entry;
  entry.source = source;
  entry.displayName = std::move(displayName->text);
  entry.uninstallString = std::move(*uninstallString);
  entry.quietUninstallString = ReadText(*key, "QuietUninstallString").value_or(EntryText{});
  entry.publisher = OptionalText(*key, "Publisher");
  entry.version = OptionalText(*key, "DisplayVersion");
  entry.sizeKB = ReadDword(*key, "EstimatedSize");
  entry.installDate = OptionalText(*key, "InstallDate");
  entry.windowsInstaller = ReadDword(*key, "WindowsInstaller") == 1U;
  entry.systemComponent = ReadDword(*key, "SystemComponent") == 1U;
  entry.parentKeyName = OptionalText(*key, "ParentKeyName");
  entry.releaseType = OptionalText(*key, "ReleaseType");
  return entry;
}

bool EntryExists(platform::Registry& registry, const EntrySource& source) {
  return OpenEntry(registry, source) != nullptr;
}

std::string HiddenReason(const SoftwareEntry& entry) {
  if (entry.systemComponent) {
    return "a system component (SystemComponent = 1)";
  }
  if (!entry.parentKeyName.empty()) {
    return "an update of " + entry.parentKeyName + " (ParentKeyName)";
  }
  for (const std::string_view type : kUpdateReleaseTypes) {
    if (EqualsNoCase(entry.releaseType, type)) {
      return "an update (ReleaseType " + entry.releaseType + ")";
    }
  }
  if (entry.uninstallString.text.empty()) {
    return "no uninstall command (UninstallString)";
  }
  return {};
}

std::optional<CalendarTime> InstallDateOf(std::string_view text) {
  if (text.size() != 8) {
    return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t length) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, value);
    return error == std::errc() && end == text.data() + at + length ? value : -1;
  };
  CalendarTime date;
  date.year = number(0, 4);
  date.month = number(4, 2);
  date.day = number(6, 2);
  if (date.year < 1601 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysIn(date.year, date.month)) {
    return std::nullopt;
  }
  return date;
}

std::string SizeText(std::uint32_t kilobytes) {
  return sysinfo::KBAndMBText(std::uint64_t{kilobytes} * 1024);
}

ResultRow SoftwareRow(const SoftwareEntry& entry, platform::System& system) {
  ResultRow row;
  row.columns = {entry.displayName, std::string(kInstalledSoftware), entry.uninstallString.text, ""};
  row.image = kSoftwareImage;
  row.checked = false;
  row.hidden = SourceId(entry.source);
  row.moreColumns = {entry.publisher, entry.version, entry.sizeKB ? SizeText(*entry.sizeKB) : std::string(), ""};
  // Entries without a size or a date sort after every one with them.
  row.sortValues[kSizeColumn] = entry.sizeKB.value_or(0);
  row.sortValues[kInstalledColumn] = 0;
  if (const auto date = InstallDateOf(entry.installDate)) {
    row.moreColumns[kInstalledColumn - kPublisherColumn] = system.ShortDateText(*date);
    row.sortValues[kInstalledColumn] = static_cast<std::uint64_t>(date->year * 10000 + date->month * 100 + date->day);
  } else {
    row.moreColumns[kInstalledColumn - kPublisherColumn] = entry.installDate;  // shown as the installer wrote it
  }
  return row;
}

}  // namespace sw::uninstall
