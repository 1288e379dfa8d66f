#include "uninstall/leftover_clues.h"

#include <algorithm>

#include "core/text.h"
#include "core/win_path.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "uninstall/leftover_names.h"
#include "uninstall/leftover_search.h"
#include "uninstall/leftover_tree.h"
#include "uninstall/software_entry.h"

namespace sw::uninstall {
namespace {

constexpr std::string_view kProgramEndings[] = {".exe", ".com", ".bat", ".cmd"};

std::string ReadEntryText(platform::Registry& registry, const EntrySource& entry, std::string_view name) {
  auto root = registry.OpenRootView(entry.source.root, entry.source.view);
  if (!root) {
    return {};
  }
  auto key = (*root)->Open(EntryKeyPath(entry), platform::RegAccess::Read);
  if (!key) {
    return {};
  }
  auto value = (*key)->Query(name);
  if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
    return {};
  }
  return reg::DecodeRegString(value->data);
}

// An absolute path with its environment variables expanded and its quotes gone; empty for
// anything else.
std::string AbsolutePath(std::string_view text, platform::System& system) {
  std::string expanded = system.ExpandEnvironment(TrimBlanks(text));
  std::string_view path = TrimBlanks(expanded);
  if (path.size() >= 2 && path.front() == '"') {
    const std::size_t close = path.find('"', 1);
    path = path.substr(1, (close == std::string_view::npos ? path.size() : close) - 1);
  }
  return IsAbsoluteDrivePath(path) ? ResolvedDrivePath(path) : std::string();
}

// The file DisplayIcon names: "C:\App\app.exe,0" and "\"C:\App\app.exe\",-101" name app.exe.
std::string IconFile(std::string_view icon, platform::System& system) {
  std::string_view text = TrimBlanks(icon);
  if (!text.starts_with('"')) {
    const std::size_t comma = text.rfind(',');
    const bool index = comma != std::string_view::npos &&
                       std::all_of(text.begin() + static_cast<std::ptrdiff_t>(comma) + 1, text.end(),
                                   [](char c) { return (c >= '0' && c <= '9') || c == '-' || c == ' '; });
    if (index) {
      text = text.substr(0, comma);
    }
  }
  return AbsolutePath(text, system);
}

void AddOutermost(std::vector<std::string>& folders, const std::string& folder) {
  if (folder.empty()) {
    return;
  }
  if (std::any_of(folders.begin(), folders.end(), [&](const std::string& known) { return IsInside(folder, known); })) {
    return;
  }
  std::erase_if(folders, [&](const std::string& known) { return IsInside(known, folder); });
  folders.push_back(folder);
}

}  // namespace

std::optional<LeftoverClues> ReadLeftoverClues(platform::Platform& platform, const EntrySource& entry) {
  const auto read = ReadSoftwareEntry(*platform.registry, entry);
  if (!read) {
    return std::nullopt;
  }
  platform::System& system = *platform.system;
  LeftoverClues clues;
  clues.entry = entry;
  clues.displayName = read->displayName;
  clues.version = read->version;
  clues.publisher = read->publisher;
  clues.installLocation = AbsolutePath(ReadEntryText(*platform.registry, entry, "InstallLocation"), system);
  clues.displayIcon = IconFile(ReadEntryText(*platform.registry, entry, "DisplayIcon"), system);
  clues.uninstaller = AbsolutePath(ProgramOfCommand(read->uninstallString.text, system), system);
  return clues;
}

std::string ProgramOfCommand(std::string_view command, platform::System& system) {
  const std::string expanded = system.ExpandEnvironment(TrimBlanks(command));
  std::string_view line = TrimBlanks(expanded);
  std::string_view program;
  std::string_view rest;
  if (line.starts_with('"')) {
    const std::size_t close = line.find('"', 1);
    program = line.substr(1, (close == std::string_view::npos ? line.size() : close) - 1);
    rest = close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
  } else {
    // The first program ending that ends a name: "C:\Program Files\App\uninst.exe /S".
    std::size_t end = std::string::npos;
    for (const std::string_view ending : kProgramEndings) {
      for (std::size_t at = 0; at + ending.size() <= line.size(); ++at) {
        const std::size_t after = at + ending.size();
        if (EqualsNoCase(line.substr(at, ending.size()), ending) && (after == line.size() || line[after] == ' ')) {
          end = std::min(end, after);
          break;
        }
      }
    }
    if (end == std::string::npos) {
      end = std::min(line.find(' '), line.size());
    }
    program = line.substr(0, end);
    rest = line.substr(end);
  }
  // rundll32 runs a library of the program: "rundll32.exe C:\App\x.dll,Entry".
  if (EqualsNoCase(FileNameOf(program), "rundll32.exe") || EqualsNoCase(FileNameOf(program), "rundll32")) {
    std::string_view library = TrimBlanks(rest);
    if (library.starts_with('"')) {
      const std::size_t close = library.find('"', 1);
      return std::string(library.substr(1, (close == std::string_view::npos ? library.size() : close) - 1));
    }
    return std::string(library.substr(0, library.find_first_of(", ")));
  }
  return std::string(program);
}

std::vector<std::string> EntryFolders(const LeftoverClues& clues, const LeftoverPlaces& places) {
  std::vector<std::string> folders;
  const std::string candidates[] = {clues.installLocation,
                                    clues.displayIcon.empty() ? "" : std::string(ParentPathOf(clues.displayIcon)),
                                    clues.uninstaller.empty() ? "" : std::string(ParentPathOf(clues.uninstaller))};
  for (const std::string& folder : candidates) {
    if (!folder.empty() && WhyClosed(places, folder).empty()) {
      AddOutermost(folders, ResolvedDrivePath(folder));
    }
  }
  return folders;
}

std::optional<LeftoverSnapshot> TakeLeftoverSnapshot(platform::Platform& platform, const EntrySource& entry,
                                                     FileTime taken) {
  auto clues = ReadLeftoverClues(platform, entry);
  if (!clues) {
    return std::nullopt;
  }
  const LeftoverPlaces places = ResolvePlaces(platform);
  LeftoverSnapshot snapshot;
  snapshot.clues = std::move(*clues);
  snapshot.taken = taken;
  snapshot.folders = EntryFolders(snapshot.clues, places);
  for (const std::string& folder : snapshot.folders) {
    if (ReachedThroughLink(*platform.files, folder)) {
      continue;
    }
    const TreeContents contents = ListTree(*platform.files, folder);
    snapshot.fileCount += contents.files.size();
    for (const TreeItem& file : contents.files) {
      if (snapshot.files.size() < kSnapshotFiles) {
        snapshot.files.push_back(file.path);
      }
    }
  }
  for (const FoundShortcut& shortcut : ListShortcuts(platform, places, nullptr)) {
    if (std::any_of(snapshot.folders.begin(), snapshot.folders.end(),
                    [&](const std::string& folder) { return IsInside(shortcut.target, folder); })) {
      snapshot.shortcuts.push_back(shortcut.path);
    }
  }
  for (const std::string& publisher : PublisherForms(snapshot.clues.publisher)) {
    for (const RegistryPlace& software : SoftwareKeys(*platform.registry)) {
      const RegistryPlace vendor = Below(software, publisher);
      const auto key = OpenPlace(*platform.registry, vendor);
      if (!key) {
        continue;
      }
      for (const std::string& name : reg::EnumerateNames(*key, reg::NameKind::SubKeys)) {
        const auto below = OpenPlace(*platform.registry, Below(vendor, name));
        if (below && KeyNamesFolders(*below, snapshot.folders)) {
          snapshot.keys.push_back(Below(vendor, name));
        }
      }
    }
  }
  return snapshot;
}

bool NamesPathInside(std::string_view text, std::string_view folder) {
  if (folder.empty()) {
    return false;
  }
  const std::string haystack = ToUpperText(text);
  const std::string needle = ToUpperText(ResolvedDrivePath(folder));
  for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) {
    const std::size_t after = at + needle.size();
    const bool ends = after == haystack.size() || std::string_view("\\/\"', ;\0", 8).find(haystack[after]) !=
                                                      std::string_view::npos;
    const bool begins = at == 0 || std::string_view("\"' =,;@\0", 8).find(haystack[at - 1]) != std::string_view::npos;
    if (ends && begins) {
      return true;
    }
  }
  return false;
}

}  // namespace sw::uninstall
