#pragma once
// The Find of the Files Cleaning page: walks every fixed drive from C: to Z: and a few
// well-known folders for junk files, one row per file, checked:
//   - on each drive, in one walk: broken shortcuts (*.lnk), *.tmp, names holding ".~", *.gid;
//     every file with a dot in its name in the drive's Recycled folder (up to XP) and in the
//     temporary files folder;
//   - the browser cache, cookies, history and recent-documents folders, when asked for;
//   - then the rows of the junk location table that are for the running system (the
//     temporary folders, browser caches, crash dumps, error reports, thumbnails, the Recycle
//     Bin, the update downloads and the programs' cleanup handlers on Vista and later; the
//     user's RECYCLER on NT to XP). None of them walks a whole drive.
// A row reads: file name, folder (with its trailing backslash), size in bytes, last-write
// date and time in the user's formats (local time; "-" when it has none), and its category
// (file_row.h). Image 0 is a file, 3 a broken shortcut. Each path is listed once however
// many categories find it. Status texts and progress go to the sink; Stop keeps the rows
// found so far.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "core/result_row.h"
#include "files/file_row.h"
#include "files/junk_categories.h"
#include "files/windows_cleanup.h"
#include "platform/platform.h"

namespace sw::files {

// The check boxes of the page's options panel (all on by default) and the categories asked
// for; a category of the panel is searched when both say so.
struct JunkSearchOptions {
  bool internetCache = true;
  bool internetCookies = true;
  bool internetHistory = true;
  bool recentDocuments = true;
  // How often the walk shows the entry it is at (it asks whether to stop at every entry).
  std::chrono::milliseconds statusInterval{30};
  CategorySet categories = CategorySet::All();
  // The system's own cleanup handlers, asked last (windows_cleanup.h).
  WindowsCleanupOptions windowsCleanup{};
};

// A program's cleanup handler whose folder the Find would not take (handler_folders.h).
struct RefusedHandler {
  std::string name;    // its key below VolumeCaches
  std::string folder;  // the first folder refused
  std::string reason;  // "one of your own folders"
};

struct JunkSearchOutcome {
  std::uint64_t totalBytes = 0;  // of the rows listed
  std::size_t foundFiles = 0;    // paths whose names matched, working shortcuts included
  bool stopped = false;
  // Browsers that were running, whose caches were therefore left out ("Chrome").
  std::vector<std::string> browsersToClose;
  // Categories left out for want of administrator rights.
  std::vector<JunkCategory> needElevation;
  WindowsCleanupFound windowsCleanup{};
  std::vector<RefusedHandler> refusedHandlers;
};

JunkSearchOutcome FindFiles(platform::Platform& platform, EngineSink& sink, const JunkSearchOptions& options = {});

// The sentence that names the cleanup handlers left out, and why.
[[nodiscard]] std::string RefusedHandlersText(const std::vector<RefusedHandler>& refused);

// The sentence that asks the user to close the browsers whose caches were left out; empty
// when there are none.
[[nodiscard]] std::string CloseBrowsersText(const std::vector<std::string>& browsers);

}  // namespace sw::files
