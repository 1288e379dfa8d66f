#pragma once
// A row of the Files Cleaning page: file name, folder (with its trailing backslash), size in
// bytes, last-write date and time in the user's formats, and its category in the Type
// column. It also keeps what the Find saw of the file (category, size and last-write time
// to the tick), so that Delete acts only on a file that is still the one listed.

#include <cstdint>
#include <optional>
#include <string>

#include "core/file_time.h"
#include "core/result_row.h"
#include "files/junk_categories.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::files {

inline constexpr int kImageFile = 0;
inline constexpr int kImageBrokenShortcut = 3;

// What the Find saw of a listed file.
struct FileFacts {
  JunkCategory category = JunkCategory::kTemporaryFiles;
  std::uint64_t size = 0;
  FileTime lastWrite;
};

[[nodiscard]] ResultRow MakeFileRow(const std::string& folder, const platform::FolderEntry& entry,
                                    JunkCategory category, int image, platform::System& system);

// The facts a row carries; nullopt for a row made elsewhere (without them).
[[nodiscard]] std::optional<FileFacts> FactsOfRow(const ResultRow& row);
void SetFacts(ResultRow& row, const FileFacts& facts);

// The date column of a file row: short date and long time of the local time, the time left
// out at exactly midnight; "-" for a time no calendar date can show.
[[nodiscard]] std::string FileDateText(FileTime lastWriteUtc, platform::System& system);

// The full path of a file row: its folder column followed by its name.
[[nodiscard]] std::string FullPathOfRow(const ResultRow& row);

}  // namespace sw::files
