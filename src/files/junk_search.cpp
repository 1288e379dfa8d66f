#include "files/junk_search.h"

#include <algorithm>
#include <array>
#include <deque>
#include <unordered_set>
#include <vector>

#include "core/language.h"
#include "core/sharded_string_set.h"
#include "core/text.h"
#include "core/win_path.h"
#include "files/cleanup_handlers.h"
#include "files/file_row.h"
#include "files/handler_folders.h"
#include "files/junk_walk.h"
#include "files/listed_object.h"
#include "files/location_walk.h"
#include "files/recycle_bin_items.h"
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
struct DrivePattern {
  JunkPattern pattern;
  JunkCategory category;
};
constexpr std::array<DrivePattern, 4> kDrivePatterns{{
    {JunkPattern{".LNK", MatchMode::Suffix}, JunkCategory::kShortcuts},
    {JunkPattern{".TMP", MatchMode::Suffix}, JunkCategory::kTemporaryFiles},
    {JunkPattern{".~", MatchMode::Contains}, JunkCategory::kBackupCopies},
    {JunkPattern{".GID", MatchMode::Suffix}, JunkCategory::kHelpIndexes},
}};
// Whole folders: every file with a dot in its name.
constexpr std::array<JunkPattern, 1> kAnyDotted = {JunkPattern{".", MatchMode::Contains}};

// Folders of each drive searched whole after its walk, on the systems they belong to: the
// recycle bin of Windows 95 to ME (and of FAT drives up to XP). From Vista on a folder of
// that name is the user's own; the Recycle Bin is then $Recycle.Bin, a place of the location
// table.
struct DriveFolder {
  std::string_view name;
  JunkCategory category;
  std::uint8_t generations;
};
constexpr std::array<DriveFolder, 1> kDriveFolders{{
    {"Recycled\\", JunkCategory::kRecycleBin, kOnWindows9x | kOnWindowsNt},
}};

constexpr int kProgressBase = 11;
constexpr int kProgressPerDrive = 7;

// A matched file, as its row will show it: what its own handle showed, and its picture.
struct ListedFile {
  ObjectFacts object;
  int image = kImageFile;
};

// A row a drive walk found for a later pattern, as little as makes the row when its turn comes.
struct PendingRow {
  std::size_t folder;  // in the walk's list of folders
  std::string name;
  ListedFile file;
};

// One row of the location table as it applies here, with the folders it names.
struct PlannedWalk {
  const JunkLocation* row;
  std::vector<std::string> folders;
};

void AddOnce(std::vector<std::string>& list, const std::string& item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) {
    list.push_back(item);
  }
}

class JunkSearch {
 public:
  JunkSearch(platform::Platform& platform, EngineSink& sink, const JunkSearchOptions& options)
      : platform_(platform), sink_(sink), options_(options), pacer_(options.statusInterval) {}

  JunkSearchOutcome Run();

 private:
  [[nodiscard]] bool Wanted(JunkCategory category) const { return options_.categories.Has(category); }
  // "c:\", "d:\", ...: every fixed drive, as the rows show them.
  [[nodiscard]] std::vector<std::string> FixedDrives() const;
  void SearchDrives(const std::vector<std::string>& drives, std::uint8_t generation);
  void SearchShellFolder(bool wanted, JunkCategory category, int statusText, std::string_view valueName);
  void SearchNavigatorCache();
  // The location table's rows for this system and these options, with their folders.
  std::vector<PlannedWalk> PlanLocations();
  void PlanRow(const JunkLocation& row, const platform::SystemProfile& profile, const LocationContext& context,
               const std::unordered_set<std::string>& running, std::vector<PlannedWalk>& walks);
  // A cleanup handler's folders, those it may not take left out and the handler named.
  std::vector<std::string> HandlerFolders(const JunkLocation& row, const LocationContext& context);
  void SearchLocations(const std::vector<PlannedWalk>& walks);
  // The Recycle Bin items of one folder, one row each.
  void SearchBinItems(const JunkLocation& row, const std::string& folder);
  // Walks `folder` for the patterns; the rows of each pattern follow those of the one before.
  void FindJunkFiles(std::string_view folder, std::span<const JunkPattern> patterns,
                     std::span<const JunkCategory> categories);
  // What a matched file's row shows, read from the file's own handle, unless it is a working
  // shortcut (where shortcuts are judged) or listed already, or it cannot be opened as the
  // very file the walk saw; it counts as listed from here on.
  std::optional<ListedFile> InsertFileToList(const std::string& folder, const platform::FolderEntry& entry,
                                             bool judgeShortcuts);
  // A row for facts complete but for the object's own, which is observed here.
  std::optional<ResultRow> InsertObjectRow(const std::string& folder, const std::string& name, FileFacts facts,
                                           int image);
  // The object `name` of `folder` as its own handle shows it, listed under `key` and counted
  // into the total; nullopt (and passed over) when it cannot be opened as what the walk saw.
  std::optional<ObjectFacts> ListObject(const std::string& folder, const std::string& name, std::string key);
  [[nodiscard]] ResultRow RowOf(const std::string& folder, const std::string& name, JunkCategory category,
                                const std::string& process, const ListedFile& file) const;
  [[nodiscard]] bool IsBrokenShortcut(const std::string& path) const;
  bool Visit(const platform::FolderEntry& entry);
  std::string ReadString(RootKey root, std::string_view key, std::string_view value) const;
  void Step(int steps = 1) { sink_.SetProgress(progress_ += static_cast<std::uint64_t>(steps)); }
  void ReleasePaths();
  // How many distinct paths matched.
  [[nodiscard]] std::size_t FoundCount() const { return listed_.size() + passedOver_.size(); }

  platform::Platform& platform_;
  EngineSink& sink_;
  const JunkSearchOptions& options_;
  Pacer pacer_;
  std::vector<JunkLocation> handlers_;  // the programs' cleanup handlers, read for this Find
  std::optional<HandlerBounds> bounds_;  // where they may not reach, read once they are there
  // Upper-cased paths whose names matched: those listed, and the others (working shortcuts,
  // files that could not be observed), apart, so that a million rows keep one copy of their
  // paths.
  ShardedStringSet listed_;
  ShardedStringSet passedOver_;
  std::uint64_t total_ = 0;
  std::uint64_t progress_ = 0;
  bool stopped_ = false;
  JunkSearchOutcome outcome_;
};

JunkSearchOutcome JunkSearch::Run() {
  sink_.ShowStatus(Text(109));
  sink_.ShowStatus(Text(114));
  const std::vector<std::string> drives = FixedDrives();
  const std::uint8_t generation = GenerationBit(platform::Describe(platform_).generation);
  const std::vector<PlannedWalk> walks = PlanLocations();
  // One step per category of the location table that has something to walk.
  std::uint64_t locationSteps = 0;
  for (std::size_t i = 0; i < walks.size(); ++i) {
    locationSteps += i == 0 || walks[i].row->category != walks[i - 1].row->category ? 1 : 0;
  }
  const bool handlers = Wanted(JunkCategory::kWindowsCleanup) && platform::Describe(platform_).Modern() &&
                        AnyWindowsCleanupHandlers(platform_);
  const std::uint64_t progressMax = kProgressBase + kProgressPerDrive * static_cast<std::uint64_t>(drives.size()) +
                                    locationSteps + (handlers ? 1 : 0);
  sink_.SetProgressMax(progressMax);
  progress_ = 0;
  Step();
  SearchDrives(drives, generation);
  if (options_.internetCache && Wanted(JunkCategory::kInternetCache)) {
    sink_.ShowStatus(Text(110));
    const std::string cache = ReadString(RootKey::CurrentUser, kShellFoldersKey, "Cache");
    const JunkCategory category = JunkCategory::kInternetCache;
    if (cache.size() > 3) {
      FindJunkFiles(AddTrailingBackslash(cache), kAnyDotted, {&category, 1});
    }
    SearchNavigatorCache();
    Step();
  }
  SearchShellFolder(options_.internetCookies, JunkCategory::kCookies, 111, "Cookies");
  SearchShellFolder(options_.internetHistory, JunkCategory::kHistory, 112, "History");
  SearchShellFolder(options_.recentDocuments, JunkCategory::kRecentDocuments, 113, "Recent");
  SearchLocations(walks);
  // Last, since a handler may take its time: the file rows are all in the list by then.
  if (handlers && !stopped_) {
    outcome_.windowsCleanup = FindWindowsCleanup(platform_, sink_, options_.windowsCleanup);
    stopped_ = outcome_.windowsCleanup.stopped;
    Step();
  }
  sink_.ProcessMessages();
  sink_.ShowStatus(std::string(Text(123)) + " " + std::to_string(FoundCount()) + " " + std::string(Text(124)));
  std::string selected = std::to_string(total_ / 1024) + "KBytes " + std::string(Text(72));
  if (!outcome_.browsersToClose.empty()) {
    selected += ". " + CloseBrowsersText(outcome_.browsersToClose);
  }
  for (const JunkCategory category : outcome_.needElevation) {
    selected += ". " + std::string(InfoOf(category).option) + " need administrator rights";
  }
  if (!outcome_.refusedHandlers.empty()) {
    selected += ". " + RefusedHandlersText(outcome_.refusedHandlers);
  }
  if (const std::string handlerText = outcome_.windowsCleanup.StatusText(); !handlerText.empty()) {
    selected += ". " + handlerText;
  }
  sink_.ShowStatus(selected);
  sink_.SetProgress(progressMax);
  outcome_.totalBytes = total_;
  outcome_.foundFiles = FoundCount();
  outcome_.stopped = stopped_;
  ReleasePaths();
  return outcome_;
}

// Freeing a million paths at once holds the window's thread for a third of a second under the
// Windows heap, and the window is still in the Find's hands: they go a shard at a time (a
// 64th), with its messages between.
void JunkSearch::ReleasePaths() {
  for (ShardedStringSet* paths : {&listed_, &passedOver_}) {
    while (paths->ReleaseShard()) {
      sink_.ProcessMessages();
    }
  }
}

std::vector<std::string> JunkSearch::FixedDrives() const {
  // Every fixed drive: a CD-ROM drive or an unused letter hides none of the drives after it.
  std::vector<std::string> drives = platform::FixedDriveRoots(*platform_.files);
  for (std::string& drive : drives) {
    drive[0] = static_cast<char>(drive[0] - 'A' + 'a');
  }
  return drives;
}

void JunkSearch::SearchDrives(const std::vector<std::string>& drives, std::uint8_t generation) {
  std::vector<JunkPattern> patterns;
  std::vector<JunkCategory> categories;
  for (const DrivePattern& drivePattern : kDrivePatterns) {
    if (Wanted(drivePattern.category)) {
      patterns.push_back(drivePattern.pattern);
      categories.push_back(drivePattern.category);
    }
  }
  const JunkCategory temporary = JunkCategory::kTemporaryFolders;
  for (const auto& drive : drives) {
    sink_.ShowStatus(std::string(Text(115)) + " " + drive + " ...");
    // Seven steps per drive, as the progress maximum counts them: one for shortcuts, two for
    // temporary files, one each for backup copies, help indexes, the recycle bin and the
    // temporary files folder.
    if (!patterns.empty()) {
      FindJunkFiles(drive, patterns, categories);
    }
    sink_.ProcessMessages();
    Step(5);
    for (const DriveFolder& folder : kDriveFolders) {
      if ((folder.generations & generation) != 0 && Wanted(folder.category)) {
        FindJunkFiles(drive + std::string(folder.name), kAnyDotted, {&folder.category, 1});
      }
    }
    Step();
    if (Wanted(temporary)) {
      const std::string temp = ReadString(RootKey::LocalMachine, kTempFilesKey, "Folder");
      if (temp.size() > 3) {
        FindJunkFiles(temp, kAnyDotted, {&temporary, 1});
      }
    }
    Step();
  }
}

void JunkSearch::SearchShellFolder(bool wanted, JunkCategory category, int statusText, std::string_view valueName) {
  if (!wanted || !Wanted(category)) {
    return;
  }
  sink_.ShowStatus(Text(statusText));
  const std::string folder = ReadString(RootKey::CurrentUser, kShellFoldersKey, valueName);
  if (folder.size() > 3) {
    FindJunkFiles(AddTrailingBackslash(folder), kAnyDotted, {&category, 1});
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
    const JunkCategory category = JunkCategory::kInternetCache;
    FindJunkFiles(AddTrailingBackslash(install) + "..\\Users\\default\\cache\\", kAnyDotted, {&category, 1});
  }
}

std::vector<PlannedWalk> JunkSearch::PlanLocations() {
  const platform::SystemProfile profile = platform::Describe(platform_);
  // The programs' cleanup handlers are read anew at each Find: programs come and go.
  if (profile.Modern() && Wanted(JunkCategory::kCleanupHandlers)) {
    handlers_ = ReadCleanupHandlers(*platform_.registry);
    if (!handlers_.empty()) {
      bounds_ = DescribeHandlerBounds(*platform_.files, *platform_.system, *platform_.registry);
    }
  }
  const LocationContext context = DescribeLocations(*platform_.files, *platform_.system);
  std::unordered_set<std::string> running;
  if (platform_.processes) {
    for (const std::string& name : platform_.processes->RunningProgramNames()) {
      running.insert(ToLowerText(name));
    }
  }
  std::vector<PlannedWalk> walks;
  for (const CategoryInfo& info : JunkCategories()) {
    const auto& rows = info.category == JunkCategory::kCleanupHandlers ? handlers_ : KnownJunkLocations();
    for (const JunkLocation& row : rows) {
      if (row.category == info.category) {
        PlanRow(row, profile, context, running, walks);
      }
    }
  }
  return walks;
}

void JunkSearch::PlanRow(const JunkLocation& row, const platform::SystemProfile& profile,
                         const LocationContext& context, const std::unordered_set<std::string>& running,
                         std::vector<PlannedWalk>& walks) {
  if ((row.generations & GenerationBit(profile.generation)) == 0 || !Wanted(row.category)) {
    return;
  }
  std::vector<std::string> folders = row.category == JunkCategory::kCleanupHandlers
                                         ? HandlerFolders(row, context)
                                         : LocationFolders(row, context, *platform_.files, *platform_.system);
  if (folders.empty()) {
    return;
  }
  if (row.elevatedOnly && !profile.elevated) {
    if (std::find(outcome_.needElevation.begin(), outcome_.needElevation.end(), row.category) ==
        outcome_.needElevation.end()) {
      outcome_.needElevation.push_back(row.category);
    }
    return;
  }
  // A running browser writes its cache as it goes, and keeps its files open.
  if (!row.process.empty() && running.contains(ToLowerText(row.process))) {
    AddOnce(outcome_.browsersToClose, row.browser);
    return;
  }
  walks.push_back(PlannedWalk{&row, std::move(folders)});
}

std::vector<std::string> JunkSearch::HandlerFolders(const JunkLocation& row, const LocationContext& context) {
  std::vector<std::string> folders = ExpandLocationFolders(row, context, *platform_.files, *platform_.system);
  std::erase_if(folders, [&](const std::string& folder) {
    std::string why = HandlerRefusal(row, folder, *bounds_, *platform_.files);
    if (why.empty()) {
      return false;
    }
    const auto same = [&](const RefusedHandler& refused) { return refused.name == row.source; };
    if (std::none_of(outcome_.refusedHandlers.begin(), outcome_.refusedHandlers.end(), same)) {
      outcome_.refusedHandlers.push_back({row.source, folder, std::move(why)});
    }
    return true;
  });
  return folders;
}

void JunkSearch::SearchLocations(const std::vector<PlannedWalk>& walks) {
  const FileTime now = FileTimeNow();
  for (std::size_t i = 0; i < walks.size(); ++i) {
    const JunkLocation& row = *walks[i].row;
    const bool first = i == 0 || walks[i - 1].row->category != row.category;
    if (first) {
      sink_.ShowStatus("Searching " + ToLowerText(InfoOf(row.category).option) + "...");
    }
    for (const std::string& folder : walks[i].folders) {
      if (stopped_ || (stopped_ = sink_.ShouldStop())) {
        return;
      }
      if (row.items) {
        SearchBinItems(row, folder);
        continue;
      }
      WalkLocation(
          *platform_.files, row, folder, now,
          [&](const std::string& where, const platform::FolderEntry& entry) {
            if (const auto file = InsertFileToList(where, entry, false)) {
              sink_.AddRow(RowOf(where, entry.name, row.category, row.process, *file));
            }
          },
          [&](const platform::FolderEntry& entry) { return Visit(entry); });
    }
    const bool last = i + 1 == walks.size() || walks[i + 1].row->category != row.category;
    if (last) {
      Step();
    }
  }
}

void JunkSearch::SearchBinItems(const JunkLocation& row, const std::string& folder) {
  bool completed = true;
  const std::vector<BinItem> items =
      ListBinItems(*platform_.files, folder, [&](const platform::FolderEntry& entry) { return Visit(entry); },
                   completed);
  for (const BinItem& item : items) {
    FileFacts facts;
    facts.category = row.category;
    // Each partner as it is now; an item any part of which cannot be seen is not listed, as
    // it could not go whole.
    bool whole = true;
    for (const BinItem::Partner& partner : item.partners) {
      const auto seen = ObserveObject(*platform_.files, folder + partner.name);
      whole = whole && seen && seen->folder == partner.folder;
      if (!whole) {
        break;
      }
      facts.partners.push_back({partner.name, *seen, partner.inside});
    }
    std::string key = ToUpperText(folder + item.entry.name);
    if (listed_.contains(key)) {
      continue;
    }
    if (!whole) {
      passedOver_.insert(key);
      continue;
    }
    if (auto added = InsertObjectRow(folder, item.entry.name, std::move(facts), kImageFile)) {
      sink_.AddRow(*added);
    }
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
  }
  // Asked at every entry: the sink paces its own messages, and a second pace here of the same
  // period made the window wait two periods whenever this one came just before the sink's was
  // due (60 ms waits, one pass of the messages in ten, during a Find).
  stopped_ = sink_.ShouldStop();
  return !stopped_;
}

void JunkSearch::FindJunkFiles(std::string_view folder, std::span<const JunkPattern> patterns,
                               std::span<const JunkCategory> categories) {
  // Stop is asked before each search as well as during it: a request that came while the
  // walk before had no more entries to look at still ends the searches after it.
  if (stopped_ || (stopped_ = sink_.ShouldStop())) {
    return;
  }
  // The rows of the later patterns wait for the walk's end, kept small meanwhile: a tree of a
  // million matching files would otherwise hold a million full rows. They wait in deques, which
  // grow without moving what they hold: a vector of half a million waiting rows moved them all
  // into a new block in one append, the longest wait of the window in a Find of a million
  // files (70 ms), and the walk does not let the messages through inside an append.
  std::deque<std::string> folders;  // the walk reports a folder's matches together
  std::vector<std::deque<PendingRow>> pending(patterns.size());
  WalkJunk(
      *platform_.files, folder, patterns,
      [&](const std::string& where, const platform::FolderEntry& entry, std::size_t pattern) {
        const auto file = InsertFileToList(where, entry, true);
        if (!file) {
          return;
        }
        if (pattern == 0) {
          sink_.AddRow(RowOf(where, entry.name, categories[0], {}, *file));  // at once
          return;
        }
        if (folders.empty() || folders.back() != where) {
          folders.push_back(where);
        }
        pending[pattern].push_back(PendingRow{folders.size() - 1, entry.name, *file});
      },
      [&](const platform::FolderEntry& entry) { return Visit(entry); });
  // Each waiting row goes as its row is made, so that the deque lets go of its blocks along
  // the way rather than all at once after the last.
  for (std::size_t pattern = 1; pattern < pending.size(); ++pattern) {
    for (std::deque<PendingRow>& rows = pending[pattern]; !rows.empty(); rows.pop_front()) {
      const PendingRow& row = rows.front();
      sink_.AddRow(RowOf(folders[row.folder], row.name, categories[pattern], {}, row.file));
    }
  }
}

std::optional<ListedFile> JunkSearch::InsertFileToList(const std::string& folder, const platform::FolderEntry& entry,
                                                       bool judgeShortcuts) {
  const std::string path = folder + entry.name;
  std::string key = ToUpperText(path);
  if (listed_.contains(key)) {
    return std::nullopt;
  }
  const bool shortcut = judgeShortcuts && key.ends_with(".LNK");
  if (shortcut && !IsBrokenShortcut(path)) {
    passedOver_.insert(key);
    return std::nullopt;
  }
  const auto seen = ListObject(folder, entry.name, std::move(key));
  if (!seen) {
    return std::nullopt;
  }
  return ListedFile{*seen, shortcut ? kImageBrokenShortcut : kImageFile};
}

std::optional<ObjectFacts> JunkSearch::ListObject(const std::string& folder, const std::string& name, std::string key) {
  // Size, time and identity as the file's own handle gives them, the very source Delete
  // compares them with; a file reached through a link swapped in meanwhile is not listed.
  auto seen = ObserveObject(*platform_.files, folder + name);
  if (!seen) {
    passedOver_.insert(key);
    return std::nullopt;
  }
  passedOver_.erase(key);
  listed_.insert(key);
  total_ += seen->size;
  return seen;
}

std::optional<ResultRow> JunkSearch::InsertObjectRow(const std::string& folder, const std::string& name,
                                                     FileFacts facts, int image) {
  const auto seen = ListObject(folder, name, ToUpperText(folder + name));
  if (!seen) {
    return std::nullopt;
  }
  facts.object = *seen;
  for (const PartnerFacts& partner : facts.partners) {
    total_ += partner.object.size;
  }
  return MakeFileRow(folder, name, facts, image, *platform_.system);
}

ResultRow JunkSearch::RowOf(const std::string& folder, const std::string& name, JunkCategory category,
                            const std::string& process, const ListedFile& file) const {
  FileFacts facts;
  facts.category = category;
  facts.process = process;
  facts.object = file.object;
  return MakeFileRow(folder, name, facts, file.image, *platform_.system);
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
  return JunkSearch(platform, sink, options).Run();
}

std::string RefusedHandlersText(const std::vector<RefusedHandler>& refused) {
  std::string text = "Programs' cleanup lists left out: ";
  for (std::size_t i = 0; i < refused.size(); ++i) {
    text += (i == 0 ? "" : "; ") + ("\"" + refused[i].name + "\" (" + refused[i].folder + ": " + refused[i].reason + ")");
  }
  return text;
}

std::string CloseBrowsersText(const std::vector<std::string>& browsers) {
  if (browsers.empty()) {
    return {};
  }
  std::string names;
  for (std::size_t i = 0; i < browsers.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == browsers.size() ? " and " : ", ") + browsers[i];
  }
  return "Close " + names + " and search again to clean " + (browsers.size() == 1 ? "its cache" : "their caches") +
         " too.";
}

}  // namespace sw::files
