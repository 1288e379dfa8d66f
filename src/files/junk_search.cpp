#include "files/junk_search.h"

#include <array>
#include <unordered_set>
#include <vector>

#include "core/language.h"
#include "core/text.h"
#include "core/win_path.h"
#include "files/junk_walk.h"
#include "registry/registry_object.h"

namespace sw::files {
namespace {

using platform::RootKey;

constexpr std::string_view kTempFilesKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\VolumeCaches\\Temporary Files\\";
constexpr std::string_view kShellFoldersKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr std::string_view kNavigatorKey = "\\Software\\Netscape\\Netscape Navigator\\";

// The categories searched on each drive's whole tree, in their order.
constexpr std::array<JunkPattern, 4> kDrivePatterns = {
    JunkPattern{".LNK", MatchMode::Suffix}, JunkPattern{".TMP", MatchMode::Suffix},
    JunkPattern{".~", MatchMode::Contains}, JunkPattern{".GID", MatchMode::Suffix}};
// Whole folders: every file with a dot in its name.
constexpr std::array<JunkPattern, 1> kAnyDotted = {JunkPattern{".", MatchMode::Contains}};

constexpr int kProgressBase = 11;
constexpr int kProgressPerDrive = 7;

class JunkSearch {
 public:
  JunkSearch(platform::Platform& platform, EngineSink& sink, std::chrono::milliseconds statusInterval)
      : platform_(platform), sink_(sink), pacer_(statusInterval) {}

  JunkSearchOutcome Run(const JunkSearchOptions& options);

 private:
  // "c:\", "d:\", ... up to the first letter that is no fixed drive.
  [[nodiscard]] std::vector<std::string> FixedDrives() const;
  void SearchDrives(const std::vector<std::string>& drives);
  void SearchShellFolder(bool wanted, int statusText, std::string_view valueName);
  void SearchNavigatorCache();
  // Walks `folder` for the patterns; the rows of each pattern follow those of the one before.
  void FindJunkFiles(std::string_view folder, std::span<const JunkPattern> patterns);
  // The row of a matched file, unless it is a working shortcut or listed already.
  std::optional<ResultRow> InsertFileToList(const std::string& folder, const platform::FolderEntry& entry);
  [[nodiscard]] bool IsBrokenShortcut(const std::string& path) const;
  bool Visit(const platform::FolderEntry& entry);
  std::string ReadString(RootKey root, std::string_view key, std::string_view value) const;
  void Step(int steps = 1) { sink_.SetProgress(progress_ += static_cast<std::uint64_t>(steps)); }

  platform::Platform& platform_;
  EngineSink& sink_;
  Pacer pacer_;
  std::unordered_set<std::string> found_;   // upper-cased paths whose names matched
  std::unordered_set<std::string> listed_;  // upper-cased paths of the rows
  std::uint64_t total_ = 0;
  std::uint64_t progress_ = 0;
  bool stopped_ = false;
};

JunkSearchOutcome JunkSearch::Run(const JunkSearchOptions& options) {
  sink_.ShowStatus(Text(109));
  sink_.ShowStatus(Text(114));
  const std::vector<std::string> drives = FixedDrives();
  const std::uint64_t progressMax = kProgressBase + kProgressPerDrive * static_cast<std::uint64_t>(drives.size());
  sink_.SetProgressMax(progressMax);
  progress_ = 0;
  Step();
  SearchDrives(drives);
  if (options.internetCache) {
    sink_.ShowStatus(Text(110));
    const std::string cache = ReadString(RootKey::CurrentUser, kShellFoldersKey, "Cache");
    if (cache.size() > 3) {
      FindJunkFiles(AddTrailingBackslash(cache), kAnyDotted);
    }
    SearchNavigatorCache();
    Step();
  }
  SearchShellFolder(options.internetCookies, 111, "Cookies");
  SearchShellFolder(options.internetHistory, 112, "History");
  SearchShellFolder(options.recentDocuments, 113, "Recent");
  sink_.ProcessMessages();
  sink_.ShowStatus(std::string(Text(123)) + " " + std::to_string(found_.size()) + " " + std::string(Text(124)));
  sink_.ShowStatus(std::to_string(total_ / 1024) + "KBytes " + std::string(Text(72)));
  sink_.SetProgress(progressMax);
  return JunkSearchOutcome{total_, found_.size(), stopped_};
}

std::vector<std::string> JunkSearch::FixedDrives() const {
  std::vector<std::string> drives;
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    std::string drive{letter, ':', '\\'};
    if (platform_.files->DriveTypeOf(drive) != platform::DriveType::Fixed) {
      break;  // fixed drives after a gap (a CD-ROM drive, a missing letter) are not searched
    }
    drives.push_back(std::move(drive));
  }
  return drives;
}

void JunkSearch::SearchDrives(const std::vector<std::string>& drives) {
  for (const auto& drive : drives) {
    sink_.ShowStatus(std::string(Text(115)) + " " + drive + " ...");
    // Seven steps per drive, as the progress maximum counts them: one for shortcuts, two for
    // temporary files, one each for backup copies, help indexes, the recycle bin and the
    // temporary files folder.
    FindJunkFiles(drive, kDrivePatterns);
    sink_.ProcessMessages();
    Step(5);
    FindJunkFiles(drive + "Recycled\\", kAnyDotted);
    Step();
    const std::string temp = ReadString(RootKey::LocalMachine, kTempFilesKey, "Folder");
    if (temp.size() > 3) {
      FindJunkFiles(temp, kAnyDotted);
    }
    Step();
  }
}

void JunkSearch::SearchShellFolder(bool wanted, int statusText, std::string_view valueName) {
  if (!wanted) {
    return;
  }
  sink_.ShowStatus(Text(statusText));
  const std::string folder = ReadString(RootKey::CurrentUser, kShellFoldersKey, valueName);
  if (folder.size() > 3) {
    FindJunkFiles(AddTrailingBackslash(folder), kAnyDotted);
  }
  Step();
}

void JunkSearch::SearchNavigatorCache() {
  const std::string version = ReadString(RootKey::LocalMachine, kNavigatorKey, "CurrentVersion");
  // An empty version stays empty: no doubled backslash.
  const std::string versionKey = version.empty() ? std::string() : AddTrailingBackslash(version);
  const std::string install =
      ReadString(RootKey::LocalMachine, std::string(kNavigatorKey) + versionKey + "Main\\", "Install Directory");
  if (install.size() > 3) {
    FindJunkFiles(AddTrailingBackslash(install) + "..\\Users\\default\\cache\\", kAnyDotted);
  }
}

std::string JunkSearch::ReadString(RootKey root, std::string_view key, std::string_view value) const {
  reg::RegistryObject object(*platform_.registry, root);
  if (!object.OpenKey(key, false)) {
    return {};
  }
  auto text = object.ReadString(value);
  return text ? *text : std::string();
}

bool JunkSearch::Visit(const platform::FolderEntry& entry) {
  if (stopped_) {
    return false;
  }
  if (pacer_.Due()) {
    sink_.ShowStatus(entry.name);
    stopped_ = sink_.ShouldStop();
  }
  return !stopped_;
}

void JunkSearch::FindJunkFiles(std::string_view folder, std::span<const JunkPattern> patterns) {
  // Stop is asked before each search as well as during it: a request that came while the
  // walk before had no more entries to look at still ends the searches after it.
  if (stopped_ || (stopped_ = sink_.ShouldStop())) {
    return;
  }
  std::vector<std::vector<ResultRow>> rows(patterns.size());
  WalkJunk(
      *platform_.files, folder, patterns,
      [&](const std::string& where, const platform::FolderEntry& entry, std::size_t pattern) {
        if (auto row = InsertFileToList(where, entry)) {
          if (pattern == 0) {
            sink_.AddRow(*row);  // the first category's rows come in as they are found
          } else {
            rows[pattern].push_back(std::move(*row));
          }
        }
      },
      [&](const platform::FolderEntry& entry) { return Visit(entry); });
  for (std::size_t pattern = 1; pattern < rows.size(); ++pattern) {
    for (const auto& row : rows[pattern]) {
      sink_.AddRow(row);
    }
  }
}

std::optional<ResultRow> JunkSearch::InsertFileToList(const std::string& folder, const platform::FolderEntry& entry) {
  const std::string path = folder + entry.name;
  std::string key = ToUpperText(path);
  found_.insert(key);
  if (listed_.contains(key)) {
    return std::nullopt;
  }
  const bool shortcut = key.ends_with(".LNK");
  if (shortcut && !IsBrokenShortcut(path)) {
    return std::nullopt;
  }
  listed_.insert(std::move(key));
  ResultRow row;
  row.columns = {entry.name, folder, std::to_string(entry.size), FileDateText(entry.lastWrite, *platform_.system)};
  row.image = shortcut ? kImageBrokenShortcut : kImageFile;
  row.checked = true;
  total_ += entry.size;
  return row;
}

bool JunkSearch::IsBrokenShortcut(const std::string& path) const {
  const std::string upperPath = ToUpperText(path);
  if (upperPath.find(":\\") == std::string::npos || upperPath.find("SYSTEM") != std::string::npos) {
    return false;
  }
  const std::string target = ToUpperText(platform_.shell->ResolveLink(path));
  // A target on the floppy drive is never touched: such shortcuts are kept.
  if (target.empty() || (target.find(":\\") != std::string::npos && target.find("A:") != std::string::npos)) {
    return false;
  }
  const bool absolute = IsAbsoluteDrivePath(target) || target.starts_with("\\\\");
  if (!absolute) {
    return true;  // the shell could not read it ("unable to resolve link")
  }
  const auto attributes = platform_.files->AttributesOf(target);
  // Only a target known to be missing makes the shortcut broken; any other error does not.
  return !attributes && IsNotFound(attributes.error());
}

}  // namespace

JunkSearchOutcome FindFiles(platform::Platform& platform, EngineSink& sink, const JunkSearchOptions& options) {
  return JunkSearch(platform, sink, options.statusInterval).Run(options);
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

}  // namespace sw::files
