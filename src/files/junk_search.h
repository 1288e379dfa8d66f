#pragma once
// The Find of the Files Cleaning page: walks every fixed drive from C: on (up to the first
// letter that is no fixed drive) and a few well-known folders for junk files, one row per
// file, checked:
//   - on each drive: broken shortcuts (*.lnk), *.tmp, names holding ".~", *.gid; every file
//     with a dot in its name in the drive's Recycled folder and in the temporary files
//     folder;
//   - the browser cache, cookies, history and recent-documents folders, when asked for.
// A row reads: file name, folder (with its trailing backslash), size in bytes, last-write
// date and time in the user's formats (local time; "-" when it has none). Image 0 is a
// file, 3 a broken shortcut. Each path is listed once however many categories find it.
// Status texts and progress go to the sink; Stop keeps the rows found so far.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "core/engine_sink.h"
#include "core/result_row.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace sw::files {

inline constexpr int kImageFile = 0;
inline constexpr int kImageBrokenShortcut = 3;

// The check boxes of the page's options panel; all on, as the panel is never shown.
struct JunkSearchOptions {
  bool internetCache = true;
  bool internetCookies = true;
  bool internetHistory = true;
  bool recentDocuments = true;
  // How often the walk shows the entry it is at and asks whether to stop.
  std::chrono::milliseconds statusInterval{30};
};

struct JunkSearchOutcome {
  std::uint64_t totalBytes = 0;  // of the rows listed
  std::size_t foundFiles = 0;    // paths whose names matched, working shortcuts included
  bool stopped = false;
};

JunkSearchOutcome FindFiles(platform::Platform& platform, EngineSink& sink, const JunkSearchOptions& options = {});

// The date column of a file row: short date and long time of the local time, the time left
// out at exactly midnight; "-" for a time no calendar date can show.
std::string FileDateText(FileTime lastWriteUtc, platform::System& system);

// The full path of a file row: its folder column followed by its name.
std::string FullPathOfRow(const ResultRow& row);

}  // namespace sw::files
