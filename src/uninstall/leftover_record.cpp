#include "uninstall/leftover_record.h"

#include <nlohmann/json.hpp>

#include "core/text.h"
#include "registry/registry_names.h"

namespace sw::uninstall {
namespace {

using Json = nlohmann::json;

Json PlaceJson(const RegistryPlace& place) {
  return {{"root", reg::RootKeyName(place.root)}, {"view", static_cast<int>(place.view)}, {"path", place.path}};
}

RegistryPlace PlaceOf(const Json& json) {
  const auto root = reg::RootKeyFromName(json.at("root").get<std::string>());
  const int view = json.at("view").get<int>();
  if (!root || view < 0 || view > static_cast<int>(platform::RegView::Bits32)) {
    throw std::invalid_argument("no key");
  }
  return RegistryPlace{*root, static_cast<platform::RegView>(view), json.at("path").get<std::string>()};
}

Json SnapshotJson(const LeftoverSnapshot& snapshot) {
  const LeftoverClues& clues = snapshot.clues;
  Json keys = Json::array();
  for (const RegistryPlace& key : snapshot.keys) {
    keys.push_back(PlaceJson(key));
  }
  return {{"entry", SourceId(clues.entry)},
          {"name", clues.displayName},
          {"version", clues.version},
          {"publisher", clues.publisher},
          {"install_location", clues.installLocation},
          {"display_icon", clues.displayIcon},
          {"uninstaller", clues.uninstaller},
          {"taken", snapshot.taken.ticks},
          {"folders", snapshot.folders},
          {"files", snapshot.files},
          {"file_count", snapshot.fileCount},
          {"shortcuts", snapshot.shortcuts},
          {"keys", keys}};
}

std::optional<LeftoverSnapshot> SnapshotOf(const Json& json) {
  try {
    LeftoverSnapshot snapshot;
    const auto entry = ParseSourceId(json.at("entry").get<std::string>());
    if (!entry) {
      return std::nullopt;
    }
    LeftoverClues& clues = snapshot.clues;
    clues.entry = *entry;
    clues.displayName = json.at("name").get<std::string>();
    clues.version = json.at("version").get<std::string>();
    clues.publisher = json.at("publisher").get<std::string>();
    clues.installLocation = json.at("install_location").get<std::string>();
    clues.displayIcon = json.at("display_icon").get<std::string>();
    clues.uninstaller = json.at("uninstaller").get<std::string>();
    snapshot.taken = FileTime{json.at("taken").get<std::uint64_t>()};
    snapshot.folders = json.at("folders").get<std::vector<std::string>>();
    snapshot.files = json.at("files").get<std::vector<std::string>>();
    snapshot.fileCount = json.at("file_count").get<std::uint64_t>();
    snapshot.shortcuts = json.at("shortcuts").get<std::vector<std::string>>();
    for (const Json& key : json.at("keys")) {
      snapshot.keys.push_back(PlaceOf(key));
    }
    return snapshot;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

Result<std::vector<LeftoverSnapshot>> LoadSnapshots(platform::Platform& platform) {
  auto bytes = platform.files->ReadWhole(platform.folders.DataFile(kSnapshotFile));
  if (!bytes) {
    if (IsNotFound(bytes.error())) {
      return std::vector<LeftoverSnapshot>{};
    }
    return bytes.error();
  }
  const Json json = Json::parse(bytes->begin(), bytes->end(), nullptr, /*allow_exceptions=*/false);
  if (!json.is_array()) {
    return Error(Errc::InvalidData);
  }
  std::vector<LeftoverSnapshot> snapshots;
  for (const Json& item : json) {
    if (auto snapshot = SnapshotOf(item)) {
      snapshots.push_back(std::move(*snapshot));
    }
  }
  return snapshots;
}

Status SaveSnapshot(platform::Platform& platform, const LeftoverSnapshot& snapshot) {
  // A file that does not read is replaced: it held nothing that could be used.
  std::vector<LeftoverSnapshot> kept = LoadSnapshots(platform).value_or(std::vector<LeftoverSnapshot>{});
  std::erase_if(kept, [&](const LeftoverSnapshot& old) { return old.clues.entry == snapshot.clues.entry; });
  Json json = Json::array({SnapshotJson(snapshot)});
  for (std::size_t i = 0; i < kept.size() && json.size() < kSnapshotsKept; ++i) {
    json.push_back(SnapshotJson(kept[i]));
  }
  return platform.files->ReplaceWholeText(platform.folders.DataFile(kSnapshotFile),
                                          json.dump(1, ' ', false, Json::error_handler_t::replace));
}

std::optional<LeftoverSnapshot> FindSnapshot(platform::Platform& platform, std::string_view title) {
  const auto snapshots = LoadSnapshots(platform);
  if (!snapshots) {
    return std::nullopt;
  }
  for (const bool exact : {true, false}) {
    for (const LeftoverSnapshot& snapshot : *snapshots) {
      if (exact ? snapshot.clues.displayName == title : EqualsNoCase(snapshot.clues.displayName, title)) {
        return snapshot;
      }
    }
  }
  return std::nullopt;
}

}  // namespace sw::uninstall
