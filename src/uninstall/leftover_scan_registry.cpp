// The search for leftovers in the registry: the program's keys, its file types and its entry.

#include <algorithm>
#include <array>

#include "core/text.h"
#include "core/win_path.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "uninstall/leftover_names.h"
#include "uninstall/leftover_scan_state.h"
#include "uninstall/leftover_search.h"
#include "uninstall/software_entry.h"

namespace sw::uninstall {
namespace {

using platform::RootKey;

// Keys below Software that belong to the system, whatever a program is called.
constexpr std::array<std::string_view, 7> kSharedKeys{"Classes", "Policies",      "Wow6432Node",           "Clients",
                                                      "ODBC",    "RegisteredApplications", "Intel"};

// File types of the system and protocols many programs answer: never a program's own.
constexpr std::array<std::string_view, 24> kSharedClasses{
    "*",       "AllFilesystemObjects", "Applications", "AppID",   "CLSID",  "Directory",  "Drive",  "Folder",
    "Interface", "Local Settings",     "MIME",         "SystemFileAssociations", "TypeLib", "Unknown", "Wow6432Node",
    "exefile", "lnkfile",              "batfile",      "cmdfile", "comfile", "txtfile",    "http",   "https",
    "mailto"};

bool IsSharedKeyName(std::string_view name) {
  return IsSharedName(name) ||
         std::any_of(kSharedKeys.begin(), kSharedKeys.end(), [&](std::string_view key) { return EqualsNoCase(name, key); });
}

bool IsSharedClass(std::string_view name) {
  return std::any_of(kSharedClasses.begin(), kSharedClasses.end(),
                     [&](std::string_view shared) { return EqualsNoCase(name, shared); });
}

// The default value of a key below `place`, as text; empty when there is none.
std::string DefaultText(platform::Registry& registry, const RegistryPlace& place) {
  const auto key = OpenPlace(registry, place);
  if (!key) {
    return {};
  }
  auto value = key->Query("");
  if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
    return {};
  }
  return reg::DecodeRegString(value->data);
}

// The names of what the key holds: its subkeys and its values.
struct KeyContents {
  std::vector<std::string> subkeys;
  std::vector<std::string> values;
};
KeyContents ContentsOf(platform::Registry& registry, const RegistryPlace& place) {
  const auto key = OpenPlace(registry, place);
  if (!key) {
    return {};
  }
  return {reg::EnumerateNames(*key, reg::NameKind::SubKeys), reg::EnumerateNames(*key, reg::NameKind::Values)};
}

}  // namespace

bool LeftoverScan::KeyOffered(const RegistryPlace& place) const {
  return std::any_of(outcome_.leftovers.begin(), outcome_.leftovers.end(), [&](const Leftover& leftover) {
    if (leftover.kind != LeftoverKind::RegistryKey && leftover.kind != LeftoverKind::FileType) {
      return false;
    }
    return leftover.key.root == place.root && leftover.key.view == place.view &&
           (leftover.onlyWhenEmpty ? EqualsNoCase(leftover.key.path, place.path) : IsInside(place.path, leftover.key.path));
  });
}

bool LeftoverScan::OfferKey(const RegistryPlace& place, LeftoverKind kind, Judgement judgement, bool whenEmpty) {
  if (KeyOffered(place) || !OpenPlace(*platform_.registry, place)) {
    return false;
  }
  Leftover leftover;
  leftover.kind = kind;
  leftover.certainty = judgement.certainty;
  leftover.reason = std::move(judgement.reason);
  leftover.key = place;
  leftover.onlyWhenEmpty = whenEmpty;
  if (!whenEmpty) {
    std::erase_if(outcome_.leftovers, [&](const Leftover& inside) {
      return inside.kind == kind && inside.key.root == place.root && inside.key.view == place.view &&
             IsInside(inside.key.path, place.path);
    });
  }
  Add(std::move(leftover));
  return true;
}

void LeftoverScan::FindKeys() {
  for (const RegistryPlace& recorded : snapshot_.keys) {
    (void)OfferKey(recorded, LeftoverKind::RegistryKey,
                   {Certainty::Sure, "a key of the publisher that named the install folder before the uninstall"}, false);
  }
  for (const RegistryPlace& software : SoftwareKeys(*platform_.registry)) {
    const std::string where = RegistryPlaceName(software);
    const auto judge = [&](const RegistryPlace& place, const std::string& named) {
      const auto key = OpenPlace(*platform_.registry, place);
      if (key && KeyNamesFolders(*key, sureFolders_)) {
        return Judgement{Certainty::Sure, named + "; it names the install folder"};
      }
      return Judgement{Certainty::Likely, named};
    };
    for (const std::string& form : forms_) {
      const RegistryPlace place = Below(software, form);
      (void)OfferKey(place, LeftoverKind::RegistryKey, judge(place, "named after the product in " + where), false);
    }
    for (const std::string& publisher : publisherForms_) {
      if (IsSharedKeyName(publisher)) {
        continue;
      }
      const RegistryPlace vendor = Below(software, publisher);
      for (const std::string& form : forms_) {
        const RegistryPlace place = Below(vendor, form);
        (void)OfferKey(place, LeftoverKind::RegistryKey,
                       judge(place, "named after the product in the publisher's key in " + where), false);
      }
      const KeyContents contents = ContentsOf(*platform_.registry, vendor);
      const bool holdsOurs = std::any_of(contents.subkeys.begin(), contents.subkeys.end(),
                                         [&](const std::string& name) { return KeyOffered(Below(vendor, name)); });
      if (!holdsOurs || KeyOffered(vendor)) {
        continue;
      }
      const bool onlyOurs = contents.values.empty() &&
                            std::all_of(contents.subkeys.begin(), contents.subkeys.end(),
                                        [&](const std::string& name) { return KeyOffered(Below(vendor, name)); });
      if (onlyOurs) {
        (void)OfferKey(vendor, LeftoverKind::RegistryKey,
                       {Certainty::Likely, "the publisher's key, with nothing else in it"}, true);
      } else {
        PassOver(RegistryPlaceName(vendor), "the publisher's key holds more than this program's");
      }
    }
  }
}

void LeftoverScan::FindFileTypes() {
  const RegistryPlace classes{RootKey::CurrentUser, platform::RegView::Own, R"(Software\Classes)"};
  const KeyContents contents = ContentsOf(*platform_.registry, classes);
  std::vector<std::pair<std::string, Certainty>> types;  // offered file types, by name
  const auto judgeType = [&](const RegistryPlace& place, const std::string& name) {
    if (Stopped()) {
      return;
    }
    const std::string command = DefaultText(*platform_.registry, Below(place, R"(shell\open\command)"));
    if (command.empty()) {
      return;
    }
    const auto judgement = JudgeStart(ProgramOfCommand(command, *platform_.system), name, "opens files with a program");
    if (judgement && OfferKey(place, LeftoverKind::FileType, *judgement, false)) {
      types.emplace_back(name, judgement->certainty);
    }
  };
  for (const std::string& name : contents.subkeys) {
    if (!name.starts_with('.') && !IsSharedClass(name)) {
      judgeType(Below(classes, name), name);
    }
  }
  // Applications\<program>.exe: how the shell opens files with one program.
  const RegistryPlace applications = Below(classes, "Applications");
  for (const std::string& name : ContentsOf(*platform_.registry, applications).subkeys) {
    judgeType(Below(applications, name), name);
  }
  // An extension whose only purpose is one of those types goes with it.
  for (const std::string& name : contents.subkeys) {
    if (!name.starts_with('.')) {
      continue;
    }
    const RegistryPlace extension = Below(classes, name);
    const std::string type = DefaultText(*platform_.registry, extension);
    const auto offered = std::find_if(types.begin(), types.end(), [&](const auto& known) {
      return !type.empty() && EqualsNoCase(known.first, type);
    });
    if (offered == types.end()) {
      continue;
    }
    const KeyContents holds = ContentsOf(*platform_.registry, extension);
    const bool onlyOpenWith = std::all_of(holds.subkeys.begin(), holds.subkeys.end(), [](const std::string& key) {
      return EqualsNoCase(key, "OpenWithProgids");
    });
    const auto progIds = ContentsOf(*platform_.registry, Below(extension, "OpenWithProgids")).values;
    const bool onlyOurs = std::all_of(progIds.begin(), progIds.end(), [&](const std::string& progId) {
      return std::any_of(types.begin(), types.end(),
                         [&](const auto& known) { return EqualsNoCase(known.first, progId); });
    });
    const bool plainValues = std::all_of(holds.values.begin(), holds.values.end(), [](const std::string& value) {
      return value.empty() || EqualsNoCase(value, "Content Type") || EqualsNoCase(value, "PerceivedType");
    });
    if (onlyOpenWith && onlyOurs && plainValues) {
      (void)OfferKey(extension, LeftoverKind::FileType,
                     {offered->second, "a file extension opened by the file type " + offered->first}, false);
    } else {
      PassOver(RegistryPlaceName(extension), "the extension names other programs too");
    }
  }
}

// An entry whose uninstaller is gone, searched on request, is itself left behind.
void LeftoverScan::FindEntry() {
  const LeftoverClues& clues = snapshot_.clues;
  if (!EntryExists(*platform_.registry, clues.entry)) {
    return;
  }
  if (!clues.uninstaller.empty() && platform_.files->Exists(clues.uninstaller)) {
    return;
  }
  Leftover leftover;
  leftover.kind = LeftoverKind::UninstallEntry;
  leftover.certainty = Certainty::Sure;
  leftover.reason = "the program's uninstall entry, whose uninstaller is gone";
  leftover.key = RegistryPlace{clues.entry.source.root, clues.entry.source.view, EntryKeyPath(clues.entry)};
  Add(std::move(leftover));
}

}  // namespace sw::uninstall
