#include "files/junk_categories.h"

#include <array>

#include "core/text.h"

namespace sw::files {
namespace {

using C = JunkCategory;
using O = CategoryOption;

constexpr std::array<CategoryInfo, kJunkCategoryCount> kCategories{{
    {C::kShortcuts, "shortcuts", "Broken shortcut", "", "every fixed drive: shortcuts (*.lnk) whose target is gone",
     O::kNone},
    {C::kTemporaryFiles, "temporary-files", "Temporary file", "", "every fixed drive: *.tmp", O::kNone},
    {C::kBackupCopies, "backup-copies", "Backup copy", "", "every fixed drive: names holding \".~\"", O::kNone},
    {C::kHelpIndexes, "help-indexes", "Help index", "", "every fixed drive: *.gid", O::kNone},
    {C::kRecycleBin, "recycle-bin", "Recycle Bin", "Recycle Bin",
     "up to XP each fixed drive's Recycled folder and your own part of RECYCLER; from Vista on your own part of "
     "$Recycle.Bin, one row per deleted item",
     O::kMorePlaces},
    {C::kTemporaryFolders, "temporary-folders", "Temporary folder", "Temporary folders",
     "the system's temporary files folder; from Vista on also %TEMP% and %WINDIR%\\Temp, files not written for "
     "24 hours",
     O::kMorePlaces},
    {C::kInternetCache, "internet-cache", "Internet cache", "", "the shell's Cache folder and the Netscape cache",
     O::kInternet},
    {C::kCookies, "cookies", "Cookie", "", "the shell's Cookies folder", O::kInternet},
    {C::kHistory, "history", "History", "", "the shell's History folder", O::kInternet},
    {C::kRecentDocuments, "recent", "Recent document", "", "the shell's Recent folder", O::kInternet},
    {C::kBrowserCaches, "browser-caches", "Browser cache", "Browser caches",
     "the caches of Chrome, Edge and Brave (every profile) and of Firefox, while the browser is closed; never "
     "cookies, history, passwords, bookmarks or sessions",
     O::kMorePlaces},
    {C::kCrashDumps, "crash-dumps", "Crash dump", "Crash dumps",
     "%LOCALAPPDATA%\\CrashDumps, %WINDIR%\\Minidump\\*.dmp and %WINDIR%\\MEMORY.DMP", O::kMorePlaces},
    {C::kErrorReports, "error-reports", "Error report", "Error reports",
     "Windows Error Reporting's ReportArchive and ReportQueue, yours and the machine's", O::kMorePlaces},
    {C::kThumbnails, "thumbnails", "Thumbnail cache", "Thumbnail cache",
     "%LOCALAPPDATA%\\Microsoft\\Windows\\Explorer\\thumbcache_*.db", O::kMorePlaces},
    {C::kWindowsUpdate, "windows-update", "Windows Update download", "Windows Update downloads",
     "%WINDIR%\\SoftwareDistribution\\Download, with administrator rights; files in use are left alone",
     O::kMorePlaces, /*queueInUse=*/false},
    {C::kCleanupHandlers, "cleanup-handlers", "Cleanup handler", "Programs' cleanup lists",
     "the folders and patterns programs register for the system's Disk Cleanup (VolumeCaches)", O::kMorePlaces},
    {C::kWindowsCleanup, "windows-cleanup", "Windows cleanup (cannot be undone)", "Windows' own cleanup",
     "the system's own Disk Cleanup handlers (update files, Delivery Optimization, previous installations), with "
     "what each can free; listed unchecked, run only when checked, and what they remove cannot be restored",
     O::kMorePlaces},
}};

}  // namespace

std::span<const CategoryInfo> JunkCategories() {
  return kCategories;
}

const CategoryInfo& InfoOf(JunkCategory category) {
  return kCategories[static_cast<std::size_t>(category)];
}

std::optional<JunkCategory> CategoryNamed(std::string_view name) {
  for (const CategoryInfo& info : kCategories) {
    if (EqualsNoCase(info.name, name)) {
      return info.category;
    }
  }
  return std::nullopt;
}

std::optional<CategorySet> CategorySet::Parse(std::string_view only, std::string_view skip, std::string& unknown) {
  // Each name of a comma-separated list; false at the first unknown one.
  const auto each = [&unknown](std::string_view list, auto&& apply) {
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string_view name = TrimBlanks(list.substr(0, comma));
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      if (name.empty()) {
        continue;
      }
      const auto category = CategoryNamed(name);
      if (!category) {
        unknown = std::string(name);
        return false;
      }
      apply(*category);
    }
    return true;
  };
  CategorySet set = TrimBlanks(only).empty() ? All() : None();
  if (!each(only, [&set](JunkCategory c) { set.Set(c, true); }) ||
      !each(skip, [&set](JunkCategory c) { set.Set(c, false); })) {
    return std::nullopt;
  }
  return set;
}

}  // namespace sw::files
