#include "uninstall/leftover_search.h"

#include <algorithm>

#include "core/text.h"
#include "core/win_path.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "uninstall/leftover_clues.h"

namespace sw::uninstall {
namespace {

using platform::RegView;
using platform::RootKey;

// Start menus hold programs' folders and perhaps a folder of the publisher above them.
constexpr std::size_t kShortcutDepth = 4;

bool IsShortcutName(std::string_view name) {
  return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".lnk");
}

}  // namespace

std::vector<FoundShortcut> ListShortcuts(platform::Platform& platform, const LeftoverPlaces& places, EngineSink* sink) {
  std::vector<FoundShortcut> shortcuts;
  for (const ProgramPlace& place : places.shortcutPlaces) {
    std::vector<std::pair<std::string, std::size_t>> pending{{place.folder, 0}};
    while (!pending.empty()) {
      if (sink != nullptr && sink->ShouldStop()) {
        return shortcuts;
      }
      const auto [folder, depth] = std::move(pending.back());
      pending.pop_back();
      auto reader = platform.files->ListFolder(folder, platform::FolderDetail::Full);
      if (!reader) {
        continue;
      }
      platform::FolderEntry entry;
      while ((*reader)->Next(entry)) {
        if (entry.IsReparsePoint() || entry.IsCloudPlaceholder()) {
          continue;
        }
        std::string path = JoinPath(folder, entry.name);
        if (entry.IsFolder()) {
          if (depth + 1 < kShortcutDepth) {
            pending.emplace_back(std::move(path), depth + 1);
          }
        } else if (IsShortcutName(entry.name)) {
          std::string target = platform.shell->ResolveLink(path);
          if (target != platform::kUnresolvedLink && IsAbsoluteDrivePath(target)) {
            shortcuts.push_back(FoundShortcut{std::move(path), std::move(target), place.name, place.folder, entry.size});
          }
        }
      }
    }
  }
  return shortcuts;
}

std::vector<RegistryPlace> SoftwareKeys(platform::Registry& registry) {
  std::vector<RegistryPlace> places;
  std::vector<std::pair<RootKey, std::string>> seen;
  for (const RegistryPlace& candidate : {RegistryPlace{RootKey::CurrentUser, RegView::Own, "Software"},
                                        RegistryPlace{RootKey::LocalMachine, RegView::Bits64, "Software"},
                                        RegistryPlace{RootKey::LocalMachine, RegView::Bits32, "Software"}}) {
    auto own = registry.OwnViewPath(candidate.root, candidate.view, candidate.path);
    if (!own) {
      continue;
    }
    const bool again = std::any_of(seen.begin(), seen.end(), [&](const auto& known) {
      return known.first == candidate.root && EqualsNoCase(known.second, *own);
    });
    if (!again) {
      seen.emplace_back(candidate.root, std::move(*own));
      places.push_back(candidate);
    }
  }
  return places;
}

RegistryPlace Below(const RegistryPlace& place, std::string_view below) {
  return RegistryPlace{place.root, place.view, place.path + "\\" + std::string(below)};
}

std::unique_ptr<platform::RegKey> OpenPlace(platform::Registry& registry, const RegistryPlace& place) {
  auto root = registry.OpenRootView(place.root, place.view);
  if (!root) {
    return nullptr;
  }
  auto key = (*root)->Open(place.path, platform::RegAccess::Read);
  return key ? std::move(*key) : nullptr;
}

void VisitTexts(platform::RegKey& key, std::size_t limit, const std::function<bool(const std::string&)>& visit) {
  std::size_t seen = 0;
  // Paths below `key`, opened in their turn, so that a wide tree holds one key open at a time.
  std::vector<std::string> pending{""};
  while (!pending.empty() && seen < limit) {
    const std::string path = std::move(pending.back());
    pending.pop_back();
    auto current = key.Open(path, platform::RegAccess::Read);
    if (!current) {
      continue;
    }
    for (std::uint32_t i = 0; seen < limit; ++i, ++seen) {
      auto value = (*current)->ValueAt(i);
      if (!value) {
        break;
      }
      const auto type = value->value.type;
      if ((type == platform::kRegSz || type == platform::kRegExpandSz || type == platform::kRegMultiSz) &&
          !visit(reg::DecodeRegText(value->value.data))) {
        return;
      }
    }
    for (const std::string& name : reg::EnumerateNames(**current, reg::NameKind::SubKeys)) {
      pending.push_back(path.empty() ? name : path + "\\" + name);
    }
  }
}

bool KeyNamesFolders(platform::RegKey& key, const std::vector<std::string>& folders) {
  bool names = false;
  VisitTexts(key, 4000, [&](const std::string& text) {
    names = std::any_of(folders.begin(), folders.end(),
                        [&](const std::string& folder) { return NamesPathInside(text, folder); });
    return !names;
  });
  return names;
}

}  // namespace sw::uninstall
