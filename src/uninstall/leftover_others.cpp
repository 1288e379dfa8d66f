#include "uninstall/leftover_others.h"

#include <algorithm>

#include "core/text.h"
#include "registry/registry_paths.h"
#include "uninstall/leftover_clues.h"
#include "uninstall/leftover_names.h"

namespace sw::uninstall {

InstalledOthers::InstalledOthers(platform::Platform& platform, const EntrySource& self, const LeftoverPlaces& places) {
  for (const SoftwareSource& source : SoftwareSources(platform)) {
    auto root = platform.registry->OpenRootView(source.root, source.view);
    auto key = root ? (*root)->Open(kUninstallKey, platform::RegAccess::Read)
                    : Result<std::unique_ptr<platform::RegKey>>(root.error());
    if (!key) {
      continue;
    }
    for (const std::string& subkey : reg::EnumerateNames(**key, reg::NameKind::SubKeys)) {
      const EntrySource entry{source, subkey};
      if (entry == self) {
        continue;
      }
      const auto clues = ReadLeftoverClues(platform, entry);
      if (!clues) {
        continue;
      }
      Other other;
      other.name = clues->displayName.empty() ? subkey : clues->displayName;
      for (const std::string* path : {&clues->installLocation, &clues->displayIcon, &clues->uninstaller}) {
        if (!path->empty()) {
          other.paths.push_back(*path);
        }
      }
      other.folders = EntryFolders(*clues, places);
      other.forms = ProductNameForms(clues->displayName, clues->version, clues->publisher);
      others_.push_back(std::move(other));
    }
  }
}

std::string InstalledOthers::WhyTheirs(std::string_view folder) const {
  for (const Other& other : others_) {
    for (const std::string& path : other.paths) {
      if (IsInside(path, folder)) {
        return "the entry of " + other.name + " points into it";
      }
    }
    for (const std::string& theirs : other.folders) {
      if (IsInside(folder, theirs)) {
        return "it lies in the folder of " + other.name;
      }
    }
  }
  return {};
}

std::string InstalledOthers::WhoIsNamed(std::string_view form) const {
  for (const Other& other : others_) {
    if (std::any_of(other.forms.begin(), other.forms.end(),
                    [&](const std::string& theirs) { return EqualsNoCase(theirs, form); })) {
      return other.name;
    }
  }
  return {};
}

}  // namespace sw::uninstall
