#include "registry/registry_scan.h"

#include <algorithm>
#include <cstdio>

#include "core/language.h"
#include "core/text.h"
#include "registry/path_check.h"
#include "registry/registry_data.h"
#include "registry/registry_names.h"
#include "registry/registry_paths.h"

namespace sw::reg {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RootKey;

constexpr std::string_view kSystemSettingsKey = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION";

class RegistryScanner {
 public:
  RegistryScanner(platform::Platform& platform, EngineSink& sink)
      : platform_(platform), sink_(sink), paths_(*platform.files), separators_(platform.system->Separators()) {}

  // Walks the subtree below `start` ("" for the root itself) of `root`, passing over the
  // direct subkeys of the root named in `skipped` (compared without regard to case).
  void ScanRoot(RootKey root, std::string_view start, const std::vector<std::string>& skipped = {});
  [[nodiscard]] bool Stopped();

 private:
  void ScanRegistryKey(RegKey& key, const std::string& path, const std::vector<std::string>& skipped = {});
  void CheckKeyValues(RegKey& key, const std::string& path);
  void AddRow(RegKey& key, const std::string& path, const std::string& name, const std::string& data);

  platform::Platform& platform_;
  EngineSink& sink_;
  PathChecker paths_;
  platform::DateTimeSeparators separators_;
  std::string_view rootName_;
  bool stopped_ = false;
};

bool RegistryScanner::Stopped() {
  if (!stopped_ && sink_.ShouldStop()) {
    stopped_ = true;
  }
  return stopped_;
}

void RegistryScanner::ScanRoot(RootKey root, std::string_view start, const std::vector<std::string>& skipped) {
  rootName_ = RootKeyName(root);
  auto rootKey = platform_.registry->OpenRoot(root);
  if (!rootKey) {
    return;
  }
  if (start.empty()) {
    ScanRegistryKey(**rootKey, "", skipped);
    return;
  }
  if (auto key = (*rootKey)->Open(start, RegAccess::ReadWrite)) {
    ScanRegistryKey(**key, std::string(start));
  }
}

// Pre-order: each subkey's values, then its own subkeys, in enumeration order. The depth is
// bounded by the registry's own nesting limit (512 levels).
void RegistryScanner::ScanRegistryKey(RegKey& key, const std::string& path, const std::vector<std::string>& skipped) {
  for (const auto& name : EnumerateNames(key, NameKind::SubKeys)) {
    if (std::any_of(skipped.begin(), skipped.end(), [&](const std::string& s) { return EqualsNoCase(s, name); })) {
      continue;
    }
    // Opened for writing too, as the removal will need it: a key we may not change is
    // not ours to clean.
    if (auto child = key.Open(name, RegAccess::ReadWrite)) {
      std::string childPath = path;
      if (!childPath.empty()) {
        childPath += '\\';
      }
      childPath += name;
      CheckKeyValues(**child, childPath);
      if (Stopped()) {
        return;
      }
      ScanRegistryKey(**child, childPath);
    }
    if (Stopped()) {
      return;
    }
  }
}

void RegistryScanner::CheckKeyValues(RegKey& key, const std::string& path) {
  if (ToUpperText(path).find(kSystemSettingsKey) != std::string::npos) {
    return;  // never listed, so not examined either
  }
  for (std::uint32_t index = 0;; ++index) {
    auto value = key.ValueAt(index);
    if (!value) {
      return;
    }
    if (value->value.type != platform::kRegSz && value->value.type != platform::kRegExpandSz) {
      continue;
    }
    if (Stopped()) {
      return;
    }
    const std::string data = DecodeRegString(value->value.data);
    // The data is tested only when the name passes.
    if (paths_.IsValidPath(value->name) && paths_.IsValidPath(data)) {
      continue;
    }
    AddRow(key, path, value->name, data);
  }
}

void RegistryScanner::AddRow(RegKey& key, const std::string& path, const std::string& name, const std::string& data) {
  const auto info = key.Info();
  ResultRow row;
  row.columns = {std::string(rootName_) + ": " + path, name, data,
                 KeyDateText(info ? info->lastWrite : FileTime{}, separators_)};
  row.image = 0;
  row.checked = true;
  sink_.AddRow(row);
}

}  // namespace

std::string KeyDateText(FileTime lastWrite, const platform::DateTimeSeparators& separators) {
  const CalendarTime time = ToCalendar(lastWrite);
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%02d%s%02d%s%04d %02d%s%02d%s", time.month, separators.date.c_str(), time.day,
                separators.date.c_str(), time.year, hour12, separators.time.c_str(), time.minute,
                time.hour < 12 ? "AM" : "PM");
  return text;
}

void ScanRegistry(platform::Platform& platform, EngineSink& sink) {
  RegistryScanner scanner(platform, sink);
  // Rights are asked again before HKEY_USERS, as they may change while the walk runs.
  if (platform.system->IsAdmin() && !scanner.Stopped()) {
    scanner.ScanRoot(RootKey::LocalMachine, "Software");
  }
  if (!scanner.Stopped()) {
    scanner.ScanRoot(RootKey::CurrentUser, "");
  }
  if (platform.system->IsAdmin() && !scanner.Stopped()) {
    // The user's own hive and classes hive below HKEY_USERS are HKEY_CURRENT_USER again (and
    // its classes part): walked twice, every value would be listed twice and half of their
    // removals would fail. Other users' hives and .DEFAULT are walked.
    std::vector<std::string> ownHives;
    if (const auto sid = platform.system->CurrentUserSid()) {
      ownHives = {*sid, *sid + "_Classes"};
    }
    scanner.ScanRoot(RootKey::Users, "", ownHives);
  }
}

void ScanRegistrySubtree(platform::Platform& platform, EngineSink& sink, RootKey root, std::string_view start) {
  RegistryScanner(platform, sink).ScanRoot(root, start);
}

void FindRegistry(platform::Platform& platform, EngineSink& sink) {
  sink.SetProgress(0);
  sink.ShowStatus(Text(85));
  ScanRegistry(platform, sink);
  sink.ShowStatus(Text(71));
}

}  // namespace sw::reg
