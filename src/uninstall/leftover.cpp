#include "uninstall/leftover.h"

#include <nlohmann/json.hpp>

#include "registry/registry_names.h"
#include "sysinfo/figure_text.h"

namespace sw::uninstall {
namespace {

using Json = nlohmann::json;

constexpr int kSizeColumn = 6;

struct KindText {
  LeftoverKind kind;
  std::string_view name;  // shown
  std::string_view id;    // stored in rows
};
constexpr std::array<KindText, 7> kKinds{{
    {LeftoverKind::Folder, "Folder", "folder"},
    {LeftoverKind::Shortcut, "Shortcut", "shortcut"},
    {LeftoverKind::RegistryKey, "Registry key", "key"},
    {LeftoverKind::RunValue, "Run value", "run-value"},
    {LeftoverKind::ScheduledTask, "Scheduled task", "task"},
    {LeftoverKind::FileType, "File type", "file-type"},
    {LeftoverKind::UninstallEntry, "Uninstall entry", "entry"},
}};

std::string_view KindId(LeftoverKind kind) {
  for (const KindText& text : kKinds) {
    if (text.kind == kind) {
      return text.id;
    }
  }
  return "folder";
}

std::optional<LeftoverKind> KindOfId(std::string_view id) {
  for (const KindText& text : kKinds) {
    if (text.id == id) {
      return text.kind;
    }
  }
  return std::nullopt;
}

bool IsRegistryKind(LeftoverKind kind) {
  return kind == LeftoverKind::RegistryKey || kind == LeftoverKind::RunValue || kind == LeftoverKind::FileType ||
         kind == LeftoverKind::UninstallEntry;
}

}  // namespace

std::string_view KindName(LeftoverKind kind) {
  for (const KindText& text : kKinds) {
    if (text.kind == kind) {
      return text.name;
    }
  }
  return "";
}

std::string_view CertaintyName(Certainty certainty) {
  return certainty == Certainty::Sure ? "sure" : "likely";
}

std::string RegistryPlaceName(const RegistryPlace& place) {
  std::string name = std::string(reg::RootKeyName(place.root)) + "\\" + place.path;
  if (place.view == platform::RegView::Bits32) {
    name += " (32-bit)";
  }
  return name;
}

std::string LeftoverLocation(const Leftover& leftover) {
  if (leftover.kind == LeftoverKind::RunValue) {
    std::string name = std::string(reg::RootKeyName(leftover.key.root)) + "\\" + leftover.key.path + "\\" +
                       (leftover.valueName.empty() ? "(Default)" : leftover.valueName);
    return leftover.key.view == platform::RegView::Bits32 ? name + " (32-bit)" : name;
  }
  return IsRegistryKind(leftover.kind) ? RegistryPlaceName(leftover.key) : leftover.path;
}

ResultRow LeftoverRow(const Leftover& leftover) {
  ResultRow row;
  row.columns = {LeftoverLocation(leftover), std::string(KindName(leftover.kind)), "", ""};
  row.image = kLeftoverImage;
  row.checked = leftover.certainty == Certainty::Sure;
  const bool hasFiles = leftover.kind == LeftoverKind::Folder || leftover.kind == LeftoverKind::Shortcut;
  row.moreColumns = {std::string(CertaintyName(leftover.certainty)), leftover.reason,
                     hasFiles ? sysinfo::KBAndMBText(leftover.bytes) : std::string(), leftover.program};
  row.sortValues[kSizeColumn] = leftover.bytes;
  row.hidden = Json{{"kind", KindId(leftover.kind)},
                    {"certainty", CertaintyName(leftover.certainty)},
                    {"reason", leftover.reason},
                    {"path", leftover.path},
                    {"root", reg::RootKeyName(leftover.key.root)},
                    {"view", static_cast<int>(leftover.key.view)},
                    {"key", leftover.key.path},
                    {"value", leftover.valueName},
                    {"when_empty", leftover.onlyWhenEmpty},
                    {"bytes", leftover.bytes},
                    {"files", leftover.files},
                    {"links", leftover.links},
                    {"program", leftover.program}}
                   .dump();
  return row;
}

std::optional<Leftover> LeftoverOfRow(const ResultRow& row) {
  const Json json = Json::parse(row.hidden, nullptr, /*allow_exceptions=*/false);
  if (!json.is_object()) {
    return std::nullopt;
  }
  try {
    const auto kind = KindOfId(json.at("kind").get<std::string>());
    const auto root = reg::RootKeyFromName(json.at("root").get<std::string>());
    const int view = json.at("view").get<int>();
    if (!kind || !root || view < 0 || view > static_cast<int>(platform::RegView::Bits32)) {
      return std::nullopt;
    }
    Leftover leftover;
    leftover.kind = *kind;
    leftover.certainty = json.at("certainty").get<std::string>() == "sure" ? Certainty::Sure : Certainty::Likely;
    leftover.reason = json.at("reason").get<std::string>();
    leftover.path = json.at("path").get<std::string>();
    leftover.key = RegistryPlace{*root, static_cast<platform::RegView>(view), json.at("key").get<std::string>()};
    leftover.valueName = json.at("value").get<std::string>();
    leftover.onlyWhenEmpty = json.at("when_empty").get<bool>();
    leftover.bytes = json.at("bytes").get<std::uint64_t>();
    leftover.files = json.at("files").get<std::uint64_t>();
    leftover.links = json.at("links").get<std::uint64_t>();
    leftover.program = json.at("program").get<std::string>();
    return leftover;
  } catch (const Json::exception&) {
    return std::nullopt;  // a row of another page, or one made by hand
  }
}

}  // namespace sw::uninstall
